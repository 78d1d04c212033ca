#pragma once
// Why a write was refused or failed, as a value a window can act on and as a text it can show.
#include <string>

enum class IniFailure {
    None,
    CannotHold,          // a name or value the file cannot hold so that it reads back exactly
    EmptyName,           // a new name must not be empty
    NameTaken,           // the section, or the file, already has that name
    Stale,               // the target no longer reads as the caller saw it
    JoinsLines,          // a removal would leave a lone CR before an LF, joining two lines
    Undecodable,         // the change would touch bytes that do not read in the file's encoding
    TooLarge,            // the file would not fit the 4 GiB that the service handles
    Locked,              // another program held the file's lock for longer than we wait
    ReadOnlyFile,        // the file has no write bit
    PermissionDenied,
    ReadOnlyFileSystem,
    NoSpace,
    NotRegularFile,      // a folder, pipe or device
    TooManyLinks,
    UntrustedLink,       // a link another user made in a sticky folder open to all
    ChangedMeanwhile,    // another program kept replacing the file while we saved it
    SystemError,         // any other failing system call: see the error number
};

// The reason in English, for "Unable to write to <path>. <reason>". systemError is the errno of
// the failing call, used for SystemError.
std::string IniFailureText(IniFailure failure, int systemError = 0);

// The failure an errno of a failing file call stands for.
IniFailure FailureOfSystemError(int error);
