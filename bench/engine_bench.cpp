// The INI engine on large files, each job beside the physical limit it could reach,
// measured in the same run: medians of interleaved rounds.
//   bench_engine generate FILE SECTIONS KEYS MEGABYTES
//       SECTIONS sections of KEYS keys each, values padded so that the file is about MEGABYTES.
//   bench_engine run FILE [ROUNDS [JOB]]
//       parse   every section and every key list, nothing cached; against reading the file and
//               scanning it once for line ends
//       click   the middle section's key lines with their values (as the key list shows them),
//               and the same by name: its key names, then each value (one batch), cached and
//               not; against the same read and scan
//       set, remove   one key of the middle section, crash-safe, cached and not; against writing
//               the file to a new file, flushing it and renaming it over the old one
//       JOB: only the jobs whose names begin with it (to measure one alone)
//   bench_engine memory FILE
//       the engine's peak memory, beside the file's size, each in a fresh process: for the
//       parsed file alone (its section list), for the parse job with its key name lists, and
//       for a click's rows.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/ini_service.h"

namespace {

constexpr TCodePage CodePage = TCodePage::Utf8;

void Fail(const std::string& what) {
    std::perror(what.c_str());
    std::exit(1);
}

double Seconds(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// A scan whose count nobody reads is dropped by the compiler, and the baseline would be the
// read alone: the count goes here.
volatile std::size_t linesScanned = 0;

// The least a reader can do: read every byte into memory it already has, and look at each
// once to find the line ends. The memory is kept from run to run, so that the baseline does
// not depend on what the allocator did before it.
std::size_t ReadAndScan(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) Fail(path);
    struct stat status;
    fstat(fd, &status);
    const auto size = static_cast<std::size_t>(status.st_size);
    static std::vector<char> buffer;
    if (buffer.size() < size) buffer.resize(size);
    char* const bytes = buffer.data();
    for (std::size_t got = 0; got < size;) {
        const ssize_t n = pread(fd, bytes + got, size - got, static_cast<off_t>(got));
        if (n <= 0) Fail("read " + path);
        got += static_cast<std::size_t>(n);
    }
    close(fd);
    std::size_t lines = 0;
    for (const char* at = bytes; (at = static_cast<const char*>(std::memchr(at, '\n', size - (at - bytes)))); ++at)
        ++lines;
    return lines;
}

std::string ReadWhole(const std::string& path) {
    std::string bytes;
    FILE* in = std::fopen(path.c_str(), "rb");
    if (!in) Fail(path);
    char chunk[1 << 16];
    for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, in)) > 0;) bytes.append(chunk, n);
    std::fclose(in);
    return bytes;
}

// The least a crash-safe writer can do: the new bytes to a new file, flushed, renamed over.
void WriteSyncRename(const std::string& path, const std::string& bytes) {
    const std::string temporary = path + ".baseline";
    const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) Fail(temporary);
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0) Fail("write " + temporary);
        done += static_cast<std::size_t>(n);
    }
    if (fsync(fd) != 0) Fail("fsync " + temporary);
    close(fd);
    if (rename(temporary.c_str(), path.c_str()) != 0) Fail("rename " + temporary);
}

void Generate(const std::string& path, int sections, int keys, double megabytes) {
    const auto lineLength = static_cast<std::size_t>(megabytes * 1e6 / (static_cast<double>(sections) * keys));
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) Fail(path);
    std::string line;
    for (int s = 0; s < sections; ++s) {
        std::fprintf(out, "[section%05d]\r\n", s);
        for (int k = 0; k < keys; ++k) {
            char name[32];
            std::snprintf(name, sizeof name, "key%07d=", k);
            line = name;
            while (line.size() < lineLength) line += static_cast<char>('a' + (line.size() * 7 + k) % 26);
            line += "\r\n";
            std::fwrite(line.data(), 1, line.size(), out);
        }
    }
    std::fclose(out);
}

