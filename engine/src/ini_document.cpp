#include "engine/ini_document.h"

#include <algorithm>
#include <cstring>

#include "ini_line.h"
#include "key_line_search.h"
#include "line_cursor.h"

namespace {

// A stretch of the bytes and the text that takes its place.
struct Replacement {
    std::size_t begin, end;
    std::string_view text;
};

std::size_t FirstNonBlank(std::string_view text, std::size_t at, std::size_t end) {
    while (at < end && IsBlank(text[at])) ++at;
    return at;
}

bool ReadsBackAsKey(std::string_view line, std::string_view key, std::string_view value,
                    const LeadTable& lead) {
    const IniLine parsed = ParseIniLine(line, lead);
    return parsed.kind == IniLineKind::Key && parsed.hasEquals && parsed.name == key &&
           UnquotedValue(parsed.RawValue(line)) == value;
}

bool HoldsName(std::string_view name, const LeadTable& lead) {
    return FitsOnOneLine(name) && !EndsWithLoneLeadByte(name, lead);
}

// Each stretch between replacements moves once, by what the replacements before it add: those
// moving down first to last, then those moving up last to first, so that none lands on one not
// yet moved.
void ReplaceInPlace(std::string& bytes, const std::vector<Replacement>& replacements) {
    struct Stretch {
        std::size_t begin, end;
        std::ptrdiff_t shift;
    };
    std::vector<Stretch> stretches;
    stretches.reserve(replacements.size() + 1);
    std::size_t from = 0;
    std::ptrdiff_t shift = 0;
    for (const Replacement& replacement : replacements) {
        stretches.push_back({from, replacement.begin, shift});
        shift += static_cast<std::ptrdiff_t>(replacement.text.size()) -
                 static_cast<std::ptrdiff_t>(replacement.end - replacement.begin);
        from = replacement.end;
    }
    stretches.push_back({from, bytes.size(), shift});
    const std::size_t oldSize = bytes.size();
    const auto newSize = static_cast<std::size_t>(static_cast<std::ptrdiff_t>(oldSize) + shift);
    if (newSize > oldSize) bytes.resize(newSize);
    const auto move = [&](const Stretch& stretch) {
        std::memmove(bytes.data() + stretch.begin + stretch.shift, bytes.data() + stretch.begin, stretch.end - stretch.begin);
    };
    for (const Stretch& stretch : stretches)
        if (stretch.shift < 0) move(stretch);
    for (auto stretch = stretches.rbegin(); stretch != stretches.rend(); ++stretch)
        if (stretch->shift > 0) move(*stretch);
    auto stretch = stretches.begin();
    for (const Replacement& replacement : replacements) {
        std::memcpy(bytes.data() + stretch->end + stretch->shift, replacement.text.data(), replacement.text.size());
        ++stretch;
    }
    if (newSize < oldSize) bytes.resize(newSize);
}

// The same into a new string of that size, the bytes left as they are.
std::string ReplacedCopy(std::string_view bytes, const std::vector<Replacement>& replacements, std::size_t size) {
    std::string copy;
    copy.reserve(size);
    std::size_t from = 0;
    for (const Replacement& replacement : replacements) {
        copy.append(bytes.substr(from, replacement.begin - from)).append(replacement.text);
        from = replacement.end;
    }
    return copy.append(bytes.substr(from));
}

std::string HeaderLine(std::string_view section) {
    std::string header;
    header.reserve(section.size() + 2);
    return header.append(1, '[').append(section).append(1, ']');
}

}  // namespace

IniDocument::IniDocument(std::string bytes, LeadTable lead)
    : bytes_(std::make_shared<std::string>(std::move(bytes))), lead_(lead) {
    Reset();
}

std::string IniDocument::TakeBytes() && {
    Settle();
    return bytes_.use_count() == 1 ? std::move(*bytes_) : *bytes_;
}

void IniDocument::Load(std::string bytes, LeadTable lead) {
    if (bytes_.use_count() == 1)
        *bytes_ = std::move(bytes);
    else
        bytes_ = std::make_shared<std::string>(std::move(bytes));
    lead_ = lead;
    refusal_ = IniFailure::None;
    change_ = {};
    // Tails held back were places in the bytes just replaced.
    held_.clear();
    Reset();
}

std::string IniDocument::TakeRoom() {
    std::string room;
    if (bytes_.use_count() == 1) room = std::move(*bytes_);
    Load({}, lead_);
    return room;
}

std::string& IniDocument::Own() {
    if (bytes_.use_count() > 1) {
        auto copy = std::make_shared<std::string>();
        copy->reserve(bytes_->size() + bytes_->size() / 64 + 4096);
        copy->assign(*bytes_);
        bytes_ = std::move(copy);
    }
    return *bytes_;
}

// Forgets everything found so far; it is found again as lookups need it.
void IniDocument::Reset() {
    lastSectionKnown_ = false;
    sections_.clear();
    keys_.clear();
    sectionIndex_ = NameIndex();
    headerScanAt_ = 0;
    headerFreeFrom_ = SIZE_MAX;
    allHeaders_ = false;
    LineCursor first(Raw());
    const LineCursor::Line line = first.AtEnd() ? LineCursor::Line{0, 0, 0} : first.Next();
    lineEnd_ = line.next > line.contentEnd ? Raw().substr(line.contentEnd, line.next - line.contentEnd) : "\n";
}

template <typename Enough>
void IniDocument::FindMoreHeaders(Enough enough) const {
    if (allHeaders_) return;
    const std::size_t from = headerScanAt_;
    // Room for a key line per 32 bytes: most files need no more, and untouched room costs nothing.
    if (from == 0) keys_.reserve(Raw().size() / 32 + 16);
    // The bytes do not change while they are scanned: one view of them, read once.
    const std::string_view text = Raw();
    // No line end is part of the mark: only the first line can begin inside it.
    const std::size_t markEnd = text.starts_with(Utf8ByteOrderMark) ? Utf8ByteOrderMark.size() : 0;
    LineCursor cursor(text.substr(from));
    while (!cursor.AtEnd()) {
        const LineCursor::Line line = cursor.Next();
        const std::size_t lineBegin = from + line.begin;
        const std::size_t contentEnd = from + line.contentEnd;
        const std::size_t begin = std::max(lineBegin, markEnd);
        const std::size_t first = FirstNonBlank(text, begin, contentEnd);
        if (first == contentEnd) continue;
        const char c = text[first];
        if (c == '[') {
            AddSection(lineBegin, begin, contentEnd, from + line.next);
            if (enough()) {
                headerScanAt_ = from + line.next;
                return;
            }
        } else if (c != ';' && c != '#' && !sections_.empty()) {
            Section& current = sections_.back();
            const std::size_t nameEnd = first + KeyNameEnd(text.substr(first, contentEnd - first), 0, lead_);
            keys_.push_back(EntryOf(KeyLine{lineBegin, contentEnd, 0, first, nameEnd, 0, 0, false}, current.bodyBegin));
            ++current.keys.count;
        }
    }
    headerScanAt_ = Raw().size();
    allHeaders_ = true;
}

