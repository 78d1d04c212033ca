#pragma once
// Whole-file reading: open, seek, read, close on a file handle.
#include <cstdint>
#include <string>

using TFileHandle = int;
constexpr TFileHandle InvalidFileHandle = -1;

enum class TSeekOrigin { Beginning, Current, End };

// Opens an existing file for reading while others may read it too but not write it: a file
// that a writer holds locked cannot be opened, and neither can a directory.
TFileHandle OpenFileForReading(const std::string& path);
// The new position, or -1 on failure.
std::int64_t FileSeek(TFileHandle handle, std::int64_t offset, TSeekOrigin origin);
// Reads until count bytes, the end of the file or an error; the bytes read, -1 when none
// could be read because of an error.
std::int64_t FileRead(TFileHandle handle, void* buffer, std::int64_t count);
void FileClose(TFileHandle handle);
