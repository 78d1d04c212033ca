#include "engine/ini_store.h"

#include <fcntl.h>
#include <sys/file.h>

#include <cerrno>
#include <optional>

#include "link_target.h"
#include "locked_file.h"
#include "encoding/code_page.h"
#include "ini_save.h"
#include "utf16_text.h"

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

// The code page of the text a document holds: a UTF-16 file's is UTF-8.
TCodePage TextCodePage(TCodePage codePage) { return IsUtf16(codePage) ? TCodePage::Utf8 : codePage; }

LeadTable LeadOf(TCodePage codePage) { return LeadTable::ForCodePage(TextCodePage(codePage)); }

IniDocument Parse(std::string bytes, TCodePage codePage) { return IniDocument(std::move(bytes), LeadOf(codePage)); }

// Saves the edited document; a UTF-16 file's change is put in its units first, which refuses
// a change that touches the parts that do not decode.
SaveResult SaveEdited(const std::string& path, const LockedFile& file, const IniDocument& document,
                      Utf16Layout* utf16, const EditRecord& change, FileOps& ops) {
    if (!utf16) return SaveLockedFile(path, file, document.Bytes(), change, ops);
    EditRecord fileChange;
    if (const IniFailure refusal = utf16->Follow(change, document.Bytes(), fileChange); refusal != IniFailure::None)
        return SaveResult{std::nullopt, refusal, 0, {}};
    return SaveLockedFile(path, file, utf16->Bytes(), fileChange, ops);
}

IniResult Failed(IniFailure failure, int error = 0) { return IniResult{failure, error, {}, {}}; }

}  // namespace

std::string IniStore::Room::TakeReadBuffer() { return utf16 ? utf16->TakeBytes() : document.TakeRoom(); }

IniStore::Entry* IniStore::Find(std::string_view path) {
    for (auto it = entries_.begin(); it != entries_.end(); ++it) {
        if (it->path != path) continue;
        entries_.splice(entries_.begin(), entries_, it);
        return &entries_.front();
    }
    return nullptr;
}

IniStore::Entry* IniStore::Current(std::string_view path, const FileStamp& stamp, TCodePage codePage,
                                           Room& room) {
    Entry* entry = Find(path);
    if (!entry) return nullptr;
    if (entry->stamp != stamp) {
        room = Room{std::move(entry->document), std::move(entry->utf16)};
        Forget(path);
        return nullptr;
    }
    // The text of a UTF-16 file is no longer the file's bytes: it is read again.
    if (entry->codePage != codePage && (IsUtf16(entry->codePage) || IsUtf16(codePage))) {
        room = Room{std::move(entry->document), std::move(entry->utf16)};
        Forget(path);
        return nullptr;
    }
    if (entry->codePage != codePage) {
        std::string bytes = std::move(entry->document).TakeBytes();
        entry->document.Load(std::move(bytes), LeadOf(codePage));
        entry->codePage = codePage;
    }
    return entry;
}

IniStore::Entry& IniStore::Remember(std::string_view path, const FileStamp& stamp, TCodePage codePage,
                                            std::string bytes, Room room, HeldFile held) {
    Forget(path);
    if (entries_.size() >= MaxCachedFiles) entries_.pop_back();
    std::shared_ptr<Utf16Layout> utf16;
    if (IsUtf16(codePage)) {
        utf16 = room.utf16 ? std::move(room.utf16) : std::make_shared<Utf16Layout>();
        bytes = utf16->Read(std::move(bytes), codePage == TCodePage::Utf16Be, room.document.TakeRoom());
    }
    room.document.Load(std::move(bytes), LeadOf(codePage));
    entries_.push_front(Entry{std::string(path), stamp, codePage, std::move(room.document), 0, std::move(held), std::move(utf16)});
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
    Room room;
    if (Entry* entry = Current(path, now, codePage, room)) {
        Checked(*entry);
        return entry->document;
    }
    std::string bytes = room.TakeReadBuffer();
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
    std::optional<FileStamp> found;
    IniResult result = ApplyLocked(pathView, codePage, edits, found);
    result.stampBefore = found.value_or(FileStamp{});
    return result;
}

IniResult IniStore::ApplyLocked(std::string_view pathView, TCodePage codePage, std::span<const Edit> edits,
                                std::optional<FileStamp>& found) {
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
        if (!found) found = outcome == LockedFile::Outcome::Missing ? FileStamp{} : file.Stamp();
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
        Room room;
        Entry* entry = Current(path, file.Stamp(), codePage, room);
        if (!entry) {
            std::string bytes = room.TakeReadBuffer();
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
        IniResult done{IniFailure::None, 0, std::move(change), {}};
        if (file.WriteRefusal() != IniFailure::None) {
            Forget(path);
            return Failed(file.WriteRefusal());
        }
        SaveResult saved = SaveEdited(target.path, file, entry->document, entry->utf16.get(), done.change, *ops_);
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

void IniStore::Adopt(std::string_view pathView, TCodePage codePage, std::string bytes, const ReadMark& mark) {
    if (pathView.empty() || !SettledBefore(mark) || bytes.size() > IniDocument::MaxSize ||
        static_cast<std::int64_t>(bytes.size()) != mark.stamp.size)
        return;
    const std::string path(pathView);
    const int fd = ops_->Open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return;
    HeldFile held(*ops_, fd);
    struct stat status;
    if (ops_->StatusOf(fd, &status) != 0 || FileStamp::Of(status) != mark.stamp) return;
    // A writer at work when the bytes were read may have left them half written.
    if (ops_->Lock(fd, LOCK_SH | LOCK_NB) != 0) return;
    (void)ops_->Lock(fd, LOCK_UN);
    Remember(path, mark.stamp, codePage, std::move(bytes), Room{IniDocument(), nullptr}, std::move(held));
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
