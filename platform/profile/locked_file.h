#pragma once
// An open file held under an advisory lock on the file itself (flock) until the guard goes.
// Writers of profile files, and readers that ask for a shared lock, wait for it or fail.
#include <sys/stat.h>

#include <optional>
#include <string>

#include "platform/profile/file_stamp.h"

class LockedFile {
public:
    enum class Mode { Shared, Exclusive };
    enum class Outcome { Locked, Missing, Failed };

    LockedFile() = default;
    LockedFile(const LockedFile&) = delete;
    LockedFile& operator=(const LockedFile&) = delete;
    ~LockedFile();

    // Opens and locks the file at path. When another writer replaced the file while we waited
    // for the lock, starts again on the new one, so the lock is always on the file at path.
    Outcome Open(const std::string& path, Mode mode);

    int Descriptor() const { return fd_; }
    const struct stat& Status() const { return status_; }
    FileStamp Stamp() const { return FileStamp::Of(status_); }
    // We may write it, and it has a write bit at all (which even root respects here).
    bool Writable() const { return writable_; }
    // The whole content; nothing when it cannot be read.
    std::optional<std::string> ReadAll() const;

private:
    std::optional<Outcome> TryOpen(const std::string& path, Mode mode);
    void Close();

    int fd_ = -1;
    struct stat status_ {};
    bool writable_ = false;
};

// The file a path finally names once its symbolic links are followed, even when that file does
// not exist yet: a write through a link goes to the link's target.
std::string FollowLinks(const std::string& path);
