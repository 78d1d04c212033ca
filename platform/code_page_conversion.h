#pragma once
// Conversion between the process's ANSI code page and Unicode (iconv). Text inside the
// program is bytes in that code page; conversion happens only at the display boundary
// (controls, clipboard, file chooser) and for the program's own texts.
#include <optional>
#include <string>
#include <string_view>

// The iconv name of a code page.
std::string CodePageCharset(int codePage);

// UTF-8 → ANSI code page. Characters the code page cannot hold give nullopt.
std::optional<std::string> Utf8ToAnsi(std::string_view utf8);
// ANSI code page → UTF-8. Bytes that are not valid in the code page become U+FFFD each.
std::string AnsiToUtf8(std::string_view ansi);

// One of the program's own texts, written in the sources as UTF-8.
std::string Ansi(std::string_view utf8);
