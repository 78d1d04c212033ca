#pragma once
// Code pages: which one the process uses for its text, which one a locale name implies, and
// which bytes begin a double-byte character in one. Pure C++: the INI engine and the text
// layer use it without the conversion services.
#include <bitset>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

// A code page, by its Windows number. A type of its own so that a code page and any other
// number cannot be mixed up; a number from outside (a remembered setting, a command line)
// becomes one through CodePageOfNumber alone.
enum class TCodePage : std::uint32_t {
    None = 0,  // not known or not chosen
    Thai = 874,
    ShiftJis = 932,
    Gbk = 936,
    Korean = 949,
    Big5 = 950,
    Utf16Le = 1200,
    Utf16Be = 1201,
    Windows1250 = 1250,
    Windows1251 = 1251,
    Windows1252 = 1252,
    Windows1253 = 1253,
    Windows1254 = 1254,
    Windows1255 = 1255,
    Windows1256 = 1256,
    Windows1257 = 1257,
    Windows1258 = 1258,
    // GBK with GB18030's four-byte characters: everything in Unicode has a form in it.
    Gb18030 = 54936,
    Utf8 = 65001,
};

constexpr TCodePage CodePageOfNumber(std::uint32_t number) { return static_cast<TCodePage>(number); }
constexpr std::uint32_t CodePageNumber(TCodePage codePage) { return static_cast<std::uint32_t>(codePage); }

// UTF-16 in either byte order: two-byte units, which the 8-bit services do not read.
constexpr bool IsUtf16(TCodePage codePage) { return codePage == TCodePage::Utf16Le || codePage == TCodePage::Utf16Be; }

// The code page of the user's locale (LC_ALL, LC_CTYPE, LANG, first one set); the C/POSIX
// locale and an unset locale count as UTF-8. Read once, then cached.
TCodePage AnsiCodePage();
// Overrides the code page for the rest of the process (tests set 936 this way).
void SetAnsiCodePage(TCodePage codePage);
// The user's locale name: the first one set of LC_ALL, LC_CTYPE and LANG, read anew on each
// call; empty when none is set.
std::string UserLocaleName();
// The code page that a locale name such as "zh_CN.GBK" or "en_US.UTF-8" implies.
TCodePage CodePageOfLocaleName(std::string_view localeName);
// The Windows code page of a locale's language and territory, whatever its codeset: 936 for
// "zh_CN.UTF-8", 950 for "zh_TW", 1251 for "ru_RU", 1252 for a language it does not know;
// None for a locale without a language (C, POSIX, empty).
TCodePage CodePageOfLanguage(std::string_view localeName);

// The case of the ASCII letters alone: no other byte of any code page changes, so a trail
// byte that looks like a letter must be passed over by the caller.
constexpr char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c; }
constexpr char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - ('a' - 'A')) : c; }

struct TByteRange {
    unsigned char first;
    unsigned char last;
};
// The ranges of bytes that begin a two-byte character in a code page; none for a
// single-byte code page. GB18030's four-byte characters read as two such pairs.
std::span<const TByteRange> LeadByteRanges(TCodePage codePage);
// The same as a set of bytes, for a look-up per byte.
std::bitset<256> LeadByteBits(TCodePage codePage);
bool IsLeadByte(TCodePage codePage, unsigned char byte);
// Bytes taken by the character that starts at `at` in a text of that code page: a lead byte
// takes the next byte with it, whatever that byte is, unless it is the last byte of the text.
std::size_t CharacterLength(std::string_view text, std::size_t at, TCodePage codePage);
// The same rule for a character whose first byte the caller already classified.
constexpr std::size_t CharacterLength(std::string_view text, std::size_t at, bool startsWithLeadByte) {
    return startsWithLeadByte && at + 1 < text.size() ? 2 : 1;
}
// Whether the byte at `at` is the trail byte of a double-byte character, reading from begin:
// it is when an odd run of lead bytes comes right before it, since such runs pair up from
// their start.
template <typename IsLead>
bool IsTrailByteAt(std::string_view text, std::size_t at, std::size_t begin, IsLead isLead) {
    std::size_t leads = 0;
    while (at - leads > begin && isLead(static_cast<unsigned char>(text[at - leads - 1]))) ++leads;
    return leads % 2 == 1;
}
