#include "radix_sort.h"

#include <cstring>

namespace {

constexpr int digitBits = 11;
constexpr size_t buckets = size_t{1} << digitBits;

} // namespace

KeyedIndex* RadixSort(KeyedIndex* items, KeyedIndex* scratch, size_t count, int keyBits) {
    const int digits = (keyBits + digitBits - 1) / digitBits;
    if (count < 2 || digits == 0)
        return items;
    // Every digit's histogram in one pass over the keys.
    static_assert(64 / digitBits + 1 <= 6, "six digits cover a key");
    size_t counts[6][buckets];
    memset(counts, 0, sizeof counts);
    for (size_t i = 0; i < count; ++i) {
        const uint64_t key = items[i].key;
        for (int d = 0; d < digits; ++d)
            ++counts[d][(key >> (d * digitBits)) & (buckets - 1)];
    }
    KeyedIndex* source = items;
    KeyedIndex* target = scratch;
    for (int d = 0; d < digits; ++d) {
        size_t* histogram = counts[d];
        if (histogram[(source[0].key >> (d * digitBits)) & (buckets - 1)] == count)
            continue; // every key has this digit
        size_t offset = 0;
        for (size_t b = 0; b < buckets; ++b) {
            const size_t here = histogram[b];
            histogram[b] = offset;
            offset += here;
        }
        const int shift = d * digitBits;
        for (size_t i = 0; i < count; ++i)
            target[histogram[(source[i].key >> shift) & (buckets - 1)]++] = source[i];
        KeyedIndex* swap = source;
        source = target;
        target = swap;
    }
    return source;
}
