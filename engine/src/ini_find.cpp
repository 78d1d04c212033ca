#include "engine/ini_find.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "encoding/code_page.h"
#include "engine/name_index.h"
#include "ini_line.h"
#include "line_cursor.h"

namespace {

constexpr std::size_t Block = 16;

bool IsAsciiLetter(unsigned char c) { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z'; }

bool IsLineEnd(char c) { return c == '\n' || c == '\r'; }

}  // namespace

IniFind::IniFind(std::string bytes, std::string needle, TCodePage codePage)
    : IniFind(std::make_shared<const std::string>(std::move(bytes)), std::move(needle), codePage) {}

IniFind::IniFind(std::shared_ptr<const std::string> bytes, std::string needle, TCodePage codePage)
    : held_(bytes ? std::move(bytes) : std::make_shared<const std::string>()), bytes_(*held_),
      needle_(std::move(needle)), lead_(LeadTable::ForCodePage(codePage)) {
    // A lead byte and its trail compare exactly, whatever letter the trail looks like.
    const std::size_t padded = (needle_.size() + Block - 1) / Block * Block;
    caseBits_.assign(padded, '\0');
    foldedNeedle_.assign(padded, '\0');
    for (std::size_t i = 0; i < needle_.size(); ++i) {
        const auto c = static_cast<unsigned char>(needle_[i]);
        if (lead_.CharLength(needle_, i) == 2) {
            foldedNeedle_[i] = needle_[i];
            foldedNeedle_[i + 1] = needle_[i + 1];
            ++i;
        } else {
            caseBits_[i] = IsAsciiLetter(c) ? 0x20 : 0;
            foldedNeedle_[i] = AsciiLower(needle_[i]);
        }
    }
    contentStart_ = bytes_.starts_with(Utf8ByteOrderMark) ? Utf8ByteOrderMark.size() : 0;
    countedTo_ = contentStart_;
    line_.begin = line_.end = contentStart_;
    at_ = needle_.empty() ? bytes_.size() : contentStart_;
}

bool IniFind::IsLineStart(std::size_t offset) const {
    return offset == contentStart_ || (offset > 0 && IsLineEnd(bytes_[offset - 1]));
}

// Most places are passed over sixteen at a time by their first and last bytes alone.
std::size_t IniFind::NextCandidate(std::size_t from, std::size_t limit) const {
    const std::size_t last = needle_.size() - 1;
    if (bytes_.size() < needle_.size()) return limit;
    const std::size_t end = std::min(limit, bytes_.size() - last);
    const auto fits = [&](std::size_t at, std::size_t i) {
        return char(bytes_[at + i] | caseBits_[i]) == foldedNeedle_[i];
    };
    std::size_t at = from;
#if defined(__SSE2__)
    const __m128i firstBits = _mm_set1_epi8(caseBits_[0]), firstWanted = _mm_set1_epi8(foldedNeedle_[0]);
    const __m128i lastBits = _mm_set1_epi8(caseBits_[last]), lastWanted = _mm_set1_epi8(foldedNeedle_[last]);
    const char* data = bytes_.data();
    for (; at + Block <= end; at += Block) {
        const __m128i firsts = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + at));
        const __m128i lasts = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + at + last));
        const __m128i both = _mm_and_si128(_mm_cmpeq_epi8(_mm_or_si128(firsts, firstBits), firstWanted),
                                           _mm_cmpeq_epi8(_mm_or_si128(lasts, lastBits), lastWanted));
        if (const int found = _mm_movemask_epi8(both)) return at + std::size_t(__builtin_ctz(unsigned(found)));
    }
#endif
    for (; at < end; ++at)
        if (fits(at, 0) && fits(at, last)) return at;
    return limit;
}

bool IniFind::MatchesAt(std::string_view text, std::size_t at) const {
    std::size_t i = 0;
#if defined(__SSE2__)
    for (; i < needle_.size() && at + i + Block <= text.size(); i += Block) {
        const __m128i found = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + at + i));
        const __m128i bits = _mm_loadu_si128(reinterpret_cast<const __m128i*>(caseBits_.data() + i));
        const __m128i wanted = _mm_loadu_si128(reinterpret_cast<const __m128i*>(foldedNeedle_.data() + i));
        const unsigned same = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_or_si128(found, bits), wanted)));
        const std::size_t count = std::min(Block, needle_.size() - i);
        const unsigned needed = count == Block ? 0xFFFFu : (1u << count) - 1;
        if ((same & needed) != needed) return false;
    }
#endif
    for (; i < needle_.size(); ++i)
        if (char(text[at + i] | caseBits_[i]) != foldedNeedle_[i]) return false;
    return true;
}

