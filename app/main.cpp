// The program's entry: prepare the application, set its title, create the main window, load
// the file named on the command line, and serve events until the window closes.
#include <cstdio>
#include <memory>

#include "app/frm_main.h"
#include "dialogs/dialog_components.h"
#include "encoding/code_page_conversion.h"
#include "platform/desktop_color_scheme.h"
#include "shell/application.h"
#include "shell/fatal_error.h"
#include "text/lead_bytes.h"

int main(int argc, char** argv) {
    // The one argument is a file path, whatever it starts with: desktops pass a file this way.
    if (argc > 2) {
        std::fprintf(stderr, "usage: %s [FILE]\n", argv[0]);
        return 2;
    }
    std::unique_ptr<TApplication> application;
    int exitCode = RunGuarded(
        [&] {
            application = std::make_unique<TApplication>();
            InitLeadByteSet();
            RegisterDialogComponents();
            Application->PrepareApplication();
            FollowDesktopColorScheme();
            Application->SetAppTitle(Ansi("Ini文件查看器"));
            Application->CreateAppWindow(Form1);
            if (argc == 2) Form1->OpenAtStart(argv[1]);
            Application->RunEventLoop();
        },
        [&] {
            if (application) application->ShutdownApplication();
        });
    application.reset();
    return exitCode;
}
