#include "sort_keys.h"

#include "distinct_texts.h"
#include "record_store.h"
#include "temp_array.h"
#include "base/text_hash.h"
#include "text_arena.h"
#include "value_compare.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

// Texts whose key does not fit are left to the platform, with their whole column.
constexpr int keyBufferSize = 1024;

struct KeyEntry {
    uint64_t prefix; // the key's first eight bytes, most significant first
    const char* key;
    int32_t distinct;
};

bool KeyBefore(const KeyEntry& a, const KeyEntry& b) {
    if (a.prefix != b.prefix)
        return a.prefix < b.prefix;
    return strcmp(a.key, b.key) < 0;
}

bool SameKey(const KeyEntry& a, const KeyEntry& b) {
    return a.prefix == b.prefix && strcmp(a.key, b.key) == 0;
}

// Zero-padded, so that a key that is a prefix of another sorts first, as strcmp has it.
uint64_t KeyPrefix(const char* key) {
    uint64_t prefix = 0;
    for (int i = 0; i < 8; ++i) {
        const unsigned char byte = key[i] ? static_cast<unsigned char>(key[i]) : 0;
        prefix = (prefix << 8) | byte;
        if (!byte) {
            prefix <<= 8 * (7 - i);
            break;
        }
    }
    return prefix;
}

const wchar_t* TextOf(const RecordStore& store, int32_t record, int32_t column, bool keyTexts) {
    const CellEntry& cell = store.Cell(record, column);
    return keyTexts ? KeyText(cell) : DisplayText(cell);
}

} // namespace

void SortKeyCache::Release() {
    for (int32_t i = 0; i < 2 * columns; ++i) {
        if (slots[i].ranks && !slots[i].borrowed)
            HeapFree(GetProcessHeap(), 0, slots[i].ranks);
    }
    if (slots)
        HeapFree(GetProcessHeap(), 0, slots);
    for (int32_t i = 0; i < columns; ++i) {
        if (values[i].payloads)
            HeapFree(GetProcessHeap(), 0, values[i].payloads);
    }
    if (values)
        HeapFree(GetProcessHeap(), 0, values);
    slots = nullptr;
    values = nullptr;
    columns = 0;
}

bool SortKeyCache::EnsureSlots(const RecordStore& store) {
    if (slots)
        return true;
    if (store.columnCount <= 0)
        return false;
    const size_t count = static_cast<size_t>(store.columnCount);
    slots =
        static_cast<Slot*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, 2 * count * sizeof(Slot)));
    values = static_cast<ColumnValues*>(
        HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, count * sizeof(ColumnValues)));
    if (!slots || !values) {
        if (slots)
            HeapFree(GetProcessHeap(), 0, slots);
        if (values)
            HeapFree(GetProcessHeap(), 0, values);
        slots = nullptr;
        values = nullptr;
        return false;
    }
    columns = store.columnCount;
    return true;
}

// Distinct texts first (a hash of the bytes), then one sort key per distinct text, sorted;
// equal keys share a rank once the platform confirms that their texts are equal.
int32_t* SortKeyCache::BuildRanks(const RecordStore& store, int32_t column, bool keyTexts,
                                  int32_t& count, bool& uniform) const {
    const int32_t records = store.recordCount;
    if (records <= 0 || static_cast<size_t>(records) > SIZE_MAX / 8)
        return nullptr;
    TempArray<int32_t> ranks(records);
    DistinctTexts texts;
    if (!ranks.data)
        return nullptr;
    const VARTYPE first = store.Cell(0, column).value.vt;
    uniform = true;
    // A text met before at the same address is known without reading it.
    struct Known {
        const wchar_t* text;
        int32_t number;
    } known[256] = {};
    for (int32_t record = 0; record < records; ++record) {
        uniform = uniform && store.Cell(record, column).value.vt == first;
        const wchar_t* text = TextOf(store, record, column, keyTexts);
        Known& memo = known[(reinterpret_cast<uintptr_t>(text) >> 3) & 255];
        if (memo.text != text) {
            bool added;
            memo = {text, texts.Add(text, TextHash(text), added)};
            if (memo.number < 0)
                return nullptr;
        }
        ranks.data[record] = memo.number; // the distinct text for now
    }
    const int32_t distinct = texts.Count();

    TempArray<KeyEntry> entries(distinct);
    TempArray<int32_t> rankOf(distinct);
    if (!entries.data || !rankOf.data)
        return nullptr;
    TextArena keys;
    // lstrcmpW compares under the thread's locale.
    const LCID locale = GetThreadLocale();
    char buffer[keyBufferSize];
    for (int32_t i = 0; i < distinct; ++i) {
        const wchar_t* text = texts.Text(i);
        // The wide call writes its key in bytes, and counts them.
        const int length = LCMapStringW(locale, LCMAP_SORTKEY, text, -1,
                                        reinterpret_cast<wchar_t*>(buffer), keyBufferSize);
        // A key with a NUL before its end cannot be compared as a string.
        if (length <= 0 || strlen(buffer) + 1 != static_cast<size_t>(length))
            return nullptr;
        const char* key = keys.AddBytes(buffer, static_cast<size_t>(length));
        if (!key)
            return nullptr;
        entries.data[i] = {KeyPrefix(key), key, i};
    }
    std::sort(entries.data, entries.data + distinct, KeyBefore);

    int32_t rank = -1;
    const wchar_t* leader = nullptr;
    for (int32_t i = 0; i < distinct; ++i) {
        const wchar_t* text = texts.Text(entries.data[i].distinct);
        if (i == 0 || !SameKey(entries.data[i - 1], entries.data[i])) {
            ++rank;
            leader = text;
        } else if (lstrcmpW(leader, text) != 0) {
            return nullptr; // the keys do not tell these texts apart; the platform must
        }
        rankOf.data[entries.data[i].distinct] = rank;
    }
    for (int32_t record = 0; record < records; ++record)
        ranks.data[record] = rankOf.data[ranks.data[record]];
    count = rank + 1;
    return ranks.Release();
}

