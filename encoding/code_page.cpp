#include "encoding/code_page.h"

#include <cstdlib>
#include <string>
#include <utility>

namespace {

int g_codePage = 0;  // 0: not read yet

std::string Normalized(std::string_view name) {
    std::string out;
    for (char c : name)
        if (c != '-' && c != '_') out += AsciiLower(c);
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

constexpr TByteRange kShiftJisLeadBytes[] = {{0x81, 0x9F}, {0xE0, 0xFC}};
constexpr TByteRange kEastAsianLeadBytes[] = {{0x81, 0xFE}};

}  // namespace

int CodePageOfLocaleName(std::string_view localeName) {
    if (localeName.empty() || localeName == "C" || localeName == "POSIX" ||
        localeName.rfind("C.", 0) == 0)
        return CodePageUtf8;
    int cp = 0;
    if (const auto dot = localeName.find('.'); dot != std::string_view::npos) {
        const std::string_view codeset = localeName.substr(dot + 1);
        cp = CodePageOfCodeset(Normalized(codeset.substr(0, codeset.find('@'))));
    }
    if (cp == 0) cp = CodePageOfLanguage(localeName);
    return cp ? cp : CodePageUtf8;
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

std::string UserLocaleName() {
    for (const char* var : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const char* value = std::getenv(var);
        if (value && *value) return value;
    }
    return {};
}

int AnsiCodePage() {
    if (g_codePage == 0) g_codePage = ReadCodePageFromEnvironment();
    return g_codePage;
}

void SetAnsiCodePage(int codePage) { g_codePage = codePage; }

std::span<const TByteRange> LeadByteRanges(int codePage) {
    switch (codePage) {
        case 932: return kShiftJisLeadBytes;
        case CodePageGbk:
        case CodePageGb18030:
        case 949:
        case 950: return kEastAsianLeadBytes;
        default: return {};
    }
}

std::bitset<256> LeadByteBits(int codePage) {
    std::bitset<256> bits;
    for (const TByteRange& range : LeadByteRanges(codePage))
        for (int byte = range.first; byte <= range.last; ++byte) bits.set(static_cast<std::size_t>(byte));
    return bits;
}

bool IsLeadByte(int codePage, unsigned char byte) {
    for (const TByteRange& range : LeadByteRanges(codePage))
        if (byte >= range.first && byte <= range.last) return true;
    return false;
}

std::size_t CharacterLength(std::string_view text, std::size_t at, int codePage) {
    return CharacterLength(text, at, IsLeadByte(codePage, static_cast<unsigned char>(text[at])));
}
