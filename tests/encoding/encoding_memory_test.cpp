#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "encoding/code_page.h"
#include "encoding/code_page_conversion.h"
#include "encoding/encoding_detection.h"
#include "encoding/encoding_memory.h"
#include "platform/state_folder.h"
#include "support/environment_guard.h"
#include "support/file_bytes.h"
#include "text/temp_folder.h"

namespace fs = std::filesystem;

namespace {

const TEncodingHints ZhCn = EncodingHintsOfLocale("zh_CN.UTF-8");

class EncodingMemoryTest : public ::testing::Test {
protected:
    TempFolder folder;
    std::string store = folder.Path("state/iniviewer/encodings");
    TEncodingMemory memory{store};

    // Loads the file the way the window will: the detector's verdict on its bytes, then the
    // remembered choice while that verdict holds.
    std::pair<TFileEncoding, std::optional<TCodePage>> Load(const std::string& path) const {
        const TFileEncoding verdict = DetectEncoding(ReadFile(path), ZhCn);
        return {verdict, memory.Recall(path, verdict)};
    }
};

}  // namespace

TEST_F(EncodingMemoryTest, ChoiceHoldsUntilTheFileIsReplacedByOtherContent) {
    const std::string gbk = *Utf8ToCodePage("工具箱", TCodePage::Gbk);
    const std::string path = folder.File("tools.ini", "[a]\r\nk=" + gbk + "\r\n");
    auto [verdict, recalled] = Load(path);
    ASSERT_EQ(verdict.codePage, TCodePage::Gbk);
    EXPECT_EQ(recalled, std::nullopt);

    ASSERT_TRUE(memory.Remember(path, verdict, TCodePage::Big5));
    EXPECT_EQ(Load(path).second, TCodePage::Big5);
    // Edited in its own encoding: the same verdict, the choice still holds.
    folder.File("tools.ini", "[a]\r\nk=" + gbk + "\r\nk2=" + gbk + "\r\n");
    EXPECT_EQ(Load(path).second, TCodePage::Big5);
    // Replaced by a UTF-8 file: detected anew.
    folder.File("tools.ini", "[a]\nk=工具箱\n");
    EXPECT_EQ(Load(path).second, std::nullopt);
}

TEST_F(EncodingMemoryTest, NothingIsWrittenWhenNothingWasChosen) {
    const std::string path = folder.File("a.ini", "[a]\n");
    const TFileEncoding verdict = DetectEncoding(ReadFile(path), ZhCn);
    EXPECT_EQ(memory.Recall(path, verdict), std::nullopt);
    EXPECT_TRUE(memory.Remember(path, verdict, verdict.codePage)) << "choosing what was detected";
    EXPECT_FALSE(fs::exists(fs::path(store).parent_path()));
}

TEST_F(EncodingMemoryTest, ChoosingTheDetectedEncodingForgetsTheFile) {
    const std::string path = folder.File("a.ini", "[a]\n");
    const TFileEncoding verdict = DetectEncoding(ReadFile(path), ZhCn);
    ASSERT_TRUE(memory.Remember(path, verdict, TCodePage::Gbk));
    ASSERT_TRUE(memory.Remember(path, verdict, TCodePage::ShiftJis));
    EXPECT_EQ(memory.Recall(path, verdict), TCodePage::ShiftJis) << "the later choice replaces the earlier";
    ASSERT_TRUE(memory.Remember(path, verdict, verdict.codePage));
    EXPECT_EQ(memory.Recall(path, verdict), std::nullopt);
    EXPECT_EQ(ReadFile(store).find("a.ini"), std::string::npos);
}

