#pragma once
// The one way a profile file is written: with its lock held by the caller's guard.
#include <optional>
#include <string>
#include <string_view>

#include "engine/edit_record.h"
#include "engine/file_ops.h"
#include "engine/file_stamp.h"
#include "engine/held_file.h"
#include "locked_file.h"
#include "engine/ini_failure.h"

struct SaveResult {
    std::optional<FileStamp> stamp;  // of the file now at path; nothing when the save failed
    IniFailure failure = IniFailure::None;
    int systemError = 0;
    HeldFile renamed;  // the new file that took the old one's place; nothing when saved in place
};

// Replaces the content of the locked file at path (its links already followed) with bytes,
// which differ from its content by change.
// Normally a file with no name yet is written in the same folder, given what the file has
// beside its bytes (owner, group, permission bits, ACL, extended attributes), flushed to disk,
// named and renamed over the file, so that a crash leaves the old file or the new one, never a
// mix, and nothing else behind for long: the name it gets is one per file, and a save that
// finds it left over by a killed one removes it (when another user's file holds that name, it
// gets one nobody can guess).
// Where the folder takes no new file, the file has other hard links that a rename would split
// off, the new file cannot take what the old one has beside its bytes, or the rename cannot
// replace it (a file mounted over another), the changed part is rewritten in place: the room
// it needs is reserved first, and if anything fails the old bytes are put back. A failed save
// leaves the file as it was.
// Fails with ChangedMeanwhile, writing nothing, when path no longer names the file as it was
// locked and read (another program that takes no lock replaced or wrote it): the edit is to
// be done again on the new content. The last look is right before the rename.
SaveResult SaveLockedFile(const std::string& path, const LockedFile& file, std::string_view bytes,
                          const EditRecord& change, FileOps& ops);

// The name a save of the file at path gives its new content before the rename.
std::string SavingName(const std::string& path);
