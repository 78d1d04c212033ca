#include "platform/profile/profile_service.h"

#include <algorithm>
#include <cstring>
#include <mutex>

#include "platform/profile/file_ops.h"
#include "platform/profile/profile_store.h"

namespace {

ProfileService* standIn = nullptr;

// The cache is shared; every call takes it for its whole step.
std::mutex& StoreMutex() {
    static std::mutex mutex;
    return mutex;
}

ProfileStore& Store() {
    static ProfileStore store;
    return store;
}

const IniDocument& DocumentOf(ProfileFile file) { return Store().Document(file.path, file.codePage); }

ProfileResult Apply(ProfileFile file, const ProfileStore::Edit& edit) {
    return Store().Apply(file.path, file.codePage, edit);
}

std::size_t CopyValue(std::string_view value, char* buffer, std::size_t size, std::size_t* needed) {
    if (needed) *needed = value.size() + 1;
    if (size == 0) return 0;
    const std::size_t count = std::min(value.size(), size - 1);
    std::memcpy(buffer, value.data(), count);
    buffer[count] = '\0';
    return count;
}

// Names one after another, each ending in a zero, and one zero more.
std::size_t CopyList(const std::vector<std::string_view>& names, char* buffer, std::size_t size,
                     std::size_t* needed) {
    std::size_t total = 0;
    for (std::string_view name : names) total += name.size() + 1;
    if (needed) *needed = total + 1;
    if (size < 2) {
        if (size == 1) buffer[0] = '\0';
        return 0;
    }
    const std::size_t room = std::min(total, size - 2);
    std::size_t at = 0;
    for (std::string_view name : names) {
        if (at >= room) break;
        const std::size_t count = std::min(name.size(), room - at);
        std::memcpy(buffer + at, name.data(), count);
        at += count;
        if (at < room) buffer[at++] = '\0';
    }
    buffer[room] = '\0';
    buffer[room + 1] = '\0';
    return total <= size - 1 ? total : room;
}

std::vector<std::string> Copies(const std::vector<std::string_view>& views) {
    return std::vector<std::string>(views.begin(), views.end());
}

std::vector<std::string> Copies(const std::optional<std::vector<std::string_view>>& views) {
    return views ? Copies(*views) : std::vector<std::string>();
}

}  // namespace

std::size_t ProfileRead(const char* section, const char* key, const char* defaultValue, char* buffer,
                        std::size_t size, const char* path, int codePage, std::size_t* needed) {
    if (!buffer) size = 0;
    std::lock_guard lock(StoreMutex());
    const IniDocument& document = Store().Document(path ? path : "", codePage);
    if (!section) return CopyList(document.SectionNames(), buffer, size, needed);
    if (!key) return CopyList(document.KeyNames(section), buffer, size, needed);
    const auto value = document.Value(section, key);
    return CopyValue(value ? *value : std::string_view(defaultValue ? defaultValue : ""), buffer, size, needed);
}

bool ProfileWrite(const char* section, const char* key, const char* value, const char* path, int codePage) {
    std::lock_guard lock(StoreMutex());
    if (!section && !key && !value) {
        if (path)
            Store().Flush(path);
        else
            Store().FlushAll();
        return true;
    }
    if (!path || !section || (!key && value)) return false;
    return Store()
        .Apply(path, codePage,
               [&](IniDocument& document) {
                   if (!key) return document.RemoveSection(section);
                   if (!value) return document.RemoveKey(section, key);
                   return document.SetValue(section, key, value);
               })
        .Succeeded();
}

void UseProfileFileOps(FileOps* ops) {
    std::lock_guard lock(StoreMutex());
    Store().UseFileOps(ops ? *ops : SystemFileOps());
    Store().FlushAll();
}

void SetProfileLockWait(std::chrono::milliseconds wait) {
    std::lock_guard lock(StoreMutex());
    Store().SetLockWait(wait);
}

std::optional<std::string> ProfileService::Value(ProfileFile file, std::string_view section, std::string_view key) {
    std::lock_guard lock(StoreMutex());
    const auto value = DocumentOf(file).Value(section, key);
    return value ? std::optional<std::string>(*value) : std::nullopt;
}

std::vector<std::string> ProfileService::SectionNames(ProfileFile file) {
    std::lock_guard lock(StoreMutex());
    return DocumentOf(file).SectionNames<std::string>();
}

NameList ProfileService::KeyNames(ProfileFile file, std::string_view section) {
    std::lock_guard lock(StoreMutex());
    return DocumentOf(file).KeyNameList(section);
}

