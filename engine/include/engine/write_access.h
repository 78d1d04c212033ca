#pragma once
// Whether the profile service would be refused writing a file, told without trying: a view
// marks the file before any write fails.
#include <string>

#include "engine/ini_failure.h"

// Why a write to the regular file at path would be refused (no permission, a read-only file
// system, no write bit, which the service respects even for root); None when it would not,
// or when there is no such file. The file is not opened for writing: a watcher of it would
// take that for a change.
IniFailure WriteRefusalAt(const std::string& path);
