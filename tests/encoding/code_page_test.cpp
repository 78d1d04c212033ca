#include <gtest/gtest.h>

#include "encoding/code_page.h"
#include "encoding/code_page_conversion.h"
#include "support/code_page_guard.h"

TEST(CodePage, LocaleNamesMapToCodePages) {
    EXPECT_EQ(CodePageOfLocaleName("zh_CN.GBK"), TCodePage::Gbk);
    EXPECT_EQ(CodePageOfLocaleName("zh_CN.gb18030"), TCodePage::Gbk);
    EXPECT_EQ(CodePageOfLocaleName("zh_CN"), TCodePage::Gbk);
    EXPECT_EQ(CodePageOfLocaleName("zh_TW.Big5"), TCodePage::Big5);
    EXPECT_EQ(CodePageOfLocaleName("ko_KR.EUC-KR"), TCodePage::Korean);
    EXPECT_EQ(CodePageOfLocaleName("ja_JP.SJIS"), TCodePage::ShiftJis);
    EXPECT_EQ(CodePageOfLocaleName("en_US.UTF-8"), TCodePage::Utf8);
    EXPECT_EQ(CodePageOfLocaleName("de_DE.ISO-8859-1@euro"), TCodePage::Windows1252);
    EXPECT_EQ(CodePageOfLocaleName("C"), TCodePage::Utf8);
    EXPECT_EQ(CodePageOfLocaleName("POSIX"), TCodePage::Utf8);
    EXPECT_EQ(CodePageOfLocaleName(""), TCodePage::Utf8);
}

TEST(CodePage, GbkRoundTripAndRefusal) {
    ScopedCodePage codePage(TCodePage::Gbk);
    auto gbk = Utf8ToAnsi("文件");
    ASSERT_TRUE(gbk.has_value());
    EXPECT_EQ(*gbk, "\xCE\xC4\xBC\xFE");
    EXPECT_EQ(AnsiToUtf8(*gbk), "文件");
    EXPECT_FALSE(Utf8ToAnsi("\xF0\x9F\x98\x80").has_value()) << "an emoji has no GBK form";
    // A lone lead byte at the end is shown as a replacement, the rest stays readable.
    EXPECT_EQ(AnsiToUtf8("ab\xCE"), "ab\xEF\xBF\xBD");
}

TEST(CodePage, Utf8InvalidBytesAreShownAsReplacements) {
    ScopedCodePage utf8(TCodePage::Utf8);
    EXPECT_EQ(AnsiToUtf8("a\xFF" "b"), "a\xEF\xBF\xBD" "b");
    EXPECT_FALSE(Utf8ToAnsi("a\xFF").has_value());
    EXPECT_EQ(Ansi("宋体"), "宋体");
}

TEST(CodePage, LanguagesMapToWindowsCodePages) {
    EXPECT_EQ(CodePageOfLanguage("zh_CN.UTF-8"), TCodePage::Gbk);
    EXPECT_EQ(CodePageOfLanguage("zh_TW.UTF-8"), TCodePage::Big5);
    EXPECT_EQ(CodePageOfLanguage("zh_HK"), TCodePage::Big5);
    EXPECT_EQ(CodePageOfLanguage("ja_JP.UTF-8"), TCodePage::ShiftJis);
    EXPECT_EQ(CodePageOfLanguage("ru_RU.UTF-8"), TCodePage::Windows1251);
    EXPECT_EQ(CodePageOfLanguage("bem_ZM.UTF-8"), TCodePage::Windows1252) << "a language is matched whole, not by prefix";
    EXPECT_EQ(CodePageOfLanguage("C.UTF-8"), TCodePage::None);
    EXPECT_EQ(CodePageOfLocaleName("ru_RU"), TCodePage::Windows1251);
}

