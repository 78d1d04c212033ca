// How long the main window goes without serving events while it loads a file of one huge
// section and while a click lists that section, cached and just after the file changed.
// A 1 ms heartbeat timer runs on the window's thread; the longest gap between two beats is the
// longest step the window took (goal: never over 100 ms). On a busy machine that gap also holds
// the time the thread waited for a processor, so the longest processor time the thread spent
// between two beats is printed beside it. Each action starts as an event and
// is followed until the window is idle again (the view's delayed layout and first paint included).
// Usage: bench_window_steps [keys | file]: a file of one section of that many keys (2,000,000
// when not given) is generated in a temporary folder and removed afterwards; a path is used as is,
// its first section clicked.
#include <time.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QTreeView>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "app/frm_main.h"
#include "ui/edit.h"
#include "ui/list_view.h"
#include "ui/tree_view.h"
#include "ui/widget_access.h"

#include "generated_ini.h"
#include "shown_main_window.h"

namespace {

qint64 ThreadCpuNanoseconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return qint64(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

// The longest stretch between two beats of a timer on the window's thread, in time and in the
// thread's processor time.
class Heartbeat {
public:
    Heartbeat() {
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.setInterval(1);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            const qint64 now = clock_.nsecsElapsed();
            const qint64 cpu = ThreadCpuNanoseconds();
            if (getenv("STEPS_TRACE") && now - last_ > 15'000'000)
                std::fprintf(stderr, "  step of %.1f ms (%.1f ms processor) ending at %.1f ms\n",
                             double(now - last_) / 1e6, double(cpu - lastCpu_) / 1e6, double(now) / 1e6);
            longest_ = std::max(longest_, now - last_);
            longestCpu_ = std::max(longestCpu_, cpu - lastCpu_);
            last_ = now;
            lastCpu_ = cpu;
        });
    }
    void Start() {
        clock_.start();
        last_ = 0;
        longest_ = 0;
        lastCpu_ = ThreadCpuNanoseconds();
        longestCpu_ = 0;
        timer_.start();
    }
    void Stop() { timer_.stop(); }
    double LongestMilliseconds() const { return double(longest_) / 1e6; }
    double LongestCpuMilliseconds() const { return double(longestCpu_) / 1e6; }

private:
    QTimer timer_;
    QElapsedTimer clock_;
    qint64 last_ = 0;
    qint64 longest_ = 0;
    qint64 lastCpu_ = 0;
    qint64 longestCpu_ = 0;
};

struct Steps {
    double wallMs;
    double longestMs;
    double longestCpuMs;
};

// Runs action as an event, then serves events until the window is done with it and has been
// idle for a while.
Steps Measure(TForm1& window, const std::function<void()>& action) {
    Heartbeat beat;
    QElapsedTimer wall;
    bool started = false;
    beat.Start();
    wall.start();
    QTimer::singleShot(0, [&] {
        action();
        started = true;
    });
    while (!started || window.Loading()) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const double done = double(wall.nsecsElapsed()) / 1e6;
    QElapsedTimer idle;
    idle.start();
    while (idle.elapsed() < 400 || window.Loading()) QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    beat.Stop();
    return {done, beat.LongestMilliseconds(), beat.LongestCpuMilliseconds()};
}

void Print(const char* what, const Steps& steps) {
    std::printf("%-34s done after %7.1f ms, longest step %6.1f ms%s, %6.1f ms processor%s\n", what, steps.wallMs,
                steps.longestMs, steps.longestMs > 100 ? " (over 100)" : "", steps.longestCpuMs,
                steps.longestCpuMs > 100 ? " (over 100)" : "");
}

}  // namespace

int main(int argc, char** argv) try {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    GeneratedFolder folder;
    std::string path;
    const std::string given = argc > 1 ? argv[1] : "2000000";
    if (std::filesystem::exists(given)) {
        path = given;
    } else {
        folder.Create("bench-window-steps-");
        path = (folder.path / "huge.ini").string();
        MakeGeneratedIni(path, 1, std::stoi(given));
    }

    ShownMainWindow shown;
    TForm1* const window = shown.form.get();

    const auto enter = [&] {
        window->ledtfname->SetText(path);
        uint16_t key = vk::Return;
        window->ledtfnameKeyDown(window->ledtfname, key, TShiftState());
    };
    const auto click = [&] { window->tree1Click(window->tree1); };
    const auto changeAndClick = [&] {
        TouchLater(path);
        window->tree1Click(window->tree1);
    };
    std::printf("file              %s, %.1f MiB\n", path.c_str(),
                double(std::filesystem::file_size(path)) / (1 << 20));
    Print("load (Enter)", Measure(*window, enter));
    std::printf("  shown           %d sections, %d rows listed\n", window->tree1->Items().Count() - 1,
                window->ListView1->Items().Count());
    Print("click, cached", Measure(*window, click));
    // The window follows the change as well: its reload is part of what the user waits for.
    Print("click, file changed (and reload)", Measure(*window, changeAndClick));
    Print("click, cached again", Measure(*window, click));
    // The toolkit view's own share: laying out every row, as it does once a list is shown.
    auto* rows = static_cast<QTreeView*>(WidgetOf(*window->ListView1));
    double layout = 1e12;
    for (int run = 0; run < 5; ++run) {
        QElapsedTimer took;
        took.start();
        rows->doItemsLayout();
        layout = std::min(layout, double(took.nsecsElapsed()) / 1e6);
    }
    std::printf("  of which        the list view's layout of every row %.1f ms (best of 5)\n", layout);
    std::printf("  shown           %d rows listed\n", window->ListView1->Items().Count());
    return 0;
} catch (const std::exception& e) {
    std::fprintf(stderr, "bench_window_steps: %s\n", e.what());
    return 1;
}
