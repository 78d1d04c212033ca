// The search behind the find bar: names and values as the file's readers and the views take them, ASCII letters in
// either case, GBK characters whose trail bytes look like ASCII never matched half-way, one
// match per line, the section and key occurrence of each, and steps that add up to one search.
#include <gtest/gtest.h>

#include <random>

#include "engine/ini_find.h"
#include "encoding/code_page.h"
#include "encoding/code_page_conversion.h"
#include "ini_line.h"

namespace {

std::string Gbk(const std::string& utf8) { return *Utf8ToCodePage(utf8, TCodePage::Gbk); }

struct Found {
    int section;
    bool isHeader;
    std::string line;
    bool operator==(const Found&) const = default;
};

std::vector<Found> FindAll(const std::string& bytes, const std::string& needle, TCodePage codePage,
                           std::size_t step = std::string::npos) {
    IniFind search(bytes, needle, codePage);
    while (!search.Step(step)) {}
    std::vector<Found> found;
    for (std::size_t i = 0; i < search.MatchCount(); ++i) {
        const IniFindMatch match = search.Match(i);
        found.push_back({match.section, match.isHeader,
                         bytes.substr(match.line, bytes.find_first_of("\r\n", match.line) - match.line)});
    }
    return found;
}

TEST(FindSearch, FindsSectionsKeysAndValuesAsShownInEitherCase) {
    const std::string file =
        "\xEF\xBB\xBF[Alpha]\r\n"
        "; alpha in a comment\r\n"
        "name = ALPHA beta\r\n"
        "quoted=\"alpha\"\r\n"
        "other=gamma\r\n"
        "  [Indented alpha]\r\n"
        "[Beta]\n"
        "alphabet=x\n"
        "k=v\n"
        "[x]alpha after the name\n"
        "spaced =  al pha \n";
    EXPECT_EQ(FindAll(file, "alpha", TCodePage::Utf8),
              (std::vector<Found>{{0, true, "[Alpha]"},
                                  {0, false, "name = ALPHA beta"},
                                  {0, false, "quoted=\"alpha\""},
                                  {1, true, "  [Indented alpha]"},
                                  {2, false, "alphabet=x"}}));
    EXPECT_EQ(FindAll(file, "A=", TCodePage::Utf8), std::vector<Found>{}) << "a match never spans name and value";
    EXPECT_EQ(FindAll(file, "\"alpha", TCodePage::Utf8), std::vector<Found>{}) << "quotes are not part of the value";
    EXPECT_EQ(FindAll(file, "[beta", TCodePage::Utf8), std::vector<Found>{}) << "brackets are not part of the name";
    EXPECT_EQ(FindAll(file, "AL PHA", TCodePage::Utf8).size(), 1u);
    EXPECT_EQ(FindAll(file, "", TCodePage::Utf8), std::vector<Found>{});
    // Keys before the first header belong to no section the tree shows.
    EXPECT_EQ(FindAll("alpha=1\n[s]\nalpha=2\n", "ALPHA", TCodePage::Utf8), (std::vector<Found>{{0, false, "alpha=2"}}));
}

TEST(FindSearch, GbkTrailBytesThatLookLikeAsciiNeverStartOrEndAMatch) {
    // 螦 is 8E 41 ("A" as trail byte), 乊 is 81 5C, 倉 is 82 7D; 並 is 81 4B ("K").
    const std::string file = Gbk("[设置]\r\n键=螦并\r\nk=普通a\r\n[並]\r\nname=並\r\n");
    const std::vector<Found> a = FindAll(file, "a", TCodePage::Gbk);
    EXPECT_EQ(a, (std::vector<Found>{{0, false, Gbk("k=普通a")}, {1, false, Gbk("name=並")}}))
        << "A after 8E is no letter of its own; name holds an a";
    EXPECT_EQ(FindAll(file, "k", TCodePage::Gbk),
              (std::vector<Found>{{0, false, Gbk("k=普通a")}}))
        << "the K inside 並 (81 4B) is no k";
    EXPECT_EQ(FindAll(file, Gbk("並"), TCodePage::Gbk),
              (std::vector<Found>{{1, true, Gbk("[並]")}, {1, false, Gbk("name=並")}}));
    EXPECT_EQ(FindAll(file, Gbk("螦"), TCodePage::Gbk).size(), 1u);
    // Read as UTF-8 bytes, the same file's 0x41 after 0x8E would be a letter of its own.
    EXPECT_EQ(FindAll(file, "a", TCodePage::Windows1252).size(), 3u);
    // A trail byte inside the text compares exactly: 8E 61 is not 螦 (8E 41).
    EXPECT_EQ(FindAll(Gbk("[s]\nk=") + "\x8E\x61\n", Gbk("螦"), TCodePage::Gbk), std::vector<Found>{});
}

TEST(FindSearch, StepsOfAnySizeGiveTheSameMatchesAsOneSearch) {
    std::string file;
    for (int i = 0; i < 300; ++i)
        file += "[s" + std::to_string(i) + "]\nkey=value " + std::to_string(i * 7) + "\nnote=x\n";
    const std::vector<Found> whole = FindAll(file, "7", TCodePage::Utf8);
    ASSERT_GT(whole.size(), 50u);
    for (std::size_t step : {1u, 7u, 100u, 4096u}) EXPECT_EQ(FindAll(file, "7", TCodePage::Utf8, step), whole) << step;
}

// The same search done the slow way: line by line, each shown part tried at each of its
// characters.
std::vector<Found> FindLineByLine(const std::string& bytes, const std::string& needle, TCodePage codePage) {
    const LeadTable lead = LeadTable::ForCodePage(codePage);
    auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? char(c | 0x20) : c; };
    auto holds = [&](std::string_view part) {
        for (std::size_t at = 0; at + needle.size() <= part.size(); at += lead.CharLength(part, at)) {
            bool same = true;
            for (std::size_t i = 0; same && i < needle.size(); i += lead.CharLength(needle, i)) {
                if (lead.CharLength(needle, i) == 2)
                    same = part.substr(at + i, 2) == std::string_view(needle).substr(i, 2);
                else
                    same = fold(part[at + i]) == fold(needle[i]);
            }
            if (same) return true;
        }
        return false;
    };
    std::vector<Found> found;
    int section = -1;
    for (std::size_t begin = 0; begin <= bytes.size();) {
        const std::size_t end = std::min(bytes.find_first_of("\r\n", begin), bytes.size());
        const std::string_view line = std::string_view(bytes).substr(begin, end - begin);
        const IniLine parsed = ParseIniLine(line, lead);
        if (parsed.kind == IniLineKind::Header) ++section;
        const bool shown = parsed.kind == IniLineKind::Header ? holds(parsed.name)
                           : parsed.kind == IniLineKind::Key
                               ? holds(parsed.name) || holds(UnquotedValue(parsed.RawValue(line)))
                               : false;
        if (shown && section >= 0 && !needle.empty())
            found.push_back({section, parsed.kind == IniLineKind::Header, std::string(line)});
        begin = end + 1;
    }
    return found;
}

