#include "engine/write_access.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

bool RefusesWriting(int error) { return error == EACCES || error == EPERM || error == EROFS; }

IniFailure WriteRefusalOfMode(mode_t mode) { return (mode & 0222) == 0 ? IniFailure::ReadOnlyFile : IniFailure::None; }

IniFailure WriteRefusalAt(const std::string& path) {
    struct stat status;
    if (stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) return IniFailure::None;
    if (access(path.c_str(), W_OK) != 0) {
        const int error = errno;
        return RefusesWriting(error) ? FailureOfSystemError(error) : IniFailure::None;
    }
    return WriteRefusalOfMode(status.st_mode);
}
