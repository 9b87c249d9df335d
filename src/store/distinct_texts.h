#pragma once

#include <cstddef>
#include <cstdint>

// The distinct texts of a column by their characters, numbered as they come. A text at the address
// of one met before is known without reading it: the load shares the texts of equal values.
class DistinctTexts {
public:
    DistinctTexts() = default;
    ~DistinctTexts();
    DistinctTexts(const DistinctTexts&) = delete;
    DistinctTexts& operator=(const DistinctTexts&) = delete;

    // The number of the text (hash: TextHash of it); added says whether it is new. -1 when
    // no memory could be had.
    int32_t Add(const wchar_t* text, uint32_t hash, bool& added);
    // The first text met of a number.
    const wchar_t* Text(int32_t number) const { return texts[number]; }
    int32_t Count() const { return count; }

private:
    struct Slot {
        const wchar_t* text; // null when free
        uint32_t hash;
        int32_t number;
    };
    bool Grow();
    void Release();
    Slot* slots = nullptr;
    const wchar_t** texts = nullptr;
    size_t slotCount = 0; // a power of two, at least twice the count
    int32_t count = 0;
};
