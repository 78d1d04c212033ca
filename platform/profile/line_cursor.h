#pragma once
// Walks the lines of a text. CR LF, a lone LF and a lone CR each end a line.
#include <cstddef>
#include <cstring>
#include <string_view>

class LineCursor {
public:
    explicit LineCursor(std::string_view text)
        : text_(text), nextLf_(Find('\n', 0)), nextCr_(Find('\r', 0)) {}

    struct Line {
        std::size_t begin;       // first byte
        std::size_t contentEnd;  // where the line end starts
        std::size_t next;        // first byte after the line end
    };

    bool AtEnd() const { return at_ >= text_.size(); }

    Line Next() {
        const std::size_t end = LineBreakFrom(at_);
        Line line{at_, end, end};
        if (end < text_.size())
            line.next = end + (text_[end] == '\r' && end + 1 < text_.size() && text_[end + 1] == '\n' ? 2 : 1);
        at_ = line.next;
        return line;
    }

private:
    // Remembers where the next CR and LF are, so that a text using only one of them is
    // searched once for the other, not once per line.
    std::size_t LineBreakFrom(std::size_t from) {
        if (nextLf_ < from) nextLf_ = Find('\n', from);
        if (nextCr_ < from) nextCr_ = Find('\r', from);
        return nextLf_ < nextCr_ ? nextLf_ : nextCr_;
    }

    std::size_t Find(char c, std::size_t from) const {
        if (from >= text_.size()) return text_.size();
        const void* found = std::memchr(text_.data() + from, c, text_.size() - from);
        return found ? static_cast<const char*>(found) - text_.data() : text_.size();
    }

    std::string_view text_;
    std::size_t at_ = 0;
    std::size_t nextLf_;
    std::size_t nextCr_;
};
