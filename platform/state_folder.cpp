#include "platform/state_folder.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

namespace {

constexpr const char* ProgramFolderName = "/iniviewer";

std::string HomeFolder() {
    if (const char* home = std::getenv("HOME"); home && *home) return home;
    if (const passwd* user = getpwuid(getuid()); user && user->pw_dir) return user->pw_dir;
    return {};
}

// An XDG base folder: the variable when it holds an absolute path, else the default under home.
std::string XdgFolder(const char* variable, const char* underHome) {
    if (const char* folder = std::getenv(variable); folder && folder[0] == '/') return folder;
    const std::string home = HomeFolder();
    return home.empty() ? home : home + underHome;
}

}  // namespace

std::string ProgramStateFolder() {
    const std::string state = XdgFolder("XDG_STATE_HOME", "/.local/state");
    return state.empty() ? state : state + ProgramFolderName;
}

std::string UserDataFolder() { return XdgFolder("XDG_DATA_HOME", "/.local/share"); }
