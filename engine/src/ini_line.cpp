#include "ini_line.h"

#include <algorithm>

#include "line_cursor.h"

namespace {

std::size_t SkipBlanks(std::string_view text, std::size_t at) {
    while (at < text.size() && IsBlank(text[at])) ++at;
    return at;
}

bool IsQuote(char c) { return c == '"' || c == '\''; }

// Scans a name from `begin` to the first `stop` byte that is a character of its own (never
// the trail byte of a double-byte one). Returns the end of the last non-blank character and
// where the scan stopped (the size of the text when no stop byte was found).
struct NameScan {
    std::size_t trimmedEnd;
    std::size_t stop;
};

constexpr int NoStop = -1;

NameScan ScanName(std::string_view text, std::size_t begin, int stop, const LeadTable& lead) {
    NameScan scan{begin, text.size()};
    const bool asciiAlone = lead.AsciiIsSingleByte();
    for (std::size_t at = begin; at < text.size();) {
        const auto c = static_cast<unsigned char>(text[at]);
        if (c < 0x80 && asciiAlone) {  // most names: no lead byte to look up
            if (c == stop) {
                scan.stop = at;
                break;
            }
            if (!IsBlank(static_cast<char>(c))) scan.trimmedEnd = at + 1;
            ++at;
            continue;
        }
        const std::size_t length = lead.CharLength(text, at);
        if (length == 1 && static_cast<unsigned char>(text[at]) == stop) {
            scan.stop = at;
            break;
        }
        if (length == 2 || !IsBlank(text[at])) scan.trimmedEnd = at + length;
        at += length;
    }
    return scan;
}

IniLine ParseHeader(std::string_view content, std::size_t bracket, const LeadTable& lead) {
    IniLine line;
    line.kind = IniLineKind::Header;
    const std::size_t nameBegin = SkipBlanks(content, bracket + 1);
    const NameScan scan = ScanName(content, nameBegin, ']', lead);
    line.name = content.substr(nameBegin, scan.trimmedEnd - nameBegin);
    return line;
}

IniLine ParseKey(std::string_view content, std::size_t nameBegin, const LeadTable& lead) {
    IniLine line;
    line.kind = IniLineKind::Key;
    const NameScan scan = ScanName(content, nameBegin, '=', lead);
    line.name = content.substr(nameBegin, scan.trimmedEnd - nameBegin);
    line.nameEnd = scan.trimmedEnd;
    line.hasEquals = scan.stop < content.size();
    if (!line.hasEquals) {
        line.valueBegin = line.valueEnd = content.size();
        return line;
    }
    line.valueBegin = SkipBlanks(content, scan.stop + 1);
    line.valueEnd = content.size();
    while (line.valueEnd > line.valueBegin && IsBlank(content[line.valueEnd - 1])) --line.valueEnd;
    return line;
}

}  // namespace

IniLine ParseIniLine(std::string_view content, const LeadTable& lead) {
    const std::size_t first = SkipBlanks(content, 0);
    if (first == content.size()) return {};
    switch (content[first]) {
        case ';':
        case '#': {
            IniLine comment;
            comment.kind = IniLineKind::Comment;
            return comment;
        }
        case '[': return ParseHeader(content, first, lead);
        default: return ParseKey(content, first, lead);
    }
}

std::string_view UnquotedValue(std::string_view raw) {
    if (raw.size() >= 2 && IsQuote(raw.front()) && raw.back() == raw.front())
        return raw.substr(1, raw.size() - 2);
    return raw;
}

std::optional<std::string> QuotedValue(std::string_view value) {
    if (!FitsOnOneLine(value)) return std::nullopt;
    const bool needsQuotes =
        !value.empty() && (IsBlank(value.front()) || IsBlank(value.back()) ||
                           UnquotedValue(value).size() != value.size());
    if (!needsQuotes) return std::string(value);
    std::string quoted;
    quoted.reserve(value.size() + 2);
    quoted.append(1, '"').append(value).append(1, '"');
    return quoted;
}

std::optional<std::string> QuotedLike(std::string_view raw, std::string_view value) {
    if (UnquotedValue(raw).size() == raw.size()) return QuotedValue(value);
    if (!FitsOnOneLine(value)) return std::nullopt;
    std::string quoted;
    quoted.reserve(value.size() + 2);
    quoted.append(1, raw.front()).append(value).append(1, raw.front());
    return quoted;
}

bool HeaderLineBegins(std::string_view text, std::size_t end, bool atFileStart) {
    const std::size_t markEnd = atFileStart && text.starts_with(Utf8ByteOrderMark) ? Utf8ByteOrderMark.size() : 0;
    LineCursor cursor(text);
    while (!cursor.AtEnd()) {
        const LineCursor::Line line = cursor.Next();
        if (line.begin >= end) return false;
        std::size_t first = std::max(line.begin, markEnd);
        while (first < line.contentEnd && IsBlank(text[first])) ++first;
        if (first < line.contentEnd && text[first] == '[') return true;
    }
    return false;
}

bool FitsOnOneLine(std::string_view text) {
    return text.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

std::string_view TrimName(std::string_view text, const LeadTable& lead) {
    const std::size_t begin = SkipBlanks(text, 0);
    const NameScan scan = ScanName(text, begin, NoStop, lead);
    return text.substr(begin, scan.trimmedEnd - begin);
}

bool EndsWithLoneLeadByte(std::string_view text, const LeadTable& lead) {
    std::size_t at = 0;
    std::size_t last = 0;
    while (at < text.size()) {
        last = at;
        at += lead.CharLength(text, at);
    }
    return !text.empty() && at - last == 1 && lead.IsLead(static_cast<unsigned char>(text[last]));
}

std::size_t ScanKeyNameEnd(std::string_view content, std::size_t nameBegin, const LeadTable& lead) {
    return ScanName(content, nameBegin, '=', lead).trimmedEnd;
}
