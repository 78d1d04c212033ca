#include "shell/window_list.h"

#include <algorithm>

#include "ui/form.h"
#include "ui/screen.h"

TDisabledWindows DisableOtherWindows(TCustomForm* except) {
    TDisabledWindows disabled;
    for (TCustomForm* form : TScreen::Instance().Forms()) {
        if (form == except || !form->Visible() || !form->Enabled()) continue;
        form->SetEnabled(false);
        disabled.insert(disabled.begin(), form);
    }
    return disabled;
}

void ReenableWindows(const TDisabledWindows& windows) {
    const auto& alive = TScreen::Instance().Forms();
    for (TCustomForm* form : windows)
        if (std::find(alive.begin(), alive.end(), form) != alive.end()) form->SetEnabled(true);
}
