#pragma once
// The process's ANSI code page and conversion between it and Unicode.
// Text inside the program is bytes in this code page; conversion happens only at the
// display boundary (controls, clipboard, file chooser) and for the program's own texts.
#include <optional>
#include <string>
#include <string_view>

constexpr int CodePageUtf8 = 65001;

// The code page of the user's locale (LC_ALL, LC_CTYPE, LANG, first one set); the C/POSIX
// locale and an unset locale count as UTF-8. Read once, then cached.
int AnsiCodePage();
// Overrides the code page for the rest of the process (tests set 936 this way).
void SetAnsiCodePage(int codePage);
// The code page that a locale name such as "zh_CN.GBK" or "en_US.UTF-8" implies.
int CodePageOfLocaleName(std::string_view localeName);
// The iconv name of a code page.
std::string CodePageCharset(int codePage);

// UTF-8 → ANSI code page. Characters the code page cannot hold give nullopt.
std::optional<std::string> Utf8ToAnsi(std::string_view utf8);
// ANSI code page → UTF-8. Bytes that are not valid in the code page become U+FFFD each.
std::string AnsiToUtf8(std::string_view ansi);

// One of the program's own texts, written in the sources as UTF-8.
std::string Ansi(std::string_view utf8);
