#include "engine/write_access.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

IniFailure WriteRefusalAt(const std::string& path) {
    struct stat status;
    if (stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) return IniFailure::None;
    if (access(path.c_str(), W_OK) != 0) {
        const int error = errno;
        return error == EACCES || error == EPERM || error == EROFS ? FailureOfSystemError(error) : IniFailure::None;
    }
    if ((status.st_mode & 0222) == 0) return IniFailure::ReadOnlyFile;
    return IniFailure::None;
}
