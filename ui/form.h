#pragma once
// Windows: a top-level widget inside our TCustomForm, with the close protocol, the
// placement rules, the dialog keys and the modal fields that the shell's modal loop uses.
#include <functional>
#include <string>
#include <vector>

#include "platform/exception.h"
#include "ui/control.h"

DECLARE_ERROR_CLASS(EInvalidOperation, Exception);

using TModalResult = int32_t;
constexpr TModalResult ResultNone = 0, ResultOk = 1, ResultCancel = 2, ResultAbort = 3, ResultRetry = 4,
                       ResultIgnore = 5, ResultYes = 6, ResultNo = 7, ResultAll = 8, ResultNoToAll = 9,
                       ResultYesToAll = 10;

enum class TCloseAction { CloseActionNone = 0, CloseActionHide = 1, CloseActionFree = 2, CloseActionMinimize = 3 };
using TCloseQueryEvent = std::function<void(TComponent* sender, bool& canClose)>;
using TCloseEvent = std::function<void(TComponent* sender, TCloseAction& action)>;
// Paths of files dropped on a window, in the ANSI code page.
using TDropFilesEvent = std::function<void(TComponent* sender, const std::vector<std::string>& paths)>;

enum class TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow };
enum class TPosition { poDesigned, poScreenCenter };

class TCustomForm : public TWinControl {
public:
    ~TCustomForm() override;
    const char* ClassName() const override { return "TCustomForm"; }

    // Left, Top, Width and Height are the outer bounds, frame included; ClientWidth and
    // ClientHeight the inside. The client size is what the window keeps: whatever frame the
    // desktop puts around it, the designed content fits.
    int ClientWidth() const override { return clientWidth_; }
    int ClientHeight() const override { return clientHeight_; }
    void SetClientSize(int width, int height);
    void SetBounds(int left, int top, int width, int height) override;
    int Width() const override { return OuterWidth(); }
    int Height() const override { return OuterHeight(); }
    // Outer size including the frame (equal to the client size until the desktop framed it).
    int OuterWidth() const;
    int OuterHeight() const;
    // The smallest client size the user can give a sizeable window.
    void SetMinClientSize(int width, int height);

    void SetVisible(bool visible) override;
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    // Takes the window off the screen without OnHide and without changing Visible: the exit
    // step does this to every window before they are destroyed.
    void TakeOffScreen();
    // A disabled window takes no input but keeps its look (the modal loop disables windows).
    void SetEnabled(bool enabled) override;

    TFormBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TFormBorderStyle style);
    TPosition Position() const { return position_; }
    void SetPosition(TPosition position) { position_ = position; }
    bool KeyPreview() const { return keyPreview_; }
    void SetKeyPreview(bool preview) { keyPreview_ = preview; }

    TModalResult ModalResult() const { return modalResult_; }
    void SetModalResult(TModalResult result) { modalResult_ = result; }
    bool InModalLoop() const { return inModalLoop_; }
    void SetInModalLoop(bool modal) { inModalLoop_ = modal; }

    // The control that gets the focus when the window is activated.
    TWinControl* ActiveControl() const { return activeControl_; }
    void SetActiveControl(TWinControl* control);
    void FocusControl(TWinControl* control);
    // The desktop moved the focus to a control of this window.
    void NoteFocusedControl(TWinControl* control);
    // Focus to the next (or previous) tab stop after current, wrapping around.
    void SelectNext(TWinControl* current, bool forward);

    TCloseQueryEvent OnCloseQuery;
    TCloseEvent OnClose;
    TNotifyEvent OnShow, OnHide, OnActivate, OnDeactivate;

    // The window takes files dropped on any of its controls and hands their paths to handler.
    void AcceptFiles(TDropFilesEvent handler);
    bool TakesFiles() const { return bool(onDropFiles_); }
    void DropFiles(const std::vector<std::string>& paths);

    // Runs call after the events already waiting, inside this window's catch point; not at
    // all when the window is gone by then. Any thread may post; the call runs on the program's.
    void PostCall(std::function<void()> call);

    // The close protocol: what the close box, Alt+F4 and handlers use.
    void RequestClose();
    bool QueryCanClose();
    // Destroys the window once the current event has been handled.
    void ReleaseLater();
    // Runs OnActivate / OnDeactivate.
    void Activate();
    void Deactivate();
    bool IsActiveWindow() const;
    void BringToFront();

    // Dialog keys that the focused control left to its window; true when handled.
    bool HandleDialogKey(const KeyRecord& key);
    // A window also holds the non-visual components of its layout (menus, image lists).
    bool AdoptChild(TComponent& child) override;
    bool ApplyProperty(std::string_view name, const LayoutValue& value, LayoutReader& reader) override;

