#pragma once
// An INI file as its bytes, with the index that finds its sections and keys, and the edits a
// write makes. Bytes in, bytes out: no files here. Every byte an edit does not target stays.
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/profile/lead_table.h"
#include "platform/profile/name_index.h"

enum class EditResult { Changed, Unchanged, Refused };

class IniDocument {
public:
    explicit IniDocument(std::string bytes = {}, LeadTable lead = {});

    const std::string& Bytes() const { return bytes_; }

    // Names and values point into the bytes: valid until the next edit.
    // Every header's name, in file order, duplicates included.
    std::vector<std::string_view> SectionNames() const;
    // The key names of the first section of that name, in file order, duplicates included.
    std::vector<std::string_view> KeyNames(std::string_view section) const;
    // The value of the first such key in the first such section.
    std::optional<std::string_view> Value(std::string_view section, std::string_view key) const;

    // Refused, with nothing changed, when the names or the value cannot be stored so that they
    // read back exactly.
    EditResult SetValue(std::string_view section, std::string_view key, std::string_view value);
    // Removes every line of that key from the first section of that name.
    EditResult RemoveKey(std::string_view section, std::string_view key);
    // Removes every section of that name: its header through its last key line.
    EditResult RemoveSection(std::string_view section);
    // Both refuse a removal that would leave a lone CR just before an LF, joining two lines.

private:
    // Offsets from the start of the section's body, so that edits elsewhere leave them valid.
    struct KeyLine {
        std::size_t begin, contentEnd, next;
        std::size_t nameBegin, nameLength;
        std::size_t valueBegin, valueEnd;  // as written, quotes included
        bool hasEquals;
        bool firstOfName;  // not hidden by an earlier key of the same name
    };
    struct KeyTable {
        std::vector<KeyLine> lines;
        // Built at the second lookup: one lookup, as an edit makes, costs less as a plain scan.
        NameIndex index;
        bool indexed = false;
        bool scanned = false;
        // Where the last lookup ended: keys are mostly read in file order, one after another.
        std::size_t nextGuess = 0;
    };
    struct Section {
        std::size_t headerBegin;  // after a byte-order mark
        std::size_t bodyBegin, bodyEnd;
        std::size_t nameBegin, nameLength;
        // Built on first use: a read of one section does not pay for the others.
        mutable std::unique_ptr<KeyTable> keys;
    };
    using Range = std::pair<std::size_t, std::size_t>;

    void Scan();
    void FindHeaders(std::size_t from);
    // Finds headers from where the last search stopped, until `enough` holds or the file ends.
    template <typename Enough>
    void FindMoreHeaders(Enough enough) const;
    void FindAllHeaders() const;
    std::string_view Slice(std::size_t begin, std::size_t end) const;
    std::string_view NameOf(const Section& section) const;
    std::string_view NameOf(const Section& section, const KeyLine& line) const;
    // Nothing when the line is not a key line.
    std::optional<KeyLine> ReadKeyLine(const Section& section, std::size_t begin,
                                       std::size_t contentEnd, std::size_t next) const;
    std::optional<std::size_t> FindSection(std::string_view name) const;
    KeyTable& KeysOf(const Section& section) const;
    void BuildIndex(const Section& section, KeyTable& table) const;
    std::optional<std::size_t> FindKey(const Section& section, std::string_view key) const;

    EditResult ReplaceValue(std::size_t section, std::size_t entry, std::string_view value,
                            const std::string& quoted);
    void AppendKeyLine(std::size_t section, const std::string& line);
    void AppendSection(const std::string& header, const std::string& keyLine);
    bool EndsWithoutLineEnd() const;
    void Resize(std::size_t section, std::ptrdiff_t delta);
    bool WouldJoinLines(const std::vector<Range>& ranges) const;
    void EraseRanges(const std::vector<Range>& ranges);

    std::string bytes_;
    LeadTable lead_;
    std::string lineEnd_;  // the file's first line end, used for the lines we add
    // Headers are found only as far as a lookup needs: reading the first section of a large
    // file does not scan all of it. Edits find them all first.
    mutable std::vector<Section> sections_;
    mutable NameIndex sectionIndex_;
    mutable std::size_t headerScanAt_ = 0;  // a line start
    mutable bool allHeaders_ = false;
};
