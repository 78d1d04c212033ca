#include "platform/profile/name_index.h"

#include <cstring>

namespace {

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

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

std::uint64_t Word(const char* bytes, std::size_t count) {
    std::uint64_t word = 0;
    std::memcpy(&word, bytes, count);
    return word;
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

// Names of ASCII bytes alone, eight bytes at a time.
std::uint64_t AsciiHash(std::string_view name) {
    std::uint64_t hash = 0x9E3779B97F4A7C15ull ^ name.size();
    std::size_t at = 0;
    for (; at + 8 <= name.size(); at += 8) hash = Mix(hash ^ FoldCase(Word(name.data() + at, 8)));
    if (at < name.size()) hash = Mix(hash ^ FoldCase(Word(name.data() + at, name.size() - at)));
    return hash;
}

bool IsAscii(std::string_view name) {
    std::uint64_t seen = 0;
    std::size_t at = 0;
    for (; at + 8 <= name.size(); at += 8) seen |= Word(name.data() + at, 8);
    if (at < name.size()) seen |= Word(name.data() + at, name.size() - at);
    return (seen & HighBits) == 0;
}

}  // namespace

// Two names that match are both ASCII or both not, so each kind may hash its own way.
std::uint64_t NameHash(std::string_view name, const LeadTable& lead) {
    if (lead.AsciiIsSingleByte() && IsAscii(name)) return AsciiHash(name);
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
