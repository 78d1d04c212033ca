#include "text/lead_bytes.h"

#include <algorithm>

#include "encoding/code_page.h"

namespace {

TByteSet g_leadBytes;
bool g_doubleByte = false;

constexpr TLocaleId LocaleEnglishUs = 0x409;

// Languages whose locales never use a double-byte code page: neutral, Danish, German,
// English, Spanish, Finnish, French, Italian, Dutch, Norwegian, Portuguese, Swedish.
bool IsWesternLanguage(int language) {
    constexpr int western[] = {0, 6, 7, 9, 10, 11, 12, 16, 19, 20, 22, 29};
    return std::find(std::begin(western), std::end(western), language) != std::end(western);
}

bool InLeadByteSet(const std::string& text, int at) {
    return g_leadBytes.test(static_cast<unsigned char>(text[at]));
}

}  // namespace

const TByteSet& LeadByteSet() { return g_leadBytes; }

bool DoubleByteLocale() { return g_doubleByte; }

void InitLeadByteSet() { InitLeadByteSet(ThreadLocaleId()); }

void InitLeadByteSet(TLocaleId localeId) {
    if (localeId == 0) localeId = LocaleEnglishUs;
    g_leadBytes.reset();
    g_doubleByte = false;
    if (IsWesternLanguage(PrimaryLanguageOf(localeId))) return;
    for (const TByteRange& range : LeadByteRanges(AnsiCodePage()))
        for (int byte = range.first; byte <= range.last; ++byte) g_leadBytes.set(byte);
    g_doubleByte = g_leadBytes.any();
}

TByteKind ByteKind(const std::string& text, int index) {
    const int j = index - 1;
    if (!g_doubleByte || j < 0 || j >= static_cast<int>(text.size()) || text[j] == '\0')
        return ByteKindSingle;
    // After an odd run of lead bytes this byte completes the run's last character.
    int k = 0;
    while (k < j && InLeadByteSet(text, j - 1 - k)) ++k;
    if (k % 2 == 1) return ByteKindTrail;
    return InLeadByteSet(text, j) ? ByteKindLead : ByteKindSingle;
}
