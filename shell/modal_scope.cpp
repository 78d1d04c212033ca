#include "shell/modal_scope.h"

#include "shell/application.h"
#include "ui/error_sink.h"
#include "ui/form.h"
#include "ui/screen.h"

ModalScope::ModalScope(TCustomForm* modal) : modal_(modal) {
    TScreen& screen = TScreen::Instance();
    active_ = screen.ActiveForm();
    focusCount_ = screen.FocusCount();
    screen.PushFocus(modal ? modal : screen.FocusedForm());
    disabled_ = TApplication::DisableOtherWindows(nullptr);
}

ModalScope::~ModalScope() {
    TScreen& screen = TScreen::Instance();
    if (screen.Contains(modal_)) CatchErrors(modal_, [this] { modal_->Hide(); });
    TApplication::ReenableWindows(disabled_);
    screen.PopFocus();
    if (screen.Contains(active_)) active_->BringToFront();
    screen.SetFocusCount(focusCount_);
}
