#pragma once
// Existence and time stamp of a file, and the file-name part of a path.
#include <cstdint>
#include <string>

// Whether the first match of path (its last component may hold '*' and '?') is a file, not a
// directory.
bool FilePresent(const std::string& path);
// The first match's last-write time in local time, packed as an MS-DOS date (high 16 bits)
// and time (low 16 bits); -1 for no match, a directory, or a time before 1980 or after 2107.
std::int32_t FileModifiedStamp(const std::string& path);
// Everything after the last '/'; the whole path when there is none.
std::string FileNameOfPath(const std::string& path);
// Everything before the last '/' ("/" for a file in the root); empty when there is none.
std::string FolderOfPath(const std::string& path);
// The path from the root: a relative path is taken from the current folder. Nothing is
// resolved or tidied; the path as it is when the current folder is unknown.
std::string AbsolutePath(const std::string& path);
// 1-based index of the last byte of text that is one of separators and not the trail byte of
// a double-byte character; 0 when there is none.
int FindLastSeparator(const std::string& separators, const std::string& text);
