#include "view_test_support.h"

#include <gtest/gtest.h>

#include "ui/typed_text.h"

TEST(TypedText, KeepsWhatTheCodePageHoldsAndPutsTheCursorAfterIt) {
    ScopedCodePage gbk(936);
    TypedText typed = FilterTypedText(QStringLiteral("ab"), QStringLiteral("a😀中한b"), 0);
    EXPECT_TRUE(typed.refused);
    EXPECT_EQ(typed.text, QStringLiteral("a中b")) << "a surrogate pair is refused as one character";
    EXPECT_EQ(typed.cursor, 2);

    typed = FilterTypedText(QStringLiteral("ab"), QStringLiteral("a中b"), 0);
    EXPECT_FALSE(typed.refused);
    EXPECT_EQ(typed.text, QStringLiteral("a中b"));
}

TEST(TypedText, TheByteLimitCountsWhatStaysAndStopsAtTheFirstCharacterOverIt) {
    ScopedCodePage gbk(936);
    // Replacing 文 frees its two bytes for 字; the "a" after it would make five.
    TypedText typed = FilterTypedText(QStringLiteral("中文"), QStringLiteral("中字a"), 4);
    EXPECT_TRUE(typed.refused);
    EXPECT_EQ(typed.text, QStringLiteral("中字"));
    EXPECT_EQ(typed.cursor, 2);

    typed = FilterTypedText(QStringLiteral("x"), QStringLiteral("x中😀b"), 3);
    EXPECT_EQ(typed.text, QStringLiteral("x中")) << "the refused emoji takes no room, the b has none left";
}
