#include "platform/encoding_detection.h"

#include <strings.h>
#include <uchardet.h>

#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/code_page.h"
#include "platform/code_page_conversion.h"

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

// The lines that hold a byte above 0x7F, each with its LF, until they reach limit bytes. No
// code page detected this way has an LF inside a character, so each line is whole.
std::string NonAsciiLines(std::string_view bytes, std::size_t limit) {
    std::string lines;
    std::size_t start = 0;
    while (start < bytes.size() && lines.size() < limit) {
        const std::size_t lf = bytes.find('\n', start);
        const std::size_t end = lf == std::string_view::npos ? bytes.size() : lf + 1;
        const std::string_view line = bytes.substr(start, end - start);
        if (std::any_of(line.begin(), line.end(), [](char c) { return c & 0x80; })) lines += line;
        start = end;
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
    const auto [codePage, basis] = LegacyCodePage(sample, hints);
    return {codePage, 0, basis};
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
