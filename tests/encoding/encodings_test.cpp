#include <gtest/gtest.h>

#include <algorithm>

#include "encoding/code_page.h"
#include "encoding/code_page_conversion.h"
#include "encoding/encodings.h"

TEST(Encodings, EveryCharsetIsKnownToTheConverter) {
    for (const TEncoding& encoding : Encodings()) {
        SCOPED_TRACE(encoding.displayName);
        const std::string a = encoding.codePage == TCodePage::Utf16Le   ? std::string("A\0", 2)
                              : encoding.codePage == TCodePage::Utf16Be ? std::string("\0A", 2)
                                                                     : "A";
        EXPECT_EQ(CodePageToUtf8(a, encoding.codePage), "A");
        EXPECT_EQ(CodePageCharset(encoding.codePage), encoding.charset);
    }
}

TEST(Encodings, ChooserOffersTheLegacyCodePagesUtf8AndBothUtf16Orders) {
    std::vector<TCodePage> choosable;
    for (const TEncoding& encoding : Encodings())
        if (encoding.choosable) choosable.push_back(encoding.codePage);
    using enum TCodePage;
    for (TCodePage codePage : {Utf8, Gbk, Gb18030, Big5, ShiftJis, Korean, Windows1250, Windows1252, Windows1258,
                               Utf16Le, Utf16Be})
        EXPECT_NE(std::find(choosable.begin(), choosable.end(), codePage), choosable.end()) << CodePageNumber(codePage);
    EXPECT_EQ(std::find(choosable.begin(), choosable.end(), Thai), choosable.end());
    // Listed before the ones that are only ever detected.
    auto firstHidden = std::find_if(Encodings().begin(), Encodings().end(),
                                    [](const TEncoding& e) { return !e.choosable; });
    EXPECT_TRUE(std::all_of(firstHidden, Encodings().end(), [](const TEncoding& e) { return !e.choosable; }));
}

TEST(Encodings, DisplayNames) {
    EXPECT_EQ(EncodingDisplayName(TCodePage::Gbk, 0), "GBK");
    EXPECT_EQ(EncodingDisplayName(TCodePage::Utf8, 0), "UTF-8");
    EXPECT_EQ(EncodingDisplayName(TCodePage::Utf8, 3), "UTF-8 (BOM)");
    EXPECT_EQ(EncodingDisplayName(TCodePage::Utf16Le, 2), "UTF-16LE");
    EXPECT_EQ(EncodingDisplayName(CodePageOfNumber(1361), 0), "CP1361");
    EXPECT_EQ(FindEncoding(CodePageOfNumber(1361)), nullptr);
}

TEST(Encodings, NamesAUserTypes) {
    EXPECT_EQ(FindEncodingByName("gbk"), TCodePage::Gbk);
    EXPECT_EQ(FindEncodingByName("UTF8"), TCodePage::Utf8);
    EXPECT_EQ(FindEncodingByName("utf-8"), TCodePage::Utf8);
    EXPECT_EQ(FindEncodingByName("shift_jis"), TCodePage::ShiftJis);
    EXPECT_EQ(FindEncodingByName("CP932"), TCodePage::ShiftJis);
    EXPECT_EQ(FindEncodingByName("big5"), TCodePage::Big5);
    EXPECT_EQ(FindEncodingByName("Windows-1252"), TCodePage::Windows1252);
    EXPECT_EQ(FindEncodingByName("utf-16le"), TCodePage::Utf16Le);
    EXPECT_EQ(FindEncodingByName("936"), TCodePage::Gbk);
    for (const char* unknown : {"", "cp", "latin", "1361", "cp1361", "936x", "auto"})
        EXPECT_EQ(FindEncodingByName(unknown), std::nullopt) << unknown;
}
