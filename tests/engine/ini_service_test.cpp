#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <string>
#include <vector>

#include "engine/file_ops.h"
#include "engine/ini_service.h"
#include "support/scoped_seam.h"
#include "tests/engine/temp_dir.h"

namespace {

constexpr TCodePage Utf8 = TCodePage::Utf8;

std::string Read(const char* section, const char* key, const std::string& path, TCodePage codePage = Utf8) {
    return IniService().Value({path, codePage}, section, key).value_or("<default>");
}

// By name, as the commands write: a null value removes the key, a null key the section.
bool Write(const char* section, const char* key, const char* value, const std::string& path, TCodePage codePage = Utf8) {
    IniService service;
    const IniFileRef file{path, codePage};
    if (!key) return service.RemoveSection(file, section).Succeeded();
    if (!value) return service.RemoveKey(file, section, key).Succeeded();
    return service.SetValue(file, section, key, value).Succeeded();
}

TEST(ServiceWrite, AnEmptyKeyNameIsANameAndRemovalsTakeTheirLines) {
    TempDir dir;
    const std::string path = dir.Write("a.ini", "[a]\nk=1\n");
    ASSERT_TRUE(Write("a", "", "empty key", path, Utf8));
    EXPECT_EQ(Read("a", "", path), "empty key");
    ASSERT_TRUE(Write("a", "", nullptr, path, Utf8));
    EXPECT_EQ(ReadFile(path), "[a]\nk=1\n");
    ASSERT_TRUE(Write("a", nullptr, nullptr, path, Utf8));
    EXPECT_EQ(ReadFile(path), "");
}

TEST(ServiceWrite, WriteThatChangesNothingLeavesTheFileAlone) {
    TempDir dir;
    const std::string path = dir.Write("a.ini", "[a]\nk = 1\n");
    const timespec past[2] = {{1000000, 0}, {1000000, 0}};
    utimensat(AT_FDCWD, path.c_str(), past, 0);
    EXPECT_TRUE(Write("A", "K", "1", path, Utf8));
    EXPECT_TRUE(Write("a", "missing", nullptr, path, Utf8));
    EXPECT_TRUE(Write("missing", nullptr, nullptr, path, Utf8));
    EXPECT_EQ(StatOf(path).st_mtim.tv_sec, 1000000);
    // Nor is a file created for nothing.
    EXPECT_TRUE(Write("a", "k", nullptr, dir.Path("none.ini"), Utf8));
    EXPECT_FALSE(Write("a", "k\n", "v", dir.Path("none.ini"), Utf8));
    EXPECT_EQ(dir.EntryCount(), 1u);
}

TEST(ServiceWrite, ReplacesTheFileKeepingItsPermissions) {
    TempDir dir;
    const std::string path = dir.Write("a.ini", "[a]\nk=1\n");
    chmod(path.c_str(), 0640);
    const ino_t before = StatOf(path).st_ino;
    ASSERT_TRUE(Write("a", "k", "2", path, Utf8));
    EXPECT_EQ(StatOf(path).st_mode & 07777, 0640u);
    EXPECT_NE(StatOf(path).st_ino, before);
    EXPECT_EQ(dir.EntryCount(), 1u);  // no temporary file left behind
}

TEST(ServiceWrite, ReadOnlyFileIsRefusedAndStaysAsItWas) {
    TempDir dir;
    const std::string path = dir.Write("a.ini", "[a]\nk=1\n");
    EXPECT_EQ(Read("a", "k", path), "1");
    chmod(path.c_str(), 0444);
    EXPECT_FALSE(Write("a", "k", "2", path, Utf8));
    EXPECT_FALSE(Write("a", nullptr, nullptr, path, Utf8));
    EXPECT_EQ(ReadFile(path), "[a]\nk=1\n");
    EXPECT_EQ(Read("a", "k", path), "1");  // the refused edit did not stay in the cache
}

TEST(ServiceWrite, WritesThroughSymbolicLinks) {
    TempDir dir;
    const std::string target = dir.Write("target.ini", "[a]\nk=1\n");
    symlink("target.ini", dir.Path("link.ini").c_str());
    ASSERT_TRUE(Write("a", "k", "2", dir.Path("link.ini"), Utf8));
    EXPECT_EQ(ReadFile(target), "[a]\nk=2\n");
    struct stat status;
    ASSERT_EQ(lstat(dir.Path("link.ini").c_str(), &status), 0);
    EXPECT_TRUE(S_ISLNK(status.st_mode));

    symlink("new.ini", dir.Path("dangling.ini").c_str());
    ASSERT_TRUE(Write("s", "k", "v", dir.Path("dangling.ini"), Utf8));
    EXPECT_EQ(ReadFile(dir.Path("new.ini")), "[s]\nk=v\n");
}

TEST(ServiceWrite, HardLinkedFileIsRewrittenInPlace) {
    TempDir dir;
    const std::string path = dir.Write("a.ini", "[a]\nk=1\n");
    link(path.c_str(), dir.Path("other.ini").c_str());
    ASSERT_TRUE(Write("a", "k", "22", path, Utf8));
    EXPECT_EQ(ReadFile(dir.Path("other.ini")), "[a]\nk=22\n");
}

TEST(ServiceRead, SeesWhatAnotherProgramChanged) {
    TempDir dir;
    const std::string path = dir.Write("a.ini", "[a]\nk=1\n");
    EXPECT_EQ(Read("a", "k", path), "1");
    dir.Write("a.ini", "[a]\nk=22\n");  // in place
    EXPECT_EQ(Read("a", "k", path), "22");
    dir.Write("b.ini", "[a]\nk=33\n");
    rename(dir.Path("b.ini").c_str(), path.c_str());  // replaced, same size
    EXPECT_EQ(Read("a", "k", path), "33");
    unlink(path.c_str());
    EXPECT_EQ(Read("a", "k", path), "<default>");
}

// A click lists the section again: after another program's edit in place, the listing in the
// next batch is the file's new lines, not the cached ones.
TEST(ServiceRead, AListingShowsWhatAnotherProgramChanged) {
    TempDir dir;
    const std::string path = dir.Write("a.ini", "[a]\r\nk=1\r\nj=2\r\n[b]\r\nx=3\r\n");
    IniService service;
    const auto listed = [&](const char* section) {
        std::string rows;
        const IniListing keys = service.Keys({path, Utf8}, {section, 0});
        for (std::size_t at = 0; at < keys.Count(); ++at) rows += std::string(keys.Name(at)) + "=" + std::string(keys.Value(at)) + ";";
        return rows;
    };
    EXPECT_EQ(listed("b"), "x=3;");
    dir.Write("a.ini", "[a]\r\nk=1\r\n[j]=2\r\nx=4\r\nx=5\r\n");
    EXPECT_EQ(listed("b"), "") << "the section is gone";
    EXPECT_EQ(listed("a"), "k=1;");
    EXPECT_EQ(listed("j"), "x=4;x=5;");
    EXPECT_EQ(service.Keys({path, Utf8}, {"j", 0}).Occurrence(1), 1u);
}

// A read that reuses the room of the last one keeps none of its bytes, whether the file grew
// or shrank, and a list made before keeps what it showed.
TEST(ServiceRead, ReadsAgainIntoTheRoomOfTheLastRead) {
    TempDir dir;
    const std::string path = dir.Write("a.ini", "[a]\nk=1\nj=2\n");
    IniService service;
    const IniListing before = service.Keys({path, Utf8}, {"a", 0});
    for (const std::string content : {"[a]\nk=a longer value than before\n", "[a]\nk=3\n", "[b]\n"}) {
        dir.Write("b.ini", content);
        rename(dir.Path("b.ini").c_str(), path.c_str());
        ASSERT_EQ(service.SectionNames({path, Utf8}).size(), 1u) << content;
        std::string listed;
        for (const std::string& section : service.SectionNames({path, Utf8}))
            for (const std::string_view key : service.KeyNames({path, Utf8}, section))
                listed += "[" + section + "]" + std::string(key) + "=" + *service.Value({path, Utf8}, section, key) + "\n";
        EXPECT_EQ(listed, content == "[b]\n" ? "" : content.substr(0, 3) + content.substr(4)) << content;
    }
    ASSERT_EQ(before.Count(), 2u);
    EXPECT_EQ(before.Value(1), "2");
}

// The size taken before the read is not trusted: the whole file is read, however it changed.
class StaleSize : public FileOps {
public:
    explicit StaleSize(off_t delta) : delta_(delta) {}
    int StatusOf(int fd, struct stat* status) override {
        const int result = FileOps::StatusOf(fd, status);
        status->st_size += delta_;
        return result;
    }

private:
    off_t delta_;
};

TEST(ServiceRead, AFileThatChangedSizeSinceItsStatusIsReadWhole) {
    TempDir dir;
    std::string content = "[a]\n";
    for (int i = 0; i < 2000; ++i) content += "k" + std::to_string(i) + "=" + std::to_string(i) + "\n";
    const std::string path = dir.Write("a.ini", content);
    for (const off_t delta : {-5000, -1, 1, 7}) {
        StaleSize ops(delta);
        ScopedSeam seam(UseIniFileOps, &ops);
        EXPECT_EQ(Read("a", "k1999", path), "1999") << delta;
        EXPECT_EQ(CurrentIniService().KeyNames({path, Utf8}, "a").size(), 2000u) << delta;
    }
}

TEST(ServiceWrite, DoubleByteNamesFollowTheGivenCodePage) {
    TempDir dir;
    const std::string path = dir.Write("a.ini", "[\x81]]\r\n\x81=\x81\\=1\r\n");
    const auto read = [&](const char* section, const char* key, TCodePage codePage) { return Read(section, key, path, codePage); };
    EXPECT_EQ(read("\x81]", "\x81=\x81\\", TCodePage::Gbk), "1");
    EXPECT_TRUE(Write("\x81]", "\x81=\x81\\", "2", path, TCodePage::Gbk));
    EXPECT_EQ(ReadFile(path), "[\x81]]\r\n\x81=\x81\\=2\r\n");
    // Read with single-byte rules, the same bytes hold other names.
    EXPECT_EQ(read("\x81]", "\x81=\x81\\", Utf8), "<default>");
    EXPECT_EQ(read("\x81", "\x81", Utf8), "\x81\\=2");
    EXPECT_EQ(read("\x81]", "\x81=\x81\\", TCodePage::Gbk), "2");
}

// Both ways of putting the new file in place fail.
class FailingRename : public FileOps {
public:
    int Rename(const char*, const char*) override {
        errno = EIO;
        return -1;
    }
    int Exchange(const char*, const char*) override {
        errno = EIO;
        return -1;
    }
};

TEST(IniSave, FailedRenameLeavesFileAndCacheAsTheyWere) {
    TempDir dir;
    const std::string path = dir.Write("a.ini", "[a]\nk=1\n");
    FailingRename ops;
    ScopedSeam seam(UseIniFileOps, &ops);
    EXPECT_FALSE(Write("a", "k", "2", path, Utf8));
    EXPECT_EQ(ReadFile(path), "[a]\nk=1\n");
    EXPECT_EQ(dir.EntryCount(), 1u);
    EXPECT_EQ(Read("a", "k", path), "1");
}

// Where two large texts first differ (npos: nowhere): a readable failure, not a diff of megabytes.
std::size_t FirstDifference(const std::string& a, const std::string& b) {
    const auto [at, _] = std::mismatch(a.begin(), a.end(), b.begin(), b.end());
    return a.size() == b.size() && at == a.end() ? std::string::npos : static_cast<std::size_t>(at - a.begin());
}

class FailingSync : public FileOps {
public:
    int Sync(int) override {
        errno = EIO;
        return -1;
    }
};

// A file another program changed since the last read: a set or removal of one key (at the
// first, a middle and the last line, the last with no line end) saves the other program's
// bytes with its own change alone, in a GBK file of CRLF lines, while a list made before
// keeps showing what it showed; a save that fails leaves the file as the other program left it.
TEST(ServiceWrite, OneKeyAfterAnotherProgramsChangeSavesOnlyThatKey) {
    constexpr TCodePage Gbk = TCodePage::Gbk;
    TempDir dir;
    std::vector<std::string> lines = {"[\xD6\xF7]"};
    for (int i = 0; i < 3000; ++i) lines.push_back("\xBC\xFC" + std::to_string(i) + " = \xD6\xB5" + std::to_string(i));
    const auto joined = [](const std::vector<std::string>& all) {
        std::string text;
        for (const std::string& line : all) text += line + "\r\n";
        return text.substr(0, text.size() - 2);
    };
    const std::string path = dir.Write("a.ini", joined(lines));
    IniService service;
    for (const int target : {1, 1500, 3000}) {
        const std::string key = "\xBC\xFC" + std::to_string(target - 1);
        const IniListing listed = service.Keys({path, Gbk}, {"\xD6\xF7", 0});
        const std::string shown(listed.Value(static_cast<std::size_t>(target - 1)));
        lines[2] = "\xBC\xFC" "1 = other program";
        dir.Write("b.ini", joined(lines));
        rename(dir.Path("b.ini").c_str(), path.c_str());

        ASSERT_TRUE(service.SetValue({path, Gbk}, "\xD6\xF7", key, "\xD0\xC2").Succeeded()) << target;
        lines[target] = key + " = \xD0\xC2";
        EXPECT_EQ(FirstDifference(ReadFile(path), joined(lines)), std::string::npos) << target;
        EXPECT_EQ(listed.Value(static_cast<std::size_t>(target - 1)), shown) << target;

        lines[2] = "\xBC\xFC" "1 = changed again";
        dir.Write("b.ini", joined(lines));
        rename(dir.Path("b.ini").c_str(), path.c_str());
        {
            FailingSync ops;
            ScopedSeam seam(UseIniFileOps, &ops);
            EXPECT_FALSE(CurrentIniService().RemoveKey({path, Gbk}, "\xD6\xF7", key).Succeeded()) << target;
        }
        EXPECT_EQ(FirstDifference(ReadFile(path), joined(lines)), std::string::npos) << target;
        ASSERT_TRUE(service.RemoveKey({path, Gbk}, "\xD6\xF7", key).Succeeded()) << target;
        const std::string removed = joined(std::vector<std::string>(lines.begin(), lines.begin() + target)) +
                                    (target + 1 < static_cast<int>(lines.size()) ? "\r\n" + joined(std::vector<std::string>(lines.begin() + target + 1, lines.end())) : "\r\n");
        EXPECT_EQ(FirstDifference(ReadFile(path), removed), std::string::npos) << target;
        EXPECT_EQ(listed.Value(static_cast<std::size_t>(target - 1)), shown) << target;
        lines[target] = key + " = \xD6\xB5" + std::to_string(target - 1);
        dir.Write("a.ini", joined(lines));
    }
}

// Writes of an odd size, short of what is asked; the ranges handed to the disk early.
class UnevenWrites : public FileOps {
public:
    ssize_t WriteAt(int fd, const char* data, std::size_t size, off_t offset) override {
        return FileOps::WriteAt(fd, data, std::min<std::size_t>(size, 1000003), offset);
    }
    int StartWriteback(int fd, off_t offset, off_t length) override {
        writtenBack.emplace_back(offset, length);
        return FileOps::StartWriteback(fd, offset, length);
    }
    std::vector<std::pair<off_t, off_t>> writtenBack;
};

// A file of many megabytes goes to disk in steps: by a new file, and in place (a hard link)
// from the first changed byte on, every byte lands where it belongs.
TEST(IniSave, LargeFilesAreWrittenInStepsByteForByte) {
    TempDir dir;
    std::string content = "[a]\n";
    for (int i = 0; content.size() < (std::size_t(11) << 20); ++i)
        content += "k" + std::to_string(i) + "=" + std::string(40 + i % 17, static_cast<char>('a' + i % 26)) + "\n";
    const std::string path = dir.Write("a.ini", content);
    UnevenWrites ops;
    ScopedSeam seam(UseIniFileOps, &ops);
    ASSERT_TRUE(Write("a", "k0", "first", path, Utf8));
    content.replace(content.find("k0=") + 3, 40, "first");
    EXPECT_EQ(FirstDifference(ReadFile(path), content), std::string::npos);
    ASSERT_FALSE(ops.writtenBack.empty());
    off_t next = 0;
    for (const auto& [offset, length] : ops.writtenBack) {
        EXPECT_EQ(offset, next);
        next = offset + length;
    }
    EXPECT_LT(next, static_cast<off_t>(content.size()));

    link(path.c_str(), dir.Path("other.ini").c_str());
    const std::size_t middle = content.find("\nk100000=") + 1;
    ASSERT_TRUE(Write("a", "k100000", nullptr, path, Utf8));
    content.erase(middle, content.find('\n', middle) + 1 - middle);
    EXPECT_EQ(FirstDifference(ReadFile(dir.Path("other.ini")), content), std::string::npos);
}

class ShortWrites : public FileOps {
public:
    ssize_t WriteAt(int fd, const char* data, std::size_t size, off_t offset) override {
        return FileOps::WriteAt(fd, data, size < 3 ? size : 3, offset);
    }
};

TEST(IniSave, ShortWritesAreCarriedOn) {
    TempDir dir;
    const std::string path = dir.Write("a.ini", "[a]\nk=1\n");
    ShortWrites ops;
    ScopedSeam seam(UseIniFileOps, &ops);
    ASSERT_TRUE(Write("b", "key", "a longer value", path, Utf8));
    EXPECT_EQ(ReadFile(path), "[a]\nk=1\n[b]\nkey=a longer value\n");
}

class FolderWithoutRoom : public FileOps {
public:
    int CreateUnnamed(const char*, mode_t) override {
        errno = EACCES;
        return -1;
    }
};

TEST(IniSave, WritesInPlaceWhenTheFolderTakesNoNewFile) {
    TempDir dir;
    const std::string path = dir.Write("a.ini", "[a]\nk=100\n");
    const ino_t before = StatOf(path).st_ino;
    FolderWithoutRoom ops;
    ScopedSeam seam(UseIniFileOps, &ops);
    ASSERT_TRUE(Write("a", "k", "2", path, Utf8));
    EXPECT_EQ(ReadFile(path), "[a]\nk=2\n");
    EXPECT_EQ(StatOf(path).st_ino, before);
}

// Looks, at the moment of the rename, whether a reader could take a shared lock on the file.
class ReaderAtRename : public FileOps {
public:
    int Rename(const char* from, const char* to) override {
        Look(to);
        return FileOps::Rename(from, to);
    }
    int Exchange(const char* one, const char* other) override {
        Look(other);
        return FileOps::Exchange(one, other);
    }
    bool readerLocked = true;

private:
    void Look(const char* path) {
        const int fd = open(path, O_RDONLY | O_CLOEXEC);
        readerLocked = flock(fd, LOCK_SH | LOCK_NB) == 0;
        close(fd);
    }
};

TEST(IniSave, ReadersCannotLockTheFileWhileItIsWritten) {
    TempDir dir;
    const std::string path = dir.Write("a.ini", "[a]\nk=1\n");
    ReaderAtRename ops;
    ScopedSeam seam(UseIniFileOps, &ops);
    ASSERT_TRUE(Write("a", "k", "2", path, Utf8));
    EXPECT_FALSE(ops.readerLocked);
}

}  // namespace
