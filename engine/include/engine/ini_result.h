#pragma once
// What a write did: a failure and why, or success with what it changed (nothing, for a write
// that had nothing to change), which undo and redo take back.
#include "engine/edit_record.h"
#include "engine/ini_failure.h"

struct IniResult {
    IniFailure failure = IniFailure::None;
    int systemError = 0;  // the errno behind a SystemError
    EditRecord change;

    bool Succeeded() const { return failure == IniFailure::None; }
};
