#pragma once
// The file-system calls a save makes. Tests stand in their own to make one fail, write short,
// or stop the process between two of them.
#include <sys/types.h>

#include <cstddef>

class FileOps {
public:
    virtual ~FileOps() = default;
    // Like mkstemp: fills in the trailing XXXXXX; the open descriptor, or -1 with errno set.
    virtual int CreateTemporary(char* pathTemplate);
    // Like pwrite: may write fewer bytes than asked.
    virtual ssize_t WriteAt(int fd, const char* data, std::size_t size, off_t offset);
    virtual int Sync(int fd);
    virtual int Rename(const char* from, const char* to);
};

// The real calls.
FileOps& SystemFileOps();
