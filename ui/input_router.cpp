#include "ui/input_router.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QWidget>

#include "platform/beep.h"
#include "platform/key_mapping.h"
#include "ui/error_sink.h"
#include "ui/form.h"
#include "ui/screen.h"
#include "ui/widget_access.h"

namespace {

bool IsDialogKey(uint16_t key) {
    switch (key) {
        case vk::Tab:
        case vk::Left:
        case vk::Up:
        case vk::Right:
        case vk::Down:
        case vk::Return:
        case vk::Escape:
        case vk::Cancel:
        case vk::Execute: return true;
        default: return false;
    }
}

bool IsUserInput(QEvent::Type type) {
    switch (type) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::ContextMenu:
        case QEvent::InputMethod:
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop:
        case QEvent::Close: return true;
        default: return false;
    }
}

TCustomForm* FormOfWidget(const QWidget* widget) {
    if (!widget) return nullptr;
    TControl* control = ControlOfWidget(widget->window());
    return dynamic_cast<TCustomForm*>(control);
}

// The topmost window that still takes input, to bring forward when a disabled one is clicked.
TCustomForm* TopEnabledForm() {
    const auto& forms = TScreen::Instance().Forms();
    for (auto it = forms.rbegin(); it != forms.rend(); ++it)
        if ((*it)->Visible() && (*it)->Enabled()) return *it;
    return nullptr;
}

// Runs one key press through our stages; true when one of them consumed it.
bool RouteKeyPress(TWinControl& control, KeyRecord record) {
    TCustomForm* form = control.ParentForm();
    if (!form) return false;
    if (IsDialogKey(record.key) && !control.WantsKey(record) && form->HandleDialogKey(record)) return true;
    // Without a desktop that handles it, Alt+F4 is ours to turn into a close request.
    if (record.key == vk::F4 && record.shift.Keys() == TShiftState(ShiftFlag::Alt)) {
        form->RequestClose();
        return true;
    }
    uint16_t key = record.key;
    if (form->KeyPreview() && form->OnKeyDown && &control != form) {
        form->OnKeyDown(form, key, record.shift);
        if (key == 0) return true;
    }
    if (control.OnKeyDown) {
        control.OnKeyDown(&control, key, record.shift);
        if (key == 0) return true;
    }
    if (record.key >= '0' && record.key <= 'Z' && !record.shift.Has(ShiftFlag::Ctrl) &&
        (record.shift.Has(ShiftFlag::Alt) || !control.WantsCharacters()))
        return form->OfferAccessKey(char16_t(record.key));
    return false;
}

class InputRouter : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!watched->isWidgetType() || !IsUserInput(event->type())) return false;
        auto* widget = static_cast<QWidget*>(watched);
        TCustomForm* form = FormOfWidget(widget);
        if (form && !form->Enabled()) return RefuseInput(*event);
        if (event->type() != QEvent::KeyPress || widget != QApplication::focusWidget()) return false;
        auto* control = dynamic_cast<TWinControl*>(ControlOfWidget(widget));
        auto record = KeyRecordOf(*static_cast<QKeyEvent*>(event));
        if (!control || !record) return false;
        bool consumed = false;
        CatchErrors(control, [&] { consumed = RouteKeyPress(*control, *record); });
        return consumed;
    }

private:
    static bool RefuseInput(QEvent& event) {
        if (event.type() == QEvent::Close) event.ignore();
        if (event.type() == QEvent::MouseButtonPress)
            if (TCustomForm* modal = TopEnabledForm()) {
                SoundDefaultBeep();
                modal->BringToFront();
            }
        return true;
    }
};

void NoteFocusChange(QWidget*, QWidget* now) {
    auto* control = dynamic_cast<TWinControl*>(ControlOfWidget(now));
    if (!control) return;
    if (TCustomForm* form = control->ParentForm(); form && form != control) {
        CatchErrors(form, [&] { form->NoteFocusedControl(control); });
    }
}

}  // namespace

void InstallInputRouter() {
    // One router per toolkit instance: it lives and dies with it.
    static QPointer<InputRouter> router;
    if (router) return;
    router = new InputRouter;
    router->setParent(qApp);
    qApp->installEventFilter(router);
    QObject::connect(qApp, &QApplication::focusChanged, router, &NoteFocusChange);
}
