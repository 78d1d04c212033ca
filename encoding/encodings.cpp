#include "encoding/encodings.h"

#include <charconv>

#include "encoding/code_page.h"

namespace {

constexpr TEncoding Table[] = {
    {TCodePage::Utf8, "UTF-8", "UTF-8", true},
    {TCodePage::Gbk, "GBK", "GBK", true},
    {TCodePage::Gb18030, "GB18030", "GB18030", true},
    {TCodePage::Big5, "BIG5", "Big5", true},
    {TCodePage::ShiftJis, "CP932", "Shift-JIS", true},
    {TCodePage::Korean, "CP949", "EUC-KR", true},
    {TCodePage::Windows1250, "CP1250", "Windows-1250", true},
    {TCodePage::Windows1251, "CP1251", "Windows-1251", true},
    {TCodePage::Windows1252, "CP1252", "Windows-1252", true},
    {TCodePage::Windows1253, "CP1253", "Windows-1253", true},
    {TCodePage::Windows1254, "CP1254", "Windows-1254", true},
    {TCodePage::Windows1255, "CP1255", "Windows-1255", true},
    {TCodePage::Windows1256, "CP1256", "Windows-1256", true},
    {TCodePage::Windows1257, "CP1257", "Windows-1257", true},
    {TCodePage::Windows1258, "CP1258", "Windows-1258", true},
    // Detected by their byte-order marks only: without one, the user says which order it is.
    {TCodePage::Utf16Le, "UTF-16LE", "UTF-16LE", true},
    {TCodePage::Utf16Be, "UTF-16BE", "UTF-16BE", true},
    // A locale's code page (th_TH.TIS-620), never a guess for a file.
    {TCodePage::Thai, "TIS-620", "Windows-874", false},
};

// The letters and digits of a name, in lower case.
std::string Folded(std::string_view name) {
    std::string folded;
    for (char c : name)
        if (c != '-' && c != '_' && c != ' ') folded += AsciiLower(c);
    return folded;
}

}  // namespace

std::span<const TEncoding> Encodings() { return Table; }

const TEncoding* FindEncoding(TCodePage codePage) {
    for (const TEncoding& encoding : Table)
        if (encoding.codePage == codePage) return &encoding;
    return nullptr;
}

std::string EncodingDisplayName(TCodePage codePage, int bomLength) {
    const TEncoding* encoding = FindEncoding(codePage);
    std::string name = encoding ? encoding->displayName : "CP" + std::to_string(CodePageNumber(codePage));
    if (codePage == TCodePage::Utf8 && bomLength > 0) name += " (BOM)";
    return name;
}

std::optional<TCodePage> FindEncodingByName(std::string_view name) {
    const std::string folded = Folded(name);
    for (const TEncoding& encoding : Table)
        if (folded == Folded(encoding.charset) || folded == Folded(encoding.displayName)) return encoding.codePage;
    const std::string_view digits = std::string_view(folded).substr(folded.starts_with("cp") ? 2 : 0);
    std::uint32_t number = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size() ||
        !FindEncoding(CodePageOfNumber(number)))
        return std::nullopt;
    return CodePageOfNumber(number);
}
