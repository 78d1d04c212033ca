// Every command of the main window from the keyboard alone: the context-menu keys open the
// menus at the selection with the enabling a right press would give, Delete and Enter act on
// the selection, Ctrl+O browses and Ctrl+L goes to the file name. The file is checked each time.
#include "main_window_fixture.h"

#include <QLineEdit>

#include "dialogs/open_dialog.h"
#include "ui/button.h"
#include "ui/combo_box.h"

namespace apptest {
namespace {

const std::string kSimple =
    "[General]\n"
    "Name=Sample\n"
    "Version=1.4\n"
    "\n"
    "[Window]\n"
    "Left=100\n";

using Flags = std::vector<bool>;

class KeyboardTest : public MainWindowTest {
protected:
    // A key pressed where the focus is put first, as the user would have moved it there.
    void KeyOn(QWidget* widget, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        widget->setFocus();
        QTest::keyClick(widget, key, modifiers);
    }
    const MenuShown& LastMenu() {
        static const MenuShown none;
        if (menus.empty()) ADD_FAILURE() << "no menu opened";
        return menus.empty() ? none : menus.back();
    }
    // The key menu's items as it opened: change, kill, add (the separator left out).
    static Flags KeyItems(const MenuShown& shown) { return {shown.enabled[0], shown.enabled[2], shown.enabled[3]}; }
    // Where on the screen the item is drawn.
    static QRect ScreenRectOf(QAbstractItemView* view, const QModelIndex& index) {
        QRect r = view->visualRect(index);
        return QRect(view->viewport()->mapToGlobal(r.topLeft()), r.size());
    }
};

TEST_F(KeyboardTest, FocusStartsInTheFileNameAndCtrlLBringsItBack) {
    EXPECT_EQ(QApplication::focusWidget(), WidgetOf(*main->ledtfname)) << "no file loaded";
    const std::string path = Load(kSimple);
    KeyOn(tree, Qt::Key_L, Qt::ControlModifier);
    auto* field = static_cast<QLineEdit*>(WidgetOf(*main->ledtfname));
    EXPECT_EQ(QApplication::focusWidget(), field);
    EXPECT_EQ(field->selectedText().toStdString(), path) << "typing replaces the whole name";
}

TEST_F(KeyboardTest, MenuKeysOnTheListEnableAsARightPressAndOpenAtTheRow) {
    Load(kSimple);
    for (Qt::Key key : {Qt::Key_Menu, Qt::Key_F10}) {
        const Qt::KeyboardModifiers modifiers = key == Qt::Key_F10 ? Qt::ShiftModifier : Qt::NoModifier;
        main->ListView1->SetSelected(nullptr);
        KeyOn(list, key, modifiers);
        EXPECT_EQ(LastMenu().menu, main->PopupMenu1);
        EXPECT_EQ(KeyItems(LastMenu()), (Flags{false, false, true})) << "a section, no row";

        main->ListView1->SetSelected(Row(1));
        KeyOn(list, key, modifiers);
        EXPECT_EQ(KeyItems(LastMenu()), (Flags{true, true, true})) << "a section and a row";
        const QRect row = ScreenRectOf(list, IndexOf(Row(1)));
        EXPECT_TRUE(row.adjusted(0, 0, 0, 1).contains(LastMenu().at)) << "at the row, not the pointer";
    }
    EXPECT_EQ(menus.size(), 4u) << "one menu for each press";
}

TEST_F(KeyboardTest, MenuKeysOnTheTreeOpenTheSectionMenuAtTheSelectedNode) {
    Load(kSimple);
    main->tree1->SetSelected(Section(1));
    for (Qt::Key key : {Qt::Key_Menu, Qt::Key_F10}) {
        KeyOn(tree, key, key == Qt::Key_F10 ? Qt::ShiftModifier : Qt::NoModifier);
        EXPECT_EQ(LastMenu().menu, main->Poptree);
        EXPECT_EQ(LastMenu().enabled, (Flags{true, true, true, true}));
        const QRect node = ScreenRectOf(tree, IndexOf(Section(1)));
        EXPECT_TRUE(node.adjusted(0, 0, 0, 1).contains(LastMenu().at)) << "at the node, not the tree's middle";
    }
    main->tree1->SetSelected(Root());
    KeyOn(tree, Qt::Key_F10, Qt::ShiftModifier);
    EXPECT_EQ(LastMenu().enabled, (Flags{true, false, true, true}));
    EXPECT_EQ(menus.size(), 3u);
}

TEST_F(KeyboardTest, EnterModifiesAndDeleteDeletesTheSelectedRow) {
    const std::string path = Load(kSimple);
    main->ListView1->SetSelected(Row(1));
    AnswerNextInput("2.0", Qt::Key_Return);
    KeyOn(list, Qt::Key_Return);
    std::string changed = kSimple;
    changed.replace(changed.find("1.4"), 3, "2.0");
    EXPECT_EQ(ReadBytes(path), changed);

    AnswerNextMessage(Qt::Key_Escape);
    KeyOn(list, Qt::Key_Delete);
    EXPECT_EQ(ReadBytes(path), changed) << "No keeps the key";
    AnswerNextMessage(Qt::Key_Return);
    KeyOn(list, Qt::Key_Delete);
    EXPECT_EQ(ReadBytes(path), WithoutLine(changed, "Version=2.0"));
    EXPECT_EQ(ListRows(), std::vector<std::string>{"Name=Sample"});
    EXPECT_EQ(messages, std::vector<std::string>(2, Ansi("确定要删除吗？\n关键字：Version")));
    ASSERT_NE(main->ListView1->Selected(), nullptr) << "the last row deleted, the one before it";
    EXPECT_EQ(main->ListView1->Selected()->Caption(), "Name");

    // Nothing selected: nothing to act on.
    main->ListView1->SetSelected(nullptr);
    ExpectNoModal([&] {
        KeyOn(list, Qt::Key_Delete);
        KeyOn(list, Qt::Key_Return);
    });
}

// The list tabbed into has a row to act on, and keeps one after a delete: the keyboard goes on
// where it was without a click or an arrow key first.
TEST_F(KeyboardTest, TabIntoTheListSelectsARowThatTheKeysActOnAtOnceAndADeleteSelectsTheNext) {
    const std::string path = Load("[s]\na=1\nb=2\nc=3\n");
    ASSERT_EQ(main->ListView1->Selected(), nullptr);
    KeyOn(tree, Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), list);
    ASSERT_NE(main->ListView1->Selected(), nullptr);
    EXPECT_EQ(main->ListView1->Selected()->Caption(), "a");
    KeyOn(list, Qt::Key_F10, Qt::ShiftModifier);
    EXPECT_EQ(KeyItems(LastMenu()), (Flags{true, true, true})) << "a row to modify and delete";

