#include "fuzz/memory_file_ops.h"

#include <fcntl.h>
#include <sys/file.h>

#include <algorithm>
#include <cstring>

namespace {

bool IsFolder(const char* path) { return std::strcmp(path, "/mem") == 0 || std::strcmp(path, MemoryFileOps::Folder) == 0; }

}  // namespace

MemoryFileOps::MemoryFileOps(const Disk& disk) {
    for (const auto& [path, bytes] : disk) Put(path, bytes);
}

std::shared_ptr<MemoryFileOps::Inode> MemoryFileOps::NewInode(mode_t mode) {
    auto inode = std::make_shared<Inode>();
    inode->mode = mode;
    inode->number = nextInode_++;
    Touch(*inode);
    return inode;
}

void MemoryFileOps::Put(const std::string& path, std::string bytes) {
    auto& inode = names_[path];
    if (!inode) {
        inode = NewInode(0644);
        inode->links = 1;
    }
    inode->bytes = std::move(bytes);
    Touch(*inode);
}

void MemoryFileOps::Link(const std::string& existing, const std::string& path) {
    auto inode = names_.at(existing);
    ++inode->links;
    names_[path] = inode;
}

std::optional<std::string> MemoryFileOps::Bytes(const std::string& path) const {
    const auto found = names_.find(path);
    return found == names_.end() ? std::nullopt : std::optional<std::string>(found->second->bytes);
}

MemoryFileOps::Disk MemoryFileOps::Names() const {
    Disk disk;
    for (const auto& [path, inode] : names_) disk[path] = inode->bytes;
    return disk;
}

void MemoryFileOps::FailCall(int call, int error, bool crash) {
    calls_ = 0;
    failAt_ = call;
    error_ = error;
    crash_ = crash;
    failed_ = false;
    crashed_.reset();
}

bool MemoryFileOps::Fails() {
    if (calls_++ != failAt_) return false;
    failed_ = true;
    if (crash_) crashed_ = Names();
    errno = crash_ ? EIO : error_;
    return true;
}

void MemoryFileOps::Fill(const Inode& inode, struct stat* status) {
    *status = {};
    status->st_mode = S_IFREG | inode.mode;
    status->st_ino = inode.number;
    status->st_dev = 1;
    status->st_nlink = static_cast<nlink_t>(inode.links);
    status->st_size = static_cast<off_t>(inode.bytes.size());
    status->st_uid = geteuid();
    status->st_gid = getegid();
    status->st_mtim = {static_cast<time_t>(inode.modified / 1000000000), static_cast<long>(inode.modified % 1000000000)};
    status->st_ctim = status->st_mtim;
}

MemoryFileOps::Inode* MemoryFileOps::Writable(int fd) {
    const auto found = open_.find(fd);
    if (found == open_.end()) return nullptr;
    return found->second.writable ? found->second.inode.get() : nullptr;
}

int MemoryFileOps::Open(const char* path, int flags, mode_t mode) {
    if (Fails()) return -1;
    if (IsFolder(path)) return Error(EISDIR);
    auto found = names_.find(path);
    if (found == names_.end()) {
        if (!(flags & O_CREAT)) return Error(ENOENT);
        auto inode = NewInode(mode & 07777);
        inode->links = 1;
        found = names_.emplace(path, inode).first;
    } else if ((flags & O_CREAT) && (flags & O_EXCL)) {
        return Error(EEXIST);
    }
    const bool writable = (flags & O_ACCMODE) != O_RDONLY;
    open_[nextFd_] = OpenFile{found->second, writable};
    return nextFd_++;
}

int MemoryFileOps::Close(int fd) { return open_.erase(fd) ? 0 : Error(EBADF); }

int MemoryFileOps::Lock(int fd, int) {
    if (Fails()) return -1;
    if (!open_.count(fd)) return Error(EBADF);
    return lockHeld_ ? Error(EWOULDBLOCK) : 0;
}

int MemoryFileOps::Status(const char* path, struct stat* status) {
    if (IsFolder(path)) {
        *status = {};
        status->st_mode = S_IFDIR | 0755;
        return 0;
    }
    const auto found = names_.find(path);
    if (found == names_.end()) return Error(ENOENT);
    Fill(*found->second, status);
    return 0;
}

int MemoryFileOps::LinkStatus(const char* path, struct stat* status) { return Status(path, status); }

int MemoryFileOps::StatusOf(int fd, struct stat* status) {
    const auto found = open_.find(fd);
    if (found == open_.end()) return Error(EBADF);
    Fill(*found->second.inode, status);
    return 0;
}

