#pragma once
// The real file-system calls of the INI engine, counting how often a file's status
// is asked for: how often the cache is checked against the disk.
#include "engine/file_ops.h"

class CountingStatus : public FileOps {
public:
    int Status(const char* path, struct stat* status) override {
        ++calls;
        return FileOps::Status(path, status);
    }
    int calls = 0;
};
