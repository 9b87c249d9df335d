#pragma once

#include "base/open_table.h"

#include <cstdint>

// The distinct texts of a column by their characters, numbered as they come. A text at the address
// of one met before is known without reading it: the load shares the texts of equal values.
class DistinctTexts {
public:
    // The number of the text (hash: TextHash of it); added says whether it is new. -1 when
    // no memory could be had.
    int32_t Add(const wchar_t* text, uint32_t hash, bool& added);
    // The first text met of a number.
    const wchar_t* Text(int32_t number) const { return texts[static_cast<uint32_t>(number)]; }
    int32_t Count() const { return static_cast<int32_t>(texts.Count()); }

private:
    // Numbers are int32_t: at most 2^31 slots, half of them in use.
    OpenTable<const wchar_t*, 1024, (1u << 31)> texts;
};
