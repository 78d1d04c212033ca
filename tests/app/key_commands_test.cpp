// The key list's commands, chosen from its menu after a real right press: modify a value,
// delete a key, add a key through the add-key dialog. The file on disk is checked each time.
#include "main_window_fixture.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QLineEdit>

#include "app/frm_add.h"
#include "shell/modal.h"
#include "engine/ini_failure.h"
#include "ui/button.h"
#include "ui/label.h"

namespace apptest {
namespace {

const std::string kSimple =
    "; settings\n"
    "[General]\n"
    "Name=Sample\n"
    "Version=1.4\n"
    "Enabled=1\n"
    "\n"
    "[Window]\n"
    "Left=100\n";

const std::vector<std::string> kGeneralRows = {"Name=Sample", "Version=1.4", "Enabled=1"};

class KeyCommandsTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        path = Load(kSimple);
        ASSERT_EQ(ListRows(), kGeneralRows);
    }

    // Windows and owned components, to see that a command freed what it created.
    std::pair<size_t, int> Owned() const {
        return {TScreen::Instance().Forms().size(), Application->ComponentCount()};
    }

    // Fills the next add-key dialog and accepts it; a write that fails leaves it open with the
    // texts, and it is cancelled then.
    void AcceptAddDialogThenCancel(const QString& name, const QString& value) {
        WhenModal([this, name, value](TCustomForm& dialog) {
            TypeText(dialog, name);
            PressKey(dialog, Qt::Key_Tab);
            TypeText(dialog, value);
            PressKey(dialog, Qt::Key_Return);
            auto& add = dynamic_cast<Tfnodeadd&>(dialog);
            EXPECT_TRUE(dialog.Visible() && add.ledtvalue->Text() == value.toStdString()) << "open with the texts";
            add.BitBtn1->Press();
        });
    }

    std::string path;
};

TEST_F(KeyCommandsTest, ModifyWritesTheAcceptedTextAndShowsIt) {
    std::string shownAtStart;
    AnswerNextInput("2.0 beta", Qt::Key_Return, &shownAtStart);
    ChooseOnRow(Row(1), main->mchang);
    EXPECT_EQ(shownAtStart, "1.4");
    EXPECT_EQ(captions, std::vector<std::string>{Ansi("新值")});
    EXPECT_EQ(ReadBytes(path), WithoutLine(kSimple, "Version=1.4").insert(kSimple.find("Version"), "Version=2.0 beta\n"));
    EXPECT_EQ(ListRows(), (std::vector<std::string>{"Name=Sample", "Version=2.0 beta", "Enabled=1"}));
    EXPECT_TRUE(errorBoxes.empty());
    EXPECT_NE(main->LineEndLabel->Caption().find(Ansi("已保存：[General] Version=2.0 beta")), std::string::npos)
        << main->LineEndLabel->Caption();
}

TEST_F(KeyCommandsTest, ModifyOfAQuotedValueKeepsOnePairOfQuotes) {
    path = Load("[php]\ndisable_functions = \"exec;system\"\n");
    std::string shownAtStart;
    AnswerNextInput("exec;system;passthru", Qt::Key_Return, &shownAtStart);
    ChooseOnRow(Row(0), main->mchang);
    EXPECT_EQ(shownAtStart, "exec;system");
    EXPECT_EQ(ReadBytes(path), "[php]\ndisable_functions = \"exec;system;passthru\"\n");
    // Quotes typed around it are that pair, not a second one.
    AnswerNextInput("\"exec\"", Qt::Key_Return);
    ChooseOnRow(Row(0), main->mchang);
    EXPECT_EQ(ReadBytes(path), "[php]\ndisable_functions = \"exec\"\n");
    EXPECT_TRUE(errorBoxes.empty());
}

