#include "platform/code_page.h"

#include <cctype>
#include <cstdlib>
#include <string>
#include <utility>

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

constexpr TByteRange kShiftJisLeadBytes[] = {{0x81, 0x9F}, {0xE0, 0xFC}};
constexpr TByteRange kEastAsianLeadBytes[] = {{0x81, 0xFE}};

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

int AnsiCodePage() {
    if (g_codePage == 0) g_codePage = ReadCodePageFromEnvironment();
    return g_codePage;
}

void SetAnsiCodePage(int codePage) { g_codePage = codePage; }

std::span<const TByteRange> LeadByteRanges(int codePage) {
    switch (codePage) {
        case 932: return kShiftJisLeadBytes;
        case 936:
        case 949:
        case 950: return kEastAsianLeadBytes;
        default: return {};
    }
}

bool IsLeadByte(int codePage, unsigned char byte) {
    for (const TByteRange& range : LeadByteRanges(codePage))
        if (byte >= range.first && byte <= range.last) return true;
    return false;
}

std::size_t CharacterLength(std::string_view text, std::size_t at, int codePage) {
    return IsLeadByte(codePage, static_cast<unsigned char>(text[at])) && at + 1 < text.size() ? 2 : 1;
}
