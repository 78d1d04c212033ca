#pragma once
// Finding INI names fast. Names match when they are equal but for the case of ASCII letters;
// a trail byte of a double-byte character always compares exactly.
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/profile/lead_table.h"

bool SameName(std::string_view a, std::string_view b, const LeadTable& lead);
// Equal for names that match.
std::uint64_t NameHash(std::string_view name, const LeadTable& lead);

// An open-addressing table from name hashes to entry numbers. The table keeps no names: the
// caller's `matches(entry)` decides whether an entry with the same hash holds the name.
// The first entry added under a name is the one found.
class NameIndex {
public:
    // False when an entry with the same name was there first.
    template <typename Matches>
    bool Add(std::uint64_t hash, std::uint32_t entry, Matches matches) {
        if (Find(hash, matches)) return false;
        if ((count_ + 1) * 2 > slots_.size()) Grow();
        slots_[FreeSlotFor(hash)] = Slot{hash, entry};
        ++count_;
        return true;
    }

    // Makes room for that many entries at once, rather than growing step by step.
    void Reserve(std::size_t count);

    template <typename Matches>
    std::optional<std::uint32_t> Find(std::uint64_t hash, Matches matches) const {
        if (slots_.empty()) return std::nullopt;
        const std::size_t mask = slots_.size() - 1;
        for (std::size_t at = hash & mask; slots_[at].entry != Empty; at = (at + 1) & mask)
            if (slots_[at].hash == hash && matches(slots_[at].entry)) return slots_[at].entry;
        return std::nullopt;
    }

private:
    static constexpr std::uint32_t Empty = UINT32_MAX;
    struct Slot {
        std::uint64_t hash = 0;
        std::uint32_t entry = Empty;
    };

    std::size_t FreeSlotFor(std::uint64_t hash) const;
    void Grow() { Rehash(slots_.empty() ? 16 : slots_.size() * 2); }
    void Rehash(std::size_t slotCount);

    std::vector<Slot> slots_;
    std::size_t count_ = 0;
};
