#include "encoding/code_page_conversion.h"

#include <iconv.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <map>
#include <utility>

#include "encoding/code_page.h"
#include "encoding/encodings.h"

namespace {

// Converters opened on one thread, closed when it ends: a converter holds the state of the
// conversion under way, so threads never share one.
struct OpenConverters {
    std::map<std::pair<TCodePage, TCodePage>, iconv_t> open;
    ~OpenConverters() {
        for (auto& [pair, cd] : open)
            if (cd != reinterpret_cast<iconv_t>(-1)) iconv_close(cd);
    }
};

// Opening a converter is costly next to converting one cell of a list, so they are kept.
iconv_t Converter(TCodePage from, TCodePage to) {
    thread_local OpenConverters converters;
    auto [it, added] = converters.open.try_emplace({from, to}, reinterpret_cast<iconv_t>(-1));
    if (added) it->second = iconv_open(CodePageCharset(to).c_str(), CodePageCharset(from).c_str());
    return it->second;
}

thread_local std::size_t g_convertedBytes = 0;

// Converts with iconv; on an invalid or incomplete sequence calls onInvalid, which may append
// a replacement and returns false to give up, and then steps over one unit of the input.
template <typename OnInvalid>
bool Convert(TCodePage from, TCodePage to, std::string_view input, std::string& output, OnInvalid onInvalid) {
    iconv_t cd = Converter(from, to);
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    g_convertedBytes += input.size();
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    std::array<char, 4096> buffer;
    // Null input flushes what a stateful decoder (1255, 1258) holds back and resets it.
    auto pump = [&](char** in, size_t* inLeft) {
        size_t rc;
        do {
            char* out = buffer.data();
            size_t outLeft = buffer.size();
            rc = iconv(cd, in, inLeft, &out, &outLeft);
            output.append(buffer.data(), out - buffer.data());
        } while (rc == static_cast<size_t>(-1) && errno == E2BIG);
        return rc != static_cast<size_t>(-1);
    };
    char* in = const_cast<char*>(input.data());
    size_t inLeft = input.size();
    const size_t unit = IsUtf16(from) ? 2 : 1;
    while (!pump(&in, &inLeft)) {
        pump(nullptr, nullptr);
        if (!onInvalid(output)) return false;
        const size_t skip = std::min(unit, inLeft);
        in += skip;
        inLeft -= skip;
    }
    pump(nullptr, nullptr);
    return true;
}

}  // namespace

std::string CodePageCharset(TCodePage codePage) {
    if (const TEncoding* encoding = FindEncoding(codePage)) return encoding->charset;
    return "CP" + std::to_string(CodePageNumber(codePage));
}

std::optional<std::string> Utf8ToCodePage(std::string_view utf8, TCodePage codePage) {
    std::string out;
    if (!Convert(TCodePage::Utf8, codePage, utf8, out, [](std::string&) { return false; }))
        return std::nullopt;
    return out;
}

std::string CodePageToUtf8(std::string_view bytes, TCodePage codePage) {
    std::string out;
    Convert(codePage, TCodePage::Utf8, bytes, out, [](std::string& o) {
        o += "\xEF\xBF\xBD";
        return true;
    });
    return out;
}

std::optional<std::string> ValidCodePageToUtf8(std::string_view bytes, TCodePage codePage) {
    std::string out;
    if (!Convert(codePage, TCodePage::Utf8, bytes, out, [](std::string&) { return false; })) return std::nullopt;
    return out;
}

bool IsValidInCodePage(std::string_view bytes, TCodePage codePage) {
    return ValidCodePageToUtf8(bytes, codePage).has_value();
}

std::string ShownInCodePage(std::string_view bytes, TCodePage from, TCodePage to) {
    const std::string utf8 = CodePageToUtf8(bytes, from);
    if (auto whole = Utf8ToCodePage(utf8, to)) return *whole;
    const std::string mark = Utf8ToCodePage("\xEF\xBF\xBD", to).value_or("?");
    std::string out;
    for (std::size_t at = 0; at < utf8.size();) {
        const std::size_t length = Utf8CharacterLength(utf8, at);
        out += Utf8ToCodePage(std::string_view(utf8).substr(at, length), to).value_or(mark);
        at += length;
    }
    return out;
}

std::size_t Utf8CharacterLength(std::string_view utf8, std::size_t at) {
    std::size_t length = 1;
    while (at + length < utf8.size() && (static_cast<unsigned char>(utf8[at + length]) & 0xC0) == 0x80) ++length;
    return length;
}

std::size_t ConvertedByteCount() { return g_convertedBytes; }

std::optional<std::string> Utf8ToAnsi(std::string_view utf8) {
    return Utf8ToCodePage(utf8, AnsiCodePage());
}

std::string AnsiToUtf8(std::string_view ansi) { return CodePageToUtf8(ansi, AnsiCodePage()); }

std::string Ansi(std::string_view utf8) {
    if (auto text = Utf8ToAnsi(utf8)) return *text;
    return std::string(utf8);
}
