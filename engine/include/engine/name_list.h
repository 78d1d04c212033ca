#pragma once
// Names in file order, duplicates included, not copied: each is a place in the file's bytes,
// which the list keeps as they were when it was made (an edit after that works on a copy), so
// a list of two million names costs 8 bytes a name and no string of its own.
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class NameList {
public:
    NameList() = default;
    // A list of names that lie in bytes.
    explicit NameList(std::shared_ptr<const std::string> bytes) : bytes_(std::move(bytes)) {}
    // The names packed into bytes of the list's own.
    static NameList Of(const std::vector<std::string>& names);

    std::size_t size() const { return places_.size(); }
    bool empty() const { return places_.empty(); }
    std::string_view operator[](std::size_t at) const {
        const Place place = places_[at];
        return place.length == 0 ? std::string_view() : std::string_view(bytes_->data() + place.begin, place.length);
    }
    std::vector<std::string> Copies() const;

    class Iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = std::string_view;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = std::string_view;

        Iterator() = default;
        Iterator(const NameList* list, std::size_t at) : list_(list), at_(at) {}
        std::string_view operator*() const { return (*list_)[at_]; }
        Iterator& operator++() {
            ++at_;
            return *this;
        }
        Iterator operator++(int) {
            Iterator before = *this;
            ++at_;
            return before;
        }
        bool operator==(const Iterator& other) const { return at_ == other.at_; }

    private:
        const NameList* list_ = nullptr;
        std::size_t at_ = 0;
    };
    Iterator begin() const { return Iterator(this, 0); }
    Iterator end() const { return Iterator(this, size()); }

    void Reserve(std::size_t count) { places_.reserve(count); }
    // name lies in the list's bytes.
    void Append(std::string_view name) {
        Append(name.empty() ? 0 : static_cast<std::size_t>(name.data() - bytes_->data()), name.size());
    }
    // The name at that place in the list's bytes.
    void Append(std::size_t begin, std::size_t length) {
        places_.push_back(Place{static_cast<std::uint32_t>(begin), static_cast<std::uint32_t>(length)});
    }

private:
    struct Place {
        std::uint32_t begin;
        std::uint32_t length;
    };

    std::shared_ptr<const std::string> bytes_;
    std::vector<Place> places_;
};
