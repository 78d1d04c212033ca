#pragma once
// What a write did: a failure and why, or success with what it changed (nothing, for a write
// that had nothing to change), which undo and redo take back.
#include "platform/profile/edit_record.h"
#include "platform/profile/profile_failure.h"

struct ProfileResult {
    ProfileFailure failure = ProfileFailure::None;
    int systemError = 0;  // the errno behind a SystemError
    EditRecord change;

    bool Succeeded() const { return failure == ProfileFailure::None; }
};
