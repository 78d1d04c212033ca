// Each file in its own encoding: what the windows show and what the commands write, under a
// locale of another code page; the encoding chosen in the status line; UTF-16 files.
#include "main_window_fixture.h"

#include <sys/stat.h>

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

#include "encoding/code_page.h"
#include "platform/display_text.h"
#include "ui/button.h"
#include "ui/combo_box.h"
#include "ui/label.h"
#include "ui/panel.h"

namespace apptest {
namespace {

std::string Gbk(const std::string& utf8) { return *Utf8ToCodePage(utf8, TCodePage::Gbk); }

std::string Sample(const std::string& name) { return ReadBytes(std::string(INIV_SAMPLES_DIR) + "/" + name); }

// The file's modification time, to the nanosecond.
std::pair<long, long> ModifiedAt(const std::string& path) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) return {-1, -1};
    return {long(info.st_mtim.tv_sec), long(info.st_mtim.tv_nsec)};
}

class EncodingTest : public MainWindowTest {
protected:
    QString Shown(const TTreeNode* node) const { return IndexOf(node).data().toString(); }
    QString Cell(int row, int column) const { return list->model()->index(row, column).data().toString(); }
    QComboBox* EncodingBox() const { return static_cast<QComboBox*>(WidgetOf(*main->EncodingBox)); }
    QString StatusText() const { return static_cast<QLabel*>(WidgetOf(*main->LineEndLabel))->text(); }

    // Chooses an encoding in the status line as the user does.
    void ChooseEncoding(const QString& name) {
        const int index = EncodingBox()->findText(name);
        ASSERT_GE(index, 0) << name.toStdString();
        EncodingBox()->setFocus();
        EncodingBox()->setCurrentIndex(index);
    }

    // Answers the next input box with text typed over its selected start text and Enter,
    // recording what it showed at the start.
    void TypeIntoNextInput(const QString& text, QString* shownAtStart = nullptr) {
        WhenModal([text, shownAtStart](TCustomForm& box) {
            if (shownAtStart)
                for (int i = 0; i < box.ComponentCount(); ++i)
                    if (auto* edit = dynamic_cast<TEdit*>(box.ComponentAt(i)))
                        *shownAtStart = static_cast<QLineEdit*>(WidgetOf(*edit))->text();
            TypeText(box, text);
            PressKey(box, Qt::Key_Return);
        });
    }
};

// The common case: a GBK file on a UTF-8 desktop.
TEST_F(EncodingTest, AGbkFileUnderAUtf8LocaleShowsChineseAndEditsWriteGbk) {
    for (const char* locale : {"zh_CN.UTF-8", "C.UTF-8"}) {
        SCOPED_TRACE(locale);
        ScopedLocale desktop(locale, TCodePage::Utf8);
        const std::string original = Sample("gbk-game.ini");
        const std::string path = Load(original, "游戏.ini");
        EXPECT_EQ(Shown(Root()), QString::fromUtf8("游戏.ini")) << "the file name in the locale's code page";
        ASSERT_GE(Root()->Count(), 7);
        EXPECT_EQ(Shown(Section(0)), QString::fromUtf8("版本"));
        EXPECT_EQ(Shown(Section(6)), QString::fromUtf8("网络"));
        EXPECT_EQ(Cell(0, 0), QString::fromUtf8("客户端版本"));
        EXPECT_EQ(Cell(2, 0), QString::fromUtf8("更新服务器"));
        EXPECT_EQ(EncodingBox()->currentText(), "GBK");
        EXPECT_TRUE(StatusText().contains("CRLF")) << StatusText().toStdString();

        TypeIntoNextInput(QString::fromUtf8("备用服务器"));
        ChooseOnRow(Row(2), main->mchang);
        const std::string oldLine = "\r\n" + Gbk("更新服务器") + "=update.xinghai-game.example.com\r\n";
        const std::string newLine = "\r\n" + Gbk("更新服务器") + "=" + Gbk("备用服务器") + "\r\n";
        std::string expected = original;
        ASSERT_NE(expected.find(oldLine), std::string::npos);
        expected.replace(expected.find(oldLine), oldLine.size(), newLine);
        EXPECT_EQ(ReadBytes(path), expected) << "GBK bytes of the new value, every other byte as it was";
        EXPECT_EQ(Cell(2, 1), QString::fromUtf8("备用服务器"));

        // The add-key dialog takes its name and value into GBK too.
        AnswerNextAddDialog(QString::fromUtf8("备注"), QString::fromUtf8("测试服"));
        ChooseOnRow(Row(0), main->madd);
        const std::string added = Gbk("备注") + "=" + Gbk("测试服") + "\r\n";
        EXPECT_NE(ReadBytes(path).find("\r\n" + added), std::string::npos);
        EXPECT_EQ(ReadBytes(path).size(), expected.size() + added.size());
        EXPECT_EQ(Cell(4, 0), QString::fromUtf8("备注"));
        EXPECT_TRUE(errorBoxes.empty());
    }
}

