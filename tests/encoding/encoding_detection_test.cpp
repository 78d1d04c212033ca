#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "encoding/code_page.h"
#include "encoding/code_page_conversion.h"
#include "encoding/content_refusal.h"
#include "encoding/encoding_detection.h"

namespace {

std::string Sample(const std::string& name) {
    std::ifstream in(std::string(INIV_SAMPLES_DIR) + "/" + name, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::string Gbk(const std::string& utf8) { return *Utf8ToCodePage(utf8, TCodePage::Gbk); }

TFileEncoding Detect(const std::string& bytes, const char* locale) {
    return DetectEncoding(bytes, EncodingHintsOfLocale(locale));
}

}  // namespace

// Every sample under a Chinese UTF-8 desktop: the code page, and its text reads right and
// converts back to the very same bytes.
TEST(EncodingDetection, Samples) {
    const struct {
        const char* file;
        TCodePage codePage;
        int bomLength;
        const char* word;  // a word the file holds
    } cases[] = {
        {"gbk-game.ini", TCodePage::Gbk, 0, "星海远征"},
        {"gbk.ini", TCodePage::Gbk, 0, "窗口"},
        {"gbk-mostly-ascii.ini", TCodePage::Gbk, 0, "宋体"},
        {"gb18030-guild.ini", TCodePage::Gb18030, 0, "서울 1서버"},
        {"big5-editor.ini", TCodePage::Big5, 0, "繁體中文"},
        {"shift-jis-player.ini", TCodePage::ShiftJis, 0, "日本語"},
        {"utf8.ini", TCodePage::Utf8, 0, "窗口"},
        {"utf8-mod.ini", TCodePage::Utf8, 0, "模组"},
        {"utf8-bom-tool.ini", TCodePage::Utf8, 3, "截图"},
        {"utf16le-setup.ini", TCodePage::Utf16Le, 2, "欢迎使用"},
        {"simple.ini", TCodePage::Utf8, 0, "Sample"},
        {"setup.inf", TCodePage::Utf8, 0, "Installer"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string bytes = Sample(c.file);
        ASSERT_FALSE(bytes.empty());
        const TFileEncoding found = Detect(bytes, "zh_CN.UTF-8");
        EXPECT_EQ(found.codePage, c.codePage);
        EXPECT_EQ(found.bomLength, c.bomLength);
        const std::string body = bytes.substr(found.bomLength);
        const std::string text = CodePageToUtf8(body, found.codePage);
        EXPECT_NE(text.find(c.word), std::string::npos) << text;
        EXPECT_EQ(Utf8ToCodePage(text, found.codePage), body);
    }
}

TEST(EncodingDetection, GbkSamplesReadAsGbkWhateverTheUtf8Locale) {
    for (const char* locale : {"C.UTF-8", "en_US.UTF-8", "zh_CN.UTF-8", "zh_CN.GBK"}) {
        SCOPED_TRACE(locale);
        EXPECT_EQ(Detect(Sample("gbk-game.ini"), locale).codePage, TCodePage::Gbk);
        EXPECT_EQ(Detect(Sample("gbk-mostly-ascii.ini"), locale).codePage, TCodePage::Gbk);
        EXPECT_EQ(Detect(Sample("gb18030-guild.ini"), locale).codePage, TCodePage::Gb18030);
    }
}

TEST(EncodingDetection, ByteOrderMarksDecideFirst) {
    EXPECT_EQ(Detect("\xEF\xBB\xBF[a]\r\nk=" + Gbk("中文"), "zh_CN.UTF-8").codePage, TCodePage::Utf8)
        << "what follows the mark does not matter";
    const TFileEncoding be = Detect(std::string("\xFE\xFF\0[", 4), "C.UTF-8");
    EXPECT_EQ(be.codePage, TCodePage::Utf16Be);
    EXPECT_EQ(be.bomLength, 2);
    EXPECT_EQ(be.basis, TEncodingBasis::ByteOrderMark);
}

TEST(EncodingDetection, PureAsciiTakesTheLocaleCodePage) {
    EXPECT_EQ(Detect("[a]\nk=v\n", "zh_CN.GBK").codePage, TCodePage::Gbk);
    EXPECT_EQ(Detect("[a]\nk=v\n", "zh_CN.UTF-8").codePage, TCodePage::Utf8);
    EXPECT_EQ(Detect("", "C").basis, TEncodingBasis::PureAscii);
}

// The common hard case: a few GBK characters in an otherwise ASCII file, where the detection
// library guesses a single-byte code page or nothing.
TEST(EncodingDetection, FewGbkCharactersInAsciiReadAsGbk) {
    const std::string oneCharacter = "[a]\r\nk=" + Gbk("中") + "\r\n";
    const std::string twoValues =
        "[Window]\r\nTitle=" + Gbk("设置") + "\r\nLeft=10\r\n[Font]\r\nName=" + Gbk("宋体") + "\r\n";
    for (const std::string& bytes : {oneCharacter, twoValues}) {
        const TFileEncoding zh = Detect(bytes, "zh_CN.UTF-8");
        EXPECT_EQ(zh.codePage, TCodePage::Gbk);
        EXPECT_EQ(zh.basis, TEncodingBasis::LocalePreference);
        EXPECT_EQ(Detect(bytes, "C.UTF-8").codePage, TCodePage::Gbk);
        EXPECT_EQ(Detect(bytes, "en_US.UTF-8").codePage, TCodePage::Gbk);
    }
    EXPECT_EQ(Detect(oneCharacter, "ja_JP.UTF-8").codePage, TCodePage::ShiftJis) << "the locale leans elsewhere";
}

TEST(EncodingDetection, FourByteSequencesMakeItGb18030) {
    const std::string gbk = "[a]\nname=" + Gbk("李明") + "\n";
    EXPECT_EQ(Detect(gbk, "zh_CN.UTF-8").codePage, TCodePage::Gbk);
    const std::string withHangul = gbk + "server=" + *Utf8ToCodePage("서울", TCodePage::Gb18030) + "\n";
    EXPECT_EQ(Detect(withHangul, "zh_CN.UTF-8").codePage, TCodePage::Gb18030);
    EXPECT_EQ(Detect(withHangul, "C.UTF-8").codePage, TCodePage::Gb18030);
}

TEST(EncodingDetection, BigFiveAgainstGbkFollowsTheLocaleOnlyWhenBothFit) {
    // Both code pages define these four characters.
    const std::string both = "[a]\r\nk=" + Gbk("工具箱") + "\r\n";
    EXPECT_EQ(Detect(both, "zh_CN.UTF-8").codePage, TCodePage::Gbk);
    EXPECT_EQ(Detect(both, "zh_TW.UTF-8").codePage, TCodePage::Big5);
    EXPECT_EQ(Detect(both, "zh_TW.Big5").codePage, TCodePage::Big5);
    // Big5 punctuation has no GBK character, and the real files say which they are.
    const std::string big5 = "[a]\r\nk=" + *Utf8ToCodePage("設定，完成", TCodePage::Big5) + "\r\n";
    EXPECT_EQ(Detect(big5, "zh_CN.UTF-8").codePage, TCodePage::Big5);
    EXPECT_EQ(Detect(Sample("big5-editor.ini"), "zh_CN.UTF-8").codePage, TCodePage::Big5);
    EXPECT_EQ(Detect(Sample("gbk-game.ini"), "zh_TW.UTF-8").codePage, TCodePage::Gbk);
}

// Every call of iniv detects: a GBK file whose code page the library guesses is converted
// through GBK alone, once, after the two looks at it as UTF-8.
TEST(EncodingDetection, TheGuessedCodePageIsTheOnlyDoubleByteOneConverted) {
    std::string bytes;
    for (int i = 0; i < 20; ++i) bytes += "k" + std::to_string(i) + "=" + Gbk("星海远征客户端配置") + "\r\n";
    const std::size_t convertedBefore = ConvertedByteCount();
    const TFileEncoding found = Detect(bytes, "zh_CN.UTF-8");
    EXPECT_EQ(found.codePage, TCodePage::Gbk);
    EXPECT_EQ(found.basis, TEncodingBasis::LibraryGuess);
    EXPECT_LE(ConvertedByteCount() - convertedBefore, 3 * bytes.size());
}

TEST(EncodingDetection, ValidUtf8WinsOverGbkThatHappensToBeIt) {
    // "系统" in GBK is CF B5 CD B3, which is also the UTF-8 of "ϵͳ": read as UTF-8, the user
    // can choose GBK.
    const std::string bytes = "[" + Gbk("系统") + "]\n";
    const TFileEncoding found = Detect(bytes, "zh_CN.UTF-8");
    EXPECT_EQ(found.codePage, TCodePage::Utf8);
    EXPECT_EQ(found.basis, TEncodingBasis::ValidUtf8);
}

TEST(EncodingDetection, SingleByteFilesStaySingleByte) {
    // No double-byte code page has a character "é" followed by a line end.
    const std::string latin = "[Server]\r\nName=Caf\xE9\r\nCity=Montr\xE9" "al\r\nOwner=Ren\xE9\r\n";
    const TFileEncoding found = Detect(latin, "zh_CN.UTF-8");
    EXPECT_EQ(found.codePage, TCodePage::Windows1252);
    // A locale whose own code page is single-byte is not talked into a double-byte one by bytes
    // that happen to pair up ("üs" and "ße" are GBK characters).
    EXPECT_EQ(Detect("[a]\nName=M\xFCller Stra\xDF" "e\n", "de_DE.ISO-8859-1").codePage, TCodePage::Windows1252);
    // Bytes no code page explains fall back to the locale language's single-byte code page.
    const TFileEncoding nothing = Detect("[a]\nk=\xFF\n", "ru_RU.UTF-8");
    EXPECT_NE(nothing.codePage, TCodePage::Gbk);
    EXPECT_GE(nothing.codePage, TCodePage::Windows1250);
    EXPECT_LE(nothing.codePage, TCodePage::Windows1258);
}

// A value cut in the middle of a character, or one byte from elsewhere, does not turn a file
// into another code page; many such bytes do.
TEST(EncodingDetection, AFewStrayBytesKeepTheFilesCodePage) {
    const std::string stray = "bad=k\xFFy\r\n";
    const std::string gbk = "[" + Gbk("常规") + "]\r\n" + Gbk("名称") + "=" + Gbk("星海远征") + "\r\n" + stray;
    for (const char* locale : {"zh_CN.UTF-8", "zh_CN.GBK"}) {
        const TFileEncoding found = Detect(gbk, locale);
        EXPECT_EQ(found.codePage, TCodePage::Gbk) << locale;
        EXPECT_EQ(found.basis, TEncodingBasis::DespiteStrays) << locale;
    }
    const std::string utf8 = "[常规]\n名称=星海远征\n" + stray;
    EXPECT_EQ(Detect(utf8, "zh_CN.UTF-8").codePage, TCodePage::Utf8);
    EXPECT_EQ(Detect(utf8, "C.UTF-8").codePage, TCodePage::Utf8);

    const std::string mostlyStrays = "[a]\r\nk=" + Gbk("中") + "\r\n" + stray + stray;
    EXPECT_NE(Detect(mostlyStrays, "zh_CN.UTF-8").codePage, TCodePage::Gbk);
    EXPECT_NE(Detect(mostlyStrays, "zh_CN.UTF-8").codePage, TCodePage::Utf8);
}

TEST(EncodingDetection, AChosenCodePageIsAskedWhatAVerdictIs) {
    const std::string gbk = "[a]\r\nk=" + Gbk("星海远征客户端配置") + "\r\n";
    EXPECT_TRUE(ReadsInCodePage(gbk, TCodePage::Gbk));
    EXPECT_TRUE(ReadsInCodePage(gbk + "x=\xFF\r\n", TCodePage::Gbk)) << "a stray byte";
    EXPECT_FALSE(ReadsInCodePage(gbk, TCodePage::Utf8));
    EXPECT_TRUE(ReadsInCodePage("\xEF\xBB\xBF[\xE4\xB8\xAD]", TCodePage::Utf8)) << "its byte-order mark aside";
    EXPECT_TRUE(ReadsInCodePage("[a]\nk=v\n", TCodePage::Utf8));
}

TEST(EncodingDetection, OnlyLinesWithNonAsciiBytesCountTowardTheSample) {
    // More ASCII than the sample holds, then the one telling line.
    std::string bytes;
    for (int i = 0; i < 100000; ++i) bytes += "key" + std::to_string(i) + "=some ascii value\r\n";
    bytes += "last=" + Gbk("最后") + "\r\n";
    EXPECT_EQ(Detect(bytes, "zh_CN.UTF-8").codePage, TCodePage::Gbk);
}

TEST(EncodingHints, LocalesLeanToTheirCodePages) {
    const struct {
        const char* locale;
        TCodePage localeCodePage, preferred;
    } cases[] = {
        {"zh_CN.UTF-8", TCodePage::Utf8, TCodePage::Gbk},
        {"zh_TW.UTF-8", TCodePage::Utf8, TCodePage::Big5},
        {"zh_CN.GBK", TCodePage::Gbk, TCodePage::Gbk},
        {"zh_HK.Big5", TCodePage::Big5, TCodePage::Big5},
        {"ja_JP.UTF-8", TCodePage::Utf8, TCodePage::ShiftJis},
        {"ru_RU.UTF-8", TCodePage::Utf8, TCodePage::Windows1251},
        {"de_DE.ISO-8859-1", TCodePage::Windows1252, TCodePage::Windows1252},
        {"C.UTF-8", TCodePage::Utf8, TCodePage::None},
        {"", TCodePage::Utf8, TCodePage::None},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.locale);
        const TEncodingHints hints = EncodingHintsOfLocale(c.locale);
        EXPECT_EQ(hints.localeCodePage, c.localeCodePage);
        EXPECT_EQ(hints.preferredCodePage, c.preferred);
    }
}

TEST(EncodingDetection, ChosenEncodingSkipsOnlyItsOwnByteOrderMark) {
    const std::string bytes = "\xEF\xBB\xBF[a]\n";
    EXPECT_EQ(ChosenEncoding(bytes, TCodePage::Utf8).bomLength, 3);
    EXPECT_EQ(ChosenEncoding(bytes, TCodePage::Gbk).bomLength, 0);
    EXPECT_EQ(ChosenEncoding(bytes, TCodePage::Gbk).basis, TEncodingBasis::UserChoice);
    EXPECT_EQ(ByteOrderMarkLength("\xFF\xFE[", TCodePage::Utf16Le), 2);
    EXPECT_EQ(ByteOrderMarkLength("\xFF\xFE[", TCodePage::Utf16Be), 0);
}

TEST(ContentRefusal, ANulByteNearTheStartMarksNoTextFile) {
    const TEncodingHints hints{TCodePage::Windows1252, TCodePage::Windows1252};
    const auto refusal = [&](const std::string& bytes) {
        const TFileEncoding verdict = DetectEncoding(bytes, hints);
        return ContentRefusal(bytes, verdict, verdict);
    };
    EXPECT_EQ(refusal("[a]\r\nk=v\r\n"), TContentRefusal::None);
    const std::string executable = std::string("MZ\x90\0\x03\0\0\0", 8) + "[x]\rmain=01\r";
    EXPECT_EQ(refusal(executable), TContentRefusal::Binary);
    std::string late(BinaryProbeBytes, 'a');
    late += std::string("\0", 1);
    EXPECT_EQ(refusal("[a]\n" + late), TContentRefusal::None) << "past the bytes looked at";
    // UTF-16 text is mostly NUL bytes, with or without its mark: no sign of a binary file.
    EXPECT_EQ(refusal(std::string("\xFF\xFE[\0a\0]\0\r\0\n\0", 12)), TContentRefusal::None);
    const std::string text("[\0a\0]\0\r\0\n\0k\0=\0v\0", 16);
    EXPECT_EQ(ContentRefusal(text, DetectEncoding(text, hints), ChosenEncoding(text, TCodePage::Utf16Le)),
              TContentRefusal::None);
}

TEST(ContentRefusal, BytesThatDoNotReadInTheChosenCodePageMustNotBeWritten) {
    const std::string gbk = "[a]\nk=\xD5\xC5\xC8\xFD\n";
    const TFileEncoding verdict = DetectEncoding(gbk, {TCodePage::Gbk, TCodePage::Gbk});
    EXPECT_EQ(ContentRefusal(gbk, verdict, ChosenEncoding(gbk, TCodePage::Utf8)), TContentRefusal::OtherEncoding);
    EXPECT_EQ(ContentRefusal(gbk, verdict, ChosenEncoding(gbk, TCodePage::Gb18030)), TContentRefusal::None);
}
