// The program's entry: prepare the application, set its title, create the main window and
// serve events until it closes.
#include <memory>

#include "app/frm_main.h"
#include "dialogs/dialog_components.h"
#include "platform/code_page_conversion.h"
#include "shell/application.h"
#include "shell/fatal_error.h"
#include "text/lead_bytes.h"

int main() {
    std::unique_ptr<TApplication> application;
    int exitCode = RunGuarded(
        [&] {
            application = std::make_unique<TApplication>();
            InitLeadByteSet();
            RegisterDialogComponents();
            Application->PrepareApplication();
            Application->SetAppTitle(Ansi("Ini文件查看器"));
            Application->CreateAppWindow(Form1);
            Application->RunEventLoop();
        },
        [&] {
            if (application) application->ShutdownApplication();
        });
    application.reset();
    return exitCode;
}