// Each code page with a text of its own script: the exact bytes, and back.
TEST(CodePage, ConvertsPerCodePageBothWays) {
    const struct {
        TCodePage codePage;
        std::string utf8, bytes;
    } cases[] = {
        {TCodePage::Gbk, "文件€", "\xCE\xC4\xBC\xFE\x80"},
        {TCodePage::Gb18030, "䶮서😀€", "\xFE\x9F\x83\x31\xF3\x39\x94\x39\xFC\x36\xA2\xE3"},
        {TCodePage::Big5, "繁體，", "\xC1\x63\xC5\xE9\xA1\x41"},
        {TCodePage::ShiftJis, "日本語", "\x93\xFA\x96\x7B\x8C\xEA"},
        {TCodePage::Korean, "한국어", "\xC7\xD1\xB1\xB9\xBE\xEE"},
        {TCodePage::Windows1251, "Привет", "\xCF\xF0\xE8\xE2\xE5\xF2"},
        {TCodePage::Windows1252, "café€", "caf\xE9\x80"},
        {TCodePage::Windows1258, "Việt", "Vi\xEA\xF2t"},
        {TCodePage::Utf16Le, "A中", std::string("A\0\x2D\x4E", 4)},
        {TCodePage::Utf16Be, "A中", std::string("\0A\x4E\x2D", 4)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(CodePageNumber(c.codePage));
        EXPECT_EQ(Utf8ToCodePage(c.utf8, c.codePage), c.bytes);
        EXPECT_EQ(CodePageToUtf8(c.bytes, c.codePage), c.utf8);
        EXPECT_TRUE(IsValidInCodePage(c.bytes, c.codePage));
    }
}

TEST(CodePage, UnrepresentableCharactersAreRefusedNotReplaced) {
    EXPECT_EQ(Utf8ToCodePage("a😀", TCodePage::Gbk), std::nullopt);
    EXPECT_EQ(Utf8ToCodePage("서울", TCodePage::Gbk), std::nullopt) << "Hangul needs GB18030's four bytes";
    EXPECT_EQ(Utf8ToCodePage("中", TCodePage::Windows1252), std::nullopt);
    EXPECT_EQ(Utf8ToCodePage("简体", TCodePage::ShiftJis), std::nullopt);
    EXPECT_EQ(Utf8ToCodePage("a\xFF", TCodePage::Utf16Le), std::nullopt) << "invalid UTF-8 in";
}

TEST(CodePage, InvalidBytesShowAsOneReplacementEach) {
    const std::string fffd = "\xEF\xBF\xBD";
    EXPECT_EQ(CodePageToUtf8("\x81\x30" "a", TCodePage::Gbk), fffd + "0a")
        << "a GB18030 sequence cut short is not GBK";
    EXPECT_EQ(CodePageToUtf8("\x80" "a", TCodePage::Gb18030), fffd + "a");
    EXPECT_FALSE(IsValidInCodePage("\x81\x30\x81\x30", TCodePage::Gbk));
    EXPECT_TRUE(IsValidInCodePage("\x81\x30\x81\x30", TCodePage::Gb18030));
    // UTF-16 steps over a whole unit: a lone surrogate does not shift the rest out of step.
    EXPECT_EQ(CodePageToUtf8(std::string("\x00\xD8" "A\0", 4), TCodePage::Utf16Le), fffd + "A");
    EXPECT_EQ(CodePageToUtf8(std::string("A\0B", 3), TCodePage::Utf16Le), "A" + fffd);
}

// For a message in the locale's code page that names a text of the file's.
TEST(CodePage, TextShownInAnotherCodePageMarksWhatItCannotHold) {
    EXPECT_EQ(ShownInCodePage("\xD6\xD0\xCE\xC4", TCodePage::Gbk, TCodePage::Utf8), "中文");
    EXPECT_EQ(ShownInCodePage("中文", TCodePage::Utf8, TCodePage::Gbk), "\xD6\xD0\xCE\xC4");
    EXPECT_EQ(ShownInCodePage("k\xFF", TCodePage::Gbk, TCodePage::Utf8), "k\xEF\xBF\xBD");
    EXPECT_EQ(ShownInCodePage("名한\xFF", TCodePage::Utf8, TCodePage::Gbk), "\xC3\xFB??") << "GBK has no mark either";
}

TEST(CodePage, StatefulDecodersKeepTheirLastCharacter) {
    // Windows-1258 holds a letter back until it knows no accent follows.
    EXPECT_EQ(CodePageToUtf8("abc", TCodePage::Windows1258), "abc");
    EXPECT_EQ(CodePageToUtf8("a\xFF" "b", TCodePage::Windows1255), "a" "\xEF\xBF\xBD" "b");
}

TEST(CodePage, ProcessCodePageVariantsFollowIt) {
    ScopedCodePage big5(TCodePage::Big5);
    EXPECT_EQ(Utf8ToAnsi("繁體"), "\xC1\x63\xC5\xE9");
    EXPECT_EQ(AnsiToUtf8("\xC1\x63"), "繁");
}

TEST(CodePage, LeadBytesOfDoubleByteCodePages) {
    EXPECT_TRUE(IsLeadByte(TCodePage::Gbk, 0x81));
    EXPECT_TRUE(IsLeadByte(TCodePage::Gbk, 0xFE));
    EXPECT_FALSE(IsLeadByte(TCodePage::Gbk, 0x80));
    EXPECT_FALSE(IsLeadByte(TCodePage::Gbk, 0xFF));
    EXPECT_TRUE(IsLeadByte(TCodePage::ShiftJis, 0x9F));
    EXPECT_FALSE(IsLeadByte(TCodePage::ShiftJis, 0xA0)) << "Shift-JIS has a gap between its two lead ranges";
    EXPECT_TRUE(IsLeadByte(TCodePage::ShiftJis, 0xE0));
    EXPECT_FALSE(IsLeadByte(TCodePage::Utf8, 0xC4));
    EXPECT_FALSE(IsLeadByte(TCodePage::Windows1252, 0x81));
    EXPECT_TRUE(IsLeadByte(TCodePage::Gb18030, 0x81));

    const std::string text = "a\xC4\xE3\xC4";
    EXPECT_EQ(CharacterLength(text, 0, TCodePage::Gbk), 1u);
    EXPECT_EQ(CharacterLength(text, 1, TCodePage::Gbk), 2u);
    EXPECT_EQ(CharacterLength(text, 3, TCodePage::Gbk), 1u) << "a lead byte at the end stands alone";
    EXPECT_EQ(CharacterLength(text, 1, TCodePage::Utf8), 1u);
}
