// What a UTF-16 file gets from its document's commands: its own units, mark and byte order.
// The expected bytes are written out by hand.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "document/document.h"
#include "encoding/code_page.h"
#include "tests/document/utf16_fixtures.h"
#include "support/file_bytes.h"
#include "text/temp_folder.h"

namespace {

TDocument Opened(const std::string& path, std::optional<TCodePage> chosen = std::nullopt) {
    TDocument document(path);
    document.Open(ReadFile(path), {EncodingHintsOfLocale("zh_CN.UTF-8"), TEncodingMemory(std::string()), chosen, false});
    document.Sections();
    document.NoteEngineStamp();
    return document;
}

struct Order {
    const char* name;
    Utf16Fixture bytes;
};

class Utf16CommandsTest : public ::testing::TestWithParam<Order> {
protected:
    TempFolder folder;
    const Utf16Fixture& fixture = GetParam().bytes;
    std::string path = folder.File("wide.ini", fixture.original);
};

TEST_P(Utf16CommandsTest, SetsValuesInTheFilesOwnUnitsAndUndoGivesBackEveryByte) {
    TDocument document = Opened(path);
    EXPECT_EQ(document.ContentRefusal(), TContentRefusal::None);
    ASSERT_TRUE(document.SetValue("s", "k", "中文").Succeeded());
    EXPECT_EQ(ReadFile(path), fixture.chinese);
    ASSERT_TRUE(document.SetValueAt({{"s", 0}, "k", 0}, "中文", "\xF0\xA0\xAE\xB7").Succeeded());
    EXPECT_EQ(ReadFile(path), fixture.outsidePlane);
    EXPECT_EQ(document.Keys({"s", 0}).Value(0), "\xF0\xA0\xAE\xB7");
    ASSERT_TRUE(document.Replay(ReplayDirection::Undo).result.Succeeded());
    EXPECT_EQ(ReadFile(path), fixture.chinese);
    ASSERT_TRUE(document.Replay(ReplayDirection::Undo).result.Succeeded());
    EXPECT_EQ(ReadFile(path), fixture.original);
    ASSERT_TRUE(document.Replay(ReplayDirection::Redo).result.Succeeded());
    EXPECT_EQ(ReadFile(path), fixture.chinese);
}

TEST_P(Utf16CommandsTest, AddsDeletesAndRenamesWithTheFilesLineEnds) {
    TDocument document = Opened(path);
    ASSERT_TRUE(document.AddKey({"s", 0}, "新", "1").Succeeded());
    EXPECT_EQ(ReadFile(path), fixture.added);
    ASSERT_TRUE(document.RenameKey({{"s", 0}, "新", 0}, "n").Succeeded());
    ASSERT_TRUE(document.RenameSection({"s", 0}, "节").Succeeded());
    EXPECT_EQ(ReadFile(path), fixture.renamed);
    ASSERT_TRUE(document.RemoveKeyAt({{"节", 0}, "k", 0}, "v").Succeeded());
    EXPECT_EQ(ReadFile(path), fixture.removed);
    ASSERT_TRUE(document.RemoveSectionAt({"节", 0}).Succeeded());
    EXPECT_EQ(ReadFile(path), fixture.mark);
    for (int undo = 0; undo < 5; ++undo) ASSERT_TRUE(document.Replay(ReplayDirection::Undo).result.Succeeded()) << undo;
    EXPECT_EQ(ReadFile(path), fixture.original);
}

INSTANTIATE_TEST_SUITE_P(BothOrders, Utf16CommandsTest,
                         ::testing::Values(Order{"LittleEndian", LittleEndianFixture()},
                                           Order{"BigEndian", BigEndianFixture()}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Utf16Commands, AFileWithoutAMarkIsEditedInTheOrderChosenForIt) {
    TempFolder folder;
    // ASCII with every second byte zero, LF line ends: UTF-16LE once chosen.
    const std::string original("[\0s\0]\0\n\0k\0=\0v\0\n\0", 16);
    const std::string path = folder.File("plain.ini", original);
    TDocument document = Opened(path, TCodePage::Utf16Le);
    EXPECT_EQ(document.Encoding().codePage, TCodePage::Utf16Le);
    EXPECT_EQ(document.ContentRefusal(), TContentRefusal::None);
    EXPECT_EQ(document.LineEnds(), TLineEnds::Lf);
    ASSERT_TRUE(document.SetValue("s", "j", "中").Succeeded());
    EXPECT_EQ(ReadFile(path), original + std::string("j\0=\0\x2D\x4E\n\0", 8));
}

}  // namespace
