#include "fuzz/ini_oracle.h"

#include <algorithm>

#include "encoding/code_page.h"

namespace {

constexpr std::string_view Mark = "\xEF\xBB\xBF";

bool Blank(char c) { return c == ' ' || c == '\t'; }
bool Quote(char c) { return c == '"' || c == '\''; }

bool OnOneLine(std::string_view text) {
    return text.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

std::string Unquoted(std::string_view raw) {
    if (raw.size() >= 2 && Quote(raw.front()) && raw.back() == raw.front()) raw = raw.substr(1, raw.size() - 2);
    return std::string(raw);
}

std::string Quoted(std::string_view value) {
    const bool quote = !value.empty() && (Blank(value.front()) || Blank(value.back()) ||
                                          (value.size() >= 2 && Quote(value.front()) && value.back() == value.front()));
    return quote ? "\"" + std::string(value) + "\"" : std::string(value);
}

// A value that takes the place of a quoted one goes inside the same quotes.
std::string QuotedLike(std::string_view raw, std::string_view value) {
    if (Unquoted(raw).size() == raw.size()) return Quoted(value);
    return raw.front() + std::string(value) + raw.front();
}

Prediction Refused(IniFailure why, const std::string& bytes) { return {Prediction::Kind::Refused, why, bytes}; }
Prediction Unchanged(const std::string& bytes) { return {Prediction::Kind::Unchanged, IniFailure::None, bytes}; }

}  // namespace

IniOracle::IniOracle(std::string bytes, const LeadTable& lead) : bytes_(std::move(bytes)), lead_(lead) {
    for (std::size_t begin = 0; begin < bytes_.size();) {
        std::size_t end = begin;
        while (end < bytes_.size() && bytes_[end] != '\r' && bytes_[end] != '\n') ++end;
        std::size_t next = end;
        if (next < bytes_.size()) next += bytes_.compare(next, 2, "\r\n") == 0 ? 2 : 1;
        const std::size_t contentBegin = begin == 0 && bytes_.starts_with(Mark) ? Mark.size() : begin;
        Line line = Parse(begin, contentBegin, end, next);
        if (line.kind == Kind::Header) {
            std::uint32_t occurrence = 0;
            for (const Section& earlier : sections_)
                if (Same(NameOf(lines_[earlier.header]), NameOf(line))) ++occurrence;
            sections_.push_back(Section{lines_.size(), {}, occurrence});
        } else if (line.kind == Kind::Key) {
            if (sections_.empty())
                line.kind = Kind::Outside;
            else
                sections_.back().keys.push_back(lines_.size());
        }
        lines_.push_back(line);
        begin = next;
    }
}

// A name runs to its stop byte; the blanks after it are not part of it, but a blank that is the
// second byte of a character is.
IniOracle::Line IniOracle::Parse(std::size_t begin, std::size_t contentBegin, std::size_t contentEnd,
                                 std::size_t next) const {
    Line line{begin, contentBegin, contentEnd, next};
    const std::string_view content = Text(contentBegin, contentEnd);
    std::size_t first = 0;
    while (first < content.size() && Blank(content[first])) ++first;
    if (first == content.size()) return line;
    if (content[first] == ';' || content[first] == '#') {
        line.kind = Kind::Comment;
        return line;
    }
    const bool header = content[first] == '[';
    line.kind = header ? Kind::Header : Kind::Key;
    std::size_t at = header ? first + 1 : first;
    while (header && at < content.size() && Blank(content[at])) ++at;
    line.nameBegin = line.nameEnd = contentBegin + at;
    const char stop = header ? ']' : '=';
    while (at < content.size()) {
        const std::size_t length = lead_.CharLength(content, at);
        if (length == 1 && content[at] == stop) break;
        if (length == 2 || !Blank(content[at])) line.nameEnd = contentBegin + at + length;
        at += length;
    }
    if (header || at == content.size()) {
        line.valueBegin = line.valueEnd = contentEnd;
        return line;
    }
    line.hasEquals = true;
    std::size_t valueBegin = at + 1;
    while (valueBegin < content.size() && Blank(content[valueBegin])) ++valueBegin;
    std::size_t valueEnd = content.size();
    while (valueEnd > valueBegin && Blank(content[valueEnd - 1])) --valueEnd;
    line.valueBegin = contentBegin + valueBegin;
    line.valueEnd = contentBegin + valueEnd;
    return line;
}

std::string IniOracle::ValueOf(const Line& line) const { return Unquoted(Text(line.valueBegin, line.valueEnd)); }

bool IniOracle::Same(std::string_view a, std::string_view b) const {
    if (a.size() != b.size()) return false;
    for (std::size_t at = 0; at < a.size();) {
        if (lead_.CharLength(a, at) == 2) {
            if (a.substr(at, 2) != b.substr(at, 2)) return false;
            at += 2;
        } else {
            if (AsciiLower(a[at]) != AsciiLower(b[at])) return false;
            ++at;
        }
    }
    return true;
}

std::string_view IniOracle::Trim(std::string_view name) const {
    std::size_t begin = 0;
    while (begin < name.size() && Blank(name[begin])) ++begin;
    std::size_t end = begin;
    for (std::size_t at = begin; at < name.size();) {
        const std::size_t length = lead_.CharLength(name, at);
        if (length == 2 || !Blank(name[at])) end = at + length;
        at += length;
    }
    return name.substr(begin, end - begin);
}

bool IniOracle::EndsWithLoneLead(std::string_view name) const {
    std::size_t at = 0;
    std::size_t last = 0;
    while (at < name.size()) {
        last = at;
        at += lead_.CharLength(name, at);
    }
    return !name.empty() && at - last == 1 && lead_.IsLead(static_cast<unsigned char>(name[last]));
}

std::vector<OracleRow> IniOracle::Sections() const {
    std::vector<OracleRow> rows;
    for (const Section& section : sections_)
        rows.push_back({std::string(NameOf(lines_[section.header])), {}, section.occurrence});
    return rows;
}

std::optional<std::size_t> IniOracle::FindSection(std::string_view name, std::uint32_t occurrence) const {
    name = Trim(name);
    std::uint32_t seen = 0;
    for (std::size_t at = 0; at < sections_.size(); ++at)
        if (Same(NameOf(lines_[sections_[at].header]), name) && seen++ == occurrence) return at;
    return std::nullopt;
}

std::optional<std::size_t> IniOracle::FindKey(const Section& section, std::string_view name, std::uint32_t occurrence) const {
    name = Trim(name);
    std::uint32_t seen = 0;
    for (const std::size_t line : section.keys)
        if (Same(NameOf(lines_[line]), name) && seen++ == occurrence) return line;
    return std::nullopt;
}

std::optional<std::vector<OracleRow>> IniOracle::Keys(SectionRef ref) const {
    const auto found = FindSection(ref.name, ref.occurrence);
    if (!found) return std::nullopt;
    std::vector<OracleRow> rows;
    const Section& section = sections_[*found];
    for (std::size_t i = 0; i < section.keys.size(); ++i) {
        const Line& line = lines_[section.keys[i]];
        std::uint32_t occurrence = 0;
        for (std::size_t j = 0; j < i; ++j)
            if (Same(NameOf(lines_[section.keys[j]]), NameOf(line))) ++occurrence;
        rows.push_back({std::string(NameOf(line)), ValueOf(line), occurrence});
    }
    return rows;
}

std::optional<std::string> IniOracle::Value(std::string_view section, std::string_view key) const {
    const auto found = FindSection(section, 0);
    if (!found) return std::nullopt;
    const auto line = FindKey(sections_[*found], key, 0);
    if (!line) return std::nullopt;
    return ValueOf(lines_[*line]);
}

std::vector<std::string> IniOracle::CommentsAbove(std::size_t line) const {
    std::vector<std::string> comments;
    while (line > 0 && lines_[line - 1].kind == Kind::Comment) {
        --line;
        comments.insert(comments.begin(), std::string(Text(lines_[line].contentBegin, lines_[line].contentEnd)));
    }
    return comments;
}

std::optional<std::vector<std::string>> IniOracle::Comments(SectionRef ref) const {
    const auto found = FindSection(ref.name, ref.occurrence);
    if (!found) return std::nullopt;
    return CommentsAbove(sections_[*found].header);
}

std::optional<std::vector<std::string>> IniOracle::Comments(KeyRef ref) const {
    const auto found = FindSection(ref.section.name, ref.section.occurrence);
    if (!found) return std::nullopt;
    const auto line = FindKey(sections_[*found], ref.name, ref.occurrence);
    if (!line) return std::nullopt;
    return CommentsAbove(*line);
}

std::optional<std::size_t> IniOracle::TargetSection(SectionRef ref) const {
    const auto found = FindSection(ref.name, ref.occurrence);
    if (!found || NameOf(lines_[sections_[*found].header]) != Trim(ref.name)) return std::nullopt;
    return found;
}

std::optional<std::pair<std::size_t, std::size_t>> IniOracle::TargetKey(KeyRef ref, const std::string_view* shown) const {
    const auto section = TargetSection(ref.section);
    if (!section) return std::nullopt;
    const auto line = FindKey(sections_[*section], ref.name, ref.occurrence);
    if (!line || NameOf(lines_[*line]) != Trim(ref.name) || (shown && ValueOf(lines_[*line]) != *shown))
        return std::nullopt;
    return std::make_pair(*section, *line);
}

// The line a new key takes, when it reads back as given: no line break or NUL, no "=", no
// leading "[", ";" or "#", no blanks around the name, no lead byte left alone at its end.
std::optional<std::string> IniOracle::NewKeyLine(std::string_view key, std::string_view value) const {
    if (!OnOneLine(key) || !OnOneLine(value) || EndsWithLoneLead(key)) return std::nullopt;
    const std::string text = std::string(key) + "=" + Quoted(value);
    const IniOracle alone("[s]\n" + text, lead_);
    const Line& line = alone.lines_.back();
    if (line.kind != Kind::Key || alone.NameOf(line) != key || alone.ValueOf(line) != value) return std::nullopt;
    return text;
}

bool IniOracle::HoldsSectionName(std::string_view name) const {
    if (!OnOneLine(name) || EndsWithLoneLead(name)) return false;
    const IniOracle alone("[" + std::string(name) + "]", lead_);
    return alone.lines_.size() == 1 && alone.lines_[0].kind == Kind::Header && alone.NameOf(alone.lines_[0]) == name;
}

// The first line end of the file; LF for a file without one.
std::string IniOracle::LineEnd() const {
    if (lines_.empty() || lines_[0].next == lines_[0].contentEnd) return "\n";
    return bytes_.substr(lines_[0].contentEnd, lines_[0].next - lines_[0].contentEnd);
}

Prediction IniOracle::Replace(std::size_t at, std::size_t length, std::string_view text) const {
    std::string after = bytes_;
    after.replace(at, length, text);
    return {Prediction::Kind::Changed, IniFailure::None, after};
}

// The line must read back with its name and the new value.
Prediction IniOracle::ReplaceValue(const Line& line, std::string_view value) const {
    if (!OnOneLine(value)) return Refused(IniFailure::CannotHold, bytes_);
    if (ValueOf(line) == value) return Unchanged(bytes_);
    const std::size_t at = line.hasEquals ? line.valueBegin : line.nameEnd;
    const std::size_t length = line.hasEquals ? line.valueEnd - line.valueBegin : 0;
    const std::string_view raw = line.hasEquals ? Text(line.valueBegin, line.valueEnd) : std::string_view();
    const std::string text = (line.hasEquals ? "" : "=") + QuotedLike(raw, value);
    const std::string content = std::string(Text(line.contentBegin, at)) + text + std::string(Text(at + length, line.contentEnd));
    const IniOracle alone("[s]\n" + content, lead_);
    const Line& parsed = alone.lines_.back();
    if (parsed.kind != Kind::Key || alone.NameOf(parsed) != NameOf(line) || alone.ValueOf(parsed) != value)
        return Refused(IniFailure::CannotHold, bytes_);
    return Replace(at, length, text);
}

// A new line ends with the file's line end, which a last line without one gets first; a lone
// CR that an LF would follow becomes CR LF.
Prediction IniOracle::InsertLine(std::size_t at, const std::string& text) const {
    const std::string end = LineEnd();
    const bool endFirst = at == bytes_.size() && !bytes_.empty() && bytes_.back() != '\n' && bytes_.back() != '\r';
    const std::string lineEnd = end == "\r" && at < bytes_.size() && bytes_[at] == '\n' ? "\r\n" : end;
    return Replace(at, 0, (endFirst ? end : std::string()) + text + lineEnd);
}

Prediction IniOracle::AppendKey(const Section& section, std::string_view key, std::string_view value) const {
    const std::optional<std::string> text = NewKeyLine(key, value);
    if (!text) return Refused(IniFailure::CannotHold, bytes_);
    const std::size_t after = section.keys.empty() ? section.header : section.keys.back();
    return InsertLine(lines_[after].next, *text);
}

IniOracle::Range IniOracle::Block(const Section& section) const {
    const Line& last = lines_[section.keys.empty() ? section.header : section.keys.back()];
    return {lines_[section.header].contentBegin, last.next};
}

// A lone CR left just before an LF would join two lines: refused.
Prediction IniOracle::Remove(std::vector<Range> ranges) const {
    std::sort(ranges.begin(), ranges.end());
    std::vector<Range> runs;
    for (const Range& range : ranges) {
        if (!runs.empty() && runs.back().second == range.first)
            runs.back().second = range.second;
        else
            runs.push_back(range);
    }
    for (const Range& run : runs)
        if (run.first > 0 && run.second < bytes_.size() && bytes_[run.first - 1] == '\r' && bytes_[run.second] == '\n')
            return Refused(IniFailure::JoinsLines, bytes_);
    std::string after;
    std::size_t kept = 0;
    for (const Range& run : runs) {
        after.append(bytes_, kept, run.first - kept);
        kept = run.second;
    }
    after.append(bytes_, kept);
    return {Prediction::Kind::Changed, IniFailure::None, after};
}

Prediction IniOracle::SetValue(std::string_view section, std::string_view key, std::string_view value) const {
    if (!OnOneLine(value)) return Refused(IniFailure::CannotHold, bytes_);
    const auto found = FindSection(section, 0);
    if (found) {
        if (const auto line = FindKey(sections_[*found], key, 0)) return ReplaceValue(lines_[*line], value);
        return AppendKey(sections_[*found], key, value);
    }
    const std::optional<std::string> text = NewKeyLine(key, value);
    if (!text || !HoldsSectionName(section)) return Refused(IniFailure::CannotHold, bytes_);
    const std::string end = LineEnd();
    const bool endFirst = !bytes_.empty() && bytes_.back() != '\n' && bytes_.back() != '\r';
    return Replace(bytes_.size(), 0, (endFirst ? end : std::string()) + "[" + std::string(section) + "]" + end + *text + end);
}

Prediction IniOracle::RemoveKey(std::string_view section, std::string_view key) const {
    const auto found = FindSection(section, 0);
    if (!found) return Unchanged(bytes_);
    std::vector<Range> ranges;
    for (const std::size_t line : sections_[*found].keys)
        if (Same(NameOf(lines_[line]), Trim(key))) ranges.emplace_back(lines_[line].begin, lines_[line].next);
    return ranges.empty() ? Unchanged(bytes_) : Remove(ranges);
}

Prediction IniOracle::RemoveSection(std::string_view section) const {
    std::vector<Range> ranges;
    for (const Section& each : sections_)
        if (Same(NameOf(lines_[each.header]), Trim(section))) ranges.push_back(Block(each));
    return ranges.empty() ? Unchanged(bytes_) : Remove(ranges);
}

Prediction IniOracle::SetValueAt(KeyRef key, std::string_view shown, std::string_view value) const {
    const auto target = TargetKey(key, &shown);
    if (!target) return Refused(IniFailure::Stale, bytes_);
    return ReplaceValue(lines_[target->second], value);
}

Prediction IniOracle::RemoveKeyAt(KeyRef key, std::string_view shown) const {
    const auto target = TargetKey(key, &shown);
    if (!target) return Refused(IniFailure::Stale, bytes_);
    return Remove({{lines_[target->second].begin, lines_[target->second].next}});
}

Prediction IniOracle::RemoveSectionAt(SectionRef section) const {
    const auto target = TargetSection(section);
    if (!target) return Refused(IniFailure::Stale, bytes_);
    return Remove({Block(sections_[*target])});
}

Prediction IniOracle::AddKey(SectionRef section, std::string_view key, std::string_view value) const {
    const auto target = TargetSection(section);
    if (!target) return Refused(IniFailure::Stale, bytes_);
    if (!NewKeyLine(key, value)) return Refused(IniFailure::CannotHold, bytes_);
    for (const std::size_t line : sections_[*target].keys)
        if (Same(NameOf(lines_[line]), key)) return Refused(IniFailure::NameTaken, bytes_);
    return AppendKey(sections_[*target], key, value);
}

Prediction IniOracle::RenameKey(KeyRef key, std::string_view name) const {
    const auto target = TargetKey(key, nullptr);
    if (!target) return Refused(IniFailure::Stale, bytes_);
    if (name.empty()) return Refused(IniFailure::EmptyName, bytes_);
    const Line& line = lines_[target->second];
    if (NameOf(line) == name) return Unchanged(bytes_);
    const std::string renamed = std::string(Text(line.contentBegin, line.nameBegin)) + std::string(name) +
                                std::string(Text(line.nameEnd, line.contentEnd));
    const IniOracle alone("[s]\n" + renamed, lead_);
    const Line& parsed = alone.lines_.back();
    if (!OnOneLine(name) || EndsWithLoneLead(name) || alone.lines_.size() != 2 || parsed.kind != Kind::Key ||
        alone.NameOf(parsed) != name || parsed.hasEquals != line.hasEquals ||
        alone.Text(parsed.valueBegin, parsed.valueEnd) != Text(line.valueBegin, line.valueEnd))
        return Refused(IniFailure::CannotHold, bytes_);
    for (const std::size_t other : sections_[target->first].keys)
        if (other != target->second && Same(NameOf(lines_[other]), name)) return Refused(IniFailure::NameTaken, bytes_);
    return Replace(line.nameBegin, line.nameEnd - line.nameBegin, name);
}

Prediction IniOracle::RenameSection(SectionRef section, std::string_view name) const {
    const auto target = TargetSection(section);
    if (!target) return Refused(IniFailure::Stale, bytes_);
    if (name.empty()) return Refused(IniFailure::EmptyName, bytes_);
    const Line& header = lines_[sections_[*target].header];
    if (NameOf(header) == name) return Unchanged(bytes_);
    const std::string renamed = std::string(Text(header.contentBegin, header.nameBegin)) + std::string(name) +
                                std::string(Text(header.nameEnd, header.contentEnd));
    const IniOracle alone(renamed, lead_);
    if (!OnOneLine(name) || EndsWithLoneLead(name) || alone.lines_.size() != 1 ||
        alone.lines_[0].kind != Kind::Header || alone.NameOf(alone.lines_[0]) != name)
        return Refused(IniFailure::CannotHold, bytes_);
    for (std::size_t other = 0; other < sections_.size(); ++other)
        if (other != *target && Same(NameOf(lines_[sections_[other].header]), name))
            return Refused(IniFailure::NameTaken, bytes_);
    return Replace(header.nameBegin, header.nameEnd - header.nameBegin, name);
}
