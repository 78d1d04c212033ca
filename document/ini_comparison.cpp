#include "document/ini_comparison.h"

#include <algorithm>

#include "encoding/code_page.h"
#include "encoding/code_page_conversion.h"
#include "engine/lead_table.h"
#include "engine/name_index.h"

namespace {

constexpr std::uint32_t Absent = UINT32_MAX;

// A list's names and values in the form both sides are compared in: the list's own bytes when
// the two files share a code page, else their characters in UTF-8. ASCII reads the same in every
// code page a list is in: only what follows a text's first other byte is converted, all of it in
// one piece, each text ending in a line feed, which no name or value holds and no code page uses
// in a character.
class TComparedText {
public:
    TComparedText(const IniListing& list, TCodePage codePage, bool toUtf8) : list_(list) {
        if (!toUtf8 || codePage == TCodePage::Utf8) return;
        texts_.resize(2 * list.Count());
        std::string joined;
        std::vector<std::pair<std::size_t, std::string_view>> converting;  // which texts, and their ASCII start
        for (std::size_t at = 0; at < texts_.size(); ++at) {
            const std::string_view text = at % 2 == 0 ? list.Name(at / 2) : list.Value(at / 2);
            const std::size_t ascii = AsciiLength(text);
            if (ascii == text.size()) {
                texts_[at] = text;
            } else {
                joined.append(text.substr(ascii)).push_back('\n');
                converting.emplace_back(at, text.substr(0, ascii));
            }
        }
        const std::string converted = CodePageToUtf8(joined, codePage);
        std::size_t asciiBytes = 0;
        for (const auto& [at, ascii] : converting) asciiBytes += ascii.size();
        text_.reserve(asciiBytes + converted.size());
        std::vector<std::pair<std::size_t, std::size_t>> spans;  // in texts, for each converted text
        spans.reserve(converting.size());
        std::size_t begin = 0;
        for (const auto& [at, ascii] : converting) {
            const std::size_t end = converted.find('\n', begin);
            spans.emplace_back(text_.size(), ascii.size() + end - begin);
            text_.append(ascii).append(converted, begin, end - begin);
            begin = end + 1;
        }
        for (std::size_t i = 0; i < converting.size(); ++i)
            texts_[converting[i].first] = std::string_view(text_).substr(spans[i].first, spans[i].second);
    }
    std::size_t Count() const { return list_.Count(); }
    std::string_view Name(std::size_t at) const { return texts_.empty() ? list_.Name(at) : texts_[2 * at]; }
    std::string_view Value(std::size_t at) const { return texts_.empty() ? list_.Value(at) : texts_[2 * at + 1]; }
    std::uint32_t Occurrence(std::size_t at) const { return list_.Occurrence(at); }

private:
    static std::size_t AsciiLength(std::string_view text) {
        return std::find_if(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; }) -
               text.begin();
    }

    const IniListing& list_;
    std::vector<std::string_view> texts_;  // each entry's name and value; empty when the list's own are compared
    std::string text_;                     // the converted ones
};

std::uint64_t PairHash(std::string_view name, std::uint32_t occurrence, const LeadTable& lead) {
    return NameHash(name, lead) ^ (std::uint64_t(occurrence) * 0x9E3779B97F4A7C15ull);
}

// For each left entry, the right entry of the same name and occurrence; Absent when none.
// A name and occurrence is one entry of a list: two in the same place that have it are a pair.
// Lists mostly run alike: their common beginning and end are paired without a table.
std::vector<std::uint32_t> PairByName(const TComparedText& left, const TComparedText& right, const LeadTable& lead) {
    std::vector<std::uint32_t> partner(left.Count(), Absent);
    const auto samePlace = [&](std::size_t l, std::size_t r) {
        return left.Occurrence(l) == right.Occurrence(r) && SameName(left.Name(l), right.Name(r), lead);
    };
    std::size_t begin = 0, leftEnd = left.Count(), rightEnd = right.Count();
    for (; begin < leftEnd && begin < rightEnd && samePlace(begin, begin); ++begin)
        partner[begin] = static_cast<std::uint32_t>(begin);
    for (; leftEnd > begin && rightEnd > begin && samePlace(leftEnd - 1, rightEnd - 1); --leftEnd, --rightEnd)
        partner[leftEnd - 1] = static_cast<std::uint32_t>(rightEnd - 1);
    if (begin == leftEnd || begin == rightEnd) return partner;
    NameIndex index;
    index.Reserve(rightEnd - begin);
    for (std::size_t at = begin; at < rightEnd; ++at)
        index.Add(PairHash(right.Name(at), right.Occurrence(at), lead), static_cast<std::uint32_t>(at),
                  [](std::uint32_t) { return false; });
    for (std::size_t at = begin; at < leftEnd; ++at) {
        const std::string_view name = left.Name(at);
        const std::uint32_t occurrence = left.Occurrence(at);
        const auto found = index.Find(PairHash(name, occurrence, lead), [&](std::uint32_t other) {
            return right.Occurrence(other) == occurrence && SameName(right.Name(other), name, lead);
        });
        if (found) partner[at] = *found;
    }
    return partner;
}

