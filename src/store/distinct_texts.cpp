#include "distinct_texts.h"

#include <cwchar>

int32_t DistinctTexts::Add(const wchar_t* text, uint32_t hash, bool& added) {
    auto same = [text](const wchar_t* held) { return held == text || wcscmp(held, text) == 0; };
    const wchar_t* const* held = texts.FindOrAdd(hash, text, same, added);
    return held ? static_cast<int32_t>(texts.Number(*held)) : -1;
}
