#pragma once
// The system message box over one of our windows.
#include <string>

#include "platform/message_box.h"

class TCustomForm;

// Shows the box over owner (or over nothing when it is null) and waits until it is closed.
void ShowSystemMessageBoxOver(const TCustomForm* owner, const std::string& text, const std::string& caption,
                              MessageBoxIcon icon);