TEST_F(EncodingTest, TypingFollowsTheFilesCodePageNotTheLocales) {
    ScopedLocale desktop("zh_CN.UTF-8", TCodePage::Utf8);
    const std::string original = "[" + Gbk("常规") + "]\r\n" + Gbk("名称") + "=" + Gbk("星海") + "\r\n";
    const std::string path = Load(original);
    // Hangul is no GBK character: refused where it is typed, never stored as "?".
    TypeIntoNextInput(QString::fromUtf8("新한값"));
    ChooseOnRow(Row(0), main->mchang);
    EXPECT_EQ(ReadBytes(path), "[" + Gbk("常规") + "]\r\n" + Gbk("名称") + "=" + Gbk("新") + "\r\n");

    // 255 bytes of GBK: 127 two-byte characters and one more byte, where UTF-8 would hold 85.
    TypeIntoNextInput(QString(130, QChar(0x4E2D)) + "ab");
    ChooseOnRow(Row(0), main->mchang);
    std::string value;
    for (int i = 0; i < 127; ++i) value += Gbk("中");
    EXPECT_EQ(ReadBytes(path), "[" + Gbk("常规") + "]\r\n" + Gbk("名称") + "=" + value + "a\r\n");
}

TEST_F(EncodingTest, AHeaderWhoseTrailByteIsABracketKeepsItsWholeName) {
    ScopedLocale desktop("zh_CN.UTF-8", TCodePage::Utf8);
    // 揮 is 93 5D and 廬 is 8F 5D in GBK: their second bytes are "]".
    const std::string name = Gbk("指揮") + Gbk("廬山");
    Load("[" + name + "]\r\nk=v\r\n[" + Gbk("其他") + "]\r\n");
    ASSERT_EQ(TreeTexts(), (std::vector<std::string>{name, Gbk("其他")}));
    EXPECT_EQ(Shown(Section(0)), QString::fromUtf8("指揮廬山"));
    EXPECT_EQ(ListRows(), std::vector<std::string>{"k=v"}) << "the section is found by its whole name";
}

TEST_F(EncodingTest, NewNamesAreFoldedWithoutTouchingTrailBytes) {
    ScopedLocale desktop("zh_CN.UTF-8", TCodePage::Utf8);
    const std::string path = Load("[" + Gbk("常规") + "]\r\n" + Gbk("名称") + "=x\r\n");
    // 並 is 81 4B in GBK: a trail byte that is a capital letter stays as it is.
    AnswerNextInput(QString::fromUtf8("NEW並"), Qt::Key_Return);
    ChooseOnNode(Section(0), main->mtreeadd);
    EXPECT_EQ(ReadBytes(path), "[" + Gbk("常规") + "]\r\n" + Gbk("名称") + "=x\r\n[new\x81\x4B]\r\nmain=01\r\n");
    EXPECT_EQ(Shown(Section(1)), QString::fromUtf8("new並"));

    // A name the file has is refused with a message that shows it right in the locale.
    AnswerNextAddDialog(QString::fromUtf8("名称"), "y", true);
    ChooseOnRow(Row(0), main->madd);
    EXPECT_EQ(messages, std::vector<std::string>{"名称 关键字已有，请另起一个名称"});
}

