#include "engine/ini_store.h"

#include <fcntl.h>

#include <cerrno>

#include "link_target.h"
#include "locked_file.h"
#include "ini_save.h"

namespace {

// A document can be as large as its file; a few are enough for the files a user works on.
constexpr std::size_t MaxCachedFiles = 4;
constexpr int MaxWriteAttempts = 100;
// Times an edit is done again on the file another program put in its place while we saved.
constexpr int MaxRedos = 10;

const IniDocument& EmptyDocument() {
    static const IniDocument empty;
    return empty;
}

IniDocument Parse(std::string bytes, TCodePage codePage) {
    return IniDocument(std::move(bytes), LeadTable::ForCodePage(codePage));
}

IniResult Failed(IniFailure failure, int error = 0) { return IniResult{failure, error, {}}; }

}  // namespace

IniStore::Entry* IniStore::Find(std::string_view path) {
    for (auto it = entries_.begin(); it != entries_.end(); ++it) {
        if (it->path != path) continue;
        entries_.splice(entries_.begin(), entries_, it);
        return &entries_.front();
    }
    return nullptr;
}

IniStore::Entry* IniStore::Current(std::string_view path, const FileStamp& stamp, TCodePage codePage,
                                           IniDocument& room) {
    Entry* entry = Find(path);
    if (!entry) return nullptr;
    if (entry->stamp != stamp) {
        room = std::move(entry->document);
        Forget(path);
        return nullptr;
    }
    if (entry->codePage != codePage) {
        std::string bytes = std::move(entry->document).TakeBytes();
        entry->document.Load(std::move(bytes), LeadTable::ForCodePage(codePage));
        entry->codePage = codePage;
    }
    return entry;
}

IniStore::Entry& IniStore::Remember(std::string_view path, const FileStamp& stamp, TCodePage codePage,
                                            std::string bytes, IniDocument room, HeldFile held) {
    Forget(path);
    if (entries_.size() >= MaxCachedFiles) entries_.pop_back();
    room.Load(std::move(bytes), LeadTable::ForCodePage(codePage));
    entries_.push_front(Entry{std::string(path), stamp, codePage, std::move(room), 0, std::move(held)});
    return entries_.front();
}

