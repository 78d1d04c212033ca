#pragma once
// The program's own folder for what it keeps between runs.
#include <string>

// $XDG_STATE_HOME/iniviewer, else ~/.local/state/iniviewer (a relative $XDG_STATE_HOME is
// ignored, as the XDG rules ask). Empty when no home folder is known. Not created here.
std::string ProgramStateFolder();

// The user's data folder, shared with the desktop's other programs: $XDG_DATA_HOME, else
// ~/.local/share (a relative $XDG_DATA_HOME is ignored). Empty when no home folder is known.
std::string UserDataFolder();