// The pairs in the left's order, then the right's entries that have no partner.
template <typename Use>
void ForEachPair(const std::vector<std::uint32_t>& partner, std::size_t rightCount, Use use) {
    std::vector<bool> paired(rightCount, false);
    for (std::size_t at = 0; at < partner.size(); ++at) {
        if (partner[at] != Absent) paired[partner[at]] = true;
        use(static_cast<std::uint32_t>(at), partner[at]);
    }
    for (std::size_t at = 0; at < rightCount; ++at)
        if (!paired[at]) use(Absent, static_cast<std::uint32_t>(at));
}

const IniListing& NoListing() {
    static const IniListing none;
    return none;
}

}  // namespace

TCompareMark TIniComparison::MarkOf(const Pair& pair, bool sameValue) {
    if (pair.right == Absent) return TCompareMark::LeftOnly;
    if (pair.left == Absent) return TCompareMark::RightOnly;
    return sameValue ? TCompareMark::Same : TCompareMark::Different;
}

const IniListing& TIniComparison::KeysOn(TCompareSide side, const SectionPair& section) const {
    const std::uint32_t entry = side == TCompareSide::Left ? section.pair.left : section.pair.right;
    if (entry == Absent) return NoListing();
    return side == TCompareSide::Left ? leftKeys_[entry] : rightKeys_[entry];
}

TComparedSection TIniComparison::Section(std::size_t at) const {
    const SectionPair& section = sections_[at];
    TComparedSection shown;
    shown.mark = section.pair.mark;
    if (section.pair.left != Absent)
        shown.left = SectionRef{leftSections_.Name(section.pair.left), leftSections_.Occurrence(section.pair.left)};
    if (section.pair.right != Absent)
        shown.right =
            SectionRef{rightSections_.Name(section.pair.right), rightSections_.Occurrence(section.pair.right)};
    shown.keyCount = section.keyCount;
    shown.differences = section.differences;
    return shown;
}

TComparedKey TIniComparison::Key(std::size_t sectionAt, std::size_t at) const {
    const SectionPair& section = sections_[sectionAt];
    const TComparedSection sides = Section(sectionAt);
    const Pair& pair = keys_[section.firstKey + at];
    TComparedKey shown;
    shown.mark = pair.mark;
    if (pair.left != Absent) {
        const IniListing& keys = KeysOn(TCompareSide::Left, section);
        shown.left = KeyRef{*sides.left, keys.Name(pair.left), keys.Occurrence(pair.left)};
        shown.leftValue = keys.Value(pair.left);
    }
    if (pair.right != Absent) {
        const IniListing& keys = KeysOn(TCompareSide::Right, section);
        shown.right = KeyRef{*sides.right, keys.Name(pair.right), keys.Occurrence(pair.right)};
        shown.rightValue = keys.Value(pair.right);
    }
    return shown;
}

struct TIniComparisonBuilder::Work {
    enum class Stage { ListLeft, ListRight, PairSections, CompareKeys, Done };

    const TDocument& left;
    const TDocument& right;
    bool toUtf8;  // the files' code pages differ: both are compared in UTF-8
    LeadTable lead;
    Stage stage = Stage::ListLeft;
    std::size_t nextSection = 0;
    TIniComparison result;

    Work(const TDocument& l, const TDocument& r)
        : left(l), right(r), toUtf8(l.TextCodePage() != r.TextCodePage()),
          lead(LeadTable::ForCodePage(toUtf8 ? TCodePage::Utf8 : l.TextCodePage())) {
        result.leftPath_ = l.Path();
        result.rightPath_ = r.Path();
        result.leftCodePage_ = l.TextCodePage();
        result.rightCodePage_ = r.TextCodePage();
    }

