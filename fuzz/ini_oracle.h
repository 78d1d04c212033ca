#pragma once
// What the README's format rules say a file reads as, and what each write makes of it, worked
// out line by line from the rules alone, apart from the engine's index and edits, so that the
// fuzzer can check the engine byte for byte.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/ini_address.h"
#include "engine/lead_table.h"
#include "engine/ini_failure.h"

struct OracleRow {
    std::string name;
    std::string value;
    std::uint32_t occurrence;
    bool operator==(const OracleRow&) const = default;
};

struct Prediction {
    enum class Kind { Changed, Unchanged, Refused };
    Kind kind;
    IniFailure refusal = IniFailure::None;
    std::string bytes;  // the file after the write
};

class IniOracle {
public:
    IniOracle(std::string bytes, const LeadTable& lead);

    const std::string& Bytes() const { return bytes_; }

    std::vector<OracleRow> Sections() const;
    std::optional<std::vector<OracleRow>> Keys(SectionRef section) const;
    std::optional<std::string> Value(std::string_view section, std::string_view key) const;
    std::optional<std::vector<std::string>> Comments(SectionRef section) const;
    std::optional<std::vector<std::string>> Comments(KeyRef key) const;

    Prediction SetValue(std::string_view section, std::string_view key, std::string_view value) const;
    Prediction RemoveKey(std::string_view section, std::string_view key) const;
    Prediction RemoveSection(std::string_view section) const;
    Prediction SetValueAt(KeyRef key, std::string_view shown, std::string_view value) const;
    Prediction RemoveKeyAt(KeyRef key, std::string_view shown) const;
    Prediction RemoveSectionAt(SectionRef section) const;
    Prediction AddKey(SectionRef section, std::string_view key, std::string_view value) const;
    Prediction RenameKey(KeyRef key, std::string_view name) const;
    Prediction RenameSection(SectionRef section, std::string_view name) const;

    // Names matching as the rules say: ASCII letters in either case, double-byte characters exactly.
    bool Same(std::string_view a, std::string_view b) const;

private:
    enum class Kind { Blank, Comment, Header, Key, Outside };
    struct Line {
        std::size_t begin, contentBegin, contentEnd, next;
        Kind kind = Kind::Blank;
        std::size_t nameBegin = 0, nameEnd = 0;    // headers and keys
        bool hasEquals = false;
        std::size_t valueBegin = 0, valueEnd = 0;  // as written, quotes included
    };
    struct Section {
        std::size_t header;  // line number
        std::vector<std::size_t> keys;
        std::uint32_t occurrence;
    };
    using Range = std::pair<std::size_t, std::size_t>;

    Line Parse(std::size_t begin, std::size_t contentBegin, std::size_t contentEnd, std::size_t next) const;
    std::string_view Text(std::size_t begin, std::size_t end) const { return std::string_view(bytes_).substr(begin, end - begin); }
    std::string_view NameOf(const Line& line) const { return Text(line.nameBegin, line.nameEnd); }
    std::string ValueOf(const Line& line) const;
    std::string_view Trim(std::string_view name) const;
    bool EndsWithLoneLead(std::string_view name) const;

    std::optional<std::size_t> FindSection(std::string_view name, std::uint32_t occurrence) const;
    std::optional<std::size_t> FindKey(const Section& section, std::string_view name, std::uint32_t occurrence) const;
    std::optional<std::size_t> TargetSection(SectionRef ref) const;
    std::optional<std::pair<std::size_t, std::size_t>> TargetKey(KeyRef ref, const std::string_view* shown) const;
    std::vector<std::string> CommentsAbove(std::size_t line) const;

    std::optional<std::string> NewKeyLine(std::string_view key, std::string_view value) const;
    bool HoldsSectionName(std::string_view name) const;
    std::string LineEnd() const;
    Prediction Replace(std::size_t at, std::size_t length, std::string_view text) const;
    Prediction ReplaceValue(const Line& line, std::string_view value) const;
    Prediction InsertLine(std::size_t at, const std::string& text) const;
    Prediction AppendKey(const Section& section, std::string_view key, std::string_view value) const;
    Prediction Remove(std::vector<Range> ranges) const;
    Range Block(const Section& section) const;

    std::string bytes_;
    LeadTable lead_;
    std::vector<Line> lines_;
    std::vector<Section> sections_;
};
