// Batch lines split into words as a shell splits them, and read into operations.
#include <gtest/gtest.h>

#include <sstream>

#include "cli/batch_input.h"
#include "encoding/code_page.h"

namespace {

using Words = std::vector<std::string>;

Words Split(std::string_view line, TCodePage codePage = TCodePage::Utf8) {
    LineWords split = SplitWords(line, codePage);
    EXPECT_EQ(split.error, "") << line;
    return split.words;
}

TEST(BatchWords, QuotesAndBackslashesAsAShellReadsThem) {
    EXPECT_EQ(Split("set  a\tb c"), (Words{"set", "a", "b", "c"}));
    EXPECT_EQ(Split("set a b 'x  y' \"p q\""), (Words{"set", "a", "b", "x  y", "p q"}));
    EXPECT_EQ(Split("'it''s' \"a \\\"b\\\" \\\\ \\n\""), (Words{"its", "a \"b\" \\ \\n"}));
    EXPECT_EQ(Split("a\\ b \\'c \\\\"), (Words{"a b", "'c", "\\"}));
    EXPECT_EQ(Split("pre'mid dle'post \"\" ''"), (Words{"premid dlepost", "", ""}));
    EXPECT_EQ(Split("'#not' a\\#comment"), (Words{"#not", "a#comment"}));
    EXPECT_EQ(Split("   "), Words{});
    EXPECT_EQ(SplitWords("set a 'open", TCodePage::Utf8).error, "a quote is left open");
    EXPECT_EQ(SplitWords("set a \"open", TCodePage::Utf8).error, "a quote is left open");
    EXPECT_EQ(SplitWords("set a b\\", TCodePage::Utf8).error, "a backslash ends the line");
}

// In GBK, 0x5C (a backslash) is also the trail byte of characters such as 0x95 0x5C.
TEST(BatchWords, ATrailByteThatLooksLikeABackslashStaysWithItsCharacter) {
    EXPECT_EQ(Split("set a \x95\x5c b", TCodePage::Gbk), (Words{"set", "a", "\x95\x5c", "b"}));
    EXPECT_EQ(Split("'\x95\x5c' \"\x95\x5c\"", TCodePage::Gbk), (Words{"\x95\x5c", "\x95\x5c"}));
    EXPECT_EQ(Split("set a \x95\x5c b", TCodePage::Utf8), (Words{"set", "a", "\x95 b"}));
}

BatchInput Read(const std::string& text) {
    std::istringstream in(text);
    return ReadBatch(in, TCodePage::Utf8);
}

TEST(BatchInput, OperationsWithTheirLineNumbers) {
    const BatchInput batch = Read("# a comment 'with an open quote\r\n\r\n  set a k 'v 1'\r\ndel a\n   \nrename a k k2");
    ASSERT_EQ(batch.error, "");
    ASSERT_EQ(batch.operations.size(), 3u);
    EXPECT_EQ(batch.operations[0].command, Command::Set);
    EXPECT_EQ(batch.operations[0].words, (Words{"a", "k", "v 1"})) << "the CR is no part of the line";
    EXPECT_EQ(batch.operations[0].line, 3u);
    EXPECT_EQ(batch.operations[1].command, Command::Remove);
    EXPECT_EQ(batch.operations[1].words, (Words{"a"}));
    EXPECT_EQ(batch.operations[2].command, Command::Rename);
    EXPECT_EQ(batch.operations[2].line, 6u);
}

TEST(BatchInput, TheFirstBadLineIsNamed) {
    EXPECT_EQ(Read("set a k v\nget a k\n").error, "line 2: 'get' is not set, del or rename");
    EXPECT_EQ(Read("set a k v\nbatch\n").error, "line 2: 'batch' is not set, del or rename");
    EXPECT_EQ(Read("set a k\n").error, "line 1: set takes SECTION KEY VALUE");
    EXPECT_EQ(Read("del a b c\n").error, "line 1: del takes SECTION [KEY]");
    EXPECT_EQ(Read("set a k v\nset a 'k v\n").error, "line 2: a quote is left open");
}

}  // namespace
