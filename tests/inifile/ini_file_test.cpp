#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "inifile/ini_file.h"
#include "encoding/code_page.h"
#include "engine/file_ops.h"
#include "engine/ini_service.h"
#include "inifile/write_failure_reason.h"
#include "encoding/code_page_conversion.h"
#include "support/code_page_guard.h"
#include "support/environment_guard.h"
#include "support/scoped_seam.h"
#include "tests/engine/temp_dir.h"
#include "text/string_list.h"

namespace {

// Records every call the by-name operations make and answers reads with one text.
class FakeService : public IniService {
public:
    struct Call {
        std::string operation, section, key, text, path;
        TCodePage codePage;
        bool operator==(const Call&) const = default;
    };

    std::optional<std::string> Value(IniFileRef file, std::string_view section, std::string_view key) override {
        Record("value", file, section, key, {});
        return answer;
    }
    NameList KeyNames(IniFileRef file, std::string_view section) override {
        Record("keys", file, section, {}, {});
        return NameList::Of(names);
    }
    std::vector<std::string> SectionNames(IniFileRef file) override {
        Record("sections", file, {}, {}, {});
        return names;
    }
    IniResult SetValue(IniFileRef file, std::string_view section, std::string_view key,
                           std::string_view value) override {
        Record("set", file, section, key, value);
        return Result();
    }
    IniResult RemoveKey(IniFileRef file, std::string_view section, std::string_view key) override {
        Record("remove key", file, section, key, {});
        return Result();
    }
    IniResult RemoveSection(IniFileRef file, std::string_view section) override {
        Record("remove section", file, section, {}, {});
        return Result();
    }
    void Flush(std::string_view path) override { calls.push_back({"flush", {}, {}, {}, std::string(path), TCodePage::None}); }

