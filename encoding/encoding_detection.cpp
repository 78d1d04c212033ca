#include "encoding/encoding_detection.h"

#include <strings.h>
#include <uchardet.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "encoding/code_page.h"
#include "encoding/code_page_conversion.h"

namespace {

// Enough text for the checks and the library to be sure, and a bound on the time a large
// file's detection takes.
constexpr std::size_t SampleLimit = std::size_t{1} << 20;

struct TByteOrderMark {
    TCodePage codePage;
    std::string_view bytes;
};
constexpr TByteOrderMark ByteOrderMarks[] = {
    {TCodePage::Utf8, "\xEF\xBB\xBF"},
    {TCodePage::Utf16Le, "\xFF\xFE"},
    {TCodePage::Utf16Be, "\xFE\xFF"},
};

// In the order a file with no other evidence takes them: the program's users are mostly
// readers of Simplified Chinese.
constexpr TCodePage DoubleByteCodePages[] = {TCodePage::Gbk, TCodePage::Big5, TCodePage::ShiftJis, TCodePage::Korean};

bool IsDoubleByte(TCodePage codePage) {
    return codePage == TCodePage::Gb18030 ||
           std::find(std::begin(DoubleByteCodePages), std::end(DoubleByteCodePages), codePage) !=
               std::end(DoubleByteCodePages);
}

bool IsWindowsSingleByte(TCodePage codePage) {
    return codePage >= TCodePage::Windows1250 && codePage <= TCodePage::Windows1258;
}

// GBK and GB18030 share their two-byte characters: a guess or preference of one stands for
// both.
TCodePage Family(TCodePage codePage) { return codePage == TCodePage::Gb18030 ? TCodePage::Gbk : codePage; }

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
bool Fits(std::string_view sample, TCodePage codePage) {
    const std::optional<std::string> text = ValidCodePageToUtf8(sample, codePage);
    return text && !HoldsPrivateUse(*text);
}

// Whether the sample reads in codePage but for a few stray bytes (a value cut in the middle
// of a character, a byte pasted in from elsewhere): at least eight characters beyond ASCII
// for each byte the code page does not define, and no private-use character.
bool MostlyFits(std::string_view sample, TCodePage codePage) {
    const std::string text = CodePageToUtf8(sample, codePage);
    if (HoldsPrivateUse(text)) return false;
    std::size_t characters = 0, strays = 0;
    for (std::size_t at = 0; at < text.size(); ++at) {
        const auto byte = static_cast<unsigned char>(text[at]);
        if ((byte & 0xC0) != 0xC0) continue;  // ASCII, or inside a character
        if (byte == 0xEF && text.compare(at, 3, "\xEF\xBF\xBD") == 0) {
            ++strays;
            at += 2;
        } else {
            ++characters;
        }
    }
    return characters >= 8 * strays;
}

// The double-byte code page that the locale or the library lean to, when the sample reads in
// it but for a few stray bytes; None for none.
TCodePage DoubleByteDespiteStrays(std::string_view sample, const TEncodingHints& hints, TCodePage guess) {
    if (IsWindowsSingleByte(hints.localeCodePage)) return TCodePage::None;
    for (TCodePage leaning : {hints.preferredCodePage, guess}) {
        if (!IsDoubleByte(leaning)) continue;
        if (MostlyFits(sample, Family(leaning))) return Family(leaning);
        if (Family(leaning) == TCodePage::Gbk && MostlyFits(sample, TCodePage::Gb18030)) return TCodePage::Gb18030;
    }
    return TCodePage::None;
}

// Which of the double-byte code pages the sample fits, each tried once and only when asked: a
// file of the code page the library guesses converts its sample once, not once per code page.
class TDoubleByteFits {
public:
    explicit TDoubleByteFits(std::string_view sample) : sample_(sample) {}

    // The member of codePage's family that the sample fits: GB18030 stands in for GBK when its
    // four-byte characters make GBK fail. None when neither fits, or codePage is no double-byte one.
    TCodePage Of(TCodePage codePage) {
        const auto family = std::find(std::begin(DoubleByteCodePages), std::end(DoubleByteCodePages), Family(codePage));
        if (family == std::end(DoubleByteCodePages)) return TCodePage::None;
        std::optional<TCodePage>& fit = fits_[family - std::begin(DoubleByteCodePages)];
        if (!fit) fit = FitOfFamily(*family);
        return *fit;
    }
    // The first code page the sample fits, in the order of DoubleByteCodePages.
    TCodePage First() {
        for (TCodePage codePage : DoubleByteCodePages)
            if (TCodePage fit = Of(codePage); fit != TCodePage::None) return fit;
        return TCodePage::None;
    }

private:
    TCodePage FitOfFamily(TCodePage codePage) const {
        if (Fits(sample_, codePage)) return codePage;
        if (codePage == TCodePage::Gbk && Fits(sample_, TCodePage::Gb18030)) return TCodePage::Gb18030;
        return TCodePage::None;
    }

