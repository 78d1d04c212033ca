#include "text/file_names.h"

#include <ctime>
#include <filesystem>
#include <limits>

#include "platform/file_search.h"
#include "text/byte_text.h"
#include "text/lead_bytes.h"

bool FilePresent(const std::string& path) {
    const auto found = FindFirstMatch(path);
    return found && !found->isDirectory;
}

std::int32_t FileModifiedStamp(const std::string& path) {
    const auto found = FindFirstMatch(path);
    if (!found || found->isDirectory) return -1;
    std::tm local{};
    if (!localtime_r(&found->modified, &local)) return -1;
    const int year = local.tm_year + 1900;
    if (year < 1980 || year > 2107) return -1;
    const auto date = static_cast<std::uint32_t>(((year - 1980) << 9) | ((local.tm_mon + 1) << 5) |
                                                 local.tm_mday);
    const auto time = static_cast<std::uint32_t>((local.tm_hour << 11) | (local.tm_min << 5) |
                                                 (local.tm_sec / 2));
    // Dates from 2044 on set the top bit: the stamp is then negative, as the format has it.
    return static_cast<std::int32_t>(date << 16 | time);
}

std::string FileNameOfPath(const std::string& path) {
    // On Linux '\\' and ':' are ordinary characters of a file name.
    return TextSlice(path, FindLastSeparator("/", path) + 1, std::numeric_limits<int>::max());
}

std::string FolderOfPath(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return {};
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string AbsolutePath(const std::string& path) {
    if (path.empty() || path.front() == '/') return path;
    std::error_code error;
    const std::filesystem::path current = std::filesystem::current_path(error);
    if (error) return path;
    std::string folder = current.string();
    return folder + (folder.ends_with('/') ? "" : "/") + path;
}

int FindLastSeparator(const std::string& separators, const std::string& text) {
    for (int i = static_cast<int>(text.size()); i > 0; --i) {
        const char byte = text[i - 1];
        if (byte == '\0' || separators.find(byte) == std::string::npos) continue;
        if (ByteKind(text, i) != ByteKindTrail) return i;
        --i;  // pass over the character's lead byte too
    }
    return 0;
}
