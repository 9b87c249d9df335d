#pragma once

#include <cstdint>

// FNV-1a of a NUL-terminated text's bytes.
inline uint32_t TextHash(const char* text) {
    uint32_t hash = 2166136261u;
    for (; *text; ++text)
        hash = (hash ^ static_cast<unsigned char>(*text)) * 16777619u;
    return hash;
}
