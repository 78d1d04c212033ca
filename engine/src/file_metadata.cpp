#include "file_metadata.h"

#include <cerrno>
#include <optional>
#include <string>
#include <string_view>

namespace {

// The ACL's own attributes, which CopyAccessAcl carries over.
constexpr std::string_view AclAttributePrefix = "system.posix_acl_";
// A list or value that keeps growing between asking its size and reading it is given up on.
constexpr int SizedReadTries = 4;

// Reads a list or value through read(buffer, size), which behaves like getxattr: size 0 asks
// for the size, a short buffer fails with ERANGE. Nothing on failure, errno set.
template <typename Read>
std::optional<std::string> ReadSized(Read read) {
    for (int tries = 0; tries < SizedReadTries; ++tries) {
        const ssize_t size = read(nullptr, 0);
        if (size < 0) return std::nullopt;
        std::string bytes(static_cast<std::size_t>(size), '\0');
        const ssize_t got = read(bytes.data(), bytes.size());
        if (got >= 0) {
            bytes.resize(static_cast<std::size_t>(got));
            return bytes;
        }
        if (errno != ERANGE) return std::nullopt;
    }
    return std::nullopt;
}

std::optional<std::string> Attribute(FileOps& ops, int fd, const std::string& name) {
    return ReadSized([&](char* value, std::size_t size) { return ops.GetAttribute(fd, name.c_str(), value, size); });
}

// In a set-group-ID folder the new file gets the folder's group; as root, root's owner.
bool CopyOwner(FileOps& ops, const struct stat& original, int to) {
    struct stat now;
    if (ops.StatusOf(to, &now) != 0) return false;
    if (now.st_uid == original.st_uid && now.st_gid == original.st_gid) return true;
    return ops.ChangeOwner(to, original.st_uid, original.st_gid) == 0;
}

// Every attribute the file lists. One the new file has already (a security label its folder
// gives) is not set again, so that a label we may not set but that is right already passes.
bool CopyAttributes(FileOps& ops, int from, int to) {
    const auto names = ReadSized([&](char* list, std::size_t size) { return ops.ListAttributes(from, list, size); });
    if (!names) return errno == ENOTSUP;
    for (std::size_t at = 0; at < names->size();) {
        const std::size_t end = names->find('\0', at);
        const std::string name = names->substr(at, end - at);
        at = end == std::string::npos ? names->size() : end + 1;
        if (name.empty() || name.starts_with(AclAttributePrefix)) continue;
        const auto value = Attribute(ops, from, name);
        if (!value) {
            if (errno == ENODATA) continue;  // removed meanwhile
            return false;
        }
        if (Attribute(ops, to, name) == value) continue;
        if (ops.SetAttribute(to, name.c_str(), value->data(), value->size()) != 0) return false;
    }
    return true;
}

}  // namespace

bool CopyMetadata(FileOps& ops, int from, const struct stat& original, int to) {
    // The owner first: changing it clears the set-ID bits, which the mode then puts back.
    if (!CopyOwner(ops, original, to)) return false;
    if (ops.ChangeMode(to, original.st_mode & 07777) != 0) return false;
    // After the mode: an ACL's mask is what the group bits of the mode show.
    if (ops.CopyAccessAcl(from, to) != 0) return false;
    return CopyAttributes(ops, from, to);
}
