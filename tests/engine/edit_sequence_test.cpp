// Several edits as one: the record of what they did together, and the store saving them once,
// all or none.
#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <random>
#include <span>
#include <string>
#include <vector>

#include "engine/edit_sequence.h"
#include "engine/ini_store.h"
#include "tests/engine/temp_dir.h"

namespace {

constexpr TCodePage Utf8 = TCodePage::Utf8;

// The bytes a record says the edit left: each span's after bytes put where its before bytes
// were, which must be there.
std::string Applied(const std::string& original, const EditRecord& record) {
    std::string result;
    std::size_t at = 0;
    for (const ByteSpan& span : record.spans) {
        EXPECT_GE(span.offset, at) << "spans out of order or overlapping";
        EXPECT_EQ(original.substr(span.offset, span.before.size()), span.before) << "at " << span.offset;
        result.append(original, at, span.offset - at).append(span.after);
        at = span.offset + span.before.size();
    }
    return result.append(original, at);
}

// An edit drawn at random from what a script does: values of other lengths, new keys and
// sections, removals, renames, and values set back as they were.
DocumentEdit RandomEdit(std::mt19937& random) {
    static const char* const sections[] = {"a", "B", "c", "new"};
    static const char* const keys[] = {"k", "dup", "x", "fresh", ""};
    static const char* const values[] = {"", "1", "a longer value than any before", "v", " quoted "};
    const std::string section = sections[random() % 4];
    const std::string key = keys[random() % 5];
    const std::string value = values[random() % 5];
    // Renames of what is not there are refused, ending the sequence: they come seldom.
    switch (random() % 10) {
        case 0: return [=](IniDocument& d) { return d.RenameKey({{section, 0}, key, 0}, key + "2"); };
        case 1: return [=](IniDocument& d) { return d.RenameSection({section, 0}, section + "2"); };
        case 2: return [=](IniDocument& d) { return d.RemoveKey(section, key); };
        case 3: return [=](IniDocument& d) { return d.RemoveSection(section); };
        default: return [=](IniDocument& d) { return d.SetValue(section, key, value); };
    }
}

TEST(EditSequence, TheRecordOfManyEditsTakesTheOriginalToTheResultAndBack) {
    const std::vector<std::string> originals = {
        "[a]\nk=1\ndup=1\ndup=2\n\n[B]\nx = \" y \"\n[a]\nj=3\n; tail",
        "\xEF\xBB\xBF[a]\r\nk=1\r\n[c]\r\nx\r\n[B]\r\n",
        "",
        "[a]\nk=1",
    };
    std::mt19937 random(20240607);
    int changed = 0;
    for (int round = 0; round < 1000; ++round) {
        const std::string& original = originals[round % originals.size()];
        std::vector<DocumentEdit> edits;
        for (int count = 2 + static_cast<int>(random() % 8); count > 0; --count) edits.push_back(RandomEdit(random));
        IniDocument document(original);
        EditRecord change;
        const EditResult result = RunEdits(document, edits, change);
        if (result == EditResult::Refused) continue;
        const std::string& edited = document.Bytes();
        ASSERT_EQ(result == EditResult::Unchanged, edited == original) << "round " << round;
        ASSERT_EQ(change.Empty(), edited == original) << "round " << round;
        if (result == EditResult::Unchanged) continue;
        ++changed;
        ASSERT_EQ(Applied(original, change), edited) << "round " << round;
        IniDocument undone(edited);
        ASSERT_EQ(undone.Replay(change, ReplayDirection::Undo), EditResult::Changed) << "round " << round;
        ASSERT_EQ(undone.Bytes(), original) << "round " << round;
        IniDocument redone(original);
        ASSERT_EQ(redone.Replay(change, ReplayDirection::Redo), EditResult::Changed) << "round " << round;
        ASSERT_EQ(redone.Bytes(), edited) << "round " << round;
    }
    EXPECT_GT(changed, 400) << "too few sequences changed anything to say much";
}

TEST(EditSequence, EditsThatUndoEachOtherChangeNothing) {
    IniDocument document("[a]\nk=1\n");
    const std::vector<DocumentEdit> edits = {
        [](IniDocument& d) { return d.SetValue("a", "k", "22"); },
        [](IniDocument& d) { return d.SetValue("a", "new", "x"); },
        [](IniDocument& d) { return d.RemoveKey("a", "new"); },
        [](IniDocument& d) { return d.SetValue("a", "k", "1"); },
    };
    EditRecord change;
    EXPECT_EQ(RunEdits(document, edits, change), EditResult::Unchanged);
    EXPECT_TRUE(change.Empty());
    EXPECT_EQ(document.Bytes(), "[a]\nk=1\n");
}

TEST(EditSequence, StopsAtTheFirstRefusalAndSaysWhatWasDoneBefore) {
    IniDocument document("[a]\nk=1\n");
    int ran = 0;
    const std::vector<DocumentEdit> edits = {
        [&](IniDocument& d) { ++ran; return d.SetValue("a", "k", "2"); },
        [&](IniDocument& d) { ++ran; return d.SetValue("a]", "k", "2"); },
        [&](IniDocument& d) { ++ran; return d.SetValue("a", "later", "3"); },
    };
    EditRecord change;
    EXPECT_EQ(RunEdits(document, edits, change), EditResult::Refused);
    EXPECT_EQ(document.Refusal(), IniFailure::CannotHold);
    EXPECT_EQ(ran, 2);
    EXPECT_FALSE(change.Empty());
}

// The edits one at a time, each on the bytes the one before left: what a batch must equal.
EditResult OneByOne(IniDocument& document, std::span<const DocumentEdit> edits, EditRecord& change) {
    EditChain chain;
    for (const DocumentEdit& edit : edits) {
        const EditResult result = edit(document);
        if (result == EditResult::Changed) chain.Add(document.TakeChange());
        if (result == EditResult::Refused) {
            change = chain.Finish(document.Bytes());
            return result;
        }
    }
    change = chain.Finish(document.Bytes());
    return change.Empty() ? EditResult::Unchanged : EditResult::Changed;
}

void ExpectSameRecord(const EditRecord& batch, const EditRecord& single, int round) {
    ASSERT_EQ(batch.spans.size(), single.spans.size()) << "round " << round;
    for (std::size_t i = 0; i < batch.spans.size(); ++i) {
        const ByteSpan& a = batch.spans[i];
        const ByteSpan& b = single.spans[i];
        EXPECT_EQ(a.offset, b.offset) << "round " << round << " span " << i;
        EXPECT_EQ(a.before, b.before) << "round " << round << " span " << i;
        EXPECT_EQ(a.after, b.after) << "round " << round << " span " << i;
        EXPECT_EQ(a.lead, b.lead) << "round " << round << " span " << i;
        EXPECT_EQ(a.trail, b.trail) << "round " << round << " span " << i;
    }
}

// Mostly value sets, which a batch holds aside and writes in one pass, mixed with what makes
// it write them first: the same key set twice, a set after an add or a rename, a line without
// "=", an empty value before trailing blanks, a set by shown value, reads in between.
DocumentEdit RandomSetHeavyEdit(std::mt19937& random) {
    static const char* const sections[] = {"a", "b", "c", "b2"};
    static const char* const keys[] = {"k", "dup", "bare", "blank", "last", "new", "k2"};
    static const char* const values[] = {"", "1", "a value longer than the others", " spaced ", "\"q\"", "v"};
    const std::string section = sections[random() % 4];
    const std::string key = keys[random() % 7];
    const std::string value = values[random() % 6];
    const std::string shown = values[random() % 6];
    // Renames and sets by shown value are mostly refused, ending the batch: they come seldom.
    switch (random() % 40) {
        case 0: return [=](IniDocument& d) { return d.RenameKey({{section, 0}, key, 0}, key + "2"); };
        case 1: return [=](IniDocument& d) { return d.RenameSection({section, 0}, section + "2"); };
        case 2: return [=](IniDocument& d) { return d.RemoveKey(section, key); };
        case 3: return [=](IniDocument& d) { return d.AddKey({section, 0}, key, value); };
        case 4: return [=](IniDocument& d) { return d.SetValueAt({{section, 0}, key, 1}, shown, value); };
        case 5: return [=](IniDocument& d) { return d.SetValueAt({{section, 0}, key, 0}, shown, value); };
        case 6:
            return [=](IniDocument& d) {
                // A read inside the batch sees the sets before it.
                const std::optional<std::string_view> now = d.Value(section, key);
                return d.SetValue(section, key, now ? std::string(*now) + "+" : value);
            };
        default: return [=](IniDocument& d) { return d.SetValue(section, key, value); };
    }
}

TEST(EditSequence, ABatchLeavesTheBytesAndTheRecordThatEditsOneByOneWould) {
    const std::vector<std::string> originals = {
        "[a]\nk=1\ndup=1\ndup = 2\nbare\nblank =   \n[b]\r\nk = \"x\"  \r\nbare  \r\n[c]\nlast=end",
        "\xEF\xBB\xBF[a]\r\nk=1\r\n; note\r\n[b]\r\nblank=\t\r\n[a]\r\nk=second\r\n[c]\r\nbare",
        "[c]\nk=\xB0\xA1\ndup\ndup=\n[a]\n",
        "",
    };
    std::mt19937 random(20261207);
    int changed = 0;
    for (int round = 0; round < 3000; ++round) {
        const std::string& original = originals[round % originals.size()];
        const LeadTable lead = LeadTable::ForCodePage(round % 3 == 0 ? TCodePage::Gbk : Utf8);
        std::vector<DocumentEdit> edits;
        for (int count = 2 + static_cast<int>(random() % 10); count > 0; --count) edits.push_back(RandomSetHeavyEdit(random));
        IniDocument batched(original, lead);
        IniDocument single(original, lead);
        EditRecord batchChange;
        EditRecord singleChange;
        const EditResult batchResult = RunEdits(batched, edits, batchChange);
        ASSERT_EQ(batchResult, OneByOne(single, edits, singleChange)) << "round " << round;
        ASSERT_EQ(batched.Refusal(), single.Refusal()) << "round " << round;
        ASSERT_EQ(batched.Bytes(), single.Bytes()) << "round " << round;
        ExpectSameRecord(batchChange, singleChange, round);
        // What the batch left reads as a fresh parse of its bytes does.
        IniDocument fresh(batched.Bytes(), lead);
        for (const char* section : {"a", "b", "c", "b2"}) {
            ASSERT_EQ(batched.KeyNames(section), fresh.KeyNames(section)) << "round " << round;
            for (const std::string_view key : fresh.KeyNames(section))
                ASSERT_EQ(batched.Value(section, key), fresh.Value(section, key)) << "round " << round;
        }
        if (batchResult == EditResult::Changed) ++changed;
    }
    EXPECT_GT(changed, 1200) << "too few batches changed anything to say much";
}

// After a batch, the document goes on as any other: a later edit finds every line where it is.
TEST(EditSequence, EditsAfterABatchFindTheLinesItMoved) {
    IniDocument document("[a]\nk=1\nj=2\n[b]\nx=3\n");
    const std::vector<DocumentEdit> edits = {
        [](IniDocument& d) { return d.SetValue("a", "k", "one"); },
        [](IniDocument& d) { return d.SetValue("b", "x", ""); },
        [](IniDocument& d) { return d.SetValue("a", "k", "uno"); },
    };
    EditRecord change;
    ASSERT_EQ(RunEdits(document, edits, change), EditResult::Changed);
    ASSERT_EQ(document.SetValue("a", "j", "two"), EditResult::Changed);
    ASSERT_EQ(document.SetValue("b", "y", "4"), EditResult::Changed);
    EXPECT_EQ(document.Bytes(), "[a]\nk=uno\nj=two\n[b]\nx=\ny=4\n");
    ASSERT_EQ(document.RemoveKey("a", "k"), EditResult::Changed);
    EXPECT_EQ(document.Bytes(), "[a]\nj=two\n[b]\nx=\ny=4\n");
}

TEST(StoreEdits, ManyEditsAreOneSave) {
    TempDir dir;
    const std::string path = dir.Write("a.ini", "[a]\r\nk=1\r\n");
    const ino_t before = StatOf(path).st_ino;
    IniStore store;
    const std::vector<IniStore::Edit> edits = {
        [](IniDocument& d) { return d.SetValue("a", "k", "2"); },
        [](IniDocument& d) { return d.SetValue("b", "x", "y"); },
        [](IniDocument& d) { return d.RenameSection({"a", 0}, "first"); },
    };
    const IniResult result = store.Apply(path, Utf8, edits);
    ASSERT_TRUE(result.Succeeded());
    EXPECT_EQ(ReadFile(path), "[first]\r\nk=2\r\n[b]\r\nx=y\r\n");
    EXPECT_NE(StatOf(path).st_ino, before) << "saved by rename";
    IniDocument undone(ReadFile(path));
    ASSERT_EQ(undone.Replay(result.change, ReplayDirection::Undo), EditResult::Changed);
    EXPECT_EQ(undone.Bytes(), "[a]\r\nk=1\r\n");
}

TEST(StoreEdits, ARefusedEditLeavesTheFileAndWhatLaterReadsSeeAsTheyWere) {
    TempDir dir;
    const std::string original = "[a]\nk=1\n";
    const std::string path = dir.Write("a.ini", original);
    const timespec past[2] = {{1000000, 0}, {1000000, 0}};
    utimensat(AT_FDCWD, path.c_str(), past, 0);
    IniStore store;
    const std::vector<IniStore::Edit> edits = {
        [](IniDocument& d) { return d.SetValue("a", "k", "2"); },
        [](IniDocument& d) { return d.SetValue("a", "new", "3"); },
        [](IniDocument& d) { return d.RenameKey({{"a", 0}, "k", 0}, "new"); },
    };
    EXPECT_EQ(store.Apply(path, Utf8, edits).failure, IniFailure::NameTaken);
    EXPECT_EQ(ReadFile(path), original);
    EXPECT_EQ(StatOf(path).st_mtim.tv_sec, 1000000);
    EXPECT_EQ(store.Document(path, Utf8).Bytes(), original) << "the cache kept the edits before the refusal";
    EXPECT_EQ(store.Document(path, Utf8).Value("a", "new"), std::nullopt);
}

// Saved in place, only the bytes from the first change on are written: that is the first
// change of all the edits, not of the last one.
TEST(StoreEdits, AnInPlaceSaveWritesEveryEditsChange) {
    TempDir dir;
    const std::string path = dir.Write("a.ini", "[a]\nk=1\n[b]\nx=1\n");
    ASSERT_EQ(link(path.c_str(), dir.Path("other.ini").c_str()), 0);
    IniStore store;
    const std::vector<IniStore::Edit> edits = {
        [](IniDocument& d) { return d.SetValue("a", "k", "first"); },
        [](IniDocument& d) { return d.SetValue("b", "x", "last"); },
    };
    ASSERT_TRUE(store.Apply(path, Utf8, edits).Succeeded());
    EXPECT_EQ(ReadFile(dir.Path("other.ini")), "[a]\nk=first\n[b]\nx=last\n");
}

TEST(StoreEdits, ANewFileIsMadeOnlyWhenTheEditsPutSomethingInIt) {
    TempDir dir;
    IniStore store;
    const std::vector<IniStore::Edit> nothing = {
        [](IniDocument& d) { return d.SetValue("a", "k", "1"); },
        [](IniDocument& d) { return d.RemoveSection("a"); },
    };
    EXPECT_TRUE(store.Apply(dir.Path("new.ini"), Utf8, nothing).Succeeded());
    EXPECT_EQ(dir.EntryCount(), 0u);
    const std::vector<IniStore::Edit> refused = {
        [](IniDocument& d) { return d.SetValue("a", "k", "1"); },
        [](IniDocument& d) { return d.SetValue("a", "k\n", "1"); },
    };
    EXPECT_EQ(store.Apply(dir.Path("new.ini"), Utf8, refused).failure, IniFailure::CannotHold);
    EXPECT_EQ(dir.EntryCount(), 0u);
}

}  // namespace
