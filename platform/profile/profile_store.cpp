#include "platform/profile/profile_store.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/code_page.h"
#include "platform/profile/locked_file.h"
#include "platform/profile/profile_save.h"

namespace {

// A document can be as large as its file; a few are enough for the files a user works on.
constexpr std::size_t MaxCachedFiles = 4;
constexpr int MaxWriteAttempts = 100;

const IniDocument& EmptyDocument() {
    static const IniDocument empty;
    return empty;
}

IniDocument Parse(std::string bytes) {
    return IniDocument(std::move(bytes), LeadTable::ForCodePage(AnsiCodePage()));
}

// Another writer may create it first: that is as good.
bool CreateEmptyFile(const std::string& path) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return errno == EEXIST;
    close(fd);
    return true;
}

}  // namespace

ProfileStore::Entry* ProfileStore::Find(std::string_view path, const FileStamp& stamp) {
    for (auto it = entries_.begin(); it != entries_.end(); ++it) {
        if (it->path != path) continue;
        if (it->stamp != stamp || it->codePage != AnsiCodePage()) {
            entries_.erase(it);
            return nullptr;
        }
        entries_.splice(entries_.begin(), entries_, it);
        return &entries_.front();
    }
    return nullptr;
}

ProfileStore::Entry& ProfileStore::Remember(std::string_view path, const FileStamp& stamp,
                                            std::string bytes) {
    Forget(path);
    if (entries_.size() >= MaxCachedFiles) entries_.pop_back();
    entries_.push_front(Entry{std::string(path), stamp, AnsiCodePage(), Parse(std::move(bytes))});
    return entries_.front();
}

void ProfileStore::Forget(std::string_view path) {
    entries_.remove_if([&](const Entry& entry) { return entry.path == path; });
}

const IniDocument& ProfileStore::Document(const char* path) {
    if (!path) return EmptyDocument();
    const FileStamp now = FileStamp::OfPath(path);
    if (Entry* entry = Find(path, now)) return entry->document;
    if (!now.exists) return Remember(path, now, {}).document;
    LockedFile file;
    const LockedFile::Outcome outcome = file.Open(path, LockedFile::Mode::Shared);
    if (outcome == LockedFile::Outcome::Missing) return Remember(path, FileStamp{}, {}).document;
    std::optional<std::string> bytes;
    if (outcome == LockedFile::Outcome::Locked) bytes = file.ReadAll();
    if (!bytes) return EmptyDocument();
    return Remember(path, file.Stamp(), std::move(*bytes)).document;
}

bool ProfileStore::Apply(const char* path, const Edit& edit) {
    const std::string target = FollowLinks(path);
    for (int attempt = 0; attempt < MaxWriteAttempts; ++attempt) {
        LockedFile file;
        const LockedFile::Outcome outcome = file.Open(target, LockedFile::Mode::Exclusive);
        if (outcome == LockedFile::Outcome::Failed) return false;
        if (outcome == LockedFile::Outcome::Missing) {
            // Create the file only for an edit that puts something in it; then edit it as any other.
            IniDocument empty = Parse({});
            const EditResult result = edit(empty);
            if (result != EditResult::Changed) return result == EditResult::Unchanged;
            if (!CreateEmptyFile(target)) return false;
            continue;
        }
        Entry* entry = Find(path, file.Stamp());
        if (!entry) {
            std::optional<std::string> bytes = file.ReadAll();
            if (!bytes) return false;
            entry = &Remember(path, file.Stamp(), std::move(*bytes));
        }
        const EditResult result = edit(entry->document);
        if (result != EditResult::Changed) return result == EditResult::Unchanged;
        // From here on the cached document holds the edit: keep it only once it is on disk.
        const std::optional<FileStamp> saved =
            file.Writable() ? SaveLockedFile(target, file, entry->document.Bytes(), *ops_) : std::nullopt;
        if (!saved) {
            Forget(path);
            return false;
        }
        entry->stamp = *saved;
        return true;
    }
    return false;
}

void ProfileStore::Flush(const char* path) {
    if (!path) {
        entries_.clear();
        return;
    }
    Find(path, FileStamp::OfPath(path));
}
