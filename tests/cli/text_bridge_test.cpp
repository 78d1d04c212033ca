// Names and values between a UTF-8 terminal and a GBK file, and the other way round.
#include <gtest/gtest.h>

#include "cli/text_bridge.h"
#include "encoding/code_page.h"

namespace {

const std::string Utf8Quality = "画质";      // UTF-8
const std::string GbkQuality = "\xBB\xAD\xD6\xCA";  // the same in GBK

TEST(TextBridge, ConvertsBothWaysAndPassesBytesWhenBothSidesAgree) {
    const TextBridge bridge(TCodePage::Utf8, TCodePage::Gbk);
    EXPECT_EQ(bridge.ToFile(Utf8Quality).text, GbkQuality);
    EXPECT_EQ(bridge.ToTerminal(GbkQuality).text, Utf8Quality);
    const TextBridge same(TCodePage::Gbk, TCodePage::Gbk);
    EXPECT_EQ(same.ToFile("\xFF\x80 odd").text, "\xFF\x80 odd");
    EXPECT_EQ(same.ToTerminal("\xFF\x80 odd").text, "\xFF\x80 odd");
}

TEST(TextBridge, RefusesWhatTheOtherSideCannotHoldAndSaysWhichCharacter) {
    const TextBridge bridge(TCodePage::Utf8, TCodePage::Gbk);
    const Converted korean = bridge.ToFile("a한b");
    EXPECT_EQ(korean.text, "");
    EXPECT_EQ(korean.refusal, "The file's encoding GBK cannot hold the character \"한\" (U+D55C)");
    EXPECT_EQ(bridge.ToFile("\xE7\x94").refusal, "It is not valid UTF-8 text, the terminal's encoding");
    EXPECT_EQ(bridge.ToTerminal("ok\xFF").refusal, "it holds bytes that are not valid GBK, the file's encoding");

    const TextBridge gbkTerminal(TCodePage::Gbk, TCodePage::Utf8);
    EXPECT_EQ(gbkTerminal.ToFile(GbkQuality).text, Utf8Quality);
    EXPECT_EQ(gbkTerminal.ToTerminal("😀").refusal, "the terminal's encoding GBK cannot show the character U+1F600");
}

TEST(TextBridge, ShownMarksWhatCannotBeShown) {
    EXPECT_EQ(TextBridge(TCodePage::Utf8, TCodePage::Gbk).Shown(GbkQuality + "\xFF"), Utf8Quality + "\xEF\xBF\xBD");
    EXPECT_EQ(TextBridge(TCodePage::Gbk, TCodePage::Utf8).Shown("😀" + Utf8Quality), "?" + GbkQuality);
}

}  // namespace
