#pragma once
// What a write did: a failure and why, or success with what it changed (nothing, for a write
// that had nothing to change), which undo and redo take back, and the state it was made on.
#include "engine/edit_record.h"
#include "engine/file_stamp.h"
#include "engine/ini_failure.h"

struct IniResult {
    IniFailure failure = IniFailure::None;
    int systemError = 0;  // the errno behind a SystemError
    EditRecord change;
    // The file's stamp as the write first found it, before changing it (nothing exists for a
    // missing file), so that a caller knows whether what it showed was the file's state.
    FileStamp stampBefore;

    bool Succeeded() const { return failure == IniFailure::None; }
};