IniService& Service() { return CurrentIniService(); }

struct Target {
    std::string section;
    std::string key;
};

Target MiddleOf(const std::string& path) {
    const IniListing sections = Service().Sections({path, CodePage});
    if (sections.Count() == 0) Fail("no section in " + path);
    Target target{std::string(sections.Name(sections.Count() / 2)), {}};
    const NameList keys = Service().KeyNames({path, CodePage}, target.section);
    if (keys.empty()) Fail("no key in the middle section");
    target.key = keys[keys.size() / 2];
    return target;
}

// Setting the real file calls again starts with an empty cache.
void DropCache() { UseIniFileOps(nullptr); }

// Another program touched the file: its stamp changes, its bytes stay, and the next call reads
// it again.
void Touch(const std::string& path) { utimensat(AT_FDCWD, path.c_str(), nullptr, 0); }

std::size_t ParseAll(const std::string& path) {
    const IniFileRef file{path, CodePage};
    const IniListing sections = Service().Sections(file);
    std::size_t keys = 0;
    for (std::size_t i = 0; i < sections.Count(); ++i) keys += Service().KeyNames(file, sections.Name(i)).size();
    return keys;
}

std::size_t ClickRows(const std::string& path, const Target& target) {
    return Service().Keys({path, CodePage}, {target.section, 0}).Count();
}

std::size_t ClickByName(const std::string& path, const Target& target) {
    const IniFileRef file{path, CodePage};
    std::size_t bytes = 0;
    for (const std::string_view key : Service().KeyNames(file, target.section))
        bytes += Service().Value(file, target.section, key)->size();
    return bytes;
}

void Check(const IniResult& result, const char* what) {
    if (!result.Succeeded()) {
        std::fprintf(stderr, "%s failed: %s\n", what, IniFailureText(result.failure, result.systemError).c_str());
        std::exit(1);
    }
}

struct Job {
    const char* name;
    bool writes;  // compared with writing the file, not with reading it
    std::function<void()> prepare;  // not timed
    std::function<void()> work;
    std::vector<double> seconds, baseline, ratios;
};

// Each job is timed right after its baseline, so that both see the same machine; the ratio is
// the median of the rounds' ratios. The write baseline writes a copy beside the file, so that
// the file keeps the state the jobs left it in and its cache stays valid.
int Run(const std::string& path, int rounds, const std::string& only) {
    const std::string copy = path + ".copy";
    const Target target = MiddleOf(path);
    const std::string bytes = ReadWhole(path);
    int flip = 0;
    const auto set = [&] { Check(Service().SetValue({path, CodePage}, target.section, target.key, ++flip % 2 ? "one" : "two"), "set"); };
    // A removed key goes back where it was, by undoing the removal, so that every round edits
    // the middle of the section.
    EditRecord removal;
    const auto remove = [&] {
        IniResult removed = Service().RemoveKey({path, CodePage}, target.section, target.key);
        Check(removed, "remove");
        removal = std::move(removed.change);
    };
    const auto putBack = [&] {
        if (removal.Empty()) return;
        Check(Service().Revert({path, CodePage}, removal), "put back");
        removal = {};
    };
    const auto nothing = [] {};
    std::vector<Job> jobs = {
        {"parse", false, [&] { Touch(path); }, [&] { ParseAll(path); }, {}, {}, {}},
        {"click rows, cold", false, [&] { Touch(path); }, [&] { ClickRows(path, target); }, {}, {}, {}},
        {"click rows, cached", false, nothing, [&] { ClickRows(path, target); }, {}, {}, {}},
        {"click by name, cold", false, [&] { Touch(path); }, [&] { ClickByName(path, target); }, {}, {}, {}},
        {"click by name, cached", false, nothing, [&] { ClickByName(path, target); }, {}, {}, {}},
        {"set, cold", true, [&] { Touch(path); }, set, {}, {}, {}},
        {"set, cached", true, nothing, set, {}, {}, {}},
        {"remove, cold", true, [&] { putBack(); Touch(path); }, remove, {}, {}, {}},
        {"remove, cached", true, putBack, remove, {}, {}, {}},
    };
    std::erase_if(jobs, [&](const Job& job) { return !std::string_view(job.name).starts_with(only); });
    for (int round = 0; round < rounds; ++round) {
        for (Job& job : jobs) {
            job.baseline.push_back(job.writes ? Seconds([&] { WriteSyncRename(copy, bytes); }) : Seconds([&] { linesScanned = ReadAndScan(path); }));
            job.prepare();
            job.seconds.push_back(Seconds(job.work));
            job.ratios.push_back(job.seconds.back() / job.baseline.back());
        }
        putBack();
    }
    DropCache();
    WriteSyncRename(path, bytes);  // the file as it was generated
    unlink(copy.c_str());
    std::printf("%s: %.1f MB, section [%s] of %zu keys, %d rounds\n", path.c_str(), static_cast<double>(bytes.size()) / 1e6,
                target.section.c_str(), Service().KeyNames({path, CodePage}, target.section).size(), rounds);
    for (const Job& job : jobs)
        std::printf("  %-22s %8.1f ms = %5.2f x %-21s (%.1f ms)\n", job.name, Median(job.seconds) * 1e3, Median(job.ratios),
                    job.writes ? "write, fsync, rename" : "read and scan", Median(job.baseline) * 1e3);
    return 0;
}

