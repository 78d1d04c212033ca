#include "link_target.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>

namespace {

// As many as the system itself follows in one path.
constexpr int MaxLinkHops = 40;

// With its slash; empty for a name without one.
std::string FolderPart(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

bool MayFollow(FileOps& ops, const std::string& link, const struct stat& status) {
    if (status.st_uid == geteuid()) return true;
    struct stat folder;
    const std::string folderPart = FolderPart(link);
    if (ops.Status(folderPart.empty() ? "." : folderPart.c_str(), &folder) != 0) return false;
    const bool openToAll = (folder.st_mode & S_ISVTX) && (folder.st_mode & S_IWOTH);
    return !openToAll || status.st_uid == folder.st_uid;
}

}  // namespace

LinkTarget FollowLinks(FileOps& ops, const std::string& path) {
    std::string current = path;
    for (int hop = 0; hop <= MaxLinkHops; ++hop) {
        struct stat status;
        if (ops.LinkStatus(current.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) return {current};
        if (hop == MaxLinkHops) break;
        if (!MayFollow(ops, current, status)) return {{}, IniFailure::UntrustedLink};
        char target[PATH_MAX];
        const ssize_t length = ops.ReadLink(current.c_str(), target, sizeof target);
        if (length <= 0 || length == static_cast<ssize_t>(sizeof target)) return {current};
        const std::string link(target, static_cast<std::size_t>(length));
        current = link.front() == '/' ? link : FolderPart(current) + link;
    }
    return {{}, IniFailure::TooManyLinks};
}
