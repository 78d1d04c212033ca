#include "engine/name_index.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// No double-byte code page has a lead byte below 0x80: such bytes need no table look-up.
bool SingleByte(char c, const LeadTable& lead) {
    return static_cast<unsigned char>(c) < 0x80 && lead.AsciiIsSingleByte();
}

}  // namespace

bool SameName(std::string_view a, std::string_view b, const LeadTable& lead) {
    if (a.size() != b.size()) return false;
    // Names mostly come back exactly as the file spells them.
    if (a == b) return true;
    for (std::size_t at = 0; at < a.size();) {
        if (SingleByte(a[at], lead)) {
            if (AsciiLower(a[at]) != AsciiLower(b[at])) return false;
            ++at;
            continue;
        }
        const std::size_t length = lead.CharLength(a, at);
        if (length == 2) {
            if (a[at] != b[at] || a[at + 1] != b[at + 1]) return false;
        } else if (AsciiLower(a[at]) != AsciiLower(b[at])) {
            return false;
        }
        at += length;
    }
    return true;
}

bool MayBeginWithName(std::string_view text, std::string_view name) {
    if (text.size() < name.size()) return false;
    for (std::size_t at = 0; at < name.size(); ++at)
        if (AsciiLower(text[at]) != AsciiLower(name[at])) return false;
    return true;
}

namespace {

constexpr std::uint64_t HighBits = 0x8080808080808080ull;

std::uint64_t Load32(const char* bytes) {
    std::uint32_t word;
    std::memcpy(&word, bytes, 4);
    return word;
}

// The first `count` bytes (at most eight) in the low bytes of a word, the rest zero, without a
// call to memcpy for a size it cannot know: overlapping loads put the same bytes in the same
// places.
std::uint64_t Word(const char* bytes, std::size_t count) {
    if (count == 8) {
        std::uint64_t word;
        std::memcpy(&word, bytes, 8);
        return word;
    }
    if (count >= 4) return Load32(bytes) | (Load32(bytes + count - 4) << ((count - 4) * 8));
    if (count == 0) return 0;
    const auto byte = [&](std::size_t at) { return std::uint64_t{static_cast<unsigned char>(bytes[at])} << (at * 8); };
    return byte(0) | byte(count / 2) | byte(count - 1);
}

// A..Z to a..z in each byte of a word of bytes below 0x80: a byte is a capital when adding
// 0x3F carries into its top bit and adding 0x25 does not.
std::uint64_t FoldCase(std::uint64_t word) {
    constexpr std::uint64_t ones = 0x0101010101010101ull;
    const std::uint64_t capitals = (word + 0x3F * ones) & ~(word + 0x25 * ones) & HighBits;
    return word | (capitals >> 2);
}

std::uint64_t Mix(std::uint64_t hash) {
    hash ^= hash >> 32;
    hash *= 0xbf58476d1ce4e5b9ull;
    return hash ^ (hash >> 29);
}

// Names of ASCII bytes alone, eight bytes at a time; nothing for a name with other bytes.
std::optional<std::uint64_t> AsciiHash(std::string_view name) {
    std::uint64_t hash = 0x9E3779B97F4A7C15ull ^ name.size();
    std::uint64_t seen = 0;
    for (std::size_t at = 0; at < name.size(); at += 8) {
        const std::uint64_t word = Word(name.data() + at, std::min<std::size_t>(8, name.size() - at));
        seen |= word;
        hash = Mix(hash ^ FoldCase(word));
    }
    if ((seen & HighBits) != 0) return std::nullopt;
    return hash;
}

}  // namespace

// Two names that match are both ASCII or both not, so each kind may hash its own way.
std::uint64_t NameHash(std::string_view name, const LeadTable& lead) {
    if (lead.AsciiIsSingleByte())
        if (const auto ascii = AsciiHash(name)) return *ascii;
    std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
    const auto mix = [&hash](char c) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    };
    for (std::size_t at = 0; at < name.size();) {
        if (SingleByte(name[at], lead)) {
            mix(AsciiLower(name[at++]));
            continue;
        }
        const std::size_t length = lead.CharLength(name, at);
        if (length == 2) {
            mix(name[at]);
            mix(name[at + 1]);
        } else {
            mix(AsciiLower(name[at]));
        }
        at += length;
    }
    return Mix(hash);
}

std::size_t NameIndex::FreeSlotFor(std::uint32_t hash) const {
    const std::size_t mask = slots_.size() - 1;
    std::size_t at = hash & mask;
    while (slots_[at].entry != Empty) at = (at + 1) & mask;
    return at;
}

void NameIndex::Reserve(std::size_t count) {
    std::size_t slotCount = 16;
    while (slotCount * 3 < count * 4) slotCount *= 2;
    if (slotCount > slots_.size()) Rehash(slotCount);
}

void NameIndex::Rehash(std::size_t slotCount) {
    std::vector<Slot> old(slotCount);
    old.swap(slots_);
    for (const Slot& slot : old)
        if (slot.entry != Empty) slots_[FreeSlotFor(slot.hash)] = slot;
}

namespace {

// Hashes per part: its table of twice as many slots stays within the second-level cache.
constexpr std::size_t HashesPerPart = 8192;

std::size_t PowerOfTwoAtLeast(std::size_t count) {
    std::size_t size = 16;
    while (size < count) size *= 2;
    return size;
}

}  // namespace

// Hashes are spread evenly over the parts; a part gets room for six standard deviations more
// than its share, which a part of evenly spread hashes does not reach.
RepeatedHashFinder::RepeatedHashFinder(std::size_t count) {
    while ((count >> partBits_) > HashesPerPart) ++partBits_;
    const std::size_t share = count >> partBits_;
    partRoom_ = partBits_ == 0 ? count : share + 6 * static_cast<std::size_t>(std::sqrt(static_cast<double>(share))) + 16;
    hashes_ = std::make_unique_for_overwrite<std::uint64_t[]>(partRoom_ << partBits_);
    filled_.assign(std::size_t{1} << partBits_, 0);
}

bool RepeatedHashFinder::Found() const {
    if (overflowed_) return true;
    // Zero marks a free slot; a hash of zero is taken as one, which at worst reports a repeat
    // that is not there.
    std::vector<std::uint64_t> table(PowerOfTwoAtLeast(2 * partRoom_));
    for (std::size_t part = 0; part < filled_.size(); ++part) {
        const std::size_t mask = PowerOfTwoAtLeast(2 * filled_[part]) - 1;
        std::fill_n(table.begin(), mask + 1, 0);
        const std::uint64_t* hashes = hashes_.get() + part * partRoom_;
        for (std::uint32_t i = 0; i < filled_[part]; ++i) {
            const std::uint64_t hash = std::max<std::uint64_t>(hashes[i], 1);
            std::size_t at = hash & mask;
            for (; table[at] != 0; at = (at + 1) & mask)
                if (table[at] == hash) return true;
            table[at] = hash;
        }
    }
    return false;
}
