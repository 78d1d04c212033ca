#include "platform/profile/edit_record.h"

#include <algorithm>
#include <functional>
#include <utility>

namespace {

// Enough to tell one key line from another in most files, small beside any change.
constexpr std::size_t ContextBytes = 64;

std::ptrdiff_t Growth(const ByteSpan& span) {
    return static_cast<std::ptrdiff_t>(span.after.size()) - static_cast<std::ptrdiff_t>(span.before.size());
}

}  // namespace

void EditRecorder::Replaced(std::size_t offset, std::string_view before, std::string_view after) {
    if (before.empty() && after.empty()) return;
    const auto original = static_cast<std::size_t>(static_cast<std::ptrdiff_t>(offset) - growth_);
    growth_ += static_cast<std::ptrdiff_t>(after.size()) - static_cast<std::ptrdiff_t>(before.size());
    if (!record_.spans.empty()) {
        ByteSpan& last = record_.spans.back();
        if (last.offset + last.before.size() == original) {
            last.before.append(before);
            last.after.append(after);
            return;
        }
    }
    record_.spans.push_back(ByteSpan{original, std::string(before), std::string(after), {}, {}});
}

EditRecord EditRecorder::Finish(std::string_view edited) {
    std::vector<ByteSpan>& spans = record_.spans;
    std::ptrdiff_t growth = 0;
    std::size_t previousEnd = 0;
    for (std::size_t i = 0; i < spans.size(); ++i) {
        ByteSpan& span = spans[i];
        const auto at = static_cast<std::size_t>(static_cast<std::ptrdiff_t>(span.offset) + growth);
        const std::size_t end = at + span.after.size();
        growth += Growth(span);
        const std::size_t nextBegin = i + 1 < spans.size()
            ? static_cast<std::size_t>(static_cast<std::ptrdiff_t>(spans[i + 1].offset) + growth)
            : edited.size();
        const std::size_t leadBegin = std::max(previousEnd, at >= ContextBytes ? at - ContextBytes : 0);
        span.lead = std::string(edited.substr(leadBegin, at - leadBegin));
        span.trail = std::string(edited.substr(end, std::min(nextBegin, end + ContextBytes) - end));
        previousEnd = end;
    }
    growth_ = 0;
    return std::exchange(record_, {});
}

namespace {

// The context on the span's own lines: from the line break before it, to the line break after it.
std::string_view NearLead(std::string_view lead) {
    const std::size_t lineBreak = lead.find_last_of("\r\n");
    return lineBreak == std::string_view::npos ? lead : lead.substr(lineBreak);
}

std::string_view NearTrail(std::string_view trail) {
    const std::size_t lineBreak = trail.find_first_of("\r\n");
    return lineBreak == std::string_view::npos ? trail : trail.substr(0, lineBreak + 1);
}

// Where `current` sits between lead and trail: at the planned place if it is there, otherwise
// at the one place in bytes (from `from` on) where it is. Nothing when absent or ambiguous.
std::optional<std::size_t> Find(std::string_view bytes, std::size_t from, std::ptrdiff_t planned,
                                std::string_view lead, std::string_view current, std::string_view trail) {
    std::string pattern;
    pattern.reserve(lead.size() + current.size() + trail.size());
    pattern.append(lead).append(current).append(trail);
    if (pattern.empty()) return std::nullopt;
    const std::ptrdiff_t start = planned - static_cast<std::ptrdiff_t>(lead.size());
    if (start >= static_cast<std::ptrdiff_t>(from) && static_cast<std::size_t>(start) + pattern.size() <= bytes.size() &&
        bytes.substr(static_cast<std::size_t>(start), pattern.size()) == pattern)
        return static_cast<std::size_t>(planned);
    const std::boyer_moore_horspool_searcher searcher(pattern.begin(), pattern.end());
    const auto first = std::search(bytes.begin() + static_cast<std::ptrdiff_t>(from), bytes.end(), searcher);
    if (first == bytes.end() || std::search(first + 1, bytes.end(), searcher) != bytes.end()) return std::nullopt;
    return static_cast<std::size_t>(first - bytes.begin()) + lead.size();
}

}  // namespace

// Each span is looked for with its whole context first, then with only the context on its own
// lines, so that another program's change a line away does not hide it.
std::optional<std::vector<std::size_t>> LocateSpans(const EditRecord& record, ReplayDirection direction,
                                                    std::string_view bytes) {
    std::vector<std::size_t> found;
    std::ptrdiff_t growth = 0;  // of the spans before, when undoing: where the record put them
    std::ptrdiff_t drift = 0;   // how far the last span was from where the record put it
    std::size_t from = 0;
    for (const ByteSpan& span : record.spans) {
        const std::string& current = direction == ReplayDirection::Undo ? span.after : span.before;
        const std::size_t planned = span.offset + (direction == ReplayDirection::Undo ? growth : 0);
        growth += Growth(span);
        // A span with no bytes around it and none of its own stood for the whole file.
        if (span.lead.empty() && current.empty() && span.trail.empty()) {
            if (!bytes.empty()) return std::nullopt;
            found.push_back(0);
            continue;
        }
        const std::ptrdiff_t guess = static_cast<std::ptrdiff_t>(planned) + drift;
        std::optional<std::size_t> at = Find(bytes, from, guess, span.lead, current, span.trail);
        if (!at) at = Find(bytes, from, guess, NearLead(span.lead), current, NearTrail(span.trail));
        if (!at) return std::nullopt;
        drift = static_cast<std::ptrdiff_t>(*at) - static_cast<std::ptrdiff_t>(planned);
        found.push_back(*at);
        from = *at + current.size();
    }
    return found;
}
