#pragma once
// Modal windows: a nested event loop in which one window is the only usable one.
#include "ui/form.h"

// Shows the window modally and returns its modal result once the close was accepted; the
// window is left alive and hidden for the caller to read and free. A window destroyed
// during its own loop ends it with ResultCancel.
TModalResult RunModal(TCustomForm& form);
// Confirms (or cancels) the end that a non-zero modal result asks for.
void FinishModal(TCustomForm& form);
