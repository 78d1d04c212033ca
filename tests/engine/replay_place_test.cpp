// An undo or a redo touches its own span, in its own section, or nothing: another program's
// change that moves the span's bytes away, or makes a line elsewhere look like it, leaves the
// file as that program wrote it.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "engine/edit_sequence.h"
#include "engine/ini_document.h"

namespace {

using Edit = std::function<EditResult(IniDocument&)>;

struct LookAlike {
    const char* what;
    std::string original;
    Edit edit;
    std::string outside;  // another program's version of the edited file
};

TEST(ReplayPlace, AnUndoNeverLandsOnALookAlikeInAnotherSection) {
    const std::vector<LookAlike> cases = {
        {"set", "[player1]\nhp=100\n[player2]\nhp=90\n",
         [](IniDocument& d) { return d.SetValue("player1", "hp", "150"); }, "[player1]\nhp=120\n[player2]\nhp=150\n"},
        {"remove key", "[a]\nx=1\nk=1\n[b]\ny=2\n", [](IniDocument& d) { return d.RemoveKey("a", "k"); },
         "[a]\nx=5\n[z]\n[b]\ny=2\n"},
        {"rename key", "[a]\nk=1\n[b]\nk=1\n", [](IniDocument& d) { return d.RenameKey({{"a", 0}, "k", 0}, "name"); },
         "[a]\nk=1\n[b]\nname=1\n"},
        {"rename section", "[s]\nk=1\n[t]\nk=2\n", [](IniDocument& d) { return d.RenameSection({"t", 0}, "u"); },
         "[u]\nk=1\n; x\n[u]\nk=3\n"},
        {"remove section", "[a]\nk=1\n[b]\nk=2\n[c]\nk=3\n", [](IniDocument& d) { return d.RemoveSection("b"); },
         "[a]\nk=1\nj=0\n[x]\n[c]\nk=3\n"},
    };
    for (const LookAlike& each : cases) {
        IniDocument document(each.original);
        ASSERT_EQ(each.edit(document), EditResult::Changed) << each.what;
        const EditRecord change = document.TakeChange();
        IniDocument other(each.outside);
        EXPECT_EQ(other.Replay(change, ReplayDirection::Undo), EditResult::Refused) << each.what;
        EXPECT_EQ(other.Refusal(), IniFailure::Stale) << each.what;
        EXPECT_EQ(other.Bytes(), each.outside) << each.what;
    }
}

TEST(ReplayPlace, ARedoNeverLandsOnALookAlikeInAnotherSection) {
    IniDocument document("[player1]\nhp=100\n[player2]\nhp=90\n");
    ASSERT_EQ(document.SetValue("player1", "hp", "150"), EditResult::Changed);
    const EditRecord change = document.TakeChange();
    ASSERT_EQ(document.Replay(change, ReplayDirection::Undo), EditResult::Changed);
    const std::string outside = "[player1]\nhp=120\n[player2]\nhp=100\n";
    IniDocument other(outside);
    EXPECT_EQ(other.Replay(change, ReplayDirection::Redo), EditResult::Refused);
    EXPECT_EQ(other.Bytes(), outside);
    // Moved with its section, the span is still its own.
    IniDocument moved("[player2]\nhp=90\n[player1]\nhp=100\n");
    ASSERT_EQ(moved.Replay(change, ReplayDirection::Redo), EditResult::Changed);
    EXPECT_EQ(moved.Bytes(), "[player2]\nhp=90\n[player1]\nhp=150\n");
}

// Edits of a large section read only up to the lines they change, one at a time or in a
// batch: their spans know their section all the same.
TEST(ReplayPlace, SpansInLinesNotYetReadKnowTheirSection) {
    std::string original = "[a]\n";
    for (int i = 0; i < 1000; ++i) original += "key" + std::to_string(i) + "=v\n";
    original += "[b]\nkey900=v\n";
    IniDocument document(original);
    const std::vector<DocumentEdit> edits = {[](IniDocument& d) { return d.SetValue("a", "key100", "w"); },
                                             [](IniDocument& d) { return d.SetValue("a", "key900", "w"); }};
    EditRecord batch;
    ASSERT_EQ(RunEdits(document, edits, batch), EditResult::Changed);
    ASSERT_EQ(batch.spans.size(), 2u);
    const std::string edited = document.Bytes();

    // A header put between the two lines moves the second into another section.
    std::string split = edited;
    split.insert(split.find("key500="), "[b]\n");
    IniDocument other(split);
    EXPECT_EQ(other.Replay(batch, ReplayDirection::Undo), EditResult::Refused);
    EXPECT_EQ(other.Bytes(), split);
    IniDocument same(edited);
    ASSERT_EQ(same.Replay(batch, ReplayDirection::Undo), EditResult::Changed);
    EXPECT_EQ(same.Bytes(), original);
}

// A small model of the lines the test writes: each line's section, by name and occurrence.
std::vector<std::optional<std::pair<std::string, int>>> SectionsOf(const std::vector<std::string>& lines) {
    std::vector<std::optional<std::pair<std::string, int>>> places;
    std::optional<std::pair<std::string, int>> current;
    std::vector<std::string> seen;
    for (const std::string& line : lines) {
        if (line.starts_with('[')) {
            const std::string name = line.substr(1, line.find(']') - 1);
            current = std::make_pair(name, static_cast<int>(std::count(seen.begin(), seen.end(), name)));
            seen.push_back(name);
        }
        places.push_back(current);
    }
    return places;
}

std::string Joined(const std::vector<std::string>& lines) {
    std::string bytes;
    for (const std::string& line : lines) bytes += line + "\n";
    return bytes;
}

// Random files, a value set, then random line changes by another program: the undo (or the
// redo, after an undo) either changes back exactly one line, one in the edited line's
// section occurrence that reads as the edit left it, and that very line when the other
// program kept it there; or it writes nothing.
TEST(ReplayPlace, UnderRandomOutsideChangesAReplayRestoresItsOwnLineOrNothing) {
    const std::vector<std::string> pool = {"[s]", "[t]", "k=1", "k=2", "j=1", "k=9", "; c", ""};
    std::mt19937 random(7);
    int restored = 0;
    const int rounds = 4000;
    for (int round = 0; round < rounds; ++round) {
        std::vector<std::string> lines = {"[s]"};
        for (int n = 2 + static_cast<int>(random() % 6); n > 0; --n) lines.push_back(pool[random() % pool.size()]);
        const auto sections = SectionsOf(lines);
        std::optional<std::size_t> edited;
        for (std::size_t i = 0; i < lines.size() && !edited; ++i)
            if (lines[i].starts_with("k=") && sections[i] == std::make_pair(std::string("s"), 0)) edited = i;
        if (!edited || lines[*edited] == "k=9") continue;
        const std::string originalLine = lines[*edited];
        IniDocument document(Joined(lines));
        ASSERT_EQ(document.SetValue("s", "k", "9"), EditResult::Changed);
        const EditRecord change = document.TakeChange();
        const bool undo = round % 2 == 0;
        // The file the replay finds: as the edit left it, or for a redo as the undo did.
        const std::string current = undo ? "k=9" : originalLine;
        const std::string wanted = undo ? originalLine : "k=9";
        lines[*edited] = current;
        const auto ownPlace = SectionsOf(lines)[*edited];
        std::size_t own = *edited;  // where the edited line is now, while kept
        bool kept = true;
        for (int n = 1 + static_cast<int>(random() % 3); n > 0; --n) {
            const std::size_t at = random() % (lines.size() + 1);
            const std::string line = pool[random() % pool.size()];
            switch (random() % 3) {
            case 0:
                lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), line);
                if (at <= own) ++own;
                break;
            case 1:
                if (at == lines.size() || lines[at] == line) break;
                lines[at] = line;
                kept = kept && at != own;
                break;
            default:
                if (at == lines.size() || lines.size() == 1) break;
                lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(at));
                kept = kept && at != own;
                if (at < own) --own;
            }
        }
        const std::string outside = Joined(lines);
        IniDocument other(outside);
        const EditResult result = other.Replay(change, undo ? ReplayDirection::Undo : ReplayDirection::Redo);
        if (result == EditResult::Refused) {
            ASSERT_EQ(other.Bytes(), outside) << round;
            continue;
        }
        ASSERT_EQ(result, EditResult::Changed) << round << "\n" << outside;
        const auto places = SectionsOf(lines);
        kept = kept && places[own] == ownPlace;  // moved out of its section, it is not its place
        bool matched = false;
        for (std::size_t i = 0; i < lines.size() && !matched; ++i) {
            if (lines[i] != current || places[i] != ownPlace) continue;
            // A copy put next to the kept line cannot be told from it.
            if (kept && std::any_of(lines.begin() + static_cast<std::ptrdiff_t>(std::min(i, own)),
                                    lines.begin() + static_cast<std::ptrdiff_t>(std::max(i, own)),
                                    [&](const std::string& line) { return line != current; }))
                continue;
            std::vector<std::string> expected = lines;
            expected[i] = wanted;
            matched = other.Bytes() == Joined(expected);
        }
        ASSERT_TRUE(matched) << "round " << round << (undo ? " undo" : " redo") << "\nfound:\n" << outside
                             << "gave:\n" << other.Bytes();
        ++restored;
    }
    // Most outside changes leave the edited line where it was: those replays go through.
    EXPECT_GT(restored, rounds / 10);
}

}  // namespace
