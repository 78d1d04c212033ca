#pragma once
// Finding INI names fast. Names match when they are equal but for the case of ASCII letters;
// a trail byte of a double-byte character always compares exactly.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "encoding/code_page.h"
#include "engine/lead_table.h"

bool SameName(std::string_view a, std::string_view b, const LeadTable& lead);
// Whether text can begin with the name: its bytes equal the name's but for the case of ASCII
// letters, as a matching name's always do. Needs no code page: a quick first test.
bool MayBeginWithName(std::string_view text, std::string_view name);
// Equal for names that match.
std::uint64_t NameHash(std::string_view name, const LeadTable& lead);

// An open-addressing table from name hashes to entry numbers. The table keeps no names: the
// caller's `matches(entry)` decides whether an entry with the same hash holds the name.
// The first entry added under a name is the one found.
class NameIndex {
public:
    // Adds the entry unless an entry with the same name was there first: then that one.
    template <typename Matches>
    std::optional<std::uint32_t> Add(std::uint64_t hash, std::uint32_t entry, Matches matches) {
        if ((count_ + 1) * 4 > slots_.size() * 3) Grow();
        const std::uint32_t shortHash = Short(hash);
        const std::size_t mask = slots_.size() - 1;
        std::size_t at = shortHash & mask;
        for (; slots_[at].entry != Empty; at = (at + 1) & mask)
            if (slots_[at].hash == shortHash && matches(slots_[at].entry)) return slots_[at].entry;
        slots_[at] = Slot{shortHash, entry};
        ++count_;
        return std::nullopt;
    }

    // Asks the memory for the slot a name of that hash starts at, ahead of its Add or Find.
    void Prefetch(std::uint64_t hash) const {
        const std::size_t size = slots_.size();
        const Slot* slot = slots_.data() + (Short(hash) & (size - (size != 0)));
#if defined(__x86_64__) && !defined(__clang__)
        asm volatile("prefetcht0 (%0)" : : "r"(slot));  // GCC 12 drops __builtin_prefetch here
#else
        __builtin_prefetch(slot);
#endif
    }

    // Makes room for that many entries at once, rather than growing step by step.
    void Reserve(std::size_t count);

    template <typename Matches>
    std::optional<std::uint32_t> Find(std::uint64_t hash, Matches matches) const {
        if (slots_.empty()) return std::nullopt;
        const std::uint32_t shortHash = Short(hash);
        const std::size_t mask = slots_.size() - 1;
        for (std::size_t at = shortHash & mask; slots_[at].entry != Empty; at = (at + 1) & mask)
            if (slots_[at].hash == shortHash && matches(slots_[at].entry)) return slots_[at].entry;
        return std::nullopt;
    }

private:
    static constexpr std::uint32_t Empty = UINT32_MAX;
    struct Slot {
        std::uint32_t hash = 0;
        std::uint32_t entry = Empty;
    };

    static std::uint32_t Short(std::uint64_t hash) { return static_cast<std::uint32_t>(hash ^ (hash >> 32)); }
    std::size_t FreeSlotFor(std::uint32_t hash) const;
    void Grow() { Rehash(slots_.empty() ? 16 : slots_.size() * 2); }
    void Rehash(std::size_t slotCount);

    std::vector<Slot> slots_;
    std::size_t count_ = 0;
};

// Whether any two of a known number of hashes are equal. One table of millions of hashes
// would miss the cache at every insert; the hashes are put into parts by their top bits as
// they come, and each part is checked in a table that fits the cache.
class RepeatedHashFinder {
public:
    explicit RepeatedHashFinder(std::size_t count);

    void Add(std::uint64_t hash) {
        const std::size_t part = partBits_ == 0 ? 0 : static_cast<std::size_t>(hash >> (64 - partBits_));
        std::uint32_t& filled = filled_[part];
        if (filled == partRoom_) {
            overflowed_ = true;
            return;
        }
        hashes_[part * partRoom_ + filled++] = hash;
    }

    // True when two hashes were equal, or when a part had no room left (so maybe).
    bool Found() const;

private:
    unsigned partBits_ = 0;
    std::size_t partRoom_ = 0;
    std::unique_ptr<std::uint64_t[]> hashes_;
    std::vector<std::uint32_t> filled_;
    bool overflowed_ = false;
};
