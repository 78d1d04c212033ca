#include "platform/profile/locked_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

namespace {

constexpr int MaxLinkHops = 40;

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

int OpenForMode(const std::string& path, LockedFile::Mode mode, bool& writable) {
    writable = false;
    if (mode == LockedFile::Mode::Exclusive) {
        const int fd = open(path.c_str(), O_RDWR | O_CLOEXEC);
        if (fd >= 0) {
            writable = true;
            return fd;
        }
        if (errno != EACCES && errno != EPERM && errno != EROFS) return -1;
    }
    return open(path.c_str(), O_RDONLY | O_CLOEXEC);
}

}  // namespace

LockedFile::~LockedFile() { Close(); }

void LockedFile::Close() {
    if (fd_ >= 0) close(fd_);  // releases the lock
    fd_ = -1;
}

// No limit on rounds: each one waits on the lock of a writer that replaced the file, so this
// ends as soon as no one else is writing it. A busy writer may make us wait; it cannot make
// our write fail.
LockedFile::Outcome LockedFile::Open(const std::string& path, Mode mode) {
    for (;;)
        if (const auto outcome = TryOpen(path, mode)) return *outcome;
}

// Nothing when the path named another file by the time we held the lock.
std::optional<LockedFile::Outcome> LockedFile::TryOpen(const std::string& path, Mode mode) {
    Close();
    bool openedForWriting = false;
    fd_ = OpenForMode(path, mode, openedForWriting);
    if (fd_ < 0) return errno == ENOENT ? Outcome::Missing : Outcome::Failed;
    int rc;
    do rc = flock(fd_, mode == Mode::Exclusive ? LOCK_EX : LOCK_SH);
    while (rc != 0 && errno == EINTR);
    if (rc != 0 || fstat(fd_, &status_) != 0 || !S_ISREG(status_.st_mode)) {
        Close();
        return Outcome::Failed;
    }
    struct stat atPath;
    if (stat(path.c_str(), &atPath) != 0 || !SameFile(atPath, status_)) {
        Close();
        return std::nullopt;
    }
    writable_ = openedForWriting && access(path.c_str(), W_OK) == 0 && (status_.st_mode & 0222) != 0;
    return Outcome::Locked;
}

std::optional<std::string> LockedFile::ReadAll() const {
    // One byte more than the size, so that a file of the size it had is read in one call, and
    // room to grow, so that an edit does not move the whole file to a new place in memory.
    const auto size = static_cast<std::size_t>(status_.st_size);
    std::string bytes;
    bytes.reserve(size + size / 64 + 4096);
    bytes.resize(size + 1);
    std::size_t got = 0;
    for (;;) {
        if (got == bytes.size()) bytes.resize(bytes.size() * 2);
        const ssize_t n = pread(fd_, bytes.data() + got, bytes.size() - got, static_cast<off_t>(got));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return std::nullopt;
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    bytes.resize(got);
    return bytes;
}

std::string FollowLinks(const std::string& path) {
    std::string current = path;
    for (int hop = 0; hop < MaxLinkHops; ++hop) {
        struct stat status;
        if (lstat(current.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) return current;
        char target[PATH_MAX];
        const ssize_t length = readlink(current.c_str(), target, sizeof target);
        if (length <= 0 || length == static_cast<ssize_t>(sizeof target)) return current;
        const std::string link(target, static_cast<std::size_t>(length));
        if (link.front() == '/') {
            current = link;
        } else {
            const auto slash = current.rfind('/');
            current = (slash == std::string::npos ? std::string() : current.substr(0, slash + 1)) + link;
        }
    }
    return current;
}
