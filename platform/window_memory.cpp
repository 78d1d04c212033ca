#include "platform/window_memory.h"

#include <charconv>
#include <map>

#include "platform/state_store.h"

namespace {

// A store of another format, or none, holds nothing.
constexpr std::string_view Header = "iniviewer window 1\n";

using TValues = std::map<std::string, std::string, std::less<>>;

// "<name> <escaped value>" lines; a broken line is dropped.
TValues ReadStore(const std::string& storeFile) {
    TValues values;
    for (const std::string& line : ReadStoreLines(storeFile, Header)) {
        const std::size_t space = line.find(' ');
        if (space == 0 || space == std::string::npos) continue;
        if (auto value = UnescapedFromStore(std::string_view(line).substr(space + 1)))
            values[line.substr(0, space)] = std::move(*value);
    }
    return values;
}

std::string StoreText(const TValues& values) {
    std::string text(Header);
    for (const auto& [name, value] : values) text += name + ' ' + EscapedForStore(value) + '\n';
    return text;
}

bool IsName(std::string_view name) {
    if (name.empty()) return false;
    for (char c : name)
        if (!(c == '-' || (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))) return false;
    return true;
}

}  // namespace

TWindowMemory::TWindowMemory(std::string storeFile) : storeFile_(std::move(storeFile)) {}

TWindowMemory TWindowMemory::OfUser() { return TWindowMemory(UserStoreFile("window")); }

std::optional<std::string> TWindowMemory::Recall(std::string_view name) const {
    if (storeFile_.empty()) return std::nullopt;
    TValues values = ReadStore(storeFile_);
    auto found = values.find(name);
    if (found == values.end()) return std::nullopt;
    return found->second;
}

std::optional<int> TWindowMemory::RecallNumber(std::string_view name) const {
    std::optional<std::string> text = Recall(name);
    int number = 0;
    if (!text || text->empty()) return std::nullopt;
    auto [end, error] = std::from_chars(text->data(), text->data() + text->size(), number);
    if (error != std::errc() || end != text->data() + text->size()) return std::nullopt;
    return number;
}

bool TWindowMemory::Remember(std::string_view name, std::string_view value) {
    if (storeFile_.empty() || !IsName(name)) return false;
    TStoreLock lock(storeFile_);
    if (!lock.Held()) return false;
    TValues values = ReadStore(storeFile_);
    values[std::string(name)] = std::string(value);
    return lock.ReplaceStore(StoreText(values));
}
