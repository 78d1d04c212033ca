// Loading a file through the file-name field and the browse button, and listing sections.
#include "main_window_fixture.h"

#include "dialogs/open_dialog.h"
#include "engine/ini_service.h"
#include "tests/engine/counting_status.h"
#include "ui/button.h"
#include "ui/screen.h"
#include "ui/widget_access.h"

namespace apptest {
namespace {

const std::string kSimple =
    "; settings\n"
    "[General]\n"
    "Name=Sample\n"
    "Version=1.4\n"
    "\n"
    "[Window]\n"
    "Left=100\n"
    "Top=80\n";

class LoadingTest : public MainWindowTest {
protected:
    // Everything a failed or refused load must leave alone.
    struct Shown {
        std::vector<std::string> nodes, rows;
        TTreeNode* selected;
        std::string path;
        bool operator==(const Shown&) const = default;
    };
    Shown Now() const { return {TreeTexts(), ListRows(), main->tree1->Selected(), CurrentIniPath}; }

    // Enter in the field on path, answering the warning that should come with OK.
    void EnterExpectingWarning(const std::string& path) {
        AnswerNextMessage(Qt::Key_Return);
        TypePathAndEnter(path);
    }
};

TEST_F(LoadingTest, EnterLoadsTheTreeAndListsTheFirstSection) {
    const std::string path = Path("file.ini");
    WriteBytes(path, kSimple);
    QWidget* field = WidgetOf(*main->ledtfname);
    field->setFocus();
    QTest::keyClicks(field, QString::fromStdString(path));
    EXPECT_EQ(Root(), nullptr) << "only Enter loads";
    QTest::keyClick(field, Qt::Key_Return);

    EXPECT_EQ(CurrentIniPath, path);
    ASSERT_EQ(main->tree1->Items().TopCount(), 1);
    EXPECT_EQ(Root()->Text(), "file.ini") << "the root shows the file name only";
    EXPECT_EQ(Root()->ImageIndex(), 0);
    EXPECT_TRUE(Root()->Expanded());
    EXPECT_TRUE(static_cast<QTreeView*>(tree)->isExpanded(IndexOf(Root())));
    EXPECT_EQ(TreeTexts(), (std::vector<std::string>{"General", "Window"}));
    for (TTreeNode* node : {Section(0), Section(1)}) {
        EXPECT_EQ(node->ImageIndex(), 1);
        EXPECT_EQ(node->SelectedIndex(), 1);
    }
    EXPECT_EQ(main->tree1->Selected(), Section(0));
    EXPECT_EQ(ListRows(), (std::vector<std::string>{"Name=Sample", "Version=1.4"}));
    EXPECT_EQ(list->model()->index(1, 1).data().toString(), "1.4");
    EXPECT_EQ(TScreen::Instance().Cursor(), TCursor::crDefault) << "the busy cursor goes with the load";
}

TEST_F(LoadingTest, EnterWithShiftOrCtrlReloadsFromScratch) {
    const std::string path = Load(kSimple);
    ClickNode(Section(1));
    ASSERT_EQ(ListRows(), (std::vector<std::string>{"Left=100", "Top=80"}));

    WriteBytes(path, kSimple + "[Added]\nk=v\n");
    QWidget* field = WidgetOf(*main->ledtfname);
    field->setFocus();
    QTest::keyClick(field, Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_EQ(TreeTexts(), (std::vector<std::string>{"General", "Window", "Added"}));
    EXPECT_EQ(main->tree1->Selected(), Section(0)) << "the first section is selected again";
    EXPECT_EQ(ListRows(), (std::vector<std::string>{"Name=Sample", "Version=1.4"}));

    WriteBytes(path, "[Only]\nx=1\n");
    QTest::keyClick(field, Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(TreeTexts(), (std::vector<std::string>{"Only"}));
    EXPECT_EQ(ListRows(), (std::vector<std::string>{"x=1"}));
}

TEST_F(LoadingTest, AnEmptyFieldDoesNothingSilently) {
    Load(kSimple);
    const Shown before = Now();
    ExpectNoModal([&] { TypePathAndEnter(""); });
    EXPECT_EQ(Now(), before);
    EXPECT_TRUE(errorBoxes.empty());
}

TEST_F(LoadingTest, AMissingFileOrAFolderWarnsAndChangesNothing) {
    Load(kSimple);
    ClickNode(Section(1));
    const Shown before = Now();
    std::filesystem::create_directory(Path("folder.ini"));
    for (const std::string& path : {Path("missing.ini"), Path("folder.ini")}) {
        messages.clear();
        EnterExpectingWarning(path);
        EXPECT_EQ(messages, std::vector<std::string>{Ansi("不存在这个文件！")}) << path;
        EXPECT_EQ(Now(), before) << path;
        EXPECT_EQ(QApplication::focusWidget(), WidgetOf(*main->ledtfname)) << path;
    }
    EXPECT_TRUE(errorBoxes.empty());
}

TEST_F(LoadingTest, AFileThatPassesTheExistenceTestButCannotBeOpenedIsReported) {
    const std::string previous = Load(kSimple);
    ClickNode(Section(1));
    const Shown before = Now();
    // The existence test matches the pattern against the folder; opening takes it literally.
    const std::string pattern = Path("file.in?");
    ExpectNoModal([&] { TypePathAndEnter(pattern); });
    EXPECT_EQ(errorBoxes, std::vector<std::string>{"Cannot open file " + pattern + "."});
    EXPECT_EQ(Now(), before);
    EXPECT_EQ(CurrentIniPath, previous) << "the commands stay on the file the tree shows";
    EXPECT_EQ(TScreen::Instance().Cursor(), TCursor::crDefault) << "also a failed load takes the busy cursor away";
}

// The tree shows the sections a reader of the file finds, by the names it finds: blanks around
// a name are no part of it, and a header may stand indented.
TEST_F(LoadingTest, HeaderLinesGiveOneNodeEachInFileOrder) {
    Load("[alpha]\n"
         "a=1\n"
         "[open\n"
         "[ spaced ]\n"
         "[two]x]\n"
         " [indented]\n"
         "\t[tabbed]\n"
         "[]\n"
         "[Alpha]\n"
         "[alpha]\n"
         "plain=[not]\n"
         "[last]");
    EXPECT_EQ(TreeTexts(), (std::vector<std::string>{"alpha", "open", "spaced", "two", "indented", "tabbed", "", "Alpha",
                                                     "alpha", "last"}));
    // The three of one name are marked; the others show the plain section image.
    for (int i = 0; i < Root()->Count(); ++i) EXPECT_EQ(Section(i)->ImageIndex(), i == 0 || i == 7 || i == 8 ? 3 : 1) << i;
    EXPECT_EQ(ListRows(), std::vector<std::string>{"a=1"});

    // A byte-order mark in front of the first header hides neither the section nor its keys.
    Load("\xEF\xBB\xBF[first]\nk=v\n[second]\n", "bom.ini");
    EXPECT_EQ(TreeTexts(), (std::vector<std::string>{"first", "second"}));
    EXPECT_EQ(ListRows(), std::vector<std::string>{"k=v"});
}

TEST_F(LoadingTest, AFileWithoutHeadersShowsAChildlessRootAndNoSelection) {
    Load(kSimple);
    ASSERT_FALSE(ListRows().empty());
    Load("; nothing here\nkey=value\n", "bare.ini");
    ASSERT_NE(Root(), nullptr);
    EXPECT_EQ(Root()->Text(), "bare.ini");
    EXPECT_EQ(Root()->Count(), 0);
    EXPECT_TRUE(Root()->Expanded());
    EXPECT_EQ(main->tree1->Selected(), nullptr);
    EXPECT_TRUE(ListRows().empty());
}

TEST_F(LoadingTest, ClicksListTheSectionInFileOrderAndTheRootClearsTheList) {
    // A section named like the file: the root must not list it.
    Load("[first]\nz=26\na=1\nm=13\n[empty]\n[second]\nKey=Mixed Case \n[file.ini]\nroot=no\n");
    ClickNode(Section(2));
    EXPECT_EQ(ListRows(), std::vector<std::string>{"Key=Mixed Case"});
    ClickNode(Section(0));
    EXPECT_EQ(ListRows(), (std::vector<std::string>{"z=26", "a=1", "m=13"}));
    for (int i = 0; i < 3; ++i) EXPECT_EQ(Row(i)->ImageIndex(), 2) << i;

    // A click re-reads the section from the file.
    WriteBytes(CurrentIniPath, "[first]\nonly=now\n[file.ini]\nroot=no\n");
    ClickNode(Section(2));
    EXPECT_TRUE(ListRows().empty()) << "a section the file no longer holds lists nothing";
    ClickNode(Section(0));
    EXPECT_EQ(ListRows(), std::vector<std::string>{"only=now"});

    ClickNode(Root());
    EXPECT_EQ(main->tree1->Selected(), Root());
    EXPECT_TRUE(ListRows().empty());
    ClickNode(Section(1));
    EXPECT_TRUE(ListRows().empty());
}

TEST_F(LoadingTest, AClickChecksTheFileAsOftenForAnyNumberOfKeysAndTheNextClickSeesAnotherProgramsChange) {
    std::string bytes = "[many]\n";
    for (int i = 0; i < 100; ++i) bytes += "k" + std::to_string(i) + "=" + std::to_string(i) + "\n";
    Load(bytes + "[other]\nx=1\n");
    CountingStatus ops;
    ScopedSeam seam(UseIniFileOps, &ops);
    ClickNode(Section(0));  // parsed again through the counting seam
    ops.calls = 0;
    ClickNode(Section(1));
    const int oneKey = ops.calls;
    ops.calls = 0;
    ClickNode(Section(0));
    ASSERT_EQ(ListRows().size(), 100u);
    EXPECT_EQ(ListRows()[99], "k99=99");
    EXPECT_EQ(ops.calls, oneKey) << "as many checks for a hundred keys as for one";
    EXPECT_LE(ops.calls, 2);

    WriteBytes(CurrentIniPath, "[many]\nk0=changed by another program\n[other]\nx=1\n");
    ClickNode(Section(0));
    EXPECT_EQ(ListRows(), std::vector<std::string>{"k0=changed by another program"});
}

TEST_F(LoadingTest, KeyboardMovesListTheNewlySelectedSection) {
    Load(kSimple);
    tree->setFocus();
    QTest::keyClick(tree, Qt::Key_Down);
    ASSERT_EQ(main->tree1->Selected(), Section(1));
    EXPECT_EQ(ListRows(), (std::vector<std::string>{"Left=100", "Top=80"}));
    QTest::keyClick(tree, Qt::Key_Up);
    QTest::keyClick(tree, Qt::Key_Up);
    ASSERT_EQ(main->tree1->Selected(), Root());
    EXPECT_TRUE(ListRows().empty());
    QTest::keyClick(tree, Qt::Key_Down);
    EXPECT_EQ(ListRows(), (std::vector<std::string>{"Name=Sample", "Version=1.4"}));
}

TEST_F(LoadingTest, AGbkFileUnderCodePage936ShowsItsNamesAndKeepsTheBytes) {
    ScopedLocale chinese("zh_CN.GBK", TCodePage::Gbk);
    const std::string general = "\xB3\xA3\xB9\xE6", window = "\xB4\xB0\xBF\xDA";      // 常规, 窗口
    const std::string name = "\xC3\xFB\xB3\xC6", width = "\xBF\xED\xB6\xC8";         // 名称, 宽度
    const std::string value = "Ini\xCE\xC4\xBC\xFE";                                  // Ini文件
    const std::string odd = "k\xFFy";  // no character of the code page
    Load("; \xD6\xD0\xCE\xC4\n[" + general + "]\n" + name + "=" + value + "\n" + odd + "=kept value\n[" + window +
             "]\n" + width + "=640\n",
         "gbk.ini");
    EXPECT_EQ(TreeTexts(), (std::vector<std::string>{general, window}));
    EXPECT_EQ(IndexOf(Section(0)).data().toString(), QString::fromUtf8("常规"));
    EXPECT_EQ(IndexOf(Section(1)).data().toString(), QString::fromUtf8("窗口"));
    EXPECT_EQ(ListRows(), (std::vector<std::string>{name + "=" + value, odd + "=kept value"}));
    EXPECT_EQ(list->model()->index(0, 0).data().toString(), QString::fromUtf8("名称"));
    EXPECT_EQ(list->model()->index(0, 1).data().toString(), QString::fromUtf8("Ini文件"));
    EXPECT_FALSE(list->model()->index(1, 0).data().toString().isEmpty());
    ClickNode(Section(1));
    EXPECT_EQ(ListRows(), std::vector<std::string>{width + "=640"});
}

TEST_F(LoadingTest, TheBrowseButtonLoadsTheChosenFileAndACancelChangesNothing) {
    Load(kSimple);
    const Shown before = Now();
    const std::string fieldBefore = main->ledtfname->Text();
    const std::string other = File("other.ini", "[Picked]\np=1\n");
    std::string chosen;
    int runs = 0;
    main->dlgopen->SetChooser([&](TFileChooserRequest& record) {
        ++runs;
        if (chosen.empty()) return false;
        std::copy(chosen.begin(), chosen.end(), record.File.begin());
        record.File[chosen.size()] = '\0';
        return true;
    });

    ExpectNoModal([&] { QTest::mouseClick(WidgetOf(*main->Btnliu), Qt::LeftButton); });
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(Now(), before);
    EXPECT_EQ(main->ledtfname->Text(), fieldBefore);

    chosen = other;
    QTest::mouseClick(WidgetOf(*main->Btnliu), Qt::LeftButton);
    EXPECT_EQ(main->ledtfname->Text(), other);
    EXPECT_EQ(CurrentIniPath, other);
    EXPECT_EQ(Root()->Text(), "other.ini");
    EXPECT_EQ(TreeTexts(), std::vector<std::string>{"Picked"});
    EXPECT_EQ(ListRows(), std::vector<std::string>{"p=1"});

    // A chosen file gone meanwhile: the warning, then the focus goes to the field.
    chosen = Path("gone.ini");
    const Shown loaded = Now();
    AnswerNextMessage(Qt::Key_Return);
    QTest::mouseClick(WidgetOf(*main->Btnliu), Qt::LeftButton);
    EXPECT_EQ(messages, std::vector<std::string>{Ansi("不存在这个文件！")});
    EXPECT_EQ(Now(), loaded);
    EXPECT_EQ(QApplication::focusWidget(), WidgetOf(*main->ledtfname));
}

}  // namespace
}  // namespace apptest
