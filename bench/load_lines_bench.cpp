// Loading a large file as lines versus only reading it and counting its line feeds.
// Usage: bench_load_lines [file]; without a file, one of 5 million lines (200 MB) is made in a
// temporary folder and removed afterwards.
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "bench/best_seconds.h"
#include "bench/generated_ini.h"
#include "text/string_list.h"

namespace {

constexpr int Lines = 5'000'000;
constexpr int Runs = 3;

// INI-like lines of 20 to 58 bytes, 40 on average with the line feed.
void MakeFile(const std::string& path) {
    std::ofstream out(path, std::ios::binary);
    std::string line;
    for (int i = 0; i < Lines; ++i) {
        line =
            i % 50 == 0 ? "[section " + std::to_string(i) + "]" : "key" + std::to_string(i) + "=";
        line.resize(static_cast<std::size_t>(20 + i % 39), 'v');
        out << line << '\n';
    }
}

long long ReadAndCountLineFeeds(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY);
    const off_t size = lseek(fd, 0, SEEK_END);
    lseek(fd, 0, SEEK_SET);
    std::unique_ptr<char[]> buffer(new char[static_cast<std::size_t>(size)]);
    off_t done = 0;
    while (done < size) {
        const ssize_t n = read(fd, buffer.get() + done, static_cast<std::size_t>(size - done));
        if (n <= 0) break;
        done += n;
    }
    close(fd);
    long long lineFeeds = 0;
    for (const char* at = buffer.get();
         (at = static_cast<const char*>(std::memchr(at, '\n', buffer.get() + done - at))); ++at)
        ++lineFeeds;
    return lineFeeds;
}

// Brings the file into the page cache through a small buffer, leaving the peak size alone.
void WarmCache(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    char chunk[1 << 16];
    while (in.read(chunk, sizeof chunk)) {}
}

long PeakKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

}  // namespace

int main(int argc, char** argv) try {
    GeneratedFolder folder;
    std::string path;
    if (argc > 1) {
        path = argv[1];
    } else {
        folder.Create("bench-load-lines-");
        path = (folder.path / "big.ini").string();
        MakeFile(path);
    }
    const double fileMiB = static_cast<double>(std::filesystem::file_size(path)) / (1 << 20);
    WarmCache(path);

    // The loader runs first, so that the peak resident size is its own.
    int lineCount = 0;
    const double load = BestSeconds(Runs, [&] {
        TStringList list;
        list.LoadLinesFromFile(path);
        lineCount = list.LineCount();
    });
    const double peakMiB = static_cast<double>(PeakKiB()) / 1024;
    long long lineFeeds = 0;
    const double count = BestSeconds(Runs, [&] { lineFeeds = ReadAndCountLineFeeds(path); });

    std::printf("file            %.1f MiB, %d lines (%lld line feeds)\n", fileMiB, lineCount,
                lineFeeds);
    std::printf("read and count  %.3f s\n", count);
    std::printf("load as lines   %.3f s\n", load);
    std::printf("speed ratio     %.2f of read-and-count (goal: at least 0.50)\n", count / load);
    std::printf("peak memory     %.1f MiB = %.2f x file size (goal: below 2.50)\n", peakMiB,
                peakMiB / fileMiB);
} catch (const std::exception& e) {
    std::fprintf(stderr, "bench_load_lines: %s\n", e.what());
    return 1;
}
