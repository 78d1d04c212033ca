#include "ini_save.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <random>
#include <utility>

#include "file_metadata.h"

namespace {

// Leaves room for the dot and the suffix within a file-name length limit of 255.
constexpr std::size_t MaxBaseNameInTemporary = 200;
// Small beside a large file, large beside the calls it takes.
constexpr std::size_t WritebackStep = std::size_t(4) << 20;
// Names nobody can guess, tried for the new content when its own name is held.
constexpr int UnguessableNameTries = 8;
constexpr std::size_t UnguessableLetters = 12;

SaveResult Failure(int error) { return SaveResult{std::nullopt, FailureOfSystemError(error), error, {}}; }

SaveResult ChangedMeanwhile() { return SaveResult{std::nullopt, IniFailure::ChangedMeanwhile, 0, {}}; }

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

std::string FolderToOpen(const std::string& path) {
    const std::string folder = FolderOf(path);
    return folder.empty() ? "." : folder;
}

// The name a save gives its new content before the rename, with `middle` before the suffix.
std::string NameBeside(const std::string& path, std::string_view middle) {
    const std::string folder = FolderOf(path);
    const std::string base = path.substr(folder.size()).substr(0, MaxBaseNameInTemporary);
    return folder + "." + base + std::string(middle) + ".saving";
}

std::string UnguessableSavingName(const std::string& path) {
    static constexpr char Letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device random;
    std::uniform_int_distribution<std::size_t> pick(0, sizeof Letters - 2);
    std::string middle = ".";
    for (std::size_t i = 0; i < UnguessableLetters; ++i) middle += Letters[pick(random)];
    return NameBeside(path, middle);
}

// Makes the new content's name through make(name), which fails with EEXIST when the name is
// taken: its own name, cleared of what a killed save left there, so that a crash leaves
// nothing behind for long; where a file we may not remove holds it (another user's, in a
// sticky folder), a name nobody can guess. The name made, or nothing with errno set.
template <typename Make>
std::optional<std::string> MakeSavingName(FileOps& ops, const std::string& path, Make make) {
    std::string name = SavingName(path);
    (void)ops.Unlink(name.c_str());
    for (int tries = 0; make(name) != 0; ++tries) {
        if (errno != EEXIST || tries == UnguessableNameTries) return std::nullopt;
        name = UnguessableSavingName(path);
    }
    return name;
}

// Whether path still names the file that was locked and read, unchanged: another program
// that saves by renaming a file of its own over it, or writes it without taking the lock,
// would lose its change to ours.
bool StillAtPath(const std::string& path, const LockedFile& file, FileOps& ops) {
    struct stat now;
    return ops.LinkStatus(path.c_str(), &now) == 0 && FileStamp::Of(now) == file.Stamp();
}

SaveResult StampOf(FileOps& ops, int fd) {
    struct stat status;
    if (ops.StatusOf(fd, &status) != 0) return Failure(errno);
    return SaveResult{FileStamp::Of(status), IniFailure::None, 0, {}};
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

bool FolderRefusesNewFiles(int error) { return error == EACCES || error == EPERM || error == EROFS; }

// The rename cannot put a file where another is mounted, or across file systems.
bool RenameCannotReplace(int error) { return error == EBUSY || error == EXDEV; }

bool UnnamedFilesUnsupported(int error) { return error == EOPNOTSUPP || error == EISDIR || error == EINVAL; }

struct Replacement {
    bool changedMeanwhile = false;
    int error = 0;
};

bool ExchangeUnsupported(int error) { return error == EINVAL || error == ENOSYS || error == ENOTSUP; }

// The new content's file until it replaces the old one: closed when done with, and its name,
// once it has one, removed unless it took the old one's place.
class NewFile {
public:
    NewFile(FileOps& ops, const std::string& path) : ops_(ops), path_(path) {}
    NewFile(const NewFile&) = delete;
    NewFile& operator=(const NewFile&) = delete;
    ~NewFile() {
        if (name_) ops_.Unlink(name_->c_str());
        if (fd_ >= 0) ops_.Close(fd_);
    }

    // False with errno set when the folder takes no new file.
    bool Create() {
        fd_ = ops_.CreateUnnamed(FolderToOpen(path_).c_str(), 0600);
        if (fd_ >= 0 || !UnnamedFilesUnsupported(errno)) return fd_ >= 0;
        name_ = MakeSavingName(ops_, path_, [&](const std::string& name) {
            fd_ = ops_.Open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
            return fd_ < 0 ? -1 : 0;
        });
        return name_.has_value();
    }
    bool Name() {
        if (!name_) name_ = MakeSavingName(ops_, path_, [&](const std::string& name) { return ops_.LinkUnnamed(fd_, name.c_str()); });
        return name_.has_value();
    }
    // Puts the new file at path in place of the locked one, unless another program put a file
    // of its own there since it was read. A look right before the rename sees that; where
    // names can be swapped, the file swapped out is looked at too and swapped back when it is
    // not the locked one, so that a rename by another program between the look and ours is
    // not lost either (its readers may see ours for that moment).
    Replacement Replace(const LockedFile& file) {
        if (!StillAtPath(path_, file, ops_)) return {true};
        if (ops_.Exchange(name_->c_str(), path_.c_str()) != 0) {
            if (errno == ENOENT) return {true};  // the file is gone
            if (!ExchangeUnsupported(errno)) return {false, errno};
            if (ops_.Rename(name_->c_str(), path_.c_str()) != 0) return {false, errno};
            return Replaced();
        }
        if (IsLockedFile(*name_, file)) {
            (void)ops_.Unlink(name_->c_str());
            return Replaced();
        }
        // On failure both stay: ours at path, the other's under our name.
        if (ops_.Exchange(name_->c_str(), path_.c_str()) != 0) {
            name_.reset();
            return {false, errno};
        }
        return {true};
    }
    int Descriptor() const { return fd_; }
    HeldFile Release() {
        (void)ops_.Lock(fd_, LOCK_UN);
        return HeldFile(ops_, std::exchange(fd_, -1));
    }

private:
    Replacement Replaced() {
        name_.reset();
        (void)ops_.SyncFolder(FolderToOpen(path_).c_str());  // makes the replacement itself durable
        return {};
    }

    // Whether the file at name is the locked one, its content untouched since it was read: the
    // same file (held open, its number cannot pass to another), size and modification time
    // (being renamed changes its change time).
    bool IsLockedFile(const std::string& name, const LockedFile& file) {
        struct stat atName, now;
        if (ops_.LinkStatus(name.c_str(), &atName) != 0 || ops_.StatusOf(file.Descriptor(), &now) != 0) return false;
        const FileStamp swappedOut = FileStamp::Of(atName), locked = FileStamp::Of(now), then = file.Stamp();
        return swappedOut.device == then.device && swappedOut.inode == then.inode && locked.size == then.size &&
               locked.modified == then.modified;
    }

    FileOps& ops_;
    const std::string& path_;
    int fd_ = -1;
    std::optional<std::string> name_;  // while it names the new file
};

// Gives the new file what the old one has beside its bytes (or, where it cannot take that,
// saves in place after all), writes, flushes and names it, and renames it over the file.
SaveResult SaveByRename(const LockedFile& file, std::string_view bytes, const EditRecord& change, FileOps& ops,
                        NewFile& saved) {
    const int fd = saved.Descriptor();
    // Locked too, so that once renamed it is still ours until we are done.
    if (ops.Lock(fd, LOCK_EX) != 0) return Failure(errno);
    if (!CopyMetadata(ops, file.Descriptor(), file.Status(), fd)) return SaveInPlace(file, bytes, change, ops);
    if (const int error = WriteAll(ops, fd, bytes, 0)) return Failure(error);
    if (ops.Sync(fd) != 0) return Failure(errno);
    if (!saved.Name()) return Failure(errno);
    const Replacement replaced = saved.Replace(file);
    if (replaced.changedMeanwhile) return ChangedMeanwhile();
    if (replaced.error) return RenameCannotReplace(replaced.error) ? SaveInPlace(file, bytes, change, ops) : Failure(replaced.error);
    SaveResult done = StampOf(ops, fd);
    if (done.stamp) done.renamed = saved.Release();
    return done;
}

}  // namespace

std::string SavingName(const std::string& path) { return NameBeside(path, ""); }

SaveResult SaveLockedFile(const std::string& path, const LockedFile& file, std::string_view bytes,
                          const EditRecord& change, FileOps& ops) {
    if (change.Empty()) return StampOf(ops, file.Descriptor());
    if (!StillAtPath(path, file, ops)) return ChangedMeanwhile();
    if (file.Status().st_nlink > 1) return SaveInPlace(file, bytes, change, ops);
    NewFile saved(ops, path);
    if (!saved.Create()) return FolderRefusesNewFiles(errno) ? SaveInPlace(file, bytes, change, ops) : Failure(errno);
    return SaveByRename(file, bytes, change, ops, saved);
}