TEST_F(EncodingTest, ChoosingAnEncodingReadsTheSameBytesAgainWritesNothingAndIsRememberedForTheFile) {
    ScopedLocale desktop("zh_CN.UTF-8", TCodePage::Utf8);
    // 工具箱 is a GBK text that Big5 reads as other characters.
    const std::string bytes = "[" + Gbk("工具箱") + "]\r\nk=" + Gbk("工具箱") + "\r\n";
    const std::string path = Load(bytes);
    EXPECT_EQ(Shown(Section(0)), QString::fromUtf8("工具箱"));
    const auto modified = ModifiedAt(path);

    ChooseEncoding("Big5");
    const QString asBig5 = QString::fromStdString(CodePageToUtf8(Gbk("工具箱"), TCodePage::Big5));
    EXPECT_EQ(Shown(Section(0)), asBig5);
    EXPECT_EQ(Cell(0, 1), asBig5) << "the list is read again too";
    EXPECT_EQ(EncodingBox()->currentText(), "Big5");
    EXPECT_EQ(ReadBytes(path), bytes);
    EXPECT_EQ(ModifiedAt(path), modified) << "nothing is written";
    EXPECT_TRUE(std::filesystem::exists(folder / "state" / "iniviewer" / "encodings"));

    // The next load, also in a new window, reads the file as chosen.
    TypePathAndEnter(path);
    EXPECT_EQ(Shown(Section(0)), asBig5);
    main.reset(new TForm1(Application));
    main->Show();
    tree = ItemViewOf(*main->tree1);
    list = ItemViewOf(*main->ListView1);
    TypePathAndEnter(path);
    EXPECT_EQ(EncodingBox()->currentText(), "Big5");
    EXPECT_EQ(Shown(Section(0)), asBig5);

    // A file replaced by other content is detected anew.
    WriteBytes(path, "[设置]\nk=值\n");
    TypePathAndEnter(path);
    EXPECT_EQ(EncodingBox()->currentText(), "UTF-8");
    EXPECT_EQ(Shown(Section(0)), QString::fromUtf8("设置"));

    // Choosing the detected encoding again forgets the choice; the keyboard reaches the box.
    WriteBytes(path, bytes);
    TypePathAndEnter(path);
    ASSERT_EQ(EncodingBox()->currentText(), "Big5");
    ChooseEncoding("GBK");
    QWidget* about = WidgetOf(*main->BitBtn1);
    about->setFocus();
    QTest::keyClick(about, Qt::Key_Tab);
    ASSERT_TRUE(EncodingBox()->hasFocus()) << "the box comes next in the tab order";
    QTest::keyClick(EncodingBox(), Qt::Key_Down);
    EXPECT_EQ(EncodingBox()->currentText(), "GB18030");
    EXPECT_EQ(Shown(Section(0)), QString::fromUtf8("工具箱"));
    ChooseEncoding("GBK");
    TypePathAndEnter(path);
    EXPECT_EQ(EncodingBox()->currentText(), "GBK");
    EXPECT_EQ(ReadBytes(path), bytes);
}

// A write under a code page the bytes do not read in would put two encodings in one file.
TEST_F(EncodingTest, AChosenEncodingTheBytesDoNotReadInMakesTheFileReadOnly) {
    ScopedLocale desktop("zh_CN.UTF-8", TCodePage::Utf8);
    const std::string bytes = "[" + Gbk("常规") + "]\r\n" + Gbk("名称") + "=" + Gbk("星海远征客户端") + "\r\n";
    const std::string path = Load(bytes);
    ChooseEncoding("UTF-8");
    EXPECT_TRUE(StatusText().contains(QString::fromUtf8("只读")));
    AnswerNextMessage(Qt::Key_Return);
    ChooseOnRow(Row(0), main->mchang);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("UTF-8"), std::string::npos) << messages[0];
    EXPECT_EQ(ReadBytes(path), bytes);

    ChooseEncoding("GB18030");  // holds every GBK character: the file reads in it
    EXPECT_FALSE(StatusText().contains(QString::fromUtf8("只读")));
    TypeIntoNextInput(QString::fromUtf8("新"));
    ChooseOnRow(Row(0), main->mchang);
    EXPECT_EQ(ReadBytes(path), "[" + Gbk("常规") + "]\r\n" + Gbk("名称") + "=" + Gbk("新") + "\r\n");
}

TEST_F(EncodingTest, ChoosingKeepsTheSelectedSection) {
    ScopedLocale desktop("zh_CN.UTF-8", TCodePage::Utf8);
    Load("[a]\r\nk=" + Gbk("一") + "\r\n[b]\r\nk=" + Gbk("二") + "\r\n");
    ClickNode(Section(1));
    ChooseEncoding("GB18030");
    EXPECT_EQ(main->tree1->Selected(), Section(1));
    EXPECT_EQ(Cell(0, 1), QString::fromUtf8("二"));
}

TEST_F(EncodingTest, AValueWithBytesTheCodePageDoesNotDefineSurvivesAnUnchangedOk) {
    ScopedLocale desktop("zh_CN.UTF-8", TCodePage::Utf8);
    for (TCodePage codePage : {TCodePage::Gbk, TCodePage::Utf8}) {
        SCOPED_TRACE(CodePageNumber(codePage));
        // Enough good characters that a stray byte does not make the file another code page.
        const std::string good = *Utf8ToCodePage("星海远征客户端配置文件", codePage);
        const std::string odd = "k\xFF" "y";
        const std::string bytes = "; " + good + "\r\n[a]\r\nodd=" + odd + "\r\n";
        const std::string path = Load(bytes);
        ASSERT_EQ(main->EncodingBox->Item(main->EncodingBox->ItemIndex()), codePage == TCodePage::Gbk ? "GBK" : "UTF-8");
        EXPECT_TRUE(Cell(0, 1).contains(QChar::ReplacementCharacter));
        const auto modified = ModifiedAt(path);

        QString shownAtStart;
        WhenModal([&](TCustomForm& box) {
            for (int i = 0; i < box.ComponentCount(); ++i)
                if (auto* edit = dynamic_cast<TEdit*>(box.ComponentAt(i))) {
                    auto* line = static_cast<QLineEdit*>(WidgetOf(*edit));
                    shownAtStart = line->text();
                    // A character typed beside the mark would store the mark: refused.
                    line->end(false);
                    QTest::keyClicks(line, "z");
                }
            PressKey(box, Qt::Key_Return);
        });
        ChooseOnRow(Row(0), main->mchang);
        EXPECT_TRUE(shownAtStart.contains(QChar::ReplacementCharacter));
        EXPECT_EQ(ReadBytes(path), bytes);
        EXPECT_EQ(ModifiedAt(path), modified);
        EXPECT_EQ(ListRows(), std::vector<std::string>{"odd=" + odd});
    }
}

