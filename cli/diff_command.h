#pragma once
// iniv diff: two INI files compared as their readers find them, each in its own encoding;
// what differs listed for people, or for scripts with --porcelain.
#include <iosfwd>

#include "cli/command_line.h"

// The exit status: 0 the same, 1 different, 3 a file cannot be read.
int RunDiff(const Invocation& call, std::ostream& out, std::ostream& err);
