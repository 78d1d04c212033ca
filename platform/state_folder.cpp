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

}  // namespace

std::string ProgramStateFolder() {
    if (const char* state = std::getenv("XDG_STATE_HOME"); state && state[0] == '/')
        return state + std::string(ProgramFolderName);
    const std::string home = HomeFolder();
    return home.empty() ? home : home + "/.local/state" + ProgramFolderName;
}
