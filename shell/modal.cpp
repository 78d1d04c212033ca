#include "shell/modal.h"

#include <algorithm>

#include "platform/mouse_capture.h"
#include "shell/application.h"
#include "shell/window_list.h"
#include "ui/error_sink.h"
#include "ui/screen.h"

void FinishModal(TCustomForm& form) {
    try {
        TCloseAction action = TCloseAction::CloseActionNone;
        if (form.QueryCanClose()) {
            action = TCloseAction::CloseActionHide;
            if (form.OnClose) form.OnClose(&form, action);
        }
        if (action == TCloseAction::CloseActionNone) form.SetModalResult(ResultNone);
        else if (action == TCloseAction::CloseActionFree) form.ReleaseLater();
    } catch (...) {
        form.SetModalResult(ResultNone);
        Application->ReportUnhandledError(&form, std::current_exception());
    }
}

namespace {

bool StillExists(TCustomForm* form) {
    const auto& forms = TScreen::Instance().Forms();
    return form && std::find(forms.begin(), forms.end(), form) != forms.end();
}

// What RunModal saved, put back on every way out.
class ModalState {
public:
    explicit ModalState(TCustomForm& form) : form_(form), screen_(TScreen::Instance()) {
        activeWindow_ = screen_.ActiveForm();
        focusCount_ = screen_.FocusCount;
        screen_.SavedFocusStates.insert(screen_.SavedFocusStates.begin(), screen_.FocusedForm);
        screen_.FocusedForm = &form;
        savedCursor_ = screen_.Cursor();
        screen_.SetCursor(TCursor::crDefault);
        cursorCount_ = screen_.CursorCount();
        disabled_ = DisableOtherWindows(nullptr);
    }

    ~ModalState() {
        CatchErrors(&form_, [this] { form_.Hide(); });
        screen_.SetCursor(screen_.CursorCount() == cursorCount_ ? savedCursor_ : TCursor::crDefault);
        ReenableWindows(disabled_);
        TCustomForm* focused = nullptr;
        if (!screen_.SavedFocusStates.empty()) {
            focused = screen_.SavedFocusStates.front();
            screen_.SavedFocusStates.erase(screen_.SavedFocusStates.begin());
        }
        screen_.FocusedForm = StillExists(focused) ? focused : nullptr;
        if (StillExists(activeWindow_)) activeWindow_->BringToFront();
        screen_.FocusCount = focusCount_;
        form_.SetInModalLoop(false);
    }

    void ForgetActiveWindow() { activeWindow_ = nullptr; }

private:
    TCustomForm& form_;
    TScreen& screen_;
    TCustomForm* activeWindow_ = nullptr;
    int focusCount_ = 0;
    TCursor savedCursor_ = TCursor::crDefault;
    int cursorCount_ = 0;
    TDisabledWindows disabled_;
};

}  // namespace

TModalResult RunModal(TCustomForm& form) {
    if (form.Visible() || !form.Enabled() || form.InModalLoop())
        throw EInvalidOperation("Cannot make a visible window modal");
    ReleaseMouseCapture();
    form.SetInModalLoop(true);
    ModalState state(form);
    form.Show();
    form.Activate();
    form.SetModalResult(ResultNone);
    while (true) {
        Application->ServeOneEvent();
        if (Application->QuitRequested()) form.SetModalResult(ResultCancel);
        else if (form.ModalResult() != ResultNone) FinishModal(form);
        if (form.ModalResult() != ResultNone) break;
    }
    TModalResult result = form.ModalResult();
    form.Deactivate();
    if (!form.IsActiveWindow()) state.ForgetActiveWindow();
    return result;
}
