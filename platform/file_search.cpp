#include "platform/file_search.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include "platform/folder_listing.h"

namespace {

std::optional<TFoundFile> Found(const struct stat& st) {
    return TFoundFile{S_ISDIR(st.st_mode), st.st_mtim.tv_sec};
}

}  // namespace

std::optional<TFoundFile> FindFirstMatch(const std::string& path) {
    const auto slash = path.rfind('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (name.empty()) return std::nullopt;
    struct stat st {};
    if (name.find_first_of("*?") == std::string::npos)
        return stat(path.c_str(), &st) == 0 ? Found(st) : std::nullopt;

    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    DIR* dir = opendir(folder.c_str());
    if (!dir) return std::nullopt;
    std::optional<TFoundFile> found;
    while (const dirent* entry = readdir(dir)) {
        if (!MatchesPattern(entry->d_name, name, false)) continue;
        if (fstatat(dirfd(dir), entry->d_name, &st, 0) == 0) found = Found(st);
        break;
    }
    closedir(dir);
    return found;
}
