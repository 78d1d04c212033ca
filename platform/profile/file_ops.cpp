#include "platform/profile/file_ops.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

int FileOps::CreateTemporary(char* pathTemplate) { return mkostemp(pathTemplate, O_CLOEXEC); }

ssize_t FileOps::WriteAt(int fd, const char* data, std::size_t size, off_t offset) {
    return pwrite(fd, data, size, offset);
}

int FileOps::Sync(int fd) { return fsync(fd); }

int FileOps::Rename(const char* from, const char* to) { return rename(from, to); }

FileOps& SystemFileOps() {
    static FileOps ops;
    return ops;
}
