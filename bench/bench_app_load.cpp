// The main window loading a large file and listing a large section, against the plain file work
// they rest on.
//   load:  100,000 sections in 1,000,000 lines, Enter in the file-name field (tree built, first
//          section listed, events served until the window has caught up), against reading and
//          splitting the file alone (TStringList::LoadLinesFromFile). Goal: within 3x.
//   list:  one section of 200,000 keys listed by a tree click, against one read of the file.
//          Goal: within 5x.
// Usage: bench_app_load [large-file one-section-file]; without them both are generated in a
// temporary folder (the layout of scripts/make-large-ini) and removed afterwards.
// Times are processor time of the process, the best of a few runs, so that other programs on
// the machine disturb them less. Runs on Qt's offscreen platform unless QT_QPA_PLATFORM says
// otherwise.
#include <fcntl.h>
#include <time.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QApplication>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/frm_main.h"
#include "inifile/ini_file.h"
#include "text/string_list.h"
#include "ui/edit.h"
#include "ui/list_view.h"
#include "ui/tree_view.h"

#include "generated_ini.h"
#include "shown_main_window.h"

namespace {

constexpr int Runs = 5;

// Processor time of the process: other programs running meanwhile don't count.
double CpuNow() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

double Seconds(auto&& work) {
    const double start = CpuNow();
    work();
    return CpuNow() - start;
}

double Best(auto&& work) {
    double best = 1e12;
    for (int run = 0; run < Runs; ++run) best = std::min(best, Seconds(work));
    return best;
}

size_t ReadWhole(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY);
    if (fd < 0) return 0;
    const off_t size = lseek(fd, 0, SEEK_END);
    lseek(fd, 0, SEEK_SET);
    std::unique_ptr<char[]> buffer(new char[static_cast<size_t>(size)]);
    size_t done = 0;
    for (ssize_t n; done < static_cast<size_t>(size) &&
                    (n = read(fd, buffer.get() + done, static_cast<size_t>(size) - done)) > 0;)
        done += static_cast<size_t>(n);
    close(fd);
    return done;
}

double PeakMiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024;
}

// A big file is read, and a big section listed, on a thread of its own: the events until the
// window shows the result are part of the work.
void ServeUntilShown(TForm1& window) {
    while (window.Loading()) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    QApplication::processEvents();
}

// Enter in the field, as the key event hands it to the window, then the events it left.
void PressEnterOn(TForm1& window, const std::string& path) {
    window.ledtfname->SetText(path);
    uint16_t key = vk::Return;
    window.ledtfnameKeyDown(window.ledtfname, key, TShiftState());
    ServeUntilShown(window);
}

// The window follows another program's change a moment after it: let that happen outside
// the timed work.
void LetWindowFollowChange(TForm1& window) {
    for (int waited = 0; waited < 300; waited += 5) {
        QApplication::processEvents();
        usleep(5'000);
    }
    while (window.Loading()) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    QApplication::processEvents();
}

}  // namespace

