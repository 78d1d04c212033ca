#include <gtest/gtest.h>

#include <string>

#include "encoding/code_page.h"
#include "encoding/line_ends.h"

TEST(LineEnds, OneKindMixedOrNone) {
    EXPECT_EQ(DetectLineEnds("a\r\nb\r\n", CodePageGbk), TLineEnds::CrLf);
    EXPECT_EQ(DetectLineEnds("a\nb", CodePageUtf8), TLineEnds::Lf);
    EXPECT_EQ(DetectLineEnds("a\rb\r", 1252), TLineEnds::Cr);
    EXPECT_EQ(DetectLineEnds("a\r\nb\n", 1252), TLineEnds::Mixed);
    EXPECT_EQ(DetectLineEnds("a\r\r\n", 1252), TLineEnds::Mixed) << "a lone CR before a CR LF";
    EXPECT_EQ(DetectLineEnds("a\r", 1252), TLineEnds::Cr) << "a CR at the very end";
    EXPECT_EQ(DetectLineEnds("[a]", 1252), TLineEnds::None);
    EXPECT_EQ(DetectLineEnds("", 1252), TLineEnds::None);
}

TEST(LineEnds, Utf16CountsTwoByteUnits) {
    const std::string le("\xFF\xFE" "a\0\r\0\n\0\x0A\x4E\r\0\n\0", 14);  // U+4E0A holds a 0A byte
    EXPECT_EQ(DetectLineEnds(le, CodePageUtf16Le), TLineEnds::CrLf);
    const std::string be("\xFE\xFF\0a\0\r\0\n\0b\0\n", 12);
    EXPECT_EQ(DetectLineEnds(be, CodePageUtf16Be), TLineEnds::Mixed);
}
