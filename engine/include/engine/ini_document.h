#pragma once
// An INI file as its bytes, with the index that finds its sections and keys, and the edits a
// write makes. Bytes in, bytes out: no files here. Every byte an edit does not target stays.
//
// Names are looked up the way the reader sees them: blanks around an asked name are not part
// of it, and ASCII letters match in either case. By-name calls follow the first section and
// the first key of a name; the calls taking a SectionRef or KeyRef address one occurrence.
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/edit_record.h"
#include "engine/ini_address.h"
#include "engine/lead_table.h"
#include "engine/name_index.h"
#include "engine/name_list.h"
#include "engine/ini_failure.h"
#include "engine/ini_listing.h"

enum class EditResult { Changed, Unchanged, Refused };

class IniDocument {
public:
    // Offsets are kept in 32 bits per key line: larger files are not handled.
    static constexpr std::size_t MaxSize = UINT32_MAX;

    explicit IniDocument(std::string bytes = {}, LeadTable lead = {});

    const std::string& Bytes() const {
        Settle();
        return *bytes_;
    }
    const LeadTable& Lead() const { return lead_; }
    std::string TakeBytes() &&;
    // Another content in place of this one, in the room its tables already have: a file read
    // again does not fault in fresh pages for them. What was found and the last change go.
    void Load(std::string bytes, LeadTable lead);
    // The bytes' buffer for a read that replaces them, when no list shares it; the document
    // is left empty.
    std::string TakeRoom();

    // Between these, a value set keeps the line's new bytes aside, and the bytes are rebuilt
    // once, when something reads them or an edit of another kind comes: a batch of sets across
    // a large file moves its bytes once, not once a set. The records of edits made meanwhile
    // have no context (EditChain gives it to what they did together).
    void BeginBatch() { batching_ = true; }
    void EndBatch() { batching_ = false; }

    // Names and values point into the bytes: valid until the next edit.
    // Every header's name, in file order, duplicates included. As views, or as copies
    // (std::string), made with no list of views first.
    template <typename Name = std::string_view>
    std::vector<Name> SectionNames() const;
    // The key names of the first section of that name, in file order, duplicates included.
    template <typename Name = std::string_view>
    std::vector<Name> KeyNames(std::string_view section) const;
    // The same, as places in the bytes, which the list keeps.
    NameList KeyNameList(std::string_view section) const;
    // The value of the first such key in the first such section.
    std::optional<std::string_view> Value(std::string_view section, std::string_view key) const;

    // Every header in file order with its occurrence among the headers of the same name.
    IniListing Sections() const;
    // Every key line of one section occurrence, with its value as a reader sees it and its
    // occurrence among that section's keys of the same name. Nothing when there is no such section.
    std::optional<IniListing> Keys(SectionRef section) const;
    // The comment lines right above a header or a key line, in file order, as they stand
    // (marker included, line end excluded); nothing when there is no such line.
    std::optional<std::vector<std::string_view>> CommentsAbove(SectionRef section) const;
    std::optional<std::vector<std::string_view>> CommentsAbove(KeyRef key) const;

    // By name. Refused, with nothing changed, when the names or the value cannot be stored so
    // that they read back exactly.
    EditResult SetValue(std::string_view section, std::string_view key, std::string_view value);
    // Removes every line of that key from the first section of that name.
    EditResult RemoveKey(std::string_view section, std::string_view key);
    // Removes every section of that name: its header through its last key line.
    EditResult RemoveSection(std::string_view section);
    // Both refuse a removal that would leave a lone CR just before an LF, joining two lines.

