#pragma once
// Where the lines of a text lie: CR LF, a lone CR and a lone LF each end a line, and a zero
// byte ends the text. A final line end adds no empty line.
#include <algorithm>
#include <cstddef>
#include <string_view>

// Calls onLine(offset, length) for each line in order, line ends excluded.
template <typename OnLine>
void ForEachLine(std::string_view text, OnLine onLine) {
    text = text.substr(0, text.find('\0'));
    // Each kind of line end is searched for only after the previous one was passed, so every
    // byte is scanned once per kind, at memchr speed.
    const auto next = [text](char byte, std::size_t from) {
        return std::min(text.find(byte, from), text.size());
    };
    std::size_t cr = next('\r', 0);
    std::size_t lf = next('\n', 0);
    std::size_t p = 0;
    while (p < text.size()) {
        if (cr < p) cr = next('\r', p);
        if (lf < p) lf = next('\n', p);
        const std::size_t stop = std::min(cr, lf);
        onLine(p, stop - p);
        p = stop;
        if (p < text.size() && text[p] == '\r') ++p;
        if (p < text.size() && text[p] == '\n') ++p;
    }
}
