#include "engine/edit_record.h"

#include <algorithm>
#include <cstdint>
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
    record_.spans.push_back(ByteSpan{original, std::string(before), std::string(after), {}, {}, {}, {}});
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
    return Finish();
}

EditRecord EditRecorder::Finish() {
    growth_ = 0;
    return std::exchange(record_, {});
}

namespace {

// Appends the bytes in [from, to) that the pieces first to end hold between them, in order;
// piece(k) gives where a piece begins and its bytes.
template <typename Piece>
void AppendCovered(std::string& out, std::size_t from, std::size_t to, std::size_t first, std::size_t end,
                   Piece piece) {
    for (std::size_t k = first; k < end; ++k) {
        const auto [begin, bytes] = piece(k);
        const std::size_t low = std::max(from, begin);
        const std::size_t high = std::min(to, begin + bytes.size());
        if (low < high) out.append(bytes.substr(low - begin, high - low));
    }
}

// Two records in a row as one, context left out: `first` made the bytes B of A, `second` made
// C of B. Spans that meet in B form one group. A group's bytes of A are first's before bytes
// where first changed B, and elsewhere B's own bytes, which second's before bytes hold; its
// bytes of C are second's after bytes where second changed B, and elsewhere first's after bytes.
std::vector<ByteSpan> Composed(std::vector<ByteSpan> first, const std::vector<ByteSpan>& second) {
    std::vector<std::size_t> placed(first.size());  // where each span of first lies in B
    std::ptrdiff_t growth = 0;
    for (std::size_t k = 0; k < first.size(); ++k) {
        placed[k] = static_cast<std::size_t>(static_cast<std::ptrdiff_t>(first[k].offset) + growth);
        growth += Growth(first[k]);
    }
    const auto inFirst = [&](std::size_t k) { return std::pair<std::size_t, std::string_view>(placed[k], first[k].after); };
    const auto inSecond = [&](std::size_t k) {
        return std::pair<std::size_t, std::string_view>(second[k].offset, second[k].before);
    };
    std::vector<ByteSpan> composed;
    std::size_t i = 0;
    std::size_t j = 0;
    growth = 0;  // of first's spans before the group: an offset in B less the same place in A
    while (i < first.size() || j < second.size()) {
        const std::size_t begin = std::min(i < first.size() ? placed[i] : SIZE_MAX, j < second.size() ? second[j].offset : SIZE_MAX);
        const auto offset = static_cast<std::size_t>(static_cast<std::ptrdiff_t>(begin) - growth);
        const std::size_t firstFrom = i;
        const std::size_t secondFrom = j;
        std::size_t end = begin;
        for (;;) {
            if (i < first.size() && placed[i] <= end) {
                end = std::max(end, placed[i] + first[i].after.size());
                growth += Growth(first[i++]);
            } else if (j < second.size() && second[j].offset <= end) {
                end = std::max(end, second[j].offset + second[j].before.size());
                ++j;
            } else {
                break;
            }
        }
        if (j == secondFrom && i == firstFrom + 1) {
            composed.push_back(std::move(first[firstFrom]));
            continue;
        }
        std::string before;
        std::size_t at = begin;
        for (std::size_t k = firstFrom; k < i; ++k) {
            AppendCovered(before, at, placed[k], secondFrom, j, inSecond);
            before += first[k].before;
            at = placed[k] + first[k].after.size();
        }
        AppendCovered(before, at, end, secondFrom, j, inSecond);
        std::string after;
        at = begin;
        for (std::size_t k = secondFrom; k < j; ++k) {
            AppendCovered(after, at, second[k].offset, firstFrom, i, inFirst);
            after += second[k].after;
            at = second[k].offset + second[k].before.size();
        }
        AppendCovered(after, at, end, firstFrom, i, inFirst);
        if (before != after) composed.push_back(ByteSpan{offset, std::move(before), std::move(after), {}, {}, {}, {}});
    }
    return composed;
}

}  // namespace