    AnswerNextMessage(Qt::Key_Return);
    QTest::keyClick(list, Qt::Key_Delete);
    EXPECT_EQ(ReadBytes(path), "[s]\nb=2\nc=3\n");
    ASSERT_NE(main->ListView1->Selected(), nullptr);
    EXPECT_EQ(main->ListView1->Selected()->Caption(), "b") << "the row that took its place";
    AnswerNextInput("20", Qt::Key_Return);
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_EQ(ReadBytes(path), "[s]\nb=20\nc=3\n");
}

// Tab moves the focus as the keyboard's move: the encoding box reached by it draws its focus
// frame, so the user sees where the keys go.
TEST_F(KeyboardTest, TheEncodingBoxReachedByTabShowsItsFocus) {
    Load(kSimple);
    QWidget* box = WidgetOf(*main->EncodingBox);
    const QImage unfocused = box->grab().toImage();
    KeyOn(WidgetOf(*main->BitBtn1), Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), box);
    EXPECT_NE(box->grab().toImage(), unfocused);
}

// The root shows the file's name, which is no section's: F2 there opens no editor.
TEST_F(KeyboardTest, F2EditsASectionsNameButNotTheRoots) {
    Load(kSimple);
    main->tree1->SetSelected(Root());
    KeyOn(tree, Qt::Key_F2);
    EXPECT_EQ(EditorOf(tree, IndexOf(Root())), nullptr);
    main->tree1->SetSelected(Section(0));
    KeyOn(tree, Qt::Key_F2);
    EXPECT_NE(EditorOf(tree, IndexOf(Section(0))), nullptr);
}

