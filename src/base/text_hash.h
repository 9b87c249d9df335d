#pragma once

#include <cstddef>
#include <cstdint>

// FNV-1a over a text's UTF-16 code units, one unit a step, for callers that look at each unit
// on the way.
constexpr uint32_t textHashStart = 2166136261u;
inline uint32_t TextHashStep(uint32_t hash, uint16_t unit) {
    return (hash ^ unit) * 16777619u;
}

// The hash of a NUL-terminated text.
inline uint32_t TextHash(const wchar_t* text) {
    uint32_t hash = textHashStart;
    for (; *text; ++text)
        hash = TextHashStep(hash, static_cast<uint16_t>(*text));
    return hash;
}

// The hash of length units, NULs among them.
inline uint32_t TextHash(const wchar_t* text, size_t length) {
    uint32_t hash = textHashStart;
    for (size_t i = 0; i < length; ++i)
        hash = TextHashStep(hash, static_cast<uint16_t>(text[i]));
    return hash;
}

// The same hash over a 64-bit key taken as four units, low first: keys that differ in any bit,
// high ones too, spread over a table's low bits.
inline uint32_t KeyHash(uint64_t key) {
    uint32_t hash = textHashStart;
    for (int unit = 0; unit < 4; ++unit, key >>= 16)
        hash = TextHashStep(hash, static_cast<uint16_t>(key));
    return hash;
}
