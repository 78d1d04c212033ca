#pragma once
// A file kept open, unlocked, while content read from it is cached: as long as it is open its
// inode number cannot pass to another file, so a path whose stamp still matches names this
// very file, not a new one that got the freed number, the same size and a time within the
// same clock tick (as a program that saves by rename again and again soon makes).
#include <utility>

#include "engine/file_ops.h"

class HeldFile {
public:
    HeldFile() = default;
    HeldFile(FileOps& ops, int fd) : ops_(&ops), fd_(fd) {}
    HeldFile(HeldFile&& other) noexcept : ops_(other.ops_), fd_(std::exchange(other.fd_, -1)) {}
    HeldFile& operator=(HeldFile&& other) noexcept {
        if (this != &other) {
            Close();
            ops_ = other.ops_;
            fd_ = std::exchange(other.fd_, -1);
        }
        return *this;
    }
    ~HeldFile() { Close(); }

    bool Holds() const { return fd_ >= 0; }

private:
    void Close() {
        if (fd_ >= 0) ops_->Close(fd_);
        fd_ = -1;
    }

    FileOps* ops_ = nullptr;
    int fd_ = -1;
};
