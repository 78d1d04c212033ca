// The INI file object as the windows use it: sized names and values, rows and nodes addressed
// by occurrence, undo and redo, one check of the file per user action.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "inifile/ini_file.h"
#include "engine/ini_service.h"
#include "tests/engine/temp_dir.h"
#include "text/string_list.h"

namespace {

constexpr TCodePage Utf8 = TCodePage::Utf8;

IniFailure FailureOf(const std::function<void()>& write) {
    try {
        write();
    } catch (const EIniFileException& error) {
        return error.Reason();
    }
    return IniFailure::None;
}

TEST(TIniFileNul, ANulByteIsRefusedNeverCut) {
    TempDir dir;
    const std::string before = "[a]\nk=1\n";
    TIniFile file(dir.Write("a.ini", before), Utf8);
    EXPECT_EQ(FailureOf([&] { file.WriteValue("a", "k", std::string("x\0y", 3)); }), IniFailure::CannotHold);
    EXPECT_EQ(FailureOf([&] { file.WriteValue("a", std::string("j\0", 2), "v"); }), IniFailure::CannotHold);
    EXPECT_EQ(FailureOf([&] { file.WriteValue(std::string("\0b", 2), "k", "v"); }), IniFailure::CannotHold);
    EXPECT_EQ(ReadFile(dir.Path("a.ini")), before);
}

TEST(TIniFileNul, AKeyNameWithANulByteInTheFileIsOneNameThatCommandsReach) {
    TempDir dir;
    const std::string name("k\0j", 3);
    TIniFile file(dir.Write("a.ini", "[a]\n" + name + "=1\nz=2\n"), Utf8);
    EXPECT_EQ(file.KeyNameList("a"), (std::vector<std::string>{name, "z"}));
    TStringList names;
    file.ReadKeyNames("a", names);
    ASSERT_EQ(names.LineCount(), 2);
    EXPECT_EQ(names.LineAt(0), name);
    EXPECT_EQ(file.ReadValue("a", name, ""), "1");
    EXPECT_EQ(file.ReadValue("a", "k", "<none>"), "<none>");
    file.WriteValue("a", name, "3");
    EXPECT_EQ(ReadFile(dir.Path("a.ini")), "[a]\n" + name + "=3\nz=2\n");
    file.RemoveKey("a", name);
    EXPECT_EQ(ReadFile(dir.Path("a.ini")), "[a]\nz=2\n");
}

TEST(TIniFileRows, EmptyNamesAndDuplicatesAreRowsOfTheirOwn) {
    TempDir dir;
    TIniFile file(dir.Write("a.ini", "[]\n=x\nk=1\nk=2\n[b]\n[]\nk=3\n"), Utf8);
    EXPECT_EQ(file.SectionNameList(), (std::vector<std::string>{"", "b", ""}));
    EXPECT_EQ(file.KeyNameList(""), (std::vector<std::string>{"", "k", "k"}));
    const IniListing rows = file.Keys({"", 0});
    ASSERT_EQ(rows.Count(), 3u);
    EXPECT_EQ(rows.Value(2), "2");
    EXPECT_EQ(rows.Occurrence(2), 1u);
    EXPECT_FALSE(rows.FirstOfName(2));
    const IniListing nodes = file.Sections();
    ASSERT_EQ(nodes.Count(), 3u);
    EXPECT_EQ(nodes.Occurrence(2), 1u);
    EXPECT_EQ(file.Keys({"", 1}).Value(0), "3");
}

TEST(TIniFileRows, ACommandOnARowThatChangedUnderneathWritesNothing) {
    TempDir dir;
    const std::string path = dir.Write("a.ini", "[a]\nk=1\nk=2\n");
    TIniFile file(path, Utf8);
    ASSERT_EQ(file.Keys({"a", 0}).Value(1), "2");
    dir.Write("a.ini", "[a]\nk=1\nk=3\n");  // another program
    EXPECT_EQ(FailureOf([&] { file.WriteValueAt({{"a", 0}, "k", 1}, "2", "9"); }), IniFailure::Stale);
    EXPECT_EQ(FailureOf([&] { file.RemoveKeyAt({{"a", 0}, "k", 1}, "2"); }), IniFailure::Stale);
    EXPECT_EQ(ReadFile(path), "[a]\nk=1\nk=3\n");
    file.WriteValueAt({{"a", 0}, "k", 1}, "3", "9");
    EXPECT_EQ(ReadFile(path), "[a]\nk=1\nk=9\n");
}

TEST(TIniFileUndo, RevertAndReapplyThroughTheFile) {
    TempDir dir;
    const std::string path = dir.Write("a.ini", "[a]\r\nk=1\r\n[b]\r\nx=1\r\n");
    TIniFile file(path, Utf8);
    file.RenameSection({"b", 0}, "c");
    const EditRecord rename = file.LastChange();
    file.WriteValue("a", "k", "5");
    const EditRecord set = file.LastChange();
    EXPECT_EQ(ReadFile(path), "[a]\r\nk=5\r\n[c]\r\nx=1\r\n");

    dir.Write("a.ini", "; another program\r\n[a]\r\nk=5\r\n[c]\r\nx=1\r\n");
    file.Revert(set);
    file.Revert(rename);
    EXPECT_EQ(ReadFile(path), "; another program\r\n[a]\r\nk=1\r\n[b]\r\nx=1\r\n");
    file.Reapply(rename);
    EXPECT_EQ(ReadFile(path), "; another program\r\n[a]\r\nk=1\r\n[c]\r\nx=1\r\n");

    dir.Write("a.ini", "[a]\r\nk=6\r\n[c]\r\nx=1\r\n");  // the undone bytes themselves changed
    EXPECT_EQ(FailureOf([&] { file.Reapply(set); }), IniFailure::Stale);
    EXPECT_EQ(ReadFile(path), "[a]\r\nk=6\r\n[c]\r\nx=1\r\n");
}

}  // namespace
