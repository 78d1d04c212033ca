#include "shell/modal_scope.h"

#include "ui/error_sink.h"
#include "ui/form.h"
#include "ui/screen.h"

ModalScope::ModalScope(TCustomForm* modal) : modal_(modal) {
    TScreen& screen = TScreen::Instance();
    active_ = screen.ActiveForm();
    focusCount_ = screen.FocusCount();
    screen.PushFocus(modal ? modal : screen.FocusedForm());
    for (TCustomForm* form : screen.Forms()) {
        if (!form->Visible() || !form->Enabled()) continue;
        form->SetEnabled(false);
        disabled_.insert(disabled_.begin(), form);
    }
}

ModalScope::~ModalScope() {
    TScreen& screen = TScreen::Instance();
    if (screen.Contains(modal_)) CatchErrors(modal_, [this] { modal_->Hide(); });
    for (TCustomForm* form : disabled_)
        if (screen.Contains(form)) form->SetEnabled(true);
    screen.PopFocus();
    if (screen.Contains(active_)) active_->BringToFront();
    screen.SetFocusCount(focusCount_);
}
