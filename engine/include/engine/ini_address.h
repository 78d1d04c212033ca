#pragma once
// Which section or key line an edit means when names repeat: the name as the reader gives it,
// and how many earlier ones of the same name (ASCII letters matching in either case) come
// before it in file order, or in its section occurrence for a key. 0 is the one a by-name
// reader uses.
#include <cstdint>
#include <string_view>

struct SectionRef {
    std::string_view name;
    std::uint32_t occurrence = 0;
};

struct KeyRef {
    SectionRef section;
    std::string_view name;
    std::uint32_t occurrence = 0;
};