    // Addressed. Each first checks that its target still reads as the caller saw it: the name
    // exactly, at that occurrence, and where a value is given, that value; otherwise Refused
    // with the reason Stale.
    EditResult SetValueAt(KeyRef key, std::string_view shownValue, std::string_view value);
    EditResult RemoveKeyAt(KeyRef key, std::string_view shownValue);
    EditResult RemoveSectionAt(SectionRef section);
    // Refused with NameTaken when that section occurrence already has the key.
    EditResult AddKey(SectionRef section, std::string_view key, std::string_view value);
    // The same, but a name the section has already is repeated: the line is its next occurrence.
    EditResult AppendKey(SectionRef section, std::string_view key, std::string_view value);
    // A header at the end of the file, even when another section has the name: it is then that
    // name's next occurrence.
    EditResult AddHeader(std::string_view section);
    // Only the name's bytes change. Refused for an empty name, one that another key of the
    // section occurrence (or another section of the file) has, or one the line cannot hold.
    EditResult RenameKey(KeyRef key, std::string_view name);
    EditResult RenameSection(SectionRef section, std::string_view name);
    // Undoes or redoes a recorded edit; Refused with Stale when its bytes are not found as the
    // record left them.
    EditResult Replay(const EditRecord& record, ReplayDirection direction);

    // Fills in the section of each span of a record of the edits that left these bytes: where
    // its after bytes sit now, and where its before bytes sat before.
    void PlaceSpans(EditRecord& record) const;

    // Why the last edit was refused.
    IniFailure Refusal() const { return refusal_; }
    // What the last edit that returned Changed did.
    const EditRecord& LastChange() const { return change_; }
    EditRecord TakeChange() { return std::move(change_); }

private:
    // A key line as the table keeps it: where it begins, from the body's start, and where its
    // name is in it, so that names are compared and hashed without reading the line again.
    struct KeyEntry {
        std::uint32_t begin;
        std::uint16_t nameOffset;  // from the line's start; LongName when it does not fit
        std::uint16_t nameLength;  // LongName when it does not fit
    };
    static constexpr std::uint16_t LongName = UINT16_MAX;
    // A section's key lines: a run of the document's entries, which are in file order.
    struct KeyTable {
        std::uint32_t first = 0;
        std::uint32_t count = 0;
        // Built for a listing where names may repeat, or once lookups have compared as many
        // names as building it would hash: one lookup, as an edit makes, costs less as a plain
        // scan of the names.
        mutable std::unique_ptr<NameIndex> index;
        mutable bool duplicates = false;  // with an index: whether two lines have the same name
        mutable std::uint64_t scanned = 0;  // names compared by lookups without the index
        // Without an index: a listing found no name twice when the document had had that many
        // changes, less one (0: not known).
        mutable std::uint64_t unrepeatedAtChange = 0;
        // Keys are mostly read in file order: where the last lookup ended is tried first.
        mutable std::uint32_t nextGuess = 0;
    };
    struct Section {
        std::size_t headerBegin;  // where the header's content begins (after a byte-order mark)
        std::size_t bodyBegin;
        std::size_t bodyEnd;      // the next header's line, or the end of the file
        std::uint32_t nameOffset;  // from headerBegin
        std::uint32_t nameLength;
        std::uint32_t occurrence;
        std::uint32_t sameNameCount;  // on the first of a name: how many of that name were found
        KeyTable keys;  // complete once the next header has been found
    };
    // Where a key line's value stands in what follows its name: blanks, then "=", blanks, the
    // value and blanks; or blanks alone when the line has no "=". Offsets in that text.
    struct ValueSpot {
        bool hasEquals;
        std::size_t begin, end;
    };
    static ValueSpot ValueIn(std::string_view afterName);
    // A key line's bytes from the end of its name to the end of its content that a batch keeps
    // aside, in place of those of the bytes.
    struct HeldTail {
        std::size_t begin, end;  // the bytes it replaces
        std::string bytes;
        std::ptrdiff_t Growth() const {
            return static_cast<std::ptrdiff_t>(bytes.size()) - static_cast<std::ptrdiff_t>(end - begin);
        }
    };
    // One key line, parsed, in offsets into the bytes.
    struct KeyLine {
        std::size_t begin, contentEnd, next;
        std::size_t nameBegin, nameEnd;
        std::size_t valueBegin, valueEnd;  // as written, quotes included
        bool hasEquals;
    };
    using Range = std::pair<std::size_t, std::size_t>;