TEST_F(EncodingMemoryTest, OneKeyPerFileHoweverItIsReached) {
    const std::string path = folder.File("real.ini", "[a]\n");
    fs::create_symlink(path, folder.Path("link.ini"));
    const TFileEncoding verdict{TCodePage::Utf8, 0, TEncodingBasis::PureAscii};
    ASSERT_TRUE(memory.Remember(folder.Path("link.ini"), verdict, TCodePage::Gbk));
    EXPECT_EQ(memory.Recall(path, verdict), TCodePage::Gbk);
    const fs::path before = fs::current_path();
    fs::current_path(fs::path(path).parent_path());
    EXPECT_EQ(memory.Recall("./sub/../real.ini", verdict), TCodePage::Gbk);
    fs::current_path(before);
}

TEST_F(EncodingMemoryTest, PathsWithAnyBytesAreKeptApart) {
    const TFileEncoding verdict{TCodePage::Utf8, 0, TEncodingBasis::PureAscii};
    const std::string odd = folder.Path("100%\nnew line.ini");
    const std::string plain = folder.Path("100%");
    ASSERT_TRUE(memory.Remember(odd, verdict, TCodePage::Gbk));
    ASSERT_TRUE(memory.Remember(plain, verdict, TCodePage::Big5));
    EXPECT_EQ(TEncodingMemory(store).Recall(odd, verdict), TCodePage::Gbk);
    EXPECT_EQ(TEncodingMemory(store).Recall(plain, verdict), TCodePage::Big5);
}

TEST_F(EncodingMemoryTest, GarbledStoreIsReadForWhatItHoldsAndWrittenClean) {
    const TFileEncoding verdict{TCodePage::Utf8, 0, TEncodingBasis::PureAscii};
    const std::string good = folder.Path("good.ini");
    fs::create_directories(fs::path(store).parent_path());
    std::ofstream(store, std::ios::binary)
        << "iniviewer encodings 1\n"
        << "936 65001 0 " << good << "\n"
        << "garbage\n950 65001\n99999 65001 0 /unknown/code/page\n932 65001 0 /bad/%zz\n\xFF\xFE\n";
    EXPECT_EQ(memory.Recall(good, verdict), TCodePage::Gbk);
    const std::string other = folder.Path("other.ini");
    ASSERT_TRUE(memory.Remember(other, verdict, TCodePage::Korean));
    EXPECT_EQ(ReadFile(store), "iniviewer encodings 1\n936 65001 0 " + good + "\n949 65001 0 " + other + "\n");

    std::ofstream(store, std::ios::binary) << "\x89PNG\r\n\x1A\n936 65001 0 " << good << "\n";
    EXPECT_EQ(memory.Recall(good, verdict), std::nullopt) << "a store of another format holds nothing";
}

TEST_F(EncodingMemoryTest, UnwritableStoreFailsWithoutHarm) {
    const std::string blocker = folder.File("blocker", "a file where the folder should be");
    TEncodingMemory blocked(blocker + "/iniviewer/encodings");
    const TFileEncoding verdict{TCodePage::Utf8, 0, TEncodingBasis::PureAscii};
    EXPECT_FALSE(blocked.Remember(folder.Path("a.ini"), verdict, TCodePage::Gbk));
    EXPECT_EQ(blocked.Recall(folder.Path("a.ini"), verdict), std::nullopt);
    EXPECT_EQ(ReadFile(blocker), "a file where the folder should be");
    EXPECT_FALSE(TEncodingMemory("").Remember(folder.Path("a.ini"), verdict, TCodePage::Gbk));
}

TEST(StateFolder, FollowsXdgStateHome) {
    ScopedEnvironment home("HOME", "/home/someone");
    {
        ScopedEnvironment state("XDG_STATE_HOME", "/var/state");
        EXPECT_EQ(ProgramStateFolder(), "/var/state/iniviewer");
    }
    {
        ScopedEnvironment state("XDG_STATE_HOME", "relative/state");
        EXPECT_EQ(ProgramStateFolder(), "/home/someone/.local/state/iniviewer");
    }
    ScopedEnvironment state("XDG_STATE_HOME", std::nullopt);
    EXPECT_EQ(ProgramStateFolder(), "/home/someone/.local/state/iniviewer");
}