TEST_F(KeyCommandsTest, ModifyClearedChangesNothingAndCancelWritesTheShownValueBack) {
    WhenModal([](TCustomForm& box) {
        PressKey(box, Qt::Key_Delete);  // the start text is selected
        PressKey(box, Qt::Key_Return);
    });
    ChooseOnRow(Row(0), main->mchang);
    EXPECT_EQ(ReadBytes(path), kSimple);
    EXPECT_EQ(ListRows(), kGeneralRows);

    AnswerNextInput("typed", Qt::Key_Escape);
    ChooseOnRow(Row(0), main->mchang);
    EXPECT_EQ(ReadBytes(path), kSimple) << "an unchanged value leaves the bytes alone";
    EXPECT_EQ(ListRows(), kGeneralRows);

    // Changed behind the program's back, the line is not written over: the view follows the file.
    const std::string changed = WithoutLine(kSimple, "Name=Sample").insert(kSimple.find("Name"), "Name=Other\n");
    WriteBytes(path, changed);
    AnswerNextInput("typed", Qt::Key_Escape, nullptr, true);
    ChooseOnRow(Row(0), main->mchang);
    EXPECT_EQ(ReadBytes(path), changed);
    EXPECT_EQ(ListRows(), (std::vector<std::string>{"Name=Other", "Version=1.4", "Enabled=1"}));
    EXPECT_EQ(messages, std::vector<std::string>{Ansi("文件已被其他程序修改，这次没有写入。请看过刷新后的内容再试。")});
    EXPECT_EQ(main->ListView1->Selected(), Row(0)) << "the row stays selected";
}

TEST_F(KeyCommandsTest, ModifyWithTheRootSelectedAsksNothing) {
    main->tree1->SetSelected(Root());  // the list still shows General
    ExpectNoModal([&] { ChooseOnRow(Row(1), main->mchang); });
    ASSERT_FALSE(menus.empty());
    EXPECT_EQ(ReadBytes(path), kSimple);
    EXPECT_EQ(ListRows(), kGeneralRows);
}

TEST_F(KeyCommandsTest, DeleteRemovesTheKeyOnlyWhenAnsweredYes) {
    AnswerNextMessage(Qt::Key_N);
    ChooseOnRow(Row(1), main->mkill);
    AnswerNextMessage(Qt::Key_Escape);
    ChooseOnRow(Row(1), main->mkill);
    CloseNextMessage();
    ChooseOnRow(Row(1), main->mkill);
    EXPECT_EQ(messages, std::vector<std::string>(3, Ansi("确定要删除吗？\n关键字：Version")));
    EXPECT_EQ(ReadBytes(path), kSimple);
    EXPECT_EQ(ListRows(), kGeneralRows);

    EXPECT_EQ(main->LineEndLabel->Caption().find(Ansi("已保存")), std::string::npos) << "nothing was written";

    AnswerNextMessage(Qt::Key_Return);  // Yes is the default
    ChooseOnRow(Row(1), main->mkill);
    EXPECT_EQ(ReadBytes(path), WithoutLine(kSimple, "Version=1.4"));
    EXPECT_EQ(ListRows(), (std::vector<std::string>{"Name=Sample", "Enabled=1"}));
    EXPECT_NE(main->LineEndLabel->Caption().find(Ansi("已保存：删除了 [General] Version")), std::string::npos);
}

TEST_F(KeyCommandsTest, AddFoldsTheNameKeepsTheValueAndAppendsTheRow) {
    const auto owned = Owned();
    AnswerNextAddDialog("New_Key9", "Mixed Value");
    ChooseOnRow(nullptr, main->madd);
    EXPECT_EQ(captions, std::vector<std::string>{Ansi("新增关键字")});
    EXPECT_EQ(ListRows(), (std::vector<std::string>{"Name=Sample", "Version=1.4", "Enabled=1", "new_key9=Mixed Value"}));
    EXPECT_EQ(Row(3)->ImageIndex(), 2);
    const std::string now = ReadBytes(path);
    EXPECT_EQ(WithoutLine(now, "new_key9=Mixed Value"), kSimple);
    const size_t added = now.find("new_key9=Mixed Value\n");
    ASSERT_NE(added, std::string::npos);
    EXPECT_LT(now.find("[General]"), added);
    EXPECT_LT(added, now.find("[Window]")) << "in the selected section";
    EXPECT_EQ(Owned(), owned) << "the dialog is freed";
}

