#include "dialogs/filter_buffer.h"

#include "text/lead_bytes.h"

std::size_t FindSeparator(const std::string& text, char separator, std::size_t from) {
    for (std::size_t i = from; i < text.size(); ++i)
        if (text[i] == separator && ByteKind(text, int(i + 1)) != ByteKindTrail) return i;
    return std::string::npos;
}

std::string BuildFilterBuffer(const std::string& filter) {
    if (filter.empty()) return {};
    std::string buffer = filter;
    buffer.append(2, '\0');
    for (std::size_t at = FindSeparator(buffer, '|', 0); at != std::string::npos; at = FindSeparator(buffer, '|', at + 1))
        buffer[at] = '\0';
    return buffer;
}