    void PairSections() {
        const TComparedText leftNames(result.leftSections_, result.leftCodePage_, toUtf8);
        const TComparedText rightNames(result.rightSections_, result.rightCodePage_, toUtf8);
        ForEachPair(PairByName(leftNames, rightNames, lead), rightNames.Count(),
                    [&](std::uint32_t l, std::uint32_t r) {
                        TIniComparison::SectionPair section;
                        section.pair = {l, r, TIniComparison::MarkOf({l, r}, true)};
                        result.sections_.push_back(section);
                    });
        result.leftKeys_.resize(leftNames.Count());
        result.rightKeys_.resize(rightNames.Count());
    }

    // Lists and compares the keys of one section.
    std::size_t CompareKeys(TIniComparison::SectionPair& section) {
        const TComparedSection sides = result.Section(&section - result.sections_.data());
        if (sides.left) result.leftKeys_[section.pair.left] = left.Keys(*sides.left);
        if (sides.right) result.rightKeys_[section.pair.right] = right.Keys(*sides.right);
        const IniListing& leftList = result.KeysOn(TCompareSide::Left, section);
        const IniListing& rightList = result.KeysOn(TCompareSide::Right, section);
        const TComparedText leftKeys(leftList, result.leftCodePage_, toUtf8);
        const TComparedText rightKeys(rightList, result.rightCodePage_, toUtf8);
        section.firstKey = result.keys_.size();
        ForEachPair(PairByName(leftKeys, rightKeys, lead), rightKeys.Count(), [&](std::uint32_t l, std::uint32_t r) {
            const bool same = l != Absent && r != Absent && leftKeys.Value(l) == rightKeys.Value(r);
            const TIniComparison::Pair pair{l, r, TIniComparison::MarkOf({l, r}, same)};
            if (pair.mark != TCompareMark::Same) ++section.differences;
            result.keys_.push_back(pair);
        });
        section.keyCount = result.keys_.size() - section.firstKey;
        const bool bothSides = sides.left && sides.right;
        if (bothSides) {
            section.pair.mark = section.differences == 0 ? TCompareMark::Same : TCompareMark::Different;
            result.differences_ += section.differences;
        } else {
            ++result.differences_;
        }
        return leftList.Count() + rightList.Count();
    }
};

TIniComparisonBuilder::TIniComparisonBuilder(const TDocument& left, const TDocument& right)
    : work_(std::make_unique<Work>(left, right)) {}

TIniComparisonBuilder::~TIniComparisonBuilder() = default;

bool TIniComparisonBuilder::Step() {
    Work& work = *work_;
    using Stage = Work::Stage;
    switch (work.stage) {
    case Stage::ListLeft:
        work.result.leftSections_ = work.left.Sections();
        work.stage = Stage::ListRight;
        break;
    case Stage::ListRight:
        work.result.rightSections_ = work.right.Sections();
        work.stage = Stage::PairSections;
        break;
    case Stage::PairSections:
        work.PairSections();
        work.stage = Stage::CompareKeys;
        break;
    case Stage::CompareKeys:
        for (std::size_t lines = 0; lines < StepKeys && work.nextSection < work.result.sections_.size();)
            lines += 1 + work.CompareKeys(work.result.sections_[work.nextSection++]);
        if (work.nextSection == work.result.sections_.size()) work.stage = Stage::Done;
        break;
    case Stage::Done:
        break;
    }
    return work.stage == Stage::Done;
}

double TIniComparisonBuilder::Progress() const {
    const Work& work = *work_;
    switch (work.stage) {
    case Work::Stage::ListLeft: return 0;
    case Work::Stage::ListRight: return 0.05;
    case Work::Stage::PairSections: return 0.1;
    case Work::Stage::CompareKeys:
        return 0.1 + 0.9 * double(work.nextSection) / double(std::max<std::size_t>(1, work.result.sections_.size()));
    case Work::Stage::Done: return 1;
    }
    return 1;
}

TIniComparison TIniComparisonBuilder::Take() { return std::move(work_->result); }

TIniComparison CompareIni(const TDocument& left, const TDocument& right) {
    TIniComparisonBuilder builder(left, right);
    while (!builder.Step()) {
    }
    return builder.Take();
}

