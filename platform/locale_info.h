#pragma once
// The user's locale as a locale id, and the lead bytes of double-byte code pages.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// A locale id: the primary language in bits 0-9, the sub-language above. Only the primary
// language is derived here; the sub-language is always the default one (1).
using TLocaleId = std::uint32_t;

// The user's locale name: the first one set of LC_ALL, LC_CTYPE and LANG, read anew on each
// call; empty when none is set.
std::string UserLocaleName();

// The locale id of a locale name such as "zh_CN.GBK"; 0 when its language is not known.
TLocaleId LocaleIdOfName(std::string_view localeName);
// The calling thread's locale: that of the user's locale name.
TLocaleId ThreadLocaleId();
constexpr int PrimaryLanguageOf(TLocaleId id) { return static_cast<int>(id & 0x3FF); }

struct TByteRange {
    unsigned char first;
    unsigned char last;
};
// The ranges of bytes that begin a two-byte character in a code page; none for a
// single-byte code page. GB18030's four-byte characters read as two such pairs.
std::vector<TByteRange> LeadByteRanges(int codePage);