protected:
    explicit TCustomForm(TComponent* owner);
    // Applies the layout of the window class; the derived window registers its handlers first.
    void LoadLayoutOf(const char* className);
    void ApplyBoundsToWidget() override;
    void ShowCaption() override;
    bool WidgetEvent(QEvent& event) override;

    // The component of the layout with that name and class; ELayoutError when there is none.
    template <typename T>
    T* Find(const char* name) const {
        T* component = dynamic_cast<T*>(FindComponent(name));
        if (!component) ThrowMissingComponent(name);
        return component;
    }

    template <typename Form>
    void Bind(const char* name, void (Form::*method)(TComponent*)) {
        handlers_[name] = TNotifyEvent([this, method](TComponent* s) { (static_cast<Form*>(this)->*method)(s); });
    }
    template <typename Form>
    void Bind(const char* name, void (Form::*method)(TComponent*, TMouseButton, TShiftState, int, int)) {
        handlers_[name] = TMouseEvent([this, method](TComponent* s, TMouseButton b, TShiftState sh, int x, int y) {
            (static_cast<Form*>(this)->*method)(s, b, sh, x, y);
        });
    }
    template <typename Form>
    void Bind(const char* name, void (Form::*method)(TComponent*, uint16_t&, TShiftState)) {
        handlers_[name] = TKeyEvent(
            [this, method](TComponent* s, uint16_t& k, TShiftState sh) { (static_cast<Form*>(this)->*method)(s, k, sh); });
    }

private:
    [[noreturn]] static void ThrowMissingComponent(const char* name);
    void PlaceClient(int left, int top, int clientWidth, int clientHeight);
    void StorePosition(int left, int top);
    void ApplyPosition();
    void CentreOnScreen();
    void KeepOnScreen();
    void HoldControls();
    void ShowIconOnceDrawn();
    bool PartOfModalLoop() const;
    void ComeBackFromMinimized();
    TCustomForm* TransientOwner() const;
    void ApplyWindowFlags();
    void FocusFirstControl();
    void RunVisibilityHandler(const TNotifyEvent& handler);
    TWinControl* FirstTabStop(TWinControl* container) const;

    HandlerTable handlers_;
    TDropFilesEvent onDropFiles_;
    int clientWidth_ = 0, clientHeight_ = 0;
    int minClientWidth_ = 0, minClientHeight_ = 0;
    TFormBorderStyle borderStyle_ = TFormBorderStyle::bsSizeable;
    TPosition position_ = TPosition::poDesigned;
    bool keyPreview_ = false;
    TModalResult modalResult_ = ResultNone;
    bool inModalLoop_ = false;
    bool inShowOrHide_ = false;
    // Kept inside the work area with its real frame: a window manager adds the frame only after
    // the window shows.
    bool placedWithFrame_ = false;
    bool iconSet_ = false;
    TWinControl* activeControl_ = nullptr;
};

class TForm : public TCustomForm {
public:
    // A window built in code, without a layout.
    explicit TForm(TComponent* owner) : TCustomForm(owner) {}
    const char* ClassName() const override { return "TForm"; }
};

// How a close request on a window reaches the application object: it answers true when the
// window is the main window and the application will quit instead of hiding it.
using MainWindowCloser = std::function<bool(TCustomForm& form)>;
void SetMainWindowCloser(MainWindowCloser closer);