namespace {

// The text of one file as the same characters in another's code page; none when that cannot
// hold them, or the bytes are no text of their own.
std::optional<std::string> InCodePage(std::string_view text, TCodePage from, TCodePage to) {
    if (from == to) return std::string(text);
    if (!IsValidInCodePage(text, from)) return std::nullopt;
    if (to == TCodePage::Utf8) return CodePageToUtf8(text, from);
    return Utf8ToCodePage(from == TCodePage::Utf8 ? std::string(text) : CodePageToUtf8(text, from), to);
}

// One key line to write into the target: its value in place of the target's, or a new line.
struct TKeyCopy {
    std::string name, value;
    std::optional<KeyRef> target;
    std::string_view shownValue;  // the target's, as compared
    std::string sourceName;
};

}  // namespace

TCopyResult CopyAcross(const TIniComparison& comparison, TCompareRow row, TCompareSide from, TDocument& target,
                       const TViewPlace& before) {
    const TComparedSection section = comparison.Section(row.section);
    const std::optional<SectionRef> sourceSection = from == TCompareSide::Left ? section.left : section.right;
    const std::optional<SectionRef> targetSection = from == TCompareSide::Left ? section.right : section.left;
    const TCodePage sourceCodePage = comparison.CodePage(from);
    const TCodePage targetCodePage = comparison.CodePage(OtherSide(from));
    TCopyResult copy;
    if (!sourceSection) return copy;
    copy.section = std::string(sourceSection->name);
    if (target.Path() != comparison.Path(OtherSide(from))) {
        copy.result.failure = IniFailure::Stale;
        return copy;
    }
    if (target.WriteRefusal() != IniFailure::None) {
        copy.result.failure = target.WriteRefusal();
        return copy;
    }
    const auto refuse = [&](std::string_view key) {
        copy.result.failure = IniFailure::CannotHold;
        copy.key = std::string(key);
        return copy;
    };
    const std::optional<std::string> sectionName = InCodePage(sourceSection->name, sourceCodePage, targetCodePage);
    if (!sectionName) return refuse({});

    std::vector<TKeyCopy> keys;
    const std::size_t first = row.key ? *row.key : 0;
    const std::size_t end = row.key ? *row.key + 1 : section.keyCount;
    for (std::size_t at = first; at < end; ++at) {
        const TComparedKey key = comparison.Key(row.section, at);
        const std::optional<KeyRef> sourceKey = from == TCompareSide::Left ? key.left : key.right;
        if (!sourceKey || key.mark == TCompareMark::Same) continue;
        const std::string_view value = from == TCompareSide::Left ? key.leftValue : key.rightValue;
        const std::optional<std::string> name = InCodePage(sourceKey->name, sourceCodePage, targetCodePage);
        const std::optional<std::string> converted = InCodePage(value, sourceCodePage, targetCodePage);
        if (!name || !converted) return refuse(sourceKey->name);
        keys.push_back(TKeyCopy{*name, *converted, from == TCompareSide::Left ? key.right : key.left,
                                from == TCompareSide::Left ? key.rightValue : key.leftValue,
                                std::string(sourceKey->name)});
    }
    if (targetSection && keys.empty()) return copy;

    // The target's section: the one compared, or the one the first edit adds at the end.
    SectionRef into = targetSection.value_or(SectionRef{*sectionName, 0});
    std::optional<std::size_t> refusedAt;
    std::vector<DocumentEdit> edits;
    if (!targetSection)
        edits.push_back([&](IniDocument& document) {
            const EditResult result = document.AddHeader(*sectionName);
            if (result == EditResult::Changed) {
                const IniListing sections = document.Sections();
                into.occurrence = sections.Occurrence(sections.Count() - 1);
            }
            return result;
        });
    for (std::size_t at = 0; at < keys.size(); ++at)
        edits.push_back([&, at](IniDocument& document) {
            const TKeyCopy& key = keys[at];
            const EditResult result = key.target ? document.SetValueAt(*key.target, key.shownValue, key.value)
                                                 : document.AppendKey(into, key.name, key.value);
            if (result == EditResult::Refused) refusedAt = at;
            return result;
        });
    copy.result = target.ApplyEdits(edits, before);
    if (!copy.result.Succeeded() && refusedAt) copy.key = keys[*refusedAt].sourceName;
    return copy;
}
