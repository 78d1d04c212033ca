#include "platform/state_store.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/state_folder.h"

namespace fs = std::filesystem;

namespace {

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = write(fd, bytes.data(), bytes.size());
        if (written < 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

}  // namespace

std::string UserStoreFile(std::string_view name) {
    const std::string folder = ProgramStateFolder();
    return folder.empty() ? folder : folder + '/' + std::string(name);
}

std::string EscapedForStore(std::string_view text) {
    std::string out;
    for (unsigned char c : text) {
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

std::optional<std::string> UnescapedFromStore(std::string_view text) {
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

std::vector<std::string> ReadStoreLines(const std::string& storeFile, std::string_view header) {
    std::ifstream in(storeFile, std::ios::binary);
    std::string first;
    if (!std::getline(in, first) || first + '\n' != header) return {};
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(std::move(line));
    return lines;
}

TStoreLock::TStoreLock(const std::string& storeFile) : storeFile_(storeFile), fd_(-1) {
    const std::string folder = fs::path(storeFile).parent_path().string();
    std::error_code error;
    fs::create_directories(folder, error);
    fd_ = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd_ >= 0 && flock(fd_, LOCK_EX) != 0) {
        close(fd_);
        fd_ = -1;
    }
}

TStoreLock::~TStoreLock() {
    if (fd_ >= 0) close(fd_);  // closing releases the lock
}

bool TStoreLock::ReplaceStore(std::string_view bytes) const {
    if (fd_ < 0) return false;
    std::string temporary = storeFile_ + ".XXXXXX";
    const int fd = mkstemp(temporary.data());
    if (fd < 0) return false;
    const bool written = WriteAll(fd, bytes) && fsync(fd) == 0;
    const bool closed = close(fd) == 0;
    if (!written || !closed || std::rename(temporary.c_str(), storeFile_.c_str()) != 0) {
        unlink(temporary.c_str());
        return false;
    }
    // The rename itself reaches the disk with the folder.
    fsync(fd_);
    return true;
}
