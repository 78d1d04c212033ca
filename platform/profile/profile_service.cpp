#include "platform/profile/profile_service.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <string_view>
#include <vector>

#include "platform/profile/file_ops.h"
#include "platform/profile/profile_store.h"

namespace {

ProfileService* standIn = nullptr;

std::mutex& StoreMutex() {
    static std::mutex mutex;
    return mutex;
}

ProfileStore& Store() {
    static ProfileStore store;
    return store;
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

class SystemService final : public ProfileService {
public:
    std::size_t Read(const char* section, const char* key, const char* defaultValue,
                     char* buffer, std::size_t size, const char* path,
                     std::size_t* needed) override {
        return ProfileRead(section, key, defaultValue, buffer, size, path, needed);
    }
    bool Write(const char* section, const char* key, const char* value, const char* path) override {
        return ProfileWrite(section, key, value, path);
    }
    static SystemService& Instance() {
        static SystemService service;
        return service;
    }
};

}  // namespace

std::size_t ProfileRead(const char* section, const char* key, const char* defaultValue,
                        char* buffer, std::size_t size, const char* path, std::size_t* needed) {
    if (!buffer) size = 0;
    std::lock_guard lock(StoreMutex());
    const IniDocument& document = Store().Document(path);
    if (!section) return CopyList(document.SectionNames(), buffer, size, needed);
    if (!key) return CopyList(document.KeyNames(section), buffer, size, needed);
    const auto value = document.Value(section, key);
    return CopyValue(value ? *value : std::string_view(defaultValue ? defaultValue : ""), buffer,
                     size, needed);
}

bool ProfileWrite(const char* section, const char* key, const char* value, const char* path) {
    std::lock_guard lock(StoreMutex());
    if (!section && !key && !value) {
        Store().Flush(path);
        return true;
    }
    if (!path || !section || (!key && value)) return false;
    return Store().Apply(path, [&](IniDocument& document) {
        if (!key) return document.RemoveSection(section);
        if (!value) return document.RemoveKey(section, key);
        return document.SetValue(section, key, value);
    });
}

void UseProfileFileOps(FileOps* ops) {
    std::lock_guard lock(StoreMutex());
    Store().UseFileOps(ops ? *ops : SystemFileOps());
}

ProfileService& CurrentProfileService() { return standIn ? *standIn : SystemService::Instance(); }

void UseProfileService(ProfileService* service) { standIn = service; }
