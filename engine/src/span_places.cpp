// The section each span of an edit record sits in, before and after the edit, so that an undo
// or a redo touches its own section or nothing.
#include <algorithm>

#include "engine/ini_document.h"
#include "ini_line.h"
#include "line_cursor.h"

namespace {

std::size_t LineStartBefore(std::string_view bytes, std::size_t at) {
    const std::size_t lineBreak = bytes.substr(0, at).find_last_of("\r\n");
    return lineBreak == std::string_view::npos ? 0 : lineBreak + 1;
}

// The bytes before the edit: those after it with each span's before bytes back in place.
std::string BytesBefore(std::string_view edited, const EditRecord& record) {
    std::string before;
    std::size_t at = 0;  // in edited
    std::ptrdiff_t growth = 0;
    for (const ByteSpan& span : record.spans) {
        const auto spanAt = static_cast<std::size_t>(static_cast<std::ptrdiff_t>(span.offset) + growth);
        before.append(edited.substr(at, spanAt - at)).append(span.before);
        at = spanAt + span.after.size();
        growth += static_cast<std::ptrdiff_t>(span.after.size()) - static_cast<std::ptrdiff_t>(span.before.size());
    }
    return before.append(edited.substr(at));
}

}  // namespace

// The lines that begin from the start of the line holding `at` up to the end of the span's
// bytes: a span that starts a line and has no bytes is part of none.
bool IniDocument::SpanTouchesHeader(std::size_t at, std::string_view bytes, std::size_t replaced) const {
    const std::string_view text = Raw();
    const std::size_t lineBegin = LineStartBefore(text, at);
    const std::size_t rest = at + replaced;
    std::string lines(text.substr(lineBegin, at - lineBegin));
    const std::size_t linesEnd = lines.size() + bytes.size();
    lines.append(bytes).append(text.substr(rest, FindLineBreak(text, rest) - rest));
    return HeaderLineBegins(lines, linesEnd, lineBegin == 0);
}

// Where no header line changed, every header stands before and after the edit, and what was
// before a span's first byte is what is before it now. Otherwise the headers are found again
// in the bytes before the edit.
void IniDocument::PlaceSpans(EditRecord& record) const {
    std::ptrdiff_t growth = 0;
    bool headersChanged = false;
    for (ByteSpan& span : record.spans) {
        const auto at = static_cast<std::size_t>(static_cast<std::ptrdiff_t>(span.offset) + growth);
        span.placeAfter = PlaceAt(PlacePoint(at, span.after.size()));
        headersChanged = headersChanged || SpanTouchesHeader(at, span.after, span.after.size()) ||
                         SpanTouchesHeader(at, span.before, span.after.size());
        span.placeBefore = PlaceAt(at > 0 ? std::optional<std::size_t>(at - 1) : std::nullopt);
        growth += static_cast<std::ptrdiff_t>(span.after.size()) - static_cast<std::ptrdiff_t>(span.before.size());
    }
    if (!headersChanged) return;
    const IniDocument before(BytesBefore(Raw(), record), lead_);
    for (ByteSpan& span : record.spans) span.placeBefore = before.PlaceAt(PlacePoint(span.offset, span.before.size()));
}