void IniDocument::AddSection(std::size_t lineBegin, std::size_t contentBegin, std::size_t contentEnd,
                             std::size_t next) const {
    const std::string_view name = ParseIniLine(Slice(contentBegin, contentEnd), lead_).name;
    lastSectionKnown_ = false;  // a name not found so far may be this one
    if (!sections_.empty()) sections_.back().bodyEnd = lineBegin;
    const std::size_t entry = sections_.size();
    sections_.push_back(Section{contentBegin, next, Raw().size(),
                                static_cast<std::uint32_t>(name.data() - Raw().data() - contentBegin),
                                static_cast<std::uint32_t>(name.size()), 0, 1, {}});
    sections_.back().keys.first = static_cast<std::uint32_t>(keys_.size());
    IndexSection(entry);
}

// The first section of a name is found by it; the later ones are numbered.
void IniDocument::IndexSection(std::size_t entry) const {
    Section& section = sections_[entry];
    section.occurrence = 0;
    section.sameNameCount = 1;
    const std::string_view name = NameOf(section);
    const auto first = sectionIndex_.Add(NameHash(name, lead_), static_cast<std::uint32_t>(entry), [&](std::uint32_t other) {
        return SameName(NameOf(sections_[other]), name, lead_);
    });
    if (first) section.occurrence = sections_[*first].sameNameCount++;
}

// A section holds the bytes from its header to the next one.
SpanPlace IniDocument::PlaceAt(std::optional<std::size_t> point) const {
    if (!point) return {SpanPlace::Kind::BeforeHeaders, {}, 0};
    if (!allHeaders_ && headerScanAt_ <= *point && HeaderBeforeUnread(*point))
        FindMoreHeaders([&] { return sections_.back().headerBegin > *point; });
    const auto after = std::upper_bound(sections_.begin(), sections_.end(), *point,
                                        [](std::size_t at, const Section& section) { return at < section.headerBegin; });
    if (after == sections_.begin()) return {SpanPlace::Kind::BeforeHeaders, {}, 0};
    const Section& section = *std::prev(after);
    return {SpanPlace::Kind::InSection, std::string(NameOf(section)), section.occurrence};
}

// Past where the header search stopped, the lines are only looked at, not entered in the
// tables: a set in a huge section just read stays cheap, and the spans of a batch across it
// look at each line once.
bool IniDocument::HeaderBeforeUnread(std::size_t point) const {
    if (headerFreeFrom_ != headerScanAt_ || headerFreeChanges_ != changes_) {
        headerFreeFrom_ = headerScanAt_;
        headerFreeTo_ = headerScanAt_;
        headerFreeChanges_ = changes_;
    }
    if (point < headerFreeTo_) return false;
    const std::string_view text = Raw();
    if (HeaderLineBegins(text.substr(headerFreeTo_), point + 1 - headerFreeTo_, headerFreeTo_ == 0)) return true;
    headerFreeTo_ = AfterLineBreak(text, FindLineBreak(text, point));
    return false;
}

void IniDocument::FindAllHeaders() const {
    FindMoreHeaders([] { return false; });
}

// After an edit that renamed or moved sections: names and occurrences from the headers found.
void IniDocument::ReindexSections() const {
    lastSectionKnown_ = false;
    sectionIndex_ = NameIndex();
    for (std::size_t entry = 0; entry < sections_.size(); ++entry) IndexSection(entry);
}

std::string_view IniDocument::Slice(std::size_t begin, std::size_t end) const {
    return std::string_view(Raw()).substr(begin, end - begin);
}

std::string_view IniDocument::NameOf(const Section& section) const {
    const std::size_t begin = section.headerBegin + section.nameOffset;
    return Slice(begin, begin + section.nameLength);
}

IniDocument::KeyEntry IniDocument::EntryOf(const KeyLine& line, std::size_t bodyBegin) const {
    const std::size_t nameOffset = line.nameBegin - line.begin;
    const std::size_t nameLength = line.nameEnd - line.nameBegin;
    const bool fits = nameOffset < LongName && nameLength < LongName;
    return KeyEntry{static_cast<std::uint32_t>(line.begin - bodyBegin), static_cast<std::uint16_t>(fits ? nameOffset : LongName),
                    static_cast<std::uint16_t>(fits ? nameLength : LongName)};
}

std::size_t IniDocument::AfterLineEnd(std::size_t contentEnd, std::size_t limit) const {
    return contentEnd >= limit ? contentEnd : AfterLineBreak(Raw(), contentEnd);
}

IniDocument::KeyLine IniDocument::ParseKeyLine(std::size_t begin, std::size_t limit) const {
    const std::size_t contentEnd = FindLineBreak(Slice(0, limit), begin);
    const std::size_t next = AfterLineEnd(contentEnd, limit);
    const std::string_view content = Slice(begin, contentEnd);
    const IniLine parsed = ParseIniLine(content, lead_);
    const auto nameBegin = begin + static_cast<std::size_t>(parsed.name.data() - content.data());
    return KeyLine{begin, contentEnd, next, nameBegin, nameBegin + parsed.name.size(),
                   begin + parsed.valueBegin, begin + parsed.valueEnd, parsed.hasEquals};
}

// The name is where the table says; after it come blanks, then "=" or the line end. Inlined:
// a listing asks for every line of a section in turn, and a line returned through memory
// stalls each.
[[gnu::always_inline]] inline IniDocument::KeyLine IniDocument::KeyLineAt(const Section& section, std::size_t entry) const {
    const KeyEntry& key = EntryAt(section, entry);
    const std::size_t begin = section.bodyBegin + key.begin;
    if (key.nameOffset == LongName) return ParseKeyLine(begin, section.bodyEnd);
    KeyLine line{begin, 0, 0, begin + key.nameOffset, begin + key.nameOffset + key.nameLength, 0, 0, false};
    line.contentEnd = FindLineBreak(Slice(0, section.bodyEnd), line.nameEnd);
    line.next = AfterLineEnd(line.contentEnd, section.bodyEnd);
    const ValueSpot value = ValueIn(Slice(line.nameEnd, line.contentEnd));
    line.hasEquals = value.hasEquals;
    line.valueBegin = line.nameEnd + value.begin;
    line.valueEnd = line.nameEnd + value.end;
    return line;
}

[[gnu::always_inline]] inline IniDocument::ValueSpot IniDocument::ValueIn(std::string_view afterName) {
    const std::size_t stop = FirstNonBlank(afterName, 0, afterName.size());
    ValueSpot value{stop < afterName.size(), afterName.size(), afterName.size()};
    if (!value.hasEquals) return value;
    value.begin = FirstNonBlank(afterName, stop + 1, afterName.size());
    while (value.end > value.begin && IsBlank(afterName[value.end - 1])) --value.end;
    return value;
}