bool IniFind::Step(std::size_t budget) {
    const std::size_t limit = bytes_.size() - at_ > budget ? at_ + budget : bytes_.size();
    while (at_ < limit) {
        const std::size_t candidate = NextCandidate(at_, limit);
        if (candidate >= limit) {
            at_ = limit;
            break;
        }
        at_ = candidate + 1;
        if (!MatchesAt(bytes_, candidate)) continue;
        // Only a whole match earns a look at its line, once however many it holds.
        if (candidate >= line_.end) ReadLineAround(candidate);
        if (!ShownAt(candidate)) continue;
        at_ = line_.end;
        // A header line counts itself; keys before the first header belong to no section shown.
        CountHeadersTo(line_.end);
        if (!headers_.empty()) matches_.push_back(static_cast<std::uint32_t>(line_.begin));
    }
    return Done();
}

void IniFind::ReadLineAround(std::size_t at) {
    line_.begin = LineBegin(at, std::max(line_.end, contentStart_));
    line_.end = FindLineBreak(bytes_, at);
    const std::string_view content = std::string_view(bytes_).substr(line_.begin, line_.end - line_.begin);
    const IniLine parsed = ParseIniLine(content, lead_);
    line_.kind = parsed.kind;
    const auto offsetOf = [&](std::string_view part) { return line_.begin + std::size_t(part.data() - content.data()); };
    line_.nameBegin = line_.nameEnd = line_.valueBegin = line_.valueEnd = line_.begin;
    if (parsed.kind == IniLineKind::Header || parsed.kind == IniLineKind::Key) {
        line_.nameBegin = offsetOf(parsed.name);
        line_.nameEnd = line_.nameBegin + parsed.name.size();
    }
    if (parsed.kind == IniLineKind::Key) {
        const std::string_view value = UnquotedValue(parsed.RawValue(content));
        line_.valueBegin = offsetOf(value);
        line_.valueEnd = line_.valueBegin + value.size();
    }
}

bool IniFind::ShownAt(std::size_t at) const {
    const std::size_t end = at + needle_.size();
    if (at >= line_.nameBegin && end <= line_.nameEnd) return StartsCharacter(at, line_.nameBegin);
    if (at >= line_.valueBegin && end <= line_.valueEnd) return StartsCharacter(at, line_.valueBegin);
    return false;
}

bool IniFind::StartsCharacter(std::size_t at, std::size_t textBegin) const {
    return !IsTrailByteAt(bytes_, at, textBegin, [this](unsigned char byte) { return lead_.IsLead(byte); });
}

// Lines are short: sixteen bytes at a time finds their ends at once.
std::size_t IniFind::LineBegin(std::size_t at, std::size_t notBefore) const {
#if defined(__SSE2__)
    const __m128i feed = _mm_set1_epi8('\n'), ret = _mm_set1_epi8('\r');
    for (; at >= notBefore + Block; at -= Block) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes_.data() + at - Block));
        const auto ends = unsigned(_mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(block, feed), _mm_cmpeq_epi8(block, ret))));
        if (ends != 0) return at - Block + std::size_t(32 - __builtin_clz(ends));
    }
#endif
    while (at > notBefore && !IsLineEnd(bytes_[at - 1])) --at;
    return at;
}

// Headers are found by their "[" first after blanks, then read as the file's readers read them.
void IniFind::CountHeadersTo(std::size_t offset) {
    for (std::size_t at = countedTo_; at < offset; ++at) {
        const void* found = std::memchr(bytes_.data() + at, '[', offset - at);
        if (!found) break;
        at = static_cast<std::size_t>(static_cast<const char*>(found) - bytes_.data());
        std::size_t begin = at;
        while (begin > contentStart_ && IsBlank(bytes_[begin - 1])) --begin;
        if (!IsLineStart(begin)) continue;
        if (ParseIniLine(LineAt(begin), lead_).kind != IniLineKind::Header) continue;
        headers_.push_back(static_cast<std::uint32_t>(begin));
    }
    countedTo_ = std::max(countedTo_, offset);
}

std::string_view IniFind::LineAt(std::size_t begin) const {
    return std::string_view(bytes_).substr(begin, FindLineBreak(bytes_, begin) - begin);
}

IniFindMatch IniFind::Match(std::size_t index) const {
    const std::uint32_t line = matches_[index];
    const auto after = std::upper_bound(headers_.begin(), headers_.end(), line);
    const std::uint32_t header = *(after - 1);
    return {line, header, std::int32_t(after - headers_.begin()) - 1, header == line};
}

std::vector<bool> IniFind::SectionsMatched() const {
    std::vector<bool> matched(headers_.size(), false);
    std::size_t section = 0;
    for (const std::uint32_t line : matches_) {
        while (section + 1 < headers_.size() && headers_[section + 1] <= line) ++section;
        matched[section] = true;
    }
    return matched;
}

IniFind::KeyPlace IniFind::KeyPlaceOf(const IniFindMatch& match) const {
    const std::string_view name = ParseIniLine(LineAt(match.line), lead_).name;
    int occurrence = 0;
    for (std::size_t at = match.header; at < match.line;) {
        const std::string_view line = LineAt(at);
        const IniLine parsed = ParseIniLine(line, lead_);
        if (parsed.kind == IniLineKind::Key && SameName(parsed.name, name, lead_)) ++occurrence;
        at += line.size();
        while (at < bytes_.size() && IsLineEnd(bytes_[at])) ++at;
    }
    return {std::string(name), occurrence};
}
