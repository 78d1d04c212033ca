#include "platform/profile/write_access.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

ProfileFailure WriteRefusalAt(const std::string& path) {
    struct stat status;
    if (stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) return ProfileFailure::None;
    if (access(path.c_str(), W_OK) != 0) {
        const int error = errno;
        return error == EACCES || error == EPERM || error == EROFS ? FailureOfSystemError(error) : ProfileFailure::None;
    }
    if ((status.st_mode & 0222) == 0) return ProfileFailure::ReadOnlyFile;
    return ProfileFailure::None;
}