// Asked for every name of a section in turn: no bounds checked again, the table's are right.
std::string_view IniDocument::KeyNameAt(const Section& section, std::size_t entry) const {
    const KeyEntry& key = EntryAt(section, entry);
    if (key.nameOffset == LongName) [[unlikely]]
        return NameOf(KeyLineAt(section, entry));
    return std::string_view(Raw().data() + section.bodyBegin + key.begin + key.nameOffset, key.nameLength);
}

std::string_view IniDocument::NameOf(const KeyLine& line) const { return Slice(line.nameBegin, line.nameEnd); }

std::string_view IniDocument::ValueOf(const KeyLine& line) const {
    return UnquotedValue(Slice(line.valueBegin, line.valueEnd));
}

std::string_view IniDocument::TailNow(const KeyLine& line) const {
    const auto held = held_.find(line.nameEnd);
    return held == held_.end() ? Slice(line.nameEnd, line.contentEnd) : std::string_view(held->second.bytes);
}

std::string_view IniDocument::ValueNow(const KeyLine& line) const {
    if (held_.empty()) return ValueOf(line);
    const std::string_view tail = TailNow(line);
    const ValueSpot value = ValueIn(tail);
    return UnquotedValue(tail.substr(value.begin, value.end - value.begin));
}

std::size_t IniDocument::OffsetNow(std::size_t at) const {
    // Sets made from the start of the file to its end come after every tail held.
    if (held_.empty() || held_.rbegin()->first < at) return static_cast<std::size_t>(static_cast<std::ptrdiff_t>(at) + heldGrowth_);
    std::ptrdiff_t growth = 0;
    for (auto held = held_.begin(); held != held_.end() && held->first < at; ++held) growth += held->second.Growth();
    return static_cast<std::size_t>(static_cast<std::ptrdiff_t>(at) + growth);
}

// A section's keys are complete once the next header is found, so that one is found too.
std::optional<std::size_t> IniDocument::FindSection(std::string_view asked) const {
    if (lastSectionKnown_ && asked == lastSectionAsked_) return lastSectionFound_;
    const std::string_view name = TrimName(asked, lead_);
    const std::uint64_t hash = NameHash(name, lead_);
    const auto find = [&]() -> std::optional<std::size_t> {
        return sectionIndex_.Find(hash, [&](std::uint32_t entry) {
            return SameName(NameOf(sections_[entry]), name, lead_);
        });
    };
    std::optional<std::size_t> found = find();
    if (!allHeaders_ && !(found && *found + 1 < sections_.size())) {
        FindMoreHeaders([&] {
            if (!found) found = find();
            return found && *found + 1 < sections_.size();
        });
    }
    lastSectionAsked_.assign(asked);
    lastSectionFound_ = found;
    lastSectionKnown_ = true;
    return found;
}

std::optional<std::size_t> IniDocument::FindSectionHeader(std::string_view asked) const {
    const std::string_view name = TrimName(asked, lead_);
    const std::uint64_t hash = NameHash(name, lead_);
    const auto find = [&]() -> std::optional<std::size_t> {
        return sectionIndex_.Find(hash, [&](std::uint32_t entry) { return SameName(NameOf(sections_[entry]), name, lead_); });
    };
    std::optional<std::size_t> found = find();
    if (!found && !allHeaders_)
        FindMoreHeaders([&] {
            found = find();
            return found.has_value();
        });
    return found;
}

void IniDocument::ReadSectionToEnd(std::size_t section) const {
    if (HasUnreadLines(section)) FindMoreHeaders([&] { return section + 1 < sections_.size(); });
}

std::optional<std::size_t> IniDocument::FirstReadLineOf(const Section& section, std::string_view name) const {
    for (std::size_t entry = 0; entry < section.keys.count; ++entry)
        if (SameName(KeyNameAt(section, entry), name, lead_)) return entry;
    return std::nullopt;
}

std::vector<IniDocument::Range> IniDocument::UnreadLinesOf(std::string_view name, std::size_t most) const {
    std::vector<Range> lines;
    for (const LineCursor::Line& line : KeyLinesOf(Raw(), headerScanAt_, name, lead_, most))
        lines.emplace_back(line.begin, line.next);
    return lines;
}

std::optional<IniDocument::KeyLine> IniDocument::FirstKeyLine(std::size_t section, std::string_view key) const {
    const Section& target = sections_[section];
    if (!HasUnreadLines(section)) {
        const auto entry = FindKey(target, key);
        return entry ? std::optional(KeyLineAt(target, *entry)) : std::nullopt;
    }
    const std::string_view name = TrimName(key, lead_);
    if (const auto entry = FirstReadLineOf(target, name)) return KeyLineAt(target, *entry);
    const std::vector<Range> unread = UnreadLinesOf(name, 1);
    if (unread.empty()) return std::nullopt;
    return ParseKeyLine(unread.front().first, Raw().size());
}

std::optional<std::size_t> IniDocument::FindSectionAt(SectionRef ref) const {
    if (ref.occurrence == 0) return FindSection(ref.name);
    FindAllHeaders();
    const auto first = FindSection(ref.name);
    if (!first || sections_[*first].sameNameCount <= ref.occurrence) return std::nullopt;
    const std::string_view name = NameOf(sections_[*first]);
    for (std::size_t entry = *first + 1; entry < sections_.size(); ++entry)
        if (sections_[entry].occurrence == ref.occurrence && SameName(NameOf(sections_[entry]), name, lead_))
            return entry;
    return std::nullopt;
}

// Hashes each name of the section in turn for `use`, fetching the index's slot for a name a
// few names ahead, so that the table's misses overlap.
template <typename Use>
void IniDocument::ForEachHashedName(const Section& section, Use use) const {
    constexpr std::size_t Ahead = 8;
    std::uint64_t hashes[Ahead];
    const std::size_t count = section.keys.count;
    const auto fetch = [&](std::size_t entry) {
        hashes[entry % Ahead] = NameHash(KeyNameAt(section, entry), lead_);
        section.keys.index->Prefetch(hashes[entry % Ahead]);
    };
    for (std::size_t entry = 0; entry < std::min(Ahead, count); ++entry) fetch(entry);
    for (std::size_t entry = 0; entry < count; ++entry) {
        const std::uint64_t hash = hashes[entry % Ahead];
        if (entry + Ahead < count) fetch(entry + Ahead);
        const std::string_view name = KeyNameAt(section, entry);
        use(static_cast<std::uint32_t>(entry), hash,
            [&](std::uint32_t other) { return SameName(KeyNameAt(section, other), name, lead_); });
    }
}

