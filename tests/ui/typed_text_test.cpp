#include "view_test_support.h"

#include <gtest/gtest.h>

#include "platform/display_text.h"
#include "ui/typed_text.h"

// The locale is UTF-8 throughout: the field's own code page decides, not the locale's.

TEST(TypedText, KeepsWhatTheCodePageHoldsAndPutsTheCursorAfterIt) {
    ScopedCodePage locale(TCodePage::Utf8);
    TypedText typed = FilterTypedText(QStringLiteral("ab"), QStringLiteral("a😀中한b"), 0, TCodePage::Gbk);
    EXPECT_TRUE(typed.refused);
    EXPECT_EQ(typed.text, QStringLiteral("a中b")) << "a surrogate pair is refused as one character";
    EXPECT_EQ(typed.cursor, 2);
    EXPECT_EQ(typed.notHeld, QStringLiteral("😀")) << "the first character refused";

    typed = FilterTypedText(QStringLiteral("ab"), QStringLiteral("a中b"), 0, TCodePage::Gbk);
    EXPECT_FALSE(typed.refused);
    EXPECT_EQ(typed.text, QStringLiteral("a中b"));
}

TEST(TypedText, TheByteLimitCountsInTheFieldsCodePageAndStopsAtTheFirstCharacterOverIt) {
    ScopedCodePage locale(TCodePage::Utf8);
    // Replacing 文 frees its two bytes for 字; the "a" after it would make five.
    TypedText typed = FilterTypedText(QStringLiteral("中文"), QStringLiteral("中字a"), 4, TCodePage::Gbk);
    EXPECT_TRUE(typed.refused);
    EXPECT_EQ(typed.text, QStringLiteral("中字"));
    EXPECT_EQ(typed.cursor, 2);

    typed = FilterTypedText(QStringLiteral("x"), QStringLiteral("x中😀b"), 3, TCodePage::Gbk);
    EXPECT_EQ(typed.text, QStringLiteral("x中")) << "the refused emoji takes no room, the b has none left";

    typed = FilterTypedText(QStringLiteral("中文"), QStringLiteral("中字a"), 4, TCodePage::Utf8);
    EXPECT_EQ(typed.text, QStringLiteral("中")) << "three bytes a character in UTF-8";
}

TEST(EditedBytes, KeepsBytesTheCodePageDoesNotDefineOnlyWhileTheyAreNotEdited) {
    const std::string odd = "k\xFFy";  // no UTF-8
    const QString shown = ToDisplay(odd, TCodePage::Utf8);
    EXPECT_EQ(EditedBytes(shown, odd, TCodePage::Utf8), odd) << "unchanged: the bytes as they were";
    EXPECT_EQ(EditedBytes(shown + "z", odd, TCodePage::Utf8), std::nullopt)
        << "the mark would be stored in the byte's place";
    EXPECT_EQ(EditedBytes(QStringLiteral("k中"), odd, TCodePage::Utf8), "k\xE4\xB8\xAD") << "the mark is gone";

    const std::string mark = "a\xEF\xBF\xBD";  // a replacement character the file really holds
    EXPECT_EQ(EditedBytes(ToDisplay(mark, TCodePage::Utf8) + "b", mark, TCodePage::Utf8), mark + "b");
    EXPECT_EQ(EditedBytes(QStringLiteral("한"), "a", TCodePage::Gbk), std::nullopt) << "GBK holds no hangul";
}
