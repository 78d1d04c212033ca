#pragma once
// The INI engine: reads and writes INI files key by key. Text is bytes in the file's
// code page, which the caller gives with every call; the service never looks at the locale.
//
// Two shapes. ProfileRead and ProfileWrite take NUL-terminated strings, where a null pointer
// and an empty string differ, and list names zero-separated. IniService takes sized
// strings, so that a NUL byte is part of a name or value (and refused where it would be
// written), and lists names as vectors, where an empty name is a name.
#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/edit_record.h"
#include "engine/file_stamp.h"
#include "engine/ini_address.h"
#include "engine/ini_failure.h"
#include "engine/name_list.h"
#include "engine/ini_listing.h"
#include "engine/ini_result.h"

class FileOps;

// Reads from the profile file at path (a path without a folder is taken from the current one):
//   section and key given: the key's value, or defaultValue (null counts as empty) when the
//     file, the section or the key is missing;
//   key null: the section's key names, each followed by a zero byte, and one more zero after
//     the last (a missing section has none);
//   section null: the file's section names, listed the same way.
// Copies the answer into buffer, cut to fit its size, always terminated (a cut list still ends
// in two zeros). Returns the bytes copied, not counting the last zero. When needed is given it
// receives the buffer size that holds the whole answer, so the caller can ask again.
std::size_t ProfileRead(const char* section, const char* key, const char* defaultValue, char* buffer,
                        std::size_t size, const char* path, int codePage, std::size_t* needed = nullptr);

// Writes to the profile file at path, creating the file and the section as needed:
//   section, key and value: sets the key's value;
//   value null: removes the key;
//   key and value null: removes the section, its header through its last key;
//   all three null: drops cached content that no longer matches the file (writes happen at
//     once; there is nothing else to flush).
// False when the write failed: a name or value the file cannot hold as it is, a file we may
// not write, or a failed save. A write that changes nothing succeeds without touching the file.
bool ProfileWrite(const char* section, const char* key, const char* value, const char* path, int codePage);

// The file-system calls behind reads and saves; tests stand in their own. Null: the real ones.
void UseIniFileOps(FileOps* ops);
// How long a write waits for a lock another program holds before it fails with Locked (a read
// then goes ahead without the lock). Tests shorten it.
void SetIniLockWait(std::chrono::milliseconds wait);

// Which file, and the code page its bytes are in.
struct IniFileRef {
    std::string_view path;
    int codePage;
};

// The service in sized strings. Every call is one locked step on the shared cache. Reads never
// fail: a missing or unreadable file reads as empty. Every write returns a IniResult: the
// failure and why, or what it changed, for undo; a write that changes nothing succeeds with an
// empty change. Tests stand in their own service by overriding what they watch.
class IniService {
public:
    virtual ~IniService() = default;

    // By name, the first occurrence answering, as ProfileRead.
    virtual std::optional<std::string> Value(IniFileRef file, std::string_view section, std::string_view key);
    virtual std::vector<std::string> SectionNames(IniFileRef file);
    virtual NameList KeyNames(IniFileRef file, std::string_view section);

    // The structure the windows show: every header, and every key line of one section
    // occurrence with its value, with occurrence numbers (see IniListing).
    virtual IniListing Sections(IniFileRef file);
    virtual IniListing Keys(IniFileRef file, SectionRef section);
    // The comment lines right above a header or a key line, as they stand in the file.
    virtual std::vector<std::string> Comments(IniFileRef file, SectionRef section);
    virtual std::vector<std::string> Comments(IniFileRef file, KeyRef key);

    // By name, as ProfileWrite. A missing key or section is no failure for the removals.
    virtual IniResult SetValue(IniFileRef file, std::string_view section, std::string_view key,
                                   std::string_view value);
    virtual IniResult RemoveKey(IniFileRef file, std::string_view section, std::string_view key);
    virtual IniResult RemoveSection(IniFileRef file, std::string_view section);

    // Addressed to one occurrence; each fails with Stale, writing nothing, when its target no
    // longer reads as the caller saw it: name and occurrence, and the value where one is given.
    virtual IniResult SetValueAt(IniFileRef file, KeyRef key, std::string_view shownValue,
                                     std::string_view value);
    virtual IniResult RemoveKeyAt(IniFileRef file, KeyRef key, std::string_view shownValue);
    // The header through the last key line of that occurrence.
    virtual IniResult RemoveSectionAt(IniFileRef file, SectionRef section);
    // After the last key line of that occurrence; NameTaken when it has the key already.
    virtual IniResult AddKey(IniFileRef file, SectionRef section, std::string_view key, std::string_view value);
    // Only the name's bytes change. EmptyName, NameTaken (another key of the section occurrence,
    // or another section of the file, has it, letter case aside) or CannotHold otherwise.
    virtual IniResult RenameKey(IniFileRef file, KeyRef key, std::string_view name);
    virtual IniResult RenameSection(IniFileRef file, SectionRef section, std::string_view name);

    // Undoes a change a write returned, or does it again, giving back the bytes exactly; fails
    // with Stale when another program changed the bytes it touches. Changes elsewhere in the
    // file stay. The result's change is what the undo or redo itself did.
    virtual IniResult Revert(IniFileRef file, const EditRecord& change);
    virtual IniResult Reapply(IniFileRef file, const EditRecord& change);

    // Drops cached content of path that no longer matches the file.
    virtual void Flush(std::string_view path);

    // The file's stamp now (one stat; nothing exists for what is no regular file), and the
    // stamp of the content the service holds for it, which the lists it gave last show.
    virtual FileStamp StampNow(std::string_view path);
    virtual FileStamp CachedStamp(std::string_view path);
};

// The service that INI file objects call: the real one unless a test stood in its own.
IniService& CurrentIniService();
// Null: the real one again.
void UseIniService(IniService* service);

// While one lives, each file is checked against the disk once, at its first call: listing a
// section of n keys and reading each value costs one stat, not n. Open one per user action;
// another program's change is seen by the next one. Batches nest.
class IniBatch {
public:
    IniBatch();
    ~IniBatch();
    IniBatch(const IniBatch&) = delete;
    IniBatch& operator=(const IniBatch&) = delete;
};
