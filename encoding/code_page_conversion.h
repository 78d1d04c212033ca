#pragma once
// Conversion between code pages and Unicode (iconv). Text inside the program is bytes in a
// file's code page; conversion happens only at the display boundary (controls, clipboard,
// file chooser) and for the program's own texts.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "encoding/code_page.h"

// The iconv name of a code page.
std::string CodePageCharset(TCodePage codePage);

// UTF-8 → codePage. Nullopt when the text holds a character the code page cannot hold (or is
// not valid UTF-8); nothing is ever replaced by "?".
std::optional<std::string> Utf8ToCodePage(std::string_view utf8, TCodePage codePage);
// codePage → UTF-8. Bytes that are not valid in the code page become U+FFFD each (in UTF-16,
// each two-byte unit that is not).
std::string CodePageToUtf8(std::string_view bytes, TCodePage codePage);
// codePage → UTF-8 when every byte belongs to a complete, defined character of codePage; else
// nullopt, found at the first byte that does not.
std::optional<std::string> ValidCodePageToUtf8(std::string_view bytes, TCodePage codePage);
// True when every byte belongs to a complete, defined character of codePage.
bool IsValidInCodePage(std::string_view bytes, TCodePage codePage);
// Bytes in `from` as the same characters in `to`, for a message that shows them beside texts
// of `to`: bytes not valid in `from`, and characters that `to` cannot hold, become U+FFFD, or
// "?" where `to` cannot hold that either. Never for text that is stored anywhere.
std::string ShownInCodePage(std::string_view bytes, TCodePage from, TCodePage to);

// Bytes taken by the UTF-8 character that starts at `at`: the lead byte and the continuation
// bytes after it.
std::size_t Utf8CharacterLength(std::string_view utf8, std::size_t at);

// Bytes given to conversion so far on this thread: lets a test show how much a step converts.
std::size_t ConvertedByteCount();

// The same two in the process's code page (AnsiCodePage).
std::optional<std::string> Utf8ToAnsi(std::string_view utf8);
std::string AnsiToUtf8(std::string_view ansi);

// One of the program's own texts, written in the sources as UTF-8.
std::string Ansi(std::string_view utf8);