void IniDocument::BuildIndex(const Section& section) const {
    const KeyTable& table = section.keys;
    table.index = std::make_unique<NameIndex>();
    table.index->Reserve(table.count);
    table.duplicates = false;
    ForEachHashedName(section, [&](std::uint32_t entry, std::uint64_t hash, const auto& matches) {
        if (table.index->Add(hash, entry, matches)) table.duplicates = true;
    });
}

// For each key line, the first line of its name.
std::vector<std::uint32_t> IniDocument::FirstOfEachName(const Section& section) const {
    std::vector<std::uint32_t> firsts(section.keys.count);
    ForEachHashedName(section, [&](std::uint32_t entry, std::uint64_t hash, const auto& matches) {
        firsts[entry] = section.keys.index->Find(hash, matches).value_or(entry);
    });
    return firsts;
}

bool IniDocument::KnownUnrepeated(const KeyTable& table) const {
    return table.index ? !table.duplicates : table.unrepeatedAtChange == changes_ + 1;
}

void IniDocument::LearnRepeats(const Section& section) const {
    RepeatedHashFinder repeats(section.keys.count);
    for (std::size_t entry = 0; entry < section.keys.count; ++entry) repeats.Add(NameHash(KeyNameAt(section, entry), lead_));
    if (repeats.Found())
        BuildIndex(section);
    else
        section.keys.unrepeatedAtChange = changes_ + 1;
}

std::optional<std::size_t> IniDocument::FindKey(const Section& section, std::string_view key) const {
    key = TrimName(key, lead_);
    const KeyTable& table = section.keys;
    constexpr std::uint64_t ScannedPerIndexedName = 4;
    if (!table.index && table.scanned > ScannedPerIndexedName * table.count) BuildIndex(section);
    // Without repeated names, the line that matches is the one a reader uses.
    const std::uint32_t guess = table.nextGuess;
    // Reads in file order find out once whether names repeat, for less than the index their
    // scans would soon build.
    if (!table.index && !KnownUnrepeated(table) && guess > 0 && guess < table.count &&
        SameName(KeyNameAt(section, guess), key, lead_))
        LearnRepeats(section);
    if (KnownUnrepeated(table) && guess < table.count && SameName(KeyNameAt(section, guess), key, lead_)) {
        table.nextGuess = guess + 1;
        return guess;
    }
    if (table.index) {
        const auto found = table.index->Find(NameHash(key, lead_), [&](std::uint32_t entry) {
            return SameName(KeyNameAt(section, entry), key, lead_);
        });
        if (found) table.nextGuess = *found + 1;
        return found;
    }
    for (std::size_t entry = 0; entry < table.count; ++entry) {
        const KeyEntry& line = EntryAt(section, entry);
        if ((line.nameLength == key.size() || line.nameLength == LongName) && SameName(KeyNameAt(section, entry), key, lead_)) {
            table.scanned += entry + 1;
            table.nextGuess = static_cast<std::uint32_t>(entry + 1);
            return entry;
        }
    }
    table.scanned += table.count;
    return std::nullopt;
}

std::optional<std::size_t> IniDocument::FindKeyAt(const Section& section, KeyRef ref) const {
    const std::string_view key = TrimName(ref.name, lead_);
    std::uint32_t seen = 0;
    for (std::size_t entry = 0; entry < section.keys.count; ++entry)
        if (SameName(KeyNameAt(section, entry), key, lead_) && seen++ == ref.occurrence) return entry;
    return std::nullopt;
}

template <typename Name>
std::vector<Name> IniDocument::SectionNames() const {
    Settle();
    FindAllHeaders();
    std::vector<Name> names;
    names.reserve(sections_.size());
    for (const Section& section : sections_) names.emplace_back(NameOf(section));
    return names;
}

template <typename Name>
std::vector<Name> IniDocument::KeyNames(std::string_view section) const {
    const NameList names = KeyNameList(section);
    return std::vector<Name>(names.begin(), names.end());
}

// Straight from the table: no name is looked at.
NameList IniDocument::KeyNameList(std::string_view section) const {
    Settle();
    NameList names(bytes_);
    const auto found = FindSection(section);
    if (!found) return names;
    const Section& target = sections_[*found];
    names.Reserve(target.keys.count);
    for (std::size_t entry = 0; entry < target.keys.count; ++entry) {
        const KeyEntry& key = EntryAt(target, entry);
        if (key.nameOffset == LongName) [[unlikely]]
            names.Append(KeyNameAt(target, entry));
        else
            names.Append(target.bodyBegin + key.begin + key.nameOffset, key.nameLength);
    }
    return names;
}

template std::vector<std::string_view> IniDocument::SectionNames() const;
template std::vector<std::string> IniDocument::SectionNames() const;
template std::vector<std::string_view> IniDocument::KeyNames(std::string_view) const;
template std::vector<std::string> IniDocument::KeyNames(std::string_view) const;

std::optional<std::string_view> IniDocument::Value(std::string_view section, std::string_view key) const {
    Settle();
    const auto foundSection = FindSection(section);
    if (!foundSection) return std::nullopt;
    const Section& target = sections_[*foundSection];
    const auto foundKey = FindKey(target, key);
    if (!foundKey) return std::nullopt;
    return ValueOf(KeyLineAt(target, *foundKey));
}

IniListing IniDocument::Sections() const {
    Settle();
    FindAllHeaders();
    IniListing list(bytes_);
    list.Reserve(sections_.size());
    for (const Section& section : sections_) list.Append(NameOf(section), {});
    for (std::size_t entry = 0; entry < sections_.size(); ++entry) {
        const Section& section = sections_[entry];
        if (section.occurrence == 0 && section.sameNameCount == 1) continue;
        list.SetOccurrence(entry, section.occurrence);
        list.MarkRepeated(entry);
    }
    return list;
}

// Lines are listed as the first of their names; only when two of the names' hashes are equal
// may a name repeat, and the index numbers the lines of each name. A listing without repeats
// builds no index: by-name lookups build it when they need it.
std::optional<IniListing> IniDocument::Keys(SectionRef ref) const {
    Settle();
    const auto found = FindSectionAt(ref);
    if (!found) return std::nullopt;
    const Section& section = sections_[*found];
    const std::size_t count = section.keys.count;
    const KeyTable& table = section.keys;
    const bool hashNames = !table.index && !KnownUnrepeated(table);
    RepeatedHashFinder repeats(hashNames ? count : 0);
    IniListing list(bytes_);
    list.Reserve(count);
    for (std::size_t entry = 0; entry < count; ++entry) {
        const KeyLine line = KeyLineAt(section, entry);
        const std::string_view name = NameOf(line);
        if (hashNames) repeats.Add(NameHash(name, lead_));
        list.Append(name, ValueOf(line));
    }
    if (KnownUnrepeated(table)) return list;
    if (hashNames && !repeats.Found()) {
        table.unrepeatedAtChange = changes_ + 1;
        return list;
    }
    NumberOccurrences(section, list);
    return list;
}

