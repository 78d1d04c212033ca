#include <gtest/gtest.h>

#include <algorithm>

#include "encoding/code_page.h"
#include "encoding/code_page_conversion.h"
#include "encoding/encodings.h"

TEST(Encodings, EveryCharsetIsKnownToTheConverter) {
    for (const TEncoding& encoding : Encodings()) {
        SCOPED_TRACE(encoding.displayName);
        const std::string a = encoding.codePage == CodePageUtf16Le   ? std::string("A\0", 2)
                              : encoding.codePage == CodePageUtf16Be ? std::string("\0A", 2)
                                                                     : "A";
        EXPECT_EQ(CodePageToUtf8(a, encoding.codePage), "A");
        EXPECT_EQ(CodePageCharset(encoding.codePage), encoding.charset);
    }
}

TEST(Encodings, ChooserOffersTheLegacyCodePagesUtf8AndBothUtf16Orders) {
    std::vector<int> choosable;
    for (const TEncoding& encoding : Encodings())
        if (encoding.choosable) choosable.push_back(encoding.codePage);
    for (int codePage : {CodePageUtf8, CodePageGbk, CodePageGb18030, 950, 932, 949, 1250, 1252, 1258,
                         CodePageUtf16Le, CodePageUtf16Be})
        EXPECT_NE(std::find(choosable.begin(), choosable.end(), codePage), choosable.end()) << codePage;
    EXPECT_EQ(std::find(choosable.begin(), choosable.end(), 874), choosable.end());
    // Listed before the ones that are only ever detected.
    auto firstHidden = std::find_if(Encodings().begin(), Encodings().end(),
                                    [](const TEncoding& e) { return !e.choosable; });
    EXPECT_TRUE(std::all_of(firstHidden, Encodings().end(), [](const TEncoding& e) { return !e.choosable; }));
}

TEST(Encodings, DisplayNames) {
    EXPECT_EQ(EncodingDisplayName(CodePageGbk, 0), "GBK");
    EXPECT_EQ(EncodingDisplayName(CodePageUtf8, 0), "UTF-8");
    EXPECT_EQ(EncodingDisplayName(CodePageUtf8, 3), "UTF-8 (BOM)");
    EXPECT_EQ(EncodingDisplayName(CodePageUtf16Le, 2), "UTF-16LE");
    EXPECT_EQ(EncodingDisplayName(1361, 0), "CP1361");
    EXPECT_EQ(FindEncoding(1361), nullptr);
}

TEST(Encodings, NamesAUserTypes) {
    EXPECT_EQ(FindEncodingByName("gbk"), CodePageGbk);
    EXPECT_EQ(FindEncodingByName("UTF8"), CodePageUtf8);
    EXPECT_EQ(FindEncodingByName("utf-8"), CodePageUtf8);
    EXPECT_EQ(FindEncodingByName("shift_jis"), 932);
    EXPECT_EQ(FindEncodingByName("CP932"), 932);
    EXPECT_EQ(FindEncodingByName("big5"), 950);
    EXPECT_EQ(FindEncodingByName("Windows-1252"), 1252);
    EXPECT_EQ(FindEncodingByName("utf-16le"), CodePageUtf16Le);
    EXPECT_EQ(FindEncodingByName("936"), CodePageGbk);
    for (const char* unknown : {"", "cp", "latin", "1361", "cp1361", "936x", "auto"})
        EXPECT_EQ(FindEncodingByName(unknown), std::nullopt) << unknown;
}
