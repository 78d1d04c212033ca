#pragma once
// Names, and for keys their values, in file order, each with its occurrence among the earlier
// entries of the same name (ASCII letters matching in either case). The names and values are
// not copied: the list keeps the file's bytes as they were when it was made (an edit after
// that works on a copy), so a list of two million keys costs 16 bytes a key, and 4 more when
// a name repeats.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class IniListing {
public:
    IniListing() = default;
    // A list of names and values that lie in bytes.
    explicit IniListing(std::shared_ptr<const std::string> bytes) : bytes_(std::move(bytes)) {}

    std::size_t Count() const { return items_.size(); }
    std::string_view Name(std::size_t at) const { return Text(items_[at].nameBegin, items_[at].nameLength); }
    // A key's value as a reader sees it; empty for a section.
    std::string_view Value(std::size_t at) const { return Text(items_[at].valueBegin, items_[at].valueLength); }
    // A key's value as the file holds it, with the pair of quotes that Value leaves off.
    std::string_view RawValue(std::size_t at) const {
        const Item& item = items_[at];
        // A value read without its quotes lies between them, also an empty one; a bare one
        // follows an "=" or a blank. A section has no value, and none lies at the start.
        if (item.valueBegin == 0) return Value(at);
        const std::string_view bytes(*bytes_);
        const std::size_t end = std::size_t(item.valueBegin) + item.valueLength;
        const char before = bytes[item.valueBegin - 1];
        if ((before == '"' || before == '\'') && end < bytes.size() && bytes[end] == before)
            return bytes.substr(item.valueBegin - 1, item.valueLength + 2);
        return Value(at);
    }
    std::uint32_t Occurrence(std::size_t at) const { return occurrences_.empty() ? 0 : occurrences_[at] & ~RepeatedBit; }
    // The one a by-name reader uses.
    bool FirstOfName(std::size_t at) const { return Occurrence(at) == 0; }
    // Whether another entry of the list has the same name, before or after this one.
    bool Repeated(std::size_t at) const { return !occurrences_.empty() && (occurrences_[at] & RepeatedBit) != 0; }

    void Reserve(std::size_t count) { items_.reserve(count); }
    // name and value lie in the list's bytes. The first of its name, until told otherwise.
    void Append(std::string_view name, std::string_view value) {
        items_.push_back(Item{OffsetOf(name), static_cast<std::uint32_t>(name.size()), OffsetOf(value),
                              static_cast<std::uint32_t>(value.size())});
    }
    // After the last Append.
    void SetOccurrence(std::size_t at, std::uint32_t occurrence) {
        Occurrences()[at] = occurrence | (occurrence > 0 ? RepeatedBit : 0);
    }
    void MarkRepeated(std::size_t at) { Occurrences()[at] |= RepeatedBit; }

private:
    // Occurrences count lines, fewer than 2^31 in a file the service handles: the top bit is free.
    static constexpr std::uint32_t RepeatedBit = 0x80000000u;
    struct Item {
        std::uint32_t nameBegin;
        std::uint32_t nameLength;
        std::uint32_t valueBegin;
        std::uint32_t valueLength;
    };

    std::vector<std::uint32_t>& Occurrences() {
        if (occurrences_.empty()) occurrences_.resize(items_.size());
        return occurrences_;
    }

    // An empty text also has its place in the bytes (an empty value between its quotes); a text
    // of none (a section's value) has 0.
    std::uint32_t OffsetOf(std::string_view text) const {
        return text.data() == nullptr ? 0 : static_cast<std::uint32_t>(text.data() - bytes_->data());
    }
    std::string_view Text(std::uint32_t begin, std::uint32_t length) const {
        return length == 0 ? std::string_view() : std::string_view(*bytes_).substr(begin, length);
    }

    std::shared_ptr<const std::string> bytes_;
    std::vector<Item> items_;
    // Each entry's occurrence and RepeatedBit; empty while no name repeats.
    std::vector<std::uint32_t> occurrences_;
};
