#pragma once
// An open regular file held under an advisory lock on the file itself (flock) until the guard
// goes. Writers of profile files, and readers that ask for a shared lock, wait for it a
// bounded time.
#include <sys/stat.h>

#include <optional>
#include <string>

#include "engine/file_ops.h"
#include "engine/file_stamp.h"
#include "engine/held_file.h"
#include "engine/ini_failure.h"

class LockedFile {
public:
    enum class Mode { Shared, Exclusive };
    enum class Outcome {
        Locked,
        Missing,
        Link,      // Exclusive: path is a symbolic link (made since its links were followed)
        TimedOut,  // another program held the lock until the deadline; the file is open unlocked
        Failed,    // see Failure()
    };

    explicit LockedFile(FileOps& ops) : ops_(ops) {}
    LockedFile(const LockedFile&) = delete;
    LockedFile& operator=(const LockedFile&) = delete;
    ~LockedFile();

    // Opens and locks the regular file at path, never blocking on a pipe or device. When
    // another writer replaced the file while we waited for the lock, starts again on the new
    // one, so the lock is always on the file at path. Exclusive opens are for writes, whose
    // path has its links followed already: they follow none.
    Outcome Open(const std::string& path, Mode mode, FileOps::Clock::time_point deadline);

    int Descriptor() const { return fd_; }
    const struct stat& Status() const { return status_; }
    FileStamp Stamp() const { return FileStamp::Of(status_); }
    // Why Open failed.
    IniFailure Failure() const { return failure_; }
    int SystemError() const { return systemError_; }
    // Why an exclusively opened file must not be written, or None: we may not write it, or it
    // has no write bit at all (which even root respects here).
    IniFailure WriteRefusal() const { return writeRefusal_; }
    // Gives up the lock but keeps the file open, handed to the caller; the guard holds nothing
    // after.
    HeldFile Release();
    // The whole content, read into bytes, whose room is used again; false when it cannot be
    // read or is too large to handle.
    bool ReadAll(std::string& bytes) const;

private:
    std::optional<Outcome> TryOpen(const std::string& path, Mode mode, FileOps::Clock::time_point deadline);
    Outcome Fail(IniFailure failure, int error);
    bool WaitForLock(int operation, FileOps::Clock::time_point deadline);
    void Close();

    FileOps& ops_;
    int fd_ = -1;
    struct stat status_ {};
    IniFailure failure_ = IniFailure::None;
    int systemError_ = 0;
    IniFailure writeRefusal_ = IniFailure::None;
};
