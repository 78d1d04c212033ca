#pragma once
// What tells one state of a file from another without reading it: which file the path names,
// its size, and when its content and its inode last changed, to the nanosecond.
#include <sys/stat.h>

#include <cstdint>

struct FileStamp {
    bool exists = false;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = 0;
    std::int64_t modified = 0;  // nanoseconds
    std::int64_t changed = 0;   // nanoseconds

    static FileStamp Of(const struct stat& status) {
        const auto nanoseconds = [](const timespec& t) {
            return static_cast<std::int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec;
        };
        return FileStamp{true, status.st_dev, status.st_ino, status.st_size,
                         nanoseconds(status.st_mtim), nanoseconds(status.st_ctim)};
    }

    bool operator==(const FileStamp&) const = default;
};
