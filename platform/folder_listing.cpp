#include "platform/folder_listing.h"

#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>

#include <memory>

namespace {

// Only "*" and "?" are wildcards; fnmatch's brackets and escapes are taken literally.
std::string FnmatchPattern(const std::string& pattern) {
    std::string escaped;
    for (char c : pattern) {
        if (c == '[' || c == ']' || c == '\\') escaped += '\\';
        escaped += c;
    }
    return escaped;
}

}  // namespace

std::vector<TFolderEntry> ListFolder(const std::string& folder, bool withHidden) {
    std::vector<TFolderEntry> entries;
    std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(folder.c_str()), closedir);
    if (!dir) return entries;
    while (const dirent* entry = readdir(dir.get())) {
        const std::string name = entry->d_name;
        if (name == "." || name == ".." || (!withHidden && name.front() == '.')) continue;
        struct stat st {};
        const bool isFolder = fstatat(dirfd(dir.get()), entry->d_name, &st, 0) == 0 && S_ISDIR(st.st_mode);
        entries.push_back({name, isFolder});
    }
    return entries;
}

bool MatchesPattern(const std::string& name, const std::string& pattern, bool anyCase) {
    return fnmatch(FnmatchPattern(pattern).c_str(), name.c_str(), anyCase ? FNM_CASEFOLD : 0) == 0;
}

bool MatchesAnyPattern(const std::string& name, const std::vector<std::string>& patterns) {
    for (const std::string& pattern : patterns)
        if (MatchesPattern(name, pattern, true)) return true;
    return false;
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

std::string ParentFolder(const std::string& path) {
    std::string trimmed = path;
    while (trimmed.size() > 1 && trimmed.back() == '/') trimmed.pop_back();
    const auto slash = trimmed.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : trimmed.substr(0, slash);
}

bool IsFolder(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}
