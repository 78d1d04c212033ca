#pragma once
// The large INI file the benchmarks work on, in the layout of scripts/make-large-ini: sections
// "section000000", ... each with keys "key000000=value S.K of the generated file".
#include <cstdio>
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
