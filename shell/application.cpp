#include "shell/application.h"

#include <algorithm>

#include "encoding/code_page.h"
#include "platform/event_queue.h"
#include "platform/mouse_capture.h"
#include "platform/program_file.h"
#include "shell/error_text.h"
#include "shell/fatal_error.h"
#include "shell/modal_scope.h"
#include "ui/error_sink.h"
#include "ui/form.h"
#include "ui/input_router.h"
#include "ui/screen.h"
#include "ui/system_message_box.h"

TApplication* Application = nullptr;

std::string TitleOfProgramFile(std::string_view fileName) {
    std::string name(fileName.substr(0, fileName.find('.')));
    // Only ASCII letters: the locale's folding would change bytes of a multi-byte character.
    for (size_t i = 1; i < name.size(); ++i) name[i] = AsciiLower(name[i]);
    return name;
}

TApplication::TApplication() : TComponent(nullptr) {
    StartToolkit();
    Application = this;
    title_ = TitleOfProgramFile(ProgramFileName().value_or(std::string()));
    InstallInputRouter();
    SetErrorReporter([this](TComponent* sender, std::exception_ptr error) { ReportUnhandledError(sender, error); });
    SetQuitMessageHandler([this] { quitRequested_ = true; });
    SetMainWindowCloser([this](TCustomForm& form) {
        if (&form != MainWindow()) return false;
        RequestQuit();
        return true;
    });
}

TApplication::~TApplication() {
    ShutdownApplication();
    SetMainWindowCloser(nullptr);
    SetErrorReporter(nullptr);
    SetQuitMessageHandler(nullptr);
    if (Application == this) Application = nullptr;
    StopToolkit();
}

void TApplication::SetAppTitle(const std::string& title) { title_ = title; }

TCustomForm* TApplication::MainWindow() const {
    return TScreen::Instance().Contains(mainWindow_) ? mainWindow_ : nullptr;
}

void TApplication::AdoptAsMainWindow(TCustomForm* form) {
    if (!MainWindow() && form) mainWindow_ = form;
}

// ---------------------------------------------------------------- the loop

void TApplication::RunEventLoop() {
    TCustomForm* main = MainWindow();
    if (!main) return;
    main->Show();
    while (!quitRequested_) {
        try {
            ServeOneEvent();
        } catch (...) {
            ReportUnhandledError(this, std::current_exception());
        }
    }
}

void TApplication::ServeOneEvent() {
    if (!DispatchNextMessage()) IdleStep();
}

bool TApplication::DispatchNextMessage() { return DispatchPendingEvents(); }

void TApplication::IdleStep() {
    CatchErrors(this, [] { RunDeferredDeletes(); });
    WaitAndDispatchEvents();
}

void TApplication::RequestQuit() { PostQuitMessage(); }

// ---------------------------------------------------------------- errors

void TApplication::ReportUnhandledError(TComponent*, std::exception_ptr error) {
    // A pressed button or a drag lets go before the box comes up.
    ReleaseMouseCapture();
    try {
        std::rethrow_exception(error);
    } catch (const EAbort&) {
    } catch (const Exception& e) {
        ShowErrorMessage(e.Message());
    } catch (const std::exception& e) {
        ShowFatalError(typeid(e).name(), nullptr);
    } catch (...) {
        ShowFatalError("unknown", nullptr);
    }
}

void TApplication::ShowErrorMessage(const std::string& message) {
    AppMessageBox(MessageWithFullStop(message), AppTitle(), MessageBoxFlags::IconError);
}

void TApplication::AppMessageBox(const std::string& text, const std::string& caption, MessageBoxFlags) {
    ModalScope windows(nullptr);
    ShowSystemMessageBoxOver(windows.ActiveAtStart(), text, caption, MessageBoxIcon::Error);
}

// ---------------------------------------------------------------- shutdown and hooks

void TApplication::ShutdownApplication() {
    if (shutdownDone_) return;
    shutdownDone_ = true;
    for (TCustomForm* form : TScreen::Instance().Forms()) form->TakeOffScreen();
    MarkDestroying();
    DestroyComponents();
}

TWindowList TApplication::DisableOtherWindows(const TCustomForm* except) {
    TWindowList disabled;
    for (TCustomForm* form : TScreen::Instance().Forms()) {
        if (form == except || !form->Visible() || !form->Enabled()) continue;
        form->SetEnabled(false);
        disabled.insert(disabled.begin(), form);
    }
    return disabled;
}

void TApplication::ReenableWindows(const TWindowList& list) {
    const TScreen& screen = TScreen::Instance();
    for (TCustomForm* form : list)
        if (screen.Contains(form)) form->SetEnabled(true);
}

void TApplication::HookAppWindow(TAppWindowHook* hook) { hooks_.push_back(hook); }

void TApplication::UnhookAppWindow(TAppWindowHook* hook) {
    if (auto it = std::find(hooks_.begin(), hooks_.end(), hook); it != hooks_.end()) hooks_.erase(it);
}

bool TApplication::SendAppMessage(const AppMessage& message) {
    for (TAppWindowHook* hook : std::vector<TAppWindowHook*>(hooks_))
        if (hook->HandleAppMessage(message)) return true;
    return false;
}