// Peak memory of a job in a fresh process, beyond what the process held before it.
double PeakMegabytes(const std::function<void()>& job) {
    int pipe[2];
    if (::pipe(pipe) != 0) Fail("pipe");
    const pid_t child = fork();
    if (child == 0) {
        struct rusage before, after;
        getrusage(RUSAGE_SELF, &before);
        job();
        getrusage(RUSAGE_SELF, &after);
        const double megabytes = static_cast<double>(after.ru_maxrss - before.ru_maxrss) / 1024.0;
        if (write(pipe[1], &megabytes, sizeof megabytes) != sizeof megabytes) _exit(1);
        _exit(0);
    }
    double megabytes = 0;
    if (read(pipe[0], &megabytes, sizeof megabytes) != sizeof megabytes) Fail("child");
    waitpid(child, nullptr, 0);
    close(pipe[0]);
    close(pipe[1]);
    return megabytes;
}

int Memory(const std::string& path) {
    const Target target = MiddleOf(path);
    DropCache();
    struct stat status;
    stat(path.c_str(), &status);
    const double file = static_cast<double>(status.st_size) / (1024.0 * 1024.0);
    const double load = PeakMegabytes([&] { Service().Sections({path, CodePage}); });
    const double parse = PeakMegabytes([&] { ParseAll(path); });
    const double click = PeakMegabytes([&] { ClickRows(path, target); });
    std::printf("%s: %.1f MiB\n", path.c_str(), file);
    for (const auto& [job, megabytes] : {std::pair{"sections (file parsed)", load}, std::pair{"parse with key names", parse},
                                         std::pair{"click rows", click}})
        std::printf("  %-24s %7.1f MiB = %4.2f x the file\n", job, megabytes, megabytes / file);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "generate" && argc == 6) {
        Generate(argv[2], std::atoi(argv[3]), std::atoi(argv[4]), std::atof(argv[5]));
        return 0;
    }
    if (command == "run" && argc >= 3 && argc <= 5)
        return Run(argv[2], argc >= 4 ? std::atoi(argv[3]) : 5, argc == 5 ? argv[4] : "");
    if (command == "memory" && argc == 3) return Memory(argv[2]);
    std::fprintf(stderr,
                 "usage: %s generate FILE SECTIONS KEYS MEGABYTES\n"
                 "       %s run FILE [ROUNDS [JOB]]\n"
                 "       %s memory FILE\n", argv[0], argv[0], argv[0]);
    return 2;
}
