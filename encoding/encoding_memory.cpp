#include "encoding/encoding_memory.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <string_view>
#include <utility>
#include <vector>

#include "encoding/encodings.h"
#include "platform/state_store.h"

namespace fs = std::filesystem;

namespace {

// A store of another format, or none, holds nothing.
constexpr std::string_view Header = "iniviewer encodings 1\n";
// The oldest choices go first, so that the store stays small.
constexpr std::size_t MaxEntries = 1000;

struct TEntry {
    std::string key;
    TCodePage codePage;
    TCodePage verdictCodePage;
    int verdictBomLength;
};

// Links followed, so that each file has one key however it was reached.
std::string KeyOf(const std::string& path) {
    std::error_code error;
    const fs::path absolute = fs::absolute(path, error);
    if (error) return path;
    const fs::path canonical = fs::weakly_canonical(absolute, error);
    return (error ? absolute.lexically_normal() : canonical).string();
}

// "<code page> <verdict's code page> <verdict's byte-order mark length> <escaped path>"
std::optional<TEntry> ParseEntry(std::string_view line) {
    TEntry entry;
    const char* at = line.data();
    const char* end = line.data() + line.size();
    std::uint32_t codePage = 0, verdictCodePage = 0;
    const auto readField = [&](auto& field) {
        auto [next, error] = std::from_chars(at, end, field);
        if (error != std::errc() || next == end || *next != ' ') return false;
        at = next + 1;
        return true;
    };
    if (!readField(codePage) || !readField(verdictCodePage) || !readField(entry.verdictBomLength)) return std::nullopt;
    entry.codePage = CodePageOfNumber(codePage);
    entry.verdictCodePage = CodePageOfNumber(verdictCodePage);
    auto key = UnescapedFromStore(std::string_view(at, end - at));
    if (!key || key->empty() || !FindEncoding(entry.codePage) || entry.verdictBomLength < 0)
        return std::nullopt;
    entry.key = std::move(*key);
    return entry;
}

std::vector<TEntry> ReadStore(const std::string& storeFile) {
    std::vector<TEntry> entries;
    for (const std::string& line : ReadStoreLines(storeFile, Header))
        if (auto entry = ParseEntry(line)) entries.push_back(std::move(*entry));
    return entries;
}

std::string StoreText(const std::vector<TEntry>& entries) {
    std::string text(Header);
    for (const TEntry& entry : entries)
        text += std::to_string(CodePageNumber(entry.codePage)) + ' ' +
                std::to_string(CodePageNumber(entry.verdictCodePage)) + ' ' + std::to_string(entry.verdictBomLength) + ' ' +
                EscapedForStore(entry.key) + '\n';
    return text;
}

}  // namespace

TEncodingMemory::TEncodingMemory(std::string storeFile) : storeFile_(std::move(storeFile)) {}

TEncodingMemory TEncodingMemory::OfUser() { return TEncodingMemory(UserStoreFile("encodings")); }

std::optional<TCodePage> TEncodingMemory::Recall(const std::string& path,
                                                 const TFileEncoding& verdict) const {
    if (storeFile_.empty()) return std::nullopt;
    const std::string key = KeyOf(path);
    for (const TEntry& entry : ReadStore(storeFile_))
        if (entry.key == key)
            return TFileEncoding{entry.verdictCodePage, entry.verdictBomLength}.SameAs(verdict)
                       ? std::optional(entry.codePage)
                       : std::nullopt;
    return std::nullopt;
}

bool TEncodingMemory::Remember(const std::string& path, const TFileEncoding& verdict,
                               TCodePage codePage) {
    if (storeFile_.empty()) return false;
    const bool forget = codePage == verdict.codePage;
    std::error_code error;
    if (forget && !fs::exists(storeFile_, error)) return true;
    TStoreLock lock(storeFile_);
    if (!lock.Held()) return false;
    std::vector<TEntry> entries = ReadStore(storeFile_);
    const std::string key = KeyOf(path);
    const auto removed = std::erase_if(entries, [&](const TEntry& entry) { return entry.key == key; });
    if (forget && removed == 0) return true;
    if (!forget) {
        entries.push_back({key, codePage, verdict.codePage, verdict.bomLength});
        if (entries.size() > MaxEntries)
            entries.erase(entries.begin(), entries.end() - static_cast<std::ptrdiff_t>(MaxEntries));
    }
    return lock.ReplaceStore(StoreText(entries));
}
