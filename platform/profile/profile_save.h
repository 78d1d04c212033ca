#pragma once
// The one way a profile file is written: with its lock held by the caller's guard.
#include <optional>
#include <string>
#include <string_view>

#include "platform/profile/file_ops.h"
#include "platform/profile/file_stamp.h"
#include "platform/profile/locked_file.h"

// Replaces the content of the locked file at path (its links already followed) with bytes.
// Normally a temporary file in the same folder is written, flushed to disk and renamed over the
// file, keeping its permission bits and owner, so that a crash leaves the old file or the new
// one, never a mix. Where no temporary file can be made in the folder, or the file has other
// hard links that a rename would split off, the file is rewritten in place.
// Returns the stamp of the file now at path, or nothing when the save failed; a failed save by
// rename leaves the file as it was.
std::optional<FileStamp> SaveLockedFile(const std::string& path, const LockedFile& file,
                                        std::string_view bytes, FileOps& ops);
