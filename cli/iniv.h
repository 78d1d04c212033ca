#pragma once
// The iniv command: reads and changes INI files through the INI engine, each file in
// its own encoding, names and values in the terminal's.
#include <iosfwd>
#include <span>
#include <string>

enum ExitStatus {
    ExitDone = 0,      // done; found
    ExitNotFound = 1,  // the file, section or key is not there; the files diff compares differ
    ExitUsage = 2,     // a wrong command line or batch line
    ExitFailed = 3,    // refused or failed, or a file diff compares cannot be read; why is on standard error
};

// Runs the command the arguments (after the program's name) give; batch lines come from in,
// what is printed goes to out, and why something failed to err. The exit status.
int RunIniv(std::span<const std::string> args, std::istream& in, std::ostream& out, std::ostream& err);
