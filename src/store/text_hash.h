#pragma once

#include <cstdint>

// FNV-1a of a NUL-terminated text's code units.
inline uint32_t TextHash(const wchar_t* text) {
    uint32_t hash = 2166136261u;
    for (; *text; ++text)
        hash = (hash ^ static_cast<uint16_t>(*text)) * 16777619u;
    return hash;
}
