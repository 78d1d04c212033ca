#include "platform/code_page_conversion.h"

#include <iconv.h>

#include <cerrno>
#include <map>
#include <utility>
#include <vector>

#include "platform/code_page.h"

namespace {

// Opening a converter is costly next to converting one cell of a list, so they are kept.
iconv_t Converter(const std::string& from, const std::string& to) {
    static std::map<std::pair<std::string, std::string>, iconv_t> open;
    auto [it, added] = open.try_emplace({from, to}, reinterpret_cast<iconv_t>(-1));
    if (added) it->second = iconv_open(to.c_str(), from.c_str());
    return it->second;
}

// Converts with iconv; on an invalid sequence calls onInvalid, which may append a
// replacement and returns false to give up.
template <typename OnInvalid>
bool Convert(const std::string& from, const std::string& to, std::string_view input,
             std::string& output, OnInvalid onInvalid) {
    iconv_t cd = Converter(from, to);
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char* in = const_cast<char*>(input.data());
    size_t inLeft = input.size();
    std::vector<char> buffer(input.size() * 4 + 16);
    bool ok = true;
    while (inLeft > 0) {
        char* out = buffer.data();
        size_t outLeft = buffer.size();
        size_t rc = iconv(cd, &in, &inLeft, &out, &outLeft);
        output.append(buffer.data(), out - buffer.data());
        if (rc != static_cast<size_t>(-1)) continue;
        if (errno == E2BIG) continue;
        if (!onInvalid(output)) { ok = false; break; }
        ++in;  // skip one byte and start over in the initial shift state
        --inLeft;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    return ok;
}

}  // namespace

std::string CodePageCharset(int codePage) {
    switch (codePage) {
        case CodePageUtf8: return "UTF-8";
        case 936: return "GBK";
        case 950: return "BIG5";
        case 949: return "CP949";
        case 932: return "CP932";
        case 874: return "TIS-620";
        default: return "CP" + std::to_string(codePage);
    }
}

std::optional<std::string> Utf8ToAnsi(std::string_view utf8) {
    if (AnsiCodePage() == CodePageUtf8) {
        std::string checked;
        if (!Convert("UTF-8", "UTF-8", utf8, checked, [](std::string&) { return false; }))
            return std::nullopt;
        return checked;
    }
    std::string out;
    if (!Convert("UTF-8", CodePageCharset(AnsiCodePage()), utf8, out,
                 [](std::string&) { return false; }))
        return std::nullopt;
    return out;
}

std::string AnsiToUtf8(std::string_view ansi) {
    std::string out;
    Convert(CodePageCharset(AnsiCodePage()), "UTF-8", ansi, out, [](std::string& o) {
        o += "\xEF\xBF\xBD";
        return true;
    });
    return out;
}

std::string Ansi(std::string_view utf8) {
    if (auto text = Utf8ToAnsi(utf8)) return *text;
    return std::string(utf8);
}