    void Reset();
    // The bytes as they stand, without the tails a batch holds.
    const std::string& Raw() const { return *bytes_; }
    // The bytes, to change: copied first when a list still shares them.
    std::string& Own();
    // Finds headers, and the key lines of the sections they open, from where the last search
    // stopped, until `enough` holds after a header or the file ends.
    template <typename Enough>
    void FindMoreHeaders(Enough enough) const;
    void FindAllHeaders() const;
    void AddSection(std::size_t lineBegin, std::size_t contentBegin, std::size_t contentEnd,
                    std::size_t next) const;
    std::string_view Slice(std::size_t begin, std::size_t end) const;
    std::string_view NameOf(const Section& section) const;
    KeyEntry& EntryAt(const Section& section, std::size_t entry) const { return keys_[section.keys.first + entry]; }
    KeyLine KeyLineAt(const Section& section, std::size_t entry) const;
    KeyLine ParseKeyLine(std::size_t begin, std::size_t limit) const;
    // Where the next line begins, after a line end that starts at contentEnd (before limit).
    std::size_t AfterLineEnd(std::size_t contentEnd, std::size_t limit) const;
    KeyEntry EntryOf(const KeyLine& line, std::size_t bodyBegin) const;
    std::string_view KeyNameAt(const Section& section, std::size_t entry) const;
    std::string_view NameOf(const KeyLine& line) const;
    std::string_view ValueOf(const KeyLine& line) const;
    // What follows the line's name as it reads now: its own bytes or those a batch holds.
    std::string_view TailNow(const KeyLine& line) const;
    std::string_view ValueNow(const KeyLine& line) const;
    // Where a place in the bytes is once the held tails before it are in.
    std::size_t OffsetNow(std::size_t at) const;
    // Puts the held tails into the bytes in one pass and moves every offset after them.
    void Settle() const;

    std::optional<std::size_t> FindSection(std::string_view name) const;
    std::optional<std::size_t> FindSectionAt(SectionRef ref) const;
    std::optional<std::size_t> FindKey(const Section& section, std::string_view key) const;
    // The first section of that name, the header search going no further than its header: a
    // one-key edit of a huge section just read does not enter all its lines in the table.
    std::optional<std::size_t> FindSectionHeader(std::string_view section) const;
    // Whether some of the section's lines lie past where the header search stopped.
    bool HasUnreadLines(std::size_t section) const { return !allHeaders_ && section + 1 == sections_.size(); }
    void ReadSectionToEnd(std::size_t section) const;
    // In the lines the section's table holds, by a plain scan.
    std::optional<std::size_t> FirstReadLineOf(const Section& section, std::string_view name) const;
    // The key lines of that name past where the header search stopped, in its section.
    std::vector<Range> UnreadLinesOf(std::string_view name, std::size_t most) const;
    // The first key line of the name in the section, read or not.
    std::optional<KeyLine> FirstKeyLine(std::size_t section, std::string_view key) const;
    std::optional<std::size_t> FindKeyAt(const Section& section, KeyRef ref) const;
    template <typename Use>
    void ForEachHashedName(const Section& section, Use use) const;
    void BuildIndex(const Section& section) const;
    // Whether no two key lines of the section have the same name, as far as known.
    bool KnownUnrepeated(const KeyTable& table) const;
    // Finds out by hashing every name, without building the index; builds it when one repeats.
    void LearnRepeats(const Section& section) const;
    // With the index built: for each key line, the first line of its name.
    std::vector<std::uint32_t> FirstOfEachName(const Section& section) const;
    // Puts each line's occurrence among the lines of its name into a listing of the section.
    void NumberOccurrences(const Section& section, IniListing& list) const;
    // The section and key line an addressed edit means, checked against what the caller saw.
    std::optional<std::size_t> TargetSection(SectionRef ref);
    std::optional<std::pair<std::size_t, std::size_t>> TargetKey(KeyRef ref, const std::string_view* shownValue);
    bool HasOtherKey(const Section& section, std::string_view name, std::optional<std::size_t> except) const;
    std::optional<std::vector<std::string_view>> CommentsAboveLine(std::size_t lineBegin) const;

