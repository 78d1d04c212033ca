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
#include "platform/profile/file_ops.h"
#include "platform/profile/profile_service.h"
#include "support/scoped_seam.h"
#include "tests/platform/profile/temp_dir.h"
#include "text/string_list.h"

namespace {

std::optional<std::string> Text(const char* text) {
    return text ? std::optional<std::string>(text) : std::nullopt;
}

// Records every call and answers reads with one text, cut to fit as the real service does.
class FakeService : public ProfileService {
public:
    struct Call {
        std::optional<std::string> section, key, text;
        std::size_t size;
        std::string path;
        bool operator==(const Call&) const = default;
    };

    std::size_t Read(const char* section, const char* key, const char* defaultValue, char* buffer,
                     std::size_t size, const char* path, std::size_t* needed) override {
        calls.push_back({Text(section), Text(key), Text(defaultValue), size, path});
        *needed = answer.size() + 1;
        const std::size_t count = std::min(answer.size(), size - 1);
        std::memcpy(buffer, answer.data(), count);
        buffer[count] = '\0';
        return count;
    }
    bool Write(const char* section, const char* key, const char* value, const char* path) override {
        calls.push_back({Text(section), Text(key), Text(value), 0, path});
        return writesSucceed;
    }

    std::vector<Call> calls;
    std::string answer;
    bool writesSucceed = true;
};

class TIniFileCalls : public testing::Test {
protected:
    FakeService service;
    ScopedSeam<ProfileService*> serviceSeam{UseProfileService, &service};
    const std::string path = "rel/../odd path.ini";
    using Call = FakeService::Call;
};

TEST_F(TIniFileCalls, EachOperationIsOneCallWithEmptyTextsNeverNull) {
    TStringList list;
    {
        TIniFile file(path);
        file.ReadValue("s", "", "d");
        file.WriteValue("s", "k", "");
        file.RemoveKey("s", "");
        file.RemoveSection("");
        file.ReadKeyNames("s", list);
        file.ReadSectionNames(list);
    }
    const std::vector<Call> expected = {
        {"s", "", "d", 2048, path},
        {"s", "k", "", 0, path},
        {"s", "", std::nullopt, 0, path},
        {"", std::nullopt, std::nullopt, 0, path},
        {"s", std::nullopt, std::nullopt, 16384, path},
        {std::nullopt, std::nullopt, std::nullopt, 16384, path},
        {std::nullopt, std::nullopt, std::nullopt, 0, path},  // the flush on freeing
    };
    EXPECT_EQ(service.calls, expected);
}

TEST_F(TIniFileCalls, FreeingAnObjectThatOnlyReadStillFlushes) {
    { TIniFile(path).ReadValue("s", "k", ""); }
    ASSERT_EQ(service.calls.size(), 2u);
    EXPECT_EQ(service.calls.back(), (Call{std::nullopt, std::nullopt, std::nullopt, 0, path}));
}

TEST_F(TIniFileCalls, FailedWritesAndRemovalsRaiseWithThePathAsGiven) {
    service.writesSucceed = false;
    TIniFile file(path);
    const std::string message = "Unable to write to " + path;
    try {
        file.WriteValue("s", "k", "v");
        FAIL() << "no error raised";
    } catch (const EIniFileException& error) {
        EXPECT_EQ(error.Message(), message);
    }
    EXPECT_THROW(file.RemoveSection("s"), EIniFileException);
    EXPECT_THROW(file.RemoveKey("s", "k"), EIniFileException);
    EXPECT_NO_THROW(file.FlushFile());
}

TEST_F(TIniFileCalls, AsksAgainWithTheSizeNeeded) {
    service.answer = std::string(5000, 'v');
    TIniFile file(path);
    EXPECT_EQ(file.ReadValue("s", "k", ""), service.answer);
    EXPECT_EQ(service.calls.at(1).size, 5001u);

    service.answer.clear();
    for (int i = 0; i < 3000; ++i) service.answer += "name" + std::to_string(i) + '\0';
    TStringList names;
    file.ReadKeyNames("s", names);
    ASSERT_EQ(names.LineCount(), 3000);
    EXPECT_EQ(names.LineAt(2999), "name2999");
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
        EXPECT_EQ(error.Message(), "Unable to write to " + asGiven);
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

class KilledBeforeRename : public FileOps {
public:
    int Rename(const char*, const char*) override { return raise(SIGKILL); }
};

TEST(TIniFileOnDisk, ProcessKilledBeforeTheRenameLeavesTheOldFileWhole) {
    TempDir dir;
    const std::string original = "[a]\r\nk=1\r\n; keep me\r\n";
    const std::string path = dir.Write("a.ini", original);
    const pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        KilledBeforeRename ops;
        UseProfileFileOps(&ops);
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
