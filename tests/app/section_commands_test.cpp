// The tree's section commands and the enabling of both context menus, through real presses
// on the tree and the list; menus are answered through the menu seam.
#include "main_window_fixture.h"
#include "engine/ini_failure.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QCursor>

namespace apptest {
namespace {

const std::string kSimple =
    "[General]\n"
    "Name=Sample\n"
    "\n"
    "[Window]\n"
    "Left=100\n"
    "Top=80\n"
    "\n"
    "[Recent]\n"
    "File1=/home/user/notes.ini\n";

using Flags = std::vector<bool>;

class SectionCommandsTest : public MainWindowTest {
protected:
    void SetTree(bool add, bool kill) {
        main->mtreeadd->SetEnabled(add);
        main->mtreekill->SetEnabled(kill);
    }
    void SetKeys(bool enabled) {
        for (TMenuItem* item : {main->mchang, main->mkill, main->madd}) item->SetEnabled(enabled);
    }
    Flags TreeFlags() const { return {main->mtreeadd->Enabled(), main->mtreekill->Enabled()}; }
    Flags KeyFlags() const { return {main->mchang->Enabled(), main->mkill->Enabled(), main->madd->Enabled()}; }
    // The key menu's items as it opened: change, kill, add (the separator left out).
    static Flags KeyItemsShown(const MenuShown& shown) {
        return {shown.enabled[0], shown.enabled[2], shown.enabled[3]};
    }
    // The menu that the last press opened, with its items' flags.
    const MenuShown& LastMenu() {
        static const MenuShown none;
        if (menus.empty()) ADD_FAILURE() << "no menu opened";
        return menus.empty() ? none : menus.back();
    }
};

// A right press selects and lists the node it lands on before the menu opens, so that the
// menu's commands act on the node the user pointed at; empty space keeps the selection.
TEST_F(SectionCommandsTest, ARightPressSelectsAndListsThePressedNodeBeforeTheMenuOpens) {
    ClickWith(tree, Qt::RightButton, TreeEmptySpace());
    EXPECT_EQ(LastMenu().menu, main->Poptree);
    EXPECT_EQ(LastMenu().enabled, (Flags{false, false, true, false})) << "no file";

    Load(kSimple);
    ClickNode(Root());
    SetTree(false, true);
    const QPoint at = CentreOf(tree, IndexOf(Section(1)));
    ClickWith(tree, Qt::RightButton, at);
    EXPECT_EQ(LastMenu().enabled, (Flags{true, true, true, true})) << "root selected, a section pressed";
    EXPECT_EQ(LastMenu().at, tree->viewport()->mapToGlobal(at));
    EXPECT_EQ(main->tree1->Selected(), Section(1)) << "the pressed node is selected";
    EXPECT_EQ(ListRows(), (std::vector<std::string>{"Left=100", "Top=80"})) << "and listed";

    ClickWith(tree, Qt::RightButton, TreeEmptySpace());
    EXPECT_EQ(main->tree1->Selected(), Section(1)) << "empty space keeps the selection";
    EXPECT_EQ(ListRows(), (std::vector<std::string>{"Left=100", "Top=80"}));

    SetTree(false, true);
    PressNode(Root(), Qt::RightButton);
    EXPECT_EQ(LastMenu().enabled, (Flags{true, false, true, true}));
    EXPECT_EQ(TreeFlags(), (Flags{true, false})) << "the flags stay as the press set them";
    EXPECT_TRUE(ListRows().empty());
    EXPECT_EQ(menus.size(), 4u);
}

TEST_F(SectionCommandsTest, KeyMenuEnablingFollowsTheSectionAndTheRow) {
    ClickWith(list, Qt::RightButton, ListEmptySpace());
    EXPECT_EQ(LastMenu().menu, main->PopupMenu1);
    EXPECT_EQ(KeyItemsShown(LastMenu()), (Flags{false, false, false})) << "no file";

    Load(kSimple);
    SetKeys(true);
    ClickWith(list, Qt::RightButton, ListEmptySpace());
    EXPECT_EQ(KeyItemsShown(LastMenu()), (Flags{false, false, true})) << "a section, no row";

    SetKeys(false);
    const QPoint at = CentreOf(list, IndexOf(Row(0)));
    QCursor::setPos(list->viewport()->mapToGlobal(at));  // the offscreen pointer follows no event
    ClickWith(list, Qt::RightButton, at);
    EXPECT_EQ(main->ListView1->Selected(), Row(0));
    EXPECT_EQ(KeyItemsShown(LastMenu()), (Flags{true, true, true})) << "a section and a row";
    EXPECT_EQ(LastMenu().at, list->viewport()->mapToGlobal(at)) << "at the pointer";

    // The root selected while the list still shows a section's rows.
    main->tree1->SetSelected(Root());
    SetKeys(false);
    PressRow(Row(0), Qt::RightButton);
    EXPECT_EQ(KeyItemsShown(LastMenu()), (Flags{true, true, true})) << "the root and a row";

    ClickNode(Root());
    SetKeys(true);
    ClickWith(list, Qt::RightButton, ListEmptySpace());
    EXPECT_EQ(KeyItemsShown(LastMenu()), (Flags{false, false, false})) << "the root, no row";
    EXPECT_EQ(KeyFlags(), (Flags{false, false, false}));
    EXPECT_EQ(menus.size(), 5u);
}

TEST_F(SectionCommandsTest, LeftAndMiddlePressesChangeNoEnablingAndOpenNoMenu) {
    Load(kSimple);
    SetTree(false, true);
    SetKeys(true);
    main->mkill->SetEnabled(false);
    for (Qt::MouseButton button : {Qt::LeftButton, Qt::MiddleButton}) {
        PressNode(Section(1), button);
        PressNode(Root(), button);
        ClickWith(tree, button, TreeEmptySpace());
        ClickWith(list, button, ListEmptySpace());
    }
    ClickNode(Section(0));
    PressRow(Row(0), Qt::MiddleButton);
    PressRow(Row(0), Qt::LeftButton);
    EXPECT_EQ(TreeFlags(), (Flags{false, true}));
    EXPECT_EQ(KeyFlags(), (Flags{true, false, true}));
    EXPECT_TRUE(menus.empty());
}

TEST_F(SectionCommandsTest, AddFoldsTheNameAppendsTheNodeAndWritesMainEquals01) {
    const std::string path = Load(kSimple);
    ClickNode(Section(1));
    const auto rows = ListRows();
    AnswerNextInput("New Sect", Qt::Key_Return);
    ChooseOnNode(Section(1), main->mtreeadd);
    EXPECT_EQ(captions, std::vector<std::string>{Ansi("新小节")});
    EXPECT_EQ(TreeTexts(), (std::vector<std::string>{"General", "Window", "Recent", "new sect"}));
    EXPECT_EQ(Section(3)->ImageIndex(), 1);
    EXPECT_EQ(Section(3)->SelectedIndex(), 1);
    EXPECT_EQ(main->tree1->Selected(), Section(1)) << "the new node is not selected";
    EXPECT_EQ(ListRows(), rows);

    const std::string now = ReadBytes(path);
    ASSERT_EQ(now.substr(0, kSimple.size()), kSimple) << "the rest of the file stays";
    std::string added = now.substr(kSimple.size());
    added.erase(0, added.find_first_not_of("\n"));
    EXPECT_EQ(added, "[new sect]\nmain=01\n");

    ClickNode(Section(3));
    EXPECT_EQ(ListRows(), std::vector<std::string>{"main=01"});
}

TEST_F(SectionCommandsTest, AddRefusesANameTheTreeOrTheFileHoldsAndIgnoresAnEmptyOne) {
    const std::string path = Load(kSimple);
    AnswerNextInput("WINDOW", Qt::Key_Return, nullptr, true);
    ChooseOnNode(Section(0), main->mtreeadd);
    EXPECT_EQ(messages, std::vector<std::string>{"window" + Ansi(" 小节已有，请另起一个名称")});
    EXPECT_EQ(ReadBytes(path), kSimple);

    const std::string changed = kSimple + "[Extra]\nmain=keep\n";
    WriteBytes(path, changed);
    messages.clear();
    AnswerNextInput("extra", Qt::Key_Return, nullptr, true);
    ChooseOnNode(Section(0), main->mtreeadd);
    EXPECT_EQ(messages, std::vector<std::string>{"extra" + Ansi(" 小节已有，请另起一个名称")});
    EXPECT_EQ(ReadBytes(path), changed) << "the file's own section keeps its main key";

    messages.clear();
    AnswerNextInput("ignored", Qt::Key_Escape);
    ChooseOnNode(Section(0), main->mtreeadd);
    AnswerNextInput("", Qt::Key_Return);
    ChooseOnNode(Section(0), main->mtreeadd);
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(ReadBytes(path), changed);
    // No node for the cancelled or empty names; the view may by now follow the outside change.
    const std::vector<std::string> before{"General", "Window", "Recent"}, followed{"General", "Window", "Recent", "Extra"};
    const std::vector<std::string> shown = TreeTexts();
    EXPECT_TRUE(shown == before || shown == followed) << ::testing::PrintToString(shown);
}

TEST_F(SectionCommandsTest, DeleteRemovesTheSelectedSectionWithItsKeysOnlyWhenAnsweredYes) {
    const std::string path = Load(kSimple);
    ClickNode(Section(1));
    const auto rows = ListRows();
    AnswerNextMessage(Qt::Key_Escape);
    ChooseOnNode(Section(1), main->mtreekill);
    CloseNextMessage();
    ChooseOnNode(Section(1), main->mtreekill);
    AnswerNextMessage(Qt::Key_N);
    ChooseOnNode(Section(1), main->mtreekill);
    EXPECT_EQ(messages, std::vector<std::string>(3, Ansi("确定要删除吗？\n小节：[Window]")));
    EXPECT_EQ(ReadBytes(path), kSimple);
    EXPECT_EQ(TreeTexts(), (std::vector<std::string>{"General", "Window", "Recent"}));
    EXPECT_EQ(ListRows(), rows);

    AnswerNextMessage(Qt::Key_Return);
    ChooseOnNode(Section(1), main->mtreekill);
    const std::string now = ReadBytes(path);
    for (const char* gone : {"[Window]", "Left=100", "Top=80"}) EXPECT_EQ(now.find(gone), std::string::npos) << gone;
    std::string kept = kSimple;
    kept.erase(kSimple.find("[Window]"), kSimple.find("[Recent]") - kSimple.find("[Window]"));
    EXPECT_EQ(WithoutLine(now, ""), WithoutLine(kept, "")) << "the other sections keep every line";
    EXPECT_EQ(TreeTexts(), (std::vector<std::string>{"General", "Recent"}));
    EXPECT_TRUE(ListRows().empty());
    EXPECT_EQ(main->tree1->Selected(), nullptr);

    ClickNode(Section(1));
    EXPECT_EQ(ListRows(), std::vector<std::string>{"File1=/home/user/notes.ini"});
}

TEST_F(SectionCommandsTest, TheKeyboardMenuIsEnabledForTheSelectionAndCommandsNeedTheirNode) {
    // Enabled by the layout, but with no file there is nothing to act on.
    nextChoice = main->mtreeadd;
    ExpectNoModal([&] { TreeMenuKey(); });
    EXPECT_EQ(LastMenu().menu, main->Poptree);
    EXPECT_EQ(LastMenu().enabled, (Flags{false, false, true, false}));
    ExpectNoModal([&] {
        main->mtreeaddClick(main->mtreeadd);
        main->mtreekillClick(main->mtreekill);
    });

    const std::string path = Load(kSimple);
    PressNode(Section(0), Qt::RightButton);
    ASSERT_EQ(LastMenu().enabled, (Flags{true, true, true, true}));
    tree->setFocus();
    QTest::keyClick(tree, Qt::Key_Up);
    ASSERT_EQ(main->tree1->Selected(), Root());
    nextChoice = main->mtreekill;
    ExpectNoModal([&] { TreeMenuKey(); });
    EXPECT_EQ(LastMenu().enabled, (Flags{true, false, true, true}));
    ExpectNoModal([&] { main->mtreekillClick(main->mtreekill); });
    EXPECT_EQ(ReadBytes(path), kSimple);
    EXPECT_EQ(Root()->Count(), 3);
}

TEST_F(SectionCommandsTest, AReadOnlyFileReportsTheFailedWriteAndTheTreeStays) {
    const std::string path = Load(kSimple);
    ClickNode(Section(1));
    const auto rows = ListRows();
    ASSERT_EQ(chmod(path.c_str(), 0444), 0);
    AnswerNextInput("fresh", Qt::Key_Return);
    ChooseOnNode(Section(1), main->mtreeadd);
    AnswerNextMessage(Qt::Key_Return);
    ChooseOnNode(Section(1), main->mtreekill);
    // Root may open the file for writing but respects the missing write bit.
    const std::string failed = "Unable to write to " + path + ". " +
        IniFailureText(geteuid() == 0 ? IniFailure::ReadOnlyFile : IniFailure::PermissionDenied) + ".";
    EXPECT_EQ(errorBoxes, (std::vector<std::string>{failed, failed}));
    EXPECT_EQ(ReadBytes(path), kSimple);
    EXPECT_EQ(TreeTexts(), (std::vector<std::string>{"General", "Window", "Recent"}));
    EXPECT_EQ(main->tree1->Selected(), Section(1));
    EXPECT_EQ(ListRows(), rows);
}

}  // namespace
}  // namespace apptest
