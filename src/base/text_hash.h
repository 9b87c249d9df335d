#pragma once

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