ssize_t MemoryFileOps::ReadLink(const char*, char*, std::size_t) { return Error(EINVAL); }

ssize_t MemoryFileOps::ReadAt(int fd, char* data, std::size_t size, off_t offset) {
    const auto found = open_.find(fd);
    if (found == open_.end()) return Error(EBADF);
    const std::string& bytes = found->second.inode->bytes;
    if (static_cast<std::size_t>(offset) >= bytes.size()) return 0;
    const std::size_t count = std::min(size, bytes.size() - static_cast<std::size_t>(offset));
    std::memcpy(data, bytes.data() + offset, count);
    return static_cast<ssize_t>(count);
}

// Writes at most 4 KiB at a time, as a real file system may.
ssize_t MemoryFileOps::WriteAt(int fd, const char* data, std::size_t size, off_t offset) {
    if (Fails()) return -1;
    Inode* inode = Writable(fd);
    if (!inode) return Error(EBADF);
    const std::size_t count = std::min<std::size_t>(size, 4096);
    const auto at = static_cast<std::size_t>(offset);
    if (inode->bytes.size() < at + count) inode->bytes.resize(at + count, '\0');
    std::memcpy(inode->bytes.data() + at, data, count);
    Touch(*inode);
    return static_cast<ssize_t>(count);
}

int MemoryFileOps::Reserve(int fd, off_t offset, off_t length) {
    if (Fails()) return errno;
    Inode* inode = Writable(fd);
    if (!inode) return EBADF;
    const auto end = static_cast<std::size_t>(offset + length);
    if (inode->bytes.size() < end) inode->bytes.resize(end, '\0');
    Touch(*inode);
    return 0;
}

int MemoryFileOps::Truncate(int fd, off_t length) {
    if (Fails()) return -1;
    Inode* inode = Writable(fd);
    if (!inode) return Error(EBADF);
    inode->bytes.resize(static_cast<std::size_t>(length), '\0');
    Touch(*inode);
    return 0;
}

int MemoryFileOps::Sync(int fd) {
    if (Fails()) return -1;
    return open_.count(fd) ? 0 : Error(EBADF);
}

int MemoryFileOps::SyncFolder(const char*) { return Fails() ? -1 : 0; }

int MemoryFileOps::CreateUnnamed(const char* folder, mode_t mode) {
    if (Fails()) return -1;
    if (!IsFolder(folder)) return Error(ENOENT);
    open_[nextFd_] = OpenFile{NewInode(mode & 07777), true};
    return nextFd_++;
}

int MemoryFileOps::LinkUnnamed(int fd, const char* path) {
    if (Fails()) return -1;
    const auto found = open_.find(fd);
    if (found == open_.end()) return Error(EBADF);
    if (names_.count(path)) return Error(EEXIST);
    ++found->second.inode->links;
    names_[path] = found->second.inode;
    return 0;
}

int MemoryFileOps::Rename(const char* from, const char* to) {
    if (Fails()) return -1;
    const auto found = names_.find(from);
    if (found == names_.end()) return Error(ENOENT);
    auto inode = found->second;
    names_.erase(found);
    if (const auto replaced = names_.find(to); replaced != names_.end()) --replaced->second->links;
    names_[to] = inode;
    return 0;
}

int MemoryFileOps::Unlink(const char* path) {
    if (Fails()) return -1;
    const auto found = names_.find(path);
    if (found == names_.end()) return Error(ENOENT);
    --found->second->links;
    names_.erase(found);
    return 0;
}

int MemoryFileOps::ChangeMode(int fd, mode_t mode) {
    if (Fails()) return -1;
    const auto found = open_.find(fd);
    if (found == open_.end()) return Error(EBADF);
    found->second.inode->mode = mode & 07777;
    return 0;
}

int MemoryFileOps::ChangeOwner(int, uid_t, gid_t) { return Fails() ? -1 : 0; }

ssize_t MemoryFileOps::ListAttributes(int fd, char*, std::size_t) {
    if (Fails()) return -1;
    return open_.count(fd) ? 0 : Error(EBADF);
}

ssize_t MemoryFileOps::GetAttribute(int, const char*, void*, std::size_t) { return Error(ENODATA); }

int MemoryFileOps::SetAttribute(int, const char*, const void*, std::size_t) { return Error(ENOTSUP); }

int MemoryFileOps::CopyAccessAcl(int from, int to) {
    if (Fails()) return -1;
    return open_.count(from) && open_.count(to) ? 0 : Error(EBADF);
}
