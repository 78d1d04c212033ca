#include "cli/line_diff.h"

#include <algorithm>

namespace {

// Whole lines that differ: [oldBegin, oldEnd) of before became [newBegin, newEnd) of after.
// Each bound is at the start of a line or at the end of the text.
struct Region {
    std::size_t oldBegin, oldEnd, newBegin, newEnd;
};

std::size_t LineStart(std::string_view text, std::size_t at) {
    if (at == 0) return 0;
    const std::size_t lineFeed = text.rfind('\n', at - 1);
    return lineFeed == std::string_view::npos ? 0 : lineFeed + 1;
}

std::size_t AfterLine(std::string_view text, std::size_t at) {
    const std::size_t lineFeed = text.find('\n', at);
    return lineFeed == std::string_view::npos ? text.size() : lineFeed + 1;
}

// The changed stretches, widened to whole lines; stretches that share a line become one region.
// Between two stretches the bytes of before and after are the same, so a line found there is
// found in both.
std::vector<Region> ChangedRegions(std::string_view before, std::string_view after, const EditRecord& change) {
    std::vector<Region> regions;
    const std::vector<ByteSpan>& spans = change.spans;
    std::ptrdiff_t growth = 0;  // of the spans so far: where after has what before has
    for (std::size_t i = 0; i < spans.size();) {
        const std::size_t begin = LineStart(before, spans[i].offset);
        Region region{begin, 0, static_cast<std::size_t>(static_cast<std::ptrdiff_t>(begin) + growth), 0};
        for (;;) {
            const ByteSpan& span = spans[i++];
            const std::size_t oldEnd = span.offset + span.before.size();
            growth += static_cast<std::ptrdiff_t>(span.after.size()) - static_cast<std::ptrdiff_t>(span.before.size());
            const auto newEnd = static_cast<std::size_t>(static_cast<std::ptrdiff_t>(oldEnd) + growth);
            const bool lineEnds = (oldEnd == region.oldBegin || before[oldEnd - 1] == '\n') &&
                                  (newEnd == region.newBegin || after[newEnd - 1] == '\n');
            const std::size_t end = lineEnds ? oldEnd : AfterLine(before, oldEnd);
            if (i < spans.size() && spans[i].offset < std::max(end, oldEnd + 1)) continue;
            region.oldEnd = end;
            region.newEnd = static_cast<std::size_t>(static_cast<std::ptrdiff_t>(end) + growth);
            break;
        }
        regions.push_back(region);
    }
    return regions;
}

std::size_t CountLines(std::string_view text, std::size_t begin, std::size_t end) {
    const auto lineFeeds = static_cast<std::size_t>(std::count(text.begin() + begin, text.begin() + end, '\n'));
    return lineFeeds + (end > begin && text[end - 1] != '\n' ? 1 : 0);
}

void AddLines(std::vector<DiffLine>& lines, char mark, std::string_view text, std::size_t begin, std::size_t end) {
    while (begin < end) {
        const std::size_t next = AfterLine(text, begin);
        const bool ended = text[next - 1] == '\n';
        lines.push_back(DiffLine{mark, text.substr(begin, next - begin - (ended ? 1 : 0)), ended});
        begin = next;
    }
}

// Where the `count` lines before `at` (a line start) begin, but not before `floor`.
std::size_t LinesBack(std::string_view text, std::size_t at, std::size_t count, std::size_t floor) {
    while (count-- > 0 && at > floor) at = LineStart(text, at - 1);
    return std::max(at, floor);
}

std::size_t LinesForward(std::string_view text, std::size_t at, std::size_t count) {
    while (count-- > 0 && at < text.size()) at = AfterLine(text, at);
    return at;
}

}  // namespace

std::vector<DiffHunk> LineDiff(std::string_view before, std::string_view after, const EditRecord& change,
                               std::size_t context) {
    std::vector<DiffHunk> hunks;
    const std::vector<Region> regions = ChangedRegions(before, after, change);
    std::size_t counted = 0;         // before's lines are counted up to here
    std::size_t linesCounted = 0;    // lines of before that end before `counted`
    std::ptrdiff_t lineGrowth = 0;   // lines after has more than before, up to the hunk
    std::size_t shownTo = 0;         // of before: where the last hunk's lines end
    for (std::size_t r = 0; r < regions.size();) {
        const std::size_t first = LinesBack(before, regions[r].oldBegin, context, shownTo);
        linesCounted += CountLines(before, counted, first);
        counted = first;
        DiffHunk hunk{linesCounted + 1, 0, static_cast<std::size_t>(static_cast<std::ptrdiff_t>(linesCounted) + lineGrowth) + 1, 0, {}};
        std::size_t at = first;
        for (;;) {
            const Region& region = regions[r++];
            AddLines(hunk.lines, ' ', before, at, region.oldBegin);
            AddLines(hunk.lines, '-', before, region.oldBegin, region.oldEnd);
            AddLines(hunk.lines, '+', after, region.newBegin, region.newEnd);
            lineGrowth += static_cast<std::ptrdiff_t>(CountLines(after, region.newBegin, region.newEnd)) -
                          static_cast<std::ptrdiff_t>(CountLines(before, region.oldBegin, region.oldEnd));
            at = region.oldEnd;
            if (r == regions.size() || CountLines(before, at, regions[r].oldBegin) > 2 * context) break;
        }
        shownTo = LinesForward(before, at, context);
        AddLines(hunk.lines, ' ', before, at, shownTo);
        for (const DiffLine& line : hunk.lines) {
            hunk.oldCount += line.mark != '+';
            hunk.newCount += line.mark != '-';
        }
        if (hunk.oldCount == 0) --hunk.oldFirst;
        if (hunk.newCount == 0) --hunk.newFirst;
        hunks.push_back(std::move(hunk));
    }
    return hunks;
}
