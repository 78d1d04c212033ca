#pragma once
// The INI engine: reads and writes INI files key by key. Text is bytes in the file's
// code page, which the caller gives with every call; the service never looks at the locale.
// Names and values are sized strings, so that a NUL byte is part of a name or value (and
// refused where it would be written), and names are listed as vectors, where an empty name
// is a name.
#include <chrono>
#include <cstddef>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "encoding/code_page.h"
#include "engine/edit_record.h"
#include "engine/edit_sequence.h"
#include "engine/file_stamp.h"
#include "engine/ini_address.h"
#include "engine/ini_failure.h"
#include "engine/name_list.h"
#include "engine/ini_listing.h"
#include "engine/ini_result.h"
#include "engine/whole_file.h"

class FileOps;

// The file-system calls behind reads and saves; tests stand in their own. Null: the real ones.
void UseIniFileOps(FileOps* ops);
// How long a write waits for a lock another program holds before it fails with Locked (a read
// then goes ahead without the lock). Tests shorten it.
void SetIniLockWait(std::chrono::milliseconds wait);

// Which file, and the code page its bytes are in.
struct IniFileRef {
    std::string_view path;
    TCodePage codePage;
};

// The service in sized strings. Every call is one locked step on the shared cache. Reads never
// fail: a missing or unreadable file reads as empty. Every write returns a IniResult: the
// failure and why, or what it changed, for undo; a write that changes nothing succeeds with an
// empty change. Tests stand in their own service by overriding what they watch.
class IniService {
public:
    virtual ~IniService() = default;

    // By name, the first occurrence answering; nothing for a missing file, section or key.
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

    // By name, creating the file and the section as needed. A missing key or section is no
    // failure for the removals.
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

    // Several edits made in turn and saved once, as one change: all of them, or none when one
    // is refused.
    virtual IniResult ApplyEdits(IniFileRef file, std::span<const DocumentEdit> edits);

    // Undoes a change a write returned, or does it again, giving back the bytes exactly; fails
    // with Stale when another program changed the bytes it touches. Changes elsewhere in the
    // file stay. The result's change is what the undo or redo itself did.
    virtual IniResult Revert(IniFileRef file, const EditRecord& change);
    virtual IniResult Reapply(IniFileRef file, const EditRecord& change);

    // Takes bytes read from the file elsewhere as its content, so that the service does not
    // read it again while it stays as it was when they were read (see IniStore::Adopt).
    virtual void AdoptContent(IniFileRef file, std::string bytes, const ReadMark& mark);
    // The file's content as the service holds it, shared: a search can run over it on another
    // thread while writes go on.
    virtual std::shared_ptr<const std::string> Snapshot(IniFileRef file);

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
