#pragma once
// The main window shown on the offscreen platform and driven through its real controls: typing
// into the file-name field, clicks and right presses on the tree and the list, menus chosen
// through the menu seam, modal windows answered from inside their loops. Each test gets its
// own temporary folder, and the error boxes it raised.
#include "ui/view_test_support.h"  // first: mouse input through the window system

#include <gtest/gtest.h>

#include <QApplication>
#include <QContextMenuEvent>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/frm_main.h"
#include "dialogs/dialog_components.h"
#include "dialogs/message_form.h"
#include "encoding/code_page_conversion.h"
#include "platform/message_box.h"
#include "shell/application.h"
#include "support/environment_guard.h"
#include "support/locale_guard.h"
#include "support/modal_driver.h"
#include "support/scoped_seam.h"
#include "ui/edit.h"
#include "ui/list_view.h"
#include "ui/popup_menu.h"
#include "ui/screen.h"
#include "ui/tree_view.h"
#include "ui/widget_access.h"

namespace apptest {

inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// The text with every occurrence of the line removed (line end included).
inline std::string WithoutLine(std::string text, const std::string& line) {
    for (size_t at; (at = text.find(line + "\n")) != std::string::npos;) text.erase(at, line.size() + 1);
    return text;
}

// The message of a message dialog, or "" for any other window.
inline std::string MessageOf(TCustomForm& form) {
    auto* message = dynamic_cast<TMessageForm*>(&form);
    return message && message->MessageLabel() ? message->MessageLabel()->Caption() : std::string();
}

// What a pop-up menu showed when it opened.
struct MenuShown {
    TPopupMenu* menu = nullptr;
    std::vector<bool> enabled;  // per item, separators included
    QPoint at;
};

class MainWindowTest : public testing::Test {
protected:
    void SetUp() override {
        static bool registered = (RegisterDialogComponents(), true);
        (void)registered;
        char pattern[] = "/tmp/iniv-app-XXXXXX";
        const char* made = mkdtemp(pattern);
        ASSERT_NE(made, nullptr);
        folder = made;
        // What the window keeps between runs goes into the test's own folder.
        stateHome.emplace("XDG_STATE_HOME", (folder / "state").string());
        dataHome.emplace("XDG_DATA_HOME", (folder / "data").string());
        CurrentIniPath.clear();
        main.reset(new TForm1(Application));
        main->Show();
        WidgetOf(*main)->activateWindow();
        (void)QTest::qWaitForWindowActive(WidgetOf(*main));
        tree = ItemViewOf(*main->tree1);
        list = ItemViewOf(*main->ListView1);
    }

    void TearDown() override {
        // A window expected but never shown: let the driver give up and report it here, not
        // act on a window of the next test.
        if (*pending > 0) QTest::qWait(5500);
        main.reset();
        stateHome.reset();
        dataHome.reset();
        std::filesystem::remove_all(folder);
        CurrentIniPath.clear();
    }

    std::string Path(const std::string& name) const { return (folder / name).string(); }
    std::string File(const std::string& name, const std::string& bytes) const {
        WriteBytes(Path(name), bytes);
        return Path(name);
    }

    // Types the path into the empty field and presses Enter there.
    void TypePathAndEnter(const std::string& path, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QWidget* field = WidgetOf(*main->ledtfname);
        field->setFocus();
        main->ledtfname->SetText("");
        for (QChar ch : QString::fromStdString(path)) {
            // The test library maps only ASCII characters to keys; others arrive as text alone.
            if (ch.unicode() < 0x80) QTest::keyClick(field, char(ch.unicode()));
            else QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, QString(ch), Qt::NoModifier);
        }
        QTest::keyClick(field, Qt::Key_Return, modifiers);
    }

    // A file of these bytes, loaded through the field.
    std::string Load(const std::string& bytes, const std::string& name = "file.ini") {
        std::string path = File(name, bytes);
        TypePathAndEnter(path);
        return path;
    }

