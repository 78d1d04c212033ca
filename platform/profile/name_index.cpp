#include "platform/profile/name_index.h"

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

std::uint64_t NameHash(std::string_view name, const LeadTable& lead) {
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
    // FNV's low bits are weak for names that differ only at the end; the table uses them.
    hash ^= hash >> 32;
    hash *= 0xbf58476d1ce4e5b9ull;
    return hash ^ (hash >> 29);
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
