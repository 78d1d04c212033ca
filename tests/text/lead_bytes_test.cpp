#include <gtest/gtest.h>

#include <optional>

#include "support/locale_guard.h"
#include "text/file_names.h"
#include "text/lead_bytes.h"

namespace {

class LeadBytes : public testing::Test {
protected:
    void Use(const char* localeName, TCodePage codePage) {
        locale_.reset();
        locale_.emplace(localeName, codePage);
    }

private:
    std::optional<ScopedLocale> locale_;
};

TByteSet Bytes(int first, int last) {
    TByteSet set;
    for (int b = first; b <= last; ++b) set.set(b);
    return set;
}

}  // namespace

TEST_F(LeadBytes, SetFollowsLanguageAndCodePage) {
    Use("zh_CN.GBK", TCodePage::Gbk);
    EXPECT_TRUE(DoubleByteLocale());
    EXPECT_EQ(LeadByteSet(), Bytes(0x81, 0xFE));
    Use("ja_JP", TCodePage::ShiftJis);
    EXPECT_EQ(LeadByteSet(), Bytes(0x81, 0x9F) | Bytes(0xE0, 0xFC));
    for (const char* western : {"de_DE", "C"}) {
        Use(western, TCodePage::Gbk);
        EXPECT_FALSE(DoubleByteLocale()) << western;
        EXPECT_TRUE(LeadByteSet().none()) << western;
    }
    Use("zh_CN.UTF-8", TCodePage::Utf8);
    EXPECT_FALSE(DoubleByteLocale());
}

TEST_F(LeadBytes, ByteKindCountsTheLeadBytesBefore) {
    const std::string text = "a\xC4\xE3\x81\x81\\";
    Use("zh_CN", TCodePage::Gbk);
    const TByteKind kinds[] = {ByteKindSingle, ByteKindLead,  ByteKindTrail,
                               ByteKindLead,   ByteKindTrail, ByteKindSingle};
    for (int i = 1; i <= 6; ++i) EXPECT_EQ(ByteKind(text, i), kinds[i - 1]) << i;
}

TEST_F(LeadBytes, TrailBackslashIsNoSeparator) {
    const std::string path = "dir\\sub\\\xD5\\";  // ends in a character whose trail byte is 0x5C
    Use("zh_CN.GBK", TCodePage::Gbk);
    EXPECT_EQ(FindLastSeparator("\\", path), 8);
    EXPECT_EQ(FindLastSeparator("\\", "\xD5\\\xD5\\"), 0);
    Use("en_US.UTF-8", TCodePage::Windows1252);
    EXPECT_EQ(FindLastSeparator("\\", path), 10);
}
