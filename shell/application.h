#pragma once
// The application object: owner of every window, keeper of the title and the main window,
// the event loop, and the place where errors that escape a handler are shown.
#include <exception>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "ui/component.h"

class TCustomForm;
class TForm;

// A message sent to the application's own window, offered to the registered hooks.
struct AppMessage {
    int Id = 0;
    long Param = 0;
};

class TAppWindowHook {
public:
    virtual ~TAppWindowHook() = default;
    // True when the hook handled the message.
    virtual bool HandleAppMessage(const AppMessage& message) = 0;
};

enum class MessageBoxFlags { IconError = 16 };

// The application's title from the executable's name (without its folder): everything before
// its first ".", the first byte kept and the rest with ASCII letters in lower case.
std::string TitleOfProgramFile(std::string_view fileName);

// Windows that DisableOtherWindows disabled, the most recently disabled first.
using TWindowList = std::vector<TCustomForm*>;

class TApplication : public TComponent {
public:
    // Creates the application object (there is one per process: `Application`).
    TApplication();
    ~TApplication() override;
    const char* ClassName() const override { return "TApplication"; }

    const std::string& AppTitle() const { return title_; }
    void SetAppTitle(const std::string& title);
    // The first window created through CreateAppWindow; nullptr once it is gone.
    TCustomForm* MainWindow() const;
    bool QuitRequested() const { return quitRequested_; }

    void PrepareApplication() {}
    // Creates a window owned by the application and stores it in reference; the first one
    // becomes the main window. On failure the reference is null and the error goes on.
    template <typename Form>
    void CreateAppWindow(Form*& reference) {
        void* memory = ::operator new(sizeof(Form));
        reference = static_cast<Form*>(memory);
        try {
            new (memory) Form(this);
        } catch (...) {
            reference = nullptr;
            ::operator delete(memory);
            throw;
        }
        AdoptAsMainWindow(reference);
    }

    // Shows the main window and serves events until a quit is requested.
    void RunEventLoop();
    // One step of any loop: one dispatch, or the idle step when nothing was waiting.
    void ServeOneEvent();
    bool DispatchNextMessage();
    // Idle work, then sleeps until the next event arrives.
    void IdleStep();
    void RequestQuit();

    void ReportUnhandledError(TComponent* sender, std::exception_ptr error);
    void ShowErrorMessage(const std::string& message);
    // A system message box over the application, which takes no other input meanwhile.
    void AppMessageBox(const std::string& text, const std::string& caption, MessageBoxFlags flags);
    // Exit step: hides the windows and destroys every owned component, newest first.
    void ShutdownApplication();

    // Disables every visible, enabled window but except (which may be null) and lists them.
    static TWindowList DisableOtherWindows(const TCustomForm* except);
    // Enables again every listed window that still exists, front first.
    static void ReenableWindows(const TWindowList& list);

    void HookAppWindow(TAppWindowHook* hook);
    void UnhookAppWindow(TAppWindowHook* hook);
    // Offers a message to the hooks in order; true when one handled it.
    bool SendAppMessage(const AppMessage& message);

private:
    void AdoptAsMainWindow(TCustomForm* form);

    std::string title_;
    TCustomForm* mainWindow_ = nullptr;
    bool quitRequested_ = false;
    bool shutdownDone_ = false;
    std::vector<TAppWindowHook*> hooks_;
};

extern TApplication* Application;