void IniDocument::NumberOccurrences(const Section& section, IniListing& list) const {
    if (!section.keys.index) BuildIndex(section);
    if (!section.keys.duplicates) return;
    // Each line's first of its name is needed once, when the line comes: from then on its slot
    // counts the lines of its name.
    std::vector<std::uint32_t> firsts = FirstOfEachName(section);
    for (std::size_t entry = 0; entry < section.keys.count; ++entry) {
        const std::uint32_t first = firsts[entry];
        if (first == entry)
            firsts[entry] = 0;
        else
            list.SetOccurrence(entry, ++firsts[first]);
    }
    // A later line of a name marks the first one too; its slot still names that first line.
    for (std::size_t entry = 0; entry < section.keys.count; ++entry)
        if (list.Occurrence(entry) > 0) list.MarkRepeated(firsts[entry]);
}

std::optional<std::vector<std::string_view>> IniDocument::CommentsAbove(SectionRef ref) const {
    Settle();
    const auto found = FindSectionAt(ref);
    if (!found) return std::nullopt;
    const std::size_t headerBegin = sections_[*found].headerBegin;
    return CommentsAboveLine(headerBegin == Utf8ByteOrderMark.size() && Raw().starts_with(Utf8ByteOrderMark) ? 0 : headerBegin);
}

std::optional<std::vector<std::string_view>> IniDocument::CommentsAbove(KeyRef ref) const {
    Settle();
    const auto section = FindSectionAt(ref.section);
    if (!section) return std::nullopt;
    const auto entry = FindKeyAt(sections_[*section], ref);
    if (!entry) return std::nullopt;
    return CommentsAboveLine(KeyLineAt(sections_[*section], *entry).begin);
}

// Walks up from a line start while the lines above are comments.
std::optional<std::vector<std::string_view>> IniDocument::CommentsAboveLine(std::size_t lineBegin) const {
    std::vector<std::string_view> comments;
    for (std::size_t at = lineBegin; at > 0;) {
        const std::size_t endLength = Raw()[at - 1] == '\n' && at >= 2 && Raw()[at - 2] == '\r' ? 2 : 1;
        const std::size_t contentEnd = at - endLength;
        std::size_t begin = contentEnd;
        while (begin > 0 && Raw()[begin - 1] != '\n' && Raw()[begin - 1] != '\r') --begin;
        if (begin == 0 && Raw().starts_with(Utf8ByteOrderMark) && contentEnd >= Utf8ByteOrderMark.size())
            begin = Utf8ByteOrderMark.size();
        const std::string_view content = Slice(begin, contentEnd);
        if (ParseIniLine(content, lead_).kind != IniLineKind::Comment) break;
        comments.push_back(content);
        at = begin == Utf8ByteOrderMark.size() && Raw().starts_with(Utf8ByteOrderMark) ? 0 : begin;
    }
    std::reverse(comments.begin(), comments.end());
    return comments;
}

EditResult IniDocument::Refuse(IniFailure reason) {
    refusal_ = reason;
    return EditResult::Refused;
}

// Every edit: a fresh record of what it changes, kept when it changed something. Only a
// value set works on bytes with tails held aside.
template <typename Edit>
EditResult IniDocument::Run(Edit edit, bool setsValue) {
    if (!(setsValue && batching_)) Settle();
    refusal_ = IniFailure::None;
    recorder_ = EditRecorder();
    const EditResult result = edit();
    if (result == EditResult::Changed) {
        ++changes_;
        if (batching_) {
            change_ = recorder_.Finish();
        } else {
            change_ = recorder_.Finish(Raw());
            PlaceSpans(change_);
        }
    }
    return result;
}

std::optional<std::string> IniDocument::NewKeyLine(std::string_view key, std::string_view value) const {
    const std::optional<std::string> quoted = QuotedValue(value);
    if (!quoted || !HoldsName(key, lead_)) return std::nullopt;
    std::string line;
    line.reserve(key.size() + 1 + quoted->size());
    line.append(key).append(1, '=').append(*quoted);
    if (!ReadsBackAsKey(line, key, value, lead_)) return std::nullopt;
    return line;
}

EditResult IniDocument::SetValue(std::string_view section, std::string_view key, std::string_view value) {
    return Run([&] {
        if (!QuotedValue(value)) return Refuse(IniFailure::CannotHold);
        const auto found = FindSectionHeader(section);
        if (found)
            if (const auto line = FirstKeyLine(*found, key)) return ReplaceValue(*found, *line, value);
        const std::optional<std::string> line = NewKeyLine(key, value);
        if (!line) return Refuse(IniFailure::CannotHold);
        Settle();
        if (!found) return AppendSection(section, *line);
        ReadSectionToEnd(*found);
        return AppendKeyLine(*found, *line);
    }, true);
}

// Only the value's own bytes change; the name, the blanks and the line end stay as they were.
EditResult IniDocument::ReplaceValue(std::size_t section, const KeyLine& line, std::string_view value) {
    const std::string_view tail = TailNow(line);
    const ValueSpot spot = ValueIn(tail);
    const std::string_view raw = tail.substr(spot.begin, spot.end - spot.begin);
    const std::optional<std::string> quoted = QuotedLike(raw, value);
    if (!quoted) return Refuse(IniFailure::CannotHold);
    if (UnquotedValue(raw) == value) return EditResult::Unchanged;
    const std::string text = spot.hasEquals ? *quoted : "=" + *quoted;
    // In the tail: where the value is, or right after the name for the "=" a line lacks.
    const std::size_t at = spot.hasEquals ? spot.begin : 0;
    const std::size_t length = spot.hasEquals ? spot.end - spot.begin : 0;
    // A name ending in a lead byte would take the "=" put after it.
    std::string content(Slice(line.begin, line.nameEnd));
    content.append(tail.substr(0, at)).append(text).append(tail.substr(at + length));
    if (!ReadsBackAsKey(content, NameOf(line), value, lead_)) return Refuse(IniFailure::CannotHold);
    if (!Fits(text.size())) return Refuse(IniFailure::TooLarge);
    if (!batching_) {
        Splice(section, line.nameEnd + at, length, text);
        return EditResult::Changed;
    }
    recorder_.Replaced(OffsetNow(line.nameEnd) + at, tail.substr(at, length), text);
    content.erase(0, line.nameEnd - line.begin);
    heldGrowth_ += static_cast<std::ptrdiff_t>(text.size()) - static_cast<std::ptrdiff_t>(length);
    held_.insert_or_assign(line.nameEnd, HeldTail{line.nameEnd, line.contentEnd, std::move(content)});
    return EditResult::Changed;
}

