#include "platform/code_page.h"

#include <iconv.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <map>
#include <utility>

#include "platform/encodings.h"
#include "platform/locale_info.h"

namespace {

int g_codePage = 0;  // 0: not read yet

std::string Normalized(std::string_view name) {
    std::string out;
    for (char c : name)
        if (c != '-' && c != '_') out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

int CodePageOfCodeset(const std::string& codeset) {
    static const std::pair<const char*, int> table[] = {
        {"utf8", CodePageUtf8}, {"gbk", 936}, {"gb2312", 936}, {"gb18030", 936}, {"euccn", 936},
        {"cp936", 936}, {"big5", 950}, {"big5hkscs", 950}, {"euctw", 950}, {"cp950", 950},
        {"euckr", 949}, {"cp949", 949}, {"uhc", 949}, {"sjis", 932}, {"shiftjis", 932},
        {"cp932", 932}, {"eucjp", 932}, {"iso88591", 1252}, {"iso885915", 1252}, {"cp1252", 1252},
        {"iso88592", 1250}, {"cp1250", 1250}, {"iso88595", 1251}, {"koi8r", 1251}, {"koi8u", 1251},
        {"cp1251", 1251}, {"iso88597", 1253}, {"iso88599", 1254}, {"iso88598", 1255},
        {"iso88596", 1256}, {"iso885913", 1257}, {"tis620", 874},
    };
    for (const auto& [name, cp] : table)
        if (codeset == name) return cp;
    return 0;
}

int ReadCodePageFromEnvironment() { return CodePageOfLocaleName(UserLocaleName()); }

bool IsUtf16(int codePage) { return codePage == CodePageUtf16Le || codePage == CodePageUtf16Be; }

// Opening a converter is costly next to converting one cell of a list, so they are kept.
iconv_t Converter(int from, int to) {
    static std::map<std::pair<int, int>, iconv_t> open;
    auto [it, added] = open.try_emplace({from, to}, reinterpret_cast<iconv_t>(-1));
    if (added) it->second = iconv_open(CodePageCharset(to).c_str(), CodePageCharset(from).c_str());
    return it->second;
}

// Converts with iconv; on an invalid or incomplete sequence calls onInvalid, which may append
// a replacement and returns false to give up, and then steps over one unit of the input.
template <typename OnInvalid>
bool Convert(int from, int to, std::string_view input, std::string& output, OnInvalid onInvalid) {
    iconv_t cd = Converter(from, to);
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
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

int CodePageOfLocaleName(std::string_view localeName) {
    if (localeName.empty() || localeName == "C" || localeName == "POSIX" ||
        localeName.rfind("C.", 0) == 0)
        return CodePageUtf8;
    auto dot = localeName.find('.');
    if (dot == std::string_view::npos) return CodePageOfLanguage(localeName);
    std::string_view codeset = localeName.substr(dot + 1);
    codeset = codeset.substr(0, codeset.find('@'));
    int cp = CodePageOfCodeset(Normalized(codeset));
    return cp ? cp : CodePageOfLanguage(localeName.substr(0, dot));
}

int CodePageOfLanguage(std::string_view localeName) {
    const std::string_view name = localeName.substr(0, localeName.find_first_of(".@"));
    const size_t underscore = name.find('_');
    const std::string language = Normalized(name.substr(0, underscore));
    const std::string territory =
        underscore == std::string_view::npos ? "" : Normalized(name.substr(underscore + 1));
    if (language.empty() || language == "c" || language == "posix") return 0;
    if (language == "zh")
        return territory == "tw" || territory == "hk" || territory == "mo" ? 950 : 936;
    static const std::pair<const char*, int> table[] = {
        {"ja", 932},   {"ko", 949},   {"ru", 1251},  {"uk", 1251},  {"be", 1251},  {"bg", 1251},
        {"mk", 1251},  {"sr", 1251},  {"pl", 1250},  {"cs", 1250},  {"sk", 1250},  {"hu", 1250},
        {"sl", 1250},  {"hr", 1250},  {"bs", 1250},  {"ro", 1250},  {"sq", 1250},  {"el", 1253},
        {"tr", 1254},  {"az", 1254},  {"he", 1255},  {"iw", 1255},  {"ar", 1256},  {"fa", 1256},
        {"ur", 1256},  {"lt", 1257},  {"lv", 1257},  {"et", 1257},  {"vi", 1258},
    };
    for (const auto& [code, cp] : table)
        if (language == code) return cp;
    return 1252;
}

std::string CodePageCharset(int codePage) {
    if (const TEncoding* encoding = FindEncoding(codePage)) return encoding->charset;
    return "CP" + std::to_string(codePage);
}

int AnsiCodePage() {
    if (g_codePage == 0) g_codePage = ReadCodePageFromEnvironment();
    return g_codePage;
}

void SetAnsiCodePage(int codePage) { g_codePage = codePage; }

std::optional<std::string> Utf8ToCodePage(std::string_view utf8, int codePage) {
    std::string out;
    if (!Convert(CodePageUtf8, codePage, utf8, out, [](std::string&) { return false; }))
        return std::nullopt;
    return out;
}

std::string CodePageToUtf8(std::string_view bytes, int codePage) {
    std::string out;
    Convert(codePage, CodePageUtf8, bytes, out, [](std::string& o) {
        o += "\xEF\xBF\xBD";
        return true;
    });
    return out;
}

bool IsValidInCodePage(std::string_view bytes, int codePage) {
    std::string out;
    return Convert(codePage, CodePageUtf8, bytes, out, [](std::string&) { return false; });
}

std::optional<std::string> Utf8ToAnsi(std::string_view utf8) {
    return Utf8ToCodePage(utf8, AnsiCodePage());
}

std::string AnsiToUtf8(std::string_view ansi) { return CodePageToUtf8(ansi, AnsiCodePage()); }

std::string Ansi(std::string_view utf8) {
    if (auto text = Utf8ToAnsi(utf8)) return *text;
    return std::string(utf8);
}
