#include "distinct_texts.h"

#include <windows.h>

#include <cstring>

DistinctTexts::~DistinctTexts() {
    Release();
}

void DistinctTexts::Release() {
    if (slots)
        HeapFree(GetProcessHeap(), 0, slots);
    if (texts)
        HeapFree(GetProcessHeap(), 0, texts);
}

int32_t DistinctTexts::Add(const char* text, uint32_t hash, bool& added) {
    added = false;
    if (2 * (static_cast<size_t>(count) + 1) > slotCount && !Grow())
        return -1;
    size_t slot = hash & (slotCount - 1);
    for (; slots[slot].text; slot = (slot + 1) & (slotCount - 1)) {
        const Slot& held = slots[slot];
        if (held.text == text || (held.hash == hash && strcmp(held.text, text) == 0))
            return held.number;
    }
    slots[slot] = {text, hash, count};
    texts[count] = text;
    added = true;
    return count++;
}

bool DistinctTexts::Grow() {
    const size_t newCount = slotCount ? 2 * slotCount : 1024;
    if (newCount / 2 > static_cast<size_t>(INT32_MAX))
        return false;
    auto* newSlots =
        static_cast<Slot*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, newCount * sizeof(Slot)));
    auto* newTexts = static_cast<const char**>(
        HeapAlloc(GetProcessHeap(), 0, newCount / 2 * sizeof(const char*)));
    if (!newSlots || !newTexts) {
        if (newSlots)
            HeapFree(GetProcessHeap(), 0, newSlots);
        if (newTexts)
            HeapFree(GetProcessHeap(), 0, newTexts);
        return false;
    }
    for (size_t i = 0; i < slotCount; ++i) {
        if (!slots[i].text)
            continue;
        size_t slot = slots[i].hash & (newCount - 1);
        while (newSlots[slot].text)
            slot = (slot + 1) & (newCount - 1);
        newSlots[slot] = slots[i];
    }
    if (count)
        memcpy(newTexts, texts, static_cast<size_t>(count) * sizeof(const char*));
    Release();
    slots = newSlots;
    texts = newTexts;
    slotCount = newCount;
    return true;
}
