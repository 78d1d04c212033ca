#pragma once
// The message dialog: one text, the icon of its kind and a row of standard buttons, shown
// modally; it answers the modal result of the button that closed it.
#include <cstdint>
#include <memory>
#include <string>

#include "dialogs/message_buttons.h"
#include "dialogs/message_form.h"
#include "dialogs/message_kinds.h"

// Centred on the screen.
TModalResult ShowMessageDialog(const std::string& text, TMessageKind kind, TMessageButtons buttons,
                               int32_t helpContext);
// With its outer left edge at x and top edge at y where these are not negative; centred
// when both are.
TModalResult ShowMessageDialogAt(const std::string& text, TMessageKind kind, TMessageButtons buttons,
                                 int32_t helpContext, int32_t x, int32_t y, const std::string& helpFile);

// A new hidden dialog owned by the application object, for the caller to show and free.
std::unique_ptr<TMessageForm> BuildMessageForm(const std::string& text, TMessageKind kind, TMessageButtons buttons);
