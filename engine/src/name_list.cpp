#include "engine/name_list.h"

NameList NameList::Of(const std::vector<std::string>& names) {
    auto bytes = std::make_shared<std::string>();
    std::vector<Place> places;
    places.reserve(names.size());
    for (const std::string& name : names) {
        places.push_back(Place{static_cast<std::uint32_t>(bytes->size()), static_cast<std::uint32_t>(name.size())});
        *bytes += name;
    }
    NameList list(std::move(bytes));
    list.places_ = std::move(places);
    return list;
}

std::vector<std::string> NameList::Copies() const { return std::vector<std::string>(begin(), end()); }
