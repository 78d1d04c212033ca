#pragma once
// What a file has beside its bytes, carried over to the file that replaces it.
#include <sys/stat.h>

#include "engine/file_ops.h"

// Gives the file open at `to`, not yet named, what the file open at `from` (whose status is
// original) has: its owner and group, permission bits, access ACL and extended attributes.
// False when one of them cannot be given (we may not set that owner, group or attribute, or
// cannot read it): then the file is better rewritten where it is.
bool CopyMetadata(FileOps& ops, int from, const struct stat& original, int to);