TEST_F(KeyboardTest, DeleteOnTheTreeDeletesTheSelectedSectionButNeverTheRoot) {
    const std::string path = Load(kSimple);
    main->tree1->SetSelected(Root());
    ExpectNoModal([&] { KeyOn(tree, Qt::Key_Delete); });
    main->tree1->SetSelected(Section(1));
    AnswerNextMessage(Qt::Key_Return);
    KeyOn(tree, Qt::Key_Delete);
    EXPECT_EQ(ReadBytes(path), "[General]\nName=Sample\nVersion=1.4\n\n");
    EXPECT_EQ(TreeTexts(), std::vector<std::string>{"General"});
}

TEST_F(KeyboardTest, KeysOfACaptionEditedInPlaceStayWithTheEditor) {
    const std::string path = Load(kSimple);
    main->ListView1->SetSelected(Row(0));
    KeyOn(list, Qt::Key_F2);
    QLineEdit* editor = EditorOf(list, IndexOf(Row(0)));
    ASSERT_NE(editor, nullptr);
    ExpectNoModal([&] {
        QTest::keyClick(editor, Qt::Key_End);
        QTest::keyClick(editor, Qt::Key_Delete);
        QTest::keyClick(editor, Qt::Key_F10, Qt::ShiftModifier);
    });
    EXPECT_TRUE(menus.empty());
    EXPECT_EQ(EditorOf(list, IndexOf(Row(0))), editor) << "still editing";
    EXPECT_EQ(ReadBytes(path), kSimple);
}

TEST_F(KeyboardTest, CtrlOBrowsesFromTheLoadedFilesFolderElseTheLastOneUsed) {
    std::vector<TFileChooserRequest> asked;
    std::string chosen;
    main->dlgopen->SetChooser([&](TFileChooserRequest& record) {
        asked.push_back(record);
        if (chosen.empty()) return false;
        std::copy(chosen.begin(), chosen.end(), record.File.begin());
        record.File[chosen.size()] = '\0';
        return true;
    });
    KeyOn(WidgetOf(*main->ledtfname), Qt::Key_O, Qt::ControlModifier);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].InitialDir, "") << "nothing used yet";
    EXPECT_EQ(asked[0].Filter, Ansi("Ini文件,inf文件") + '\0' + "*.ini;*.inf" + '\0' + Ansi("所有文件") + '\0' + "*" +
                                   '\0' + '\0');

    std::filesystem::create_directory(folder / "sub");
    chosen = File("sub/picked.ini", kSimple);
    KeyOn(tree, Qt::Key_O, Qt::ControlModifier);
    ASSERT_EQ(CurrentIniPath, chosen);
    EXPECT_EQ(QApplication::focusWidget(), WidgetOf(*main->ledtfname)) << "where a typed path leaves it";
    KeyOn(list, Qt::Key_O, Qt::ControlModifier);
    ASSERT_EQ(asked.size(), 3u);
    EXPECT_EQ(std::string(asked[2].File.data()), chosen) << "starts at the loaded file";

    // A later window with no file loaded starts where the last file was chosen.
    chosen.clear();
    main.reset(new TForm1(Application));
    CurrentIniPath.clear();
    main->dlgopen->SetChooser([&](TFileChooserRequest& record) {
        asked.push_back(record);
        return false;
    });
    main->Show();
    KeyOn(WidgetOf(*main->ledtfname), Qt::Key_O, Qt::ControlModifier);
    ASSERT_EQ(asked.size(), 4u);
    EXPECT_EQ(asked[3].InitialDir, Path("sub"));
    EXPECT_EQ(std::string(asked[3].File.data()), "");
}

}  // namespace
}  // namespace apptest
