#include "platform/file_access.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace {
// Writers take an exclusive lock. Only a conflicting lock counts: a file system without lock
// support must still be readable.
bool LockedByWriter(int fd) { return flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK; }
}  // namespace

TFileHandle OpenFileForReading(const std::string& path) {
    // Non-blocking, so that a pipe without a writer cannot hang the caller.
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return InvalidFileHandle;
    struct stat st {};
    if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode) || LockedByWriter(fd)) {
        close(fd);
        return InvalidFileHandle;
    }
    return fd;
}

std::int64_t FileSeek(TFileHandle handle, std::int64_t offset, TSeekOrigin origin) {
    const int whence = origin == TSeekOrigin::Beginning ? SEEK_SET
                       : origin == TSeekOrigin::Current ? SEEK_CUR
                                                        : SEEK_END;
    return lseek(handle, offset, whence);
}

std::int64_t FileRead(TFileHandle handle, void* buffer, std::int64_t count) {
    auto* at = static_cast<char*>(buffer);
    std::int64_t done = 0;
    // read() delivers at most about 2 GiB per call and may stop early on a signal.
    while (done < count) {
        const ssize_t n = read(handle, at + done, static_cast<size_t>(count - done));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return done > 0 ? done : -1;
        if (n == 0) break;
        done += n;
    }
    return done;
}

void FileClose(TFileHandle handle) { close(handle); }
