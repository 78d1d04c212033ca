// The search behind the find bar: names and values as the file's readers and the views take them, ASCII letters in
// either case, GBK characters whose trail bytes look like ASCII never matched half-way, one
// match per line, the section and key occurrence of each, and steps that add up to one search.
#include <gtest/gtest.h>

#include "app/find_search.h"
#include "platform/code_page.h"
#include "platform/code_page_conversion.h"

namespace {

std::string Gbk(const std::string& utf8) { return *Utf8ToCodePage(utf8, CodePageGbk); }

struct Found {
    int section;
    bool isHeader;
    std::string line;
    bool operator==(const Found&) const = default;
};

std::vector<Found> FindAll(const std::string& bytes, const std::string& needle, int codePage,
                           std::size_t step = std::string::npos) {
    TFindSearch search(bytes, needle, codePage);
    while (!search.Step(step)) {}
    std::vector<Found> found;
    for (const TFindMatch& match : search.Matches())
        found.push_back({match.section, match.isHeader,
                         bytes.substr(match.line, bytes.find_first_of("\r\n", match.line) - match.line)});
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
    EXPECT_EQ(FindAll(file, "alpha", CodePageUtf8),
              (std::vector<Found>{{0, true, "[Alpha]"},
                                  {0, false, "name = ALPHA beta"},
                                  {0, false, "quoted=\"alpha\""},
                                  {1, true, "  [Indented alpha]"},
                                  {2, false, "alphabet=x"}}));
    EXPECT_EQ(FindAll(file, "A=", CodePageUtf8), std::vector<Found>{}) << "a match never spans name and value";
    EXPECT_EQ(FindAll(file, "\"alpha", CodePageUtf8), std::vector<Found>{}) << "quotes are not part of the value";
    EXPECT_EQ(FindAll(file, "[beta", CodePageUtf8), std::vector<Found>{}) << "brackets are not part of the name";
    EXPECT_EQ(FindAll(file, "AL PHA", CodePageUtf8).size(), 1u);
    EXPECT_EQ(FindAll(file, "", CodePageUtf8), std::vector<Found>{});
    // Keys before the first header belong to no section the tree shows.
    EXPECT_EQ(FindAll("alpha=1\n[s]\nalpha=2\n", "ALPHA", CodePageUtf8), (std::vector<Found>{{0, false, "alpha=2"}}));
}

TEST(FindSearch, GbkTrailBytesThatLookLikeAsciiNeverStartOrEndAMatch) {
    // 螦 is 8E 41 ("A" as trail byte), 乊 is 81 5C, 倉 is 82 7D; 並 is 81 4B ("K").
    const std::string file = Gbk("[设置]\r\n键=螦并\r\nk=普通a\r\n[並]\r\nname=並\r\n");
    const std::vector<Found> a = FindAll(file, "a", CodePageGbk);
    EXPECT_EQ(a, (std::vector<Found>{{0, false, Gbk("k=普通a")}, {1, false, Gbk("name=並")}}))
        << "A after 8E is no letter of its own; name holds an a";
    EXPECT_EQ(FindAll(file, "k", CodePageGbk),
              (std::vector<Found>{{0, false, Gbk("k=普通a")}}))
        << "the K inside 並 (81 4B) is no k";
    EXPECT_EQ(FindAll(file, Gbk("並"), CodePageGbk),
              (std::vector<Found>{{1, true, Gbk("[並]")}, {1, false, Gbk("name=並")}}));
    EXPECT_EQ(FindAll(file, Gbk("螦"), CodePageGbk).size(), 1u);
    // Read as UTF-8 bytes, the same file's 0x41 after 0x8E would be a letter of its own.
    EXPECT_EQ(FindAll(file, "a", 1252).size(), 3u);
    // A trail byte inside the text compares exactly: 8E 61 is not 螦 (8E 41).
    EXPECT_EQ(FindAll(Gbk("[s]\nk=") + "\x8E\x61\n", Gbk("螦"), CodePageGbk), std::vector<Found>{});
}

TEST(FindSearch, StepsOfAnySizeGiveTheSameMatchesAsOneSearch) {
    std::string file;
    for (int i = 0; i < 300; ++i)
        file += "[s" + std::to_string(i) + "]\nkey=value " + std::to_string(i * 7) + "\nnote=x\n";
    const std::vector<Found> whole = FindAll(file, "7", CodePageUtf8);
    ASSERT_GT(whole.size(), 50u);
    for (std::size_t step : {1u, 7u, 100u, 4096u}) EXPECT_EQ(FindAll(file, "7", CodePageUtf8, step), whole) << step;
}

TEST(FindSearch, AKeyMatchKnowsWhichKeyOfItsNameItIs) {
    const std::string file = "[a]\nk=1\n[b]\nK = 2\nx=3\nk=hit\n";
    TFindSearch search(file, "hit", CodePageUtf8);
    search.Step(file.size());
    ASSERT_EQ(search.Matches().size(), 1u);
    EXPECT_EQ(search.Matches()[0].section, 1);
    const TFindSearch::KeyPlace place = search.KeyPlaceOf(search.Matches()[0]);
    EXPECT_EQ(place.name, "k");
    EXPECT_EQ(place.occurrence, 1) << "K in the same section, not k in [a]";
}

}  // namespace
