#pragma once
// What the command line of iniv asks for: the command, its file and the words after it, and
// the options, which go before FILE.
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "encoding/code_page.h"

enum class Command { Get, Set, Remove, Rename, Sections, Keys, Batch, Diff };

// The command a word names: get, set, del, rename, sections, keys, batch, diff.
std::optional<Command> CommandNamed(std::string_view word);
// What is wrong with giving a command `count` words after FILE (or, in a batch, after the
// command): "set takes SECTION KEY VALUE"; empty when the count suits it.
std::string WordCountProblem(Command command, std::size_t count);
// Whether the command changes the file.
bool Writes(Command command);

struct Invocation {
    Command command;
    std::string file;
    std::vector<std::string> words;  // after FILE
    std::optional<TCodePage> codePage;       // the encoding forced by --encoding; nothing for auto
    std::optional<TCodePage> rightCodePage;  // diff: the second file's, by --right-encoding
    bool porcelain = false;                  // diff: one line of fields a difference, for scripts
    bool nullSeparated = false;
    bool dryRun = false;
    bool raw = false;  // names and values are the file's bytes as they are, not the terminal's text
};

struct HelpRequest {
    bool version = false;  // --version rather than --help
};

struct UsageError {
    std::string message;
};

using CommandLine = std::variant<Invocation, HelpRequest, UsageError>;

// The arguments after the program's name.
CommandLine ParseCommandLine(std::span<const std::string> args);
