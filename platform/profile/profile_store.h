#pragma once
// Profile files as parsed documents, cached per path. Each call checks the file's stamp, so an
// edit by another program is seen by the next call; each write locks the file, works on its
// current content and saves it, so no other writer's change is lost.
#include <functional>
#include <list>
#include <string>
#include <string_view>

#include "platform/profile/file_ops.h"
#include "platform/profile/file_stamp.h"
#include "platform/profile/ini_document.h"

class ProfileStore {
public:
    using Edit = std::function<EditResult(IniDocument&)>;

    void UseFileOps(FileOps& ops) { ops_ = &ops; }

    // The file's content now; a file that is missing or cannot be read, or no path, reads as empty.
    // Valid until the next call.
    const IniDocument& Document(const char* path);
    // Applies the edit to the file's content under an exclusive lock and saves what changed.
    // True when the edit succeeded: it was saved, or there was nothing to change.
    bool Apply(const char* path, const Edit& edit);
    // Forgets cached content that no longer matches its file; every path when path is null.
    void Flush(const char* path);

private:
    struct Entry {
        std::string path;
        FileStamp stamp;
        int codePage;
        IniDocument document;
    };

    // The entry for path if it still matches the file's stamp; a stale one is dropped.
    Entry* Find(std::string_view path, const FileStamp& stamp);
    Entry& Remember(std::string_view path, const FileStamp& stamp, std::string bytes);
    void Forget(std::string_view path);

    FileOps* ops_ = &SystemFileOps();
    std::list<Entry> entries_;  // most recently used first
};