FileStamp IniStore::StampNow(std::string_view path) {
    struct stat status;
    const std::string name(path);
    if (path.empty() || ops_->Status(name.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) return {};
    return FileStamp::Of(status);
}

FileStamp IniStore::CachedStamp(std::string_view path) {
    const Entry* entry = Find(path);
    return entry ? entry->stamp : FileStamp{};
}

void IniStore::Forget(std::string_view path) {
    entries_.remove_if([&](const Entry& entry) { return entry.path == path; });
}

const IniDocument& IniStore::Document(std::string_view pathView, TCodePage codePage) {
    if (pathView.empty()) return EmptyDocument();
    if (Entry* entry = Find(pathView);
        entry && batchDepth_ > 0 && entry->checkedInBatch == batch_ && entry->codePage == codePage)
        return entry->document;
    const std::string path(pathView);
    struct stat status;
    FileStamp now;
    if (ops_->Status(path.c_str(), &status) == 0) {
        if (!S_ISREG(status.st_mode)) return EmptyDocument();
        now = FileStamp::Of(status);
    }
    IniDocument room;
    if (Entry* entry = Current(path, now, codePage, room)) {
        Checked(*entry);
        return entry->document;
    }
    std::string bytes = room.TakeRoom();
    Entry* entry = nullptr;
    if (!now.exists) {
        entry = &Remember(path, now, codePage, {});
    } else {
        // A lock that another program keeps delays the read, and then it goes ahead without.
        LockedFile file(*ops_);
        const LockedFile::Outcome outcome = file.Open(path, LockedFile::Mode::Shared, ops_->Now() + lockWait_);
        if (outcome == LockedFile::Outcome::Missing) {
            entry = &Remember(path, FileStamp{}, codePage, {});
        } else if (outcome != LockedFile::Outcome::Failed) {
            if (!file.ReadAll(bytes)) return EmptyDocument();
            entry = &Remember(path, file.Stamp(), codePage, std::move(bytes), std::move(room), file.Release());
        } else {
            return EmptyDocument();
        }
    }
    Checked(*entry);
    return entry->document;
}

IniResult IniStore::Apply(std::string_view pathView, TCodePage codePage, std::span<const Edit> edits) {
    if (pathView.empty()) return Failed(IniFailure::SystemError, ENOENT);
    const std::string path(pathView);
    const FileOps::Clock::time_point deadline = ops_->Now() + lockWait_;
    int redos = 0;
    for (int attempt = 0; attempt < MaxWriteAttempts; ++attempt) {
        const LinkTarget target = FollowLinks(*ops_, path);
        if (target.failure != IniFailure::None) return Failed(target.failure);
        LockedFile file(*ops_);
        const LockedFile::Outcome outcome = file.Open(target.path, LockedFile::Mode::Exclusive, deadline);
        if (outcome == LockedFile::Outcome::Failed) return Failed(file.Failure(), file.SystemError());
        if (outcome == LockedFile::Outcome::TimedOut) return Failed(IniFailure::Locked);
        if (outcome == LockedFile::Outcome::Link) continue;
        if (outcome == LockedFile::Outcome::Missing) {
            // Create the file only for an edit that puts something in it; then edit it as any other.
            IniDocument empty = Parse({}, codePage);
            EditRecord change;
            const EditResult result = RunEdits(empty, edits, change);
            if (result == EditResult::Refused) return Failed(empty.Refusal());
            if (result == EditResult::Unchanged) return {};
            const int fd = ops_->Open(target.path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (fd >= 0)
                ops_->Close(fd);
            else if (errno != EEXIST)  // another writer made it first: as good
                return Failed(FailureOfSystemError(errno), errno);
            continue;
        }
        IniDocument room;
        Entry* entry = Current(path, file.Stamp(), codePage, room);
        if (!entry) {
            std::string bytes = room.TakeRoom();
            if (!file.ReadAll(bytes))
                return Failed(file.Status().st_size > static_cast<off_t>(IniDocument::MaxSize)
                                  ? IniFailure::TooLarge : FailureOfSystemError(errno), errno);
            entry = &Remember(path, file.Stamp(), codePage, std::move(bytes), std::move(room));
        }
        Checked(*entry);
        EditRecord change;
        const EditResult result = RunEdits(entry->document, edits, change);
        if (result == EditResult::Refused) {
            const IniFailure refusal = entry->document.Refusal();
            if (change.Empty())
                entry->held = file.Release();
            else
                Forget(path);  // it holds the edits before the refused one
            return Failed(refusal);
        }
        if (result == EditResult::Unchanged) {
            entry->held = file.Release();
            return {};
        }
        // From here on the cached document holds the edits: keep it only once it is on disk.
        IniResult done{IniFailure::None, 0, std::move(change)};
        if (file.WriteRefusal() != IniFailure::None) {
            Forget(path);
            return Failed(file.WriteRefusal());
        }
        SaveResult saved = SaveLockedFile(target.path, file, entry->document.Bytes(), done.change, *ops_);
        if (!saved.stamp) {
            Forget(path);
            if (saved.failure == IniFailure::ChangedMeanwhile && redos++ < MaxRedos) continue;
            return Failed(saved.failure, saved.systemError);
        }
        entry->stamp = *saved.stamp;
        entry->held = saved.renamed.Holds() ? std::move(saved.renamed) : file.Release();
        return done;
    }
    return Failed(IniFailure::Locked);
}

void IniStore::Flush(std::string_view path) {
    Entry* entry = Find(path);
    if (!entry || (batchDepth_ > 0 && entry->checkedInBatch == batch_)) return;
    struct stat status;
    const std::string name(path);
    const FileStamp now = ops_->Status(name.c_str(), &status) == 0 ? FileStamp::Of(status) : FileStamp{};
    if (entry->stamp != now) Forget(path);
}

void IniStore::BeginBatch() {
    if (batchDepth_++ == 0) ++batch_;
}

void IniStore::EndBatch() {
    if (batchDepth_ > 0) --batchDepth_;
}
