#include "platform/encoding_memory.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/encodings.h"
#include "platform/state_folder.h"

namespace fs = std::filesystem;

namespace {

// A store of another format, or none, holds nothing.
constexpr std::string_view Header = "iniviewer encodings 1\n";
// The oldest choices go first, so that the store stays small.
constexpr std::size_t MaxEntries = 1000;

struct TEntry {
    std::string key;
    int codePage;
    int verdictCodePage;
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

// A path may hold any byte but NUL; the store is one entry a line.
std::string Escaped(std::string_view key) {
    std::string out;
    for (unsigned char c : key) {
        if (c < 0x20 || c == 0x7F || c == '%') {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", c);
            out += hex;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

std::optional<std::string> Unescaped(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        unsigned value = 0;
        if (i + 3 > text.size() ||
            std::from_chars(text.data() + i + 1, text.data() + i + 3, value, 16).ptr != text.data() + i + 3)
            return std::nullopt;
        out += static_cast<char>(value);
        i += 2;
    }
    return out;
}

// "<code page> <verdict's code page> <verdict's byte-order mark length> <escaped path>"
std::optional<TEntry> ParseEntry(std::string_view line) {
    TEntry entry;
    const char* at = line.data();
    const char* end = line.data() + line.size();
    for (int* field : {&entry.codePage, &entry.verdictCodePage, &entry.verdictBomLength}) {
        auto [next, error] = std::from_chars(at, end, *field);
        if (error != std::errc() || next == end || *next != ' ') return std::nullopt;
        at = next + 1;
    }
    auto key = Unescaped(std::string_view(at, end - at));
    if (!key || key->empty() || !FindEncoding(entry.codePage) || entry.verdictBomLength < 0)
        return std::nullopt;
    entry.key = std::move(*key);
    return entry;
}

std::vector<TEntry> ReadStore(const std::string& storeFile) {
    std::ifstream in(storeFile, std::ios::binary);
    std::string header;
    if (!std::getline(in, header) || header + '\n' != Header) return {};
    std::vector<TEntry> entries;
    for (std::string line; std::getline(in, line);)
        if (auto entry = ParseEntry(line)) entries.push_back(std::move(*entry));
    return entries;
}

std::string StoreText(const std::vector<TEntry>& entries) {
    std::string text(Header);
    for (const TEntry& entry : entries)
        text += std::to_string(entry.codePage) + ' ' + std::to_string(entry.verdictCodePage) + ' ' +
                std::to_string(entry.verdictBomLength) + ' ' + Escaped(entry.key) + '\n';
    return text;
}

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = write(fd, bytes.data(), bytes.size());
        if (written < 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// Written beside the store, flushed and renamed over it: a crash leaves the old store or the
// new one. folderFd keeps the rename itself on disk.
bool ReplaceStore(const std::string& storeFile, int folderFd, std::string_view bytes) {
    std::string temporary = storeFile + ".XXXXXX";
    const int fd = mkstemp(temporary.data());
    if (fd < 0) return false;
    const bool written = WriteAll(fd, bytes) && fsync(fd) == 0;
    const bool closed = close(fd) == 0;
    if (!written || !closed || std::rename(temporary.c_str(), storeFile.c_str()) != 0) {
        unlink(temporary.c_str());
        return false;
    }
    fsync(folderFd);
    return true;
}

// Two instances of the program choosing at once take turns.
class TFolderLock {
public:
    explicit TFolderLock(const std::string& folder)
        : fd_(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
        if (fd_ >= 0 && flock(fd_, LOCK_EX) != 0) {
            close(fd_);
            fd_ = -1;
        }
    }
    ~TFolderLock() {
        if (fd_ >= 0) close(fd_);  // closing releases the lock
    }
    TFolderLock(const TFolderLock&) = delete;
    TFolderLock& operator=(const TFolderLock&) = delete;
    int Fd() const { return fd_; }

private:
    int fd_;
};

}  // namespace

TEncodingMemory::TEncodingMemory(std::string storeFile) : storeFile_(std::move(storeFile)) {}

TEncodingMemory TEncodingMemory::OfUser() {
    const std::string folder = ProgramStateFolder();
    return TEncodingMemory(folder.empty() ? folder : folder + "/encodings");
}

std::optional<int> TEncodingMemory::Recall(const std::string& path,
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
                               int codePage) {
    if (storeFile_.empty()) return false;
    const bool forget = codePage == verdict.codePage;
    std::error_code error;
    if (forget && !fs::exists(storeFile_, error)) return true;
    const std::string folder = fs::path(storeFile_).parent_path().string();
    fs::create_directories(folder, error);
    TFolderLock lock(folder);
    if (lock.Fd() < 0) return false;
    std::vector<TEntry> entries = ReadStore(storeFile_);
    const std::string key = KeyOf(path);
    const auto removed = std::erase_if(entries, [&](const TEntry& entry) { return entry.key == key; });
    if (forget && removed == 0) return true;
    if (!forget) {
        entries.push_back({key, codePage, verdict.codePage, verdict.bomLength});
        if (entries.size() > MaxEntries)
            entries.erase(entries.begin(), entries.end() - static_cast<std::ptrdiff_t>(MaxEntries));
    }
    return ReplaceStore(storeFile_, lock.Fd(), StoreText(entries));
}
