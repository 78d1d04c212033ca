// The iniv command on a 100 MB file, one process per call, against the plain save it rests on:
// reading the file, writing it to a new file beside it, flushing that to disk and renaming it
// over the original.
//   set:    one key set by `iniv set`. Goal: within 1.5x the plain save.
//   batch:  1,000 sets across the file by one `iniv batch`. Goal: within 2x the plain save.
//           Timed twice: with new values of other lengths, and of the lengths they replace.
//   get:    one value read by `iniv get`, against reading the file and scanning it for its line
//           ends in this process. Goal: within 1.3x. And its peak memory on a file of one
//           section of two million keys, against the file's size. Goal: within 1.1x.
//   GBK:    `iniv get` and `iniv set` on a 10 MB GBK file, with the encoding detected and with
//           `--encoding gbk`. Goal: within 1.5x the read and scan, or the plain save.
// Times are wall-clock (the command's work includes its start and the disk), the best of a few
// runs of each, all measured in this one run. Each run writes values of another length than the
// run before, so every run saves and moves the rest of the file.
// Usage: bench_iniv [INIV [FOLDER]]; the file is made in FOLDER (a new temporary folder by
// default, removed afterwards). Build in Release for figures.
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "best_seconds.h"
#include "generated_ini.h"

extern char** environ;

namespace {

constexpr int Runs = 5;
constexpr int Sections = 1000;
constexpr int Keys = 2160;  // per section: 100 MB in all
constexpr int BatchSets = 1000;
constexpr int HugeSectionKeys = 2'000'000;
constexpr int GbkKeys = 250'000;  // 10 MB

void Check(bool ok, const std::string& what) {
    if (!ok) throw std::runtime_error(what);
}

std::string ReadAll(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    Check(fd >= 0, "cannot open " + path);
    struct stat status;
    fstat(fd, &status);
    std::string bytes(static_cast<std::size_t>(status.st_size), '\0');
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t got = read(fd, bytes.data() + done, bytes.size() - done);
        Check(got > 0, "cannot read " + path);
        done += static_cast<std::size_t>(got);
    }
    close(fd);
    return bytes;
}

// What every save of the file costs at the least.
void PlainSave(const std::string& path) {
    const std::string bytes = ReadAll(path);
    const std::string temporary = path + ".plain";
    const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    Check(fd >= 0, "cannot make " + temporary);
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t put = write(fd, bytes.data() + done, bytes.size() - done);
        Check(put > 0, "cannot write " + temporary);
        done += static_cast<std::size_t>(put);
    }
    Check(fsync(fd) == 0 && close(fd) == 0, "cannot flush " + temporary);
    Check(rename(temporary.c_str(), path.c_str()) == 0, "cannot rename " + temporary);
}

// A scan whose count nobody reads is dropped by the compiler: the count goes here.
volatile std::size_t linesScanned = 0;

// What every read of the file costs at the least: its bytes, each looked at once.
void ReadAndScan(const std::string& path) {
    const std::string bytes = ReadAll(path);
    std::size_t lines = 0;
    for (const char* at = bytes.data(), *end = at + bytes.size();
         (at = static_cast<const char*>(std::memchr(at, '\n', static_cast<std::size_t>(end - at)))); ++at)
        ++lines;
    linesScanned = lines;
}

// Runs the command with standard input from `input` (or /dev/null) and waits for it; its peak
// memory in bytes.
std::size_t Command(const std::vector<std::string>& args, const std::string& input = "/dev/null") {
    std::vector<char*> argv;
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, input.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t child = 0;
    const int error = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    Check(error == 0, "cannot start " + args[0]);
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    Check(WIFEXITED(status) && WEXITSTATUS(status) == 0, args[0] + " " + args[1] + " failed");
    return static_cast<std::size_t>(usage.ru_maxrss) * 1024;
}

// Keys whose values hold a Chinese word in GBK.
void MakeGbkIni(const std::string& path, int keys) {
    std::ofstream out(path, std::ios::binary);
    out << "[\xC9\xE8\xD6\xC3]\n";  // 设置
    char line[64];
    for (int k = 0; k < keys; ++k) {
        std::snprintf(line, sizeof line, "key%06d=\xD6\xD0\xCE\xC4 %d\n", k, k);  // 中文
        out << line;
    }
}

// A value of the run: odd runs write longer values than even ones, so that a set after a run
// of the other parity moves the bytes after it, as a script's new values mostly do, and one
// after a run of the same parity changes bytes in place.
std::string Value(int run, int i) {
    return "run " + std::to_string(run % 10) + " value " + std::to_string(i) + (run % 2 ? " (odd run)" : "");
}

std::string Name(const char* prefix, int number) {
    char name[32];
    std::snprintf(name, sizeof name, "%s%06d", prefix, number);
    return name;
}

// Sets spread over the whole file, each to a value of its run.
void MakeBatch(const std::string& path, int run) {
    std::ofstream out(path, std::ios::binary);
    for (int i = 0; i < BatchSets; ++i)
        out << "set " << Name("section", i * Sections / BatchSets) << " " << Name("key", i * 7 % Keys) << " '"
            << Value(run, i) << "'\n";
}

void Report(const char* job, double seconds, double reference, double goal, const char* against = "plain save") {
    const double ratio = seconds / reference;
    std::printf("%-34s %7.3f s   %-13s %8.3f s   %5.2fx (goal %.1fx) %s\n", job, seconds, against, reference, ratio,
                goal, ratio <= goal ? "ok" : "OVER");
}