    std::vector<Call> calls;
    std::optional<std::string> answer;
    std::vector<std::string> names;
    IniFailure failure = IniFailure::None;

private:
    void Record(const char* operation, IniFileRef file, std::string_view section, std::string_view key,
                std::string_view text) {
        calls.push_back({operation, std::string(section), std::string(key), std::string(text), std::string(file.path),
                         file.codePage});
    }
    IniResult Result() const { return IniResult{failure, 0, {}, {}}; }
};

class TIniFileCalls : public testing::Test {
protected:
    FakeService service;
    ScopedSeam<IniService*> serviceSeam{UseIniService, &service};
    const std::string path = "rel/../odd path.ini";
    using Call = FakeService::Call;
};

TEST_F(TIniFileCalls, EachOperationIsOneCallWithSizedTextsInTheFilesCodePage) {
    TStringList list;
    const std::string withNul("a\0b", 3);
    {
        TIniFile file(path, TCodePage::Gbk);
        file.ReadValue("s", "", "d");
        file.WriteValue("s", withNul, "");
        file.RemoveKey("s", "");
        file.RemoveSection("");
        file.ReadKeyNames("s", list);
        file.ReadSectionNames(list);
    }
    const std::vector<Call> expected = {
        {"value", "s", "", "", path, TCodePage::Gbk},
        {"set", "s", withNul, "", path, TCodePage::Gbk},
        {"remove key", "s", "", "", path, TCodePage::Gbk},
        {"remove section", "", "", "", path, TCodePage::Gbk},
        {"keys", "s", "", "", path, TCodePage::Gbk},
        {"sections", "", "", "", path, TCodePage::Gbk},
        {"flush", "", "", "", path, TCodePage::None},  // on freeing
    };
    EXPECT_EQ(service.calls, expected);
}

TEST_F(TIniFileCalls, PathOnlyObjectsUseTheLocalesCodePage) {
    const ScopedCodePage big5(TCodePage::Big5);
    TIniFile(path).ReadValue("s", "k", "");
    EXPECT_EQ(service.calls.at(0).codePage, TCodePage::Big5);
}

TEST_F(TIniFileCalls, FreeingAnObjectThatOnlyReadStillFlushes) {
    { TIniFile(path).ReadValue("s", "k", ""); }
    ASSERT_EQ(service.calls.size(), 2u);
    EXPECT_EQ(service.calls.back().operation, "flush");
}

TEST_F(TIniFileCalls, FailedWritesAndRemovalsRaiseWithThePathAsGivenAndTheReason) {
    service.failure = IniFailure::NoSpace;
    TIniFile file(path);
    try {
        file.WriteValue("s", "k", "v");
        FAIL() << "no error raised";
    } catch (const EIniFileException& error) {
        EXPECT_EQ(error.Message(), "Unable to write to " + path + ". No space left on device");
        EXPECT_EQ(error.Reason(), IniFailure::NoSpace);
    }
    EXPECT_THROW(file.RemoveSection("s"), EIniFileException);
    EXPECT_THROW(file.RemoveKey("s", "k"), EIniFileException);
    EXPECT_NO_THROW(file.FlushFile());
}

// The message itself stays English; the reason after it follows the messages locale, in the
// locale's code page, whether or not that locale is installed.
TEST_F(TIniFileCalls, UnderAChineseLocaleTheReasonIsChinese) {
    ScopedEnvironment all("LC_ALL", std::nullopt), lang("LANG", "C.UTF-8");
    ScopedCodePage gbk(TCodePage::Gbk);
    service.failure = IniFailure::ReadOnlyFile;
    auto messageOf = [&] {
        try {
            TIniFile(path).WriteValue("s", "k", "v");
        } catch (const EIniFileException& error) {
            return error.Message();
        }
        return std::string("no error raised");
    };
    {
        ScopedEnvironment messages("LC_MESSAGES", "zh_CN.GBK");
        EXPECT_EQ(messageOf(), "Unable to write to " + path + ". " + *Utf8ToAnsi("文件是只读的"));
    }
    ScopedEnvironment messages("LC_MESSAGES", "en_US.UTF-8");
    EXPECT_EQ(messageOf(), "Unable to write to " + path + ". The file is read-only");
}

TEST(WriteFailureReason, EveryFailureHasAChineseReasonAndOtherLanguagesKeepTheEnglish) {
    const TLocaleId chinese = LocaleIdOfName("zh_TW.BIG5"), german = LocaleIdOfName("de_DE.UTF-8");
    for (int i = static_cast<int>(IniFailure::CannotHold); i <= static_cast<int>(IniFailure::SystemError); ++i) {
        const auto failure = static_cast<IniFailure>(i);
        const std::string english = IniFailureText(failure, EIO);
        const std::string reason = WriteFailureReason(failure, EIO, chinese);
        EXPECT_FALSE(reason.empty()) << english;
        EXPECT_TRUE(std::any_of(reason.begin(), reason.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; }))
            << english << " has no Chinese reason: " << reason;
        EXPECT_EQ(WriteFailureReason(failure, EIO, german), english);
        EXPECT_EQ(WriteFailureReason(failure, EIO, 0), english) << "C and unknown locales";
    }
    // A failing call that has no reason of its own names the system's.
    EXPECT_NE(WriteFailureReason(IniFailure::SystemError, EIO, chinese).find(IniFailureText(IniFailure::SystemError, EIO)),
              std::string::npos);
}

TEST_F(TIniFileCalls, ListsKeepEmptyNamesAndMissingValuesGiveTheDefault) {
    service.names = {"a", "", "b"};
    TIniFile file(path);
    TStringList list;
    file.ReadKeyNames("s", list);
    ASSERT_EQ(list.LineCount(), 3);
    EXPECT_EQ(list.LineAt(1), "");
    EXPECT_EQ(list.LineAt(2), "b");
    EXPECT_EQ(file.ReadValue("s", "k", "default"), "default");
    service.answer = std::string(5000, 'v');
    EXPECT_EQ(file.ReadValue("s", "k", "default"), *service.answer);
}

// The real service from here on.

