#include "distinct_texts.h"

#include "base/open_table.h"

#include <windows.h>

#include <cstring>
#include <cwchar>

DistinctTexts::~DistinctTexts() {
    Release();
}

void DistinctTexts::Release() {
    if (slots)
        HeapFree(GetProcessHeap(), 0, slots);
    if (texts)
        HeapFree(GetProcessHeap(), 0, texts);
}

int32_t DistinctTexts::Add(const wchar_t* text, uint32_t hash, bool& added) {
    added = false;
    if (2 * (static_cast<size_t>(count) + 1) > slotCount && !Grow())
        return -1;
    size_t slot = hash & (slotCount - 1);
    for (; slots[slot].text; slot = (slot + 1) & (slotCount - 1)) {
        const Slot& held = slots[slot];
        if (held.text == text || (held.hash == hash && wcscmp(held.text, text) == 0))
            return held.number;
    }
    slots[slot] = {text, hash, count};
    texts[count] = text;
    added = true;
    return count++;
}

bool DistinctTexts::Grow() {
    const size_t textCount = slotCount ? slotCount : 512; // half the slots, grown alike
    if (2 * textCount > static_cast<size_t>(INT32_MAX))
        return false;
    auto* grownTexts = static_cast<const wchar_t**>(
        HeapAlloc(GetProcessHeap(), 0, textCount * sizeof(const wchar_t*)));
    auto home = [](const Slot& slot, size_t) { return static_cast<size_t>(slot.hash); };
    if (!grownTexts || !GrowTable(slots, slotCount, 1024, home)) {
        if (grownTexts)
            HeapFree(GetProcessHeap(), 0, grownTexts);
        return false;
    }
    if (count)
        memcpy(grownTexts, texts, static_cast<size_t>(count) * sizeof(const wchar_t*));
    if (texts)
        HeapFree(GetProcessHeap(), 0, texts);
    texts = grownTexts;
    return true;
}