    TTreeNode* Root() const { return main->tree1->Items().GetFirstNode(); }
    TTreeNode* Section(int index) const { return Root()->Item(index); }

    QModelIndex IndexOf(const TTreeNode* node) const {
        if (!node) return {};
        return tree->model()->index(node->Index(), 0, IndexOf(node->Parent()));
    }
    QModelIndex IndexOf(const TListItem* row) const { return list->model()->index(row->Index(), 0); }

    void PressNode(const TTreeNode* node, Qt::MouseButton button) {
        ClickWith(tree, button, CentreOf(tree, IndexOf(node)));
    }
    void ClickNode(const TTreeNode* node) { PressNode(node, Qt::LeftButton); }
    void PressRow(const TListItem* row, Qt::MouseButton button) {
        ClickWith(list, button, CentreOf(list, IndexOf(row)));
    }
    QPoint ListEmptySpace() const { return QPoint(40, list->viewport()->height() - 5); }
    QPoint TreeEmptySpace() const { return QPoint(20, tree->viewport()->height() - 5); }

    // The context-menu key on the tree: the menu opens without a mouse press.
    void TreeMenuKey() {
        WidgetOf(*main->tree1)->setFocus();
        QWidget* widget = WidgetOf(*main->tree1);
        QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(5, 5), widget->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(widget, &event);
    }

    // Right press on a row (or on empty list space) choosing item from the menu that opens.
    void ChooseOnRow(const TListItem* row, TMenuItem* item) {
        nextChoice = item;
        if (row) PressRow(row, Qt::RightButton);
        else ClickWith(list, Qt::RightButton, ListEmptySpace());
    }
    void ChooseOnNode(const TTreeNode* node, TMenuItem* item) {
        nextChoice = item;
        PressNode(node, Qt::RightButton);
    }

    // WhenNextModalShown, keeping count of the windows still expected.
    void WhenModal(std::function<void(TCustomForm&)> action) {
        ++*pending;
        WhenNextModalShown([count = pending, action = std::move(action)](TCustomForm& form) {
            --*count;
            action(form);
        });
    }

    // Keys to press in the next message dialog, recording its text.
    void AnswerNextMessage(Qt::Key key) {
        WhenModal([this, key](TCustomForm& form) {
            messages.push_back(MessageOf(form));
            PressKey(form, key);
        });
    }
    // Closes the next message dialog through its close box, recording its text.
    void CloseNextMessage() {
        WhenModal([this](TCustomForm& form) {
            messages.push_back(MessageOf(form));
            WidgetOf(form)->close();
        });
    }
    // Types text into the next input box (whose start text is selected) and ends it with key;
    // with thenMessage, also answers the message dialog that follows it.
    void AnswerNextInput(const QString& text, Qt::Key key, std::string* shownAtStart = nullptr,
                         bool thenMessage = false) {
        WhenModal([this, text, key, shownAtStart, thenMessage](TCustomForm& form) {
            captions.push_back(form.Caption());
            if (shownAtStart) *shownAtStart = EditTextOf(form);
            TypeText(form, text);
            if (thenMessage) AnswerNextMessage(Qt::Key_Return);
            PressKey(form, key);
        });
    }

    // Fills the next add-key dialog and accepts it; with thenMessage, also answers the message
    // that comes after it, and cancels the dialog that a refusal keeps open.
    void AnswerNextAddDialog(const QString& name, const QString& value, bool thenMessage = false) {
        WhenModal([this, name, value, thenMessage](TCustomForm& dialog) {
            captions.push_back(dialog.Caption());
            TypeText(dialog, name);
            PressKey(dialog, Qt::Key_Tab);
            TypeText(dialog, value);
            if (thenMessage) AnswerNextMessage(Qt::Key_Return);
            PressKey(dialog, Qt::Key_Return);
            if (thenMessage && dialog.Tag() == 0) PressKey(dialog, Qt::Key_Escape);
        });
    }

