#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

// A hash table of open addressing and linear probing. A slot holds its entry with the entry's
// hash, so a probe reads one place; entries are numbered from 0 in the order they came. It grows
// to twice its slots before more than half would be in use, from firstSlots up to maxSlots
// (powers of two). Without memory, or at maxSlots, nothing is added and the table stays as it
// was.
template <typename Entry, uint32_t firstSlots, uint32_t maxSlots = (1u << 31)> class OpenTable {
    static_assert(std::is_trivially_copyable<Entry>::value, "entries are moved as bytes");
    static_assert(firstSlots >= 2 && (firstSlots & (firstSlots - 1)) == 0, "a power of two");
    static_assert(maxSlots >= firstSlots && (maxSlots & (maxSlots - 1)) == 0, "a power of two");

public:
    OpenTable() = default;
    ~OpenTable() { Clear(); }
    OpenTable(const OpenTable&) = delete;
    OpenTable& operator=(const OpenTable&) = delete;

    // The entry that matches, among those added under hash; null when none does.
    template <typename Matches> Entry* Find(uint32_t hash, const Matches& matches) {
        if (!slotCount)
            return nullptr;
        Slot& slot = slots[Probe(hash, matches)];
        return slot.number == freeSlot ? nullptr : &slot.entry;
    }
    // The entry that matches; else entry, added under hash as the next number (added set).
    // Null when there is no room for it.
    template <typename Matches>
    Entry* FindOrAdd(uint32_t hash, const Entry& entry, const Matches& matches, bool& added) {
        added = false;
        if (Entry* found = Find(hash, matches))
            return found;
        if (!Reserve())
            return nullptr;
        added = true;
        return Place(hash, entry);
    }
    // entry, which no entry in the table matches, added under hash; null when there is no room.
    Entry* Add(uint32_t hash, const Entry& entry) {
        return Reserve() ? Place(hash, entry) : nullptr;
    }
    // Makes room for one more entry, so that the next one added is; false when it cannot.
    bool Reserve() { return 2 * (static_cast<size_t>(count) + 1) <= slotCount || Grow(); }
    // Empties the table and gives back its memory.
    void Clear() {
        Free(slots);
        Free(order);
        slots = nullptr;
        order = nullptr;
        slotCount = count = 0;
    }

    Entry& operator[](uint32_t number) { return slots[order[number]].entry; }
    const Entry& operator[](uint32_t number) const { return slots[order[number]].entry; }
    uint32_t Count() const { return count; }
    uint32_t Number(const Entry& entry) const {
        return reinterpret_cast<const Slot*>(&entry)->number;
    }

private:
    static constexpr uint32_t freeSlot = UINT32_MAX;
    struct Slot {
        Entry entry;     // first: an entry's address is its slot's
        uint32_t number; // freeSlot when free
        uint32_t hash;
    };
    static_assert(std::is_standard_layout<Slot>::value, "an entry's address is its slot's");

    static void Free(void* block) {
        if (block)
            HeapFree(GetProcessHeap(), 0, block);
    }
    // The slot of the entry that matches, or else the free slot where the probe ended.
    template <typename Matches> uint32_t Probe(uint32_t hash, const Matches& matches) const {
        const uint32_t mask = slotCount - 1;
        uint32_t at = hash & mask;
        for (; slots[at].number != freeSlot; at = (at + 1) & mask) {
            if (slots[at].hash == hash && matches(slots[at].entry))
                break;
        }
        return at;
    }
    // The first free slot from hash's own.
    static uint32_t FreeSlot(const Slot* in, uint32_t slotCount, uint32_t hash) {
        uint32_t at = hash & (slotCount - 1);
        while (in[at].number != freeSlot)
            at = (at + 1) & (slotCount - 1);
        return at;
    }
    Entry* Place(uint32_t hash, const Entry& entry) {
        const uint32_t at = FreeSlot(slots, slotCount, hash);
        slots[at] = {entry, count, hash};
        order[count++] = at;
        return &slots[at].entry;
    }
    bool Grow() {
        const uint32_t grown = slotCount ? 2 * slotCount : firstSlots;
        if (grown > maxSlots || grown < slotCount || grown > SIZE_MAX / sizeof(Slot))
            return false;
        auto* freshSlots =
            static_cast<Slot*>(HeapAlloc(GetProcessHeap(), 0, size_t{grown} * sizeof(Slot)));
        auto* freshOrder = static_cast<uint32_t*>(
            HeapAlloc(GetProcessHeap(), 0, size_t{grown / 2} * sizeof(uint32_t)));
        if (!freshSlots || !freshOrder) {
            Free(freshSlots);
            Free(freshOrder);
            return false;
        }
        for (uint32_t i = 0; i < grown; ++i)
            freshSlots[i].number = freeSlot;
        for (uint32_t i = 0; i < slotCount; ++i) {
            if (slots[i].number == freeSlot)
                continue;
            const uint32_t at = FreeSlot(freshSlots, grown, slots[i].hash);
            freshSlots[at] = slots[i];
            freshOrder[slots[i].number] = at;
        }
        const uint32_t kept = count;
        Clear();
        slots = freshSlots;
        order = freshOrder;
        slotCount = grown;
        count = kept;
        return true;
    }

    Slot* slots = nullptr;
    uint32_t* order = nullptr; // the slot of each number: room for half the slots
    uint32_t slotCount = 0;
    uint32_t count = 0;
};
