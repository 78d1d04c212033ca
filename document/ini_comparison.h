#pragma once
// Two loaded files side by side, as their readers find them: sections and keys paired by name
// (ASCII case aside, the n-th of a repeated name with the n-th), values compared as read, each
// file in its own encoding (a GBK file against a UTF-8 one compares characters). Order,
// comments, blank lines, line ends and byte-order marks are no differences.
//
// How a window uses it:
//   - Build on a worker thread: TIniComparisonBuilder builder(left, right); then
//     `while (!cancelled && !builder.Step()) report(builder.Progress());` and, when Step said
//     done, `TIniComparison comparison = builder.Take();`. A step is one read of a file's list
//     of sections or about StepKeys key lines. The documents must live, and not be opened
//     again, meanwhile. CompareIni does it all at once.
//   - Rows: Section(s) for s < SectionCount(), in the left file's order, then those only on the
//     right; Key(s, k) for k < Section(s).keyCount, the left's keys first, then the right's own.
//     Each holds its mark and its SectionRef / KeyRef on each side that has it. Names and values
//     are views in each file's own code page (CodePage(side)), valid while the comparison lives.
//   - Differences(): what `iniv diff --porcelain` lists: each key row that is not Same in a
//     section both files have, and each section one file alone has.
//   - Copy across: CopyAcross(comparison, {s, k}, from, targetDocument) for one key row,
//     CopyAcross(comparison, {s}, from, targetDocument) for a section. One undo step of the
//     target; the source is never written. Then build the comparison again: it shows the files
//     as they were when it was built, and a copy from an out-of-date one fails as Stale.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "document/document.h"
#include "engine/ini_address.h"
#include "engine/ini_listing.h"
#include "engine/ini_result.h"

enum class TCompareMark : std::uint8_t { Same, Different, LeftOnly, RightOnly };
enum class TCompareSide : std::uint8_t { Left, Right };

constexpr TCompareSide OtherSide(TCompareSide side) {
    return side == TCompareSide::Left ? TCompareSide::Right : TCompareSide::Left;
}

struct TComparedSection {
    TCompareMark mark = TCompareMark::Same;
    std::optional<SectionRef> left, right;
    std::size_t keyCount = 0;
    std::size_t differences = 0;  // its key rows that are not Same
};

struct TComparedKey {
    TCompareMark mark = TCompareMark::Same;
    std::optional<KeyRef> left, right;
    std::string_view leftValue, rightValue;  // as read; empty on a side without the key
};

class TIniComparison {
public:
    const std::string& Path(TCompareSide side) const { return side == TCompareSide::Left ? leftPath_ : rightPath_; }
    TCodePage CodePage(TCompareSide side) const { return side == TCompareSide::Left ? leftCodePage_ : rightCodePage_; }
    std::size_t SectionCount() const { return sections_.size(); }
    TComparedSection Section(std::size_t section) const;
    TComparedKey Key(std::size_t section, std::size_t key) const;
    std::size_t Differences() const { return differences_; }

private:
    friend class TIniComparisonBuilder;
    static constexpr std::uint32_t Absent = UINT32_MAX;
    // Entries of each side's lists; Absent on a side without it.
    struct Pair {
        std::uint32_t left = Absent, right = Absent;
        TCompareMark mark = TCompareMark::Same;
    };
    struct SectionPair {
        Pair pair;
        std::size_t firstKey = 0, keyCount = 0, differences = 0;
    };
    static TCompareMark MarkOf(const Pair& pair, bool sameValue);
    // The list of keys of a section on one side; empty for a side without it.
    const IniListing& KeysOn(TCompareSide side, const SectionPair& section) const;

    std::string leftPath_, rightPath_;
    TCodePage leftCodePage_ = TCodePage::None, rightCodePage_ = TCodePage::None;
    IniListing leftSections_, rightSections_;
    std::vector<IniListing> leftKeys_, rightKeys_;  // by entry of the sections' lists
    std::vector<SectionPair> sections_;
    std::vector<Pair> keys_;  // each section's run of rows, one after another
    std::size_t differences_ = 0;
};

class TIniComparisonBuilder {
public:
    static constexpr std::size_t StepKeys = 50000;

    TIniComparisonBuilder(const TDocument& left, const TDocument& right);
    ~TIniComparisonBuilder();
    TIniComparisonBuilder(const TIniComparisonBuilder&) = delete;
    TIniComparisonBuilder& operator=(const TIniComparisonBuilder&) = delete;

    // Does the next part of the work; true once all is done.
    bool Step();
    // From 0 to 1.
    double Progress() const;
    // After Step said done; the builder is spent.
    TIniComparison Take();

private:
    struct Work;
    std::unique_ptr<Work> work_;
};

TIniComparison CompareIni(const TDocument& left, const TDocument& right);

// A key row (key set) or a whole section (key unset) of a comparison.
struct TCompareRow {
    std::size_t section = 0;
    std::optional<std::size_t> key;
};

struct TCopyResult {
    IniResult result;
    // What a refusal concerns, as named in the source file (its code page): the section, and
    // the key when one is at fault (empty otherwise).
    std::string section, key;
};

// Copies what differs in a row from one side into the other side's document, `target`:
//   - a key row: a changed value in place, a missing key after its section's last key line
//     (the section is added at the end of the file when the target lacks it);
//   - a section: the section with its keys at the end of the file when the target lacks it,
//     else each of its keys whose value differs or which the target lacks; keys only the target
//     has stay.
// All of it is one change of the target, or nothing when any part is refused: CannotHold for a
// name or value the target's encoding cannot hold, the target's own refusal when it may not be
// written, Stale when the target no longer reads as compared (or is not the other side's
// file). A row with nothing to copy from that side succeeds with no change.
TCopyResult CopyAcross(const TIniComparison& comparison, TCompareRow row, TCompareSide from, TDocument& target,
                       const TViewPlace& before = {});
