#include "engine/file_ops.h"

#include <acl/libacl.h>
#include <fcntl.h>
#include <sys/acl.h>
#include <sys/file.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <string>
#include <thread>

namespace {

// 1 when the file's access ACL says more than its mode bits, 0 when not or when the file
// system has no ACLs, -1 on failure.
int HasExtendedAcl(int fd) {
    const int extended = acl_extended_fd(fd);
    return extended < 0 && errno == ENOTSUP ? 0 : extended;
}

}  // namespace

int FileOps::Open(const char* path, int flags, mode_t mode) { return open(path, flags, mode); }

int FileOps::Close(int fd) { return close(fd); }

int FileOps::Lock(int fd, int operation) { return flock(fd, operation); }

int FileOps::Status(const char* path, struct stat* status) { return stat(path, status); }

int FileOps::LinkStatus(const char* path, struct stat* status) { return lstat(path, status); }

int FileOps::StatusOf(int fd, struct stat* status) { return fstat(fd, status); }

ssize_t FileOps::ReadLink(const char* path, char* buffer, std::size_t size) { return readlink(path, buffer, size); }

int FileOps::Access(const char* path, int mode) { return access(path, mode); }

ssize_t FileOps::ReadAt(int fd, char* data, std::size_t size, off_t offset) { return pread(fd, data, size, offset); }

ssize_t FileOps::WriteAt(int fd, const char* data, std::size_t size, off_t offset) {
    return pwrite(fd, data, size, offset);
}

int FileOps::Reserve(int fd, off_t offset, off_t length) { return posix_fallocate(fd, offset, length); }

int FileOps::Truncate(int fd, off_t length) { return ftruncate(fd, length); }

int FileOps::Sync(int fd) { return fsync(fd); }

int FileOps::StartWriteback(int fd, off_t offset, off_t length) {
    return sync_file_range(fd, offset, length, SYNC_FILE_RANGE_WRITE);
}

int FileOps::SyncFolder(const char* folder) {
    const int fd = open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return -1;
    const int result = fsync(fd);
    close(fd);
    return result;
}

int FileOps::CreateUnnamed(const char* folder, mode_t mode) {
    return open(folder, O_TMPFILE | O_RDWR | O_CLOEXEC, mode);
}

// Linking by descriptor needs a privilege; through /proc it needs none.
int FileOps::LinkUnnamed(int fd, const char* path) {
    if (linkat(fd, "", AT_FDCWD, path, AT_EMPTY_PATH) == 0) return 0;
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    return linkat(AT_FDCWD, self.c_str(), AT_FDCWD, path, AT_SYMLINK_FOLLOW);
}

int FileOps::Rename(const char* from, const char* to) { return rename(from, to); }

int FileOps::Exchange(const char* one, const char* other) {
    return renameat2(AT_FDCWD, one, AT_FDCWD, other, RENAME_EXCHANGE);
}

int FileOps::Unlink(const char* path) { return unlink(path); }

int FileOps::ChangeMode(int fd, mode_t mode) { return fchmod(fd, mode); }

int FileOps::ChangeOwner(int fd, uid_t owner, gid_t group) { return fchown(fd, owner, group); }

ssize_t FileOps::ListAttributes(int fd, char* names, std::size_t size) { return flistxattr(fd, names, size); }

ssize_t FileOps::GetAttribute(int fd, const char* name, void* value, std::size_t size) {
    return fgetxattr(fd, name, value, size);
}

int FileOps::SetAttribute(int fd, const char* name, const void* value, std::size_t size) {
    return fsetxattr(fd, name, value, size, 0);
}

int FileOps::CopyAccessAcl(int from, int to) {
    const int fromExtended = HasExtendedAcl(from);
    const int toExtended = fromExtended == 0 ? HasExtendedAcl(to) : 0;
    if (fromExtended < 0 || toExtended < 0) return -1;
    if (fromExtended == 0 && toExtended == 0) return 0;
    // Also when only `to` has one (inherited from its folder's default ACL): that goes.
    const acl_t acl = acl_get_fd(from);
    if (!acl) return -1;
    const int result = acl_set_fd(to, acl);
    const int error = errno;
    acl_free(acl);
    errno = error;
    return result;
}

FileOps::Clock::time_point FileOps::Now() { return Clock::now(); }

void FileOps::Pause(std::chrono::milliseconds duration) { std::this_thread::sleep_for(duration); }

FileOps& SystemFileOps() {
    static FileOps ops;
    return ops;
}
