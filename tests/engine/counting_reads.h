#pragma once
// The real file-system calls of the INI engine, counting the reads of file content.
#include "engine/file_ops.h"

class CountingReads : public FileOps {
public:
    ssize_t ReadAt(int fd, char* data, std::size_t size, off_t offset) override {
        ++reads;
        return FileOps::ReadAt(fd, data, size, offset);
    }
    int reads = 0;
};
