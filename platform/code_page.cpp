#include "platform/code_page.h"

#include <iconv.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <map>
#include <utility>
#include <vector>

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

// The code page a locale without a codeset stands for, by its language and territory.
int CodePageOfLanguage(std::string_view locale) {
    std::string lang = Normalized(locale.substr(0, locale.find('@')));
    if (lang.rfind("zhtw", 0) == 0 || lang.rfind("zhhk", 0) == 0) return 950;
    if (lang.rfind("zh", 0) == 0) return 936;
    if (lang.rfind("ja", 0) == 0) return 932;
    if (lang.rfind("ko", 0) == 0) return 949;
    return 1252;
}

int ReadCodePageFromEnvironment() {
    for (const char* var : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const char* value = std::getenv(var);
        if (value && *value) return CodePageOfLocaleName(value);
    }
    return CodePageUtf8;
}

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

int AnsiCodePage() {
    if (g_codePage == 0) g_codePage = ReadCodePageFromEnvironment();
    return g_codePage;
}

void SetAnsiCodePage(int codePage) { g_codePage = codePage; }

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
