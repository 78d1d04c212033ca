// The view is the file: the node a right press lands on is the one the menu acts on, in-place
// edits rename in the file, every section a reader finds is a node (blanks inside brackets, a
// "]" trail byte, empty names), rows are lines and nodes are sections when names repeat, and
// the view follows another program's changes. The file is checked byte for byte.
#include "main_window_fixture.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QAccessible>
#include <QLabel>

#include <chrono>
#include <cstdio>

#include "encoding/code_page.h"

namespace apptest {
namespace {

using Texts = std::vector<std::string>;

class ViewIsFileTest : public MainWindowTest {
protected:
    QString StatusText() const { return static_cast<QLabel*>(WidgetOf(*main->LineEndLabel))->text(); }
    QString TipOf(const QModelIndex& index) const { return index.data(Qt::ToolTipRole).toString(); }
    // What a screen reader hears of a cell beside its text.
    static QString DescriptionOf(QAbstractItemView* view, int row) {
        view->doItemsLayout();  // the rows a screen reader asks for are those laid out
        QAccessibleTableInterface* table = QAccessible::queryAccessibleInterface(view)->tableInterface();
        QAccessibleInterface* cell = table ? table->cellAt(row, 0) : nullptr;
        return cell ? cell->text(QAccessible::Description) : QStringLiteral("<no cell>");
    }
    // Serves events until done() holds or the time is up (the file watch settles first).
    bool WaitFor(const std::function<bool()>& done, int milliseconds = 2000) {
        return QTest::qWaitFor(done, milliseconds);
    }
};

// Select one section, right-press another and delete: the pressed one goes, and the question
// names it. The selection stays visible while the focus is elsewhere.
TEST_F(ViewIsFileTest, ARightPressedSectionIsTheOneDeletedAndTheSelectionStaysVisible) {
    const std::string text = "[常规]\nName=Sample\n[最近文件]\nFile1=a.ini\n";
    const std::string path = Load(text);
    ClickNode(Section(0));
    AnswerNextMessage(Qt::Key_Return);
    ChooseOnNode(Section(1), main->mtreekill);
    EXPECT_EQ(messages, Texts{Ansi("确定要删除吗？\n小节：[最近文件]")});
    EXPECT_EQ(ReadBytes(path), "[常规]\nName=Sample\n");
    EXPECT_EQ(TreeTexts(), Texts{"常规"});

    ClickNode(Section(0));
    const QColor focused = tree->palette().color(QPalette::Active, QPalette::Highlight);
    list->setFocus();
    QApplication::processEvents();
    ASSERT_FALSE(tree->hasFocus());
    const QColor away = tree->palette().color(QPalette::Active, QPalette::Highlight);
    EXPECT_NE(away, tree->palette().color(QPalette::Active, QPalette::Base)) << "still highlighted";
    EXPECT_NE(away, focused) << "in a colour of its own without the focus";
    EXPECT_TRUE(tree->selectionModel()->isSelected(IndexOf(Section(0))));
}

// In-place edits rename in the file: only the name's bytes change, whatever the spacing and
// line ends; refusals say why and give the old caption back; Escape cancels.
TEST_F(ViewIsFileTest, InPlaceEditsRenameKeysAndSectionsInTheFileOrSayWhyNot) {
    const std::string text = "; top\r\n[ sec ]  ; note\r\n  key  =  v  \r\nother=1\r\n[next]\r\nn=2";
    const std::string path = Load(text);
    EditCaption(list, IndexOf(Row(0)), "名字");
    EXPECT_EQ(ReadBytes(path), "; top\r\n[ sec ]  ; note\r\n  名字  =  v  \r\nother=1\r\n[next]\r\nn=2");
    EXPECT_EQ(ListRows(), (Texts{"名字=v", "other=1"}));
    EditCaption(tree, IndexOf(Section(0)), "Renamed");
    const std::string renamed = "; top\r\n[ Renamed ]  ; note\r\n  名字  =  v  \r\nother=1\r\n[next]\r\nn=2";
    EXPECT_EQ(ReadBytes(path), renamed);
    EXPECT_EQ(TreeTexts(), (Texts{"Renamed", "next"}));
    EXPECT_TRUE(messages.empty());

    struct Refusal {
        bool section;
        QString text;
        std::string message;
    };
    const Refusal refusals[] = {
        {false, "OTHER", "OTHER" + Ansi(" 关键字已有，请另起一个名称")},
        {false, "", Ansi("关键字名不能为空")},
        {false, "a=b", "a=b" + Ansi(" 不能用作关键字名：文件里无法原样保存它")},
        {true, "NEXT", "NEXT" + Ansi(" 小节已有，请另起一个名称")},
        {true, "x]y", "x]y" + Ansi(" 不能用作小节名：文件里无法原样保存它")},
    };
    for (const Refusal& refusal : refusals) {
        messages.clear();
        AnswerNextMessage(Qt::Key_Return);
        if (refusal.section) EditCaption(tree, IndexOf(Section(0)), refusal.text);
        else EditCaption(list, IndexOf(Row(0)), refusal.text);
        EXPECT_EQ(messages, Texts{refusal.message}) << refusal.text.toStdString();
        EXPECT_EQ(ReadBytes(path), renamed);
        EXPECT_EQ(refusal.section ? Section(0)->Text() : Row(0)->Caption(), refusal.section ? "Renamed" : "名字");
    }
    messages.clear();
    ExpectNoModal([&] { EditCaption(list, IndexOf(Row(1)), "cancelled", Qt::Key_Escape); });
    EXPECT_EQ(ListRows(), (Texts{"名字=v", "other=1"}));
    EXPECT_EQ(ReadBytes(path), renamed);
}

// Sections a reader finds by names it finds: blanks inside the brackets, a GBK character whose
// trail byte is "]", and empty names; each is listed, added to and deleted in the file.
TEST_F(ViewIsFileTest, EverySectionAReaderFindsIsListedAndActedOn) {
    ScopedLocale chinese("zh_CN.GBK", TCodePage::Gbk);
    const std::string hui = "\x93\x5D", lu = "\x91\x5D";  // 揮, 慮: "]" as the second byte
    const std::string text = "[ b ]\nk=1\n[" + hui + lu + "]\n" + lu + "=" + hui + "\n[]\n=x\nafter=2\n";
    const std::string path = Load(text, "gbk.ini");
    ASSERT_EQ(TreeTexts(), (Texts{"b", hui + lu, ""}));
    EXPECT_EQ(IndexOf(Section(1)).data().toString(), QString::fromUtf8("揮慮"));
    EXPECT_EQ(ListRows(), Texts{"k=1"});
    ClickNode(Section(1));
    EXPECT_EQ(ListRows(), Texts{lu + "=" + hui});
    ClickNode(Section(2));
    EXPECT_EQ(ListRows(), (Texts{"=x", "after=2"})) << "an empty name ends no list";

    // The hidden key of old is seen: no overwrite, the duplicate message.
    AnswerNextAddDialog("after", "over", true);
    ChooseOnRow(nullptr, main->madd);
    EXPECT_EQ(messages, Texts{"after" + Ansi(" 关键字已有，请另起一个名称")});
    EXPECT_EQ(ReadBytes(path), text);

    // Blanks around a new section's name do not hide the section the file has.
    messages.clear();
    AnswerNextInput(" B ", Qt::Key_Return, nullptr, true);
    ChooseOnNode(Section(0), main->mtreeadd);
    EXPECT_EQ(messages, Texts{" b " + Ansi(" 小节已有，请另起一个名称")});
    EXPECT_EQ(ReadBytes(path), text);

    ClickNode(Section(0));
    AnswerNextAddDialog("n", "3");
    ChooseOnRow(nullptr, main->madd);
    EXPECT_EQ(ReadBytes(path), "[ b ]\nk=1\nn=3\n[" + hui + lu + "]\n" + lu + "=" + hui + "\n[]\n=x\nafter=2\n");
    AnswerNextMessage(Qt::Key_Return);
    ChooseOnNode(Section(1), main->mtreekill);
    AnswerNextMessage(Qt::Key_Return);
    ChooseOnNode(Section(0), main->mtreekill);
    EXPECT_EQ(ReadBytes(path), "[]\n=x\nafter=2\n");
    EXPECT_EQ(TreeTexts(), Texts{""});
}

// Rows are lines and nodes are sections: each row shows its own line's value, and a command
// on a row or node acts on that line or section alone. Repeated names are marked.
TEST_F(ViewIsFileTest, RepeatedNamesAreMarkedAndEachRowOrNodeActsOnItsOwnLineOrSection) {
    const std::string text = "[a]\ndup=1\ndup=2\nsolo=s\n[A]\nhidden=h\n";
    const std::string path = Load(text);
    EXPECT_EQ(ListRows(), (Texts{"dup=1", "dup=2", "solo=s"}));
    EXPECT_EQ(Row(0)->ImageIndex(), 4);
    EXPECT_EQ(Row(1)->ImageIndex(), 4);
    EXPECT_EQ(Row(2)->ImageIndex(), 2);
    EXPECT_TRUE(TipOf(IndexOf(Row(0))).contains(QString::fromUtf8("这一个")));
    EXPECT_TRUE(TipOf(IndexOf(Row(1))).contains(QString::fromUtf8("第一个")));
    EXPECT_TRUE(TipOf(IndexOf(Row(2))).isEmpty());
    EXPECT_EQ(Section(0)->ImageIndex(), 3);
    EXPECT_EQ(Section(1)->ImageIndex(), 3);
    // A screen reader hears the mark that the icon shows: the row says it repeats a name.
    EXPECT_EQ(DescriptionOf(list, 0), TipOf(IndexOf(Row(0))));
    EXPECT_EQ(DescriptionOf(list, 1), TipOf(IndexOf(Row(1))));
    EXPECT_EQ(DescriptionOf(list, 2), "");
    EXPECT_TRUE(DescriptionOf(tree, 2).contains(QString::fromUtf8("第一个"))) << "the second section, under the root";

    AnswerNextInput("two", Qt::Key_Return);
    ChooseOnRow(Row(1), main->mchang);
    EXPECT_EQ(ReadBytes(path), "[a]\ndup=1\ndup=two\nsolo=s\n[A]\nhidden=h\n");
    AnswerNextMessage(Qt::Key_Return);
    ChooseOnRow(Row(1), main->mkill);
    EXPECT_EQ(ReadBytes(path), "[a]\ndup=1\nsolo=s\n[A]\nhidden=h\n");
    EXPECT_EQ(ListRows(), (Texts{"dup=1", "solo=s"}));
    EXPECT_EQ(Row(0)->ImageIndex(), 2) << "a name that no longer repeats is not marked";

    ClickNode(Section(1));
    EXPECT_EQ(ListRows(), Texts{"hidden=h"});
    AnswerNextMessage(Qt::Key_Return);
    ChooseOnNode(Section(1), main->mtreekill);
    EXPECT_EQ(ReadBytes(path), "[a]\ndup=1\nsolo=s\n");
    EXPECT_EQ(TreeTexts(), Texts{"a"});
    EXPECT_EQ(Section(0)->ImageIndex(), 1);
}

// In a GBK file, the second of two repeated keys and of two repeated sections renamed in place:
// that line alone changes, into the typed name's GBK bytes, and the marks go.
TEST_F(ViewIsFileTest, RenamingTheSecondOfRepeatedNamesInAGbkFileChangesThatLineAlone) {
    ScopedLocale chinese("zh_CN.GBK", TCodePage::Gbk);
    const std::string general = "\xB3\xA3\xB9\xE6", window = "\xB4\xB0\xBF\xDA";  // 常规, 窗口
    const std::string text = "[" + general + "]\r\nk = 1\r\nK = 2\r\n[" + general + "]\r\nx=3\r\n";
    const std::string path = Load(text, "gbk.ini");
    ASSERT_EQ(ListRows(), (Texts{"k=1", "K=2"}));
    EditCaption(list, IndexOf(Row(1)), "窗口");
    EXPECT_EQ(ReadBytes(path), "[" + general + "]\r\nk = 1\r\n" + window + " = 2\r\n[" + general + "]\r\nx=3\r\n");
    EXPECT_EQ(ListRows(), (Texts{"k=1", window + "=2"}));
    EXPECT_EQ(Row(0)->ImageIndex(), 2);

    EditCaption(tree, IndexOf(Section(1)), "窗口");
    EXPECT_EQ(ReadBytes(path), "[" + general + "]\r\nk = 1\r\n" + window + " = 2\r\n[" + window + "]\r\nx=3\r\n");
    EXPECT_EQ(TreeTexts(), (Texts{general, window}));
    EXPECT_EQ(Section(0)->ImageIndex(), 1);
    EXPECT_TRUE(messages.empty());
}

// A rename changes which of a repeated name the others are. The nodes and rows stand for the
// lines as the file lists them from then on, before the view is rebuilt: two renames in one
// go, as two commits of the views before any event, each change their own line.
TEST_F(ViewIsFileTest, AfterARenameTheOtherNodesAndRowsOfItsNameStillAddressTheirOwnLines) {
    const std::string path = Load("[a]\nk=1\nk=2\n[a]\nx=3\n");
    ASSERT_EQ(ListRows(), (Texts{"k=1", "k=2"}));
    EXPECT_TRUE(main->ListView1Edited(*Row(0), "j"));
    EXPECT_TRUE(main->ListView1Edited(*Row(1), "m"));
    EXPECT_TRUE(main->tree1Edited(*Section(0), "b"));
    EXPECT_TRUE(main->tree1Edited(*Section(1), "c"));
    for (int i = 0; i < 3; ++i) QApplication::processEvents();
    EXPECT_EQ(ReadBytes(path), "[b]\nj=1\nm=2\n[c]\nx=3\n");
    EXPECT_EQ(TreeTexts(), (Texts{"b", "c"}));
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(errorBoxes.empty());
}

TEST_F(ViewIsFileTest, ADoubleClickOnARowModifiesItsValue) {
    const std::string path = Load("[s]\nk=v\n");
    AnswerNextInput("w", Qt::Key_Return);
    const QPoint at = CentreOf(list, IndexOf(Row(0)));
    // On the selected row, whose first click alone would start an edit of its name a moment later.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    QTest::qWait(QApplication::doubleClickInterval() + 100);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    EXPECT_TRUE(WaitFor([&] { return !captions.empty() && ReadBytes(path) == "[s]\nk=w\n"; }));
    EXPECT_EQ(captions, Texts{Ansi("新值")});
    QTest::qWait(QApplication::doubleClickInterval() + 100);
    EXPECT_FALSE(main->ListView1->IsEditing()) << "no caption editor";
}

// Another program appends, replaces by rename, deletes: the view follows within a moment,
// keeping the selected section and row; after a deletion the commands refuse.
TEST_F(ViewIsFileTest, TheViewFollowsAnotherProgramsChangesAndKeepsTheSelection) {
    const std::string path = Load("[one]\na=1\nb=2\n[two]\nc=3\n");
    ClickNode(Section(1));
    PressRow(Row(0), Qt::LeftButton);
    {
        std::FILE* file = std::fopen(path.c_str(), "ab");
        ASSERT_NE(file, nullptr);
        std::fputs("d=4\n[three]\ne=5\n", file);
        std::fclose(file);
    }
    ASSERT_TRUE(WaitFor([&] { return TreeTexts().size() == 3; }));
    EXPECT_EQ(TreeTexts(), (Texts{"one", "two", "three"}));
    EXPECT_EQ(main->tree1->Selected(), Section(1));
    EXPECT_EQ(ListRows(), (Texts{"c=3", "d=4"}));
    EXPECT_EQ(main->ListView1->Selected(), Row(0));

    const std::string fresh = Path("fresh.tmp");
    WriteBytes(fresh, "[zero]\nz=0\n[two]\nc=30\n");
    ASSERT_EQ(std::rename(fresh.c_str(), path.c_str()), 0);
    ASSERT_TRUE(WaitFor([&] { return TreeTexts() == Texts{"zero", "two"}; }));
    EXPECT_EQ(main->tree1->Selected(), Section(1));
    EXPECT_EQ(ListRows(), Texts{"c=30"});
    EXPECT_EQ(main->ListView1->Selected(), Row(0));

    ASSERT_EQ(std::remove(path.c_str()), 0);
    ASSERT_TRUE(WaitFor([&] { return StatusText().contains(QString::fromUtf8("已被删除")); }));
    AnswerNextMessage(Qt::Key_Return);
    ChooseOnRow(Row(0), main->mkill);
    EXPECT_EQ(messages, Texts{Ansi("文件已被删除或移走，不能修改。它回来后按 F5 重新载入。")});
    EXPECT_FALSE(std::filesystem::exists(path)) << "nothing written";

    // Back again: F5 reloads at once.
    WriteBytes(path, "[two]\nc=300\n");
    main->tree1->SetFocus();
    QTest::keyClick(tree, Qt::Key_F5);
    EXPECT_EQ(TreeTexts(), Texts{"two"});
    EXPECT_EQ(ListRows(), Texts{"c=300"});
    EXPECT_FALSE(StatusText().contains(QString::fromUtf8("已被删除")));
}

// A change that comes while a command asks waits for it: the view does not move under the
// open input box, the command's own line is written (its target did not change), and the view
// then shows the other program's change too.
TEST_F(ViewIsFileTest, NoRefreshRunsInTheMiddleOfACommand) {
    const std::string path = Load("[s]\nk=v\n");
    bool movedUnderTheBox = false;
    WhenModal([&](TCustomForm& box) {
        std::FILE* file = std::fopen(path.c_str(), "ab");
        std::fputs("[later]\nl=1\n", file);
        std::fclose(file);
        QTest::qWait(400);
        movedUnderTheBox = TreeTexts().size() != 1;
        TypeText(box, "w");
        PressKey(box, Qt::Key_Return);
    });
    ChooseOnRow(Row(0), main->mchang);
    EXPECT_FALSE(movedUnderTheBox);
    EXPECT_EQ(ReadBytes(path), "[s]\nk=w\n[later]\nl=1\n");
    ASSERT_TRUE(WaitFor([&] { return TreeTexts() == Texts{"s", "later"}; }));
    EXPECT_EQ(ListRows(), Texts{"k=w"});
    EXPECT_TRUE(messages.empty());
}

// A program's file is no INI file: the window shows what it reads but writes nothing to it.
TEST_F(ViewIsFileTest, AFileWithANulByteIsShownReadOnlyAndNeverWritten) {
    const std::string bytes = "[x]\rmain=01\r" + std::string("MZ\x90\0\x03\0\0\0", 8);
    const std::string path = Load(bytes, "tool.exe");
    ASSERT_EQ(TreeTexts(), Texts{"x"});
    EXPECT_TRUE(StatusText().contains(QString::fromUtf8("只读：含 NUL 字节"))) << StatusText().toStdString();
    EXPECT_TRUE(main->tree1->ReadOnly());
    AnswerNextMessage(Qt::Key_Return);
    ChooseOnNode(Section(0), main->mtreeadd);
    AnswerNextMessage(Qt::Key_Return);
    ChooseOnRow(Row(0), main->mchang);
    EXPECT_EQ(messages, Texts(2, Ansi("文件开头含有 NUL 字节，不是文本文件：只能查看，不能修改。")));
    EXPECT_EQ(ReadBytes(path), bytes);
}

// A writer holds the file's lock while it writes: the view waits for it and says so; no box
// opens, and the keys stay where the user typed them.
TEST_F(ViewIsFileTest, AChangedFileThatCannotBeReadYetIsReadOnceItCanWithoutABox) {
    const std::string path = Load("[one]\na=1\n");
    PressRow(Row(0), Qt::LeftButton);
    const int writer = open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    ASSERT_GE(writer, 0);
    ASSERT_EQ(flock(writer, LOCK_EX), 0);
    ASSERT_EQ(write(writer, "b=2\n", 4), 4);
    const QString waiting = QString::fromUtf8("等它可读后重新载入");
    EXPECT_TRUE(WaitFor([&] { return StatusText().contains(waiting); })) << StatusText().toStdString();
    QTest::qWait(500);  // retried meanwhile, quietly
    EXPECT_EQ(QApplication::focusWidget(), list);
    close(writer);
    EXPECT_TRUE(WaitFor([&] { return ListRows() == Texts{"a=1", "b=2"}; }));
    EXPECT_FALSE(StatusText().contains(waiting)) << StatusText().toStdString();
    EXPECT_TRUE(errorBoxes.empty()) << errorBoxes.front();
    EXPECT_TRUE(messages.empty());
}

}  // namespace
}  // namespace apptest
