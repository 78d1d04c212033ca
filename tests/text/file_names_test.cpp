#include <gtest/gtest.h>

#include <sys/stat.h>
#include <utime.h>

#include <ctime>
#include <filesystem>

#include "temp_folder.h"
#include "text/file_names.h"
#include "text/file_stream.h"
#include "text/string_list.h"

namespace {

void SetLocalTime(const std::string& path, int year, int month, int day, int hour, int minute,
                  int second) {
    std::tm local{};
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_sec = second;
    local.tm_isdst = -1;
    const std::time_t when = std::mktime(&local);
    const utimbuf times{when, when};
    ASSERT_EQ(utime(path.c_str(), &times), 0);
}

}  // namespace

TEST(FileNames, PresentMeansAnExistingFileOfAnyDate) {
    TempFolder folder;
    const std::string old = folder.File("old.ini", "");
    SetLocalTime(old, 1975, 6, 1, 12, 0, 0);
    EXPECT_TRUE(FilePresent(old));
    EXPECT_EQ(FileModifiedStamp(old), -1);
    ASSERT_EQ(mkdir(folder.Path("sub").c_str(), 0755), 0);
    for (const std::string& absent :
         {std::string(), folder.Path("sub"), folder.Path("missing.ini")}) {
        EXPECT_FALSE(FilePresent(absent)) << absent;
        EXPECT_EQ(FileModifiedStamp(absent), -1) << absent;
    }
}

TEST(FileNames, LastComponentIsAPattern) {
    TempFolder folder;
    folder.File("conf.ini", "");
    folder.File("[x].txt", "");
    EXPECT_TRUE(FilePresent(folder.Path("*.ini")));
    EXPECT_TRUE(FilePresent(folder.Path("c?nf.*")));
    EXPECT_TRUE(FilePresent(folder.Path("[x]*"))) << "brackets are plain characters";
    EXPECT_FALSE(FilePresent(folder.Path("c?.ini")));
    TStringList list;
    EXPECT_THROW(list.LoadLinesFromFile(folder.Path("*.ini")), EFOpenError);
}

TEST(FileNames, StampPacksLocalDateAndTime) {
    TempFolder folder;
    const std::string path = folder.File("a.ini", "");
    SetLocalTime(path, 2021, 3, 4, 5, 6, 9);
    const std::int32_t date = (41 << 9) | (3 << 5) | 4;
    const std::int32_t time = (5 << 11) | (6 << 5) | 4;  // seconds in units of two
    EXPECT_EQ(FileModifiedStamp(path), date << 16 | time);
}

TEST(FileNames, NameIsThePartAfterTheLastSlash) {
    EXPECT_EQ(FileNameOfPath("/etc/dir/"), "");
    EXPECT_EQ(FileNameOfPath("a.ini"), "a.ini");
    EXPECT_EQ(FileNameOfPath("/home/u/a.ini"), "a.ini");
    // Backslashes and colons are ordinary characters of a Linux file name.
    EXPECT_EQ(FileNameOfPath("x:y.ini"), "x:y.ini");
    EXPECT_EQ(FileNameOfPath("C:\\dir\\a.ini"), "C:\\dir\\a.ini");
    EXPECT_EQ(FileNameOfPath("/home/u\\x:y/a.b\\c"), "a.b\\c");
}

TEST(FileNames, FolderIsThePartBeforeTheLastSlash) {
    EXPECT_EQ(FolderOfPath("/home/u/a.ini"), "/home/u");
    EXPECT_EQ(FolderOfPath("/a.ini"), "/");
    EXPECT_EQ(FolderOfPath("a.ini"), "");
    EXPECT_EQ(FolderOfPath("x\\y:z.ini"), "");
}

TEST(FileNames, AbsolutePathStartsFromTheCurrentFolder) {
    TempFolder folder;
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(folder.Path(""));
    const std::string current = std::filesystem::current_path().string();
    EXPECT_EQ(AbsolutePath("a.ini"), current + "/a.ini");
    EXPECT_EQ(AbsolutePath("sub/../b.ini"), current + "/sub/../b.ini") << "nothing is tidied";
    EXPECT_EQ(AbsolutePath("/etc/c.ini"), "/etc/c.ini");
    std::filesystem::current_path(before);
}
