// What a file gets from its document's commands, and from undo and redo of them.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "document/document.h"
#include "encoding/code_page.h"
#include "encoding/code_page_conversion.h"
#include "support/file_bytes.h"
#include "engine/ini_service.h"
#include "support/scoped_seam.h"
#include "tests/engine/counting_status.h"
#include "text/temp_folder.h"

namespace {

TViewPlace At(const std::string& section) { return TViewPlace{false, TShownName{section, 0}, std::nullopt}; }

class DocumentCommandsTest : public ::testing::Test {
protected:
    TempFolder folder;
    const std::string original = "; players\r\n[a]\r\nk=1\r\nk=2\r\n[b]\r\nx=y\r\n[a]\r\nk=3\r\n";
    std::string path = folder.File("game.ini", original);

    // Opened from its bytes on disk, as a load opens it.
    TDocument Opened(std::optional<TCodePage> chosen = std::nullopt) {
        TDocument document(path);
        document.Open(ReadFile(path), {EncodingHintsOfLocale("zh_CN.UTF-8"), TEncodingMemory(std::string()), chosen, false});
        document.Sections();
        document.NoteEngineStamp();
        return document;
    }
};

TEST_F(DocumentCommandsTest, EachCommandChangesItsOwnLineAndKeepsEveryOtherByte) {
    TDocument document = Opened();
    EXPECT_TRUE(document.SetValueAt({"a", 0, "k", 1}, "2", "two").Succeeded());
    EXPECT_EQ(ReadFile(path), "; players\r\n[a]\r\nk=1\r\nk=two\r\n[b]\r\nx=y\r\n[a]\r\nk=3\r\n");
    EXPECT_TRUE(document.AddKey({"a", 1}, "n", "new").Succeeded());
    EXPECT_EQ(ReadFile(path), "; players\r\n[a]\r\nk=1\r\nk=two\r\n[b]\r\nx=y\r\n[a]\r\nk=3\r\nn=new\r\n");
    EXPECT_TRUE(document.RemoveKeyAt({"a", 0, "k", 0}, "1").Succeeded());
    EXPECT_TRUE(document.RenameKey({"b", 0, "x", 0}, "z").Succeeded());
    EXPECT_TRUE(document.RenameSection({"b", 0}, "c").Succeeded());
    EXPECT_EQ(ReadFile(path), "; players\r\n[a]\r\nk=two\r\n[c]\r\nz=y\r\n[a]\r\nk=3\r\nn=new\r\n");
    EXPECT_TRUE(document.RemoveSectionAt({"a", 1}).Succeeded());
    EXPECT_TRUE(document.SetValue("new", "main", "01").Succeeded());
    EXPECT_EQ(ReadFile(path), "; players\r\n[a]\r\nk=two\r\n[c]\r\nz=y\r\n[new]\r\nmain=01\r\n");
}

TEST_F(DocumentCommandsTest, ACommandWhoseTargetNoLongerReadsAsShownWritesAndKeepsNothing) {
    TDocument document = Opened();
    EXPECT_EQ(document.SetValueAt({"a", 0, "k", 0}, "not shown", "v").failure, IniFailure::Stale);
    ASSERT_TRUE(document.RenameKey({"b", 0, "x", 0}, "k").Succeeded());
    EXPECT_EQ(document.RenameSection({"c", 0}, "d").failure, IniFailure::Stale);
    EXPECT_EQ(document.AddKey({"a", 0}, "K", "dup").failure, IniFailure::NameTaken);
    document.Replay(ReplayDirection::Undo);
    EXPECT_EQ(ReadFile(path), original);
    EXPECT_FALSE(document.CanReplay(ReplayDirection::Undo)) << "a refused command was kept for undo";
}

TEST_F(DocumentCommandsTest, UndoAndRedoGiveBackTheBytesAndThePlaceOfEachChange) {
    TDocument document = Opened();
    EXPECT_FALSE(document.CanReplay(ReplayDirection::Undo));
    ASSERT_TRUE(document.SetValueAt({"a", 0, "k", 0}, "1", "one", At("a")).Succeeded());
    document.SetPlaceAfter(At("a-after"));
    const std::string afterFirst = ReadFile(path);
    ASSERT_TRUE(document.RemoveSectionAt({"b", 0}, At("b")).Succeeded());

    TDocument::TReplay undone = document.Replay(ReplayDirection::Undo);
    ASSERT_TRUE(undone.result.Succeeded());
    EXPECT_EQ(undone.place.section->name, "b");
    EXPECT_EQ(ReadFile(path), afterFirst);
    undone = document.Replay(ReplayDirection::Undo);
    EXPECT_EQ(undone.place.section->name, "a");
    EXPECT_EQ(ReadFile(path), original);
    EXPECT_FALSE(document.CanReplay(ReplayDirection::Undo));

    const TDocument::TReplay redone = document.Replay(ReplayDirection::Redo);
    ASSERT_TRUE(redone.result.Succeeded());
    EXPECT_EQ(redone.place.section->name, "a-after");
    EXPECT_EQ(ReadFile(path), afterFirst);
    // A new change: what was taken back can no longer be done again.
    ASSERT_TRUE(document.RenameKey({"b", 0, "x", 0}, "z").Succeeded());
    EXPECT_FALSE(document.CanReplay(ReplayDirection::Redo));
}

TEST_F(DocumentCommandsTest, AnUndoOfBytesAnotherProgramChangedSinceIsRefused) {
    TDocument document = Opened();
    ASSERT_TRUE(document.SetValueAt({"b", 0, "x", 0}, "y", "mine").Succeeded());
    const std::string theirs = "; players\r\n[a]\r\nk=1\r\nk=2\r\n[b]\r\nx=theirs\r\n[a]\r\nk=3\r\n";
    folder.File("game.ini", theirs);
    EXPECT_EQ(document.Replay(ReplayDirection::Undo).result.failure, IniFailure::Stale);
    EXPECT_EQ(ReadFile(path), theirs);
    EXPECT_TRUE(document.CanReplay(ReplayDirection::Undo)) << "the change stays to be tried again";
}

// A file loaded again is a new document of the same path: going on with the history of the
// document it replaces, through documents of other files too, keeps its undo.
TEST_F(DocumentCommandsTest, TheHistoryOutlivesTheDocumentThatGoesOnWithIt) {
    TDocument first = Opened();
    ASSERT_TRUE(first.RenameSection({"b", 0}, "c").Succeeded());

    TDocument alone = Opened();
    EXPECT_FALSE(alone.CanReplay(ReplayDirection::Undo));
    TDocument other(folder.File("other.ini", "[x]\n"));
    other.ContinueHistoryOf(first);
    EXPECT_FALSE(other.CanReplay(ReplayDirection::Undo)) << "another file's change";
    TDocument again = Opened();
    again.ContinueHistoryOf(other);
    ASSERT_TRUE(again.Replay(ReplayDirection::Undo).result.Succeeded());
    EXPECT_EQ(ReadFile(path), original);
}

// The file's watcher tells of changes; the document says which of them the view must follow.
TEST_F(DocumentCommandsTest, AChangeNoticeSaysWhetherTheFileIsToBeReadAgain) {
    TDocument document = Opened();
    EXPECT_EQ(document.NoticeChange(), TDocument::TChange::None) << "a notice of no change";
    document.OweReload();
    EXPECT_EQ(document.NoticeChange(), TDocument::TChange::Changed) << "a reload that failed is tried again";

    TDocument shown = Opened();
    folder.File("game.ini", original + "[c]\r\n");
    EXPECT_EQ(shown.NoticeChange(), TDocument::TChange::Changed);
    std::filesystem::remove(path);
    EXPECT_EQ(shown.NoticeChange(), TDocument::TChange::Gone);
    EXPECT_TRUE(shown.Gone());
    EXPECT_EQ(shown.NoticeChange(), TDocument::TChange::None) << "told once";
    folder.File("game.ini", original);
    EXPECT_EQ(shown.NoticeChange(), TDocument::TChange::Changed) << "back: read again";
}

TEST_F(DocumentCommandsTest, BytesThatMustNotBeWrittenAreNeverWritten) {
    const std::string gbk = "[a]\r\nk=" + *Utf8ToCodePage("星海", TCodePage::Gbk) + "\r\n";
    folder.File("game.ini", gbk);
    TDocument document = Opened(TCodePage::Utf8);
    ASSERT_EQ(document.ContentRefusal(), TContentRefusal::OtherEncoding);
    EXPECT_EQ(document.SetValue("a", "k", "v").failure, IniFailure::CannotHold);
    EXPECT_EQ(document.RemoveSectionAt({"a", 0}).failure, IniFailure::CannotHold);
    EXPECT_EQ(ReadFile(path), gbk);
}

// The view follows its own writes; one behind another program's change stays behind it, so
// that the change notice still refreshes it.
TEST_F(DocumentCommandsTest, TheShownStampFollowsAWriteOnlyWhenItWasCurrent) {
    TDocument document = Opened();
    ASSERT_TRUE(document.SetValue("a", "k", "v").Succeeded());
    EXPECT_EQ(document.ShownStamp(), document.StampNow());

    folder.File("game.ini", original + "[other]\r\n");
    const FileStamp behind = document.ShownStamp();
    ASSERT_TRUE(document.SetValue("b", "x", "w").Succeeded());
    EXPECT_EQ(document.ShownStamp(), behind);
    EXPECT_NE(document.ShownStamp(), document.StampNow());
}

// The save knows the state it found and left: a command asks the disk nothing more than the
// engine's own write does, and neither does undo.
TEST_F(DocumentCommandsTest, ACommandChecksTheFileNoMoreThanItsWrite) {
    TDocument document = Opened();
    CountingStatus ops;
    ScopedSeam seam(UseIniFileOps, &ops);
    const IniFileRef file{path, TCodePage::Utf8};
    ASSERT_TRUE(CurrentIniService().SetValue(file, "b", "x", "read again").Succeeded());
    ops.calls = 0;
    ASSERT_TRUE(CurrentIniService().SetValue(file, "b", "x", "engine").Succeeded());
    const int engineWrite = ops.calls;

    ops.calls = 0;
    ASSERT_TRUE(document.SetValue("b", "x", "document").Succeeded());
    EXPECT_EQ(ops.calls, engineWrite);
    ops.calls = 0;
    ASSERT_TRUE(document.Replay(ReplayDirection::Undo).result.Succeeded());
    EXPECT_EQ(ops.calls, engineWrite);
    EXPECT_NE(ReadFile(path).find("x=engine"), std::string::npos);
}

}  // namespace
