#pragma once
// Where the main window's view stands: the selected section and row, each by the name the file
// gives it and how many of that name come before it (letter case aside), so that the place
// outlives the view being rebuilt from the file.
#include <cstdint>
#include <optional>
#include <string>

struct TShownName {
    std::string name;
    std::uint32_t occurrence = 0;
};

struct TViewPlace {
    bool root = false;
    std::optional<TShownName> section;
    std::optional<TShownName> row;
};
