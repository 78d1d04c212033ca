// What a file gets from its document's commands, and from undo and redo of them.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "document/document.h"
#include "encoding/code_page.h"
#include "encoding/code_page_conversion.h"
#include "text/temp_folder.h"

namespace {

std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

TViewPlace At(const std::string& section) { return TViewPlace{false, TShownName{section, 0}, std::nullopt}; }

class DocumentCommandsTest : public ::testing::Test {
protected:
    TempFolder folder;
    const std::string original = "; players\r\n[a]\r\nk=1\r\nk=2\r\n[b]\r\nx=y\r\n[a]\r\nk=3\r\n";
    std::string path = folder.File("game.ini", original);

    // Opened from its bytes on disk, as a load opens it.
    TDocument Opened(std::optional<TCodePage> chosen = std::nullopt) {
        TDocument document(path);
        document.Open(Read(path), {EncodingHintsOfLocale("zh_CN.UTF-8"), TEncodingMemory(std::string()), chosen, false});
        document.Sections();
        document.NoteEngineStamp();
        return document;
    }
};

TEST_F(DocumentCommandsTest, EachCommandChangesItsOwnLineAndKeepsEveryOtherByte) {
    TDocument document = Opened();
    EXPECT_TRUE(document.SetValueAt({"a", 0, "k", 1}, "2", "two").Succeeded());
    EXPECT_EQ(Read(path), "; players\r\n[a]\r\nk=1\r\nk=two\r\n[b]\r\nx=y\r\n[a]\r\nk=3\r\n");
    EXPECT_TRUE(document.AddKey({"a", 1}, "n", "new").Succeeded());
    EXPECT_EQ(Read(path), "; players\r\n[a]\r\nk=1\r\nk=two\r\n[b]\r\nx=y\r\n[a]\r\nk=3\r\nn=new\r\n");
    EXPECT_TRUE(document.RemoveKeyAt({"a", 0, "k", 0}, "1").Succeeded());
    EXPECT_TRUE(document.RenameKey({"b", 0, "x", 0}, "z").Succeeded());
    EXPECT_TRUE(document.RenameSection({"b", 0}, "c").Succeeded());
    EXPECT_EQ(Read(path), "; players\r\n[a]\r\nk=two\r\n[c]\r\nz=y\r\n[a]\r\nk=3\r\nn=new\r\n");
    EXPECT_TRUE(document.RemoveSectionAt({"a", 1}).Succeeded());
    EXPECT_TRUE(document.SetValue("new", "main", "01").Succeeded());
    EXPECT_EQ(Read(path), "; players\r\n[a]\r\nk=two\r\n[c]\r\nz=y\r\n[new]\r\nmain=01\r\n");
}

TEST_F(DocumentCommandsTest, ACommandWhoseTargetNoLongerReadsAsShownWritesAndKeepsNothing) {
    TDocument document = Opened();
    EXPECT_EQ(document.SetValueAt({"a", 0, "k", 0}, "not shown", "v").failure, IniFailure::Stale);
    ASSERT_TRUE(document.RenameKey({"b", 0, "x", 0}, "k").Succeeded());
    EXPECT_EQ(document.RenameSection({"c", 0}, "d").failure, IniFailure::Stale);
    EXPECT_EQ(document.AddKey({"a", 0}, "K", "dup").failure, IniFailure::NameTaken);
    document.Replay(ReplayDirection::Undo);
    EXPECT_EQ(Read(path), original);
    EXPECT_FALSE(document.CanReplay(ReplayDirection::Undo)) << "a refused command was kept for undo";
}

TEST_F(DocumentCommandsTest, UndoAndRedoGiveBackTheBytesAndThePlaceOfEachChange) {
    TDocument document = Opened();
    EXPECT_FALSE(document.CanReplay(ReplayDirection::Undo));
    ASSERT_TRUE(document.SetValueAt({"a", 0, "k", 0}, "1", "one", At("a")).Succeeded());
    document.SetPlaceAfter(At("a-after"));
    const std::string afterFirst = Read(path);
    ASSERT_TRUE(document.RemoveSectionAt({"b", 0}, At("b")).Succeeded());

    TDocument::TReplay undone = document.Replay(ReplayDirection::Undo);
    ASSERT_TRUE(undone.result.Succeeded());
    EXPECT_EQ(undone.place.section->name, "b");
    EXPECT_EQ(Read(path), afterFirst);
    undone = document.Replay(ReplayDirection::Undo);
    EXPECT_EQ(undone.place.section->name, "a");
    EXPECT_EQ(Read(path), original);
    EXPECT_FALSE(document.CanReplay(ReplayDirection::Undo));

    const TDocument::TReplay redone = document.Replay(ReplayDirection::Redo);
    ASSERT_TRUE(redone.result.Succeeded());
    EXPECT_EQ(redone.place.section->name, "a-after");
    EXPECT_EQ(Read(path), afterFirst);
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
    EXPECT_EQ(Read(path), theirs);
    EXPECT_TRUE(document.CanReplay(ReplayDirection::Undo)) << "the change stays to be tried again";
}

// A file loaded again is a new document of the same path: a shared history keeps its undo.
TEST_F(DocumentCommandsTest, TheHistoryOutlivesTheDocumentWhenShared) {
    auto history = std::make_shared<TEditHistory>();
    TDocument first = Opened();
    first.ShareHistory(history);
    ASSERT_TRUE(first.RenameSection({"b", 0}, "c").Succeeded());

    TDocument alone = Opened();
    EXPECT_FALSE(alone.CanReplay(ReplayDirection::Undo));
    TDocument again = Opened();
    again.ShareHistory(history);
    ASSERT_TRUE(again.Replay(ReplayDirection::Undo).result.Succeeded());
    EXPECT_EQ(Read(path), original);
}

TEST_F(DocumentCommandsTest, BytesThatMustNotBeWrittenAreNeverWritten) {
    const std::string gbk = "[a]\r\nk=" + *Utf8ToCodePage("星海", TCodePage::Gbk) + "\r\n";
    folder.File("game.ini", gbk);
    TDocument document = Opened(TCodePage::Utf8);
    ASSERT_EQ(document.ContentRefusal(), TContentRefusal::OtherEncoding);
    EXPECT_EQ(document.SetValue("a", "k", "v").failure, IniFailure::CannotHold);
    EXPECT_EQ(document.RemoveSectionAt({"a", 0}).failure, IniFailure::CannotHold);
    EXPECT_EQ(Read(path), gbk);
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

}  // namespace
