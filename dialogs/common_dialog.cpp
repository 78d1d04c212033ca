#include "dialogs/common_dialog.h"

#include <fenv.h>

#include "encoding/scope_exit.h"
#include "shell/modal_scope.h"
#include "ui/layout_reader.h"

namespace {
TCommonDialog* g_beingCreated = nullptr;
}  // namespace

TCommonDialog* DialogBeingCreated() { return g_beingCreated; }

TCommonDialog::TCommonDialog(TComponent* owner) : TComponent(owner) {}

bool TCommonDialog::HelpMessageHook(const AppMessage& message) {
    return message.Id == ChooserHelpMessageId && helpContext_ != 0;
}

bool TCommonDialog::RunTaskModal(const TChooserFunction& chooser, TFileChooserRequest& record) {
    ModalScope windows(nullptr);
    activeAtStart_ = windows.ActiveAtStart();

    if (Application) Application->HookAppWindow(&helpHook_);
    const ScopeExit unhook([this] {
        if (Application) Application->UnhookAppWindow(&helpHook_);
    });

    // A chooser that runs foreign code may leave the floating-point modes changed.
    femode_t modes{};
    fegetmode(&modes);
    const ScopeExit restoreModes([&modes] {
        feclearexcept(FE_ALL_EXCEPT);
        fesetmode(&modes);
        g_beingCreated = nullptr;
    });

    g_beingCreated = this;
    return chooser(record);
}

void TCommonDialog::TakeOver(TChooserWindow& window) {
    handle_ = &window;
    g_beingCreated = nullptr;
}

void TCommonDialog::DoShow() {
    if (OnShow) OnShow(this);
}

void TCommonDialog::DoClose() {
    if (OnClose) OnClose(this);
}

bool TCommonDialog::ApplyProperty(std::string_view name, const LayoutValue& value, LayoutReader& reader) {
    if (name == "Ctl3D") SetCtl3D(value.AsBool());
    else if (name == "HelpContext") SetHelpContext(value.AsInt());
    else if (name == "OnShow") OnShow = reader.Handler<TNotifyEvent>(value);
    else if (name == "OnClose") OnClose = reader.Handler<TNotifyEvent>(value);
    else return TComponent::ApplyProperty(name, value, reader);
    return true;
}
