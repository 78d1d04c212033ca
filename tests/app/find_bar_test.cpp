// The find bar from the keyboard: Ctrl+F, the text typed, Enter and Shift+Enter through the
// matches round the end of the file, F3 from the views, the count, the option that shows only
// matching sections, Esc back to where the focus was; a GBK file under a UTF-8 desktop.
#include "main_window_fixture.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

#include "app/find_bar.h"
#include "encoding/code_page.h"
#include "ui/check_box.h"
#include "ui/label.h"

namespace apptest {
namespace {

class FindBarTest : public MainWindowTest {
protected:
    void KeyOn(QWidget* widget, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        widget->setFocus();
        QTest::keyClick(widget, key, modifiers);
    }
    QWidget* FindEdit() const { return QApplication::focusWidget(); }
    // Ctrl+F from the tree, the text typed over what the field held, Enter.
    void Find(const QString& text) {
        KeyOn(tree, Qt::Key_F, Qt::ControlModifier);
        QWidget* field = QApplication::focusWidget();
        for (QChar ch : text) {
            if (ch.unicode() < 0x80) QTest::keyClick(field, char(ch.unicode()));
            else QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, QString(ch), Qt::NoModifier);
        }
        QTest::keyClick(field, Qt::Key_Return);
    }
    // The section and the row selected, as "section/key".
    std::string Selection() const {
        const TTreeNode* node = main->tree1->Selected();
        const TListItem* row = main->ListView1->Selected();
        return (node ? node->Text() : "-") + "/" + (row ? row->Caption() : "-");
    }
    std::string State() const {
        for (QLabel* label : WidgetOf(*main)->findChildren<QLabel*>())
            if (label->text().contains('/') || label->text().contains(QString::fromUtf8("找不到")))
                return label->text().toStdString();
        return "<none>";
    }
};

const std::string kFile =
    "[General]\n"
    "Name=Alpha\n"
    "Other=x\n"
    "[alphabet]\n"
    "k=1\n"
    "[Window]\n"
    "Left=100\n"
    "; alpha in a comment\n"
    "Title = the ALPHA window\n";

TEST_F(FindBarTest, EnterAndShiftEnterStepThroughTheWholeFileRoundItsEnd) {
    Load(kFile);
    main->tree1->SetSelected(Section(2));  // the search covers the file, not what follows the selection
    Find("alpha");
    QWidget* field = QApplication::focusWidget();
    EXPECT_EQ(State(), "1/3");
    EXPECT_EQ(Selection(), "General/Name");
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(Selection(), "alphabet/-") << "a section name: the node, no row";
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(Selection(), "Window/Title");
    EXPECT_EQ(State(), "3/3");
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(Selection(), "General/Name") << "round the end";
    QTest::keyClick(field, Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_EQ(Selection(), "Window/Title") << "and back round the start";
    EXPECT_EQ(QApplication::focusWidget(), field) << "the focus stays in the field";

    // F3 goes on from the views too.
    KeyOn(list, Qt::Key_F3);
    EXPECT_EQ(Selection(), "General/Name");
    KeyOn(tree, Qt::Key_F3, Qt::ShiftModifier);
    EXPECT_EQ(Selection(), "Window/Title");

    Find("no such text");
    EXPECT_EQ(State(), Ansi("找不到"));
    EXPECT_EQ(Selection(), "Window/Title") << "nothing found, nothing moved";
}

TEST_F(FindBarTest, EscClosesTheBarAndGivesTheFocusBack) {
    Load(kFile);
    list->setFocus();
    QTest::keyClick(list, Qt::Key_F, Qt::ControlModifier);
    QWidget* field = QApplication::focusWidget();
    ASSERT_NE(field, list);
    const int listHeight = main->ListView1->Height();
    EXPECT_TRUE(field->isVisible());
    QTest::keyClick(field, Qt::Key_Escape);
    EXPECT_FALSE(field->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), list);
    EXPECT_GT(main->ListView1->Height(), listHeight) << "the views take the bar's place back";
}

TEST_F(FindBarTest, TheOptionShowsOnlyTheMatchingSections) {
    Load(kFile);
    Find("alpha");
    auto* option = WidgetOf(*main)->findChild<QCheckBox*>();
    ASSERT_NE(option, nullptr);
    // Its access key, from the field.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_M, Qt::AltModifier);
    EXPECT_TRUE(option->isChecked());
    auto hidden = [&] {
        std::vector<bool> rows;
        for (int i = 0; i < Root()->Count(); ++i)
            rows.push_back(static_cast<QTreeView*>(tree)->isRowHidden(i, IndexOf(Root())));
        return rows;
    };
    EXPECT_EQ(hidden(), (std::vector<bool>{false, false, false}));
    Find("left");
    EXPECT_EQ(hidden(), (std::vector<bool>{true, true, false}));
    EXPECT_EQ(Selection(), "Window/Left");
    option->click();
    EXPECT_EQ(hidden(), (std::vector<bool>{false, false, false}));
    option->click();
    KeyOn(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_EQ(hidden(), (std::vector<bool>{false, false, false})) << "a closed bar hides nothing";
}

// The mouse user's find bar: the text is searched for once typing pauses, buttons step through
// the matches and close the bar; with only matching sections shown and no match, the list is
// empty too.
TEST_F(FindBarTest, TypingSearchesOnItsOwnButtonsStepAndCloseAndNoMatchEmptiesTheFilteredView) {
    Load(kFile);
    KeyOn(tree, Qt::Key_F, Qt::ControlModifier);
    QWidget* field = QApplication::focusWidget();
    for (char ch : std::string("alpha")) QTest::keyClick(field, ch);
    EXPECT_TRUE(QTest::qWaitFor([&] { return State() == "1/3"; }, 3000)) << State();
    EXPECT_EQ(Selection(), "General/Name");
    auto button = [&](const char* caption) {
        for (QPushButton* b : WidgetOf(*main)->findChildren<QPushButton*>())
            if (b->text().startsWith(QString::fromUtf8(caption)) && b->isVisible()) return b;
        ADD_FAILURE() << "no button " << caption;
        return static_cast<QPushButton*>(nullptr);
    };
    QTest::mouseClick(button("下一个"), Qt::LeftButton);
    EXPECT_EQ(State(), "2/3");
    EXPECT_EQ(Selection(), "alphabet/-");
    QTest::mouseClick(button("上一个"), Qt::LeftButton);
    QTest::mouseClick(button("上一个"), Qt::LeftButton);
    EXPECT_EQ(State(), "3/3") << "round the start of the file";
    EXPECT_EQ(Selection(), "Window/Title");

    WidgetOf(*main)->findChild<QCheckBox*>()->click();
    field->setFocus();
    QTest::keyClick(field, 'z');
    EXPECT_TRUE(QTest::qWaitFor([&] { return State() == Ansi("找不到"); }, 3000)) << State();
    EXPECT_EQ(main->ListView1->Items().Count(), 0) << "no section shown, no keys either";
    EXPECT_EQ(main->tree1->Selected(), nullptr);

    QTest::mouseClick(button("关闭"), Qt::LeftButton);
    EXPECT_FALSE(field->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), tree) << "back where the focus was";
    EXPECT_EQ(TreeTexts().size(), 3u);
}

// Under a UTF-8 desktop the typed text is taken into GBK; the GBK bytes 8E 41 (螦) hold an "A"
// that is no letter of its own.
TEST_F(FindBarTest, AGbkFileIsSearchedInItsOwnCodePageAndAnEditStartsTheSearchAgain) {
    ScopedLocale desktop("zh_CN.UTF-8", TCodePage::Utf8);
    const std::string path = Load(*Utf8ToCodePage("[设置]\r\n键=螦\r\n名称=值a\r\n[其他]\r\n值=1\r\n", TCodePage::Gbk));
    Find("A");
    EXPECT_EQ(State(), "1/1");
    EXPECT_EQ(Selection(), *Utf8ToCodePage("设置/名称", TCodePage::Gbk));
    Find(QString::fromUtf8("值"));
    EXPECT_EQ(State(), "1/2");
    EXPECT_EQ(Selection(), *Utf8ToCodePage("设置/名称", TCodePage::Gbk));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(Selection(), *Utf8ToCodePage("其他/值", TCodePage::Gbk));

    // Another value holding the text: the next Enter searches the file as it is now.
    main->tree1->SetSelected(Section(0));
    main->tree1Click(nullptr);
    main->ListView1->SetSelected(Row(0));
    AnswerNextInput(QString::fromUtf8("新值"), Qt::Key_Return);
    KeyOn(list, Qt::Key_Return);
    Find(QString::fromUtf8("值"));
    EXPECT_EQ(State(), "1/3");
}

TEST_F(FindBarTest, TheTextToFindKeepsItsCharactersWhenAFileOfAnotherEncodingIsLoaded) {
    ScopedLocale desktop("zh_CN.UTF-8", TCodePage::Utf8);
    Load(*Utf8ToCodePage("[设置]\r\n名称=值\r\n", TCodePage::Gbk), "gbk.ini");
    Find(QString::fromUtf8("值"));
    EXPECT_EQ(State(), "1/1");
    Load("[其他]\nk=值\n", "utf8.ini");
    KeyOn(tree, Qt::Key_F3);
    EXPECT_EQ(State(), "1/1");
    EXPECT_EQ(Selection(), "其他/k");
}

}  // namespace
}  // namespace apptest
