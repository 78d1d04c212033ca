// The service under faults and hostile files: killed saves, full disks, link chains, mounts,
// pipes, devices, locks held by others, many writers at once, programs that save by rename
// without a lock, links and names planted by other users.
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <string>

#include "engine/file_ops.h"
#include "ini_save.h"
#include "engine/ini_service.h"
#include "engine/ini_store.h"
#include "engine/write_access.h"
#include "support/scoped_seam.h"
#include "tests/engine/temp_dir.h"

namespace {

constexpr TCodePage Utf8 = TCodePage::Utf8;

IniService& Service() { return CurrentIniService(); }

IniFailure Set(const std::string& path, std::string_view section, std::string_view key, std::string_view value) {
    return Service().SetValue({path, Utf8}, section, key, value).failure;
}

// A file system of its own, as small as asked; only root may mount one.
class SmallDisk {
public:
    explicit SmallDisk(std::size_t bytes) {
        const std::string options = "size=" + std::to_string(bytes);
        mounted_ = mount("tmpfs", dir_.Path("").c_str(), "tmpfs", 0, options.c_str()) == 0;
    }
    ~SmallDisk() {
        if (mounted_) umount2(dir_.Path("").c_str(), MNT_DETACH);
    }
    bool Mounted() const { return mounted_; }
    std::string Path(const std::string& name) const { return dir_.Path(name); }
    const TempDir& Dir() const { return dir_; }
    // Takes every free block.
    void Fill() const {
        const int fd = open(Path("filler").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
        const std::string block(4096, 'f');
        while (write(fd, block.data(), block.size()) > 0) {
        }
        close(fd);
    }

private:
    TempDir dir_;
    bool mounted_ = false;
};

void KillAndReap(pid_t child) {
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
}

TEST(IniHardening, KilledSavesLeaveNeitherATornFileNorTemporaryFiles) {
    TempDir dir;
    std::string lines;
    for (int i = 0; i < 40000; ++i) lines += "key" + std::to_string(i) + "=some value to make saving take a while\n";
    const std::string one = "[a]\nk=one\n" + lines;
    const std::string two = "[a]\nk=two\n" + lines;
    const std::string path = dir.Write("a.ini", one);
    std::mt19937 random(19);
    for (int round = 0; round < 40; ++round) {
        const pid_t child = fork();
        ASSERT_NE(child, -1);
        if (child == 0)
            for (int i = 0;; ++i) Set(path, "a", "k", i % 2 ? "one" : "two");
        usleep(2000 + random() % 20000);
        KillAndReap(child);
        const std::string now = ReadFile(path);
        ASSERT_TRUE(now == one || now == two) << "round " << round << ": " << now.size() << " bytes";
    }
    ASSERT_EQ(Set(path, "a", "k", "last"), IniFailure::None);
    EXPECT_EQ(dir.EntryCount(), 1u) << "a killed save's file is gone once the next save ran";
}

TEST(IniHardening, FourWritersAtOnceLoseNothing) {
    TempDir dir;
    const std::string path = dir.Write("a.ini", "; four writers\n");
    constexpr int writers = 4;
    constexpr int keys = 60;
    std::vector<pid_t> children;
    for (int writer = 0; writer < writers; ++writer) {
        const pid_t child = fork();
        ASSERT_NE(child, -1);
        if (child == 0) {
            const std::string section = "w" + std::to_string(writer);
            for (int i = 0; i < keys; ++i) {
                if (Set(path, "shared", section + "_" + std::to_string(i), "v") != IniFailure::None) _exit(1);
                if (Set(path, section, "k" + std::to_string(i), "v") != IniFailure::None) _exit(1);
                if (i % 3 == 0 && !Service().RemoveKey({path, Utf8}, section, "k" + std::to_string(i)).Succeeded()) _exit(1);
            }
            _exit(0);
        }
        children.push_back(child);
    }
    for (const pid_t child : children) {
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    Service().Flush(path);
    EXPECT_EQ(Service().KeyNames({path, Utf8}, "shared").size(), static_cast<std::size_t>(writers * keys));
    for (int writer = 0; writer < writers; ++writer)
        EXPECT_EQ(Service().KeyNames({path, Utf8}, "w" + std::to_string(writer)).size(), static_cast<std::size_t>(keys - keys / 3));
}

TEST(IniHardening, InPlaceSaveOnAFullDiskRefusesWithTheFileWhole) {
    SmallDisk disk(512 * 1024);
    if (!disk.Mounted()) GTEST_SKIP() << "cannot mount a small file system here (needs root)";
    const std::string original = "[a]\nk=" + std::string(100000, 'o') + "\n; end\n";
    const std::string path = disk.Dir().Write("a.ini", original);
    ASSERT_EQ(link(path.c_str(), disk.Path("b.ini").c_str()), 0);  // a second link: saved in place
    disk.Fill();
    EXPECT_EQ(Set(path, "a", "k", std::string(300000, 'n')), IniFailure::NoSpace);
    EXPECT_EQ(ReadFile(path), original);
    EXPECT_EQ(ReadFile(disk.Path("b.ini")), original);
    unlink(disk.Path("b.ini").c_str());
    EXPECT_EQ(Set(path, "a", "k", std::string(300000, 'n')), IniFailure::NoSpace) << "by rename: no room for the new file";
    EXPECT_EQ(ReadFile(path), original);
    EXPECT_EQ(disk.Dir().EntryCount(), 2u) << "the file and the filler, nothing else";
}

// Writes to the file being saved in place give out half way.
class DiskFullMidway : public FileOps {
public:
    ssize_t WriteAt(int fd, const char* data, std::size_t size, off_t offset) override {
        if (++writes == 2) {
            errno = ENOSPC;
            return -1;
        }
        return FileOps::WriteAt(fd, data, writes == 1 ? size / 2 : size, offset);
    }
    int Reserve(int, off_t, off_t) override { return 0; }  // claims room it will not have
    int writes = 0;
};

TEST(IniHardening, AnInPlaceSaveThatFailsPutsTheOldBytesBack) {
    TempDir dir;
    const std::string original = "[a]\r\nk=1\r\n[b]\r\nx=" + std::string(5000, 'x') + "\r\n";
    const std::string path = dir.Write("a.ini", original);
    ASSERT_EQ(link(path.c_str(), dir.Path("other.ini").c_str()), 0);
    DiskFullMidway ops;
    ScopedSeam seam(UseIniFileOps, &ops);
    EXPECT_EQ(Set(path, "a", "k", "a longer value that moves the rest of the file"), IniFailure::NoSpace);
    EXPECT_EQ(ReadFile(path), original);
    EXPECT_EQ(StatOf(path).st_size, static_cast<off_t>(original.size()));
}

class NoRoomToReserve : public FileOps {
public:
    int Reserve(int, off_t, off_t) override { return ENOSPC; }
    ssize_t WriteAt(int fd, const char* data, std::size_t size, off_t offset) override {
        ++writes;
        return FileOps::WriteAt(fd, data, size, offset);
    }
    int writes = 0;
};

TEST(IniHardening, AnInPlaceSaveWithoutRoomWritesNothing) {
    TempDir dir;
    const std::string path = dir.Write("a.ini", "[a]\nk=1\n");
    ASSERT_EQ(link(path.c_str(), dir.Path("other.ini").c_str()), 0);
    NoRoomToReserve ops;
    ScopedSeam seam(UseIniFileOps, &ops);
    EXPECT_EQ(Set(path, "a", "k", "longer"), IniFailure::NoSpace);
    EXPECT_EQ(ops.writes, 0);
    EXPECT_EQ(Set(path, "a", "k", "2"), IniFailure::None) << "a save that does not grow needs no room";
    EXPECT_EQ(ReadFile(dir.Path("other.ini")), "[a]\nk=2\n");
}

TEST(IniHardening, ALinkChainLongerThanTheSystemFollowsIsRefusedUntouched) {
    TempDir dir;
    const std::string target = dir.Write("target.ini", "[a]\nk=1\n");
    std::string next = "target.ini";
    for (int i = 45; i >= 1; --i) {
        const std::string name = "link" + std::to_string(i);
        ASSERT_EQ(symlink(next.c_str(), dir.Path(name).c_str()), 0);
        next = name;
    }
    EXPECT_EQ(Set(dir.Path("link1"), "a", "k", "2"), IniFailure::TooManyLinks);
    EXPECT_EQ(ReadFile(target), "[a]\nk=1\n");
    for (int i = 1; i <= 45; ++i) {
        struct stat status;
        ASSERT_EQ(lstat(dir.Path("link" + std::to_string(i)).c_str(), &status), 0);
        EXPECT_TRUE(S_ISLNK(status.st_mode)) << "link" << i;
    }
    EXPECT_EQ(Set(dir.Path("link10"), "a", "k", "2"), IniFailure::None) << "36 links are fine";
    EXPECT_EQ(ReadFile(target), "[a]\nk=2\n");
}

class RenameOntoAMountPoint : public FileOps {
public:
    int Rename(const char*, const char*) override {
        errno = EBUSY;
        return -1;
    }
    int Exchange(const char*, const char*) override {
        errno = EBUSY;
        return -1;
    }
};

TEST(IniHardening, AFileMountedOverAnotherIsSavedInPlace) {
    TempDir dir;
    const std::string path = dir.Write("a.ini", "[a]\nk=1\n");
    {
        RenameOntoAMountPoint ops;
        ScopedSeam seam(UseIniFileOps, &ops);
        EXPECT_EQ(Set(path, "a", "k", "2"), IniFailure::None);
        EXPECT_EQ(ReadFile(path), "[a]\nk=2\n");
        EXPECT_EQ(dir.EntryCount(), 1u);
    }
    const std::string source = dir.Write("source.ini", "[a]\nk=mounted\n");
    if (mount(source.c_str(), path.c_str(), nullptr, MS_BIND, nullptr) != 0)
        GTEST_SKIP() << "cannot bind-mount here (needs root)";
    const IniFailure failure = Set(path, "a", "k", "through the mount");
    umount2(path.c_str(), MNT_DETACH);
    EXPECT_EQ(failure, IniFailure::None);
    EXPECT_EQ(ReadFile(source), "[a]\nk=through the mount\n");
}

// Told before any write, the refusal is the one a write then meets.
TEST(IniHardening, AWriteRefusalIsForetoldAsTheWriteMeetsIt) {
    TempDir dir;
    EXPECT_EQ(WriteRefusalAt(dir.Path("missing.ini")), IniFailure::None);
    const std::string path = dir.Write("a.ini", "[a]\nk=1\n");
    EXPECT_EQ(WriteRefusalAt(path), IniFailure::None);
    ASSERT_EQ(chmod(path.c_str(), 0444), 0);
    const IniFailure foretold = WriteRefusalAt(path);
    EXPECT_EQ(foretold, geteuid() == 0 ? IniFailure::ReadOnlyFile : IniFailure::PermissionDenied);
    EXPECT_EQ(Set(path, "a", "k", "2"), foretold);
    ASSERT_EQ(chmod(path.c_str(), 0644), 0);
    EXPECT_EQ(WriteRefusalAt(path), IniFailure::None);

    if (mount(path.c_str(), path.c_str(), nullptr, MS_BIND, nullptr) != 0)
        GTEST_SKIP() << "cannot bind-mount here (needs root)";
    const bool readOnly = mount(nullptr, path.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0;
    const IniFailure mounted = WriteRefusalAt(path);
    const IniFailure written = Set(path, "a", "k", "3");
    umount2(path.c_str(), MNT_DETACH);
    if (!readOnly) GTEST_SKIP() << "cannot mount read-only here";
    EXPECT_EQ(mounted, IniFailure::ReadOnlyFileSystem);
    EXPECT_EQ(written, mounted);
}

TEST(IniHardening, PipesAndDevicesAreRefusedAtOnce) {
    TempDir dir;
    const std::string pipe = dir.Path("pipe.ini");
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    alarm(20);  // blocking on the pipe would end the test here
    EXPECT_FALSE(Service().Value({pipe, Utf8}, "a", "k"));
    EXPECT_EQ(Set(pipe, "a", "k", "v"), IniFailure::NotRegularFile);
    EXPECT_EQ(Set("/dev/null", "a", "k", "v"), IniFailure::NotRegularFile);
    EXPECT_EQ(Set(dir.Path(""), "a", "k", "v"), IniFailure::NotRegularFile) << "a folder";
    alarm(0);
}

TEST(IniHardening, ALockHeldByAnotherProgramIsWaitedForABoundedTime) {
    TempDir dir;
    const std::string path = dir.Write("a.ini", "[a]\nk=1\n");
    const int other = open(path.c_str(), O_RDONLY | O_CLOEXEC);  // another open file: its lock is another's
    ASSERT_EQ(flock(other, LOCK_EX), 0);
    SetIniLockWait(std::chrono::milliseconds(300));
    alarm(20);
    EXPECT_EQ(Set(path, "a", "k", "2"), IniFailure::Locked);
    EXPECT_EQ(Service().Value({path, Utf8}, "a", "k"), "1") << "reads go ahead without the lock";
    alarm(0);
    SetIniLockWait(IniStore::DefaultLockWait);
    EXPECT_EQ(ReadFile(path), "[a]\nk=1\n");
    close(other);
    EXPECT_EQ(Set(path, "a", "k", "2"), IniFailure::None);
}

TEST(IniHardening, ATenMegabyteLineIsReadAndEditedWhole) {
    TempDir dir;
    const std::string longValue(10 << 20, 'v');
    const std::string path = dir.Write("a.ini", "[a]\nk=" + longValue + "\nj=1\n" + std::string(1 << 20, 'n') + "\n");
    const IniListing keys = Service().Keys({path, Utf8}, {"a", 0});
    ASSERT_EQ(keys.Count(), 3u);
    EXPECT_EQ(keys.Value(0).size(), longValue.size());
    EXPECT_EQ(keys.Name(2).size(), 1u << 20);
    EXPECT_EQ(Set(path, "a", "j", "2"), IniFailure::None);
    EXPECT_TRUE(Service().RemoveKey({path, Utf8}, "a", "k").Succeeded());
    EXPECT_EQ(ReadFile(path), "[a]\nj=2\n" + std::string(1 << 20, 'n') + "\n");
}

// Another program that saves by renaming a file of its own over ours, without a lock: it adds
// a key of its own each time, `times` times, at the step `At` of our save (between our read and
// our rename).
class RenamingProgram : public FileOps {
public:
    enum class Step { Naming, Exchange };
    RenamingProgram(std::string path, Step at, int times) : path_(std::move(path)), at_(at), times_(times) {}
    int LinkUnnamed(int fd, const char* path) override {
        if (at_ == Step::Naming) SaveOurs();
        return FileOps::LinkUnnamed(fd, path);
    }
    int Exchange(const char* one, const char* other) override {
        if (at_ == Step::Exchange) SaveOurs();
        return FileOps::Exchange(one, other);
    }
    int saves = 0;

private:
    void SaveOurs() {
        if (saves == times_) return;
        ++saves;
        const std::string temporary = path_ + ".other";
        std::ofstream(temporary, std::ios::binary) << ReadFile(path_) << "o" << saves << "=v\n";
        FileOps::Rename(temporary.c_str(), path_.c_str());
    }
    std::string path_;
    Step at_;
    int times_;
};

TEST(IniHardening, AnEditIsDoneAgainOnAFileAnotherProgramRenamedInMeanwhile) {
    for (const auto at : {RenamingProgram::Step::Naming, RenamingProgram::Step::Exchange}) {
        TempDir dir;
        const std::string path = dir.Write("a.ini", "[a]\nk=1\n");
        RenamingProgram ops(path, at, 1);
        ScopedSeam seam(UseIniFileOps, &ops);
        EXPECT_EQ(Set(path, "a", "k", "2"), IniFailure::None);
        EXPECT_EQ(ReadFile(path), "[a]\nk=2\no1=v\n") << "both changes kept";
        EXPECT_EQ(dir.EntryCount(), 1u);
    }
}

TEST(IniHardening, AnEditOnAFileReplacedAgainAndAgainFailsAfterBoundedRedos) {
    TempDir dir;
    const std::string path = dir.Write("a.ini", "[a]\nk=1\n");
    RenamingProgram ops(path, RenamingProgram::Step::Naming, 1000);
    ScopedSeam seam(UseIniFileOps, &ops);
    EXPECT_EQ(Set(path, "a", "k", "2"), IniFailure::ChangedMeanwhile);
    EXPECT_LT(ops.saves, 20);
    std::string expected = "[a]\nk=1\n";
    for (int i = 1; i <= ops.saves; ++i) expected += "o" + std::to_string(i) + "=v\n";
    EXPECT_EQ(ReadFile(path), expected) << "every change of the other program stays";
    EXPECT_EQ(dir.EntryCount(), 1u);
    EXPECT_EQ(IniFailureText(IniFailure::ChangedMeanwhile), "Another program kept replacing the file while it was saved");
}

// A folder that everyone may write, with the sticky bit, owned by another user.
class SharedFolder {
public:
    static constexpr uid_t Owner = 65533;
    static constexpr uid_t Planter = 65534;
    explicit SharedFolder(const TempDir& dir) : path_(dir.Path("shared")) {
        mkdir(path_.c_str(), 0755);
        usable_ = chown(path_.c_str(), Owner, Owner) == 0 && chmod(path_.c_str(), 01777) == 0;
    }
    bool Usable() const { return usable_; }
    // A link to target, made by `owner`.
    std::string Link(const std::string& name, const std::string& target, uid_t owner) const {
        const std::string link = path_ + "/" + name;
        symlink(target.c_str(), link.c_str());
        lchown(link.c_str(), owner, owner);
        return link;
    }
    std::string Path(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
    bool usable_ = false;
};

TEST(IniHardening, ALinkAnotherUserPlantedInAStickySharedFolderIsNotFollowed) {
    TempDir dir;
    SharedFolder shared(dir);
    if (!shared.Usable()) GTEST_SKIP() << "giving a folder to another user needs root";
    const std::string mine = dir.Write("app.ini", "[a]\nk=1\n");
    EXPECT_EQ(Set(shared.Link("new.ini", mine, SharedFolder::Planter), "a", "k", "2"), IniFailure::UntrustedLink);
    EXPECT_EQ(Set(shared.Link("dangling.ini", dir.Path("made.ini"), SharedFolder::Planter), "a", "k", "2"),
              IniFailure::UntrustedLink);
    EXPECT_EQ(ReadFile(mine), "[a]\nk=1\n");
    EXPECT_FALSE(std::filesystem::exists(dir.Path("made.ini"))) << "a dangling link creates nothing";
    // Through a link of our own, a link of the folder's owner, or one in an ordinary folder.
    EXPECT_EQ(Set(shared.Link("ours.ini", mine, geteuid()), "a", "k", "2"), IniFailure::None);
    EXPECT_EQ(Set(shared.Link("owners.ini", mine, SharedFolder::Owner), "a", "k", "3"), IniFailure::None);
    const std::string elsewhere = dir.Path("elsewhere.ini");
    ASSERT_EQ(symlink(mine.c_str(), elsewhere.c_str()), 0);
    ASSERT_EQ(lchown(elsewhere.c_str(), SharedFolder::Planter, SharedFolder::Planter), 0);
    EXPECT_EQ(Set(elsewhere, "a", "k", "4"), IniFailure::None);
    EXPECT_EQ(ReadFile(mine), "[a]\nk=4\n");
    EXPECT_EQ(IniFailureText(IniFailure::UntrustedLink),
              "The path is a symbolic link that another user made in a shared folder");
}

// Another user replaces a file of theirs that we may write with a link, between our following
// of the path and our opening of it.
class LinkPlantedBeforeOpening : public FileOps {
public:
    LinkPlantedBeforeOpening(const SharedFolder& shared, std::string target) : shared_(shared), target_(std::move(target)) {}
    int Open(const char* path, int flags, mode_t mode) override {
        if (!planted_ && (flags & O_ACCMODE) == O_RDWR && path == shared_.Path("theirs.ini")) {
            unlink(path);
            planted_ = !shared_.Link("theirs.ini", target_, SharedFolder::Planter).empty();
        }
        return FileOps::Open(path, flags, mode);
    }

private:
    const SharedFolder& shared_;
    std::string target_;
    bool planted_ = false;
};

TEST(IniHardening, ALinkPlantedAfterThePathWasFollowedIsJudgedToo) {
    TempDir dir;
    SharedFolder shared(dir);
    if (!shared.Usable()) GTEST_SKIP() << "giving a folder to another user needs root";
    const std::string mine = dir.Write("app.ini", "[a]\nk=1\n");
    const std::string theirs = dir.Write("shared/theirs.ini", "[a]\nk=0\n");
    ASSERT_EQ(chown(theirs.c_str(), SharedFolder::Planter, SharedFolder::Planter), 0);
    ASSERT_EQ(chmod(theirs.c_str(), 0666), 0);
    LinkPlantedBeforeOpening ops(shared, mine);
    ScopedSeam seam(UseIniFileOps, &ops);
    EXPECT_EQ(Set(theirs, "a", "k", "2"), IniFailure::UntrustedLink);
    EXPECT_EQ(ReadFile(mine), "[a]\nk=1\n");
}

// Removing the saving name fails as it does in a sticky folder for another user's file.
class StickyFolder : public FileOps {
public:
    int Unlink(const char* path) override {
        if (std::string(path).ends_with(".a.ini.saving")) {
            errno = EPERM;
            return -1;
        }
        return FileOps::Unlink(path);
    }
};

TEST(IniHardening, AFilePlantedUnderTheSavingNameDoesNotStopSaves) {
    TempDir dir;
    const std::string path = dir.Write("a.ini", "[a]\nk=1\n");
    const std::string planted = dir.Write(".a.ini.saving", "planted");
    StickyFolder ops;
    ScopedSeam seam(UseIniFileOps, &ops);
    for (const std::string value : {"2", "3"}) {
        EXPECT_EQ(Set(path, "a", "k", value), IniFailure::None);
        EXPECT_EQ(ReadFile(path), "[a]\nk=" + value + "\n");
    }
    EXPECT_EQ(ReadFile(planted), "planted");
    EXPECT_EQ(dir.EntryCount(), 2u) << "the file and the planted one, nothing else";
}

}  // namespace
