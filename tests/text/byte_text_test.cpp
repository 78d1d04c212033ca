#include <gtest/gtest.h>

#include "encoding/code_page.h"
#include "text/byte_text.h"

TEST(ByteText, SliceClampsToTheText) {
    EXPECT_EQ(TextSlice("", 1, 1), "");
    EXPECT_EQ(TextSlice("[sec]", 2, 3), "sec");
    EXPECT_EQ(TextSlice("[sec]", 2, -2), "");
    EXPECT_EQ(TextSlice("[sec]", 0, 2), "[s") << "a start below 1 counts as 1, the count stays";
    EXPECT_EQ(TextSlice("[sec]", 5, 2147483647), "]");
    EXPECT_EQ(TextSlice("[sec]", 6, 1), "");
}

TEST(ByteText, FindAndCompareByExactBytes) {
    EXPECT_EQ(TextFind("]", "[s]x]"), 3);
    EXPECT_EQ(TextFind("]", "[sec"), 0);
    EXPECT_EQ(TextFind("abcd", "abc"), 0);
    EXPECT_LT(TextCompare("", "a"), 0);
    EXPECT_NE(TextCompare("Key", "key"), 0);
    EXPECT_LT(TextCompare("key", "key "), 0);
    EXPECT_GT(TextCompare("\xB0", "z"), 0) << "bytes compare unsigned";
}

TEST(ByteText, AsciiLowerChangesOnlyCapitals) {
    EXPECT_EQ(AsciiLower("AZaz@[`{09\xC4\xD6\xB0\x41"), "azaz@[`{09\xC4\xD6\xB0\x61");
}

// 揮 is 93 5D in GBK and 並 is 81 4B: their trail bytes are "]" and "K".
TEST(ByteText, InACodePageTrailBytesNeitherMatchNorFold) {
    EXPECT_EQ(TextFind("]", "[\x93\x5D]x", TCodePage::Gbk), 4);
    EXPECT_EQ(TextFind("]", "[\x93\x5D]x"), 3) << "the plain search takes the trail byte";
    EXPECT_EQ(TextFind("]", "[\x93\x5D", TCodePage::Gbk), 0);
    EXPECT_EQ(TextFind("]", "[\x93\x5D]", TCodePage::Utf8), 3) << "no lead bytes in UTF-8";
    EXPECT_EQ(TextFind("]", "[\x93", TCodePage::Gbk), 0) << "a lead byte at the end stands alone";
    EXPECT_EQ(AsciiLower("NEW\x81\x4BK", TCodePage::Gbk), "new\x81\x4Bk");
    EXPECT_EQ(AsciiLower("\x81\x4B", TCodePage::Windows1252), "\x81\x6B") << "a single-byte code page has no trail bytes";
}