    std::string_view sample_;
    std::optional<TCodePage> fits_[std::size(DoubleByteCodePages)];
};

// The detection library's guess as one of our code pages; None when it has none or names one we
// do not read (KOI8-R, ISO-8859-5, ...), whose letters sit elsewhere than in any Windows code page.
TCodePage LibraryGuess(std::string_view sample) {
    using enum TCodePage;
    static const std::pair<const char*, TCodePage> table[] = {
        {"GB18030", Gbk},                {"GB2312", Gbk},                 {"GBK", Gbk},
        {"BIG5", Big5},                  {"SHIFT_JIS", ShiftJis},         {"EUC-KR", Korean},
        {"UHC", Korean},                 {"WINDOWS-1250", Windows1250},   {"WINDOWS-1251", Windows1251},
        {"WINDOWS-1252", Windows1252},   {"WINDOWS-1253", Windows1253},   {"WINDOWS-1254", Windows1254},
        {"WINDOWS-1255", Windows1255},   {"WINDOWS-1256", Windows1256},   {"WINDOWS-1257", Windows1257},
        {"WINDOWS-1258", Windows1258},   {"ISO-8859-1", Windows1252},     {"ISO-8859-15", Windows1252},
        {"ISO-8859-2", Windows1250},     {"ISO-8859-7", Windows1253},     {"ISO-8859-9", Windows1254},
        {"ISO-8859-8", Windows1255},     {"ISO-8859-13", Windows1257},
    };
    std::unique_ptr<uchardet, decltype(&uchardet_delete)> detector(uchardet_new(),
                                                                   uchardet_delete);
    if (!detector || uchardet_handle_data(detector.get(), sample.data(), sample.size()) != 0)
        return None;
    uchardet_data_end(detector.get());
    const char* name = uchardet_get_charset(detector.get());
    for (const auto& [charset, codePage] : table)
        if (strcasecmp(name, charset) == 0) return codePage;
    return None;
}

std::pair<TCodePage, TEncodingBasis> LegacyCodePage(std::string_view sample, const TEncodingHints& hints) {
    TDoubleByteFits fitting(sample);
    const TCodePage guess = LibraryGuess(sample);
    if (TCodePage codePage = fitting.Of(guess); codePage != TCodePage::None)
        return {codePage, TEncodingBasis::LibraryGuess};
    if (TCodePage codePage = fitting.Of(hints.preferredCodePage); codePage != TCodePage::None)
        return {codePage, TEncodingBasis::LocalePreference};
    if (!IsWindowsSingleByte(hints.localeCodePage))
        if (TCodePage first = fitting.First(); first != TCodePage::None) return {first, TEncodingBasis::DoubleByteStructure};
    if (TCodePage codePage = DoubleByteDespiteStrays(sample, hints, guess); codePage != TCodePage::None)
        return {codePage, TEncodingBasis::DespiteStrays};
    if (IsWindowsSingleByte(guess)) return {guess, TEncodingBasis::LibraryGuess};
    return {IsWindowsSingleByte(hints.preferredCodePage) ? hints.preferredCodePage : TCodePage::Windows1252,
            TEncodingBasis::Fallback};
}

}  // namespace

TEncodingHints EncodingHintsOfLocale(std::string_view localeName) {
    const TCodePage localeCodePage = CodePageOfLocaleName(localeName);
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
    if (IsValidInCodePage(sample, TCodePage::Utf8)) return {TCodePage::Utf8, 0, TEncodingBasis::ValidUtf8};
    // Text of another code page is nearly all strays as UTF-8.
    if (MostlyFits(sample, TCodePage::Utf8)) return {TCodePage::Utf8, 0, TEncodingBasis::DespiteStrays};
    const auto [codePage, basis] = LegacyCodePage(sample, hints);
    return {codePage, 0, basis};
}

bool ReadsInCodePage(std::string_view bytes, TCodePage codePage) {
    return MostlyFits(NonAsciiLines(bytes.substr(size_t(ByteOrderMarkLength(bytes, codePage))), SampleLimit), codePage);
}

int ByteOrderMarkLength(std::string_view bytes, TCodePage codePage) {
    for (const TByteOrderMark& mark : ByteOrderMarks)
        if (mark.codePage == codePage && bytes.starts_with(mark.bytes))
            return static_cast<int>(mark.bytes.size());
    return 0;
}

TFileEncoding ChosenEncoding(std::string_view bytes, TCodePage codePage) {
    return {codePage, ByteOrderMarkLength(bytes, codePage), TEncodingBasis::UserChoice};
}
