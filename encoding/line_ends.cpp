#include "encoding/line_ends.h"

#include <cstddef>
#include <cstring>

#include "encoding/code_page.h"

namespace {

template <typename UnitAt>
TLineEnds Classify(std::size_t units, UnitAt unitAt) {
    constexpr unsigned Cr = 0x0D, Lf = 0x0A;
    TLineEnds found = TLineEnds::None;
    for (std::size_t i = 0; i < units; ++i) {
        const unsigned unit = unitAt(i);
        TLineEnds kind;
        if (unit == Lf)
            kind = TLineEnds::Lf;
        else if (unit != Cr)
            continue;
        else if (i + 1 < units && unitAt(i + 1) == Lf)
            kind = TLineEnds::CrLf, ++i;
        else
            kind = TLineEnds::Cr;
        if (found != TLineEnds::None && found != kind) return TLineEnds::Mixed;
        found = kind;
    }
    return found;
}

// The same for bytes, jumping from one line end to the next: a file is loaded with this on
// every load, and most of its bytes are no line end.
TLineEnds ClassifyBytes(std::string_view bytes) {
    TLineEnds found = TLineEnds::None;
    auto note = [&found](TLineEnds kind) {
        if (found != TLineEnds::None && found != kind) found = TLineEnds::Mixed;
        else found = kind;
        return found != TLineEnds::Mixed;
    };
    const char* begin = bytes.data();
    const char* end = begin + bytes.size();
    for (const char* at = begin; (at = static_cast<const char*>(std::memchr(at, '\n', size_t(end - at)))); ++at)
        if (!note(at > begin && at[-1] == '\r' ? TLineEnds::CrLf : TLineEnds::Lf)) return found;
    for (const char* at = begin; (at = static_cast<const char*>(std::memchr(at, '\r', size_t(end - at)))); ++at)
        if ((at + 1 == end || at[1] != '\n') && !note(TLineEnds::Cr)) return found;
    return found;
}

}  // namespace

TLineEnds DetectLineEnds(std::string_view bytes, TCodePage codePage) {
    auto byteAt = [&](std::size_t i) { return static_cast<unsigned>(static_cast<unsigned char>(bytes[i])); };
    if (codePage == TCodePage::Utf16Le)
        return Classify(bytes.size() / 2, [&](std::size_t i) { return byteAt(2 * i) | byteAt(2 * i + 1) << 8; });
    if (codePage == TCodePage::Utf16Be)
        return Classify(bytes.size() / 2, [&](std::size_t i) { return byteAt(2 * i) << 8 | byteAt(2 * i + 1); });
    return ClassifyBytes(bytes);
}
