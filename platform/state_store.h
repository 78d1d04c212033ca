#pragma once
// The small store files that the program keeps in its state folder: one entry a line, read
// whole and replaced whole.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The store file of that name in the program's state folder; empty when there is no folder.
std::string UserStoreFile(std::string_view name);

// A path or a value may hold any byte but NUL, and a store holds one entry a line: control
// bytes and '%' are written as %XX.
std::string EscapedForStore(std::string_view text);
// Nullopt for a broken %XX.
std::optional<std::string> UnescapedFromStore(std::string_view text);

// The lines of a store after its header line (header ends in '\n'); none when the store is
// missing or of another format.
std::vector<std::string> ReadStoreLines(const std::string& storeFile, std::string_view header);

// Two instances of the program writing a store at once take turns: an exclusive lock on the
// store's folder, which is made when missing.
class TStoreLock {
public:
    explicit TStoreLock(const std::string& storeFile);
    ~TStoreLock();
    TStoreLock(const TStoreLock&) = delete;
    TStoreLock& operator=(const TStoreLock&) = delete;
    bool Held() const { return fd_ >= 0; }
    // Writes bytes beside the store, flushes them and renames them over it: a crash leaves
    // the old store or the new one. False when that failed, or the lock is not held.
    bool ReplaceStore(std::string_view bytes) const;

private:
    std::string storeFile_;
    int fd_;  // the folder
};
