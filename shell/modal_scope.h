#pragma once
// While one window, or a box or chooser of the toolkit's own, takes all input: the other
// windows are disabled, and the windows' state is put back on every way out.
#include "shell/application.h"

class ModalScope {
public:
    // Disables every visible, enabled window and remembers the active window, the focused
    // window and the focus counter. modal is the window that takes the input: it becomes the
    // focused window and is hidden on the way out. Null for a box or a chooser.
    explicit ModalScope(TCustomForm* modal);
    // Hides the modal window, re-enables the disabled windows, gives the focus back and
    // brings the remembered active window to the front, each only while it still exists;
    // puts the focus counter back.
    ~ModalScope();
    ModalScope(const ModalScope&) = delete;
    ModalScope& operator=(const ModalScope&) = delete;

    // The window that was active when the scope began, if it was one of ours.
    TCustomForm* ActiveAtStart() const { return active_; }
    // The active window stays where it is on the way out.
    void ForgetActiveWindow() { active_ = nullptr; }

private:
    TCustomForm* modal_;
    TCustomForm* active_;
    int focusCount_;
    TWindowList disabled_;
};
