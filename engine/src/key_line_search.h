#pragma once
// Finds the lines of one key name in key lines no table holds yet, looking only where the
// name's first and last bytes stand: an edit of one key of a huge section just read does not
// walk its lines one by one.
#include <cstddef>
#include <string_view>
#include <vector>

#include "engine/lead_table.h"
#include "line_cursor.h"

// The key lines of `name` (trimmed, as a lookup asks for it) from `from`, which begins a line,
// up to the first header line or the end of the text, in file order; at most `most` of them.
std::vector<LineCursor::Line> KeyLinesOf(std::string_view text, std::size_t from, std::string_view name,
                                         const LeadTable& lead, std::size_t most);
