#pragma once

#include <windows.h>

#include <cstddef>

// Grows an open-addressing table of linear probing to twice its slots (first: its first
// size), moving every slot in use (one whose text is set) to its place in the new table;
// home gives a slot's first place for a slot count. False without memory: the table is then
// as it was.
template <typename Slot, typename Home>
bool GrowTable(Slot*& slots, size_t& slotCount, size_t first, const Home& home) {
    const size_t grown = slotCount ? 2 * slotCount : first;
    if (grown > SIZE_MAX / sizeof(Slot))
        return false;
    auto* fresh =
        static_cast<Slot*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, grown * sizeof(Slot)));
    if (!fresh)
        return false;
    for (size_t i = 0; i < slotCount; ++i) {
        if (!slots[i].text)
            continue;
        size_t slot = home(slots[i], grown) & (grown - 1);
        while (fresh[slot].text)
            slot = (slot + 1) & (grown - 1);
        fresh[slot] = slots[i];
    }
    if (slots)
        HeapFree(GetProcessHeap(), 0, slots);
    slots = fresh;
    slotCount = grown;
    return true;
}