    // Runs fn and fails the test if a modal window opens meanwhile (closing it).
    void ExpectNoModal(const std::function<void()>& fn) {
        QTimer watch;
        int seen = 0;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            if (TCustomForm* form = TopModalForm()) {
                ++seen;
                ADD_FAILURE() << "a modal window opened: " << MessageOf(*form);
                form->RequestClose();
            }
        });
        watch.start(10);
        fn();
        QApplication::processEvents();
        EXPECT_EQ(seen, 0);
    }

    // Edits the caption at index in place (F2 on the selected item), types text over it and
    // ends the edit with key (Enter commits, Escape cancels); then lets what the window
    // posted after the edit run.
    void EditCaption(QAbstractItemView* view, const QModelIndex& index, const QString& text,
                     Qt::Key key = Qt::Key_Return) {
        // A click on the selected item would start an edit of its own, a moment later.
        if (!view->selectionModel()->isSelected(index)) ClickWith(view, Qt::LeftButton, CentreOf(view, index));
        view->setFocus();
        QTest::keyClick(view, Qt::Key_F2);
        QLineEdit* editor = EditorOf(view, index);
        ASSERT_NE(editor, nullptr);
        editor->selectAll();
        if (text.isEmpty()) QTest::keyClick(editor, Qt::Key_Delete);
        for (QChar ch : text) {
            if (ch.unicode() < 0x80) QTest::keyClick(editor, char(ch.unicode()));
            else QTest::sendKeyEvent(QTest::Click, editor, Qt::Key_unknown, QString(ch), Qt::NoModifier);
        }
        QTest::keyClick(editor, key);
        for (int i = 0; i < 3; ++i) QApplication::processEvents();
    }

    std::vector<std::string> TreeTexts() const {
        std::vector<std::string> texts;
        if (Root())
            for (int i = 0; i < Root()->Count(); ++i) texts.push_back(Root()->Item(i)->Text());
        return texts;
    }
    // Each row as "caption=value".
    std::vector<std::string> ListRows() const {
        std::vector<std::string> rows;
        TListItems& items = main->ListView1->Items();
        for (int i = 0; i < items.Count(); ++i) {
            TListItem* row = items.Item(i);
            rows.push_back(row->Caption() + "=" + (row->SubItems().Count() > 0 ? row->SubItems().At(0) : "<none>"));
        }
        return rows;
    }
    TListItem* Row(int index) const { return main->ListView1->Items().Item(index); }

    static std::string EditTextOf(TCustomForm& form) {
        for (int i = 0; i < form.ComponentCount(); ++i)
            if (auto* edit = dynamic_cast<TEdit*>(form.ComponentAt(i))) return edit->Text();
        return "<no edit>";
    }

    std::filesystem::path folder;
    std::optional<ScopedEnvironment> stateHome;
    std::optional<ScopedEnvironment> dataHome;  // the desktop's recent-files list
    std::unique_ptr<TForm1> main;
    QAbstractItemView* tree = nullptr;
    QAbstractItemView* list = nullptr;
    std::vector<std::string> errorBoxes;
    std::vector<std::string> messages;
    std::vector<std::string> captions;  // of the input boxes answered
    std::vector<MenuShown> menus;
    TMenuItem* nextChoice = nullptr;
    std::shared_ptr<int> pending = std::make_shared<int>(0);

private:
    ScopedSeam<MessageBoxInterceptor> boxSeam_{
        SetMessageBoxInterceptor,
        [this](const std::string& text, const std::string&, MessageBoxIcon) { errorBoxes.push_back(text); }};
    ScopedSeam<PopupMenuChooser> menuSeam_{SetPopupMenuChooser, [this](TPopupMenu& menu, int x, int y) -> TMenuItem* {
        MenuShown shown{&menu, {}, QPoint(x, y)};
        for (int i = 0; i < menu.ItemCount(); ++i) shown.enabled.push_back(menu.Item(i)->Enabled());
        menus.push_back(shown);
        TMenuItem* chosen = nextChoice;
        nextChoice = nullptr;
        return chosen;
    }};
};

}  // namespace apptest