int main(int argc, char** argv) try {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    GeneratedFolder folder;
    std::string large, oneSection;
    if (argc > 2) {
        large = argv[1];
        oneSection = argv[2];
    } else {
        folder.Create("bench-app-load-");
        large = (folder.path / "large.ini").string();
        oneSection = (folder.path / "one-section.ini").string();
        MakeGeneratedIni(large, 100'000, 9);
        MakeGeneratedIni(oneSection, 1, 200'000);
    }

    ShownMainWindow shown;
    TForm1* const window = shown.form.get();

    const double peakIdle = PeakMiB();
    // Read and split alone; the first run also brings the file into the page cache.
    int lines = 0;
    const double split = Best([&] {
        TStringList list;
        list.LoadLinesFromFile(large);
        lines = list.LineCount();
    });
    const double peakSplit = PeakMiB();
    double load = 1e12;
    for (int run = 0; run < Runs; ++run) {
        TouchLater(large);
        load = std::min(load, Seconds([&] { PressEnterOn(*window, large); }));
        LetWindowFollowChange(*window);
    }
    const int nodes = window->tree1->Items().Count();
    const int firstRows = window->ListView1->Items().Count();
    const double peakLoad = PeakMiB();

    // Where the load's time goes: the service parsing the file for the first section, and
    // the tree alone.
    double firstParse = 1e12;
    for (int run = 0; run < Runs; ++run) {
        TouchLater(large);
        TStringList names;
        firstParse = std::min(firstParse, Seconds([&] { TIniFile(large).ReadKeyNames("section000000", names); }));
    }
    const double treeAlone = Best([&] {
        TTreeNodes& items = window->tree1->Items();
        items.BeginUpdate();
        items.Clear();
        TTreeNode* root = items.AddChild(nullptr, "large.ini");
        char name[32];
        for (int i = 0; i < 100'000; ++i) {
            std::snprintf(name, sizeof name, "section%06d", i);
            TTreeNode* node = items.AddChild(root, name);
            node->SetImageIndex(1);
            node->SetSelectedIndex(1);
        }
        root->Expand(true);
        items.EndUpdate();
        window->tree1->SetSelected(root->Item(0));
        QApplication::processEvents();
    });

    // One section of many keys: the load lists it first; then clicks list it again.
    const double read = Best([&] { ReadWhole(oneSection); });
    LetWindowFollowChange(*window);
    PressEnterOn(*window, oneSection);
    double listCold = 1e12, listWarm = 1e12;
    for (int run = 0; run < Runs; ++run) {
        TouchLater(oneSection);
        listCold = std::min(listCold, Seconds([&] {
                                window->tree1Click(window->tree1);
                                ServeUntilShown(*window);
                            }));
        listWarm = std::min(listWarm, Seconds([&] {
                                window->tree1Click(window->tree1);
                                ServeUntilShown(*window);
                            }));
        LetWindowFollowChange(*window);
    }
    const int rows = window->ListView1->Items().Count();
    const double peakList = PeakMiB();

    // Where a listing's time goes: the service's key list (re-parsed), the value reads, and
    // the rows alone.
    const std::string section = window->tree1->Selected()->Text();
    const double oneSplit = Best([&] {
        TStringList list;
        list.LoadLinesFromFile(oneSection);
    });
    TStringList keys;
    std::vector<std::string> values;
    double names = 1e12;
    for (int run = 0; run < Runs; ++run) {
        TouchLater(oneSection);
        names = std::min(names, Seconds([&] { TIniFile(oneSection).ReadKeyNames(section, keys); }));
    }
    const double valueReads = Best([&] {
        TIniFile ini(oneSection);
        values.clear();
        for (int i = 0; i < keys.LineCount(); ++i) values.push_back(ini.ReadValue(section, keys.LineAt(i), ""));
    });
    const double fill = Best([&] {
        TListItems& items = window->ListView1->Items();
        items.BeginUpdate();
        items.Clear();
        for (int i = 0; i < keys.LineCount(); ++i) {
            TListItem* row = items.Add();
            row->SetCaption(keys.LineAt(i));
            row->SubItems().Add(values[size_t(i)]);
            row->SetImageIndex(2);
        }
        items.EndUpdate();
        QApplication::processEvents();
    });

    const double largeMiB = static_cast<double>(std::filesystem::file_size(large)) / (1 << 20);
    const double oneMiB = static_cast<double>(std::filesystem::file_size(oneSection)) / (1 << 20);
    std::printf("large file        %.1f MiB, %d lines; tree %d nodes, first section %d rows\n", largeMiB, lines,
                nodes, firstRows);
    std::printf("read and split    %.3f s\n", split);
    std::printf("load (Enter)      %.3f s = %.2f x read and split (goal: within 3)\n", load, load / split);
    std::printf("  of which        the service's parse for the first section %.3f s, the tree alone %.3f s\n",
                firstParse, treeAlone);
    std::printf("one-section file  %.1f MiB, %d rows listed\n", oneMiB, rows);
    std::printf("one read          %.3f s\n", read);
    std::printf("list, re-parsed   %.3f s = %.2f x one read (goal: within 5)\n", listCold, listCold / read);
    std::printf("list, cached      %.3f s = %.2f x one read\n", listWarm, listWarm / read);
    std::printf("  of which        key names (re-parsed) %.3f s, %d value reads %.3f s, rows alone %.3f s\n",
                names, keys.LineCount(), valueReads, fill);
    std::printf("  the window's    own share of the re-parsed listing (all but the key names) %.3f s = %.2f x one read\n",
                listCold - names, (listCold - names) / read);
    std::printf("read and split    %.3f s (the one-section file); list re-parsed = %.2f x that\n", oneSplit,
                listCold / oneSplit);
    std::printf("peak memory       %.0f MiB idle, %.0f MiB after read and split, %.0f MiB after the load, "
                "%.0f MiB after listing\n",
                peakIdle, peakSplit, peakLoad, peakList);
    return 0;
} catch (const std::exception& e) {
    std::fprintf(stderr, "bench_app_load: %s\n", e.what());
    return 1;
}
