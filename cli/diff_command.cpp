#include "cli/diff_command.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <fstream>
#include <optional>
#include <ostream>
#include <sstream>
#include <string>

#include "cli/iniv.h"
#include "cli/text_bridge.h"
#include "document/ini_comparison.h"
#include "encoding/code_page.h"
#include "encoding/encodings.h"

namespace {

// Why the file cannot be read; empty when it can.
std::string ReadProblem(const std::string& path) {
    struct stat status;
    if (stat(path.c_str(), &status) != 0) return IniFailureText(FailureOfSystemError(errno), errno);
    if (!S_ISREG(status.st_mode)) return IniFailureText(IniFailure::NotRegularFile);
    if (access(path.c_str(), R_OK) != 0) return IniFailureText(FailureOfSystemError(errno), errno);
    if (static_cast<std::uintmax_t>(status.st_size) > IniDocument::MaxSize) return IniFailureText(IniFailure::TooLarge);
    return {};
}

std::optional<std::string> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    if (!(bytes << in.rdbuf()) && in.peek() != std::ifstream::traits_type::eof()) return std::nullopt;
    return std::move(bytes).str();
}

// Names and values of both files in the terminal's encoding; what it cannot show as "?".
class DiffPrinter {
public:
    DiffPrinter(const TIniComparison& comparison, std::ostream& out)
        : comparison_(comparison), out_(out), left_(AnsiCodePage(), comparison.CodePage(TCompareSide::Left)),
          right_(AnsiCodePage(), comparison.CodePage(TCompareSide::Right)) {}

    void Porcelain() {
        for (std::size_t s = 0; s < comparison_.SectionCount(); ++s) {
            const TComparedSection section = comparison_.Section(s);
            const std::string name = SectionName(section);
            if (section.mark == TCompareMark::LeftOnly || section.mark == TCompareMark::RightOnly) {
                out_ << MarkWord(section.mark) << '\t' << name << '\n';
                continue;
            }
            for (std::size_t k = 0; k < section.keyCount; ++k) {
                const TComparedKey key = comparison_.Key(s, k);
                if (key.mark == TCompareMark::Same) continue;
                out_ << MarkWord(key.mark) << '\t' << name << '\t' << KeyName(key);
                if (key.left) out_ << '\t' << left_.Shown(key.leftValue);
                if (key.right) out_ << '\t' << right_.Shown(key.rightValue);
                out_ << '\n';
            }
        }
    }

    // "< " lines are the left file's, "> " lines the right's; a changed key has one of each.
    void ForPeople(const std::string& leftTitle, const std::string& rightTitle) {
        out_ << "< " << leftTitle << "\n> " << rightTitle << "\n";
        // A blank line before each section's keys, and before a run of whole sections.
        bool inRun = false;
        for (std::size_t s = 0; s < comparison_.SectionCount(); ++s) {
            const TComparedSection section = comparison_.Section(s);
            const std::string header = "[" + SectionName(section) + "]" + Repeat(section);
            if (section.mark == TCompareMark::Same) continue;
            if (section.mark != TCompareMark::Different) {
                const char* const keys = section.keyCount == 1 ? " key" : " keys";
                out_ << (inRun ? "" : "\n") << Side(section.mark) << header << " and its " << section.keyCount << keys
                     << "\n";
                inRun = true;
                continue;
            }
            inRun = false;
            out_ << "\n" << header << "\n";
            for (std::size_t k = 0; k < section.keyCount; ++k) {
                const TComparedKey key = comparison_.Key(s, k);
                if (key.left && key.mark != TCompareMark::Same)
                    out_ << "< " << left_.Shown(key.left->name) << "=" << left_.Shown(key.leftValue) << "\n";
                if (key.right && key.mark != TCompareMark::Same)
                    out_ << "> " << right_.Shown(key.right->name) << "=" << right_.Shown(key.rightValue) << "\n";
            }
        }
        const std::size_t count = comparison_.Differences();
        if (count == 0)
            out_ << "\nNo differences: the same sections, keys and values\n";
        else
            out_ << "\n" << count << (count == 1 ? " difference\n" : " differences\n");
    }

private:
    static const char* MarkWord(TCompareMark mark) {
        switch (mark) {
            case TCompareMark::Different: return "changed";
            case TCompareMark::LeftOnly: return "left-only";
            case TCompareMark::RightOnly: return "right-only";
            case TCompareMark::Same: break;
        }
        return "same";
    }
    static const char* Side(TCompareMark mark) { return mark == TCompareMark::LeftOnly ? "< " : "> "; }
    // The n-th of a repeated section name, counted from 1, after its name.
    static std::string Repeat(const TComparedSection& section) {
        const std::uint32_t occurrence = (section.left ? *section.left : *section.right).occurrence;
        return occurrence == 0 ? std::string() : " (" + std::to_string(occurrence + 1) + ")";
    }
    // As the left file spells it, when it has it.
    std::string SectionName(const TComparedSection& section) const {
        return section.left ? left_.Shown(section.left->name) : right_.Shown(section.right->name);
    }
    std::string KeyName(const TComparedKey& key) const {
        return key.left ? left_.Shown(key.left->name) : right_.Shown(key.right->name);
    }

    const TIniComparison& comparison_;
    std::ostream& out_;
    const TextBridge left_, right_;
};

}  // namespace

int RunDiff(const Invocation& call, std::ostream& out, std::ostream& err) {
    const std::string paths[2] = {call.file, call.words[0]};
    const std::optional<TCodePage> chosen[2] = {call.codePage, call.rightCodePage};
    std::optional<TDocument> documents[2];
    for (int side = 0; side < 2; ++side) {
        std::string problem = ReadProblem(paths[side]);
        const std::optional<std::string> bytes = problem.empty() ? ReadBytes(paths[side]) : std::nullopt;
        if (!bytes) {
            err << "iniv: Unable to read " << paths[side] << ". "
                << (problem.empty() ? IniFailureText(FailureOfSystemError(errno), errno) : problem) << ".\n";
            return ExitFailed;
        }
        documents[side].emplace(paths[side]);
        documents[side]->Open(*bytes, {UserEncodingHints(), TEncodingMemory::OfUser(), chosen[side], false});
    }
    const TIniComparison comparison = CompareIni(*documents[0], *documents[1]);
    DiffPrinter printer(comparison, out);
    if (call.porcelain) {
        printer.Porcelain();
    } else {
        const auto title = [&](int side) {
            const TFileEncoding& encoding = documents[side]->Encoding();
            return paths[side] + " (" + EncodingDisplayName(encoding.codePage, encoding.bomLength) + ")";
        };
        printer.ForPeople(title(0), title(1));
    }
    return comparison.Differences() == 0 ? ExitDone : ExitNotFound;
}
