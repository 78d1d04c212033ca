#include <gtest/gtest.h>

#include "platform/code_page.h"
#include "platform/code_page_conversion.h"

TEST(CodePage, LocaleNamesMapToCodePages) {
    EXPECT_EQ(CodePageOfLocaleName("zh_CN.GBK"), 936);
    EXPECT_EQ(CodePageOfLocaleName("zh_CN.gb18030"), 936);
    EXPECT_EQ(CodePageOfLocaleName("zh_CN"), 936);
    EXPECT_EQ(CodePageOfLocaleName("zh_TW.Big5"), 950);
    EXPECT_EQ(CodePageOfLocaleName("ko_KR.EUC-KR"), 949);
    EXPECT_EQ(CodePageOfLocaleName("ja_JP.SJIS"), 932);
    EXPECT_EQ(CodePageOfLocaleName("en_US.UTF-8"), CodePageUtf8);
    EXPECT_EQ(CodePageOfLocaleName("de_DE.ISO-8859-1@euro"), 1252);
    EXPECT_EQ(CodePageOfLocaleName("C"), CodePageUtf8);
    EXPECT_EQ(CodePageOfLocaleName("POSIX"), CodePageUtf8);
    EXPECT_EQ(CodePageOfLocaleName(""), CodePageUtf8);
}

TEST(CodePage, GbkRoundTripAndRefusal) {
    SetAnsiCodePage(936);
    auto gbk = Utf8ToAnsi("文件");
    ASSERT_TRUE(gbk.has_value());
    EXPECT_EQ(*gbk, "\xCE\xC4\xBC\xFE");
    EXPECT_EQ(AnsiToUtf8(*gbk), "文件");
    EXPECT_FALSE(Utf8ToAnsi("\xF0\x9F\x98\x80").has_value()) << "an emoji has no GBK form";
    // A lone lead byte at the end is shown as a replacement, the rest stays readable.
    EXPECT_EQ(AnsiToUtf8("ab\xCE"), "ab\xEF\xBF\xBD");
    SetAnsiCodePage(CodePageUtf8);
}

TEST(CodePage, Utf8InvalidBytesAreShownAsReplacements) {
    SetAnsiCodePage(CodePageUtf8);
    EXPECT_EQ(AnsiToUtf8("a\xFF" "b"), "a\xEF\xBF\xBD" "b");
    EXPECT_FALSE(Utf8ToAnsi("a\xFF").has_value());
    EXPECT_EQ(Ansi("宋体"), "宋体");
}

TEST(CodePage, LeadBytesOfDoubleByteCodePages) {
    EXPECT_TRUE(IsLeadByte(936, 0x81));
    EXPECT_TRUE(IsLeadByte(936, 0xFE));
    EXPECT_FALSE(IsLeadByte(936, 0x80));
    EXPECT_FALSE(IsLeadByte(936, 0xFF));
    EXPECT_TRUE(IsLeadByte(932, 0x9F));
    EXPECT_FALSE(IsLeadByte(932, 0xA0)) << "Shift-JIS has a gap between its two lead ranges";
    EXPECT_TRUE(IsLeadByte(932, 0xE0));
    EXPECT_FALSE(IsLeadByte(CodePageUtf8, 0xC4));
    EXPECT_FALSE(IsLeadByte(1252, 0x81));

    const std::string text = "a\xC4\xE3\xC4";
    EXPECT_EQ(CharacterLength(text, 0, 936), 1u);
    EXPECT_EQ(CharacterLength(text, 1, 936), 2u);
    EXPECT_EQ(CharacterLength(text, 3, 936), 1u) << "a lead byte at the end stands alone";
    EXPECT_EQ(CharacterLength(text, 1, CodePageUtf8), 1u);
}
