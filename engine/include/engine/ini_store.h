#pragma once
// Profile files as parsed documents, cached per path. Each call checks the file's stamp, so an
// edit by another program is seen by the next call (within a batch, the first call on a path
// checks it for the rest); each write locks the file, works on its current content and saves
// it, so no other writer's change is lost. The caller gives each file's code page. A UTF-16
// file's document holds its text in UTF-8 (names, values and edits are UTF-8), and a save
// writes back the file's own units wherever the edit did not change the text.
#include <chrono>
#include <cstdint>
#include <list>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "encoding/code_page.h"
#include "engine/edit_record.h"
#include "engine/edit_sequence.h"
#include "engine/file_ops.h"
#include "engine/file_stamp.h"
#include "engine/held_file.h"
#include "engine/ini_document.h"
#include "engine/ini_failure.h"
#include "engine/ini_result.h"
#include "engine/whole_file.h"

class Utf16Layout;

class IniStore {
public:
    using Edit = DocumentEdit;
    // How long a write waits for a lock that another program holds.
    static constexpr std::chrono::milliseconds DefaultLockWait{2000};

    void UseFileOps(FileOps& ops) {
        entries_.clear();
        ops_ = &ops;
    }
    void SetLockWait(std::chrono::milliseconds wait) { lockWait_ = wait; }

    // The file's content now, read in its code page; a file that is missing or cannot be read,
    // or an empty path, reads as empty. Valid until the next call.
    const IniDocument& Document(std::string_view path, TCodePage codePage);
    // Applies the edit to the file's content under an exclusive lock and saves what changed.
    IniResult Apply(std::string_view path, TCodePage codePage, const Edit& edit) {
        return Apply(path, codePage, std::span<const Edit>(&edit, 1));
    }
    // Applies the edits in turn under one lock and saves once: all of them, or none when one
    // is refused (the result's failure is its refusal, and the file stays as it was). The
    // result's change is what they did together.
    IniResult Apply(std::string_view path, TCodePage codePage, std::span<const Edit> edits);
    // Takes bytes another reader read as the file's content, read in codePage, while the file is
    // as it was when they were read and no writer holds its lock; otherwise drops them, and the
    // next call reads the file.
    void Adopt(std::string_view path, TCodePage codePage, std::string bytes, const ReadMark& mark);
    // The file's content now (see Document), shared: an edit meanwhile works on a copy.
    std::shared_ptr<const std::string> Snapshot(std::string_view path, TCodePage codePage) {
        return Document(path, codePage).SharedBytes();
    }
    // Forgets cached content that no longer matches its file.
    void Flush(std::string_view path);
    // The file's stamp as a call would see it now (nothing exists for a path that is not a
    // regular file), and the stamp of the content cached for it (nothing exists when none is).
    FileStamp StampNow(std::string_view path);
    FileStamp CachedStamp(std::string_view path);
    void FlushAll() { entries_.clear(); }

    // Between these, each path's file is checked once: the calls of one user action.
    void BeginBatch();
    void EndBatch();

private:
    struct Entry {
        std::string path;
        FileStamp stamp;
        TCodePage codePage;
        IniDocument document;
        std::uint64_t checkedInBatch = 0;
        HeldFile held;  // the file the stamp is of, while it exists
        std::shared_ptr<Utf16Layout> utf16;  // of a UTF-16 file: what its text does not say of its bytes
    };

    // What a dropped entry leaves for the read that replaces it: its document's tables and
    // buffer, and a UTF-16 file's bytes.
    struct Room {
        IniDocument document;
        std::shared_ptr<Utf16Layout> utf16;
        // The buffer to read the file's bytes into.
        std::string TakeReadBuffer();
    };

    // Apply's work; found is the file's stamp as first locked.
    IniResult ApplyLocked(std::string_view path, TCodePage codePage, std::span<const Edit> edits,
                          std::optional<FileStamp>& found);
    Entry* Find(std::string_view path);
    // The document parses the bytes (a UTF-16 file's text) in the room of `room`.
    Entry& Remember(std::string_view path, const FileStamp& stamp, TCodePage codePage, std::string bytes,
                    Room room = Room(), HeldFile held = HeldFile());
    void Forget(std::string_view path);
    // The entry, brought to the code page; nothing when it does not match the stamp. A stale
    // entry is dropped, and what it held handed to `room` for the read that replaces it.
    Entry* Current(std::string_view path, const FileStamp& stamp, TCodePage codePage, Room& room);
    void Checked(Entry& entry) { entry.checkedInBatch = batchDepth_ > 0 ? batch_ : 0; }

    FileOps* ops_ = &SystemFileOps();
    std::chrono::milliseconds lockWait_ = DefaultLockWait;
    std::list<Entry> entries_;  // most recently used first
    int batchDepth_ = 0;
    std::uint64_t batch_ = 0;  // counts the outermost batches
};
