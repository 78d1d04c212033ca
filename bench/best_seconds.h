#pragma once
// The best time of a few runs of some work: the one the rest of the machine disturbed least.
#include <algorithm>
#include <chrono>

template <typename Work>
double BestSeconds(int runs, Work&& work) {
    double best = 1e9;
    for (int run = 0; run < runs; ++run) {
        const auto start = std::chrono::steady_clock::now();
        work();
        best = std::min(
            best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}
