#pragma once
// Names, and for keys their values, in file order, each with its occurrence among the earlier
// entries of the same name (ASCII letters matching in either case). All text sits in one
// buffer: a list of two million keys costs their bytes and 24 bytes each.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class ProfileList {
public:
    std::size_t Count() const { return items_.size(); }
    std::string_view Name(std::size_t at) const { return std::string_view(text_).substr(items_[at].begin, items_[at].nameLength); }
    // A key's value as a reader sees it; empty for a section.
    std::string_view Value(std::size_t at) const {
        return std::string_view(text_).substr(items_[at].begin + items_[at].nameLength, items_[at].valueLength);
    }
    std::uint32_t Occurrence(std::size_t at) const { return items_[at].occurrence; }
    // The one a by-name reader uses.
    bool FirstOfName(std::size_t at) const { return items_[at].occurrence == 0; }

    void Reserve(std::size_t count) { items_.reserve(count); }
    void Append(std::string_view name, std::string_view value, std::uint32_t occurrence) {
        items_.push_back(Item{text_.size(), static_cast<std::uint32_t>(name.size()),
                              static_cast<std::uint32_t>(value.size()), occurrence});
        text_.append(name).append(value);
    }

private:
    struct Item {
        std::size_t begin;
        std::uint32_t nameLength;
        std::uint32_t valueLength;
        std::uint32_t occurrence;
    };
    std::string text_;
    std::vector<Item> items_;
};
