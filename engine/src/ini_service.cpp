#include "engine/ini_service.h"

#include <mutex>

#include "engine/file_ops.h"
#include "engine/ini_store.h"

namespace {

IniService* standIn = nullptr;

// The cache is shared; every call takes it for its whole step.
std::mutex& StoreMutex() {
    static std::mutex mutex;
    return mutex;
}

IniStore& Store() {
    static IniStore store;
    return store;
}

const IniDocument& DocumentOf(IniFileRef file) { return Store().Document(file.path, file.codePage); }

std::vector<std::string> Copies(const std::vector<std::string_view>& views) {
    return std::vector<std::string>(views.begin(), views.end());
}

std::vector<std::string> Copies(const std::optional<std::vector<std::string_view>>& views) {
    return views ? Copies(*views) : std::vector<std::string>();
}

}  // namespace

void UseIniFileOps(FileOps* ops) {
    std::lock_guard lock(StoreMutex());
    Store().UseFileOps(ops ? *ops : SystemFileOps());
    Store().FlushAll();
}

void SetIniLockWait(std::chrono::milliseconds wait) {
    std::lock_guard lock(StoreMutex());
    Store().SetLockWait(wait);
}

std::optional<std::string> IniService::Value(IniFileRef file, std::string_view section, std::string_view key) {
    std::lock_guard lock(StoreMutex());
    const auto value = DocumentOf(file).Value(section, key);
    return value ? std::optional<std::string>(*value) : std::nullopt;
}

std::vector<std::string> IniService::SectionNames(IniFileRef file) {
    std::lock_guard lock(StoreMutex());
    return DocumentOf(file).SectionNames<std::string>();
}

NameList IniService::KeyNames(IniFileRef file, std::string_view section) {
    std::lock_guard lock(StoreMutex());
    return DocumentOf(file).KeyNameList(section);
}

IniListing IniService::Sections(IniFileRef file) {
    std::lock_guard lock(StoreMutex());
    return DocumentOf(file).Sections();
}

IniListing IniService::Keys(IniFileRef file, SectionRef section) {
    std::lock_guard lock(StoreMutex());
    return DocumentOf(file).Keys(section).value_or(IniListing());
}

std::vector<std::string> IniService::Comments(IniFileRef file, SectionRef section) {
    std::lock_guard lock(StoreMutex());
    return Copies(DocumentOf(file).CommentsAbove(section));
}

std::vector<std::string> IniService::Comments(IniFileRef file, KeyRef key) {
    std::lock_guard lock(StoreMutex());
    return Copies(DocumentOf(file).CommentsAbove(key));
}

IniResult IniService::SetValue(IniFileRef file, std::string_view section, std::string_view key,
                                       std::string_view value) {
    std::lock_guard lock(StoreMutex());
    return Store().Apply(file.path, file.codePage,
                         [&](IniDocument& document) { return document.SetValue(section, key, value); });
}

IniResult IniService::RemoveKey(IniFileRef file, std::string_view section, std::string_view key) {
    std::lock_guard lock(StoreMutex());
    return Store().Apply(file.path, file.codePage,
                         [&](IniDocument& document) { return document.RemoveKey(section, key); });
}

IniResult IniService::RemoveSection(IniFileRef file, std::string_view section) {
    std::lock_guard lock(StoreMutex());
    return Store().Apply(file.path, file.codePage,
                         [&](IniDocument& document) { return document.RemoveSection(section); });
}

IniResult IniService::SetValueAt(IniFileRef file, KeyRef key, std::string_view shownValue,
                                         std::string_view value) {
    std::lock_guard lock(StoreMutex());
    return Store().Apply(file.path, file.codePage,
                         [&](IniDocument& document) { return document.SetValueAt(key, shownValue, value); });
}

IniResult IniService::RemoveKeyAt(IniFileRef file, KeyRef key, std::string_view shownValue) {
    std::lock_guard lock(StoreMutex());
    return Store().Apply(file.path, file.codePage,
                         [&](IniDocument& document) { return document.RemoveKeyAt(key, shownValue); });
}

IniResult IniService::RemoveSectionAt(IniFileRef file, SectionRef section) {
    std::lock_guard lock(StoreMutex());
    return Store().Apply(file.path, file.codePage,
                         [&](IniDocument& document) { return document.RemoveSectionAt(section); });
}

IniResult IniService::ApplyEdits(IniFileRef file, std::span<const DocumentEdit> edits) {
    std::lock_guard lock(StoreMutex());
    return Store().Apply(file.path, file.codePage, edits);
}

IniResult IniService::AddKey(IniFileRef file, SectionRef section, std::string_view key,
                                     std::string_view value) {
    std::lock_guard lock(StoreMutex());
    return Store().Apply(file.path, file.codePage,
                         [&](IniDocument& document) { return document.AddKey(section, key, value); });
}

IniResult IniService::RenameKey(IniFileRef file, KeyRef key, std::string_view name) {
    std::lock_guard lock(StoreMutex());
    return Store().Apply(file.path, file.codePage,
                         [&](IniDocument& document) { return document.RenameKey(key, name); });
}

IniResult IniService::RenameSection(IniFileRef file, SectionRef section, std::string_view name) {
    std::lock_guard lock(StoreMutex());
    return Store().Apply(file.path, file.codePage,
                         [&](IniDocument& document) { return document.RenameSection(section, name); });
}

IniResult IniService::Revert(IniFileRef file, const EditRecord& change) {
    std::lock_guard lock(StoreMutex());
    return Store().Apply(file.path, file.codePage,
                         [&](IniDocument& document) { return document.Replay(change, ReplayDirection::Undo); });
}

IniResult IniService::Reapply(IniFileRef file, const EditRecord& change) {
    std::lock_guard lock(StoreMutex());
    return Store().Apply(file.path, file.codePage,
                         [&](IniDocument& document) { return document.Replay(change, ReplayDirection::Redo); });
}

void IniService::AdoptContent(IniFileRef file, std::string bytes, const ReadMark& mark) {
    std::lock_guard lock(StoreMutex());
    Store().Adopt(file.path, file.codePage, std::move(bytes), mark);
}

std::shared_ptr<const std::string> IniService::Snapshot(IniFileRef file) {
    std::lock_guard lock(StoreMutex());
    return Store().Snapshot(file.path, file.codePage);
}

void IniService::Flush(std::string_view path) {
    std::lock_guard lock(StoreMutex());
    Store().Flush(path);
}

FileStamp IniService::StampNow(std::string_view path) {
    std::lock_guard lock(StoreMutex());
    return Store().StampNow(path);
}

FileStamp IniService::CachedStamp(std::string_view path) {
    std::lock_guard lock(StoreMutex());
    return Store().CachedStamp(path);
}

IniService& CurrentIniService() {
    static IniService real;
    return standIn ? *standIn : real;
}

void UseIniService(IniService* service) { standIn = service; }
