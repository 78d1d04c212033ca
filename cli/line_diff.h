#pragma once
// What an edit changed in a file, as the hunks of a unified diff: the changed lines with a few
// unchanged ones around them. Lines end with LF (a CR before it is part of the line's text).
#include <cstddef>
#include <string_view>
#include <vector>

#include "engine/edit_record.h"

struct DiffLine {
    char mark;              // ' ' unchanged, '-' removed, '+' added
    std::string_view text;  // without its LF
    bool ended;             // false for a last line without LF
};

struct DiffHunk {
    std::size_t oldFirst, oldCount;  // line numbers from 1; a hunk that removes nothing has
    std::size_t newFirst, newCount;  // oldCount 0 and oldFirst the line it adds after
    std::vector<DiffLine> lines;
};

// The hunks that take `before` to `after`, where `change` is the record of the edit between
// them, with up to `context` unchanged lines around each change; changes closer than twice
// that share a hunk. The lines point into before and after.
std::vector<DiffHunk> LineDiff(std::string_view before, std::string_view after, const EditRecord& change,
                               std::size_t context = 3);
