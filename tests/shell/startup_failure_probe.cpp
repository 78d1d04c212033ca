// Starts like the program, with a main window class that has no layout.
#include "platform/message_box.h"
#include "shell/application.h"
#include "shell/fatal_error.h"
#include "ui/form.h"

namespace {
class TNoLayoutForm : public TForm {
public:
    explicit TNoLayoutForm(TComponent* owner) : TForm(owner) { LoadLayoutOf("TNoLayoutForm"); }
};
TNoLayoutForm* MainForm = nullptr;
}  // namespace

int main() {
    TApplication application;
    // The box would wait for a person; its text also goes to standard error.
    SetMessageBoxInterceptor([](const std::string&, const std::string& caption, MessageBoxIcon) {
        std::fprintf(stderr, "[box: %s]\n", caption.c_str());
    });
    return RunGuarded(
        [] {
            Application->SetAppTitle("probe");
            Application->CreateAppWindow(MainForm);
            Application->RunEventLoop();
        },
        [&] { application.ShutdownApplication(); });
}
