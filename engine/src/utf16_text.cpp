#include "utf16_text.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

namespace {

constexpr std::string_view Replacement = "\xEF\xBF\xBD";
// Decoded text goes through a buffer of this many bytes: no check of room per character.
constexpr std::size_t ChunkBytes = 64 * 1024;

bool IsHighSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }
bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// ASCII goes eight bytes at a time: the files are mostly ASCII, and large ones are read whole.
constexpr bool LittleEndianHost = std::endian::native == std::endian::little;
constexpr std::uint64_t HighBits = 0x8080808080808080;

std::uint64_t Load(const void* at) {
    std::uint64_t word;
    std::memcpy(&word, at, sizeof word);
    return word;
}

// The low bytes of four units, back to four bytes.
std::uint64_t Gather(std::uint64_t units) {
    units = (units | units >> 8) & 0x0000FFFF0000FFFF;
    return (units | units >> 16) & 0x00000000FFFFFFFF;
}

char* PutUtf8(char* out, char32_t c) {
    if (c < 0x80) {
        *out++ = char(c);
    } else if (c < 0x800) {
        *out++ = char(0xC0 | (c >> 6));
        *out++ = char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        *out++ = char(0xE0 | (c >> 12));
        *out++ = char(0x80 | ((c >> 6) & 0x3F));
        *out++ = char(0x80 | (c & 0x3F));
    } else {
        *out++ = char(0xF0 | (c >> 18));
        *out++ = char(0x80 | ((c >> 12) & 0x3F));
        *out++ = char(0x80 | ((c >> 6) & 0x3F));
        *out++ = char(0x80 | (c & 0x3F));
    }
    return out;
}

// The scalar value of the UTF-8 character at text[i], and its length; length 0 when the bytes
// there are no character (overlong forms and surrogates included).
std::pair<char32_t, std::size_t> ReadUtf8(std::string_view text, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[i + k]); };
    const unsigned char first = byte(0);
    std::size_t length = first < 0x80 ? 1 : first >= 0xC2 && first <= 0xDF ? 2 : first >= 0xE0 && first <= 0xEF ? 3
                       : first >= 0xF0 && first <= 0xF4 ? 4 : 0;
    if (length == 0 || i + length > text.size()) return {0, 0};
    char32_t c = length == 1 ? first : first & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) {
        if (!IsContinuation(byte(k))) return {0, 0};
        c = (c << 6) | (byte(k) & 0x3F);
    }
    static constexpr char32_t Least[] = {0, 0, 0x80, 0x800, 0x10000};
    if (c < Least[length] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return {0, 0};
    return {c, length};
}

}  // namespace

std::string Utf16Layout::Read(std::string file, bool bigEndian, std::string room) {
    bigEndian_ = bigEndian;
    bytes_ = std::move(file);
    const std::string_view bytes = bytes_;
    undecodable_.clear();
    std::string text = std::move(room);
    text.clear();
    text.reserve(bytes.size() / 2);
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t units = bytes.size() / 2;
    const auto unit = [&](std::size_t k) -> char32_t {
        return bigEndian_ ? char32_t(p[2 * k] << 8 | p[2 * k + 1]) : char32_t(p[2 * k] | p[2 * k + 1] << 8);
    };
    char buffer[ChunkBytes + 8];
    char* out = buffer;
    const auto undecodable = [&](std::string_view own) {
        undecodable_.push_back({text.size() + std::size_t(out - buffer), std::string(own)});
        out = std::copy(Replacement.begin(), Replacement.end(), out);
    };
    // Units of ASCII: in memory order, the unit's other byte is zero and this one below 0x80.
    const std::uint64_t notAscii = bigEndian_ ? 0x80FF80FF80FF80FF : 0xFF80FF80FF80FF80;
    const int asciiShift = bigEndian_ ? 8 : 0;
    for (std::size_t k = 0; k < units; ++k) {
        if (out - buffer >= std::ptrdiff_t(ChunkBytes)) {
            text.append(buffer, out);
            out = buffer;
        }
        if constexpr (LittleEndianHost) {
            if (k + 8 <= units) {
                const std::uint64_t first = Load(p + 2 * k), second = Load(p + 2 * k + 8);
                if (((first | second) & notAscii) == 0) {
                    const std::uint64_t eight = Gather(first >> asciiShift) | Gather(second >> asciiShift) << 32;
                    std::memcpy(out, &eight, sizeof eight);
                    out += 8;
                    k += 7;
                    continue;
                }
            }
        }
        const char32_t c = unit(k);
        if (c < 0x80) {
            *out++ = char(c);
        } else if (IsHighSurrogate(c) && k + 1 < units && IsLowSurrogate(unit(k + 1))) {
            out = PutUtf8(out, 0x10000 + ((c - 0xD800) << 10) + (unit(k + 1) - 0xDC00));
            ++k;
        } else if (IsHighSurrogate(c) || IsLowSurrogate(c)) {
            undecodable(bytes.substr(2 * k, 2));
        } else {
            out = PutUtf8(out, c);
        }
    }
    if (bytes.size() % 2 == 1) undecodable(bytes.substr(bytes.size() - 1));
    text.append(buffer, out);
    return text;
}

