#include "platform/profile/ini_document.h"

#include <cstring>

#include "platform/profile/ini_line.h"
#include "platform/profile/line_cursor.h"

namespace {

constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";

bool LooksLikeHeader(std::string_view content) {
    std::size_t at = 0;
    while (at < content.size() && IsBlank(content[at])) ++at;
    return at < content.size() && content[at] == '[';
}

bool ReadsBackAsKey(std::string_view line, std::string_view key, std::string_view value,
                    const LeadTable& lead) {
    const IniLine parsed = ParseIniLine(line, lead);
    return parsed.kind == IniLineKind::Key && parsed.hasEquals && parsed.name == key &&
           UnquotedValue(parsed.RawValue(line)) == value;
}

bool ReadsBackAsHeader(std::string_view line, std::string_view section, const LeadTable& lead) {
    const IniLine parsed = ParseIniLine(line, lead);
    return parsed.kind == IniLineKind::Header && parsed.name == section;
}

}  // namespace

IniDocument::IniDocument(std::string bytes, LeadTable lead)
    : bytes_(std::move(bytes)), lead_(lead) {
    Scan();
}

void IniDocument::Scan() {
    sections_.clear();
    sectionIndex_ = NameIndex();
    LineCursor first(bytes_);
    const LineCursor::Line line = first.AtEnd() ? LineCursor::Line{0, 0, 0} : first.Next();
    lineEnd_ = line.next > line.contentEnd ? bytes_.substr(line.contentEnd, line.next - line.contentEnd) : "\n";
    FindHeaders(0);
}

void IniDocument::FindHeaders(std::size_t from) {
    headerScanAt_ = from;
    allHeaders_ = false;
}

template <typename Enough>
void IniDocument::FindMoreHeaders(Enough enough) const {
    if (allHeaders_) return;
    const std::size_t from = headerScanAt_;
    LineCursor cursor(Slice(from, bytes_.size()));
    while (!cursor.AtEnd()) {
        const LineCursor::Line line = cursor.Next();
        const std::size_t lineBegin = from + line.begin;
        const std::size_t contentEnd = from + line.contentEnd;
        const std::size_t begin =
            lineBegin == 0 && bytes_.starts_with(ByteOrderMark) ? ByteOrderMark.size() : lineBegin;
        const std::string_view content = Slice(begin, contentEnd);
        if (!LooksLikeHeader(content)) continue;
        const std::string_view name = ParseIniLine(content, lead_).name;
        if (!sections_.empty()) sections_.back().bodyEnd = lineBegin;
        const auto entry = static_cast<std::uint32_t>(sections_.size());
        sections_.push_back(Section{begin, from + line.next, bytes_.size(),
                                    static_cast<std::size_t>(name.data() - bytes_.data()),
                                    name.size(), nullptr});
        sectionIndex_.Add(NameHash(name, lead_), entry, [&](std::uint32_t other) {
            return SameName(NameOf(sections_[other]), name, lead_);
        });
        if (enough()) {
            headerScanAt_ = from + line.next;
            return;
        }
    }
    headerScanAt_ = bytes_.size();
    allHeaders_ = true;
}

void IniDocument::FindAllHeaders() const {
    FindMoreHeaders([] { return false; });
}

std::string_view IniDocument::Slice(std::size_t begin, std::size_t end) const {
    return std::string_view(bytes_).substr(begin, end - begin);
}

std::string_view IniDocument::NameOf(const Section& section) const {
    return Slice(section.nameBegin, section.nameBegin + section.nameLength);
}

std::string_view IniDocument::NameOf(const Section& section, const KeyLine& line) const {
    const std::size_t begin = section.bodyBegin + line.nameBegin;
    return Slice(begin, begin + line.nameLength);
}

