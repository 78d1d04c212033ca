#include "platform/profile/profile_save.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace {

// Leaves room for the dot and the suffix within a file-name length limit of 255.
constexpr std::size_t MaxBaseNameInTemporary = 200;
// Small beside a large file, large beside the calls it takes.
constexpr std::size_t WritebackStep = std::size_t(4) << 20;

SaveResult Failure(int error) { return SaveResult{std::nullopt, FailureOfSystemError(error), error}; }

// 0, or the errno of the write that failed. A large file goes in steps, the disk starting on
// each while the next is copied, so that the flush after it has little left to wait for.
int WriteAll(FileOps& ops, int fd, std::string_view bytes, std::size_t offset) {
    std::size_t done = 0;
    std::size_t writtenBack = 0;
    while (done < bytes.size()) {
        const std::size_t step = std::min(bytes.size() - done, WritebackStep);
        const ssize_t n = ops.WriteAt(fd, bytes.data() + done, step, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return errno;
        if (n == 0) return EIO;
        done += static_cast<std::size_t>(n);
        if (done - writtenBack >= WritebackStep && done < bytes.size()) {
            (void)ops.StartWriteback(fd, static_cast<off_t>(offset + writtenBack), static_cast<off_t>(done - writtenBack));
            writtenBack = done;
        }
    }
    return 0;
}

std::string FolderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

SaveResult StampOf(FileOps& ops, int fd) {
    struct stat status;
    if (ops.StatusOf(fd, &status) != 0) return Failure(errno);
    return SaveResult{FileStamp::Of(status)};
}

// The file's old bytes from the first changed one on, rebuilt from the new bytes and the change.
std::string OldTail(std::string_view bytes, const EditRecord& change) {
    std::string old;
    std::ptrdiff_t growth = 0;
    for (std::size_t i = 0; i < change.spans.size(); ++i) {
        const ByteSpan& span = change.spans[i];
        const auto at = static_cast<std::size_t>(static_cast<std::ptrdiff_t>(span.offset) + growth);
        growth += static_cast<std::ptrdiff_t>(span.after.size()) - static_cast<std::ptrdiff_t>(span.before.size());
        const std::size_t end = at + span.after.size();
        const std::size_t next = i + 1 < change.spans.size()
            ? static_cast<std::size_t>(static_cast<std::ptrdiff_t>(change.spans[i + 1].offset) + growth)
            : bytes.size();
        old.append(span.before).append(bytes.substr(end, next - end));
    }
    return old;
}

// 0, or the errno of the step that failed.
int WriteTail(FileOps& ops, int fd, std::string_view tail, std::size_t from) {
    if (const int error = WriteAll(ops, fd, tail, from)) return error;
    if (ops.Truncate(fd, static_cast<off_t>(from + tail.size())) != 0) return errno;
    return ops.Sync(fd) == 0 ? 0 : errno;
}

// Only the bytes from the first change on are written. The room a longer file needs is taken
// before anything is written, so that a full disk refuses the save with the file untouched.
SaveResult SaveInPlace(const LockedFile& file, std::string_view bytes, const EditRecord& change, FileOps& ops) {
    const int fd = file.Descriptor();
    const auto oldSize = static_cast<std::size_t>(file.Status().st_size);
    const std::size_t from = change.spans.front().offset;
    if (bytes.size() > oldSize) {
        if (const int error = ops.Reserve(fd, static_cast<off_t>(oldSize), static_cast<off_t>(bytes.size() - oldSize))) {
            (void)ops.Truncate(fd, static_cast<off_t>(oldSize));
            return Failure(error);
        }
    }
    if (const int error = WriteTail(ops, fd, bytes.substr(from), from)) {
        (void)WriteTail(ops, fd, OldTail(bytes, change), from);
        return Failure(error);
    }
    return StampOf(ops, fd);
}

// Writes, flushes and names the new content, then renames it over the file. 0 when renamed;
// otherwise the errno of the step that failed, with the new content gone again.
int SaveByRename(const std::string& path, const LockedFile& file, std::string_view bytes, FileOps& ops,
                 int fd, const std::string& saving, bool named) {
    const struct stat& original = file.Status();
    if (original.st_uid != geteuid() || original.st_gid != getegid())
        (void)ops.ChangeOwner(fd, original.st_uid, original.st_gid);  // best effort: only root may
    // Locked too, so that once renamed it is still ours until we are done.
    int error = 0;
    if (ops.Lock(fd, LOCK_EX) != 0 || ops.ChangeMode(fd, original.st_mode & 07777) != 0) error = errno;
    if (!error) error = WriteAll(ops, fd, bytes, 0);
    if (!error && ops.Sync(fd) != 0) error = errno;
    if (!error && !named) {
        if (ops.LinkUnnamed(fd, saving.c_str()) != 0) return errno;
        named = true;
    }
    if (!error && ops.Rename(saving.c_str(), path.c_str()) != 0) error = errno;
    if (error && named) ops.Unlink(saving.c_str());
    return error;
}

bool FolderRefusesNewFiles(int error) { return error == EACCES || error == EPERM || error == EROFS; }

// The rename cannot put a file where another is mounted, or across file systems.
bool RenameCannotReplace(int error) { return error == EBUSY || error == EXDEV; }

bool UnnamedFilesUnsupported(int error) { return error == EOPNOTSUPP || error == EISDIR || error == EINVAL; }

}  // namespace

std::string SavingName(const std::string& path) {
    const std::string folder = FolderOf(path);
    const std::string base = path.substr(folder.size()).substr(0, MaxBaseNameInTemporary);
    return folder + "." + base + ".saving";
}

SaveResult SaveLockedFile(const std::string& path, const LockedFile& file, std::string_view bytes,
                          const EditRecord& change, FileOps& ops) {
    if (change.Empty()) return StampOf(ops, file.Descriptor());
    if (file.Status().st_nlink > 1) return SaveInPlace(file, bytes, change, ops);
    const std::string saving = SavingName(path);
    (void)ops.Unlink(saving.c_str());  // left by a save that was killed
    const std::string folder = FolderOf(path);
    bool named = false;
    int fd = ops.CreateUnnamed(folder.empty() ? "." : folder.c_str(), 0600);
    if (fd < 0 && UnnamedFilesUnsupported(errno)) {
        fd = ops.Open(saving.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        named = true;
    }
    if (fd < 0) return FolderRefusesNewFiles(errno) ? SaveInPlace(file, bytes, change, ops) : Failure(errno);
    const int error = SaveByRename(path, file, bytes, ops, fd, saving, named);
    if (error) {
        ops.Close(fd);
        return RenameCannotReplace(error) ? SaveInPlace(file, bytes, change, ops) : Failure(error);
    }
    (void)ops.SyncFolder(folder.empty() ? "." : folder.c_str());  // makes the rename itself durable
    SaveResult saved = StampOf(ops, fd);
    ops.Close(fd);
    return saved;
}
