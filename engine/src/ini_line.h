#pragma once
// One line of an INI file, read on its own: what kind it is, its name and its value.
// The content excludes the line end.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "engine/lead_table.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// A UTF-8 file may begin with it; it belongs to no line.
constexpr std::string_view Utf8ByteOrderMark = "\xEF\xBB\xBF";

enum class IniLineKind { Blank, Comment, Header, Key };

struct IniLine {
    IniLineKind kind = IniLineKind::Blank;
    // Header or key name, blanks around it removed.
    std::string_view name;
    // Key lines: offsets in the content of the end of the name, and of the value as it stands,
    // quotes included and blanks around it excluded. An empty value sits where one would go.
    std::size_t nameEnd = 0;
    std::size_t valueBegin = 0;
    std::size_t valueEnd = 0;
    // A key line without "=" is a name with an empty value.
    bool hasEquals = false;

    std::string_view RawValue(std::string_view content) const {
        return content.substr(valueBegin, valueEnd - valueBegin);
    }
};

inline bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The text without the blanks around it, as the reader trims a name: a blank that is the trail
// byte of a double-byte character stays.
std::string_view TrimName(std::string_view text, const LeadTable& lead);

IniLine ParseIniLine(std::string_view content, const LeadTable& lead);

// Where the name of a key line ends that begins at nameBegin (its first non-blank byte), by
// reading it byte by byte.
std::size_t ScanKeyNameEnd(std::string_view content, std::size_t nameBegin, const LeadTable& lead);

// The same. Most names are a few ASCII bytes before an "=": one look at sixteen bytes finds
// them, inline, as the parser asks for every key line.
inline std::size_t KeyNameEnd(std::string_view content, std::size_t nameBegin, const LeadTable& lead) {
#if defined(__SSE2__)
    if (lead.AsciiIsSingleByte() && nameBegin + 16 <= content.size()) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(content.data() + nameBegin));
        const auto equals = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(chunk, _mm_set1_epi8('='))));
        const auto high = static_cast<unsigned>(_mm_movemask_epi8(chunk));
        if (equals != 0) {
            const unsigned stop = static_cast<unsigned>(__builtin_ctz(equals));
            if ((high & ((1u << stop) - 1)) == 0) {
                std::size_t end = nameBegin + stop;
                while (end > nameBegin && IsBlank(content[end - 1])) --end;
                return end;
            }
        }
    }
#endif
    return ScanKeyNameEnd(content, nameBegin, lead);
}

// The value a reader sees: one pair of matching quotes around it taken off.
std::string_view UnquotedValue(std::string_view raw);

// The text to store so that the value reads back unchanged; none when no text can.
std::optional<std::string> QuotedValue(std::string_view value);

// The same, for a value that takes the place of raw: inside raw's own quotes when it had them,
// since other programs may read the quoted text as one value and the bare text as less (a ";"
// in it starting a comment).
std::optional<std::string> QuotedLike(std::string_view raw, std::string_view value);

// Whether a header line begins in text before `end`; text begins at a line start, and with
// `atFileStart` a byte-order mark at its start belongs to no line.
bool HeaderLineBegins(std::string_view text, std::size_t end, bool atFileStart);

// Line breaks and NUL bytes cannot be part of any line.
bool FitsOnOneLine(std::string_view text);

// A lead byte at the end of a name would take the "=" or "]" after it as its trail byte.
bool EndsWithLoneLeadByte(std::string_view text, const LeadTable& lead);
