#pragma once

#include <cstddef>
#include <cstdint>

// The distinct texts of a column by their bytes, numbered as they come. A text at the address
// of one met before is known without reading it: the load shares the texts of equal values.
class DistinctTexts {
public:
    DistinctTexts() = default;
    ~DistinctTexts();
    DistinctTexts(const DistinctTexts&) = delete;
    DistinctTexts& operator=(const DistinctTexts&) = delete;

    // The number of the text (hash: TextHash of it); added says whether it is new. -1 when
    // no memory could be had.
    int32_t Add(const char* text, uint32_t hash, bool& added);
    // The first text met of a number.
    const char* Text(int32_t number) const { return texts[number]; }
    int32_t Count() const { return count; }

private:
    struct Slot {
        const char* text; // null when free
        uint32_t hash;
        int32_t number;
    };
    bool Grow();
    void Release();
    Slot* slots = nullptr;
    const char** texts = nullptr;
    size_t slotCount = 0; // a power of two, at least twice the count
    int32_t count = 0;
};
