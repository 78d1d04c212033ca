// Comparing two large INI files, beside reading them.
//   bench_compare [MEGABYTES [ROUNDS [gbk]]]
// Makes two files of about MEGABYTES each in the temporary folder (1,000 sections of equal
// keys; the right file has every 1,000th value changed, every 5,000th key missing, its first
// two sections swapped and one section more) and prints the best of ROUNDS of the jobs below.
// With gbk, every value holds a Chinese word, in UTF-8 on the left and in GBK on the right,
// which the comparison converts. The jobs:
//   read       both files' bytes into memory, from the page cache: the least a reader does
//   load       both files opened and every section's keys listed by the engine, nothing cached
//   compare    the comparison of both, nothing cached: the engine reads them as part of it
//   cached     the comparison again, the engine holding both files: the comparison itself
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "best_seconds.h"
#include "document/ini_comparison.h"
#include "encoding/code_page.h"
#include "generated_ini.h"

namespace {

constexpr int Sections = 1000;

// Lines of about 50 bytes: the keys a section needs for the file to reach the size.
int KeysFor(int megabytes) { return megabytes * 1'000'000 / 50 / Sections; }

// A Chinese word, in UTF-8 and in GBK.
constexpr const char* WordUtf8 = "\xE5\x80\xBC";
constexpr const char* WordGbk = "\xD6\xB5";

void MakeFiles(const std::string& left, const std::string& right, int keys, bool gbk) {
    std::ofstream l(left, std::ios::binary), r(right, std::ios::binary);
    char line[128];
    const auto section = [&](std::ofstream& out, int s, bool isRight) {
        std::snprintf(line, sizeof line, "[section%06d]\n", s);
        out << line;
        for (int k = 0; k < keys; ++k) {
            const int n = s * keys + k;
            if (isRight && n % 5000 == 4999) continue;
            std::snprintf(line, sizeof line, "key%06d=value %d.%d of the %s file%s\n", k, s, k,
                          isRight && n % 1000 == 999 ? "right" : "generated",
                          !gbk ? "" : isRight ? WordGbk : WordUtf8);
            out << line;
        }
    };
    for (int s = 0; s < Sections; ++s) section(l, s, false);
    for (int s = 0; s < Sections; ++s) section(r, s < 2 ? 1 - s : s, true);
    r << "[only on the right]\nk=v\n";
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Into memory kept from run to run, as engine_bench's baseline reads.
std::size_t ReadBytes(const std::string& path) {
    static std::vector<char> buffer;
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat status {};
    if (fd < 0 || fstat(fd, &status) != 0) std::exit(1);
    const auto size = std::size_t(status.st_size);
    if (buffer.size() < size) buffer.resize(size);
    std::size_t got = 0;
    for (ssize_t n; got < size && (n = read(fd, buffer.data() + got, size - got)) > 0;) got += std::size_t(n);
    close(fd);
    return got;
}

TDocument Opened(const std::string& path, TCodePage codePage) {
    TDocument document(path);
    document.Open(ReadAll(path), {TEncodingHints(), TEncodingMemory(std::string()), codePage, false});
    return document;
}

volatile std::size_t sink = 0;

}  // namespace

int main(int argc, char** argv) {
    const int megabytes = argc > 1 ? std::atoi(argv[1]) : 100;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 3;
    const bool gbk = argc > 3 && std::string(argv[3]) == "gbk";
    GeneratedFolder folder;
    folder.Create("iniv-compare-bench-");
    const std::string left = (folder.path / "left.ini").string(), right = (folder.path / "right.ini").string();
    MakeFiles(left, right, KeysFor(megabytes), gbk);
    const TDocument leftDocument = Opened(left, TCodePage::Utf8), rightDocument = Opened(right, gbk ? TCodePage::Gbk : TCodePage::Utf8);

    const double read = BestSeconds(rounds, [&] { sink = ReadBytes(left) + ReadBytes(right); });
    const double load = BestSeconds(rounds, [&] {
        UseIniFileOps(nullptr);  // forgets what the engine holds
        for (const TDocument* document : {&leftDocument, &rightDocument}) {
            const IniListing sections = document->Sections();
            for (std::size_t s = 0; s < sections.Count(); ++s)
                sink = sink + document->Keys({sections.Name(s), sections.Occurrence(s)}).Count();
        }
    });
    std::size_t differences = 0;
    const double compare = BestSeconds(rounds, [&] {
        UseIniFileOps(nullptr);
        differences = CompareIni(leftDocument, rightDocument).Differences();
    });
    const double cached =
        BestSeconds(rounds, [&] { differences = CompareIni(leftDocument, rightDocument).Differences(); });

    std::printf("two files of %.1f MB%s, %d sections, %zu differences\n", double(ReadBytes(left)) / 1e6,
                gbk ? " (UTF-8 and GBK)" : "", Sections, differences);
    std::printf("read     %7.3f s\n", read);
    std::printf("load     %7.3f s\n", load);
    std::printf("compare  %7.3f s  %5.2f x read  %5.2f x load\n", compare, compare / read, compare / load);
    std::printf("cached   %7.3f s  %5.2f x read  %5.2f x load\n", cached, cached / read, cached / load);
}
