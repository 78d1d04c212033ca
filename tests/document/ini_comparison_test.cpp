// Two loaded files compared as their readers find them, and what a copy across writes.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "document/ini_comparison.h"
#include "encoding/code_page.h"
#include "support/file_bytes.h"
#include "text/temp_folder.h"

namespace {

class IniComparisonTest : public ::testing::Test {
protected:
    TempFolder folder;

    TDocument Opened(const std::string& name, const std::string& bytes, std::optional<TCodePage> codePage = std::nullopt) {
        TDocument document(folder.File(name, bytes));
        document.Open(bytes, {EncodingHintsOfLocale("zh_CN.UTF-8"), TEncodingMemory(std::string()), codePage, false});
        document.NoteEngineStamp();
        return document;
    }

    // Each row as "mark section key left right", the way a test reads it best.
    static std::vector<std::string> Rows(const TIniComparison& comparison) {
        static const char* const marks[] = {"same", "different", "left-only", "right-only"};
        std::vector<std::string> rows;
        for (std::size_t s = 0; s < comparison.SectionCount(); ++s) {
            const TComparedSection section = comparison.Section(s);
            const SectionRef ref = section.left ? *section.left : *section.right;
            rows.push_back(std::string(marks[int(section.mark)]) + " [" + std::string(ref.name) + "]#" +
                           std::to_string(ref.occurrence));
            for (std::size_t k = 0; k < section.keyCount; ++k) {
                const TComparedKey key = comparison.Key(s, k);
                const KeyRef keyRef = key.left ? *key.left : *key.right;
                rows.push_back(std::string(marks[int(key.mark)]) + " " + std::string(keyRef.name) + "#" +
                               std::to_string(keyRef.occurrence) + " " + std::string(key.leftValue) + "|" +
                               std::string(key.rightValue));
            }
        }
        return rows;
    }
};

TEST_F(IniComparisonTest, NamesMatchAsReadAcrossEncodingsCaseSpacingAndLineEnds) {
    const TDocument gbk = Opened("gbk.ini", "[A]\r\nx = 1\r\n\xC3\xFB=\xD6\xD0\xCE\xC4\r\n", TCodePage::Gbk);
    const TDocument utf8 = Opened("utf8.ini", "[a]\nX=1\n\xE5\x90\x8D=\xE4\xB8\xAD\xE6\x96\x87\n", TCodePage::Utf8);
    const TIniComparison comparison = CompareIni(gbk, utf8);
    EXPECT_EQ(comparison.Differences(), 0u);
    EXPECT_EQ(Rows(comparison), (std::vector<std::string>{"same [A]#0", "same x#0 1|1",
                                                         "same \xC3\xFB#0 \xD6\xD0\xCE\xC4|\xE4\xB8\xAD\xE6\x96\x87"}));
    EXPECT_EQ(comparison.CodePage(TCompareSide::Left), TCodePage::Gbk);

    const TDocument other = Opened("other.ini", "[a]\nX=2\n\xE5\x90\x8D=\xE4\xB8\xAD\n", TCodePage::Utf8);
    EXPECT_EQ(CompareIni(gbk, other).Differences(), 2u) << "the same bytes in two encodings are no same characters";

    // Text that starts in ASCII and goes on in Chinese, as most values do.
    const TDocument mixedGbk = Opened("mixed.ini", "[s]\nk=ab\xD6\xD0\nj=ab\xD6\xD0\nkey\xC3\xFB=1\n", TCodePage::Gbk);
    const TDocument mixedUtf8 =
        Opened("mixed8.ini", "[s]\nk=ab\xE4\xB8\xAD\nj=abc\xE4\xB8\xAD\nkey\xE5\x90\x8D=1\n", TCodePage::Utf8);
    EXPECT_EQ(Rows(CompareIni(mixedGbk, mixedUtf8)),
              (std::vector<std::string>{"different [s]#0", "same k#0 ab\xD6\xD0|ab\xE4\xB8\xAD",
                                        "different j#0 ab\xD6\xD0|abc\xE4\xB8\xAD", "same key\xC3\xFB#0 1|1"}));
}

TEST_F(IniComparisonTest, OrderCommentsBlankLinesQuotesAndByteOrderMarksAreNoDifference) {
    const TDocument left = Opened("l.ini", "[b]\nk=1\nq=\"v\"\nbare\n[a]\nj=2\n");
    const TDocument right =
        Opened("r.ini", "\xEF\xBB\xBF; settings\r\n[a]\r\n\r\n  j =  2\r\n[ B ]\r\nbare=\r\nq=v\r\n; end\r\nk = 1\r\n");
    const TIniComparison comparison = CompareIni(left, right);
    EXPECT_EQ(comparison.Differences(), 0u);
    EXPECT_EQ(Rows(comparison), (std::vector<std::string>{"same [b]#0", "same k#0 1|1", "same q#0 v|v",
                                                         "same bare#0 |", "same [a]#0", "same j#0 2|2"}))
        << "rows follow the left file's order";
}

TEST_F(IniComparisonTest, RepeatedNamesPairByOccurrenceAndOneSidedRowsFollowTheLeftOnes) {
    const TDocument left = Opened("l.ini", "[s]\nk=1\nk=2\nonly=L\n[s]\nk=3\n[gone]\ng=1\n");
    const TDocument right = Opened("r.ini", "[new]\nz=1\n[S]\nK=1\nk=9\nk=4\n");
    const TIniComparison comparison = CompareIni(left, right);
    EXPECT_EQ(Rows(comparison),
              (std::vector<std::string>{"different [s]#0", "same k#0 1|1", "different k#1 2|9", "left-only only#0 L|",
                                        "right-only k#2 |4", "left-only [s]#1", "left-only k#0 3|",
                                        "left-only [gone]#0", "left-only g#0 1|", "right-only [new]#0",
                                        "right-only z#0 |1"}));
    EXPECT_EQ(comparison.Differences(), 6u) << "three key rows, and three whole sections once each";
    const TComparedKey changed = comparison.Key(0, 1);
    ASSERT_TRUE(changed.left && changed.right);
    EXPECT_EQ(changed.right->section.name, "S");
    EXPECT_EQ(changed.right->occurrence, 1u);

    const TDocument moved = Opened("m.ini", "[s]\na=1\nb=2\nc=3\nd=4\nk=5\nk=6\ne=7\n");
    const TDocument back = Opened("b.ini", "[s]\na=1\nc=3\nb=2\nk=5\ne=7\nk=6\n");
    EXPECT_EQ(Rows(CompareIni(moved, back)),
              (std::vector<std::string>{"different [s]#0", "same a#0 1|1", "same b#0 2|2", "same c#0 3|3",
                                        "left-only d#0 4|", "same k#0 5|5", "same k#1 6|6", "same e#0 7|7"}));
}

TEST_F(IniComparisonTest, BuildingInStepsReportsProgressAndGivesTheSameRows) {
    std::string bytes;
    for (int s = 0; s < 300; ++s) {
        bytes += "[s" + std::to_string(s) + "]\n";
        for (int k = 0; k < 400; ++k) bytes += "k" + std::to_string(k) + "=" + std::to_string(s * k) + "\n";
    }
    const TDocument left = Opened("l.ini", bytes);
    const TDocument right = Opened("r.ini", bytes + "[last]\n");
    TIniComparisonBuilder builder(left, right);
    double progress = builder.Progress();
    int steps = 0;
    while (!builder.Step()) {
        EXPECT_GE(builder.Progress(), progress);
        EXPECT_LT(builder.Progress(), 1.0);
        progress = builder.Progress();
        ++steps;
    }
    EXPECT_GT(steps, 4) << "120,000 key lines in one step";
    const TIniComparison comparison = builder.Take();
    EXPECT_EQ(comparison.SectionCount(), 301u);
    EXPECT_EQ(comparison.Differences(), 1u);
}

class CopyAcrossTest : public IniComparisonTest {
protected:
    static struct timespec ModifiedAt(const std::string& path) {
        struct stat status {};
        stat(path.c_str(), &status);
        return status.st_mtim;
    }
};

TEST_F(CopyAcrossTest, AValueChangesOnlyItsBytesAndOneUndoGivesTheOldBytes) {
    const std::string sourceBytes = "[a]\nk=new value\nm=1\n";
    const std::string targetBytes = "; keep\r\n[A]\r\n  k =  \"old\"  \r\nm=1\r\n";
    TDocument source = Opened("source.ini", sourceBytes);
    TDocument target = Opened("target.ini", targetBytes);
    const struct timespec sourceTime = ModifiedAt(source.Path());
    const TIniComparison comparison = CompareIni(target, source);
    ASSERT_EQ(comparison.Key(0, 0).mark, TCompareMark::Different);

    const TCopyResult copy = CopyAcross(comparison, {0, 0}, TCompareSide::Right, target);
    ASSERT_TRUE(copy.result.Succeeded());
    EXPECT_EQ(ReadFile(target.Path()), "; keep\r\n[A]\r\n  k =  \"new value\"  \r\nm=1\r\n");
    EXPECT_EQ(CompareIni(target, source).Differences(), 0u);
    EXPECT_EQ(ReadFile(source.Path()), sourceBytes);
    const struct timespec sourceTimeAfter = ModifiedAt(source.Path());
    EXPECT_EQ(sourceTimeAfter.tv_sec, sourceTime.tv_sec);
    EXPECT_EQ(sourceTimeAfter.tv_nsec, sourceTime.tv_nsec);

    ASSERT_TRUE(target.Replay(ReplayDirection::Undo).result.Succeeded());
    EXPECT_EQ(ReadFile(target.Path()), targetBytes);
    EXPECT_FALSE(target.CanReplay(ReplayDirection::Undo));
}

TEST_F(CopyAcrossTest, MissingKeysAndSectionsAreAddedAsOneChangeInTheTargetsEncoding) {
    const std::string targetBytes = "[a]\r\nk=1\r\n\r\n[b]\r\nx=1\r\n";
    TDocument source = Opened("source.ini", "[a]\nk=2\nn=\xE4\xB8\xAD\nk=3\n[c]\nc1=1\nc2=\n[b]\nx=1\n", TCodePage::Utf8);
    TDocument target = Opened("target.ini", targetBytes, TCodePage::Gbk);
    TIniComparison comparison = CompareIni(source, target);
    ASSERT_EQ(comparison.Section(0).differences, 3u);

    ASSERT_TRUE(CopyAcross(comparison, {0, 1}, TCompareSide::Left, target).result.Succeeded());
    EXPECT_EQ(ReadFile(target.Path()), "[a]\r\nk=1\r\nn=\xD6\xD0\r\n\r\n[b]\r\nx=1\r\n")
        << "after the section's last key line, in GBK";

    comparison = CompareIni(source, target);
    ASSERT_TRUE(CopyAcross(comparison, {0}, TCompareSide::Left, target).result.Succeeded());
    EXPECT_EQ(ReadFile(target.Path()), "[a]\r\nk=2\r\nn=\xD6\xD0\r\nk=3\r\n\r\n[b]\r\nx=1\r\n")
        << "a changed value and a repeated key";
    comparison = CompareIni(source, target);
    ASSERT_EQ(comparison.Section(1).mark, TCompareMark::LeftOnly);
    ASSERT_TRUE(CopyAcross(comparison, {1}, TCompareSide::Left, target).result.Succeeded());
    EXPECT_EQ(ReadFile(target.Path()), "[a]\r\nk=2\r\nn=\xD6\xD0\r\nk=3\r\n\r\n[b]\r\nx=1\r\n[c]\r\nc1=1\r\nc2=\r\n");
    EXPECT_EQ(CompareIni(source, target).Differences(), 0u);

    ASSERT_TRUE(target.Replay(ReplayDirection::Undo).result.Succeeded());
    EXPECT_EQ(ReadFile(target.Path()), "[a]\r\nk=2\r\nn=\xD6\xD0\r\nk=3\r\n\r\n[b]\r\nx=1\r\n") << "one undo per copy";
    ASSERT_TRUE(target.Replay(ReplayDirection::Undo).result.Succeeded());
    ASSERT_TRUE(target.Replay(ReplayDirection::Undo).result.Succeeded());
    EXPECT_EQ(ReadFile(target.Path()), targetBytes);
}

TEST_F(CopyAcrossTest, OneKeyOfASectionTheTargetLacksComesWithItsHeaderAfterTheLastLine) {
    TDocument source = Opened("source.ini", "[a]\nk=1\n[b]\nx=1\ny=2\n[b]\nz=3\n");
    TDocument target = Opened("target.ini", "[a]\nk=1\n[B]\nx=1\ny=2", TCodePage::Utf8);
    const TIniComparison comparison = CompareIni(source, target);
    ASSERT_EQ(comparison.Section(2).mark, TCompareMark::LeftOnly);
    ASSERT_TRUE(CopyAcross(comparison, {2, 0}, TCompareSide::Left, target).result.Succeeded());
    EXPECT_EQ(ReadFile(target.Path()), "[a]\nk=1\n[B]\nx=1\ny=2\n[b]\nz=3\n") << "the second [b], as the source has it";
    EXPECT_EQ(CompareIni(source, target).Differences(), 0u);
    ASSERT_TRUE(target.Replay(ReplayDirection::Undo).result.Succeeded());
    EXPECT_EQ(ReadFile(target.Path()), "[a]\nk=1\n[B]\nx=1\ny=2");
    EXPECT_TRUE(CopyAcross(comparison, {0, 0}, TCompareSide::Left, target).result.change.Empty())
        << "a row that is the same has nothing to copy";
}

TEST_F(CopyAcrossTest, WhatTheTargetCannotHoldOrMayNotWriteIsRefusedWithItsKeyAndWritesNothing) {
    const std::string targetBytes = "[a]\r\nk=1\r\n";
    TDocument source = Opened("source.ini", "[a]\nk=1\n\xED\x95\x9C=\xEA\xB8\x80\nok=1\n", TCodePage::Utf8);
    TDocument target = Opened("target.ini", targetBytes, TCodePage::Gbk);
    const TIniComparison comparison = CompareIni(source, target);

    TCopyResult copy = CopyAcross(comparison, {0, 1}, TCompareSide::Left, target);
    EXPECT_EQ(copy.result.failure, IniFailure::CannotHold);
    EXPECT_EQ(copy.key, "\xED\x95\x9C");
    copy = CopyAcross(comparison, {0}, TCompareSide::Left, target);
    EXPECT_EQ(copy.result.failure, IniFailure::CannotHold) << "the section copy holds that key too";
    EXPECT_EQ(copy.section, "a");
    EXPECT_EQ(ReadFile(target.Path()), targetBytes);
    EXPECT_FALSE(target.CanReplay(ReplayDirection::Undo));

    std::filesystem::permissions(target.Path(), std::filesystem::perms::owner_write, std::filesystem::perm_options::remove);
    target.FollowWriteAccess();
    if (target.WriteRefusal() == IniFailure::None) GTEST_SKIP() << "root writes files without a write bit";
    copy = CopyAcross(comparison, {0, 2}, TCompareSide::Left, target);
    EXPECT_EQ(copy.result.failure, IniFailure::ReadOnlyFile);
    EXPECT_EQ(ReadFile(target.Path()), targetBytes);
}

TEST_F(CopyAcrossTest, ACopyFromAComparisonTheTargetNoLongerMatchesIsStale) {
    TDocument source = Opened("source.ini", "[a]\nk=2\n");
    TDocument target = Opened("target.ini", "[a]\nk=1\n");
    const TIniComparison comparison = CompareIni(source, target);
    ASSERT_TRUE(target.SetValue("a", "k", "3").Succeeded());
    EXPECT_EQ(CopyAcross(comparison, {0, 0}, TCompareSide::Left, target).result.failure, IniFailure::Stale);
    EXPECT_EQ(ReadFile(target.Path()), "[a]\nk=3\n");
    EXPECT_EQ(CopyAcross(comparison, {0, 0}, TCompareSide::Right, target).result.failure, IniFailure::Stale)
        << "a copy from the right goes into the left file, not into the right one itself";
    EXPECT_TRUE(CopyAcross(comparison, {0, 0}, TCompareSide::Right, source).result.Succeeded())
        << "the comparison's other side still reads as compared";
}

}  // namespace