// Captions made when a window was created stay right whatever file is loaded afterwards: the
// program's texts are in the locale's code page, the file's text in its own.
TEST_F(EncodingTest, TheProgramsOwnTextsStayRightWhicheverFileIsLoaded) {
    const struct {
        const char* locale;
        TCodePage localeCodePage;
        std::string file;
    } cases[] = {
        {"zh_CN.GBK", TCodePage::Gbk, "[设置]\nk=值\n"},
        {"zh_CN.UTF-8", TCodePage::Utf8, Gbk("[设置]\nk=值\n")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.locale);
        ScopedLocale desktop(c.locale, c.localeCodePage);
        main.reset(new TForm1(Application));
        main->Show();
        tree = ItemViewOf(*main->tree1);
        list = ItemViewOf(*main->ListView1);
        Load(c.file, "file.ini");
        EXPECT_EQ(Shown(Section(0)), QString::fromUtf8("设置"));
        EXPECT_EQ(Cell(0, 1), QString::fromUtf8("值"));
        EXPECT_EQ(WidgetOf(*main)->windowTitle(), QString::fromUtf8("file.ini — Ini文件查看器"));
        EXPECT_EQ(static_cast<QPushButton*>(WidgetOf(*main->Btnliu))->text(), QString::fromUtf8("浏览"));
        EXPECT_EQ(static_cast<QLabel*>(WidgetOf(main->ledtfname->EditLabel()))->text(), QString::fromUtf8("文件名"));
        EXPECT_EQ(list->model()->headerData(1, Qt::Horizontal).toString(), QString::fromUtf8("关键字值"));
        EXPECT_EQ(static_cast<QLabel*>(WidgetOf(*main->EncodingLabel))->text(), QString::fromUtf8("编码"));
        EXPECT_TRUE(StatusText().startsWith(QString::fromUtf8("换行符"))) << StatusText().toStdString();

        // A dialog made now shows its own texts and the file's value, each right.
        QString title, value;
        WhenModal([&](TCustomForm& box) {
            title = WidgetOf(box)->windowTitle();
            for (int i = 0; i < box.ComponentCount(); ++i)
                if (auto* edit = dynamic_cast<TEdit*>(box.ComponentAt(i)))
                    value = static_cast<QLineEdit*>(WidgetOf(*edit))->text();
            PressKey(box, Qt::Key_Escape);
        });
        ChooseOnRow(Row(0), main->mchang);
        EXPECT_EQ(title, QString::fromUtf8("新值"));
        EXPECT_EQ(value, QString::fromUtf8("值"));
    }
}

TEST_F(EncodingTest, AUtf16FileIsShownAndEditable) {
    ScopedLocale desktop("zh_CN.UTF-8", TCodePage::Utf8);
    const std::string original = Sample("utf16le-setup.ini");
    const std::string path = Load(original, "setup.ini");
    const std::string text = CodePageToUtf8(original.substr(2), TCodePage::Utf16Le);
    ASSERT_GT(Root()->Count(), 0);
    const QString first = Shown(Section(0));
    EXPECT_NE(text.find("[" + first.toStdString() + "]"), std::string::npos) << first.toStdString();
    ASSERT_GT(main->ListView1->Items().Count(), 0);
    EXPECT_NE(text.find(Cell(0, 0).toStdString() + "=" + Cell(0, 1).toStdString()), std::string::npos);
    EXPECT_EQ(EncodingBox()->currentText(), "UTF-16LE");
    EXPECT_FALSE(StatusText().contains(QString::fromUtf8("只读")));
    EXPECT_FALSE(main->tree1->ReadOnly());
    EXPECT_EQ(ReadBytes(path), original);
    EXPECT_TRUE(errorBoxes.empty());

    // Another file afterwards is editable again.
    Load("[a]\nk=v\n");
    EXPECT_FALSE(main->tree1->ReadOnly());
}

}  // namespace
}  // namespace apptest
