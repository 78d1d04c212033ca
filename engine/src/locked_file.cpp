#include "locked_file.h"

#include <fcntl.h>
#include <sys/file.h>

#include <algorithm>
#include <cerrno>
#include <utility>

#include "engine/ini_document.h"
#include "engine/whole_file.h"
#include "engine/write_access.h"

namespace {

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace

LockedFile::~LockedFile() { Close(); }

void LockedFile::Close() {
    if (fd_ >= 0) ops_.Close(fd_);  // releases the lock
    fd_ = -1;
}

HeldFile LockedFile::Release() {
    if (fd_ < 0) return {};
    (void)ops_.Lock(fd_, LOCK_UN);
    return HeldFile(ops_, std::exchange(fd_, -1));
}

LockedFile::Outcome LockedFile::Fail(IniFailure failure, int error) {
    Close();
    failure_ = failure;
    systemError_ = error;
    return Outcome::Failed;
}

// Each round waits on the lock of a writer that replaced the file; the deadline bounds them all.
LockedFile::Outcome LockedFile::Open(const std::string& path, Mode mode, FileOps::Clock::time_point deadline) {
    for (;;)
        if (const auto outcome = TryOpen(path, mode, deadline)) return *outcome;
}

// Nothing when the path named another file by the time we held the lock.
std::optional<LockedFile::Outcome> LockedFile::TryOpen(const std::string& path, Mode mode,
                                                       FileOps::Clock::time_point deadline) {
    Close();
    // A write goes to a path whose links were followed already: a link there now, made since,
    // is not followed here but handed back to be followed (and judged) again.
    const bool followLinks = mode == Mode::Shared;
    const auto statusAtPath = [&](struct stat* status) {
        return followLinks ? ops_.Status(path.c_str(), status) : ops_.LinkStatus(path.c_str(), status);
    };
    const auto openFailed = [&](int error) {
        if (error == ENOENT) return Outcome::Missing;
        if (error == ELOOP && !followLinks) return Outcome::Link;
        return Fail(FailureOfSystemError(error), error);
    };
    struct stat atPath;
    if (statusAtPath(&atPath) != 0) return openFailed(errno);
    if (S_ISLNK(atPath.st_mode)) return Outcome::Link;
    // A pipe would block the open, a device could act on it: neither is opened.
    if (!S_ISREG(atPath.st_mode)) return Fail(IniFailure::NotRegularFile, 0);
    const int flags = O_CLOEXEC | O_NOCTTY | O_NONBLOCK | (followLinks ? 0 : O_NOFOLLOW);
    writeRefusal_ = IniFailure::None;
    fd_ = mode == Mode::Exclusive ? ops_.Open(path.c_str(), O_RDWR | flags) : -1;
    if (fd_ < 0) {
        if (mode == Mode::Exclusive) {
            if (!RefusesWriting(errno)) return openFailed(errno);
            writeRefusal_ = FailureOfSystemError(errno);
        }
        fd_ = ops_.Open(path.c_str(), O_RDONLY | flags);
        if (fd_ < 0) return openFailed(errno);
    }
    if (ops_.StatusOf(fd_, &status_) != 0) return Fail(FailureOfSystemError(errno), errno);
    if (!S_ISREG(status_.st_mode)) return Fail(IniFailure::NotRegularFile, 0);
    const bool locked = WaitForLock(mode == Mode::Exclusive ? LOCK_EX : LOCK_SH, deadline);
    if (!locked && failure_ != IniFailure::None) return Fail(failure_, systemError_);
    if (ops_.StatusOf(fd_, &status_) != 0) return Fail(FailureOfSystemError(errno), errno);
    if (statusAtPath(&atPath) != 0 || !SameFile(atPath, status_)) {
        if (FileOps::Clock::time_point now = ops_.Now(); now >= deadline) return Outcome::TimedOut;
        return std::nullopt;
    }
    if (writeRefusal_ == IniFailure::None) writeRefusal_ = WriteRefusalOfMode(status_.st_mode);
    return locked ? Outcome::Locked : Outcome::TimedOut;
}

// Polls, so that a lock another program keeps cannot hold us past the deadline.
bool LockedFile::WaitForLock(int operation, FileOps::Clock::time_point deadline) {
    failure_ = IniFailure::None;
    auto pause = std::chrono::milliseconds(1);
    for (;;) {
        if (ops_.Lock(fd_, operation | LOCK_NB) == 0) return true;
        if (errno == EINTR) continue;
        if (errno != EWOULDBLOCK) {
            failure_ = FailureOfSystemError(errno);
            systemError_ = errno;
            return false;
        }
        if (ops_.Now() >= deadline) return false;
        ops_.Pause(pause);
        pause = std::min(pause * 2, std::chrono::milliseconds(50));
    }
}

bool LockedFile::ReadAll(std::string& bytes) const {
    const ReadAt readAt = [this](char* into, std::size_t count, off_t offset) {
        return ops_.ReadAt(fd_, into, count, offset);
    };
    return ReadWholeFile(readAt, static_cast<std::size_t>(status_.st_size), IniDocument::MaxSize, bytes) ==
           WholeRead::Read;
}