// A refused name keeps the dialog open with what the user typed: the name can be corrected
// without typing the value again, or the dialog cancelled.
TEST_F(KeyCommandsTest, AddRefusesANameTheListOrTheFileHoldsInAnyLetterCaseAndKeepsTheDialogOpen) {
    const auto owned = Owned();
    std::string keptName, keptValue;
    WhenModal([&](TCustomForm& dialog) {
        auto* add = dynamic_cast<Tfnodeadd*>(&dialog);
        ASSERT_NE(add, nullptr);
        TypeText(dialog, "VERSION");
        PressKey(dialog, Qt::Key_Tab);
        TypeText(dialog, "typed value");
        AnswerNextMessage(Qt::Key_Return);
        PressKey(dialog, Qt::Key_Return);
        EXPECT_TRUE(dialog.Visible() && dialog.ModalResult() == ResultNone && dialog.Tag() == 0) << "still open";
        keptName = add->ledtname->Text();
        keptValue = add->ledtvalue->Text();
        add->BitBtn1->Press();
    });
    ChooseOnRow(Row(0), main->madd);
    EXPECT_EQ(messages, std::vector<std::string>{"version" + Ansi(" 关键字已有，请另起一个名称")});
    EXPECT_EQ(keptName, "VERSION");
    EXPECT_EQ(keptValue, "typed value");
    EXPECT_EQ(ReadBytes(path), kSimple);
    EXPECT_EQ(ListRows(), kGeneralRows);

    // A key added behind the program's back, after the section was listed; the name corrected
    // in the dialog that stayed open is then added.
    const std::string changed = WithoutLine(kSimple, "Enabled=1").insert(kSimple.find("Enabled"), "Enabled=1\nHidden=keep\n");
    WriteBytes(path, changed);
    messages.clear();
    WhenModal([&](TCustomForm& dialog) {
        auto* add = dynamic_cast<Tfnodeadd*>(&dialog);
        ASSERT_NE(add, nullptr);
        TypeText(dialog, "hIDDEN");
        PressKey(dialog, Qt::Key_Tab);
        TypeText(dialog, "v");
        AnswerNextMessage(Qt::Key_Return);
        PressKey(dialog, Qt::Key_Return);
        EXPECT_EQ(ReadBytes(path), changed) << "nothing written while the dialog is open";
        add->ledtname->SetText("shown");
        PressKey(dialog, Qt::Key_Return);
    });
    // From the menu key: a right press's release would reach the list after the command.
    nextChoice = main->madd;
    list->setFocus();
    QTest::keyClick(list, Qt::Key_F10, Qt::ShiftModifier);
    EXPECT_EQ(messages, std::vector<std::string>{"hidden" + Ansi(" 关键字已有，请另起一个名称")});
    EXPECT_EQ(WithoutLine(ReadBytes(path), "shown=v"), changed);
    ASSERT_NE(main->ListView1->Selected(), nullptr);
    EXPECT_EQ(main->ListView1->Selected()->Caption(), "shown") << "the new key is selected";
    EXPECT_EQ(Owned(), owned);
}