std::optional<IniDocument::KeyLine> IniDocument::ReadKeyLine(const Section& section, std::size_t begin,
                                                             std::size_t contentEnd, std::size_t next) const {
    const std::string_view content = Slice(section.bodyBegin + begin, section.bodyBegin + contentEnd);
    const IniLine parsed = ParseIniLine(content, lead_);
    if (parsed.kind != IniLineKind::Key) return std::nullopt;
    const auto nameBegin = static_cast<std::size_t>(parsed.name.data() - content.data());
    return KeyLine{begin, contentEnd, next, begin + nameBegin, parsed.name.size(),
                   begin + parsed.valueBegin, begin + parsed.valueEnd, parsed.hasEquals, true};
}

// A section's body ends at the next header, so that one has to be found too.
std::optional<std::size_t> IniDocument::FindSection(std::string_view name) const {
    const std::uint64_t hash = NameHash(name, lead_);
    const auto find = [&] {
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
    return found;
}

IniDocument::KeyTable& IniDocument::KeysOf(const Section& section) const {
    if (section.keys) return *section.keys;
    auto table = std::make_unique<KeyTable>();
    const std::string_view body = Slice(section.bodyBegin, section.bodyEnd);
    std::size_t lineCount = 0;  // counting first is cheaper than growing the table step by step
    for (LineCursor counter(body); !counter.AtEnd(); counter.Next()) ++lineCount;
    table->lines.reserve(lineCount);
    LineCursor cursor(body);
    while (!cursor.AtEnd()) {
        const LineCursor::Line line = cursor.Next();
        if (auto key = ReadKeyLine(section, line.begin, line.contentEnd, line.next)) table->lines.push_back(*key);
    }
    section.keys = std::move(table);
    return *section.keys;
}

void IniDocument::BuildIndex(const Section& section, KeyTable& table) const {
    table.index.Reserve(table.lines.size());
    for (std::size_t entry = 0; entry < table.lines.size(); ++entry) {
        KeyLine& line = table.lines[entry];
        const std::string_view name = NameOf(section, line);
        line.firstOfName = table.index.Add(NameHash(name, lead_), static_cast<std::uint32_t>(entry),
                                           [&](std::uint32_t other) {
                                               return SameName(NameOf(section, table.lines[other]), name, lead_);
                                           });
    }
    table.indexed = true;
}

std::optional<std::size_t> IniDocument::FindKey(const Section& section, std::string_view key) const {
    KeyTable& table = KeysOf(section);
    std::optional<std::size_t> found;
    if (!table.indexed && !table.scanned) {
        table.scanned = true;
        for (std::size_t entry = 0; entry < table.lines.size() && !found; ++entry)
            if (SameName(NameOf(section, table.lines[entry]), key, lead_)) found = entry;
    } else {
        if (!table.indexed) BuildIndex(section, table);
        if (table.nextGuess < table.lines.size()) {
            const KeyLine& guess = table.lines[table.nextGuess];
            if (guess.firstOfName && SameName(NameOf(section, guess), key, lead_)) return table.nextGuess++;
        }
        found = table.index.Find(NameHash(key, lead_), [&](std::uint32_t entry) {
            return SameName(NameOf(section, table.lines[entry]), key, lead_);
        });
    }
    if (found) table.nextGuess = *found + 1;
    return found;
}

std::vector<std::string_view> IniDocument::SectionNames() const {
    FindAllHeaders();
    std::vector<std::string_view> names;
    names.reserve(sections_.size());
    for (const Section& section : sections_) names.push_back(NameOf(section));
    return names;
}

std::vector<std::string_view> IniDocument::KeyNames(std::string_view section) const {
    std::vector<std::string_view> names;
    const auto found = FindSection(section);
    if (!found) return names;
    const Section& target = sections_[*found];
    const KeyTable& keys = KeysOf(target);
    names.reserve(keys.lines.size());
    for (const KeyLine& line : keys.lines) names.push_back(NameOf(target, line));
    return names;
}

std::optional<std::string_view> IniDocument::Value(std::string_view section,
                                                   std::string_view key) const {
    const auto foundSection = FindSection(section);
    if (!foundSection) return std::nullopt;
    const Section& target = sections_[*foundSection];
    const auto foundKey = FindKey(target, key);
    if (!foundKey) return std::nullopt;
    const KeyLine& line = target.keys->lines[*foundKey];
    return UnquotedValue(Slice(target.bodyBegin + line.valueBegin, target.bodyBegin + line.valueEnd));
}

EditResult IniDocument::SetValue(std::string_view section, std::string_view key,
                                 std::string_view value) {
    FindAllHeaders();
    const std::optional<std::string> quoted = QuotedValue(value);
    if (!quoted || !FitsOnOneLine(section) || !FitsOnOneLine(key)) return EditResult::Refused;
    const std::string keyLine = std::string(key) + "=" + *quoted;
    if (!ReadsBackAsKey(keyLine, key, value, lead_)) return EditResult::Refused;

    const auto foundSection = FindSection(section);
    if (!foundSection) {
        const std::string header = "[" + std::string(section) + "]";
        if (!ReadsBackAsHeader(header, section, lead_)) return EditResult::Refused;
        AppendSection(header, keyLine);
        return EditResult::Changed;
    }
    if (const auto foundKey = FindKey(sections_[*foundSection], key))
        return ReplaceValue(*foundSection, *foundKey, value, *quoted);
    AppendKeyLine(*foundSection, keyLine);
    return EditResult::Changed;
}

// Only the value's own bytes change; the name, the blanks and the line end stay as they were.
EditResult IniDocument::ReplaceValue(std::size_t section, std::size_t entry, std::string_view value,
                                     const std::string& quoted) {
    Section& target = sections_[section];
    std::vector<KeyLine>& lines = target.keys->lines;
    const KeyLine old = lines[entry];
    const std::size_t body = target.bodyBegin;
    if (UnquotedValue(Slice(body + old.valueBegin, body + old.valueEnd)) == value) return EditResult::Unchanged;
    const std::string text = old.hasEquals ? quoted : "=" + quoted;
    const std::size_t at = old.hasEquals ? old.valueBegin : old.nameBegin + old.nameLength;
    const std::size_t length = old.hasEquals ? old.valueEnd - old.valueBegin : 0;
    bytes_.replace(body + at, length, text);
    const auto delta = static_cast<std::ptrdiff_t>(text.size()) - static_cast<std::ptrdiff_t>(length);
    lines[entry] = *ReadKeyLine(target, old.begin, old.contentEnd + delta, old.next + delta);
    lines[entry].firstOfName = old.firstOfName;
    for (std::size_t later = entry + 1; later < lines.size(); ++later)
        for (std::size_t* offset : {&lines[later].begin, &lines[later].contentEnd, &lines[later].next,
                                    &lines[later].nameBegin, &lines[later].valueBegin, &lines[later].valueEnd})
            *offset += delta;
    Resize(section, delta);
    return EditResult::Changed;
}

// New lines always end with a line end; a last line that had none gets one first. That changes
// a line the index knows, so the file is scanned again then, which happens once per file at most.
void IniDocument::AppendKeyLine(std::size_t section, const std::string& line) {
    Section& target = sections_[section];
    KeyTable& table = *target.keys;
    const std::size_t at = table.lines.empty() ? 0 : table.lines.back().next;
    if (target.bodyBegin + at == bytes_.size() && EndsWithoutLineEnd()) {
        bytes_ += lineEnd_ + line + lineEnd_;
        Scan();
        return;
    }
    // A lone CR before an empty LF line would join them; CR LF keeps both lines as they are.
    const std::size_t where = target.bodyBegin + at;
    const std::string end = lineEnd_ == "\r" && where < bytes_.size() && bytes_[where] == '\n' ? "\r\n" : lineEnd_;
    bytes_.insert(where, line + end);
    const KeyLine added = *ReadKeyLine(target, at, at + line.size(), at + line.size() + end.size());
    if (table.indexed)  // the key was looked for and not found: no earlier one can match
        table.index.Add(NameHash(NameOf(target, added), lead_), static_cast<std::uint32_t>(table.lines.size()),
                        [](std::uint32_t) { return false; });
    table.lines.push_back(added);
    Resize(section, static_cast<std::ptrdiff_t>(line.size() + end.size()));
}

void IniDocument::AppendSection(const std::string& header, const std::string& keyLine) {
    const std::size_t end = bytes_.size();
    const bool addLineEnd = EndsWithoutLineEnd();
    bytes_ += (addLineEnd ? lineEnd_ : std::string()) + header + lineEnd_ + keyLine + lineEnd_;
    if (addLineEnd)
        Scan();
    else
        FindHeaders(end);
}

bool IniDocument::EndsWithoutLineEnd() const {
    return !bytes_.empty() && bytes_.back() != '\n' && bytes_.back() != '\r';
}

// A section's body grew or shrank by delta bytes: the sections after it move.
void IniDocument::Resize(std::size_t section, std::ptrdiff_t delta) {
    sections_[section].bodyEnd += delta;
    for (std::size_t later = section + 1; later < sections_.size(); ++later) {
        Section& moved = sections_[later];
        moved.headerBegin += delta;
        moved.bodyBegin += delta;
        moved.bodyEnd += delta;
        moved.nameBegin += delta;
    }
}

EditResult IniDocument::RemoveKey(std::string_view section, std::string_view key) {
    FindAllHeaders();
    const auto foundSection = FindSection(section);
    if (!foundSection || !FindKey(sections_[*foundSection], key)) return EditResult::Unchanged;
    Section& target = sections_[*foundSection];
    std::vector<Range> lines;
    std::size_t removed = 0;
    for (const KeyLine& line : target.keys->lines) {
        if (!SameName(NameOf(target, line), key, lead_)) continue;
        lines.emplace_back(target.bodyBegin + line.begin, target.bodyBegin + line.next);
        removed += line.next - line.begin;
    }
    if (WouldJoinLines(lines)) return EditResult::Refused;
    EraseRanges(lines);
    target.keys.reset();
    Resize(*foundSection, -static_cast<std::ptrdiff_t>(removed));
    return EditResult::Changed;
}

// A section's own lines run from its header to its last key line; blank lines and comments
// after that are left to whatever comes before it.
EditResult IniDocument::RemoveSection(std::string_view section) {
    FindAllHeaders();
    if (!FindSection(section)) return EditResult::Unchanged;
    std::vector<Range> blocks;
    for (const Section& each : sections_) {
        if (!SameName(NameOf(each), section, lead_)) continue;
        const KeyTable& keys = KeysOf(each);
        const std::size_t end = keys.lines.empty() ? each.bodyBegin : each.bodyBegin + keys.lines.back().next;
        blocks.emplace_back(each.headerBegin, end);
    }
    if (WouldJoinLines(blocks)) return EditResult::Refused;
    EraseRanges(blocks);
    Scan();
    return EditResult::Changed;
}

// A lone CR left just before an LF would make one line end of two lines that stay: no removal
// can avoid that without changing them, so such a removal is refused.
bool IniDocument::WouldJoinLines(const std::vector<Range>& ranges) const {
    for (std::size_t i = 0; i < ranges.size(); ++i) {
        const std::size_t begin = ranges[i].first;
        std::size_t end = ranges[i].second;
        while (i + 1 < ranges.size() && ranges[i + 1].first == end) end = ranges[++i].second;
        if (begin > 0 && end < bytes_.size() && bytes_[begin - 1] == '\r' && bytes_[end] == '\n') return true;
    }
    return false;
}

// Ranges in file order, not overlapping; the bytes between them move down in one pass.
void IniDocument::EraseRanges(const std::vector<Range>& ranges) {
    std::size_t out = ranges.front().first;
    for (std::size_t i = 0; i < ranges.size(); ++i) {
        const std::size_t keepBegin = ranges[i].second;
        const std::size_t keepEnd = i + 1 < ranges.size() ? ranges[i + 1].first : bytes_.size();
        std::memmove(bytes_.data() + out, bytes_.data() + keepBegin, keepEnd - keepBegin);
        out += keepEnd - keepBegin;
    }
    bytes_.resize(out);
}