ProfileList ProfileService::Sections(ProfileFile file) {
    std::lock_guard lock(StoreMutex());
    return DocumentOf(file).Sections();
}

ProfileList ProfileService::Keys(ProfileFile file, SectionRef section) {
    std::lock_guard lock(StoreMutex());
    return DocumentOf(file).Keys(section).value_or(ProfileList());
}

std::vector<std::string> ProfileService::Comments(ProfileFile file, SectionRef section) {
    std::lock_guard lock(StoreMutex());
    return Copies(DocumentOf(file).CommentsAbove(section));
}

std::vector<std::string> ProfileService::Comments(ProfileFile file, KeyRef key) {
    std::lock_guard lock(StoreMutex());
    return Copies(DocumentOf(file).CommentsAbove(key));
}

ProfileResult ProfileService::SetValue(ProfileFile file, std::string_view section, std::string_view key,
                                       std::string_view value) {
    std::lock_guard lock(StoreMutex());
    return Apply(file, [&](IniDocument& document) { return document.SetValue(section, key, value); });
}

ProfileResult ProfileService::RemoveKey(ProfileFile file, std::string_view section, std::string_view key) {
    std::lock_guard lock(StoreMutex());
    return Apply(file, [&](IniDocument& document) { return document.RemoveKey(section, key); });
}

ProfileResult ProfileService::RemoveSection(ProfileFile file, std::string_view section) {
    std::lock_guard lock(StoreMutex());
    return Apply(file, [&](IniDocument& document) { return document.RemoveSection(section); });
}

ProfileResult ProfileService::SetValueAt(ProfileFile file, KeyRef key, std::string_view shownValue,
                                         std::string_view value) {
    std::lock_guard lock(StoreMutex());
    return Apply(file, [&](IniDocument& document) { return document.SetValueAt(key, shownValue, value); });
}

ProfileResult ProfileService::RemoveKeyAt(ProfileFile file, KeyRef key, std::string_view shownValue) {
    std::lock_guard lock(StoreMutex());
    return Apply(file, [&](IniDocument& document) { return document.RemoveKeyAt(key, shownValue); });
}

ProfileResult ProfileService::RemoveSectionAt(ProfileFile file, SectionRef section) {
    std::lock_guard lock(StoreMutex());
    return Apply(file, [&](IniDocument& document) { return document.RemoveSectionAt(section); });
}

ProfileResult ProfileService::AddKey(ProfileFile file, SectionRef section, std::string_view key,
                                     std::string_view value) {
    std::lock_guard lock(StoreMutex());
    return Apply(file, [&](IniDocument& document) { return document.AddKey(section, key, value); });
}

ProfileResult ProfileService::RenameKey(ProfileFile file, KeyRef key, std::string_view name) {
    std::lock_guard lock(StoreMutex());
    return Apply(file, [&](IniDocument& document) { return document.RenameKey(key, name); });
}

ProfileResult ProfileService::RenameSection(ProfileFile file, SectionRef section, std::string_view name) {
    std::lock_guard lock(StoreMutex());
    return Apply(file, [&](IniDocument& document) { return document.RenameSection(section, name); });
}

ProfileResult ProfileService::Revert(ProfileFile file, const EditRecord& change) {
    std::lock_guard lock(StoreMutex());
    return Apply(file, [&](IniDocument& document) { return document.Replay(change, ReplayDirection::Undo); });
}

ProfileResult ProfileService::Reapply(ProfileFile file, const EditRecord& change) {
    std::lock_guard lock(StoreMutex());
    return Apply(file, [&](IniDocument& document) { return document.Replay(change, ReplayDirection::Redo); });
}

void ProfileService::Flush(std::string_view path) {
    std::lock_guard lock(StoreMutex());
    Store().Flush(path);
}

FileStamp ProfileService::StampNow(std::string_view path) {
    std::lock_guard lock(StoreMutex());
    return Store().StampNow(path);
}

FileStamp ProfileService::CachedStamp(std::string_view path) {
    std::lock_guard lock(StoreMutex());
    return Store().CachedStamp(path);
}

ProfileService& CurrentProfileService() {
    static ProfileService real;
    return standIn ? *standIn : real;
}

void UseProfileService(ProfileService* service) { standIn = service; }

ProfileBatch::ProfileBatch() {
    std::lock_guard lock(StoreMutex());
    Store().BeginBatch();
}

ProfileBatch::~ProfileBatch() {
    std::lock_guard lock(StoreMutex());
    Store().EndBatch();
}
