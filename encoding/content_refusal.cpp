#include "encoding/content_refusal.h"

#include "encoding/code_page.h"

TContentRefusal ContentRefusal(std::string_view bytes, const TFileEncoding& verdict, const TFileEncoding& encoding) {
    // A UTF-16 text holds NUL bytes in most of its characters, and every byte reads: the parts
    // that do not decode are kept as they are, and only edits touching them are refused.
    if (IsUtf16(encoding.codePage)) return TContentRefusal::None;
    if (bytes.substr(0, BinaryProbeBytes).find('\0') != std::string_view::npos) return TContentRefusal::Binary;
    const std::string_view text = bytes.substr(std::size_t(encoding.bomLength));
    if (!encoding.SameAs(verdict) && !ReadsInCodePage(text, encoding.codePage)) return TContentRefusal::OtherEncoding;
    return TContentRefusal::None;
}
