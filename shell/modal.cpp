#include "shell/modal.h"

#include "platform/mouse_capture.h"
#include "shell/application.h"
#include "shell/modal_scope.h"
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

// The loop's own marks on the window and the screen, put back on every way out once the
// windows' state is back (so it is declared before the ModalScope).
class ModalLoopMarks {
public:
    explicit ModalLoopMarks(TCustomForm& form)
        : form_(form), screen_(TScreen::Instance()), savedCursor_(screen_.Cursor()) {
        form_.SetInModalLoop(true);
        screen_.SetCursor(TCursor::crDefault);
        cursorCount_ = screen_.CursorCount();
    }
    ~ModalLoopMarks() {
        screen_.SetCursor(screen_.CursorCount() == cursorCount_ ? savedCursor_ : TCursor::crDefault);
        if (screen_.Contains(&form_)) form_.SetInModalLoop(false);
    }
    ModalLoopMarks(const ModalLoopMarks&) = delete;
    ModalLoopMarks& operator=(const ModalLoopMarks&) = delete;

private:
    TCustomForm& form_;
    TScreen& screen_;
    TCursor savedCursor_;
    int cursorCount_ = 0;
};

// Serves events until the window's close protocol accepted a modal result. False when the
// window was destroyed meanwhile: then it must not be touched again.
bool ServeUntilClosed(TCustomForm& form) {
    const TScreen& screen = TScreen::Instance();
    for (;;) {
        Application->ServeOneEvent();
        if (!screen.Contains(&form)) return false;
        if (Application->QuitRequested()) form.SetModalResult(ResultCancel);
        else if (form.ModalResult() != ResultNone) FinishModal(form);
        if (!screen.Contains(&form)) return false;
        if (form.ModalResult() != ResultNone) return true;
    }
}

}  // namespace

TModalResult RunModal(TCustomForm& form) {
    if (form.Visible() || !form.Enabled() || form.InModalLoop())
        throw EInvalidOperation("Cannot make a visible window modal");
    ReleaseMouseCapture();
    ModalLoopMarks marks(form);
    ModalScope windows(&form);
    form.Show();
    form.Activate();
    form.SetModalResult(ResultNone);
    if (!ServeUntilClosed(form)) return ResultCancel;
    TModalResult result = form.ModalResult();
    form.Deactivate();
    if (!form.IsActiveWindow()) windows.ForgetActiveWindow();
    return result;
}
