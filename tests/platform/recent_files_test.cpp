#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/recent_files.h"
#include "support/environment_guard.h"
#include "text/temp_folder.h"

namespace {

using Paths = std::vector<std::string>;

std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// An entry another program left, which ours must keep and never list.
constexpr const char* kOtherProgramsList = R"(<?xml version="1.0" encoding="UTF-8"?>
<xbel version="1.0" xmlns:bookmark="http://www.freedesktop.org/standards/desktop-bookmarks"
      xmlns:mime="http://www.freedesktop.org/standards/shared-mime-info">
  <bookmark href="file:///tmp/other.txt" added="2026-01-01T10:00:00Z" modified="2026-01-01T10:00:00Z" visited="2026-01-01T10:00:00Z">
    <info><metadata owner="http://freedesktop.org">
      <mime:mime-type type="text/plain"/>
      <bookmark:applications>
        <bookmark:application name="some-editor" exec="&apos;some-editor %u&apos;" modified="2026-01-01T10:00:00Z" count="1"/>
      </bookmark:applications>
    </metadata></info>
  </bookmark>
</xbel>
)";

TEST(RecentFiles, ALoadedFileIsRecordedForTheDesktopUnderOurNameAndType) {
    TempFolder folder;
    const std::string xbel = folder.Path("share/recently-used.xbel");
    const std::string ini = folder.File("a b&c.ini", "[s]\n");
    const std::string inf = folder.File("driver.INF", "[s]\n");
    const std::string other = folder.File("notes.conf", "[s]\n");
    EXPECT_EQ(TRecentFiles(xbel).Files(10), Paths{}) << "no list yet";
    ASSERT_TRUE(TRecentFiles(xbel).Add(ini)) << "the missing data folder is made";
    ASSERT_TRUE(TRecentFiles(xbel).Add(inf));
    ASSERT_TRUE(TRecentFiles(xbel).Add(other));

    const std::string text = Read(xbel);
    EXPECT_NE(text.find("href=\"file://" + folder.Path("a%20b&amp;c.ini") + "\""), std::string::npos) << text;
    EXPECT_NE(text.find("name=\"iniviewer\" exec=\"&apos;iniviewer %f&apos;\""), std::string::npos) << text;
    EXPECT_NE(text.find("<mime:mime-type type=\"text/x-ini\"/>"), std::string::npos) << text;
    EXPECT_NE(text.find("<mime:mime-type type=\"text/x-inf\"/>"), std::string::npos) << "case-blind suffix";
    EXPECT_NE(text.find("<mime:mime-type type=\"text/plain\"/>"), std::string::npos) << "any other name";
}

TEST(RecentFiles, TheListIsOursNewestFirstPresentOnlyAndShort) {
    TempFolder folder;
    const std::string xbel = folder.File("recently-used.xbel", kOtherProgramsList);
    const std::string a = folder.File("a.ini", ""), b = folder.File("b.ini", ""), c = folder.File("c.ini", "");
    const std::string gone = folder.File("gone.ini", "");
    TRecentFiles recent(xbel);
    for (const std::string& path : {gone, a, b, c}) ASSERT_TRUE(recent.Add(path));
    ASSERT_TRUE(recent.Add(a)) << "used again: first once more";
    std::remove(gone.c_str());

    EXPECT_EQ(recent.Files(10), (Paths{a, c, b})) << "another program's file and a deleted one are left out";
    EXPECT_EQ(recent.Files(2), (Paths{a, c}));
    EXPECT_NE(Read(xbel).find("file:///tmp/other.txt"), std::string::npos) << "another program's entry is kept";
}

TEST(RecentFiles, ARelativeOrDottedPathIsRecordedAsTheAbsoluteOne) {
    TempFolder folder;
    const std::string ini = folder.File("x.ini", "");
    TRecentFiles recent(folder.Path("recently-used.xbel"));
    ASSERT_TRUE(recent.Add(folder.Path("sub/../x.ini")));
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(folder.Path(""));
    const bool added = recent.Add("x.ini");
    std::filesystem::current_path(before);
    ASSERT_TRUE(added);
    EXPECT_EQ(recent.Files(10), Paths{ini}) << "one file, one entry";
}

TEST(RecentFiles, ANameInGbkGoesInAsItsBytesAndComesBackTheSame) {
    TempFolder folder;
    const std::string name = "\xB2\xE2\xCA\xD4.ini";  // 测试.ini in GBK: not UTF-8
    const std::string ini = folder.File(name, "[s]\n");
    const std::string xbel = folder.Path("recently-used.xbel");
    ASSERT_TRUE(TRecentFiles(xbel).Add(ini));
    EXPECT_NE(Read(xbel).find("%B2%E2%CA%D4.ini\""), std::string::npos) << Read(xbel);
    EXPECT_EQ(TRecentFiles(xbel).Files(10), Paths{ini});
}

TEST(RecentFiles, AListThatCannotBeReadIsNeitherListedNorWrittenOver) {
    TempFolder folder;
    const std::string broken = "<xbel version=\"1.0\"><bookmark href=";
    const std::string xbel = folder.File("recently-used.xbel", broken);
    const std::string ini = folder.File("a.ini", "");
    EXPECT_FALSE(TRecentFiles(xbel).Add(ini));
    EXPECT_EQ(Read(xbel), broken);
    EXPECT_EQ(TRecentFiles(xbel).Files(10), Paths{});
    EXPECT_FALSE(TRecentFiles("").Add(ini)) << "no data folder: nothing kept";
}

TEST(RecentFiles, TheUsersListIsInTheDataFolder) {
    TempFolder folder;
    const std::string ini = folder.File("a.ini", "");
    {
        ScopedEnvironment data("XDG_DATA_HOME", folder.Path("data"));
        ASSERT_TRUE(TRecentFiles::OfUser().Add(ini));
    }
    EXPECT_EQ(TRecentFiles(folder.Path("data/recently-used.xbel")).Files(10), Paths{ini});
    ScopedEnvironment home("HOME", folder.Path("home"));
    ScopedEnvironment relative("XDG_DATA_HOME", "data");
    ASSERT_TRUE(TRecentFiles::OfUser().Add(ini)) << "a relative folder is ignored";
    EXPECT_EQ(TRecentFiles(folder.Path("home/.local/share/recently-used.xbel")).Files(10), Paths{ini});
}

}  // namespace