TEST(TIniFileOnDisk, LongValuesAndListsComeBackWhole) {
    TempDir dir;
    const std::string path = dir.Path("a.ini");
    const std::string longValue(10000, 'x');
    std::string bytes = "[long]\nvalue=" + longValue + "\n";
    for (int i = 0; i < 2000; ++i) bytes += "key_with_a_long_name_" + std::to_string(i) + "=" + std::to_string(i) + "\n";
    dir.Write("a.ini", bytes);
    TIniFile file(path);
    EXPECT_EQ(file.ReadValue("long", "value", ""), longValue);
    TStringList pairs;
    file.ReadKeyValuePairs("LONG", pairs);
    ASSERT_EQ(pairs.LineCount(), 2001);
    EXPECT_EQ(pairs.LineAt(2000), "key_with_a_long_name_1999=1999");
    file.ReadKeyNames("absent", pairs);
    EXPECT_EQ(pairs.LineCount(), 0);
}

TEST(TIniFileOnDisk, ReadOnlyFileRaises) {
    TempDir dir;
    dir.Write("a.ini", "[a]\nk=1\n");
    chmod(dir.Path("a.ini").c_str(), 0444);
    const std::string asGiven = dir.Path(".//a.ini");
    TIniFile file(asGiven);
    try {
        file.WriteValue("a", "k", "2");
        FAIL() << "no error raised";
    } catch (const EIniFileException& error) {
        // Root may open it for writing but respects the missing write bit; anyone else may not open it.
        const IniFailure reason = geteuid() == 0 ? IniFailure::ReadOnlyFile : IniFailure::PermissionDenied;
        EXPECT_EQ(error.Reason(), reason);
        EXPECT_EQ(error.Message(), "Unable to write to " + asGiven + ". " + IniFailureText(reason));
    }
}

void ExpectChildExited(pid_t child) {
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "child status " << status;
}

void WriteKeys(const std::string& path, const std::string& prefix, int count) {
    for (int i = 0; i < count; ++i) TIniFile(path).WriteValue("shared", prefix + std::to_string(i), "v");
}

TEST(TIniFileOnDisk, TwoProcessesWritingDifferentKeysLoseNothing) {
    TempDir dir;
    const std::string path = dir.Write("a.ini", "; two writers\n");
    const pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        try {
            WriteKeys(path, "child", 500);
        } catch (...) {
            _exit(1);
        }
        _exit(0);
    }
    WriteKeys(path, "parent", 500);
    ExpectChildExited(child);
    TStringList names;
    TIniFile(path).ReadKeyNames("shared", names);
    std::set<std::string> distinct;
    for (int i = 0; i < names.LineCount(); ++i) distinct.insert(names.LineAt(i));
    EXPECT_EQ(names.LineCount(), 1000);
    EXPECT_EQ(distinct.size(), 1000u);
    EXPECT_TRUE(distinct.count("child499") && distinct.count("parent0"));
}

// Killed at the step that puts the new file in place, whichever way the file system allows.
class KilledBeforeRename : public FileOps {
public:
    int Rename(const char*, const char*) override { return raise(SIGKILL); }
    int Exchange(const char*, const char*) override { return raise(SIGKILL); }
};

TEST(TIniFileOnDisk, ProcessKilledBeforeTheRenameLeavesTheOldFileWhole) {
    TempDir dir;
    const std::string original = "[a]\r\nk=1\r\n; keep me\r\n";
    const std::string path = dir.Write("a.ini", original);
    const pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        KilledBeforeRename ops;
        UseIniFileOps(&ops);
        TIniFile(path).WriteValue("a", "k", std::string(100000, 'n'));
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
    EXPECT_EQ(ReadFile(path), original);
    TIniFile file(path);  // and the dead writer's lock is gone
    file.WriteValue("a", "k", "2");
    EXPECT_EQ(ReadFile(path), "[a]\r\nk=2\r\n; keep me\r\n");
}

}  // namespace
