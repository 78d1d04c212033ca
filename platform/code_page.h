#pragma once
// Code pages: which one the process uses for its text, which one a locale name implies, and
// which bytes begin a double-byte character in one. Pure C++: the INI engine and the text
// layer use it without the conversion services.
#include <cstddef>
#include <span>
#include <string_view>

constexpr int CodePageUtf8 = 65001;

// The code page of the user's locale (LC_ALL, LC_CTYPE, LANG, first one set); the C/POSIX
// locale and an unset locale count as UTF-8. Read once, then cached.
int AnsiCodePage();
// Overrides the code page for the rest of the process (tests set 936 this way).
void SetAnsiCodePage(int codePage);
// The code page that a locale name such as "zh_CN.GBK" or "en_US.UTF-8" implies.
int CodePageOfLocaleName(std::string_view localeName);

struct TByteRange {
    unsigned char first;
    unsigned char last;
};
// The ranges of bytes that begin a two-byte character in a code page; none for a
// single-byte code page.
std::span<const TByteRange> LeadByteRanges(int codePage);
bool IsLeadByte(int codePage, unsigned char byte);
// Bytes taken by the character that starts at `at` in a text of that code page: a lead byte
// takes the next byte with it, whatever that byte is, unless it is the last byte of the text.
std::size_t CharacterLength(std::string_view text, std::size_t at, int codePage);
