// The header search reads the file only as far as each call needs, and later calls go on from
// there: whatever the order of the calls, every listing must be what the format rules make of
// the whole file. Double-byte characters whose trail byte is "[", "]" or "=" are the snares.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "fuzz/ini_oracle.h"
#include "engine/ini_document.h"

namespace {

using Row = std::tuple<std::string, std::string, std::uint32_t>;
using Rows = std::vector<Row>;

constexpr TCodePage Gbk = TCodePage::Gbk;

Rows RowsOf(const IniListing& list) {
    Rows rows;
    for (std::size_t at = 0; at < list.Count(); ++at) rows.emplace_back(list.Name(at), list.Value(at), list.Occurrence(at));
    return rows;
}

Rows RowsOf(const std::vector<OracleRow>& oracle) {
    Rows rows;
    for (const OracleRow& row : oracle) rows.emplace_back(row.name, row.value, row.occurrence);
    return rows;
}

Rows KeysOf(const IniDocument& document, SectionRef section) {
    const auto keys = document.Keys(section);
    return keys ? RowsOf(*keys) : Rows{{"<no such section>", "", 0}};
}

Rows KeysOf(const IniOracle& oracle, SectionRef section) {
    const auto keys = oracle.Keys(section);
    return keys ? RowsOf(*keys) : Rows{{"<no such section>", "", 0}};
}

// Lines built from pieces that are headers, comments or keys only by their first non-blank byte.
std::string RandomFile(std::mt19937& random) {
    const auto pick = [&](std::size_t count) { return static_cast<std::size_t>(random() % count); };
    // Names and values: letters of either case, blanks, brackets, "=" and GBK characters whose
    // second byte reads as "[", "]", "=" or a letter; now and then a lone lead byte.
    const char* const pieces[] = {"a", "B", "b", " ", "\t", "[", "]", "=", "\x81[", "\x81]", "\x81=", "\xB0\x40", "\xC4\xE3", "\x81", "\"", ";", "#", "key_name"};
    const auto text = [&](std::size_t most) {
        std::string made;
        for (std::size_t count = pick(most + 1); count > 0; --count) made += pieces[pick(std::size(pieces))];
        return made;
    };
    const char* const blanks[] = {"", "", "", " ", "\t", " \t"};
    const char* const ends[] = {"\n", "\r\n", "\r"};
    std::string file = pick(6) == 0 ? "\xEF\xBB\xBF" : "";
    for (std::size_t lines = 1 + pick(30); lines > 0; --lines) {
        file += blanks[pick(std::size(blanks))];
        switch (pick(8)) {
            case 0:
            case 1: file += "[" + text(3) + (pick(2) ? "]" : "") + (pick(3) == 0 ? " ; " + text(3) : ""); break;
            case 2: file += (pick(2) ? ";" : "#") + text(4); break;
            case 3: break;  // blank
            case 4: file += "\x81[" + text(2) + "]=" + text(2); break;  // looks like a header after a lead byte
            default: file += text(4) + (pick(4) ? "=" + text(8) : ""); break;
        }
        file += ends[pick(std::size(ends))];
    }
    if (pick(3) == 0) file.resize(file.size() - 1);  // no final line end, or a CR LF cut to a CR
    return file;
}

// The calls a window makes in whatever order a user brings them about, each starting from a
// fresh parse; `first` is what is asked before anything else, and gives the bytes the file
// should have after it.
void ExpectEveryListingAfter(const std::string& bytes, const std::function<std::string(IniDocument&)>& first,
                             const std::string& what) {
    const LeadTable lead = LeadTable::ForCodePage(Gbk);
    IniDocument document(bytes, lead);
    const std::string after = first(document);
    const IniOracle oracle(after, lead);
    const Rows sections = RowsOf(oracle.Sections());
    ASSERT_EQ(RowsOf(document.Sections()), sections) << what;
    for (const auto& [name, value, occurrence] : sections)
        ASSERT_EQ(KeysOf(document, {name, occurrence}), KeysOf(oracle, {name, occurrence})) << what << " [" << name << "]";
    ASSERT_EQ(document.Bytes(), after) << what;
}

TEST(HeaderScan, EveryListingFollowsTheFormatRulesWhateverWasAskedFirst) {
    std::mt19937 random(22);
    const LeadTable lead = LeadTable::ForCodePage(Gbk);
    for (int round = 0; round < 400; ++round) {
        const std::string bytes = RandomFile(random);
        const IniOracle oracle(bytes, lead);
        const std::vector<OracleRow> sections = oracle.Sections();
        const std::string name = sections.empty() ? "x" : sections[random() % sections.size()].name;
        const auto keys = oracle.Keys({name, 0});
        const std::string key = keys && !keys->empty() ? (*keys)[random() % keys->size()].name : "k";
        const std::string what = "round " + std::to_string(round);
        // A section's keys first: the search stops right after that section.
        ExpectEveryListingAfter(bytes, [&](IniDocument& d) {
            EXPECT_EQ(KeysOf(d, {name, 0}), KeysOf(oracle, {name, 0})) << what;
            return bytes;
        }, what + ", keys first");
        // One value first: the search goes just past the section.
        ExpectEveryListingAfter(bytes, [&](IniDocument& d) {
            const auto value = d.Value(name, key);
            EXPECT_EQ(value ? std::optional<std::string>(*value) : std::nullopt, oracle.Value(name, key)) << what;
            return bytes;
        }, what + ", a value first");
        ExpectEveryListingAfter(bytes, [&](IniDocument& d) {
            std::vector<std::string> expected;
            if (keys)
                for (const OracleRow& row : *keys) expected.push_back(row.name);
            EXPECT_EQ(d.KeyNames<std::string>(name), expected) << what;
            return bytes;
        }, what + ", key names first");
        // A set first: the search stops at the key line, inside the section, and goes on from there.
        ExpectEveryListingAfter(bytes, [&](IniDocument& d) {
            const Prediction predicted = oracle.SetValue(name, key, "v");
            d.SetValue(name, key, "v");
            return predicted.kind == Prediction::Kind::Changed ? predicted.bytes : bytes;
        }, what + ", a set first");
    }
}

// The cases the random files reach only now and then, spelled out.
TEST(HeaderScan, OnlyABracketFirstOnItsLineOpensASection) {
    const LeadTable gbk = LeadTable::ForCodePage(Gbk);
    const IniDocument document(
        "\xEF\xBB\xBF \t[a] ; a comment after the header\r\n"
        "\x81[b]=lead byte first\r"
        "k=[c]\n"
        "  ;[d]\n"
        "#[e]\r\n"
        "\t[\x81]]=1\n"
        "in\x81]=2\n"
        "[f]",
        gbk);
    EXPECT_EQ(RowsOf(document.Sections()), (Rows{{"a", "", 0}, {"\x81]", "", 0}, {"f", "", 0}}));
    EXPECT_EQ(KeysOf(document, {"a", 0}), (Rows{{"\x81[b]", "lead byte first", 0}, {"k", "[c]", 0}}));
    EXPECT_EQ(KeysOf(document, {"\x81]", 0}), (Rows{{"in\x81]", "2", 0}}));
    EXPECT_EQ(KeysOf(document, {"f", 0}), Rows{});
    // Without the double-byte code page the same bytes end the name at the first "]".
    EXPECT_EQ(RowsOf(IniDocument("\t[\x81]]=1\n").Sections()), (Rows{{"\x81", "", 0}}));
}

}  // namespace
