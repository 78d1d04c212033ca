#include "cli/iniv.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <istream>
#include <optional>
#include <ostream>
#include <variant>
#include <vector>

#include "cli/batch_input.h"
#include "cli/command_line.h"
#include "cli/diff_command.h"
#include "cli/help.h"
#include "cli/line_diff.h"
#include "cli/operation.h"
#include "cli/text_bridge.h"
#include "document/document.h"
#include "encoding/code_page.h"
#include "encoding/encodings.h"
#include "engine/ini_store.h"

namespace {

std::string ReasonOf(int error) { return IniFailureText(FailureOfSystemError(error), error); }

// Why iniv does not write a file whose bytes must not be written, as the viewer decides it.
std::string RefusalText(TContentRefusal refusal, const TFileEncoding& encoding) {
    switch (refusal) {
        case TContentRefusal::OtherEncoding:
            return "Its bytes are not valid " + EncodingDisplayName(encoding.codePage, 0) +
                   ", the encoding given: a write would mix two encodings in one file";
        case TContentRefusal::Binary:
            return "It holds a NUL byte in its first 64 KiB: it is no text file, and iniv does not write it";
        case TContentRefusal::None: break;
    }
    return {};
}

// The file as this run reads it.
struct OpenFile {
    const IniDocument* document = nullptr;  // the engine's
    std::optional<TDocument> opened;
    TCodePage codePage = TCodePage::None;        // of the document's bytes
    TCodePage engineCodePage = TCodePage::None;  // the file is read in: a UTF-16 file's own
    std::string readOnly;                  // why it must not be written; empty when it may
    bool exists = false;
};

class Run {
public:
    Run(const Invocation& call, std::istream& in, std::ostream& out, std::ostream& err)
        : call_(call), in_(in), out_(out), err_(err), terminal_(AnsiCodePage()) {}

    int Go() { return Writes(call_.command) ? Write() : Read(); }

private:
    int Read();
    int Write();
    std::optional<int> Open(OpenFile& file, bool reading);
    int Preview(const OpenFile& file, std::span<const DocumentEdit> edits, const Operation* const& refused);
    void PrintDiff(std::string_view before, std::string_view after, const EditRecord& change, const TextBridge& bridge);
    int Print(const std::vector<std::string_view>& texts, const TextBridge& bridge);

    int Failure(IniFailure failure, int systemError, const Operation* at);
    int Refused(const std::string& reason, std::size_t line);
    int CannotRead(const std::string& reason);
    int Missing(const std::string& section, const std::string* key, std::size_t line, const std::string& why = {});
    int Missing(const Operation& typed);
    std::string Where(std::size_t line) const { return line == 0 ? "iniv: " : "iniv: line " + std::to_string(line) + ": "; }

