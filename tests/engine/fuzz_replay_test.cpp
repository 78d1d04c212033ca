#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "fuzz/ini_edit_check.h"

// The fuzzer's seed corpus and every input that once broke a promise, replayed in each test run.
TEST(IniFuzzInputs, EveryKeptInputStillHolds) {
    int replayed = 0;
    for (const char* folder : {"corpus", "regressions"}) {
        for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(INIV_FUZZ_DIR) / folder)) {
            std::ifstream in(entry.path(), std::ios::binary);
            const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            EXPECT_EQ(CheckEditSequence(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()), "")
                << entry.path();
            ++replayed;
        }
    }
    EXPECT_GT(replayed, 1);
}
