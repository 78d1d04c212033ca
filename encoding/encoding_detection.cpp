#include "encoding/encoding_detection.h"

#include <strings.h>
#include <uchardet.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "encoding/code_page.h"
#include "encoding/code_page_conversion.h"

namespace {

// Enough text for the checks and the library to be sure, and a bound on the time a large
// file's detection takes.
constexpr std::size_t SampleLimit = std::size_t{1} << 20;

struct TByteOrderMark {
    int codePage;
    std::string_view bytes;
};
constexpr TByteOrderMark ByteOrderMarks[] = {
    {CodePageUtf8, "\xEF\xBB\xBF"},
    {CodePageUtf16Le, "\xFF\xFE"},
    {CodePageUtf16Be, "\xFE\xFF"},
};

// In the order a file with no other evidence takes them: the program's users are mostly
// readers of Simplified Chinese.
constexpr int DoubleByteCodePages[] = {CodePageGbk, 950, 932, 949};

bool IsDoubleByte(int codePage) {
    return codePage == CodePageGb18030 ||
           std::find(std::begin(DoubleByteCodePages), std::end(DoubleByteCodePages), codePage) !=
               std::end(DoubleByteCodePages);
}

bool IsWindowsSingleByte(int codePage) { return codePage >= 1250 && codePage <= 1258; }

// GBK and GB18030 share their two-byte characters: a guess or preference of one stands for
// both.
int Family(int codePage) { return codePage == CodePageGb18030 ? CodePageGbk : codePage; }

// Where the first byte above 0x7F at or after `from` is; npos when there is none. Eight bytes
// at a time: every load of a large, mostly ASCII file passes here.
std::size_t FindHighByte(std::string_view bytes, std::size_t from) {
    constexpr std::uint64_t HighBits = 0x8080808080808080ull;
    std::size_t at = from;
    for (; at + 8 <= bytes.size(); at += 8) {
        std::uint64_t word;
        std::memcpy(&word, bytes.data() + at, 8);
        if (word & HighBits) break;
    }
    for (; at < bytes.size(); ++at)
        if (bytes[at] & 0x80) return at;
    return std::string_view::npos;
}

// The lines that hold a byte above 0x7F, each with its LF, until they reach limit bytes. No
// code page detected this way has an LF inside a character, so each line is whole.
std::string NonAsciiLines(std::string_view bytes, std::size_t limit) {
    std::string lines;
    std::size_t next = 0;  // where the next line starts
    while (lines.size() < limit) {
        const std::size_t high = FindHighByte(bytes, next);
        if (high == std::string_view::npos) break;
        const std::size_t lf = bytes.rfind('\n', high);
        const std::size_t start = lf == std::string_view::npos || lf < next ? next : lf + 1;
        const std::size_t end = std::min(bytes.find('\n', high), bytes.size() - 1) + 1;
        lines += bytes.substr(start, end - start);
        next = end;
    }
    return lines;
}

// UTF-8 of U+E000 to U+F8FF: EE xx xx, or EF 80-A3 xx.
bool HoldsPrivateUse(std::string_view utf8) {
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto byte = static_cast<unsigned char>(utf8[i]);
        if (byte == 0xEE) return true;
        if (byte == 0xEF && i + 1 < utf8.size() && static_cast<unsigned char>(utf8[i + 1]) <= 0xA3)
            return true;
    }
    return false;
}

// Every character of the sample is a defined one of codePage. Private-use characters do not
// count: GB18030 and Shift-JIS give one to nearly any pair of high bytes, Big5's punctuation too.
bool Fits(std::string_view sample, int codePage) {
    return IsValidInCodePage(sample, codePage) && !HoldsPrivateUse(CodePageToUtf8(sample, codePage));
}

// Whether the sample reads in codePage but for a few stray bytes (a value cut in the middle
// of a character, a byte pasted in from elsewhere): at least eight characters beyond ASCII
// for each byte the code page does not define, and no private-use character.
bool MostlyFits(std::string_view sample, int codePage) {
    const std::string text = CodePageToUtf8(sample, codePage);
    if (HoldsPrivateUse(text)) return false;
    std::size_t characters = 0, strays = 0;
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (text.compare(at, 3, "\xEF\xBF\xBD") == 0) {
            ++strays;
            at += 2;
        } else if ((static_cast<unsigned char>(text[at]) & 0xC0) == 0xC0) {
            ++characters;
        }
    }
    return characters >= 8 * strays;
}

// The double-byte code page that the locale or the library lean to, when the sample reads in
// it but for a few stray bytes; 0 for none.
int DoubleByteDespiteStrays(std::string_view sample, const TEncodingHints& hints, int guess) {
    if (IsWindowsSingleByte(hints.localeCodePage)) return 0;
    for (int leaning : {hints.preferredCodePage, guess}) {
        if (!IsDoubleByte(leaning)) continue;
        if (MostlyFits(sample, Family(leaning))) return Family(leaning);
        if (Family(leaning) == CodePageGbk && MostlyFits(sample, CodePageGb18030)) return CodePageGb18030;
    }
    return 0;
}

// The double-byte code pages the sample fits. GB18030 stands in for GBK when its four-byte
// characters make GBK fail.
std::vector<int> FittingDoubleByteCodePages(std::string_view sample) {
    std::vector<int> fitting;
    for (int codePage : DoubleByteCodePages) {
        if (Fits(sample, codePage))
            fitting.push_back(codePage);
        else if (codePage == CodePageGbk && Fits(sample, CodePageGb18030))
            fitting.push_back(CodePageGb18030);
    }
    return fitting;
}