// `iniv get` on its own files, and on a GBK file with and without the encoding given.
void ReportReads(const std::string& iniv, const std::filesystem::path& folder, const std::string& large) {
    const auto readSeconds = [](const std::string& path) { return BestSeconds(Runs, [&] { ReadAndScan(path); }); };
    const double get = BestSeconds(Runs, [&] { Command({iniv, "get", large, "section000500", "key001000"}); });
    Report("get", get, readSeconds(large), 1.3, "read and scan");

    const std::string huge = (folder / "huge-section.ini").string();
    MakeGeneratedIni(huge, 1, HugeSectionKeys);
    std::size_t peak = 0;
    for (int i = 0; i < Runs; ++i) peak = std::max(peak, Command({iniv, "get", huge, "section000000", "key999999"}));
    const double size = double(std::filesystem::file_size(huge));
    std::printf("%-34s %7.1f MB  file %13.1f MB   %5.2fx (goal 1.1x) %s\n", "get, peak memory, 2M-key section",
                double(peak) / 1e6, size / 1e6, double(peak) / size, double(peak) <= 1.1 * size ? "ok" : "OVER");
    std::filesystem::remove(huge);

    const std::string gbk = (folder / "gbk.ini").string();
    MakeGbkIni(gbk, GbkKeys);
    const std::string section = "\xC9\xE8\xD6\xC3";
    const double gbkRead = readSeconds(gbk);
    const double detected = BestSeconds(Runs, [&] { Command({iniv, "get", "--raw", gbk, section, "key100000"}); });
    const double chosen = BestSeconds(Runs, [&] { Command({iniv, "get", "--raw", "--encoding", "gbk", gbk, section, "key100000"}); });
    int run = 0;
    const double gbkSave = BestSeconds(Runs, [&] { PlainSave(gbk); });
    const double set = BestSeconds(Runs, [&] {
        Command({iniv, "set", "--raw", "--encoding", "gbk", gbk, section, "key100000", Value(++run, 0)});
    });
    Report("GBK 10 MB: get", detected, gbkRead, 1.5, "read and scan");
    Report("GBK 10 MB: get --encoding gbk", chosen, gbkRead, 1.5, "read and scan");
    Report("GBK 10 MB: set --encoding gbk", set, gbkSave, 1.5);
    // What no call of a file can go below.
    std::printf("%-34s %7.3f s\n", "start of iniv (--version)", BestSeconds(Runs, [&] { Command({iniv, "--version"}); }));
}

}  // namespace

int main(int argc, char** argv) {
    const std::string iniv = argc > 1 ? argv[1] : INIV_PROGRAM;
    const bool ownFolder = argc <= 2;
    const std::filesystem::path folder =
        ownFolder ? std::filesystem::temp_directory_path() / ("iniv-bench-" + std::to_string(getpid())) : argv[2];
    std::filesystem::create_directories(folder);
    // The command reads ASCII names in any locale; no encoding the viewer chose applies.
    setenv("LANG", "C.UTF-8", 1);
    unsetenv("LC_ALL");
    unsetenv("LC_CTYPE");
    setenv("XDG_STATE_HOME", (folder / "state").c_str(), 1);
    int status = 0;
    try {
        const std::string file = (folder / "large.ini").string();
        MakeGeneratedIni(file, Sections, Keys);
        std::printf("%s: %.1f MB, %d sections of %d keys; best of %d runs\n", file.c_str(),
                    double(std::filesystem::file_size(file)) / 1e6, Sections, Keys, Runs);
        const double plain = BestSeconds(Runs, [&] { PlainSave(file); });
        int run = 0;
        const double set = BestSeconds(Runs, [&] {
            Command({iniv, "set", file, "section000500", "key001000", Value(++run, 0)});
        });
        // The batches are written before the clock runs, one for each run: first of values of
        // alternating lengths, then of values as long as the ones they replace.
        std::vector<std::string> batches;
        const auto makeBatch = [&](int ofRun) {
            batches.push_back((folder / ("batch" + std::to_string(batches.size()))).string());
            MakeBatch(batches.back(), ofRun);
        };
        for (int i = 0; i < Runs; ++i) makeBatch(++run);
        // The first of these, untimed, brings every value to the length the rest keep.
        const int sameParity = run + 1;
        for (int i = 0; i <= Runs; ++i) makeBatch(sameParity + 2 * i);
        std::size_t next = 0;
        const auto batch = [&] { Command({iniv, "batch", file}, batches[next++]); };
        const double moving = BestSeconds(Runs, batch);
        batch();
        const double inPlace = BestSeconds(Runs, batch);
        const std::string last = Name("key", (BatchSets - 1) * 7 % Keys) + "=" + Value(sameParity + 2 * Runs, BatchSets - 1) + "\n";
        Check(ReadAll(file).find(last) != std::string::npos, "the last batch is not in the file");
        Report("set", set, plain, 1.5);
        Report("batch", moving, plain, 2.0);
        Report("batch, values of the same lengths", inPlace, plain, 2.0);
        ReportReads(iniv, folder, file);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_iniv: %s\n", e.what());
        status = 1;
    }
    if (ownFolder) std::filesystem::remove_all(folder);
    return status;
}
