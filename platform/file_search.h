#pragma once
// Looking a path up in its folder, its last component taken as a pattern.
#include <ctime>
#include <optional>
#include <string>

struct TFoundFile {
    bool isDirectory;
    std::time_t modified;  // last write, seconds since the epoch
};

// The first entry of the folder that the last component of path matches, in the folder's own
// order. That component may hold the wildcards '*' (any run of bytes) and '?' (one byte); a
// component without them names the entry itself. Empty when nothing matches.
std::optional<TFoundFile> FindFirstMatch(const std::string& path);
