#include <gtest/gtest.h>

#include <string>

#include "encoding/code_page.h"
#include "encoding/line_ends.h"

TEST(LineEnds, OneKindMixedOrNone) {
    EXPECT_EQ(DetectLineEnds("a\r\nb\r\n", TCodePage::Gbk), TLineEnds::CrLf);
    EXPECT_EQ(DetectLineEnds("a\nb", TCodePage::Utf8), TLineEnds::Lf);
    EXPECT_EQ(DetectLineEnds("a\rb\r", TCodePage::Windows1252), TLineEnds::Cr);
    EXPECT_EQ(DetectLineEnds("a\r\nb\n", TCodePage::Windows1252), TLineEnds::Mixed);
    EXPECT_EQ(DetectLineEnds("a\r\r\n", TCodePage::Windows1252), TLineEnds::Mixed) << "a lone CR before a CR LF";
    EXPECT_EQ(DetectLineEnds("a\r", TCodePage::Windows1252), TLineEnds::Cr) << "a CR at the very end";
    EXPECT_EQ(DetectLineEnds("[a]", TCodePage::Windows1252), TLineEnds::None);
    EXPECT_EQ(DetectLineEnds("", TCodePage::Windows1252), TLineEnds::None);
}

TEST(LineEnds, Utf16CountsTwoByteUnits) {
    const std::string le("\xFF\xFE" "a\0\r\0\n\0\x0A\x4E\r\0\n\0", 14);  // U+4E0A holds a 0A byte
    EXPECT_EQ(DetectLineEnds(le, TCodePage::Utf16Le), TLineEnds::CrLf);
    const std::string be("\xFE\xFF\0a\0\r\0\n\0b\0\n", 12);
    EXPECT_EQ(DetectLineEnds(be, TCodePage::Utf16Be), TLineEnds::Mixed);
}
