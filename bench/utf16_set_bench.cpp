// One set in a large UTF-16 file beside the same set in the same text as UTF-8: the file read
// again (as iniv finds it) and cached (as the window's next edit finds it). Medians of
// interleaved rounds.
//   bench_utf16_set [MEGABYTES_OF_UTF16 [ROUNDS]]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "bench/generated_ini.h"
#include "engine/ini_service.h"

namespace {

constexpr TCodePage Utf8 = TCodePage::Utf8;
constexpr TCodePage Utf16Le = TCodePage::Utf16Le;
constexpr int Sections = 1000;
// A generated key line is about 40 bytes, 80 in UTF-16.
constexpr int Utf16BytesPerKey = 80;

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The generated text is ASCII: each byte becomes a unit.
void WriteUtf16Copy(const std::string& from, const std::string& to) {
    std::ifstream in(from, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    std::string units = "\xFF\xFE";
    for (const char c : text.str()) units += {c, '\0'};
    std::ofstream(to, std::ios::binary) << units;
}

double SetSeconds(const std::string& path, TCodePage codePage, bool readAgain, int round) {
    if (readAgain) TouchLater(path);
    char section[32];
    std::snprintf(section, sizeof section, "section%06d", Sections / 2);
    const auto start = std::chrono::steady_clock::now();
    const IniResult result = IniService().SetValue({path, codePage}, section, "key000007", "round " + std::to_string(round));
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!result.Succeeded()) {
        std::fprintf(stderr, "set failed in %s\n", path.c_str());
        std::exit(1);
    }
    return seconds;
}

}  // namespace

int main(int argc, char** argv) {
    const int megabytes = argc > 1 ? std::atoi(argv[1]) : 100;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 5;
    GeneratedFolder folder;
    folder.Create("iniv-utf16-bench-");
    const std::string utf8 = (folder.path / "utf8.ini").string(), utf16 = (folder.path / "utf16.ini").string();
    MakeGeneratedIni(utf8, Sections, int(std::int64_t(megabytes) * 1'000'000 / Utf16BytesPerKey / Sections));
    WriteUtf16Copy(utf8, utf16);
    std::printf("UTF-8 file %.1f MB, UTF-16LE file %.1f MB\n", double(std::filesystem::file_size(utf8)) / 1e6,
                double(std::filesystem::file_size(utf16)) / 1e6);
    for (const bool readAgain : {true, false}) {
        std::vector<double> asUtf8, asUtf16;
        SetSeconds(utf8, Utf8, readAgain, -1);  // the first read brings the file into the page cache
        SetSeconds(utf16, Utf16Le, readAgain, -1);
        for (int round = 0; round < rounds; ++round) {
            asUtf8.push_back(SetSeconds(utf8, Utf8, readAgain, round));
            asUtf16.push_back(SetSeconds(utf16, Utf16Le, readAgain, round));
        }
        const double a = Median(asUtf8), b = Median(asUtf16);
        std::printf("set, %-10s UTF-8 %7.3f s   UTF-16 %7.3f s   ratio %.2f\n", readAgain ? "read again" : "cached", a, b, b / a);
    }
}