void IniDocument::Settle() const {
    if (held_.empty()) return;
    // A batch may hold tails of lines the header search has not read yet.
    const std::size_t scanAt = OffsetNow(headerScanAt_);
    std::vector<Replacement> replacements;
    replacements.reserve(held_.size());
    for (const auto& [begin, tail] : held_) replacements.push_back({begin, tail.end, tail.bytes});
    if (bytes_.use_count() > 1)
        bytes_ = std::make_shared<std::string>(
            ReplacedCopy(Raw(), replacements, static_cast<std::size_t>(static_cast<std::ptrdiff_t>(Raw().size()) + heldGrowth_)));
    else
        ReplaceInPlace(*bytes_, replacements);
    // Each tail lies in one key line: the lines after it in its section, and every section
    // after that, move by what it adds.
    auto held = held_.begin();
    std::ptrdiff_t shift = 0;
    for (Section& section : sections_) {
        const std::size_t bodyBegin = section.bodyBegin;
        const std::size_t bodyEnd = section.bodyEnd;
        section.headerBegin += shift;
        section.bodyBegin += shift;
        // A tail can end the file, where the last section's body ends too.
        if (held != held_.end() && held->first <= bodyEnd) {
            std::ptrdiff_t inBody = 0;
            for (std::size_t entry = 0; entry < section.keys.count; ++entry) {
                KeyEntry& key = EntryAt(section, entry);
                for (; held != held_.end() && held->first < bodyBegin + key.begin; ++held) inBody += held->second.Growth();
                key.begin = static_cast<std::uint32_t>(key.begin + inBody);
            }
            for (; held != held_.end() && held->first <= bodyEnd; ++held) inBody += held->second.Growth();
            shift += inBody;
        }
        section.bodyEnd += shift;
    }
    headerScanAt_ = scanAt;
    held_.clear();
    heldGrowth_ = 0;
}

void IniDocument::Splice(std::size_t section, std::size_t at, std::size_t length, std::string_view text) {
    Section& target = sections_[section];
    // By the name, not by where the body begins: a header without a line end has its body
    // begin right after it, where an empty name is too.
    const bool inHeader = at <= target.headerBegin + target.nameOffset + target.nameLength;
    recorder_.Replaced(at, Slice(at, at + length), text);
    Own().replace(at, length, text);
    const auto delta = static_cast<std::ptrdiff_t>(text.size()) - static_cast<std::ptrdiff_t>(length);
    if (inHeader) {
        target.bodyBegin += delta;
    } else {
        const auto first = keys_.begin() + target.keys.first;
        const auto end = first + target.keys.count;
        const auto relative = static_cast<std::uint32_t>(at - target.bodyBegin);
        const auto later = std::upper_bound(first, end, relative,
                                            [](std::uint32_t offset, const KeyEntry& line) { return offset < line.begin; });
        for (auto line = later; line != end; ++line) line->begin = static_cast<std::uint32_t>(line->begin + delta);
    }
    target.bodyEnd += delta;
    ShiftSectionsAfter(section, at, delta);
}

void IniDocument::ShiftSectionsAfter(std::size_t section, std::size_t at, std::ptrdiff_t delta) {
    for (std::size_t later = section + 1; later < sections_.size(); ++later) {
        Section& moved = sections_[later];
        moved.headerBegin += delta;
        moved.bodyBegin += delta;
        moved.bodyEnd += delta;
    }
    // A change in lines not read yet leaves where the reading goes on.
    if (at < headerScanAt_) headerScanAt_ += delta;
}

// A new key goes after the last key line of its section, or right under its header.
EditResult IniDocument::AppendKeyLine(std::size_t section, const std::string& line) {
    Section& target = sections_[section];
    KeyTable& table = target.keys;
    std::size_t where = table.count == 0 ? target.bodyBegin : KeyLineAt(target, table.count - 1).next;
    // A lone CR before an empty LF line would join them; CR LF keeps both lines as they are.
    const std::string end = lineEnd_ == "\r" && where < Raw().size() && Raw()[where] == '\n' ? "\r\n" : lineEnd_;
    if (!Fits(line.size() + 2 * end.size())) return Refuse(IniFailure::TooLarge);
    if (where == Raw().size() && EndsWithoutLineEnd()) {
        AppendFinalLineEnd();
        where = Raw().size();
    }
    const std::string text = line + end;
    recorder_.Replaced(where, {}, text);
    Own().insert(where, text);
    target.bodyEnd += text.size();
    const std::uint32_t entry = table.count;
    keys_.insert(keys_.begin() + table.first + table.count, EntryOf(ParseKeyLine(where, target.bodyEnd), target.bodyBegin));
    ++table.count;
    for (std::size_t later = section + 1; later < sections_.size(); ++later) ++sections_[later].keys.first;
    if (table.index) {
        const std::string_view name = KeyNameAt(target, entry);
        if (table.index->Add(NameHash(name, lead_), entry, [&](std::uint32_t other) {
                return SameName(KeyNameAt(target, other), name, lead_);
            }))
            table.duplicates = true;
    }
    ShiftSectionsAfter(section, where, static_cast<std::ptrdiff_t>(text.size()));
    return EditResult::Changed;
}

// A new section goes at the end of the file, so every header is known first; with its first key
// line, unless that is empty.
EditResult IniDocument::AppendSection(std::string_view section, const std::string& keyLine) {
    const std::string header = HeaderLine(section);
    const IniLine parsed = ParseIniLine(header, lead_);
    if (parsed.kind != IniLineKind::Header || parsed.name != section || !HoldsName(section, lead_))
        return Refuse(IniFailure::CannotHold);
    if (!Fits(header.size() + keyLine.size() + 3 * lineEnd_.size())) return Refuse(IniFailure::TooLarge);
    FindAllHeaders();
    if (EndsWithoutLineEnd()) AppendFinalLineEnd();
    const std::size_t at = Raw().size();
    const std::string text = header + lineEnd_ + (keyLine.empty() ? std::string() : keyLine + lineEnd_);
    recorder_.Replaced(at, {}, text);
    Own() += text;
    headerScanAt_ = at;
    allHeaders_ = false;
    FindAllHeaders();
    return EditResult::Changed;
}

// The file's last line gets its line end. It belongs to the last section's body, or ends the
// header of a section that has no body yet.
void IniDocument::AppendFinalLineEnd() {
    const std::size_t oldSize = Raw().size();
    recorder_.Replaced(oldSize, {}, lineEnd_);
    Own() += lineEnd_;
    FindAllHeaders();
    if (!sections_.empty()) {
        Section& last = sections_.back();
        if (last.bodyBegin == oldSize) last.bodyBegin = Raw().size();
        last.bodyEnd = Raw().size();
    }
    headerScanAt_ = Raw().size();
}

bool IniDocument::EndsWithoutLineEnd() const {
    return !Raw().empty() && Raw().back() != '\n' && Raw().back() != '\r';
}

