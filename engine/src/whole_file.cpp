#include "engine/whole_file.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <ctime>

WholeRead ReadWholeFile(const ReadAt& readAt, std::size_t size, std::size_t maxSize, std::string& bytes,
                        const WholeReadSteps& steps) {
    if (size > maxSize) return WholeRead::TooLarge;
    // Room to grow, so that an edit does not move the whole file to a new place in memory; a
    // room that holds the file already is used as it is. Bytes already there (the room of the
    // file's last read) are read over, not cleared first.
    if (bytes.capacity() < size) bytes.reserve(size + size / 64 + 4096);
    bytes.resize(size);
    const std::size_t stepBytes = steps.stepBytes > 0 ? steps.stepBytes : size;
    std::size_t got = 0;
    while (got < size) {
        const ssize_t n = readAt(bytes.data() + got, std::min(stepBytes, size - got), static_cast<off_t>(got));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            bytes.resize(got);
            // A file that shrank meanwhile delivers less: only what was read counts.
            return n == 0 ? WholeRead::Read : WholeRead::Failed;
        }
        got += static_cast<std::size_t>(n);
        if (steps.goOn && !steps.goOn(got, size)) {
            bytes.resize(got);
            return WholeRead::Stopped;
        }
    }
    // A file that grew since its size was taken is read on to its end.
    char more[4096];
    for (;;) {
        const ssize_t n = readAt(more, sizeof more, static_cast<off_t>(bytes.size()));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return WholeRead::Failed;
        if (n == 0) return WholeRead::Read;
        if (bytes.size() + static_cast<std::size_t>(n) > maxSize) return WholeRead::TooLarge;
        bytes.append(more, static_cast<std::size_t>(n));
    }
}

ReadMark MarkRead(int fd) {
    ReadMark mark;
    timespec now{};
    clock_gettime(CLOCK_REALTIME_COARSE, &now);
    mark.began = static_cast<std::int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
    struct stat status;
    if (fstat(fd, &status) == 0 && S_ISREG(status.st_mode)) mark.stamp = FileStamp::Of(status);
    return mark;
}

bool SettledBefore(const ReadMark& mark) {
    return mark.stamp.exists && mark.stamp.modified < mark.began && mark.stamp.changed < mark.began;
}