// Pieces chosen to meet every edge of a line and a shown part: brackets, quotes, blanks, each
// line end, GBK characters whose trail byte is a letter, and runs longer than one block.
TEST(FindSearch, AgreesWithALineByLineSearchOnMixedFiles) {
    const std::vector<std::string> pieces = {
        "a", "A", "b", "B", "=", " ", "\t", "[", "]", "\"", "'", ";", "\r\n", "\n", "\r", "\n[",
        "\x8E\x41", "\x81\x4B", "\xC9\xE8", "\xBC\xFC", "abababababababababab", "AbAbAbAbAbAbAbAbAbAb"};
    const std::vector<std::string> needles = {
        "a", "B", "ab", "aB=", "\x8E\x41", "A\x81\x4B", "\xC9\xE8" "a", "k", "ababababababababababab",
        "BABABABABABABABABA\xBC\xFC", "\"a", "a]"};
    std::mt19937 random(21);
    int matchesSeen = 0;
    for (int round = 0; round < 300; ++round) {
        std::string file = "[s]\n";
        const int count = 20 + int(random() % 200);
        for (int i = 0; i < count; ++i) file += pieces[random() % pieces.size()];
        for (const std::string& needle : needles) {
            const std::vector<Found> expected = FindLineByLine(file, needle, TCodePage::Gbk);
            matchesSeen += int(expected.size());
            ASSERT_EQ(FindAll(file, needle, TCodePage::Gbk), expected) << "round " << round << ", needle " << needle;
            ASSERT_EQ(FindAll(file, needle, TCodePage::Gbk, 1 + random() % 40), expected) << "round " << round;
        }
    }
    EXPECT_GT(matchesSeen, 3000) << "the files should hold matches of every needle";
}

TEST(FindSearch, SectionsMatchedAndEachMatchsSectionAgree) {
    const std::string file = "k=x\n[a]\nk=x\n[b]\nk=y\n[x c]\n\r[d]\nz = x\n[e]\n";
    IniFind search(file, "x", TCodePage::Utf8);
    search.Step(3);
    EXPECT_FALSE(search.Done());
    while (!search.Step(3)) {}
    EXPECT_EQ(search.SectionsMatched(), (std::vector<bool>{true, false, true, true}))
        << "as far as the last match: [e] after it was never counted";
    ASSERT_EQ(search.MatchCount(), 3u);
    const IniFindMatch header = search.Match(1);
    EXPECT_TRUE(header.isHeader);
    EXPECT_EQ(header.section, 2);
    EXPECT_EQ(header.header, header.line);
    const IniFindMatch key = search.Match(2);
    EXPECT_FALSE(key.isHeader);
    EXPECT_EQ(key.section, 3);
    EXPECT_EQ(file.substr(key.header, 3), "[d]");
}

TEST(FindSearch, AKeyMatchKnowsWhichKeyOfItsNameItIs) {
    const std::string file = "[a]\nk=1\n[b]\nK = 2\nx=3\nk=hit\n";
    IniFind search(file, "hit", TCodePage::Utf8);
    search.Step(file.size());
    ASSERT_EQ(search.MatchCount(), 1u);
    EXPECT_EQ(search.Match(0).section, 1);
    const IniFind::KeyPlace place = search.KeyPlaceOf(search.Match(0));
    EXPECT_EQ(place.name, "k");
    EXPECT_EQ(place.occurrence, 1) << "K in the same section, not k in [a]";
}

}  // namespace
