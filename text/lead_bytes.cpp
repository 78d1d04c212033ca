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

}  // namespace

const TByteSet& LeadByteSet() { return g_leadBytes; }

bool DoubleByteLocale() { return g_doubleByte; }

void InitLeadByteSet() { InitLeadByteSet(ThreadLocaleId()); }

void InitLeadByteSet(TLocaleId localeId) {
    if (localeId == 0) localeId = LocaleEnglishUs;
    g_leadBytes.reset();
    g_doubleByte = false;
    if (IsWesternLanguage(PrimaryLanguageOf(localeId))) return;
    g_leadBytes = LeadByteBits(AnsiCodePage());
    g_doubleByte = g_leadBytes.any();
}

TByteKind ByteKind(const std::string& text, int index) {
    const int j = index - 1;
    if (!g_doubleByte || j < 0 || j >= static_cast<int>(text.size()) || text[j] == '\0')
        return ByteKindSingle;
    const auto isLead = [](unsigned char byte) { return g_leadBytes.test(byte); };
    if (IsTrailByteAt(text, std::size_t(j), 0, isLead)) return ByteKindTrail;
    return isLead(static_cast<unsigned char>(text[j])) ? ByteKindLead : ByteKindSingle;
}
