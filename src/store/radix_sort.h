#pragma once

#include <cstddef>
#include <cstdint>

// An index carried with its unsigned sort key, and a word of the caller's in the room left.
struct KeyedIndex {
    uint64_t key;
    int32_t index;
    uint32_t spare;
};

// Stable least-significant-digit sort of items by the low keyBits bits of their keys; scratch
// holds as many items. Digits that every key shares cost no pass. Returns the array that holds
// the result: items or scratch.
KeyedIndex* RadixSort(KeyedIndex* items, KeyedIndex* scratch, size_t count, int keyBits);