SortKeyCache::Slot* SortKeyCache::BuiltSlot(const RecordStore& store, int32_t column,
                                            bool keyTexts) {
    if (!EnsureSlots(store) || column < 0 || column >= columns || store.recordCount <= 0)
        return nullptr;
    Slot& slot = slots[2 * column + (keyTexts ? 1 : 0)];
    if (slot.tried)
        return &slot;
    slot.tried = true; // one attempt a load
    ColumnValues& kind = values[column];
    if (keyTexts && kind.tried && kind.uniform && kind.type != VT_DATE) {
        // Only dates have captions: the key texts are the display texts.
        const Slot& display = *BuiltSlot(store, column, false);
        slot = display;
        slot.borrowed = display.ranks != nullptr;
        return &slot;
    }
    const VARTYPE first = store.Cell(0, column).value.vt;
    if (OrderedByValue(first))
        slot.ranks = BuildValueRanks(store, column, keyTexts, slot.count);
    slot.byValue = slot.ordered = slot.ranks != nullptr;
    bool uniform = slot.ranks != nullptr; // value ranks are made of one kind only
    if (!slot.ranks) {
        slot.ranks = BuildRanks(store, column, keyTexts, slot.count, uniform);
        slot.ordered = slot.ranks && uniform && !OrderedByValue(first);
    }
    if (slot.ranks && !kind.tried) {
        kind.tried = true;
        kind.uniform = uniform;
        kind.type = first;
    }
    if (keyTexts || !kind.tried || !kind.uniform || kind.type == VT_DATE)
        return &slot;
    Slot& key = slots[2 * column + 1];
    if (!key.tried) {
        key = slot;
        key.borrowed = slot.ranks != nullptr;
    }
    return &slot;
}

const int32_t* SortKeyCache::Ranks(const RecordStore& store, int32_t column, bool keyTexts) {
    const Slot* slot = BuiltSlot(store, column, keyTexts);
    return slot ? slot->ranks : nullptr;
}

const int32_t* SortKeyCache::OrderRanks(const RecordStore& store, int32_t column, bool keyTexts,
                                        int32_t& count) {
    const Slot* slot = BuiltSlot(store, column, keyTexts);
    if (!slot || !slot->ordered)
        return nullptr;
    count = slot->count;
    return slot->ranks;
}

bool SortKeyCache::UniformValues(const RecordStore& store, int32_t column, VARTYPE& type,
                                 const int64_t*& payloads) {
    if (!EnsureSlots(store) || column < 0 || column >= columns || store.recordCount <= 0)
        return false;
    ColumnValues& entry = values[column];
    if (!entry.tried) {
        entry.tried = true;
        entry.type = store.Cell(0, column).value.vt;
        entry.uniform = true;
        for (int32_t record = 1; entry.uniform && record < store.recordCount; ++record)
            entry.uniform = store.Cell(record, column).value.vt == entry.type;
    }
    if (entry.uniform && !entry.payloadsTried && OrderedByValue(entry.type)) {
        entry.payloadsTried = true;
        const size_t bytes = sizeof(int64_t) * static_cast<size_t>(store.recordCount);
        entry.payloads = static_cast<int64_t*>(HeapAlloc(GetProcessHeap(), 0, bytes));
        for (int32_t record = 0; entry.payloads && record < store.recordCount; ++record)
            entry.payloads[record] = store.Cell(record, column).value.llVal;
    }
    type = entry.type;
    payloads = entry.payloads;
    return entry.uniform && (entry.payloads || !OrderedByValue(entry.type));
}

int SortKeyCache::Compare(const RecordStore& store, const wchar_t* textA, const wchar_t* textB,
                          int32_t recordA, int32_t recordB, int32_t column, bool keyTexts) {
    const Slot* slot = BuiltSlot(store, column, keyTexts);
    if (slot && slot->ranks) {
        const int32_t a = slot->ranks[recordA], b = slot->ranks[recordB];
        if (a == b)
            return 0;
        if (!slot->byValue)
            return (a > b) - (a < b);
    }
    if (textA == textB || wcscmp(textA, textB) == 0)
        return 0; // the same characters are the same text in every locale
    return lstrcmpW(textA, textB);
}
