#pragma once
// The file a path finally names once its symbolic links are followed, even when that file does
// not exist yet: a write through a link goes to the link's target.
#include <string>

#include "engine/file_ops.h"
#include "engine/ini_failure.h"

struct LinkTarget {
    std::string path;  // empty when failed
    IniFailure failure = IniFailure::None;
};

// Fails with TooManyLinks when the links go round or run longer than the system follows, and
// with UntrustedLink for a link the system would not follow either when it protects links: in
// a sticky folder that everyone may write, one made by neither us nor the folder's owner (who
// could plant it to point a name we are about to write at a file of ours).
LinkTarget FollowLinks(FileOps& ops, const std::string& path);
