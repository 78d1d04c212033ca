// Finding a text in a 100 MB file, as the find bar does it: one read of the file and a search
// in steps of 4 MB until the match count is whole (the first match is known by then), against
// one read of the file alone. Goal: within 3x.
// Usage: bench_find [file]; without one a GBK file of about 100 MB (sections of keys with
// Chinese names, values and comments) is generated in a temporary folder and removed afterwards.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "engine/ini_find.h"
#include "best_seconds.h"
#include "encoding/code_page.h"
#include "text/string_list.h"

namespace {

constexpr int Runs = 5;
constexpr std::size_t StepBytes = 4u << 20;

// GBK bytes of 设置 (C9 E8 D6 C3), 说明 (CB B5 C3 F7), 键 (BC FC), 值 (D6 B5), 注释 (D7 A2 CA CD).
void MakeFile(const std::string& path, std::size_t atLeast) {
    std::ofstream out(path, std::ios::binary);
    std::size_t written = 0;
    char line[128];
    for (int s = 0; written < atLeast; ++s) {
        int n = std::snprintf(line, sizeof line, "\xD7\xA2\xCA\xCD section %d\r\n[\xC9\xE8\xD6\xC3%07d]\r\n", s, s);
        out.write(line, n);
        written += std::size_t(n);
        for (int k = 0; k < 20; ++k) {
            n = std::snprintf(line, sizeof line, "\xBC\xFC%03d = \xD6\xB5 %d.%d \xCB\xB5\xC3\xF7 of the generated file\r\n", k,
                              s, k);
            out.write(line, n);
            written += std::size_t(n);
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    std::filesystem::path folder;
    std::string path;
    if (argc > 1) {
        path = argv[1];
    } else {
        folder = std::filesystem::temp_directory_path() / ("iniv-find-bench-" + std::to_string(getpid()));
        std::filesystem::create_directories(folder);
        path = (folder / "large.ini").string();
        MakeFile(path, 100u << 20);
    }
    const double read = BestSeconds(Runs, [&] { volatile std::size_t size = LoadFileText(path).size(); (void)size; });
    std::printf("file: %s, %.1f MB; one read: %.1f ms\n", path.c_str(), double(std::filesystem::file_size(path)) / 1e6,
                read * 1e3);
    struct Case {
        const char* what;
        std::string needle;
    };
    const Case cases[] = {
        {"a section's name, once", "\xC9\xE8\xD6\xC3" "0100000"},
        {"a key's name in every section", "\xBC\xFC" "007"},
        {"ASCII words in every value, other case", "OF THE GENERATED"},
        {"a word in every value", "\xCB\xB5\xC3\xF7"},
        {"not in the file", "absent"},
    };
    for (const Case& c : cases) {
        std::size_t count = 0;
        const double found = BestSeconds(Runs, [&] {
            IniFind search(LoadFileText(path), c.needle, TCodePage::Gbk);
            while (!search.Step(StepBytes)) {}
            count = search.MatchCount();
        });
        std::printf("%-42s %9zu matches  %7.1f ms  %.2fx read\n", c.what, count, found * 1e3, found / read);
    }
    if (!folder.empty()) std::filesystem::remove_all(folder);
    return 0;
}
