#include "key_line_search.h"

#include <optional>

#include "ini_line.h"
#include "engine/name_index.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

class Search {
public:
    Search(std::string_view text, std::size_t from, std::string_view name, const LeadTable& lead, std::size_t most)
        : text_(text), from_(from), name_(name), lead_(lead), most_(most),
          // A line of the empty name begins with its "=".
          probe_(name.empty() ? std::string_view("=") : name) {}

    std::vector<LineCursor::Line> Run() {
        const std::size_t last = probe_.size() - 1;
        const char first[2] = {AsciiLower(probe_.front()), AsciiUpper(probe_.front())};
        const char end[2] = {AsciiLower(probe_.back()), AsciiUpper(probe_.back())};
        std::size_t at = from_;
#if defined(__SSE2__)
        const __m128i first0 = _mm_set1_epi8(first[0]), first1 = _mm_set1_epi8(first[1]);
        const __m128i end0 = _mm_set1_epi8(end[0]), end1 = _mm_set1_epi8(end[1]);
        const __m128i bracket = _mm_set1_epi8('[');
        for (; at + last + 16 <= text_.size(); at += 16) {
            const __m128i head = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text_.data() + at));
            const __m128i tail = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text_.data() + at + last));
            const __m128i named = _mm_and_si128(_mm_or_si128(_mm_cmpeq_epi8(head, first0), _mm_cmpeq_epi8(head, first1)),
                                                _mm_or_si128(_mm_cmpeq_epi8(tail, end0), _mm_cmpeq_epi8(tail, end1)));
            auto candidates = static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(named, _mm_cmpeq_epi8(head, bracket))));
            for (; candidates != 0; candidates &= candidates - 1)
                if (!Look(at + static_cast<std::size_t>(__builtin_ctz(candidates)))) return std::move(found_);
        }
#endif
        // A name needs its length before the text ends; a header there closes nothing searched.
        for (; at + last < text_.size(); ++at) {
            const char c = text_[at];
            const char e = text_[at + last];
            if (((c == first[0] || c == first[1]) && (e == end[0] || e == end[1])) || c == '[')
                if (!Look(at)) break;
        }
        return std::move(found_);
    }

private:
    // Whether the line of `at` has its first non-blank byte there: then where the line begins.
    std::optional<std::size_t> LineBeginFor(std::size_t at) const {
        std::size_t begin = at;
        while (begin > from_ && IsBlank(text_[begin - 1])) --begin;
        if (begin > from_ && text_[begin - 1] != '\n' && text_[begin - 1] != '\r') return std::nullopt;
        return begin;
    }

    // False once the search is over: a header line, or as many lines as wanted.
    bool Look(std::size_t at) {
        const std::optional<std::size_t> begin = LineBeginFor(at);
        if (!begin) return true;
        const char c = text_[at];
        if (c == '[') return false;
        if (c == ';' || c == '#') return true;
        const std::size_t contentEnd = FindLineBreak(text_, at);
        const std::string_view content = text_.substr(at, contentEnd - at);
        if (!MayBeginWithName(content, name_) || !SameName(content.substr(0, KeyNameEnd(content, 0, lead_)), name_, lead_))
            return true;
        found_.push_back(LineCursor::Line{*begin, contentEnd, AfterLineBreak(text_, contentEnd)});
        return found_.size() < most_;
    }

    std::string_view text_;
    std::size_t from_;
    std::string_view name_;
    const LeadTable& lead_;
    std::size_t most_;
    std::string_view probe_;
    std::vector<LineCursor::Line> found_;
};

}  // namespace

std::vector<LineCursor::Line> KeyLinesOf(std::string_view text, std::size_t from, std::string_view name,
                                         const LeadTable& lead, std::size_t most) {
    return Search(text, from, name, lead, most).Run();
}
