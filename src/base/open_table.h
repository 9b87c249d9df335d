#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

// A hash table of open addressing and linear probing. Its entries stay in the order they came,
// numbered from 0; its slots hold an entry's number and hash, so growing reads no entry and a
// probe reads only the entries of an equal hash. It grows to twice its slots before more than
// half would be in use, from firstSlots up to maxSlots (powers of two). Without memory, or at
// maxSlots, nothing is added and the table stays as it was.
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
        const Slot& slot = slots[Probe(hash, matches)];
        return slot.number == freeSlot ? nullptr : &entries[slot.number];
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
        Free(entries);
        slots = nullptr;
        entries = nullptr;
        slotCount = count = 0;
    }

    Entry& operator[](uint32_t number) { return entries[number]; }
    const Entry& operator[](uint32_t number) const { return entries[number]; }
    uint32_t Count() const { return count; }
    uint32_t Number(const Entry& entry) const { return static_cast<uint32_t>(&entry - entries); }

private:
    static constexpr uint32_t freeSlot = UINT32_MAX;
    struct Slot {
        uint32_t number; // freeSlot when free
        uint32_t hash;
    };

    static void Free(void* block) {
        if (block)
            HeapFree(GetProcessHeap(), 0, block);
    }
    // The slot of the entry that matches, or else the free slot where the probe ended.
    template <typename Matches> uint32_t Probe(uint32_t hash, const Matches& matches) const {
        const uint32_t mask = slotCount - 1;
        uint32_t at = hash & mask;
        for (; slots[at].number != freeSlot; at = (at + 1) & mask) {
            if (slots[at].hash == hash && matches(entries[slots[at].number]))
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
        const uint32_t number = count++;
        entries[number] = entry;
        slots[FreeSlot(slots, slotCount, hash)] = {number, hash};
        return &entries[number];
    }
    bool Grow() {
        const uint32_t grown = slotCount ? 2 * slotCount : firstSlots;
        if (grown > maxSlots || grown < slotCount || grown > SIZE_MAX / sizeof(Slot) ||
            grown / 2 > SIZE_MAX / sizeof(Entry))
            return false;
        auto* freshSlots =
            static_cast<Slot*>(HeapAlloc(GetProcessHeap(), 0, size_t{grown} * sizeof(Slot)));
        auto* freshEntries =
            static_cast<Entry*>(HeapAlloc(GetProcessHeap(), 0, size_t{grown / 2} * sizeof(Entry)));
        if (!freshSlots || !freshEntries) {
            Free(freshSlots);
            Free(freshEntries);
            return false;
        }
        memset(freshSlots, 0xff, size_t{grown} * sizeof(Slot)); // every number freeSlot
        if (count)
            memcpy(freshEntries, entries, size_t{count} * sizeof(Entry));
        for (uint32_t i = 0; i < slotCount; ++i) {
            if (slots[i].number != freeSlot)
                freshSlots[FreeSlot(freshSlots, grown, slots[i].hash)] = slots[i];
        }
        const uint32_t kept = count;
        Clear();
        slots = freshSlots;
        entries = freshEntries;
        slotCount = grown;
        count = kept;
        return true;
    }

    Slot* slots = nullptr;
    Entry* entries = nullptr; // room for half the slots
    uint32_t slotCount = 0;
    uint32_t count = 0;
};
