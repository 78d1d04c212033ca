// The iniv command on a 100 MB file, one process per call, against the plain save it rests on:
// reading the file, writing it to a new file beside it, flushing that to disk and renaming it
// over the original.
//   set:    one key set by `iniv set`. Goal: within 1.5x the plain save.
//   batch:  1,000 sets across the file by one `iniv batch`. Goal: within 2x the plain save.
//           Timed twice: with new values of other lengths, and of the lengths they replace.
// Times are wall-clock (the command's work includes its start and the disk), the best of a few
// runs of each, all measured in this one run. Each run writes values of another length than the
// run before, so every run saves and moves the rest of the file.
// Usage: bench_iniv [INIV [FOLDER]]; the file is made in FOLDER (a new temporary folder by
// default, removed afterwards). Build in Release for figures.
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
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

// Runs the command with standard input from `input` (or /dev/null) and waits for it.
void Command(const std::vector<std::string>& args, const std::string& input = "/dev/null") {
    std::vector<char*> argv;
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, input.c_str(), O_RDONLY, 0);
    pid_t child = 0;
    const int error = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    Check(error == 0, "cannot start " + args[0]);
    int status = 0;
    waitpid(child, &status, 0);
    Check(WIFEXITED(status) && WEXITSTATUS(status) == 0, args[0] + " " + args[1] + " failed");
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

void Report(const char* job, double seconds, double reference, double goal) {
    const double ratio = seconds / reference;
    std::printf("%-34s %7.3f s   plain save %8.3f s   %5.2fx (goal %.1fx) %s\n", job, seconds, reference, ratio, goal,
                ratio <= goal ? "ok" : "OVER");
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
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_iniv: %s\n", e.what());
        status = 1;
    }
    if (ownFolder) std::filesystem::remove_all(folder);
    return status;
}
