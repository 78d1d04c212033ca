#pragma once
// The large INI file the benchmarks work on, in the layout of scripts/make-large-ini: sections
// "section000000", ... each with keys "key000000=value S.K of the generated file".
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

inline void MakeGeneratedIni(const std::string& path, int sections, int keys) {
    std::ofstream out(path, std::ios::binary);
    char line[96];
    for (int s = 0; s < sections; ++s) {
        std::snprintf(line, sizeof line, "[section%06d]\n", s);
        out << line;
        for (int k = 0; k < keys; ++k) {
            std::snprintf(line, sizeof line, "key%06d=value %d.%d of the generated file\n", k, s, k);
            out << line;
        }
    }
}

// The folder of a generated file, removed on every way out.
struct GeneratedFolder {
    std::filesystem::path path;
    // A fresh folder in the temporary folder, named after the benchmark and its process.
    void Create(const std::string& prefix) {
        path = std::filesystem::temp_directory_path() / (prefix + std::to_string(getpid()));
        std::filesystem::create_directory(path);
    }
    ~GeneratedFolder() {
        if (!path.empty()) std::filesystem::remove_all(path);
    }
};

// A new modification time a second later: the engine reads the file again at the next call.
inline void TouchLater(const std::string& path) {
    const auto second = std::filesystem::file_time_type::duration(1'000'000'000);
    std::filesystem::last_write_time(path, std::filesystem::last_write_time(path) + second);
}
