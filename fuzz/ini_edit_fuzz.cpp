// libFuzzer target: random INI bytes and a random run of edits on the INI core.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fuzz/ini_edit_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string failure = CheckEditSequence(data, size);
    if (!failure.empty()) {
        std::fprintf(stderr, "broken promise: %s\n", failure.c_str());
        std::abort();
    }
    return 0;
}
