#pragma once
// Whether the engine would be refused writing a file, told without trying: a view
// marks the file before any write fails.
#include <sys/types.h>

#include <string>

#include "engine/ini_failure.h"

// Why a write to the regular file at path would be refused (no permission, a read-only file
// system, no write bit, which the service respects even for root); None when it would not,
// or when there is no such file. The file is not opened for writing: a watcher of it would
// take that for a change.
IniFailure WriteRefusalAt(const std::string& path);
// The rules it asks, for a file already open: an error the system gave for opening it to write
// that refuses the write (the others are failures of their own), and a mode without write bits.
bool RefusesWriting(int error);
IniFailure WriteRefusalOfMode(mode_t mode);
