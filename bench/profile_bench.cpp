// Times the profile-file service on large INI files, the way the main window uses it.
//   bench_profile generate FILE wide|tall MEGABYTES
//       wide: 1,000 sections of 200 keys; tall: one section of 200,000 keys; values are padded
//       so that the file is about MEGABYTES long.
//   bench_profile sections|keys|set|remove FILE
//       sections: list every section name;
//       keys: list the middle section's keys and read each value, one call per key (TIniFile);
//       set: change one key's value in the middle section; remove: remove that key.
// Each job is timed cold (nothing cached: the file is read and parsed) and warm (cached), best
// of three, and compared with reading the file once (sections, keys) or copying it once with
// fsync (set, remove).
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <string_view>

#include "inifile/ini_file.h"
#include "platform/profile/profile_service.h"
#include "text/string_list.h"

namespace {

double Milliseconds(const std::function<void()>& job) {
    const auto start = std::chrono::steady_clock::now();
    job();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

double BestOfThree(const std::function<void()>& prepare, const std::function<void()>& job) {
    double best = 1e300;
    for (int run = 0; run < 3; ++run) {
        prepare();
        best = std::min(best, Milliseconds(job));
    }
    return best;
}

void Fail(const std::string& what) {
    std::perror(what.c_str());
    std::exit(1);
}

std::string ReadWhole(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) Fail(path);
    std::string bytes(static_cast<std::size_t>(lseek(fd, 0, SEEK_END)), '\0');
    std::size_t got = 0;
    while (got < bytes.size()) {
        const ssize_t n = pread(fd, bytes.data() + got, bytes.size() - got, static_cast<off_t>(got));
        if (n <= 0) Fail("read " + path);
        got += static_cast<std::size_t>(n);
    }
    close(fd);
    return bytes;
}

void CopyWithSync(const std::string& path) {
    const std::string bytes = ReadWhole(path);
    const std::string copy = path + ".copy";
    const int fd = open(copy.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) Fail(copy);
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0) Fail("write " + copy);
        done += static_cast<std::size_t>(n);
    }
    if (fsync(fd) != 0) Fail("fsync " + copy);
    close(fd);
    unlink(copy.c_str());
}

void Generate(const std::string& path, bool wide, double megabytes) {
    const int sections = wide ? 1000 : 1;
    const int keys = wide ? 200 : 200000;
    const auto lineLength = static_cast<std::size_t>(megabytes * 1e6 / (sections * keys));
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) Fail(path);
    std::string line;
    for (int s = 0; s < sections; ++s) {
        std::fprintf(out, "[section%04d]\r\n", s);
        for (int k = 0; k < keys; ++k) {
            char name[32];
            std::snprintf(name, sizeof name, "key%06d=", k);
            line = name;
            while (line.size() < lineLength) line += static_cast<char>('a' + (line.size() * 7 + k) % 26);
            line += "\r\n";
            std::fwrite(line.data(), 1, line.size(), out);
        }
    }
    std::fclose(out);
}

struct Target {
    std::string section;
    std::string key;
};

// The middle key of the middle section, found in the raw bytes so that nothing is cached yet.
Target MiddleOf(const std::string& bytes) {
    std::vector<std::string_view> headers;
    for (std::size_t at = 0; at < bytes.size();) {
        std::size_t end = bytes.find('\n', at);
        if (end == std::string::npos) end = bytes.size();
        if (bytes[at] == '[') headers.push_back(std::string_view(bytes).substr(at, end - at));
        at = end + 1;
    }
    if (headers.empty()) Fail("no section in the file");
    const std::string_view header = headers[headers.size() / 2];
    Target target{std::string(header.substr(1, header.find(']') - 1)), {}};
    std::vector<std::string_view> keys;
    for (std::size_t at = header.data() - bytes.data() + header.size() + 1; at < bytes.size() && bytes[at] != '[';) {
        const std::size_t end = std::min(bytes.find('\n', at), bytes.size());
        keys.push_back(std::string_view(bytes).substr(at, bytes.find('=', at) - at));
        at = end + 1;
    }
    if (!keys.empty()) target.key = std::string(keys[keys.size() / 2]);
    return target;
}

void DropCache() { ProfileWrite(nullptr, nullptr, nullptr, nullptr, 0); }
void Nothing() {}

void Report(const char* job, const std::string& path, double cold, double warm, double baseline,
            const char* baselineName) {
    std::printf("%-8s %-40s cold %9.1f ms = %5.2f x %s | warm %9.1f ms = %5.2f x | %s once %8.1f ms\n",
                job, path.c_str(), cold, cold / baseline, baselineName, warm, warm / baseline,
                baselineName, baseline);
}

int Run(const std::string& job, const std::string& path) {
    const Target target = MiddleOf(ReadWhole(path));
    if (job == "sections" || job == "keys") {
        const double read = BestOfThree(Nothing, [&] { ReadWhole(path); });
        std::size_t count = 0;
        const std::function<void()> work = job == "sections"
            ? std::function<void()>([&] {
                  TStringList names;
                  TIniFile(path).ReadSectionNames(names);
                  count = static_cast<std::size_t>(names.LineCount());
              })
            : std::function<void()>([&] {
                  TIniFile file(path);
                  TStringList names;
                  file.ReadKeyNames(target.section, names);
                  for (int i = 0; i < names.LineCount(); ++i)
                      if (file.ReadValue(target.section, names.LineAt(i), "<missing>") == "<missing>")
                          Fail("a listed key has no value");
                  count = static_cast<std::size_t>(names.LineCount());
              });
        const double cold = BestOfThree(DropCache, work);
        const double warm = BestOfThree(Nothing, work);
        Report(job.c_str(), path, cold, warm, read, "read");
        std::printf("         (%zu %s)\n", count, job == "sections" ? "sections listed" : "keys listed and read");
        return 0;
    }
    const double copy = BestOfThree(Nothing, [&] { CopyWithSync(path); });
    int flip = 0;
    std::function<void()> prepare, work;
    if (job == "set") {
        prepare = Nothing;
        work = [&] { TIniFile(path).WriteValue(target.section, target.key, ++flip % 2 ? "one" : "two"); };
    } else if (job == "remove") {
        prepare = [&] { TIniFile(path).WriteValue(target.section, target.key, "back again"); };
        work = [&] { TIniFile(path).RemoveKey(target.section, target.key); };
    } else {
        std::fprintf(stderr, "unknown job %s\n", job.c_str());
        return 2;
    }
    const double cold = BestOfThree([&] { prepare(); DropCache(); }, work);
    const double warm = BestOfThree(prepare, work);
    prepare();  // the key is back for the next run
    Report(job.c_str(), path, cold, warm, copy, "copy");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 5 && std::string(argv[1]) == "generate") {
        Generate(argv[2], std::string(argv[3]) == "wide", std::atof(argv[4]));
        return 0;
    }
    if (argc == 3) return Run(argv[1], argv[2]);
    std::fprintf(stderr,
                 "usage: %s generate FILE wide|tall MEGABYTES\n"
                 "       %s sections|keys|set|remove FILE\n", argv[0], argv[0]);
    return 2;
}
