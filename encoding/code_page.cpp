#include "encoding/code_page.h"

#include <cstdlib>
#include <string>
#include <utility>

namespace {

TCodePage g_codePage = TCodePage::None;  // not read yet

std::string Normalized(std::string_view name) {
    std::string out;
    for (char c : name)
        if (c != '-' && c != '_') out += AsciiLower(c);
    return out;
}

TCodePage CodePageOfCodeset(const std::string& codeset) {
    using enum TCodePage;
    static const std::pair<const char*, TCodePage> table[] = {
        {"utf8", Utf8}, {"gbk", Gbk}, {"gb2312", Gbk}, {"gb18030", Gbk}, {"euccn", Gbk},
        {"cp936", Gbk}, {"big5", Big5}, {"big5hkscs", Big5}, {"euctw", Big5}, {"cp950", Big5},
        {"euckr", Korean}, {"cp949", Korean}, {"uhc", Korean}, {"sjis", ShiftJis}, {"shiftjis", ShiftJis},
        {"cp932", ShiftJis}, {"eucjp", ShiftJis}, {"iso88591", Windows1252}, {"iso885915", Windows1252},
        {"cp1252", Windows1252}, {"iso88592", Windows1250}, {"cp1250", Windows1250}, {"iso88595", Windows1251},
        {"koi8r", Windows1251}, {"koi8u", Windows1251}, {"cp1251", Windows1251}, {"iso88597", Windows1253},
        {"iso88599", Windows1254}, {"iso88598", Windows1255}, {"iso88596", Windows1256},
        {"iso885913", Windows1257}, {"tis620", Thai},
    };
    for (const auto& [name, cp] : table)
        if (codeset == name) return cp;
    return None;
}

TCodePage ReadCodePageFromEnvironment() { return CodePageOfLocaleName(UserLocaleName()); }

constexpr TByteRange kShiftJisLeadBytes[] = {{0x81, 0x9F}, {0xE0, 0xFC}};
constexpr TByteRange kEastAsianLeadBytes[] = {{0x81, 0xFE}};

}  // namespace

TCodePage CodePageOfLocaleName(std::string_view localeName) {
    if (localeName.empty() || localeName == "C" || localeName == "POSIX" ||
        localeName.rfind("C.", 0) == 0)
        return TCodePage::Utf8;
    TCodePage cp = TCodePage::None;
    if (const auto dot = localeName.find('.'); dot != std::string_view::npos) {
        const std::string_view codeset = localeName.substr(dot + 1);
        cp = CodePageOfCodeset(Normalized(codeset.substr(0, codeset.find('@'))));
    }
    if (cp == TCodePage::None) cp = CodePageOfLanguage(localeName);
    return cp != TCodePage::None ? cp : TCodePage::Utf8;
}

TCodePage CodePageOfLanguage(std::string_view localeName) {
    using enum TCodePage;
    const std::string_view name = localeName.substr(0, localeName.find_first_of(".@"));
    const size_t underscore = name.find('_');
    const std::string language = Normalized(name.substr(0, underscore));
    const std::string territory =
        underscore == std::string_view::npos ? "" : Normalized(name.substr(underscore + 1));
    if (language.empty() || language == "c" || language == "posix") return None;
    if (language == "zh")
        return territory == "tw" || territory == "hk" || territory == "mo" ? Big5 : Gbk;
    static const std::pair<const char*, TCodePage> table[] = {
        {"ja", ShiftJis},    {"ko", Korean},      {"ru", Windows1251}, {"uk", Windows1251}, {"be", Windows1251},
        {"bg", Windows1251}, {"mk", Windows1251}, {"sr", Windows1251}, {"pl", Windows1250}, {"cs", Windows1250},
        {"sk", Windows1250}, {"hu", Windows1250}, {"sl", Windows1250}, {"hr", Windows1250}, {"bs", Windows1250},
        {"ro", Windows1250}, {"sq", Windows1250}, {"el", Windows1253}, {"tr", Windows1254}, {"az", Windows1254},
        {"he", Windows1255}, {"iw", Windows1255}, {"ar", Windows1256}, {"fa", Windows1256}, {"ur", Windows1256},
        {"lt", Windows1257}, {"lv", Windows1257}, {"et", Windows1257}, {"vi", Windows1258},
    };
    for (const auto& [code, cp] : table)
        if (language == code) return cp;
    return Windows1252;
}

std::string UserLocaleName() {
    for (const char* var : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const char* value = std::getenv(var);
        if (value && *value) return value;
    }
    return {};
}

TCodePage AnsiCodePage() {
    if (g_codePage == TCodePage::None) g_codePage = ReadCodePageFromEnvironment();
    return g_codePage;
}

void SetAnsiCodePage(TCodePage codePage) { g_codePage = codePage; }

std::span<const TByteRange> LeadByteRanges(TCodePage codePage) {
    switch (codePage) {
        case TCodePage::ShiftJis: return kShiftJisLeadBytes;
        case TCodePage::Gbk:
        case TCodePage::Gb18030:
        case TCodePage::Korean:
        case TCodePage::Big5: return kEastAsianLeadBytes;
        default: return {};
    }
}

std::bitset<256> LeadByteBits(TCodePage codePage) {
    std::bitset<256> bits;
    for (const TByteRange& range : LeadByteRanges(codePage))
        for (int byte = range.first; byte <= range.last; ++byte) bits.set(static_cast<std::size_t>(byte));
    return bits;
}

bool IsLeadByte(TCodePage codePage, unsigned char byte) {
    for (const TByteRange& range : LeadByteRanges(codePage))
        if (byte >= range.first && byte <= range.last) return true;
    return false;
}

std::size_t CharacterLength(std::string_view text, std::size_t at, TCodePage codePage) {
    return CharacterLength(text, at, IsLeadByte(codePage, static_cast<unsigned char>(text[at])));
}
