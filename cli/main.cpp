// iniv: the INI files of the viewer, from scripts.
#include <iostream>
#include <string>
#include <vector>

#include "cli/iniv.h"

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    const std::vector<std::string> args(argv + 1, argv + argc);
    const int status = RunIniv(args, std::cin, std::cout, std::cerr);
    // A value that never reached the script is no success.
    if (!std::cout.flush()) {
        std::cerr << "iniv: Unable to write to standard output.\n";
        return ExitFailed;
    }
    return status;
}
