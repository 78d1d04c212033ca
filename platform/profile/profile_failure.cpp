#include "platform/profile/profile_failure.h"

#include <locale.h>

#include <cerrno>
#include <cstring>

namespace {

// The system's own wording in English, whatever the user's locale.
std::string SystemErrorText(int error) {
    static const locale_t english = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    if (english == locale_t(nullptr)) return "System error " + std::to_string(error);
    return strerror_l(error, english);
}

}  // namespace

std::string ProfileFailureText(ProfileFailure failure, int systemError) {
    switch (failure) {
        case ProfileFailure::None: return {};
        case ProfileFailure::CannotHold: return "The file cannot hold this name or value as given";
        case ProfileFailure::EmptyName: return "The name is empty";
        case ProfileFailure::NameTaken: return "That name is already in use";
        case ProfileFailure::Stale: return "The file was changed by another program";
        case ProfileFailure::JoinsLines: return "Removing these lines would join two other lines";
        case ProfileFailure::TooLarge: return "The file is too large";
        case ProfileFailure::Locked: return "The file is locked by another program";
        case ProfileFailure::ReadOnlyFile: return "The file is read-only";
        case ProfileFailure::PermissionDenied: return SystemErrorText(EACCES);
        case ProfileFailure::ReadOnlyFileSystem: return SystemErrorText(EROFS);
        case ProfileFailure::NoSpace: return SystemErrorText(ENOSPC);
        case ProfileFailure::NotRegularFile: return "Not a regular file";
        case ProfileFailure::TooManyLinks: return SystemErrorText(ELOOP);
        case ProfileFailure::UntrustedLink:
            return "The path is a symbolic link that another user made in a shared folder";
        case ProfileFailure::ChangedMeanwhile: return "Another program kept replacing the file while it was saved";
        case ProfileFailure::SystemError: return SystemErrorText(systemError);
    }
    return {};
}

ProfileFailure FailureOfSystemError(int error) {
    switch (error) {
        case ENOSPC:
        case EDQUOT: return ProfileFailure::NoSpace;
        case EACCES:
        case EPERM: return ProfileFailure::PermissionDenied;
        case EROFS: return ProfileFailure::ReadOnlyFileSystem;
        case ELOOP: return ProfileFailure::TooManyLinks;
        case EFBIG: return ProfileFailure::TooLarge;
        default: return ProfileFailure::SystemError;
    }
}