    const Invocation& call_;
    std::istream& in_;
    std::ostream& out_;
    std::ostream& err_;
    const TCodePage terminal_;
    IniStore store_;
};

// Reads need the file; writes make it when it is missing, and leave the reasons to the store.
std::optional<int> Run::Open(OpenFile& file, bool reading) {
    const std::string& path = call_.file;
    struct stat status;
    file.exists = stat(path.c_str(), &status) == 0;
    if (reading && !file.exists) {
        if (errno != ENOENT) return CannotRead(ReasonOf(errno));
        err_ << "iniv: " << path << ": No such file\n";
        return ExitNotFound;
    }
    if (file.exists && !S_ISREG(status.st_mode)) {
        const std::string reason = IniFailureText(IniFailure::NotRegularFile);
        return reading ? CannotRead(reason) : Refused(reason, 0);
    }
    if (reading && access(path.c_str(), R_OK) != 0) return CannotRead(ReasonOf(errno));
    // The store reads such a file as empty: a read would say "not found" of what is there.
    if (reading && static_cast<std::uintmax_t>(status.st_size) > IniDocument::MaxSize)
        return CannotRead(IniFailureText(IniFailure::TooLarge));

    // Opened as the viewer opens it; an encoding given on the command line is not remembered.
    TDocument& opened = file.opened.emplace(path);
    opened.Open(store_.Document(path, terminal_).Bytes(),
                {UserEncodingHints(), TEncodingMemory::OfUser(), call_.codePage, false});
    file.readOnly = RefusalText(opened.ContentRefusal(), opened.Encoding());
    file.codePage = opened.TextCodePage();
    file.engineCodePage = opened.EngineCodePage();
    file.document = &store_.Document(path, file.engineCodePage);
    return std::nullopt;
}

int Run::Read() {
    OpenFile file;
    if (const std::optional<int> status = Open(file, true)) return *status;
    const TextBridge bridge(terminal_, file.codePage);
    const TextBridge typed(call_.raw ? file.codePage : terminal_, file.codePage);
    std::vector<std::string> names;
    for (const std::string& word : call_.words) {
        Converted name = typed.ToFile(word);
        // A name the file's encoding cannot hold is in no line of it.
        if (!name.refusal.empty()) return Missing(call_.words[0], call_.words.size() > 1 ? &call_.words[1] : nullptr, 0, name.refusal);
        names.push_back(std::move(name.text));
    }
    const IniDocument& document = *file.document;
    if (call_.command == Command::Sections) return Print(document.SectionNames(), bridge);
    if (call_.command == Command::Get) {
        if (const std::optional<std::string_view> value = document.Value(names[0], names[1])) return Print({*value}, bridge);
        // Only a missing value asks which name is missing: a section of millions of keys is not
        // listed to read one of them.
        const bool sectionFound = document.Keys({names[0], 0}).has_value();
        return Missing(call_.words[0], sectionFound ? &call_.words[1] : nullptr, 0);
    }
    const std::optional<IniListing> keys = document.Keys({names[0], 0});
    if (!keys) return Missing(call_.words[0], nullptr, 0);
    std::vector<std::string_view> keyNames;
    for (std::size_t i = 0; i < keys->Count(); ++i) keyNames.push_back(keys->Name(i));
    return Print(keyNames, bridge);
}

int Run::Print(const std::vector<std::string_view>& texts, const TextBridge& bridge) {
    const char end = call_.nullSeparated ? '\0' : '\n';
    std::string output;
    for (std::string_view text : texts) {
        const Converted shown = bridge.ToTerminal(text);
        if (!shown.refusal.empty()) {
            err_ << "iniv: " << call_.file << ": cannot print \"" << bridge.Shown(text) << "\": " << shown.refusal << "\n";
            return ExitFailed;
        }
        output.append(shown.text).push_back(end);
    }
    out_ << output;
    return ExitDone;
}

int Run::Write() {
    std::vector<Operation> typed;
    if (call_.command == Command::Batch) {
        BatchInput batch = ReadBatch(in_, terminal_, call_.raw);
        if (!batch.error.empty()) {
            err_ << "iniv: " << batch.error << "\n";
            return ExitUsage;
        }
        typed = std::move(batch.operations);
    } else {
        typed.push_back(Operation{call_.command, call_.words, 0});
    }
    OpenFile file;
    if (const std::optional<int> status = Open(file, false)) return *status;
    if (!file.readOnly.empty()) return Refused(file.readOnly, 0);
    const TextBridge bridge(call_.raw ? file.codePage : terminal_, file.codePage);
    std::vector<Operation> operations = typed;
    for (Operation& operation : operations) {
        for (std::string& word : operation.words) {
            Converted converted = bridge.ToFile(word);
            if (!converted.refusal.empty()) return Refused(converted.refusal, operation.line);
            word = std::move(converted.text);
        }
    }
    // A single del or rename says when its target is missing; a batch's del does nothing then.
    if (call_.command != Command::Batch && !TargetPresent(*file.document, operations[0])) {
        if (!file.exists) {
            err_ << "iniv: " << call_.file << ": No such file\n";
            return ExitNotFound;
        }
        return Missing(typed[0]);
    }
    const Operation* refused = nullptr;
    std::vector<DocumentEdit> edits;
    for (std::size_t i = 0; i < operations.size(); ++i) {
        edits.push_back([&, i, edit = EditOf(operations[i])](IniDocument& document) {
            const EditResult result = edit(document);
            if (result == EditResult::Refused) refused = &typed[i];
            return result;
        });
    }
    if (call_.dryRun) return Preview(file, edits, refused);
    const IniResult result = store_.Apply(call_.file, file.engineCodePage, edits);
    return result.Succeeded() ? ExitDone : Failure(result.failure, result.systemError, refused);
}

// The edits made on a copy of the file's content, which is not saved. `refused` is set by the
// edit the copy refuses.
int Run::Preview(const OpenFile& file, std::span<const DocumentEdit> edits, const Operation* const& refused) {
    const std::string& before = file.document->Bytes();
    IniDocument preview(before, file.document->Lead());
    EditRecord change;
    const EditResult result = RunEdits(preview, edits, change);
    if (result == EditResult::Refused) return Failure(preview.Refusal(), 0, refused);
    if (result == EditResult::Changed) PrintDiff(before, preview.Bytes(), change, TextBridge(terminal_, file.codePage));
    return ExitDone;
}

void Run::PrintDiff(std::string_view before, std::string_view after, const EditRecord& change, const TextBridge& bridge) {
    std::string diff = "--- " + call_.file + "\n+++ " + call_.file + "\n";
    for (const DiffHunk& hunk : LineDiff(before, after, change)) {
        diff += "@@ -" + std::to_string(hunk.oldFirst) + "," + std::to_string(hunk.oldCount) + " +" +
                std::to_string(hunk.newFirst) + "," + std::to_string(hunk.newCount) + " @@\n";
        for (const DiffLine& line : hunk.lines) {
            diff.append(1, line.mark).append(bridge.Shown(line.text)).append(1, '\n');
            if (!line.ended) diff += "\\ No newline at end of file\n";
        }
    }
    out_ << diff;
}

int Run::Failure(IniFailure failure, int systemError, const Operation* at) {
    // The edits find their targets by name under the lock: a stale one is a missing one.
    if (failure == IniFailure::Stale && at) return Missing(*at);
    return Refused(IniFailureText(failure, systemError), at ? at->line : 0);
}

int Run::Refused(const std::string& reason, std::size_t line) {
    err_ << Where(line) << "Unable to write to " << call_.file << ". " << reason << ".\n";
    return ExitFailed;
}

int Run::CannotRead(const std::string& reason) {
    err_ << "iniv: Unable to read " << call_.file << ". " << reason << ".\n";
    return ExitFailed;
}

int Run::Missing(const std::string& section, const std::string* key, std::size_t line, const std::string& why) {
    err_ << Where(line);
    if (key)
        err_ << "no key \"" << *key << "\" in section [" << section << "] of " << call_.file;
    else
        err_ << "no section [" << section << "] in " << call_.file;
    err_ << (why.empty() ? "" : ": ") << why << "\n";
    return ExitNotFound;
}

// A del or rename whose target is not there, in the words the user typed.
int Run::Missing(const Operation& typed) {
    const bool namesKey = typed.words.size() == (typed.command == Command::Rename ? 3u : 2u);
    return Missing(typed.words[0], namesKey ? &typed.words[1] : nullptr, typed.line);
}

}  // namespace

int RunIniv(std::span<const std::string> args, std::istream& in, std::ostream& out, std::ostream& err) {
    const CommandLine line = ParseCommandLine(args);
    if (const auto* help = std::get_if<HelpRequest>(&line)) {
        out << TextBridge(AnsiCodePage(), TCodePage::Utf8).Shown(help->version ? VersionText() : HelpText());
        return ExitDone;
    }
    if (const auto* usage = std::get_if<UsageError>(&line)) {
        err << "iniv: " << usage->message << "\nTry 'iniv --help'.\n";
        return ExitUsage;
    }
    const Invocation& call = std::get<Invocation>(line);
    if (call.command == Command::Diff) return RunDiff(call, out, err);
    if (!call.raw) {
        for (const std::string& word : call.words) {
            if (std::string invalid = InvalidTyped(word, AnsiCodePage()); !invalid.empty()) {
                err << "iniv: " << invalid << "\n";
                return ExitUsage;
            }
        }
    }
    return Run(call, in, out, err).Go();
}
