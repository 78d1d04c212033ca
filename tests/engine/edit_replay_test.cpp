// Undo and redo from what each edit recorded: the bytes come back exactly, and another
// program's change is kept where it does not touch them, refused where it does.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "engine/ini_document.h"

namespace {

using Edit = std::function<EditResult(IniDocument&)>;

const std::vector<Edit>& MixedEdits() {
    static const std::vector<Edit> edits = {
        [](IniDocument& d) { return d.SetValue("a", "k", "a much longer value than before"); },
        [](IniDocument& d) { return d.SetValue("a", "new", "1"); },
        [](IniDocument& d) { return d.SetValue("fresh", "main", "01"); },
        [](IniDocument& d) { return d.RemoveKeyAt({{"a", 0}, "dup", 1}, "2"); },
        [](IniDocument& d) { return d.RenameKey({{"a", 0}, "dup", 0}, "single"); },
        [](IniDocument& d) { return d.RenameSection({"b", 0}, "bee"); },
        [](IniDocument& d) { return d.RemoveKey("a", "K"); },
        [](IniDocument& d) { return d.AddKey({"a", 1}, "second", "x"); },
        [](IniDocument& d) { return d.AppendKey({"a", 1}, "J", "again"); },
        [](IniDocument& d) { return d.AddHeader("b"); },
        [](IniDocument& d) { return d.RemoveSectionAt({"a", 1}); },
        [](IniDocument& d) { return d.RemoveSection("A"); },
        [](IniDocument& d) { return d.SetValue("z", "k", "on a file without a last line end"); },
    };
    return edits;
}

const std::string Original = "\xEF\xBB\xBF; head\r\n[a]\r\nk=1\r\ndup=1\r\ndup=2\r\n\r\n[b]\r\nx = \" y \"\r\n[a]\r\nj=3\r\n; tail";

TEST(EditReplay, UndoingEveryEditInTurnGivesBackEachStateExactly) {
    IniDocument document(Original);
    std::vector<std::string> states = {document.Bytes()};
    std::vector<EditRecord> changes;
    for (const Edit& edit : MixedEdits()) {
        ASSERT_EQ(edit(document), EditResult::Changed) << "edit " << changes.size();
        changes.push_back(document.TakeChange());
        states.push_back(document.Bytes());
    }
    for (std::size_t i = changes.size(); i-- > 0;) {
        ASSERT_EQ(document.Replay(changes[i], ReplayDirection::Undo), EditResult::Changed) << "undo " << i;
        ASSERT_EQ(document.Bytes(), states[i]) << "undo " << i;
    }
    for (std::size_t i = 0; i < changes.size(); ++i) {
        ASSERT_EQ(document.Replay(changes[i], ReplayDirection::Redo), EditResult::Changed) << "redo " << i;
        ASSERT_EQ(document.Bytes(), states[i + 1]) << "redo " << i;
    }
    // Undone, the document reads as a fresh parse of its bytes does.
    ASSERT_EQ(document.Replay(changes.back(), ReplayDirection::Undo), EditResult::Changed);
    EXPECT_EQ(document.SectionNames(), IniDocument(document.Bytes()).SectionNames());
}

TEST(EditReplay, RecordsKeepOnlyWhatChanged) {
    std::string big = "[a]\n";
    for (int i = 0; i < 10000; ++i) big += "key" + std::to_string(i) + "=value\n";
    IniDocument document(big);
    ASSERT_EQ(document.SetValue("a", "key5000", "other"), EditResult::Changed);
    const EditRecord& change = document.LastChange();
    ASSERT_EQ(change.spans.size(), 1u);
    EXPECT_EQ(change.spans[0].before, "value");
    EXPECT_EQ(change.spans[0].after, "other");
    EXPECT_LE(change.spans[0].lead.size() + change.spans[0].trail.size(), 128u);
}

TEST(EditReplay, ChangesElsewhereStayAndChangesToItsBytesRefuse) {
    IniDocument document("[a]\nk=1\nj=2\n[b]\nx=1\n");
    ASSERT_EQ(document.SetValue("a", "j", "20"), EditResult::Changed);
    const EditRecord change = document.TakeChange();

    // Another program added a line above and changed a value below.
    IniDocument moved("; added\n[a]\nk=1\nj=20\n[b]\nx=9\n");
    ASSERT_EQ(moved.Replay(change, ReplayDirection::Undo), EditResult::Changed);
    EXPECT_EQ(moved.Bytes(), "; added\n[a]\nk=1\nj=2\n[b]\nx=9\n");
    ASSERT_EQ(moved.Replay(change, ReplayDirection::Redo), EditResult::Changed);
    EXPECT_EQ(moved.Bytes(), "; added\n[a]\nk=1\nj=20\n[b]\nx=9\n");

    for (const std::string touched : {"[a]\nk=1\nj=21\n[b]\nx=1\n", "[a]\nk=1\nj=20;\n[b]\nx=1\n", "[a]\nk=1\n"}) {
        IniDocument other(touched);
        EXPECT_EQ(other.Replay(change, ReplayDirection::Undo), EditResult::Refused) << touched;
        EXPECT_EQ(other.Refusal(), IniFailure::Stale);
        EXPECT_EQ(other.Bytes(), touched);
    }
}

TEST(EditReplay, AnAmbiguousPlaceIsRefusedNotGuessed) {
    // Two copies of the changed line with the same bytes around them: which one was ours?
    IniDocument document("[a]\nk=1\n");
    ASSERT_EQ(document.SetValue("a", "k", "2"), EditResult::Changed);
    const EditRecord change = document.TakeChange();
    IniDocument twice("; moved\n[a]\nk=2\n[a]\nk=2\n");
    EXPECT_EQ(twice.Replay(change, ReplayDirection::Undo), EditResult::Refused);
    EXPECT_EQ(twice.Bytes(), "; moved\n[a]\nk=2\n[a]\nk=2\n");
}

// Records of many spans that grow and shrink the bytes, replayed in the document's own buffer
// or, while a list shares it, into a new one: both give the bytes the spans describe, and the
// list keeps what it showed.
TEST(EditReplay, ManySpansOfEveryLengthReplayInPlaceOrBeside) {
    std::mt19937 random(11);
    for (int round = 0; round < 2000; ++round) {
        std::string original = "[s]\n";
        for (std::size_t length = random() % 200; original.size() < length + 4;) original += static_cast<char>('a' + random() % 3);
        EditRecorder recorder;
        std::string edited = original.substr(0, 4);
        std::size_t at = 4;
        for (int spans = 0; at < original.size() && spans < 8;) {
            const std::size_t gap = 1 + random() % 20;
            if (at + gap > original.size()) break;
            edited += original.substr(at, gap);
            at += gap;
            const std::size_t removed = std::min<std::size_t>(random() % 6, original.size() - at);
            std::string added;
            for (std::size_t n = random() % 6; n > 0; --n) added += static_cast<char>('x' + random() % 3);
            if (removed == 0 && added.empty()) continue;
            recorder.Replaced(edited.size(), original.substr(at, removed), added);
            ++spans;
            edited += added;
            at += removed;
        }
        edited += original.substr(std::min(at, original.size()));
        const EditRecord record = recorder.Finish(edited);
        if (record.Empty()) continue;
        for (const bool shared : {false, true}) {
            IniDocument document(original);
            const IniListing list = shared ? document.Sections() : IniListing();
            ASSERT_EQ(document.Replay(record, ReplayDirection::Redo), EditResult::Changed) << original;
            EXPECT_EQ(document.Bytes(), edited) << original;
            ASSERT_EQ(document.Replay(record, ReplayDirection::Undo), EditResult::Changed) << original;
            EXPECT_EQ(document.Bytes(), original);
            if (shared) {
                EXPECT_EQ(list.Name(0), "s");
            }
        }
    }
    // Spans of other lengths that give back the same bytes change nothing.
    IniDocument rotated("aa");
    EditRecorder recorder;
    recorder.Replaced(0, "a", "");
    recorder.Replaced(1, "", "a");
    const EditRecord rotation = recorder.Finish("aa");
    EXPECT_EQ(rotated.Replay(rotation, ReplayDirection::Redo), EditResult::Unchanged);
    EXPECT_EQ(rotated.Bytes(), "aa");
}

}  // namespace