void EditChain::Add(EditRecord next) {
    if (next.Empty()) return;
    const auto growthOf = [](const std::vector<ByteSpan>& spans) {
        std::ptrdiff_t growth = 0;
        for (const ByteSpan& span : spans) growth += Growth(span);
        return growth;
    };
    if (spans_.empty()) {
        spans_ = std::move(next.spans);
        growth_ = growthOf(spans_);
        contextKept_ = recordsHaveContext_;
        return;
    }
    contextKept_ = false;
    // Edits made from the start of the file to its end, as scripts mostly make them, each
    // change bytes after all those before: their spans follow, with nothing to compose.
    const ByteSpan& last = spans_.back();
    const auto lastEnd = static_cast<std::size_t>(static_cast<std::ptrdiff_t>(last.offset + last.after.size()) + growth_ - Growth(last));
    if (next.spans.front().offset > lastEnd) {
        const std::ptrdiff_t growth = growth_;
        for (ByteSpan& span : next.spans) {
            span.offset = static_cast<std::size_t>(static_cast<std::ptrdiff_t>(span.offset) - growth);
            growth_ += Growth(span);
            spans_.push_back(std::move(span));
        }
        return;
    }
    spans_ = Composed(std::move(spans_), next.spans);
    growth_ = growthOf(spans_);
}

EditRecord EditChain::Finish(std::string_view edited) {
    std::vector<ByteSpan> spans = std::exchange(spans_, {});
    growth_ = 0;
    if (std::exchange(contextKept_, false)) return EditRecord{std::move(spans)};
    EditRecorder recorder;
    std::ptrdiff_t growth = 0;
    for (const ByteSpan& span : spans) {
        recorder.Replaced(static_cast<std::size_t>(static_cast<std::ptrdiff_t>(span.offset) + growth), span.before, span.after);
        growth += Growth(span);
    }
    return recorder.Finish(edited);
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

// Where `current` sits between lead and trail: at the planned place if it is there (when
// `plannedFirst`), otherwise at the one place in bytes (from `from` on) where it is; either way
// only where `inPlace` says it belongs. Nothing when absent, ambiguous or elsewhere.
template <typename InPlace>
std::optional<std::size_t> Find(std::string_view bytes, std::size_t from, std::ptrdiff_t planned, bool plannedFirst,
                                std::string_view lead, std::string_view current, std::string_view trail,
                                InPlace inPlace) {
    std::string pattern;
    pattern.reserve(lead.size() + current.size() + trail.size());
    pattern.append(lead).append(current).append(trail);
    if (pattern.empty()) return std::nullopt;
    const std::ptrdiff_t start = planned - static_cast<std::ptrdiff_t>(lead.size());
    if (plannedFirst && start >= static_cast<std::ptrdiff_t>(from) && static_cast<std::size_t>(start) + pattern.size() <= bytes.size() &&
        bytes.substr(static_cast<std::size_t>(start), pattern.size()) == pattern && inPlace(static_cast<std::size_t>(planned)))
        return static_cast<std::size_t>(planned);
    const std::boyer_moore_horspool_searcher searcher(pattern.begin(), pattern.end());
    const auto first = std::search(bytes.begin() + static_cast<std::ptrdiff_t>(from), bytes.end(), searcher);
    if (first == bytes.end() || std::search(first + 1, bytes.end(), searcher) != bytes.end()) return std::nullopt;
    const std::size_t at = static_cast<std::size_t>(first - bytes.begin()) + lead.size();
    if (!inPlace(at)) return std::nullopt;
    return at;
}

}  // namespace

// Each span is looked for with its whole context first, then with only the context on its own
// lines, so that another program's change a line away does not hide it. A line of the same
// bytes that another program put where the span was is no proof: the narrow context must be
// found once in the whole file.
std::optional<std::vector<std::size_t>> LocateSpans(const EditRecord& record, ReplayDirection direction,
                                                    std::string_view bytes, const PlaceOf& placeOf) {
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
        const SpanPlace& place = direction == ReplayDirection::Undo ? span.placeAfter : span.placeBefore;
        const auto inPlace = [&](std::size_t at) {
            return place.kind == SpanPlace::Kind::Unknown || placeOf(PlacePoint(at, current.size())) == place;
        };
        const std::ptrdiff_t guess = static_cast<std::ptrdiff_t>(planned) + drift;
        std::optional<std::size_t> at = Find(bytes, from, guess, true, span.lead, current, span.trail, inPlace);
        if (!at) at = Find(bytes, from, guess, false, NearLead(span.lead), current, NearTrail(span.trail), inPlace);
        if (!at) return std::nullopt;
        drift = static_cast<std::ptrdiff_t>(*at) - static_cast<std::ptrdiff_t>(planned);
        found.push_back(*at);
        from = *at + current.size();
    }
    return found;
}
