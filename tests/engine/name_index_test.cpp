// Finding a repeated hash among millions: parts that fill unevenly must not hide a repeat.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "engine/name_index.h"

namespace {

std::uint64_t Spread(std::uint64_t n) {
    n += 0x9E3779B97F4A7C15ull;
    n = (n ^ (n >> 30)) * 0xBF58476D1CE4E5B9ull;
    n = (n ^ (n >> 27)) * 0x94D049BB133111EBull;
    return n ^ (n >> 31);
}

bool Repeats(const std::vector<std::uint64_t>& hashes) {
    RepeatedHashFinder finder(hashes.size());
    for (const std::uint64_t hash : hashes) finder.Add(hash);
    return finder.Found();
}

TEST(RepeatedHashFinder, FindsOneRepeatAmongManyWhereverItIs) {
    std::vector<std::uint64_t> hashes;
    for (std::uint64_t n = 0; n < 100000; ++n) hashes.push_back(Spread(n));
    EXPECT_FALSE(Repeats(hashes));
    for (const std::size_t at : {std::size_t{1}, hashes.size() / 2, hashes.size() - 1}) {
        std::vector<std::uint64_t> repeated = hashes;
        repeated[at] = hashes[0];
        EXPECT_TRUE(Repeats(repeated)) << at;
    }
    EXPECT_FALSE(Repeats({})) << "nothing";
    EXPECT_FALSE(Repeats({7})) << "one";
    EXPECT_TRUE(Repeats({0, 5, 0})) << "zero is a hash like any other";
}

// Hashes that all share their top bits crowd one part: the answer is then "maybe", never "no".
TEST(RepeatedHashFinder, AnOverfullPartAnswersMaybe) {
    std::vector<std::uint64_t> crowded;
    for (std::uint64_t n = 0; n < 50000; ++n) crowded.push_back(Spread(n) >> 16);
    EXPECT_TRUE(Repeats(crowded));
}

}  // namespace
