#pragma once
// The desktop's shared list of recently used files (recently-used.xbel in the user's data
// folder), which the desktop's file dialogs and launchers read too. Paths are byte strings in
// whatever encoding their names have: they go in as their bytes and come back as the same.
#include <cstddef>
#include <string>
#include <vector>

class TRecentFiles {
public:
    // The list kept in xbelFile. An empty name keeps nothing.
    explicit TRecentFiles(std::string xbelFile);
    // The desktop's list: recently-used.xbel in UserDataFolder().
    static TRecentFiles OfUser();

    // Records path (made absolute) as used by this program now. False when the list could not
    // be read or written; a list that is there but unreadable is left as it is.
    bool Add(const std::string& path);
    // The files this program recorded that still exist, newest first, at most `most`.
    std::vector<std::string> Files(std::size_t most) const;

private:
    std::string xbelFile_;
};
