// What a file's document decides when it is opened: the encoding, the line ends, why its bytes
// must not be written, and where its lists and stamps come from.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <string>

#include "document/document.h"
#include "encoding/code_page.h"
#include "encoding/code_page_conversion.h"
#include "engine/file_ops.h"
#include "support/file_bytes.h"
#include "support/scoped_seam.h"
#include "tests/engine/counting_reads.h"
#include "text/temp_folder.h"

namespace {

const TEncodingHints ZhCn = EncodingHintsOfLocale("zh_CN.UTF-8");

std::string Gbk(const std::string& utf8) { return *Utf8ToCodePage(utf8, TCodePage::Gbk); }

class DocumentOpenTest : public ::testing::Test {
protected:
    TempFolder folder;
    std::string store = folder.Path("encodings");

    // Opens the file at path from its bytes on disk, as a load does.
    TDocument Opened(const std::string& path, std::optional<TCodePage> chosen = std::nullopt, bool remember = false) {
        TDocument document(path);
        document.Open(ReadFile(path), {ZhCn, TEncodingMemory(store), chosen, remember});
        return document;
    }
};

TEST_F(DocumentOpenTest, AGbkFileIsReadInGbkAndListedThroughTheEngine) {
    const std::string path = folder.File("game.ini", "[" + Gbk("版本") + "]\r\n" + Gbk("名称") + "=" + Gbk("星海") + "\r\n");
    TDocument document = Opened(path);
    EXPECT_EQ(document.Encoding().codePage, TCodePage::Gbk);
    EXPECT_EQ(document.TextCodePage(), TCodePage::Gbk);
    EXPECT_EQ(document.LineEnds(), TLineEnds::CrLf);
    EXPECT_EQ(document.ContentRefusal(), TContentRefusal::None);
    EXPECT_EQ(document.WriteRefusal(), IniFailure::None);
    EXPECT_EQ(document.EngineCodePage(), TCodePage::Gbk);

    const IniListing sections = document.Sections();
    ASSERT_EQ(sections.Count(), 1u);
    EXPECT_EQ(sections.Name(0), Gbk("版本"));
    const IniListing keys = document.Keys({sections.Name(0), 0});
    ASSERT_EQ(keys.Count(), 1u);
    EXPECT_EQ(keys.Name(0), Gbk("名称"));
    EXPECT_EQ(keys.Value(0), Gbk("星海"));
}

// The window remembers the user's choice for the file's next loads; iniv's --encoding does not.
TEST_F(DocumentOpenTest, AChosenEncodingIsRememberedOnlyWhenAskedAndWhileTheVerdictHolds) {
    const std::string path = folder.File("big5.ini", "[" + Gbk("版本") + "]\n");
    EXPECT_EQ(Opened(path, TCodePage::Big5, false).Encoding().codePage, TCodePage::Big5);
    EXPECT_EQ(Opened(path).Encoding().codePage, TCodePage::Gbk) << "a choice not to remember was remembered";

    EXPECT_EQ(Opened(path, TCodePage::Big5, true).Encoding().codePage, TCodePage::Big5);
    const TDocument recalled = Opened(path);
    EXPECT_EQ(recalled.Encoding().codePage, TCodePage::Big5);
    EXPECT_EQ(recalled.Encoding().basis, TEncodingBasis::UserChoice);
    EXPECT_EQ(recalled.Verdict().codePage, TCodePage::Gbk);

    // Other content, another verdict: the choice made for the old bytes no longer holds.
    folder.File("big5.ini", "[\xE7\x89\x88\xE6\x9C\xAC]\n");
    EXPECT_EQ(Opened(path).Encoding().codePage, TCodePage::Utf8);
}

TEST_F(DocumentOpenTest, BytesThatMustNotBeWrittenAreRefusedWithTheirReason) {
    const std::string gbk = folder.File("gbk.ini", "[" + Gbk("版本") + "]\n" + Gbk("名称") + "=1\n");
    EXPECT_EQ(Opened(gbk, TCodePage::Utf8).ContentRefusal(), TContentRefusal::OtherEncoding);
    EXPECT_EQ(Opened(gbk, TCodePage::Gbk).ContentRefusal(), TContentRefusal::None) << "the verdict's own code page";

    const std::string nul = folder.File("nul.ini", std::string("[a]\nk=v\0w\n", 10));
    EXPECT_EQ(Opened(nul).ContentRefusal(), TContentRefusal::Binary);
    // Only the start is probed: a NUL byte deep in a big file is one more byte kept as it is.
    const std::string late = folder.File("late.ini", "[a]\n" + std::string(BinaryProbeBytes, 'x') + std::string("\nk=\0\n", 5));
    EXPECT_EQ(Opened(late).ContentRefusal(), TContentRefusal::None);
}

// A code page chosen for one open, in which the bytes read, leaves nothing to detect: iniv's
// --encoding converts the text once, to check it. A choice they do not read in still asks the
// detector, whose own code page may be written.
TEST_F(DocumentOpenTest, AnEncodingChosenForOneOpenIsCheckedRatherThanDetected) {
    const std::string text = "[" + Gbk("版本") + "]\n" + Gbk("名称") + "=" + Gbk("星海远征") + "\n";
    const std::string gbk = folder.File("gbk.ini", text);
    const std::size_t convertedBefore = ConvertedByteCount();
    const TDocument chosen = Opened(gbk, TCodePage::Gbk);
    EXPECT_LE(ConvertedByteCount() - convertedBefore, text.size()) << "detected as well as checked";
    EXPECT_EQ(chosen.Encoding().codePage, TCodePage::Gbk);
    EXPECT_EQ(chosen.Encoding().basis, TEncodingBasis::UserChoice);
    EXPECT_EQ(chosen.ContentRefusal(), TContentRefusal::None);

    // Its mark makes it UTF-8 for the detector, though its text reads in no code page.
    const std::string marked = folder.File("marked.ini", "\xEF\xBB\xBF[a]\nk=\xFF\xFF\xFF\xFF\n");
    const TDocument utf8 = Opened(marked, TCodePage::Utf8);
    EXPECT_EQ(utf8.Encoding().bomLength, 3);
    EXPECT_EQ(utf8.ContentRefusal(), TContentRefusal::None) << "the verdict's own code page was refused";
    EXPECT_EQ(Opened(marked, TCodePage::Gbk).ContentRefusal(), TContentRefusal::OtherEncoding);
}

TEST_F(DocumentOpenTest, AUtf16FileIsListedFromItsTextInUtf8AndMayBeWritten) {
    const std::string utf16 = *Utf8ToCodePage("; 发行\r\n[版本]\r\n; 名字\r\n名称=星海\r\n", TCodePage::Utf16Le);
    const std::string path = folder.File("wide.ini", "\xFF\xFE" + utf16);
    TDocument document = Opened(path);
    EXPECT_EQ(document.Encoding().codePage, TCodePage::Utf16Le);
    EXPECT_EQ(document.Encoding().bomLength, 2);
    EXPECT_EQ(document.ContentRefusal(), TContentRefusal::None);
    EXPECT_EQ(document.TextCodePage(), TCodePage::Utf8);
    EXPECT_EQ(document.EngineCodePage(), TCodePage::Utf16Le);
    EXPECT_EQ(document.LineEnds(), TLineEnds::CrLf);
    const IniListing sections = document.Sections();
    ASSERT_EQ(sections.Count(), 1u);
    EXPECT_EQ(sections.Name(0), "版本");
    const IniListing keys = document.Keys({"版本", 0});
    ASSERT_EQ(keys.Count(), 1u);
    EXPECT_EQ(keys.Value(0), "星海");
    EXPECT_EQ(*document.Snapshot(), "\xEF\xBB\xBF; 发行\r\n[版本]\r\n; 名字\r\n名称=星海\r\n") << "found in as the lists show it";
    // Its comments too, from the same text.
    EXPECT_EQ(document.CommentsAbove(SectionRef{"版本", 0}), std::vector<std::string>{"; 发行"});
    EXPECT_EQ(document.CommentsAbove(KeyRef{{"版本", 0}, "名称", 0}), std::vector<std::string>{"; 名字"});

    // The lists come from the engine: its stamp is the file's.
    document.NoteEngineStamp();
    EXPECT_EQ(document.ShownStamp(), document.StampNow());
}


// As a load marks its read of a file written a while before.
ReadMark MarkOfOldFile(const std::string& path) {
    struct stat status {};
    stat(path.c_str(), &status);
    ReadMark mark{FileStamp::Of(status), 0};
    mark.began = std::max(mark.stamp.modified, mark.stamp.changed) + 1;
    return mark;
}

TEST_F(DocumentOpenTest, TheBytesItWasOpenedFromServeItsListsAndFindWithoutAnotherRead) {
    const std::string bytes = "[a]\nk=1\n[b]\n";
    const std::string path = folder.File("a.ini", bytes);
    CountingReads ops;
    ScopedSeam<FileOps*> seam(UseIniFileOps, &ops);
    TDocument document(path);
    document.Open(bytes, {ZhCn, TEncodingMemory(store), std::nullopt, false});
    document.HandToEngine(bytes, MarkOfOldFile(path));
    EXPECT_EQ(document.Sections().Count(), 2u);
    const std::shared_ptr<const std::string> searched = document.Snapshot();
    EXPECT_EQ(*searched, bytes);
    EXPECT_EQ(ops.reads, 0);

    ASSERT_TRUE(document.SetValue("a", "k", "2").Succeeded());
    EXPECT_EQ(*searched, bytes) << "a search under way goes on over the text it began with";
    EXPECT_EQ(*document.Snapshot(), "[a]\nk=2\n[b]\n");
    EXPECT_EQ(ops.reads, 0);
}

// Root as well: a file without a write bit is not written.
TEST_F(DocumentOpenTest, TheWriteRefusalFollowsTheFilesPermission) {
    const std::string path = folder.File("locked.ini", "[a]\nk=v\n");
    chmod(path.c_str(), 0444);
    TDocument document = Opened(path);
    EXPECT_EQ(document.WriteRefusal(), IniFailure::ReadOnlyFile);
    EXPECT_EQ(document.ContentRefusal(), TContentRefusal::None) << "the bytes themselves may be written";
    EXPECT_FALSE(document.FollowWriteAccess()) << "nothing changed";
    chmod(path.c_str(), 0644);
    EXPECT_TRUE(document.FollowWriteAccess());
    EXPECT_EQ(document.WriteRefusal(), IniFailure::None);
}

}  // namespace
