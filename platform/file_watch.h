#pragma once
// Watching one file for changes that other programs make: written, replaced by a rename (as
// careful writers and most editors save), created again, deleted or moved away. The file and
// its folder are both watched, so that a replaced file keeps being watched under its name.
#include <functional>
#include <memory>
#include <string>

class TFileWatch {
public:
    // changed runs on the program's thread once a burst of changes has settled for a moment.
    explicit TFileWatch(std::function<void()> changed);
    ~TFileWatch();
    TFileWatch(const TFileWatch&) = delete;
    TFileWatch& operator=(const TFileWatch&) = delete;

    // Watches the file at path from now on (a path in the locale's code page); empty: none.
    // A file that cannot be watched (no such folder, no watches left) is simply not watched.
    void Watch(const std::string& path);
    const std::string& Path() const { return path_; }
    // Tells of a change again a moment from now: for a listener that could not take it yet.
    void Retell();

private:
    struct Watcher;
    std::string path_;
    std::unique_ptr<Watcher> watcher_;
};
