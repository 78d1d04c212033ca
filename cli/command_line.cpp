#include "cli/command_line.h"

#include "encoding/encodings.h"

namespace {

struct CommandForm {
    std::string_view name;
    Command command;
    std::size_t fewest;
    std::size_t most;
    std::string_view words;
};

constexpr CommandForm Forms[] = {
    {"get", Command::Get, 2, 2, "SECTION KEY"},
    {"set", Command::Set, 3, 3, "SECTION KEY VALUE"},
    {"del", Command::Remove, 1, 2, "SECTION [KEY]"},
    {"rename", Command::Rename, 2, 3, "SECTION [KEY] NEWNAME"},
    {"sections", Command::Sections, 0, 0, "no words after FILE"},
    {"keys", Command::Keys, 1, 1, "SECTION"},
    {"batch", Command::Batch, 0, 0, "no words after FILE: it reads its lines from standard input"},
    {"diff", Command::Diff, 1, 1, "two files"},
};

const CommandForm& FormOf(Command command) {
    for (const CommandForm& form : Forms)
        if (form.command == command) return form;
    return Forms[0];
}

// Parses the options before FILE into the invocation; an error message, or empty.
class OptionReader {
public:
    OptionReader(std::span<const std::string> args, Invocation& call) : args_(args), call_(call) {}

    // Whether args[at] is an option (taking its value too, when it has one); false for a
    // positional word. Sets error() for a bad option.
    bool Take(std::size_t& at) {
        const std::string& arg = args_[at];
        if (arg.size() < 2 || arg[0] != '-') return false;
        if (arg == "-h" || arg == "--help" || arg == "--version") {
            help_ = HelpRequest{arg == "--version"};
        } else if (arg == "-0" || arg == "--null") {
            call_.nullSeparated = true;
        } else if (arg == "-n" || arg == "--dry-run") {
            call_.dryRun = true;
        } else if (arg == "--raw") {
            call_.raw = true;
        } else if (arg == "--porcelain") {
            call_.porcelain = true;
        } else if (arg == "-e" || arg == "--encoding" || arg == "--right-encoding") {
            if (at + 1 == args_.size()) return Fail(arg + " needs an encoding name");
            Encoding(args_[++at], arg == "--right-encoding" ? call_.rightCodePage : call_.codePage);
        } else if (arg.starts_with("--encoding=")) {
            Encoding(arg.substr(11), call_.codePage);
        } else if (arg.starts_with("--right-encoding=")) {
            Encoding(arg.substr(17), call_.rightCodePage);
        } else if (arg.starts_with("-e")) {
            Encoding(arg.substr(2), call_.codePage);
        } else {
            return Fail("unknown option '" + arg + "'");
        }
        return true;
    }

    const std::string& Error() const { return error_; }
    const std::optional<HelpRequest>& Help() const { return help_; }

private:
    void Encoding(const std::string& name, std::optional<TCodePage>& chosen) {
        if (name == "auto") {
            chosen.reset();
        } else if (const std::optional<TCodePage> codePage = FindEncodingByName(name)) {
            chosen = codePage;
        } else {
            Fail("unknown encoding '" + name + "' (iniv --help lists them)");
        }
    }

    bool Fail(std::string message) {
        if (error_.empty()) error_ = std::move(message);
        return true;
    }

    std::span<const std::string> args_;
    Invocation& call_;
    std::string error_;
    std::optional<HelpRequest> help_;
};

}  // namespace

std::optional<Command> CommandNamed(std::string_view word) {
    for (const CommandForm& form : Forms)
        if (form.name == word) return form.command;
    return std::nullopt;
}

std::string WordCountProblem(Command command, std::size_t count) {
    const CommandForm& form = FormOf(command);
    if (count >= form.fewest && count <= form.most) return {};
    return std::string(form.name) + " takes " + std::string(form.words);
}

bool Writes(Command command) {
    return command == Command::Set || command == Command::Remove || command == Command::Rename ||
           command == Command::Batch;
}

CommandLine ParseCommandLine(std::span<const std::string> args) {
    Invocation call{Command::Get, {}, {}, {}, {}, false, false, false, false};
    OptionReader options(args, call);
    std::optional<Command> command;
    std::optional<std::string> file;
    bool optionsEnded = false;
    for (std::size_t at = 0; at < args.size(); ++at) {
        const std::string& arg = args[at];
        if (!file && !optionsEnded && arg == "--") {
            optionsEnded = true;
        } else if (!file && !optionsEnded && options.Take(at)) {
            if (options.Help()) return *options.Help();
            if (!options.Error().empty()) return UsageError{options.Error()};
        } else if (!command) {
            command = CommandNamed(arg);
            if (!command) return UsageError{"unknown command '" + arg + "'"};
        } else if (!file) {
            file = arg;
        } else {
            call.words.push_back(arg);
        }
    }
    if (!command) return UsageError{"no command given"};
    if (!file) return UsageError{std::string(FormOf(*command).name) + " needs a FILE"};
    call.command = *command;
    call.file = *file;
    if (std::string problem = WordCountProblem(call.command, call.words.size()); !problem.empty())
        return UsageError{problem};
    if (call.nullSeparated && (Writes(call.command) || call.command == Command::Diff))
        return UsageError{"--null is for what get, sections and keys print"};
    if ((call.porcelain || call.rightCodePage) && call.command != Command::Diff)
        return UsageError{"--porcelain and --right-encoding are for diff"};
    if (call.dryRun && !Writes(call.command)) return UsageError{"--dry-run is for set, del, rename and batch"};
    return call;
}
