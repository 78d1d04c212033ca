// Start-up to a shown main window, against a bare Qt window shown the same way: each is a
// fresh process, timed from its start until its window is exposed; medians of interleaved
// rounds. Goal: within 1.5x.
//   bench_startup [ROUNDS]
// Uses the display the environment names (run under Xvfb for a real one), else Qt's
// offscreen platform.
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/frm_main.h"
#include "dialogs/dialog_components.h"
#include "encoding/code_page_conversion.h"
#include "platform/desktop_color_scheme.h"
#include "shell/application.h"
#include "text/lead_bytes.h"

extern char** environ;

namespace {

bool Exposed(QWidget* widget) { return widget->windowHandle() && widget->windowHandle()->isExposed(); }

// Serves events until the window is on the screen, then leaves at once: tearing down is not
// part of starting.
[[noreturn]] void ExitOnceShown(QWidget* widget) {
    while (!Exposed(widget)) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    std::fflush(stdout);
    _exit(0);
}

int Bare(int argc, char** argv) {
    QApplication application(argc, argv);
    QWidget window;
    window.resize(640, 480);
    window.setWindowTitle(QStringLiteral("bare"));
    window.show();
    ExitOnceShown(&window);
}

// What the program's entry does before it serves events, then the show of RunEventLoop.
int Program() {
    auto* application = new TApplication();
    InitLeadByteSet();
    RegisterDialogComponents();
    Application->PrepareApplication();
    FollowDesktopColorScheme();
    Application->SetAppTitle(Ansi("Ini文件查看器"));
    Application->CreateAppWindow(Form1);
    Form1->Show();
    (void)application;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->isVisible()) ExitOnceShown(widget);
    return 1;
}

double Run(const char* self, const char* mode) {
    const auto start = std::chrono::steady_clock::now();
    char* const args[] = {const_cast<char*>(self), const_cast<char*>(mode), nullptr};
    pid_t child = 0;
    if (posix_spawn(&child, self, nullptr, nullptr, args, environ) != 0) {
        std::perror("posix_spawn");
        std::exit(1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s did not start\n", mode);
        std::exit(1);
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--bare") == 0) return Bare(argc, argv);
    if (argc == 2 && std::strcmp(argv[1], "--program") == 0) return Program();
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) setenv("QT_QPA_PLATFORM", "offscreen", 0);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 11;
    std::vector<double> bare, program, ratios;
    Run(argv[0], "--bare");  // the libraries into the page cache, for both
    for (int round = 0; round < rounds; ++round) {
        bare.push_back(Run(argv[0], "--bare"));
        program.push_back(Run(argv[0], "--program"));
        ratios.push_back(program.back() / bare.back());
    }
    std::printf("start-up to a shown window: %.1f ms = %.2f x a bare Qt window (%.1f ms), %d rounds, %s\n",
                Median(program) * 1e3, Median(ratios), Median(bare) * 1e3, rounds,
                std::getenv("DISPLAY") ? "X11" : std::getenv("WAYLAND_DISPLAY") ? "Wayland" : "offscreen");
    return 0;
}
