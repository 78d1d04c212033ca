#include "app/find_search.h"

#include <cstdint>
#include <cstring>

#include "platform/profile/ini_line.h"

namespace {

const std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool IsAsciiLetter(unsigned char c) { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z'; }

unsigned char Folded(unsigned char c) { return IsAsciiLetter(c) ? c | 0x20 : c; }

bool IsLineEnd(char c) { return c == '\n' || c == '\r'; }

// Eight bytes at a time: the first byte whose value, with bit 5 set when fold is on, is wanted.
std::size_t FindByte(std::string_view bytes, std::size_t from, std::size_t limit, unsigned char wanted, bool fold) {
    constexpr std::uint64_t ones = 0x0101010101010101ull;
    constexpr std::uint64_t highs = 0x8080808080808080ull;
    const std::uint64_t pattern = ones * wanted;
    const std::uint64_t caseBits = fold ? ones * 0x20 : 0;
    std::size_t at = from;
    for (; at + 8 <= limit; at += 8) {
        std::uint64_t word;
        std::memcpy(&word, bytes.data() + at, 8);
        const std::uint64_t x = (word | caseBits) ^ pattern;
        if (((x - ones) & ~x & highs) != 0) break;
    }
    for (; at < limit; ++at)
        if ((static_cast<unsigned char>(bytes[at]) | (fold ? 0x20 : 0)) == wanted) return at;
    return limit;
}

}  // namespace

TFindSearch::TFindSearch(std::string bytes, std::string needle, int codePage)
    : bytes_(std::move(bytes)), needle_(std::move(needle)), lead_(LeadTable::ForCodePage(codePage)) {
    if (needle_.empty()) at_ = bytes_.size();
    countedTo_ = ContentStart();
    at_ = std::max(at_, countedTo_);
}

std::size_t TFindSearch::ContentStart() const {
    return std::string_view(bytes_).substr(0, kByteOrderMark.size()) == kByteOrderMark ? kByteOrderMark.size() : 0;
}

bool TFindSearch::IsLineStart(std::size_t offset) const {
    return offset == ContentStart() || (offset > 0 && IsLineEnd(bytes_[offset - 1]));
}

std::size_t TFindSearch::NextCandidate(std::size_t from, std::size_t limit) const {
    const auto first = static_cast<unsigned char>(needle_[0]);
    return FindByte(bytes_, from, limit, Folded(first), IsAsciiLetter(first));
}

bool TFindSearch::Step(std::size_t budget) {
    const std::size_t limit = bytes_.size() - at_ > budget ? at_ + budget : bytes_.size();
    while (at_ < limit) {
        const std::size_t candidate = NextCandidate(at_, limit);
        if (candidate >= limit) {
            at_ = limit;
            break;
        }
        // Most candidates fail on their own bytes: only a whole match earns a look at its line.
        if (candidate + needle_.size() > bytes_.size() || !MatchesAt(bytes_, candidate)) {
            at_ = candidate + 1;
            continue;
        }
        const std::size_t begin = std::max(LineBegin(candidate), ContentStart());
        const std::size_t end = LineEnd(candidate);
        // The whole line is looked at once: what follows on it needs no second look.
        at_ = end;
        const IniLineKind kind = LineMatch(begin, end);
        if (kind != IniLineKind::Header && kind != IniLineKind::Key) continue;
        CountHeadersTo(begin);
        const auto line = static_cast<std::uint32_t>(begin);
        if (kind == IniLineKind::Header) matches_.push_back({line, line, headers_, true});
        else if (headers_ > 0) matches_.push_back({line, static_cast<std::uint32_t>(lastHeader_), headers_ - 1, false});
    }
    return Done();
}

std::size_t TFindSearch::LineBegin(std::size_t at) const {
    while (at > 0 && !IsLineEnd(bytes_[at - 1])) --at;
    return at;
}

// A line feed is found fast; a carriage return before it ends the line sooner.
std::size_t TFindSearch::LineEnd(std::size_t at) const {
    const char* from = bytes_.data() + at;
    const std::size_t rest = bytes_.size() - at;
    const void* feed = std::memchr(from, '\n', rest);
    const std::size_t feedAt = feed ? std::size_t(static_cast<const char*>(feed) - from) : rest;
    const void* ret = std::memchr(from, '\r', feedAt);
    return at + (ret ? std::size_t(static_cast<const char*>(ret) - from) : feedAt);
}

// Headers are found by their "[" first after blanks, then read as the file's readers read them.
void TFindSearch::CountHeadersTo(std::size_t offset) {
    for (std::size_t at = countedTo_; at < offset; ++at) {
        const void* found = std::memchr(bytes_.data() + at, '[', offset - at);
        if (!found) break;
        at = static_cast<std::size_t>(static_cast<const char*>(found) - bytes_.data());
        std::size_t begin = at;
        while (begin > ContentStart() && IsBlank(bytes_[begin - 1])) --begin;
        if (!IsLineStart(begin)) continue;
        if (ParseIniLine(LineAt(begin), lead_).kind != IniLineKind::Header) continue;
        ++headers_;
        lastHeader_ = begin;
    }
    countedTo_ = offset;
}

std::string_view TFindSearch::LineAt(std::size_t begin) const {
    return std::string_view(bytes_).substr(begin, LineEnd(begin) - begin);
}

// The kind of the line when the text occurs in what the views show of it; Blank otherwise.
IniLineKind TFindSearch::LineMatch(std::size_t begin, std::size_t end) const {
    const std::string_view line = std::string_view(bytes_).substr(begin, end - begin);
    const IniLine parsed = ParseIniLine(line, lead_);
    const bool found = parsed.kind == IniLineKind::Header ? OccursIn(parsed.name)
                       : parsed.kind == IniLineKind::Key
                           ? OccursIn(parsed.name) || OccursIn(UnquotedValue(parsed.RawValue(line)))
                           : false;
    return found ? parsed.kind : IniLineKind::Blank;
}

// Tried where the needle's first byte stands, and only where a character starts there.
bool TFindSearch::OccursIn(std::string_view text) const {
    if (text.size() < needle_.size()) return false;
    const std::size_t last = text.size() - needle_.size() + 1;
    const auto first = static_cast<unsigned char>(needle_[0]);
    for (std::size_t at = 0;; ++at) {
        at = FindByte(text, at, last, Folded(first), IsAsciiLetter(first));
        if (at >= last) return false;
        if (MatchesAt(text, at) && StartsCharacter(text, at)) return true;
    }
}

// The bytes that can lead, right before at: an even number of them pair up among themselves.
bool TFindSearch::StartsCharacter(std::string_view text, std::size_t at) const {
    std::size_t leads = 0;
    while (leads < at && lead_.IsLead(static_cast<unsigned char>(text[at - leads - 1]))) ++leads;
    return leads % 2 == 0;
}

// A trail byte compares exactly, whatever letter it looks like.
bool TFindSearch::MatchesAt(std::string_view text, std::size_t at) const {
    for (std::size_t i = 0; i < needle_.size(); ++i) {
        const auto wanted = static_cast<unsigned char>(needle_[i]);
        const auto found = static_cast<unsigned char>(text[at + i]);
        if (lead_.IsLead(wanted) && i + 1 < needle_.size()) {
            if (found != wanted || text[at + i + 1] != needle_[i + 1]) return false;
            ++i;
        } else if (Folded(found) != Folded(wanted)) {
            return false;
        }
    }
    return true;
}

TFindSearch::KeyPlace TFindSearch::KeyPlaceOf(const TFindMatch& match) const {
    // Names are the same when they differ only in the case of ASCII letters that are not trail bytes.
    auto foldedName = [&](std::string_view line) {
        std::string name(ParseIniLine(line, lead_).name);
        for (std::size_t at = 0; at < name.size(); at += lead_.CharLength(name, at))
            name[at] = static_cast<char>(Folded(static_cast<unsigned char>(name[at])));
        return name;
    };
    const std::string_view target = LineAt(match.line);
    const std::string wanted = foldedName(target);
    int occurrence = 0;
    for (std::size_t at = match.header; at < match.line;) {
        const std::string_view line = LineAt(at);
        if (ParseIniLine(line, lead_).kind == IniLineKind::Key && foldedName(line) == wanted) ++occurrence;
        at += line.size();
        while (at < bytes_.size() && IsLineEnd(bytes_[at])) ++at;
    }
    return {std::string(ParseIniLine(target, lead_).name), occurrence};
}
