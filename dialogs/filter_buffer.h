#pragma once
// The chooser's filter buffer, and the double-byte-aware separator scan that it shares with
// the collection of chosen file names.
#include <cstddef>
#include <string>

// The 0-based position of the first separator byte at or after from that is not the second
// byte of a double-byte character; npos when there is none.
std::size_t FindSeparator(const std::string& text, char separator, std::size_t from);

// "description|patterns|..." as zero-separated items ending in two zero bytes; an empty
// filter gives an empty buffer (no filter entries).
std::string BuildFilterBuffer(const std::string& filter);
