#include "text/byte_text.h"

#include <algorithm>

#include "encoding/code_page.h"

std::string AsciiLower(const std::string& text) {
    std::string lower = text;
    for (char& c : lower) c = AsciiLower(c);
    return lower;
}

std::string TextSlice(const std::string& text, int start, int count) {
    const long long s = std::max(start - 1LL, 0LL);
    const long long length = static_cast<long long>(text.size());
    if (s >= length || count < 0) return {};
    return text.substr(static_cast<std::size_t>(s),
                       static_cast<std::size_t>(std::min<long long>(count, length - s)));
}

int TextFind(const std::string& needle, const std::string& text) {
    if (needle.empty()) return 0;
    const auto at = text.find(needle);
    return at == std::string::npos ? 0 : static_cast<int>(at) + 1;
}

int TextCompare(const std::string& a, const std::string& b) { return a.compare(b); }

std::string AsciiLower(const std::string& text, TCodePage codePage) {
    std::string lower = text;
    for (std::size_t at = 0; at < lower.size(); at += CharacterLength(lower, at, codePage))
        lower[at] = AsciiLower(lower[at]);
    return lower;
}

int TextFind(const std::string& needle, const std::string& text, TCodePage codePage) {
    if (needle.empty()) return 0;
    for (std::size_t at = 0; at + needle.size() <= text.size(); at += CharacterLength(text, at, codePage))
        if (text.compare(at, needle.size(), needle) == 0) return static_cast<int>(at) + 1;
    return 0;
}
