#include "engine/ini_failure.h"

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

std::string IniFailureText(IniFailure failure, int systemError) {
    switch (failure) {
        case IniFailure::None: return {};
        case IniFailure::CannotHold: return "The file cannot hold this name or value as given";
        case IniFailure::EmptyName: return "The name is empty";
        case IniFailure::NameTaken: return "That name is already in use";
        case IniFailure::Stale: return "The file was changed by another program";
        case IniFailure::JoinsLines: return "Removing these lines would join two other lines";
        case IniFailure::Undecodable: return "The change would touch bytes that do not read as text, which are kept as they are";
        case IniFailure::TooLarge: return "The file is too large";
        case IniFailure::Locked: return "The file is locked by another program";
        case IniFailure::ReadOnlyFile: return "The file is read-only";
        case IniFailure::PermissionDenied: return SystemErrorText(EACCES);
        case IniFailure::ReadOnlyFileSystem: return SystemErrorText(EROFS);
        case IniFailure::NoSpace: return SystemErrorText(ENOSPC);
        case IniFailure::NotRegularFile: return "Not a regular file";
        case IniFailure::TooManyLinks: return SystemErrorText(ELOOP);
        case IniFailure::UntrustedLink:
            return "The path is a symbolic link that another user made in a shared folder";
        case IniFailure::ChangedMeanwhile: return "Another program kept replacing the file while it was saved";
        case IniFailure::SystemError: return SystemErrorText(systemError);
    }
    return {};
}

IniFailure FailureOfSystemError(int error) {
    switch (error) {
        case ENOSPC:
        case EDQUOT: return IniFailure::NoSpace;
        case EACCES:
        case EPERM: return IniFailure::PermissionDenied;
        case EROFS: return IniFailure::ReadOnlyFileSystem;
        case ELOOP: return IniFailure::TooManyLinks;
        case EFBIG: return IniFailure::TooLarge;
        default: return IniFailure::SystemError;
    }
}
