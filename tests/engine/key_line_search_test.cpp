#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "engine/ini_document.h"
#include "ini_line.h"
#include "key_line_search.h"
#include "engine/name_index.h"

namespace {

// Names whose bytes also stand in values, comments, headers and double-byte characters of the
// texts below: a trail byte that looks like a letter or a bracket, a prefix of a longer name,
// another case, the empty name.
const std::vector<std::string> Names = {"a", "A", "ab", "key", "KEY1", "key10", "\x81" "a", "a\x81" "a", "", "[a", ";a"};

std::string Pick(std::mt19937& random, const std::vector<std::string>& pool) { return pool[random() % pool.size()]; }

std::string RandomLine(std::mt19937& random) {
    static const std::vector<std::string> blanks = {"", "", " ", "\t "};
    static const std::vector<std::string> values = {"1", "a", "key", "[a]", "\x81[", "\x81" "a", "x=a", "\"a\"", ""};
    switch (random() % 8) {
        case 0: return Pick(random, blanks) + "[" + Pick(random, {"t", "s", "a"}) + "]";
        case 1: return Pick(random, blanks) + Pick(random, {";", "#"}) + Pick(random, Names) + "=1";
        case 2: return Pick(random, blanks);
        case 3: return Pick(random, blanks) + Pick(random, Names);  // no "="
        default:
            return Pick(random, blanks) + Pick(random, {"", "\x81", "b"}) + Pick(random, Names) + Pick(random, blanks) + "=" +
                   Pick(random, blanks) + Pick(random, values) + Pick(random, values);
    }
}

std::string RandomLines(std::mt19937& random, int count) {
    static const std::vector<std::string> ends = {"\n", "\r\n", "\r"};
    std::string text;
    for (int i = 0; i < count; ++i) text += RandomLine(random) + Pick(random, ends);
    if (random() % 3 == 0 && !text.empty()) text.pop_back();  // no final line end, or a CR of a CR LF alone
    return text;
}

// The plain reading: every line in turn, parsed on its own.
std::vector<LineCursor::Line> ReadLineByLine(std::string_view text, std::size_t from, std::string_view name,
                                             const LeadTable& lead, std::size_t most) {
    std::vector<LineCursor::Line> found;
    LineCursor cursor(text.substr(from));
    while (!cursor.AtEnd() && found.size() < most) {
        const LineCursor::Line line = cursor.Next();
        const IniLine parsed = ParseIniLine(text.substr(from + line.begin, line.contentEnd - line.begin), lead);
        if (parsed.kind == IniLineKind::Header) break;
        if (parsed.kind == IniLineKind::Key && SameName(parsed.name, name, lead))
            found.push_back({from + line.begin, from + line.contentEnd, from + line.next});
    }
    return found;
}

std::vector<std::size_t> Begins(const std::vector<LineCursor::Line>& lines) {
    std::vector<std::size_t> begins;
    for (const LineCursor::Line& line : lines) begins.insert(begins.end(), {line.begin, line.contentEnd, line.next});
    return begins;
}

TEST(KeyLineSearch, FindsWhatALineByLineReadingFinds) {
    std::mt19937 random(20261207);
    for (const TCodePage codePage : {TCodePage::Gbk, TCodePage::Utf8}) {
        const LeadTable lead = LeadTable::ForCodePage(codePage);
        for (int round = 0; round < 3000; ++round) {
            // Long enough for the sixteen-byte steps to meet names across their edges.
            const std::string text = RandomLines(random, 1 + static_cast<int>(random() % 40));
            LineCursor lines(text);
            std::size_t from = 0;
            for (std::size_t skip = random() % 4; skip > 0 && !lines.AtEnd(); --skip) from = lines.Next().next;
            const std::string name = Pick(random, Names);
            const std::size_t most = random() % 3 == 0 ? 1 : SIZE_MAX;
            EXPECT_EQ(Begins(KeyLinesOf(text, from, name, lead, most)), Begins(ReadLineByLine(text, from, name, lead, most)))
                << "code page " << CodePageNumber(codePage) << ", name \"" << name << "\" from " << from << " in:\n" << text;
        }
    }
}

void ExpectSameRecord(const EditRecord& a, const EditRecord& b) {
    ASSERT_EQ(a.spans.size(), b.spans.size());
    for (std::size_t i = 0; i < a.spans.size(); ++i) {
        EXPECT_EQ(a.spans[i].offset, b.spans[i].offset);
        EXPECT_EQ(a.spans[i].before, b.spans[i].before);
        EXPECT_EQ(a.spans[i].after, b.spans[i].after);
        EXPECT_EQ(a.spans[i].lead, b.spans[i].lead);
        EXPECT_EQ(a.spans[i].trail, b.spans[i].trail);
    }
}

// A set or removal by name in a section the header search has not read (a file just read)
// searches its lines for the name; one whose section is read goes by the key table. Both must
// change the same bytes the same way, and leave a document that reads as a fresh parse does,
// also after more edits.
TEST(KeyLineSearch, EditsOfAnUnreadSectionMatchThoseOfARead) {
    std::mt19937 random(7);
    const LeadTable lead = LeadTable::ForCodePage(TCodePage::Gbk);
    for (int round = 0; round < 2000; ++round) {
        const std::string text = Pick(random, {"", "top=1\n", "\xEF\xBB\xBF"}) + "[s]\r\n" + RandomLines(random, static_cast<int>(random() % 30)) +
                                 (random() % 2 ? "\n[t]\na=1\n[s]\na=2\n" : "");
        IniDocument unread(text, lead);
        IniDocument read(text, lead);
        read.KeyNames("s");
        if (random() % 2) read.SectionNames();
        for (int step = 0; step < 3; ++step) {
            const std::string key = Pick(random, Names);
            const bool set = random() % 2;
            const std::string value = Pick(random, {"v", "", "a longer value"});
            const EditResult expected = set ? read.SetValue("s", key, value) : read.RemoveKey("s", key);
            const EditResult got = set ? unread.SetValue("s", key, value) : unread.RemoveKey("s", key);
            ASSERT_EQ(got, expected) << (set ? "set " : "remove ") << key << " in:\n" << text;
            ASSERT_EQ(unread.Bytes(), read.Bytes()) << (set ? "set " : "remove ") << key << " in:\n" << text;
            if (got == EditResult::Changed) ExpectSameRecord(unread.LastChange(), read.LastChange());
        }
        const IniDocument fresh(read.Bytes(), lead);
        EXPECT_EQ(unread.SectionNames(), fresh.SectionNames());
        for (const char* section : {"s", "t"}) {
            EXPECT_EQ(unread.KeyNames(section), fresh.KeyNames(section));
            for (const std::string_view key : fresh.KeyNames(section)) EXPECT_EQ(unread.Value(section, key), fresh.Value(section, key));
        }
    }
}

}  // namespace
