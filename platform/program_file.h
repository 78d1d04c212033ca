#pragma once
// The running program's own file.
#include <optional>
#include <string>

// The executable's file name without its folder; nothing while the toolkit is not running.
std::optional<std::string> ProgramFileName();