// Lines the header search has not read yet are searched for the name alone, without entering
// them in the section's table.
EditResult IniDocument::RemoveKey(std::string_view section, std::string_view key) {
    return Run([&] {
        const auto found = FindSectionHeader(section);
        if (!found) return EditResult::Unchanged;
        const Section& target = sections_[*found];
        const std::string_view name = TrimName(key, lead_);
        const bool unread = HasUnreadLines(*found);
        const auto first = unread ? FirstReadLineOf(target, name) : FindKey(target, key);
        std::vector<std::size_t> entries;
        if (first) {
            entries.push_back(*first);
            // No line before the first of the name has it; an index that knows no name repeats
            // leaves none after it either.
            if (!target.keys.index || target.keys.duplicates)
                for (std::size_t entry = *first + 1; entry < target.keys.count; ++entry)
                    if (SameName(KeyNameAt(target, entry), name, lead_)) entries.push_back(entry);
        }
        std::vector<Range> lines = unread ? UnreadLinesOf(name, SIZE_MAX) : std::vector<Range>();
        if (entries.empty() && lines.empty()) return EditResult::Unchanged;
        return RemoveKeyLines(*found, entries, lines);
    });
}

EditResult IniDocument::RemoveKeyLines(std::size_t section, const std::vector<std::size_t>& entries,
                                       const std::vector<Range>& unread) {
    Section& target = sections_[section];
    std::vector<Range> ranges;
    std::size_t removed = 0;
    for (const std::size_t entry : entries) {
        const KeyLine line = KeyLineAt(target, entry);
        ranges.emplace_back(line.begin, line.next);
        removed += line.next - line.begin;
    }
    ranges.insert(ranges.end(), unread.begin(), unread.end());
    if (WouldJoinLines(ranges)) return Refuse(IniFailure::JoinsLines);
    EraseRanges(ranges);
    if (!entries.empty()) DropEntries(section, entries, ranges);
    // Where the header search stopped is before the unread lines; no header after it is known.
    for (const Range& line : unread) target.bodyEnd -= line.second - line.first;
    target.bodyEnd -= removed;
    ShiftSectionsAfter(section, ranges.front().first, -static_cast<std::ptrdiff_t>(removed));
    return EditResult::Changed;
}

// The lines that stay move down by what was removed before them.
void IniDocument::DropEntries(std::size_t section, const std::vector<std::size_t>& entries, const std::vector<Range>& ranges) {
    Section& target = sections_[section];
    std::size_t kept = entries.front();
    std::uint32_t shift = 0;
    for (std::size_t entry = entries.front(), next = 0; entry < target.keys.count; ++entry) {
        if (next < entries.size() && entries[next] == entry) {
            shift += static_cast<std::uint32_t>(ranges[next].second - ranges[next].first);
            ++next;
            continue;
        }
        EntryAt(target, kept) = EntryAt(target, entry);
        EntryAt(target, kept++).begin -= shift;
    }
    keys_.erase(keys_.begin() + target.keys.first + kept, keys_.begin() + target.keys.first + target.keys.count);
    for (std::size_t later = section + 1; later < sections_.size(); ++later) sections_[later].keys.first -= static_cast<std::uint32_t>(entries.size());
    target.keys.count = static_cast<std::uint32_t>(kept);
    target.keys.index.reset();
    target.keys.scanned = 0;
}

// A section's own lines run from its header to its last key line; blank lines and comments
// after that are left to whatever comes before it.
EditResult IniDocument::RemoveSection(std::string_view section) {
    return Run([&] {
        FindAllHeaders();
        const auto first = FindSection(section);
        if (!first) return EditResult::Unchanged;
        const std::string_view name = NameOf(sections_[*first]);
        std::vector<std::size_t> matching;
        for (std::size_t entry = *first; entry < sections_.size(); ++entry)
            if (SameName(NameOf(sections_[entry]), name, lead_)) matching.push_back(entry);
        return RemoveSections(matching);
    });
}

EditResult IniDocument::RemoveSections(const std::vector<std::size_t>& sections) {
    std::vector<Range> blocks;
    for (const std::size_t entry : sections) {
        const Section& each = sections_[entry];
        const std::size_t keys = each.keys.count;
        blocks.emplace_back(each.headerBegin, keys == 0 ? each.bodyBegin : KeyLineAt(each, keys - 1).next);
    }
    if (WouldJoinLines(blocks)) return Refuse(IniFailure::JoinsLines);
    EraseRanges(blocks);
    Reset();
    return EditResult::Changed;
}

// A lone CR left just before an LF would make one line end of two lines that stay: no removal
// can avoid that without changing them, so such a removal is refused.
bool IniDocument::WouldJoinLines(const std::vector<Range>& ranges) const {
    for (std::size_t i = 0; i < ranges.size(); ++i) {
        const std::size_t begin = ranges[i].first;
        std::size_t end = ranges[i].second;
        while (i + 1 < ranges.size() && ranges[i + 1].first == end) end = ranges[++i].second;
        if (begin > 0 && end < Raw().size() && Raw()[begin - 1] == '\r' && Raw()[end] == '\n') return true;
    }
    return false;
}

// Ranges in file order, not overlapping; the bytes between them move down in one pass.
void IniDocument::EraseRanges(const std::vector<Range>& ranges) {
    std::size_t erased = 0;
    for (const Range& range : ranges) {
        recorder_.Replaced(range.first - erased, Slice(range.first, range.second), {});
        erased += range.second - range.first;
    }
    std::string& bytes = Own();
    std::size_t out = ranges.front().first;
    for (std::size_t i = 0; i < ranges.size(); ++i) {
        const std::size_t keepBegin = ranges[i].second;
        const std::size_t keepEnd = i + 1 < ranges.size() ? ranges[i + 1].first : bytes.size();
        std::memmove(bytes.data() + out, bytes.data() + keepBegin, keepEnd - keepBegin);
        out += keepEnd - keepBegin;
    }
    bytes.resize(out);
}

std::optional<std::size_t> IniDocument::TargetSection(SectionRef ref) {
    const auto found = FindSectionAt(ref);
    if (!found || NameOf(sections_[*found]) != TrimName(ref.name, lead_)) return std::nullopt;
    return found;
}

std::optional<std::pair<std::size_t, std::size_t>> IniDocument::TargetKey(KeyRef ref,
                                                                           const std::string_view* shownValue) {
    const auto section = TargetSection(ref.section);
    if (!section) return std::nullopt;
    const auto entry = FindKeyAt(sections_[*section], ref);
    if (!entry) return std::nullopt;
    const KeyLine line = KeyLineAt(sections_[*section], *entry);
    if (NameOf(line) != TrimName(ref.name, lead_) || (shownValue && ValueNow(line) != *shownValue)) return std::nullopt;
    return std::make_pair(*section, *entry);
}

bool IniDocument::HasOtherKey(const Section& section, std::string_view name, std::optional<std::size_t> except) const {
    for (std::size_t entry = 0; entry < section.keys.count; ++entry)
        if (entry != except && SameName(KeyNameAt(section, entry), name, lead_)) return true;
    return false;
}

