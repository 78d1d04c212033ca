#pragma once
// The rules by which a reader of an INI file takes names and values from its lines, for the
// callers that show, compare or store them as the file's readers do.
#include <optional>
#include <string>
#include <string_view>

#include "engine/lead_table.h"

// The text without the blanks around it, as the reader trims a name: a blank that is the trail
// byte of a double-byte character stays.
std::string_view TrimName(std::string_view text, const LeadTable& lead);

// The value a reader sees: one pair of matching quotes around it taken off.
std::string_view UnquotedValue(std::string_view raw);

// The text to store so that the value reads back unchanged; none when no text can.
std::optional<std::string> QuotedValue(std::string_view value);

// The same, for a value that takes the place of raw: inside raw's own quotes when it had them,
// since other programs may read the quoted text as one value and the bare text as less (a ";"
// in it starting a comment).
std::optional<std::string> QuotedLike(std::string_view raw, std::string_view value);

// Line breaks and NUL bytes cannot be part of any line.
bool FitsOnOneLine(std::string_view text);
