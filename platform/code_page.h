#pragma once
// Code pages and conversion between them and Unicode.
// Text inside the program is bytes in a file's code page; conversion happens only at the
// display boundary (controls, clipboard, file chooser) and for the program's own texts.
#include <optional>
#include <string>
#include <string_view>

// Code pages by their Windows numbers.
constexpr int CodePageUtf8 = 65001;
constexpr int CodePageUtf16Le = 1200;
constexpr int CodePageUtf16Be = 1201;
constexpr int CodePageGbk = 936;
// GBK with GB18030's four-byte characters: everything in Unicode has a form in it.
constexpr int CodePageGb18030 = 54936;

// The code page of the user's locale (LC_ALL, LC_CTYPE, LANG, first one set); the C/POSIX
// locale and an unset locale count as UTF-8. Read once, then cached.
int AnsiCodePage();
// Overrides the code page for the rest of the process (tests set 936 this way).
void SetAnsiCodePage(int codePage);
// The code page that a locale name such as "zh_CN.GBK" or "en_US.UTF-8" implies.
int CodePageOfLocaleName(std::string_view localeName);
// The Windows code page of a locale's language and territory, whatever its codeset: 936 for
// "zh_CN.UTF-8", 950 for "zh_TW", 1251 for "ru_RU", 1252 for a language it does not know;
// 0 for a locale without a language (C, POSIX, empty).
int CodePageOfLanguage(std::string_view localeName);
// The iconv name of a code page.
std::string CodePageCharset(int codePage);

// UTF-8 → codePage. Nullopt when the text holds a character the code page cannot hold (or is
// not valid UTF-8); nothing is ever replaced by "?".
std::optional<std::string> Utf8ToCodePage(std::string_view utf8, int codePage);
// codePage → UTF-8. Bytes that are not valid in the code page become U+FFFD each (in UTF-16,
// each two-byte unit that is not).
std::string CodePageToUtf8(std::string_view bytes, int codePage);
// True when every byte belongs to a complete, defined character of codePage.
bool IsValidInCodePage(std::string_view bytes, int codePage);

// The same two in the process's code page (AnsiCodePage).
std::optional<std::string> Utf8ToAnsi(std::string_view utf8);
std::string AnsiToUtf8(std::string_view ansi);

// One of the program's own texts, written in the sources as UTF-8.
std::string Ansi(std::string_view utf8);
