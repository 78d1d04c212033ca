// Text that an input method commits reaches an edit as text typed by the user: taken into the
// code page, refused when the code page cannot hold it or it would cross the byte limit.
#include "view_test_support.h"

#include <gtest/gtest.h>

#include <QInputMethodEvent>
#include <QLineEdit>
#include <QToolTip>

#include <string>

#include "encoding/code_page_conversion.h"
#include "ui/edit.h"
#include "ui/widget_access.h"

namespace {

class InputMethodTest : public testing::Test {
protected:
    void SetUp() override {
        edit = new TEdit(&window.Form());
        edit->SetParent(&window.Form());
        edit->SetBounds(8, 8, 200, 21);
        edit->SetFocus();
        QApplication::processEvents();
    }

    QLineEdit* Line() const { return static_cast<QLineEdit*>(WidgetOf(*edit)); }

    void Compose(const QString& preedit) {
        QInputMethodEvent event(preedit, {});
        QApplication::sendEvent(Line(), &event);
    }
    void Commit(const QString& text) {
        QInputMethodEvent event;
        event.setCommitString(text);
        QApplication::sendEvent(Line(), &event);
    }

    ScopedCodePage codePage{TCodePage::Gbk};
    ShownWindow window;
    TEdit* edit = nullptr;
};

TEST_F(InputMethodTest, CommittedChineseArrivesAsCodePageBytes) {
    Compose(QStringLiteral("zhong'wen"));
    EXPECT_EQ(edit->Text(), "") << "a composition in progress is not text yet";
    Commit(QStringLiteral("中文"));
    EXPECT_EQ(edit->Text(), "\xD6\xD0\xCE\xC4");
    Commit(QStringLiteral("名"));
    EXPECT_EQ(edit->Text(), "\xD6\xD0\xCE\xC4\xC3\xFB");
    EXPECT_EQ(Line()->text(), QStringLiteral("中文名"));
}

TEST_F(InputMethodTest, CommitInsertsAtTheCursorBesidePresetBytes) {
    edit->SetText("a\xB1\xB8z");  // "a备z"
    Line()->setCursorPosition(2);
    Commit(QStringLiteral("注"));
    EXPECT_EQ(edit->Text(), "a\xB1\xB8\xD7\xA2z");
}

TEST_F(InputMethodTest, CharactersOutsideTheCodePageAreRefused) {
    edit->SetText("\xD6\xD0");
    Line()->setCursorPosition(1);
    Commit(QStringLiteral("文😀한"));
    EXPECT_EQ(edit->Text(), "\xD6\xD0\xCE\xC4") << "only the character the code page holds is kept";
    EXPECT_EQ(Line()->text(), QStringLiteral("中文"));
}

// A refusal heard only as a beep looks like a lost keystroke: the field says which character
// its encoding cannot hold. Over the byte limit nothing is said of the characters.
TEST_F(InputMethodTest, ARefusedCharacterIsNamedWithTheEncodingInATooltip) {
    SetNotHeldText("\xD7\xD6\xB7\xFB%1 / %2");  // "字符%1 / %2" in GBK, the locale's code page here
    Commit(QStringLiteral("a한b"));
    EXPECT_TRUE(QToolTip::isVisible());
    EXPECT_EQ(QToolTip::text(), QStringLiteral("字符한 / GBK"));
    QToolTip::showText(Line()->mapToGlobal(QPoint()), QStringLiteral("before"), Line());
    edit->SetMaxLength(3);
    Commit(QStringLiteral("cd"));
    EXPECT_EQ(edit->Text(), "abc");
    EXPECT_EQ(QToolTip::text(), QStringLiteral("before"));
    SetNotHeldText("");
}

TEST_F(InputMethodTest, CommitStopsAtTheByteLimit) {
    edit->SetMaxLength(5);
    Commit(QStringLiteral("中文字"));
    EXPECT_EQ(edit->Text(), "\xD6\xD0\xCE\xC4") << "a third double-byte character would need 6 bytes";
    Commit(QStringLiteral("a"));
    EXPECT_EQ(edit->Text(), "\xD6\xD0\xCE\xC4" "a");
}

// A key press converts the characters it brings, not the whole field; the field's bytes are
// taken once, when the program asks for them.
TEST_F(InputMethodTest, AKeyPressConvertsItsOwnCharacterAndTheTextIsTakenOnceWhenAskedFor) {
    std::string chinese;
    for (int i = 0; i < 500; ++i) chinese += "\xD6\xD0";  // 中
    edit->SetText(chinese);
    edit->SetMaxLength(2000);
    Line()->end(false);
    const std::size_t beforeTyping = ConvertedByteCount();
    Commit(QStringLiteral("文"));
    QTest::keyClicks(Line(), "ab");
    EXPECT_LE(ConvertedByteCount() - beforeTyping, 3u * 4) << "the field was converted at a key press";
    const std::size_t beforeAsking = ConvertedByteCount();
    EXPECT_EQ(edit->Text(), chinese + "\xCE\xC4" "ab");
    const std::size_t taking = ConvertedByteCount() - beforeAsking;
    EXPECT_GE(taking, chinese.size());
    EXPECT_LT(taking, 2 * chinese.size()) << "taken once";
    EXPECT_EQ(edit->Text(), chinese + "\xCE\xC4" "ab");
    EXPECT_EQ(ConvertedByteCount() - beforeAsking, taking) << "and not again while nothing was typed";
}

// Bytes the code page does not define show as marks; an edit that keeps a mark cannot store
// them back and is refused as it is typed, while the untouched text keeps its bytes.
TEST_F(InputMethodTest, ATextWithUndefinedBytesKeepsThemUntilEditedAndRefusesEditsThatKeepTheirMarks) {
    edit->SetText("\xD6\xD0\xFF");
    EXPECT_EQ(Line()->text(), QStringLiteral("中\uFFFD"));
    Commit(QStringLiteral("x"));
    EXPECT_EQ(Line()->text(), QStringLiteral("中\uFFFD"));
    EXPECT_EQ(edit->Text(), "\xD6\xD0\xFF");
    Line()->selectAll();
    Commit(QStringLiteral("y"));
    EXPECT_EQ(edit->Text(), "y") << "the mark is gone with the text that held it";
}

}  // namespace

TEST_F(InputMethodTest, TypingInTheMiddleKeepsTheCursorThere) {
    edit->SetText("az");
    Line()->setCursorPosition(1);
    QTest::keyClicks(Line(), "xy");
    EXPECT_EQ(edit->Text(), "axyz");
    EXPECT_EQ(Line()->cursorPosition(), 3);
}
