// Undo and redo from the keyboard: every command (renames in place too) taken back byte for
// byte and done again, in a GBK file with CR LF line ends and comments; refused when another
// program changed that part of the file; history per file and bounded.
#include "main_window_fixture.h"

#include <functional>

#include "document/edit_history.h"
#include "encoding/code_page.h"

namespace apptest {
namespace {

std::string Gbk(const std::string& utf8) { return *Utf8ToCodePage(utf8, TCodePage::Gbk); }

class EditHistoryTest : public MainWindowTest {
protected:
    void SelectSection(int index) {
        main->tree1->SetSelected(Section(index));
        main->tree1Click(nullptr);
    }
    void SelectRow(int index) { main->ListView1->SetSelected(Row(index)); }
    void KeyOn(QWidget* widget, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        widget->setFocus();
        QTest::keyClick(widget, key, modifiers);
    }
    void Undo() { KeyOn(tree, Qt::Key_Z, Qt::ControlModifier); }
    void Redo(bool withY) {
        if (withY) KeyOn(list, Qt::Key_Y, Qt::ControlModifier);
        else KeyOn(tree, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    }

    // The first section from index on, round the end, that has keys; it is listed.
    void SelectSectionWithKeys(int index) {
        for (int tried = 0; tried < Root()->Count(); ++tried) {
            SelectSection((index + tried) % Root()->Count());
            if (main->ListView1->Items().Count() > 0) return;
        }
        FAIL() << "no section has keys";
    }
    void ModifyFirstValue(int section, const QString& value) {
        SelectSectionWithKeys(section);
        SelectRow(0);
        AnswerNextInput(value, Qt::Key_Return);
        KeyOn(list, Qt::Key_Return);
    }
    void DeleteFirstKey(int section) {
        SelectSectionWithKeys(section);
        SelectRow(0);
        AnswerNextMessage(Qt::Key_Return);
        KeyOn(list, Qt::Key_Delete);
    }
    void AddKey(int section, const QString& name, const QString& value) {
        SelectSection(section);
        AnswerNextAddDialog(name, value);
        main->maddClick(nullptr);
    }
    void AddSection(const QString& name) {
        main->tree1->SetSelected(Root());
        AnswerNextInput(name, Qt::Key_Return);
        main->mtreeaddClick(nullptr);
    }
    void DeleteSection(int section) {
        SelectSection(section);
        AnswerNextMessage(Qt::Key_Return);
        KeyOn(tree, Qt::Key_Delete);
    }
};

const std::string kGbkFile = Gbk(
    "; 游戏设置\r\n"
    "[常规]\r\n"
    "; 玩家的名字\r\n"
    "名称 = 张三\r\n"
    "等级=12\r\n"
    "\r\n"
    "[窗口]\r\n"
    "左 = 100 ; 像素\r\n"
    "上=\"引号里的值\"\r\n"
    "[网络]\r\n"
    "服务器=example.org\r\n"
    "端口=8080\r\n"
    "[声音]\r\n"
    "音量=7\r\n"
    "静音=否");  // no line end at the end

TEST_F(EditHistoryTest, TwentyMixedCommandsAreUndoneInTurnAndRedoneByteForByte) {
    ScopedLocale desktop("zh_CN.UTF-8", TCodePage::Utf8);
    const std::string path = Load(kGbkFile);
    ASSERT_EQ(Root()->Count(), 4);
    std::vector<std::string> states{ReadBytes(path)};
    const std::vector<std::function<void(int)>> commands{
        [&](int i) { ModifyFirstValue(i % Root()->Count(), QString::fromUtf8("新值%1").arg(i)); },
        [&](int i) { AddKey(i % Root()->Count(), QString("key%1").arg(i), QString::fromUtf8("值 %1").arg(i)); },
        [&](int i) { AddSection(QString::fromUtf8("小节%1").arg(i)); },
        [&](int i) { DeleteFirstKey(i % Root()->Count()); },
        [&](int i) { DeleteSection((i * 3) % Root()->Count()); },
        [&](int i) {
            SelectSectionWithKeys(i % Root()->Count());
            EditCaption(list, IndexOf(Row(0)), QString::fromUtf8("改名%1").arg(i));
        },
        [&](int i) { EditCaption(tree, IndexOf(Section(i % Root()->Count())), QString("Renamed%1").arg(i)); },
    };
    for (int i = 0; i < 20; ++i) {
        commands[size_t(i) % commands.size()](i);
        states.push_back(ReadBytes(path));
        ASSERT_NE(states.back(), states[states.size() - 2]) << "command " << i << " changed the file";
    }
    for (int i = 20; i > 0; --i) {
        Undo();
        ASSERT_EQ(ReadBytes(path), states[size_t(i) - 1]) << "undo of command " << i - 1;
    }
    EXPECT_EQ(TreeTexts().size(), 4u) << "the tree shows the file as it is again";
    Undo();  // nothing left to undo: nothing is written
    EXPECT_EQ(ReadBytes(path), kGbkFile);
    for (int i = 1; i <= 20; ++i) {
        Redo(i % 2 == 0);
        ASSERT_EQ(ReadBytes(path), states[size_t(i)]) << "redo of command " << i - 1;
    }
}

// The user sees what an undo or redo changed back: the section and the row of the change are
// selected and scrolled into view, wherever the user had moved meanwhile.
TEST_F(EditHistoryTest, UndoAndRedoSelectAndShowTheSectionAndRowOfTheChange) {
    std::string bytes = "[a]\nfirst=1\n[b]\n";
    for (int i = 0; i < 80; ++i) bytes += "k" + std::to_string(i) + "=" + std::to_string(i) + "\n";
    bytes += "[c]\nlast=1\n";
    Load(bytes);
    auto place = [&] {
        const TTreeNode* node = main->tree1->Selected();
        const TListItem* row = main->ListView1->Selected();
        if (row && !list->viewport()->rect().intersects(list->visualRect(IndexOf(row))))
            return std::string("row out of view");
        return (node ? node->Text() : "-") + "/" + (row ? row->Caption() : "-");
    };
    auto moveAway = [&] {
        SelectSection(2);
        SelectRow(0);
        list->scrollToTop();
    };

    SelectSection(1);
    SelectRow(60);
    AnswerNextMessage(Qt::Key_Return);
    KeyOn(list, Qt::Key_Delete);
    moveAway();
    Undo();
    EXPECT_EQ(place(), "b/k60") << "undo of a delete";
    moveAway();
    Redo(true);
    EXPECT_EQ(place(), "b/k61") << "redo of a delete: the row that took its place";

    SelectSection(1);
    list->scrollTo(IndexOf(Row(70)));
    EditCaption(list, IndexOf(Row(70)), "renamed");
    moveAway();
    Undo();
    EXPECT_EQ(place(), "b/k71") << "undo of a rename";
    moveAway();
    Redo(false);
    EXPECT_EQ(place(), "b/renamed") << "redo of a rename";

    AddKey(0, "added", "v");
    EXPECT_EQ(place(), "a/added") << "the new key is selected";
    SelectSection(1);
    Undo();
    EXPECT_EQ(place(), "a/-") << "undo of an add";
    SelectSection(1);
    Redo(true);
    EXPECT_EQ(place(), "a/added") << "redo of an add";

    AddSection("new");
    SelectSection(0);
    Redo(true);  // nothing to redo: the view stays
    Undo();
    EXPECT_EQ(place(), "file.ini/-") << "undo of a section add: the root was selected";
    Redo(true);
    EXPECT_EQ(place(), "new/-") << "redo of a section add";
    DeleteSection(2);
    Undo();
    EXPECT_EQ(place(), "c/-") << "undo of a section delete";
}

TEST_F(EditHistoryTest, AnUndoIsRefusedWhenAnotherProgramChangedThatPartAndKeepsChangesElsewhere) {
    const std::string path = Load("[a]\nx=1\ny=2\n[b]\nz=3\n");
    ModifyFirstValue(0, "10");
    ASSERT_EQ(ReadBytes(path), "[a]\nx=10\ny=2\n[b]\nz=3\n");
    // Another program changes the very line the undo would put back.
    WriteBytes(path, "[a]\nx=99\ny=2\n[b]\nz=3\n");
    CloseNextMessage();
    Undo();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find(Ansi("其他程序")), std::string::npos) << messages[0];
    EXPECT_EQ(ReadBytes(path), "[a]\nx=99\ny=2\n[b]\nz=3\n") << "nothing written";