EditResult IniDocument::SetValueAt(KeyRef key, std::string_view shownValue, std::string_view value) {
    return Run([&] {
        const auto target = TargetKey(key, &shownValue);
        if (!target) return Refuse(IniFailure::Stale);
        return ReplaceValue(target->first, KeyLineAt(sections_[target->first], target->second), value);
    }, true);
}

EditResult IniDocument::RemoveKeyAt(KeyRef key, std::string_view shownValue) {
    return Run([&] {
        const auto target = TargetKey(key, &shownValue);
        if (!target) return Refuse(IniFailure::Stale);
        return RemoveKeyLines(target->first, {target->second}, {});
    });
}

EditResult IniDocument::RemoveSectionAt(SectionRef section) {
    return Run([&] {
        const auto target = TargetSection(section);
        if (!target) return Refuse(IniFailure::Stale);
        return RemoveSections({*target});
    });
}

EditResult IniDocument::AddKey(SectionRef section, std::string_view key, std::string_view value) {
    return AddKeyLine(section, key, value, false);
}

EditResult IniDocument::AppendKey(SectionRef section, std::string_view key, std::string_view value) {
    return AddKeyLine(section, key, value, true);
}

EditResult IniDocument::AddKeyLine(SectionRef section, std::string_view key, std::string_view value, bool repeat) {
    return Run([&] {
        const auto target = TargetSection(section);
        if (!target) return Refuse(IniFailure::Stale);
        const std::optional<std::string> line = NewKeyLine(key, value);
        if (!line) return Refuse(IniFailure::CannotHold);
        if (!repeat && HasOtherKey(sections_[*target], key, std::nullopt)) return Refuse(IniFailure::NameTaken);
        return AppendKeyLine(*target, *line);
    });
}

EditResult IniDocument::AddHeader(std::string_view section) {
    return Run([&] { return AppendSection(section, {}); });
}

EditResult IniDocument::RenameKey(KeyRef key, std::string_view name) {
    return Run([&] {
        const auto target = TargetKey(key, nullptr);
        if (!target) return Refuse(IniFailure::Stale);
        if (name.empty()) return Refuse(IniFailure::EmptyName);
        const auto [section, entry] = *target;
        const KeyLine line = KeyLineAt(sections_[section], entry);
        if (NameOf(line) == name) return EditResult::Unchanged;
        std::string renamed(Slice(line.begin, line.nameBegin));
        renamed.append(name).append(Slice(line.nameEnd, line.contentEnd));
        const IniLine parsed = ParseIniLine(renamed, lead_);
        if (!HoldsName(name, lead_) || parsed.kind != IniLineKind::Key || parsed.name != name ||
            parsed.hasEquals != line.hasEquals || parsed.RawValue(renamed) != Slice(line.valueBegin, line.valueEnd))
            return Refuse(IniFailure::CannotHold);
        if (HasOtherKey(sections_[section], name, entry)) return Refuse(IniFailure::NameTaken);
        if (!Fits(name.size())) return Refuse(IniFailure::TooLarge);
        Splice(section, line.nameBegin, line.nameEnd - line.nameBegin, name);
        Section& keys = sections_[section];
        EntryAt(keys, entry) = EntryOf(ParseKeyLine(line.begin, keys.bodyEnd), keys.bodyBegin);
        keys.keys.index.reset();
        keys.keys.scanned = 0;
        return EditResult::Changed;
    });
}

EditResult IniDocument::RenameSection(SectionRef section, std::string_view name) {
    return Run([&] {
        FindAllHeaders();
        const auto target = TargetSection(section);
        if (!target) return Refuse(IniFailure::Stale);
        if (name.empty()) return Refuse(IniFailure::EmptyName);
        const Section& renamed = sections_[*target];
        if (NameOf(renamed) == name) return EditResult::Unchanged;
        const std::size_t nameBegin = renamed.headerBegin + renamed.nameOffset;
        const std::size_t contentEnd = FindLineBreak(Slice(0, renamed.bodyBegin), renamed.headerBegin);
        std::string header(Slice(renamed.headerBegin, nameBegin));
        header.append(name).append(Slice(nameBegin + renamed.nameLength, contentEnd));
        const IniLine parsed = ParseIniLine(header, lead_);
        if (!HoldsName(name, lead_) || parsed.kind != IniLineKind::Header || parsed.name != name)
            return Refuse(IniFailure::CannotHold);
        for (std::size_t entry = 0; entry < sections_.size(); ++entry)
            if (entry != *target && SameName(NameOf(sections_[entry]), name, lead_))
                return Refuse(IniFailure::NameTaken);
        if (!Fits(name.size())) return Refuse(IniFailure::TooLarge);
        Splice(*target, nameBegin, renamed.nameLength, name);
        sections_[*target].nameLength = static_cast<std::uint32_t>(name.size());
        ReindexSections();
        return EditResult::Changed;
    });
}

EditResult IniDocument::Replay(const EditRecord& record, ReplayDirection direction) {
    return Run([&] {
        const auto found = LocateSpans(record, direction, Raw(), [this](std::optional<std::size_t> point) { return PlaceAt(point); });
        if (!found) return Refuse(IniFailure::Stale);
        const bool undo = direction == ReplayDirection::Undo;
        std::vector<Replacement> replacements;
        bool sameLengths = true;
        bool same = true;
        std::size_t size = Raw().size();
        for (std::size_t i = 0; i < record.spans.size(); ++i) {
            const std::string& current = undo ? record.spans[i].after : record.spans[i].before;
            const std::string& wanted = undo ? record.spans[i].before : record.spans[i].after;
            replacements.push_back({(*found)[i], (*found)[i] + current.size(), wanted});
            sameLengths = sameLengths && current.size() == wanted.size();
            same = same && current == wanted;
            size = size - current.size() + wanted.size();
        }
        if (size > MaxSize) return Refuse(IniFailure::TooLarge);
        if (sameLengths && same) return EditResult::Unchanged;
        std::ptrdiff_t growth = 0;
        for (const Replacement& replacement : replacements) {
            const std::size_t length = replacement.end - replacement.begin;
            recorder_.Replaced(static_cast<std::size_t>(static_cast<std::ptrdiff_t>(replacement.begin) + growth),
                               Slice(replacement.begin, replacement.end), replacement.text);
            growth += static_cast<std::ptrdiff_t>(replacement.text.size()) - static_cast<std::ptrdiff_t>(length);
        }
        // Spans of other lengths that leave the same size can, moved, give back the same bytes:
        // only a copy tells.
        if (bytes_.use_count() == 1 && (size != Raw().size() || sameLengths)) {
            ReplaceInPlace(*bytes_, replacements);
        } else {
            std::string replayed = ReplacedCopy(Raw(), replacements, size);
            if (replayed == Raw()) return EditResult::Unchanged;
            bytes_ = std::make_shared<std::string>(std::move(replayed));
        }
        Reset();
        return EditResult::Changed;
    });
}