// The detection library's guess as one of our code pages; 0 when it has none or names one we
// do not read (KOI8-R, ISO-8859-5, ...), whose letters sit elsewhere than in any Windows code page.
int LibraryGuess(std::string_view sample) {
    static const std::pair<const char*, int> table[] = {
        {"GB18030", CodePageGbk}, {"GB2312", CodePageGbk}, {"GBK", CodePageGbk},
        {"BIG5", 950},           {"SHIFT_JIS", 932},      {"EUC-KR", 949},
        {"UHC", 949},            {"WINDOWS-1250", 1250},  {"WINDOWS-1251", 1251},
        {"WINDOWS-1252", 1252},  {"WINDOWS-1253", 1253},  {"WINDOWS-1254", 1254},
        {"WINDOWS-1255", 1255},  {"WINDOWS-1256", 1256},  {"WINDOWS-1257", 1257},
        {"WINDOWS-1258", 1258},  {"ISO-8859-1", 1252},    {"ISO-8859-15", 1252},
        {"ISO-8859-2", 1250},    {"ISO-8859-7", 1253},    {"ISO-8859-9", 1254},
        {"ISO-8859-8", 1255},    {"ISO-8859-13", 1257},
    };
    std::unique_ptr<uchardet, decltype(&uchardet_delete)> detector(uchardet_new(),
                                                                   uchardet_delete);
    if (!detector || uchardet_handle_data(detector.get(), sample.data(), sample.size()) != 0)
        return 0;
    uchardet_data_end(detector.get());
    const char* name = uchardet_get_charset(detector.get());
    for (const auto& [charset, codePage] : table)
        if (strcasecmp(name, charset) == 0) return codePage;
    return 0;
}

std::pair<int, TEncodingBasis> LegacyCodePage(std::string_view sample, const TEncodingHints& hints) {
    const std::vector<int> fitting = FittingDoubleByteCodePages(sample);
    auto fittingOf = [&](int codePage) {
        for (int fit : fitting)
            if (Family(fit) == Family(codePage)) return fit;
        return 0;
    };
    const int guess = LibraryGuess(sample);
    if (int codePage = fittingOf(guess)) return {codePage, TEncodingBasis::LibraryGuess};
    if (int codePage = fittingOf(hints.preferredCodePage))
        return {codePage, TEncodingBasis::LocalePreference};
    if (!fitting.empty() && !IsWindowsSingleByte(hints.localeCodePage))
        return {fitting.front(), TEncodingBasis::DoubleByteStructure};
    if (int codePage = DoubleByteDespiteStrays(sample, hints, guess)) return {codePage, TEncodingBasis::DespiteStrays};
    if (IsWindowsSingleByte(guess)) return {guess, TEncodingBasis::LibraryGuess};
    return {IsWindowsSingleByte(hints.preferredCodePage) ? hints.preferredCodePage : 1252,
            TEncodingBasis::Fallback};
}

}  // namespace

TEncodingHints EncodingHintsOfLocale(std::string_view localeName) {
    const int localeCodePage = CodePageOfLocaleName(localeName);
    const bool ownCodePageCounts = IsDoubleByte(localeCodePage) || IsWindowsSingleByte(localeCodePage);
    return {localeCodePage, ownCodePageCounts ? localeCodePage : CodePageOfLanguage(localeName)};
}

TEncodingHints UserEncodingHints() { return EncodingHintsOfLocale(UserLocaleName()); }

TFileEncoding DetectEncoding(std::string_view bytes, const TEncodingHints& hints) {
    for (const TByteOrderMark& mark : ByteOrderMarks)
        if (bytes.starts_with(mark.bytes))
            return {mark.codePage, static_cast<int>(mark.bytes.size()), TEncodingBasis::ByteOrderMark};
    const std::string sample = NonAsciiLines(bytes, SampleLimit);
    if (sample.empty()) return {hints.localeCodePage, 0, TEncodingBasis::PureAscii};
    if (IsValidInCodePage(sample, CodePageUtf8)) return {CodePageUtf8, 0, TEncodingBasis::ValidUtf8};
    // Text of another code page is nearly all strays as UTF-8.
    if (MostlyFits(sample, CodePageUtf8)) return {CodePageUtf8, 0, TEncodingBasis::DespiteStrays};
    const auto [codePage, basis] = LegacyCodePage(sample, hints);
    return {codePage, 0, basis};
}

bool ReadsInCodePage(std::string_view bytes, int codePage) {
    return MostlyFits(NonAsciiLines(bytes.substr(size_t(ByteOrderMarkLength(bytes, codePage))), SampleLimit), codePage);
}

int ByteOrderMarkLength(std::string_view bytes, int codePage) {
    for (const TByteOrderMark& mark : ByteOrderMarks)
        if (mark.codePage == codePage && bytes.starts_with(mark.bytes))
            return static_cast<int>(mark.bytes.size());
    return 0;
}

TFileEncoding ChosenEncoding(std::string_view bytes, int codePage) {
    return {codePage, ByteOrderMarkLength(bytes, codePage), TEncodingBasis::UserChoice};
}
