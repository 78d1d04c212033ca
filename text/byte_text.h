#pragma once
// Substring, search, comparison and case folding on byte texts. Positions are 1-based and
// counted in bytes; double-byte characters are not respected.
#include <string>

#include "encoding/code_page.h"

// Adds 0x20 to each byte from 'A' to 'Z'; every other byte, whatever the locale, stays.
std::string AsciiLower(const std::string& text);
// count bytes from start; a start below 1 counts as 1, and a range past the end is clamped.
std::string TextSlice(const std::string& text, int start, int count);
// Position of the first occurrence of needle in text; 0 when absent or either is empty.
int TextFind(const std::string& needle, const std::string& text);
// Negative, zero or positive as a sorts before, equal to or after b, by unsigned bytes.
int TextCompare(const std::string& a, const std::string& b);

// The same two for a text in codePage, whose double-byte characters they respect: a trail
// byte is never folded, and a match never starts on one.
std::string AsciiLower(const std::string& text, TCodePage codePage);
int TextFind(const std::string& needle, const std::string& text, TCodePage codePage);
