#pragma once
// The base of the wrappers around the desktop's choosers: run task-modally over the
// application, with the chooser's help request seen through the application's window hooks.
#include <cstdint>
#include <functional>

#include "platform/file_chooser.h"
#include "shell/application.h"
#include "ui/component.h"
#include "ui/events.h"

class TCustomForm;

using TChooserFunction = std::function<bool(TFileChooserRequest&)>;

class TCommonDialog : public TComponent {
public:
    explicit TCommonDialog(TComponent* owner);
    const char* ClassName() const override { return "TCommonDialog"; }

    // Kept for layouts; it changes nothing.
    bool Ctl3D() const { return ctl3D_; }
    void SetCtl3D(bool on) { ctl3D_ = on; }
    int32_t HelpContext() const { return helpContext_; }
    void SetHelpContext(int32_t context) { helpContext_ = context; }
    TNotifyEvent OnShow, OnClose;

    // The open chooser; null while none is open.
    TChooserWindow* Handle() const { return handle_; }

    // Runs the dialog; true when the user chose.
    virtual bool RunDialog() = 0;
    // Handles the chooser's help request while a help context is set. The application has
    // no help viewer, so answering it is all there is to do.
    virtual bool HelpMessageHook(const AppMessage& message);
    // Runs chooser with every other window disabled and HelpMessageHook on the application's
    // window; afterwards, whatever happened, puts back the windows, the floating-point
    // modes, the active window and the focus counter.
    virtual bool RunTaskModal(const TChooserFunction& chooser, TFileChooserRequest& record);

    bool ApplyProperty(std::string_view name, const LayoutValue& value, LayoutReader& reader) override;

protected:
    virtual void DoShow();
    virtual void DoClose();
    // The chooser came up: it is ours until Release.
    void TakeOver(TChooserWindow& window);
    void Release() { handle_ = nullptr; }
    // The window that was active when the run began, so the chooser can join its monitor.
    TCustomForm* ActiveAtStart() const { return activeAtStart_; }

private:
    class HelpHook final : public TAppWindowHook {
    public:
        explicit HelpHook(TCommonDialog& dialog) : dialog_(dialog) {}
        bool HandleAppMessage(const AppMessage& message) override { return dialog_.HelpMessageHook(message); }

    private:
        TCommonDialog& dialog_;
    };

    bool ctl3D_ = true;
    int32_t helpContext_ = 0;
    TChooserWindow* handle_ = nullptr;
    TCustomForm* activeAtStart_ = nullptr;
    HelpHook helpHook_{*this};
};

// Whether the desktop's chooser is of the newer kind: it tells its current path while open,
// and its names come back zero-separated. The desktops we run on have no other kind.
constexpr bool NewStyleShell = true;

// The dialog whose chooser is being created, or null: one at a time per process.
TCommonDialog* DialogBeingCreated();