    // The section that holds the byte at point (nullopt: before the first byte).
    SpanPlace PlaceAt(std::optional<std::size_t> point) const;
    // Whether a header line begins from where the header search stopped up to point.
    bool HeaderBeforeUnread(std::size_t point) const;
    // Whether a header line is among the lines a span's bytes are part of, where they stand at
    // `at` in place of the `replaced` bytes that follow.
    bool SpanTouchesHeader(std::size_t at, std::string_view bytes, std::size_t replaced) const;

    EditResult Refuse(IniFailure reason);
    template <typename Edit>
    EditResult Run(Edit edit, bool setsValue = false);
    // The line a new key takes, when it reads back as given.
    std::optional<std::string> NewKeyLine(std::string_view key, std::string_view value) const;
    EditResult ReplaceValue(std::size_t section, const KeyLine& line, std::string_view value);
    EditResult AppendKeyLine(std::size_t section, const std::string& line);
    EditResult AddKeyLine(SectionRef section, std::string_view key, std::string_view value, bool repeat);
    EditResult AppendSection(std::string_view section, const std::string& keyLine);
    void AppendFinalLineEnd();
    bool EndsWithoutLineEnd() const;
    bool Fits(std::size_t growth) const {
        return static_cast<std::size_t>(static_cast<std::ptrdiff_t>(bytes_->size()) + heldGrowth_) + growth <= MaxSize;
    }
    // Replaces bytes inside one section's header or body, keeping every offset after them right.
    void Splice(std::size_t section, std::size_t at, std::size_t length, std::string_view text);
    // For a change at `at` that adds delta bytes.
    void ShiftSectionsAfter(std::size_t section, std::size_t at, std::ptrdiff_t delta);
    void ReindexSections() const;
    void IndexSection(std::size_t entry) const;
    bool WouldJoinLines(const std::vector<Range>& ranges) const;
    void EraseRanges(const std::vector<Range>& ranges);
    // `unread`: lines after every line the table holds, in a section the header search is in.
    EditResult RemoveKeyLines(std::size_t section, const std::vector<std::size_t>& entries,
                              const std::vector<Range>& unread);
    // Takes removed lines out of the section's table; ranges: theirs, in the same order.
    void DropEntries(std::size_t section, const std::vector<std::size_t>& entries, const std::vector<Range>& ranges);
    EditResult RemoveSections(const std::vector<std::size_t>& sections);

    // Shared with the lists made from it; an edit while one lives works on a copy. Rebuilt
    // by a read when a batch held tails.
    mutable std::shared_ptr<std::string> bytes_;
    LeadTable lead_;
    std::string lineEnd_;  // the file's first line end, used for the lines we add
    // Headers are found only as far as a lookup needs: reading the first section of a large
    // file does not scan all of it.
    mutable std::vector<Section> sections_;
    mutable std::vector<KeyEntry> keys_;  // every section's key lines, one run after another
    mutable NameIndex sectionIndex_;
    mutable std::size_t headerScanAt_ = 0;  // a line start
    mutable bool allHeaders_ = false;
    // Lines from headerFreeFrom_ (where the header search stopped) up to headerFreeTo_ (a line
    // start) hold no header, as the bytes were after headerFreeChanges_ changes.
    mutable std::size_t headerFreeFrom_ = SIZE_MAX;
    mutable std::size_t headerFreeTo_ = 0;
    mutable std::uint64_t headerFreeChanges_ = 0;
    // The last section asked for by name, as asked, and what was found: reads of one section's
    // keys ask for it again and again.
    mutable std::string lastSectionAsked_;
    mutable std::optional<std::size_t> lastSectionFound_;
    mutable bool lastSectionKnown_ = false;

    bool batching_ = false;
    // Held tails, by where they begin; none outside a batch once anything has been read.
    mutable std::map<std::size_t, HeldTail> held_;
    mutable std::ptrdiff_t heldGrowth_ = 0;  // how much the held tails add to the bytes

    IniFailure refusal_ = IniFailure::None;
    std::uint64_t changes_ = 0;  // edits that changed the bytes
    EditRecorder recorder_;
    EditRecord change_;
};
