#pragma once
// Files in memory behind the engine's file-system seam, with a clock of its own, so that the
// fuzzer can run the whole store (cache, locks, saves) fast and make any call fail, or stop
// the "process" at any call and look at what a crash there would leave on disk.
#include <cerrno>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "engine/file_ops.h"

class MemoryFileOps : public FileOps {
public:
    // Every file lives in this folder.
    static constexpr const char* Folder = "/mem/";

    struct Inode {
        std::string bytes;
        mode_t mode = 0644;
        std::uint64_t number = 0;
        std::int64_t modified = 0;
        int links = 0;
    };
    // What a crash at some call would leave: the name of every file and its bytes.
    using Disk = std::map<std::string, std::string>;

    MemoryFileOps() = default;
    explicit MemoryFileOps(const Disk& disk);

    // Another program's doing, outside the seam.
    void Put(const std::string& path, std::string bytes);
    void Link(const std::string& existing, const std::string& path);
    std::optional<std::string> Bytes(const std::string& path) const;
    Disk Names() const;

    // The next calls fail or stop: counting every call from now on, the one numbered `call`
    // fails with `error`; or, with `crash`, the disk as it is then is kept and the call fails.
    // A call number below 0 forgets the last plan and what it did.
    void FailCall(int call, int error, bool crash);
    void HoldLock(bool held) { lockHeld_ = held; }
    void StopFailing() { failAt_ = -1; }
    const std::optional<Disk>& DiskAtCrash() const { return crashed_; }
    bool FailureHappened() const { return failed_; }

    int Open(const char* path, int flags, mode_t mode) override;
    int Close(int fd) override;
    int Lock(int fd, int operation) override;
    int Status(const char* path, struct stat* status) override;
    int LinkStatus(const char* path, struct stat* status) override;
    int StatusOf(int fd, struct stat* status) override;
    ssize_t ReadLink(const char* path, char* buffer, std::size_t size) override;
    ssize_t ReadAt(int fd, char* data, std::size_t size, off_t offset) override;
    ssize_t WriteAt(int fd, const char* data, std::size_t size, off_t offset) override;
    int Reserve(int fd, off_t offset, off_t length) override;
    int Truncate(int fd, off_t length) override;
    int Sync(int fd) override;
    int StartWriteback(int, off_t, off_t) override { return 0; }
    int SyncFolder(const char* folder) override;
    int CreateUnnamed(const char* folder, mode_t mode) override;
    int LinkUnnamed(int fd, const char* path) override;
    int Rename(const char* from, const char* to) override;
    // As a file system that cannot swap names: saves look before they rename.
    int Exchange(const char*, const char*) override { return Error(EINVAL); }
    int Unlink(const char* path) override;
    int ChangeMode(int fd, mode_t mode) override;
    int ChangeOwner(int fd, uid_t owner, gid_t group) override;
    // Files have no extended attributes or ACLs here; asking can still fail.
    ssize_t ListAttributes(int fd, char* names, std::size_t size) override;
    ssize_t GetAttribute(int fd, const char* name, void* value, std::size_t size) override;
    int SetAttribute(int fd, const char* name, const void* value, std::size_t size) override;
    int CopyAccessAcl(int from, int to) override;
    Clock::time_point Now() override { return Clock::time_point(std::chrono::milliseconds(clock_)); }
    void Pause(std::chrono::milliseconds duration) override { clock_ += duration.count(); }

private:
    struct OpenFile {
        std::shared_ptr<Inode> inode;
        bool writable;
    };

    static int Error(int error) {
        errno = error;
        return -1;
    }
    // True when this call is the one to fail; errno is set.
    bool Fails();
    std::shared_ptr<Inode> NewInode(mode_t mode);
    void Touch(Inode& inode) { inode.modified = ++tick_; }
    Inode* Writable(int fd);
    static void Fill(const Inode& inode, struct stat* status);

    std::map<std::string, std::shared_ptr<Inode>> names_;
    std::map<int, OpenFile> open_;
    int nextFd_ = 3;
    std::uint64_t nextInode_ = 1;
    std::int64_t tick_ = 1000000000;
    std::int64_t clock_ = 0;
    int calls_ = 0;
    int failAt_ = -1;
    int error_ = 0;
    bool crash_ = false;
    bool failed_ = false;
    bool lockHeld_ = false;
    std::optional<Disk> crashed_;
};
