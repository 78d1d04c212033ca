#pragma once
// The lines of a batch: one command a line, without FILE, split into words as a shell splits
// a command line: blanks (spaces, tabs)
// separate words; '...' keeps everything up to the next ' as it is; "..." too, except that
// \" and \\ stand for " and \; outside quotes a backslash keeps the next character as it is.
// Quoted and plain parts next to each other make one word; '' or "" is an empty word. In a
// double-byte code page a character is never split: a trail byte that looks like a quote or a
// backslash is part of its character.
#include <istream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/operation.h"
#include "encoding/code_page.h"

struct LineWords {
    std::vector<std::string> words;
    std::string error;  // why the line cannot be split; empty when it can
};

// The words of line, whose text is in codePage.
LineWords SplitWords(std::string_view line, TCodePage codePage);

struct BatchInput {
    std::vector<Operation> operations;
    std::string error;  // "line 3: ...": what is wrong with the first bad line; empty when none is
};

// The set, del and rename lines read from in, whose text is in codePage. Blank lines, and lines
// whose first character other than a blank is #, are skipped; a CR before a line's LF is no
// part of the line. A word that is not valid text of codePage is an error, unless `raw`.
BatchInput ReadBatch(std::istream& in, TCodePage codePage, bool raw = false);
