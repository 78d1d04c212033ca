#pragma once
// The operating-system calls behind reading, locking and saving profile files. Each behaves
// like the POSIX call it names: -1 (or an error number where that call returns one) with
// errno set on failure. Tests and the fuzzer stand in their own to make one fail, write
// short, stop the process between two of them, or keep whole files in memory.
#include <sys/stat.h>
#include <sys/types.h>

#include <chrono>
#include <cstddef>

class FileOps {
public:
    using Clock = std::chrono::steady_clock;

    virtual ~FileOps() = default;

    virtual int Open(const char* path, int flags, mode_t mode = 0);
    virtual int Close(int fd);
    virtual int Lock(int fd, int operation);  // flock
    virtual int Status(const char* path, struct stat* status);      // stat
    virtual int LinkStatus(const char* path, struct stat* status);  // lstat
    virtual int StatusOf(int fd, struct stat* status);             // fstat
    virtual ssize_t ReadLink(const char* path, char* buffer, std::size_t size);
    virtual int Access(const char* path, int mode);
    virtual ssize_t ReadAt(int fd, char* data, std::size_t size, off_t offset);
    // May write fewer bytes than asked.
    virtual ssize_t WriteAt(int fd, const char* data, std::size_t size, off_t offset);
    // Like posix_fallocate: 0, or the error number.
    virtual int Reserve(int fd, off_t offset, off_t length);
    virtual int Truncate(int fd, off_t length);
    virtual int Sync(int fd);
    // Starts writing a range of the file to disk without waiting (sync_file_range): a hint.
    virtual int StartWriteback(int fd, off_t offset, off_t length);
    virtual int SyncFolder(const char* folder);
    // A file in folder that has no name until LinkUnnamed gives it one (O_TMPFILE).
    virtual int CreateUnnamed(const char* folder, mode_t mode);
    virtual int LinkUnnamed(int fd, const char* path);
    virtual int Rename(const char* from, const char* to);
    // Swaps two names at once (renameat2 with RENAME_EXCHANGE); EINVAL where the file system
    // cannot.
    virtual int Exchange(const char* one, const char* other);
    virtual int Unlink(const char* path);
    virtual int ChangeMode(int fd, mode_t mode);
    virtual int ChangeOwner(int fd, uid_t owner, gid_t group);
    // Extended attributes: flistxattr, fgetxattr, fsetxattr (flags 0).
    virtual ssize_t ListAttributes(int fd, char* names, std::size_t size);
    virtual ssize_t GetAttribute(int fd, const char* name, void* value, std::size_t size);
    virtual int SetAttribute(int fd, const char* name, const void* value, std::size_t size);
    // Gives `to` the access ACL of `from` (libacl) when either has entries beyond its mode
    // bits; 0 when there was nothing to copy.
    virtual int CopyAccessAcl(int from, int to);
    // Waiting for another program's lock.
    virtual Clock::time_point Now();
    virtual void Pause(std::chrono::milliseconds duration);
};

// The real calls.
FileOps& SystemFileOps();
