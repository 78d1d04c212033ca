#include "platform/profile/profile_save.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

namespace {

// Leaves room for the dot and the six-letter suffix within a file-name length limit of 255.
constexpr std::size_t MaxBaseNameInTemporary = 200;

bool WriteAll(FileOps& ops, int fd, std::string_view bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ops.WriteAt(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

std::string FolderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string TemporaryTemplate(const std::string& path) {
    const std::string folder = FolderOf(path);
    const std::string base = path.substr(folder.size()).substr(0, MaxBaseNameInTemporary);
    return folder + "." + base + ".XXXXXX";
}

// Makes the rename itself durable.
void SyncFolder(const std::string& folder) {
    const int fd = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    fsync(fd);
    close(fd);
}

std::optional<FileStamp> StampOf(int fd) {
    struct stat status;
    if (fstat(fd, &status) != 0) return std::nullopt;
    return FileStamp::Of(status);
}

std::optional<FileStamp> SaveInPlace(const LockedFile& file, std::string_view bytes, FileOps& ops) {
    const int fd = file.Descriptor();
    if (!WriteAll(ops, fd, bytes) || ftruncate(fd, static_cast<off_t>(bytes.size())) != 0 ||
        ops.Sync(fd) != 0)
        return std::nullopt;
    return StampOf(fd);
}

// The temporary file is locked too, so that once renamed it is still ours until we are done.
std::optional<FileStamp> SaveByRename(const std::string& path, const LockedFile& file,
                                      std::string_view bytes, FileOps& ops, int fd,
                                      const std::string& temporary) {
    const struct stat& original = file.Status();
    if (original.st_uid != geteuid() || original.st_gid != getegid())
        (void)!fchown(fd, original.st_uid, original.st_gid);  // best effort: only root may
    std::optional<FileStamp> stamp;
    if (flock(fd, LOCK_EX) == 0 && fchmod(fd, original.st_mode & 07777) == 0 &&
        WriteAll(ops, fd, bytes) && ops.Sync(fd) == 0 &&
        ops.Rename(temporary.c_str(), path.c_str()) == 0) {
        SyncFolder(FolderOf(path));
        stamp = StampOf(fd);
    } else {
        unlink(temporary.c_str());
    }
    close(fd);
    return stamp;
}

bool FolderRefusesNewFiles(int error) { return error == EACCES || error == EPERM || error == EROFS; }

}  // namespace

std::optional<FileStamp> SaveLockedFile(const std::string& path, const LockedFile& file,
                                        std::string_view bytes, FileOps& ops) {
    if (file.Status().st_nlink > 1) return SaveInPlace(file, bytes, ops);
    std::string temporary = TemporaryTemplate(path);
    const int fd = ops.CreateTemporary(temporary.data());
    if (fd >= 0) return SaveByRename(path, file, bytes, ops, fd, temporary);
    if (FolderRefusesNewFiles(errno)) return SaveInPlace(file, bytes, ops);
    return std::nullopt;
}
