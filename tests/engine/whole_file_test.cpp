// Reading whole files (their steps are tested through the text layer's ReadTextInSteps), and
// bytes read elsewhere taken as a file's content: the store reads a file again only when it is
// no longer as those bytes were read, and a snapshot of its content stays as it was while
// writes go on.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "engine/ini_store.h"
#include "engine/whole_file.h"
#include "temp_dir.h"
#include "tests/engine/counting_reads.h"

namespace {

constexpr TCodePage Utf8 = TCodePage::Utf8;

// Reads from text as a file holding it would; `fail` bytes in, a read fails.
ReadAt Over(const std::string& text, std::size_t fail = std::string::npos) {
    return [&text, fail](char* into, std::size_t count, off_t offset) -> ssize_t {
        const auto at = static_cast<std::size_t>(offset);
        if (at >= fail) {
            errno = EIO;
            return -1;
        }
        const std::size_t n = at >= text.size() ? 0 : std::min(count, text.size() - at);
        std::copy_n(text.data() + at, n, into);
        return static_cast<ssize_t>(n);
    };
}

TEST(WholeFileRead, TakesWhatTheFileHoldsWhenItShrankOrGrewSinceItsSizeWasTaken) {
    const std::string text = std::string(10000, 'a') + "end";
    std::string bytes;
    EXPECT_EQ(ReadWholeFile(Over(text), 100, 100000, bytes), WholeRead::Read);
    EXPECT_EQ(bytes, text) << "read on to the end";
    EXPECT_EQ(ReadWholeFile(Over(text), 20000, 100000, bytes), WholeRead::Read);
    EXPECT_EQ(bytes, text) << "only what was there";
    EXPECT_EQ(ReadWholeFile(Over(""), 0, 10, bytes), WholeRead::Read);
    EXPECT_EQ(bytes, "");
}

TEST(WholeFileRead, RefusesAFileLargerThanItsLimitAndReportsAFailedRead) {
    const std::string text(5000, 'a');
    std::string bytes;
    EXPECT_EQ(ReadWholeFile(Over(text), text.size(), 4999, bytes), WholeRead::TooLarge);
    EXPECT_EQ(ReadWholeFile(Over(text), 100, 4999, bytes), WholeRead::TooLarge) << "grown past the limit";
    EXPECT_EQ(ReadWholeFile(Over(text), 5000, 5000, bytes), WholeRead::Read);
    EXPECT_EQ(ReadWholeFile(Over(text, 4096), text.size(), 10000, bytes), WholeRead::Failed);
}

// As a reader marks its read of a file written a while ago.
ReadMark MarkOf(const std::string& path) {
    ReadMark mark;
    mark.stamp = FileStamp::Of(StatOf(path));
    mark.began = std::max(mark.stamp.modified, mark.stamp.changed) + 1;
    return mark;
}

class AdoptedContent : public ::testing::Test {
protected:
    TempDir dir;
    const std::string original = "[a]\nk=1\n";
    const std::string path = dir.Write("a.ini", original);
    CountingReads ops;
    IniStore store;

    void SetUp() override { store.UseFileOps(ops); }
};

TEST_F(AdoptedContent, IsTheFilesContentWithoutAReadWhileTheFileIsAsItWasRead) {
    store.Adopt(path, Utf8, original, MarkOf(path));
    EXPECT_EQ(store.Document(path, Utf8).Value("a", "k"), "1");
    EXPECT_EQ(store.Document(path, TCodePage::Gbk).Value("a", "k"), "1") << "read again in another code page from memory";
    EXPECT_EQ(ops.reads, 0);
    ASSERT_TRUE(store.Apply(path, Utf8, [](IniDocument& d) { return d.SetValue("a", "k", "2"); }).Succeeded());
    EXPECT_EQ(ops.reads, 0) << "the write worked on the adopted bytes";
    EXPECT_EQ(ReadFile(path), "[a]\nk=2\n");
}

TEST_F(AdoptedContent, IsDroppedWhenTheFileChangedSinceTheRead) {
    const ReadMark mark = MarkOf(path);
    // Saved by another program the way editors save: a new file renamed over the old one.
    const std::string saved = dir.Write("a.ini.new", "[a]\nk=9\n");
    ASSERT_EQ(std::rename(saved.c_str(), path.c_str()), 0);
    store.Adopt(path, Utf8, original, mark);
    EXPECT_EQ(store.Document(path, Utf8).Value("a", "k"), "9");
    EXPECT_GT(ops.reads, 0);
}

TEST_F(AdoptedContent, IsDroppedWhenTheReadMayHaveMissedAChange) {
    ReadMark sameTick = MarkOf(path);
    sameTick.began = sameTick.stamp.changed;  // changed in the tick the read began in
    store.Adopt(path, Utf8, "[a]\nk=stale\n", sameTick);
    EXPECT_EQ(store.Document(path, Utf8).Value("a", "k"), "1");

    store.FlushAll();
    store.Adopt(path, Utf8, "[a]\nk=1", MarkOf(path));  // fewer bytes than the file holds
    EXPECT_EQ(store.Document(path, Utf8).Bytes(), original);
}

TEST_F(AdoptedContent, IsDroppedWhileAWriterHoldsTheFilesLock) {
    const int writer = open(path.c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(writer, 0);
    ASSERT_EQ(flock(writer, LOCK_EX), 0);
    store.Adopt(path, Utf8, "[a]\nk=half\n", MarkOf(path));
    close(writer);
    EXPECT_EQ(store.Document(path, Utf8).Value("a", "k"), "1");
    EXPECT_GT(ops.reads, 0);
}

TEST_F(AdoptedContent, ASnapshotStaysAsItWasWhileTheFileIsWritten) {
    const std::shared_ptr<const std::string> before = store.Snapshot(path, Utf8);
    ASSERT_TRUE(store.Apply(path, Utf8, [](IniDocument& d) { return d.SetValue("a", "k", "2"); }).Succeeded());
    EXPECT_EQ(*before, original);
    EXPECT_EQ(*store.Snapshot(path, Utf8), "[a]\nk=2\n");
    const int reads = ops.reads;
    EXPECT_EQ(*store.Snapshot(path, Utf8), "[a]\nk=2\n");
    EXPECT_EQ(ops.reads, reads) << "the held content, not the file again";
    EXPECT_EQ(*store.Snapshot(dir.Path("missing.ini"), Utf8), "");
}

}  // namespace