TEST_F(KeyCommandsTest, AddWithAnEmptyNameOrValueWarnsAndStaysOpenThenCancelChangesNothing) {
    const auto owned = Owned();
    std::vector<bool> stayedOpen;
    WhenModal([&](TCustomForm& dialog) {
        auto* add = dynamic_cast<Tfnodeadd*>(&dialog);
        ASSERT_NE(add, nullptr);
        ASSERT_EQ(add, fnodeadd);
        auto tryAccept = [&] {
            AnswerNextMessage(Qt::Key_Return);
            PressKey(dialog, Qt::Key_Return);
            stayedOpen.push_back(dialog.Visible() && dialog.ModalResult() == ResultNone && dialog.Tag() == 0);
        };
        TypeText(dialog, "onlyname");
        tryAccept();
        EXPECT_EQ(add->ledtname->Text(), "onlyname") << "the texts stay";
        add->ledtname->SetText("");
        add->ledtvalue->SetText("only value");
        tryAccept();
        add->BitBtn1->Press();
    });
    ChooseOnRow(nullptr, main->madd);
    EXPECT_EQ(stayedOpen, (std::vector<bool>{true, true}));
    EXPECT_EQ(messages, std::vector<std::string>(2, Ansi("关键字名或关键字值不能为空")));
    EXPECT_EQ(ReadBytes(path), kSimple);
    EXPECT_EQ(ListRows(), kGeneralRows);
    EXPECT_EQ(Owned(), owned);

    // The dialog takes blanks; the file cannot hold a name of blanks, so the write fails and
    // the dialog stays for the user to correct or cancel.
    AcceptAddDialogThenCancel(" ", " ");
    ChooseOnRow(nullptr, main->madd);
    EXPECT_EQ(messages.size(), 2u) << "no warning";
    EXPECT_EQ(errorBoxes, std::vector<std::string>{"Unable to write to " + path + ". " +
                                                   IniFailureText(IniFailure::CannotHold) + "."});
    EXPECT_EQ(ListRows(), kGeneralRows);
    EXPECT_EQ(ReadBytes(path), kSimple);
}

// An in-place edit renames the key in the file; modify and delete then find it by that name.
TEST_F(KeyCommandsTest, ACaptionEditedInPlaceRenamesTheKeyThatModifyAndDeleteThenUse) {
    EditCaption(list, IndexOf(Row(0)), "Title");
    ASSERT_EQ(Row(0)->Caption(), "Title");
    std::string expected = WithoutLine(kSimple, "Name=Sample").insert(kSimple.find("Name"), "Title=Sample\n");
    EXPECT_EQ(ReadBytes(path), expected);
    AnswerNextInput("0", Qt::Key_Return);
    ChooseOnRow(Row(0), main->mchang);
    expected = WithoutLine(expected, "Title=Sample").insert(kSimple.find("Name"), "Title=0\n");
    EXPECT_EQ(ReadBytes(path), expected);

    AnswerNextMessage(Qt::Key_Return);
    ChooseOnRow(Row(0), main->mkill);
    EXPECT_EQ(ReadBytes(path), WithoutLine(expected, "Title=0"));
    EXPECT_EQ(ListRows(), (std::vector<std::string>{"Version=1.4", "Enabled=1"}));
}

TEST_F(KeyCommandsTest, AReadOnlyFileReportsTheFailedWriteAndTheViewStays) {
    ASSERT_EQ(chmod(path.c_str(), 0444), 0);
    const auto owned = Owned();
    AnswerNextInput("2.0", Qt::Key_Return);
    ChooseOnRow(Row(1), main->mchang);
    AcceptAddDialogThenCancel("fresh", "value");
    ChooseOnRow(nullptr, main->madd);
    AnswerNextMessage(Qt::Key_Return);
    ChooseOnRow(Row(0), main->mkill);
    // Root may open the file for writing but respects the missing write bit.
    const std::string failed = "Unable to write to " + path + ". " +
        IniFailureText(geteuid() == 0 ? IniFailure::ReadOnlyFile : IniFailure::PermissionDenied) + ".";
    EXPECT_EQ(errorBoxes, (std::vector<std::string>{failed, failed, failed}));
    EXPECT_EQ(ReadBytes(path), kSimple);
    EXPECT_EQ(ListRows(), kGeneralRows);
    EXPECT_EQ(Owned(), owned) << "the add-key dialog is freed";
}

}  // namespace
}  // namespace apptest
