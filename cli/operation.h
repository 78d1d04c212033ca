#pragma once
// A change that set, del or rename asks for, as an edit of the document, and what its names
// stand for in the document. The words are in the file's code page, after the command.
#include <string>
#include <string_view>
#include <vector>

#include "cli/command_line.h"
#include "engine/edit_sequence.h"

struct Operation {
    Command command;                 // Set, Remove or Rename
    std::vector<std::string> words;  // set: SECTION KEY VALUE; del: SECTION [KEY]; rename: SECTION [KEY] NEWNAME
    std::size_t line = 0;            // of the batch; 0 for the command line
};

// The edit, by name as a reader finds names: the first section of the name, and in it the
// first key, answer. set adds the key or the section when it is missing; del removes every
// line of the key in that section, or every section of the name; rename changes the name of
// that one section or key line, and is refused as stale when there is none.
DocumentEdit EditOf(const Operation& operation);

// Whether what del or rename names is in the document (set always has a target).
bool TargetPresent(const IniDocument& document, const Operation& operation);