bool Utf16Layout::EncodeValid(std::string_view text, std::string& out) const {
    const auto unit = [&](char32_t u) {
        out.push_back(char(bigEndian_ ? u >> 8 : u & 0xFF));
        out.push_back(char(bigEndian_ ? u & 0xFF : u >> 8));
    };
    for (std::size_t i = 0; i < text.size();) {
        const auto [c, length] = ReadUtf8(text, i);
        if (length == 0) return false;
        i += length;
        if (c < 0x10000) {
            unit(c);
        } else {
            unit(0xD800 + ((c - 0x10000) >> 10));
            unit(0xDC00 + ((c - 0x10000) & 0x3FF));
        }
    }
    return true;
}

std::size_t Utf16Layout::FileLength(std::string_view text, std::size_t begin, std::size_t end) const {
    std::size_t length = 0;
    for (std::size_t i = begin; i < end;) {
        if (i + 8 <= end && (Load(text.data() + i) & HighBits) == 0) {
            length += 16;
            i += 8;
            continue;
        }
        const auto byte = static_cast<unsigned char>(text[i++]);
        length += IsContinuation(byte) ? 0 : byte >= 0xF0 ? 4 : 2;
    }
    return length;
}

IniFailure Utf16Layout::Follow(const EditRecord& textChange, std::string_view edited, EditRecord& fileChange) {
    fileChange = {};
    const auto boundary = [&](std::size_t at) {
        return at >= edited.size() || !IsContinuation(static_cast<unsigned char>(edited[at]));
    };
    const auto widenBack = [&](std::size_t at) {
        while (at > 0 && !boundary(at)) --at;
        return at;
    };
    const std::vector<ByteSpan>& spans = textChange.spans;
    std::vector<Undecodable> moved = undecodable_;
    std::size_t nextPart = 0;  // the first undecodable part past the spans so far
    std::ptrdiff_t growth = 0;
    std::size_t fileAt = 0, oldAt = 0;  // the same place, after the last group, in the old file and text
    // The parts in the old text before `oldEnd`, moved by the growth so far, and their bytes.
    const auto passParts = [&](std::size_t oldEnd, std::ptrdiff_t byGrowth, std::ptrdiff_t& fileAdjust) {
        for (; nextPart < moved.size() && moved[nextPart].at < oldEnd; ++nextPart) {
            fileAdjust += std::ptrdiff_t(moved[nextPart].bytes.size()) - 2;  // counted as one unit
            moved[nextPart].at = std::size_t(std::ptrdiff_t(moved[nextPart].at) + byGrowth);
        }
    };
    for (std::size_t i = 0; i < spans.size();) {
        // The spans whose widened stretches meet form one group, in the text after the edit.
        const std::ptrdiff_t growthBefore = growth;
        const std::size_t changedBegin = std::size_t(std::ptrdiff_t(spans[i].offset) + growth);
        const std::size_t begin = widenBack(changedBegin);
        const std::size_t oldBegin = std::size_t(std::ptrdiff_t(begin) - growth);
        std::string before(edited.substr(begin, changedBegin - begin));
        std::size_t end = 0;
        for (;;) {
            const ByteSpan& span = spans[i++];
            const std::size_t changedEnd = std::size_t(std::ptrdiff_t(span.offset) + growth) + span.after.size();
            before += span.before;
            growth += std::ptrdiff_t(span.after.size()) - std::ptrdiff_t(span.before.size());
            end = changedEnd;
            while (!boundary(end)) ++end;
            const std::size_t next = i < spans.size() ? std::size_t(std::ptrdiff_t(spans[i].offset) + growth) : SIZE_MAX;
            if (next == SIZE_MAX || widenBack(next) > end) {
                before += edited.substr(changedEnd, end - changedEnd);
                break;
            }
            before += edited.substr(changedEnd, next - changedEnd);
        }
        const std::size_t oldEnd = std::size_t(std::ptrdiff_t(end) - growth);
        std::ptrdiff_t fileAdjust = 0;
        passParts(oldBegin, growthBefore, fileAdjust);
        if (nextPart < moved.size() && moved[nextPart].at < oldEnd) return IniFailure::Undecodable;
        const std::size_t fileBegin =
            std::size_t(std::ptrdiff_t(fileAt + FileLength(edited, std::size_t(std::ptrdiff_t(oldAt) + growthBefore), begin)) + fileAdjust);
        ByteSpan fileSpan{fileBegin, {}, {}, {}, {}, {}, {}};
        if (!EncodeValid(before, fileSpan.before) || !EncodeValid(edited.substr(begin, end - begin), fileSpan.after))
            return IniFailure::CannotHold;
        fileAt = fileBegin + fileSpan.before.size();
        oldAt = oldEnd;
        fileChange.spans.push_back(std::move(fileSpan));
    }
    std::ptrdiff_t unused = 0;
    passParts(SIZE_MAX, growth, unused);
    undecodable_ = std::move(moved);
    for (auto span = fileChange.spans.rbegin(); span != fileChange.spans.rend(); ++span)
        bytes_.replace(span->offset, span->before.size(), span->after);
    return IniFailure::None;
}
