#pragma once
// Walks the lines of a text. CR LF, a lone LF and a lone CR each end a line.
#include <cstddef>
#include <cstdint>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// Where the first CR or LF at or after `from` is; the size of the text when there is none.
// Sixteen bytes at a time: files of short lines have one search per line, and a long line
// costs no more than its length.
inline std::size_t FindLineBreak(std::string_view text, std::size_t from) {
    const char* const data = text.data();
    std::size_t at = from;
#if defined(__SSE2__)
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i cr = _mm_set1_epi8('\r');
    for (; at + 16 <= text.size(); at += 16) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + at));
        const int found = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(chunk, lf), _mm_cmpeq_epi8(chunk, cr)));
        if (found != 0) return at + static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(found)));
    }
#endif
    for (; at < text.size(); ++at)
        if (data[at] == '\n' || data[at] == '\r') return at;
    return text.size();
}

// Where the line whose content ends at `contentEnd` is followed by the next: past its CR LF,
// LF or CR; `contentEnd` itself at the end of the text.
inline std::size_t AfterLineBreak(std::string_view text, std::size_t contentEnd) {
    if (contentEnd >= text.size()) return contentEnd;
    return contentEnd + (text[contentEnd] == '\r' && contentEnd + 1 < text.size() && text[contentEnd + 1] == '\n' ? 2 : 1);
}

// Line after line, the line ends of sixty-four bytes found at once: a file of short lines
// costs a few instructions a line, not a search of its own for each.
class LineCursor {
public:
    explicit LineCursor(std::string_view text) : text_(text) {}

    struct Line {
        std::size_t begin;       // first byte
        std::size_t contentEnd;  // where the line end starts
        std::size_t next;        // first byte after the line end
    };

    bool AtEnd() const { return at_ >= text_.size(); }

    Line Next() {
        const std::size_t end = NextBreak(at_);
        const Line line{at_, end, AfterLineBreak(text_, end)};
        at_ = line.next;
        return line;
    }

private:
    static constexpr std::size_t Block = 64;

    std::size_t NextBreak(std::size_t from) {
#if defined(__SSE2__)
        for (;;) {
            if (from >= blockBegin_ && from < blockBegin_ + Block) {
                const std::uint64_t ahead = breaks_ >> (from - blockBegin_);
                if (ahead != 0) return from + static_cast<std::size_t>(__builtin_ctzll(ahead));
                from = blockBegin_ + Block;
            }
            if (from + Block > text_.size()) return FindLineBreak(text_, from);
            LoadBlock(from);
        }
#else
        return FindLineBreak(text_, from);
#endif
    }

#if defined(__SSE2__)
    // Written out part by part: the four loads go ahead together and each shift is a constant.
    void LoadBlock(std::size_t begin) {
        const char* const block = text_.data() + begin;
        blockBegin_ = begin;
        breaks_ = BreaksIn(block) | BreaksIn(block + 16) << 16 | BreaksIn(block + 32) << 32 | BreaksIn(block + 48) << 48;
    }

    static std::uint64_t BreaksIn(const char* sixteen) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(sixteen));
        const __m128i breaks = _mm_or_si128(_mm_cmpeq_epi8(chunk, _mm_set1_epi8('\n')), _mm_cmpeq_epi8(chunk, _mm_set1_epi8('\r')));
        return static_cast<unsigned>(_mm_movemask_epi8(breaks));
    }
#endif

    std::string_view text_;
    std::size_t at_ = 0;
    // The line ends among the Block bytes from blockBegin_, one bit each.
    std::size_t blockBegin_ = SIZE_MAX - Block;
    std::uint64_t breaks_ = 0;
};