    // A change in another section stays while the undo takes back its own.
    WriteBytes(path, "[a]\nx=10\ny=2\n[b]\nz=30\n");
    Undo();
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_EQ(ReadBytes(path), "[a]\nx=1\ny=2\n[b]\nz=30\n");
    EXPECT_EQ(ListRows(), (std::vector<std::string>{"x=1", "y=2"})) << "the list shows the value put back";
}

// Another program made the edited line read differently and a line of another section read as
// the edit left it: neither the undo nor the redo writes to that look-alike.
TEST_F(EditHistoryTest, UndoAndRedoRefuseALookAlikeLineInAnotherSection) {
    const std::string path = Load("[player1]\nhp=100\n[player2]\nhp=90\n");
    ModifyFirstValue(0, "150");
    ASSERT_EQ(ReadBytes(path), "[player1]\nhp=150\n[player2]\nhp=90\n");
    WriteBytes(path, "[player1]\nhp=120\n[player2]\nhp=150\n");
    CloseNextMessage();
    Undo();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find(Ansi("其他程序")), std::string::npos) << messages[0];
    EXPECT_EQ(ReadBytes(path), "[player1]\nhp=120\n[player2]\nhp=150\n") << "nothing written";

    // A removed key, undone, then the file changed so that the redo would remove a line of [z].
    const std::string second = Load("[a]\nx=1\nk=1\n[b]\ny=2\n", "second.ini");
    DeleteFirstKey(0);
    ASSERT_EQ(ReadBytes(second), "[a]\nk=1\n[b]\ny=2\n");
    Undo();
    ASSERT_EQ(ReadBytes(second), "[a]\nx=1\nk=1\n[b]\ny=2\n");
    WriteBytes(second, "[a]\nk=5\n[z]\nx=1\nk=1\n[b]\ny=2\n");
    CloseNextMessage();
    Redo(true);
    ASSERT_EQ(messages.size(), 3u) << "the delete's question, then the refusal";
    EXPECT_NE(messages[2].find(Ansi("其他程序")), std::string::npos) << messages[2];
    EXPECT_EQ(ReadBytes(second), "[a]\nk=5\n[z]\nx=1\nk=1\n[b]\ny=2\n") << "nothing written";
}

TEST_F(EditHistoryTest, ANewCommandDropsTheRedoAndEachFileKeepsItsOwnHistory) {
    const std::string first = Load("[a]\nx=1\n", "first.ini");
    ModifyFirstValue(0, "2");
    Undo();
    ModifyFirstValue(0, "3");
    Redo(true);
    EXPECT_EQ(ReadBytes(first), "[a]\nx=3\n") << "the undone change is gone once another is made";

    const std::string second = Load("[b]\ny=1\n", "second.ini");
    Undo();
    EXPECT_EQ(ReadBytes(second), "[b]\ny=1\n") << "the first file's change is not the second's to undo";
    EXPECT_EQ(ReadBytes(first), "[a]\nx=3\n");
    TypePathAndEnter(first);
    Undo();
    EXPECT_EQ(ReadBytes(first), "[a]\nx=1\n");
}

TEST(EditHistoryBudget, KeepsTheNewestChangesWithinItsBudget) {
    TEditHistory history(4096, 1000);
    auto change = [](char fill, std::size_t size) {
        return EditRecord{{ByteSpan{0, std::string(size, fill), std::string(size, fill), {}, {}, {}, {}}}};
    };
    for (char c = 'a'; c <= 'z'; ++c) history.Record("f", change(c, 300));
    EXPECT_LE(history.HeldBytes("f"), 4096u);
    ASSERT_NE(history.NextUndo("f"), nullptr);
    EXPECT_EQ(history.NextUndo("f")->spans[0].before[0], 'z');
    int undos = 0;
    for (; history.NextUndo("f"); ++undos) history.Undone("f");
    EXPECT_GT(undos, 1);
    EXPECT_LT(undos, 26) << "the oldest were forgotten";
    EXPECT_EQ(history.NextRedo("f")->spans[0].before[0], char('z' - undos + 1));

    history.Record("f", change('!', 10000));  // larger than the budget alone: still undoable
    EXPECT_EQ(history.NextRedo("f"), nullptr);
    ASSERT_NE(history.NextUndo("f"), nullptr);
    history.Undone("f");
    EXPECT_EQ(history.NextUndo("f"), nullptr);
    EXPECT_EQ(history.NextUndo("other"), nullptr);
}

}  // namespace
}  // namespace apptest
