#include "sort_keys.h"

#include "radix_sort.h"
#include "record_store.h"
#include "temp_array.h"
#include "text_hash.h"

#include <cmath>
#include <cstring>

namespace {

constexpr uint64_t signBit = uint64_t{1} << 63;

uint64_t SignedKey(int64_t value) {
    return static_cast<uint64_t>(value) ^ signBit;
}

// Unsigned key in the order of a real number; false for a NaN, which has no place in it.
bool RealKey(double value, uint64_t& key) {
    if (std::isnan(value))
        return false;
    if (value == 0)
        value = 0; // minus zero equals zero
    uint64_t bits;
    memcpy(&bits, &value, sizeof bits);
    key = bits & signBit ? ~bits : bits | signBit;
    return true;
}

// Unsigned key in the value order of a number, currency amount or date.
bool OrderKey(const VARIANT& value, uint64_t& key) {
    switch (value.vt) {
    case VT_I1:
        key = SignedKey(value.cVal);
        return true;
    case VT_UI1:
        key = SignedKey(value.bVal);
        return true;
    case VT_I2:
        key = SignedKey(value.iVal);
        return true;
    case VT_UI2:
        key = SignedKey(value.uiVal);
        return true;
    case VT_I4:
        key = SignedKey(value.lVal);
        return true;
    case VT_UI4:
        key = SignedKey(value.ulVal);
        return true;
    case VT_INT:
        key = SignedKey(value.intVal);
        return true;
    case VT_UINT:
        key = SignedKey(value.uintVal);
        return true;
    case VT_CY:
        key = SignedKey(value.cyVal.int64);
        return true;
    case VT_R4:
        return RealKey(value.fltVal, key);
    case VT_R8:
        return RealKey(value.dblVal, key);
    case VT_DATE:
        return RealKey(value.date, key);
    default:
        return false;
    }
}

// Bytes that lstrcmpA may pass over (control characters, the soft hyphen): texts holding
// them could compare equal to other texts, which value ranks cannot tell.
bool PlainText(const char* text) {
    for (; *text; ++text) {
        const unsigned char byte = static_cast<unsigned char>(*text);
        if (byte < 0x20 || byte == 0x7f || byte == 0xad)
            return false;
    }
    return true;
}

// The distinct texts met so far, by their hashes; a text is added once.
class TextSet {
public:
    explicit TextSet(size_t capacity) : slots(SlotCount(capacity)), mask(SlotCount(capacity) - 1) {
        if (slots.data)
            memset(slots.data, 0, (mask + 1) * sizeof(const char*));
    }
    bool Ready() const { return slots.data != nullptr; }
    // False when the text was there already.
    bool Add(const char* text, uint32_t hash) {
        for (size_t slot = hash & mask;; slot = (slot + 1) & mask) {
            const char* held = slots.data[slot];
            if (!held) {
                slots.data[slot] = text;
                return true;
            }
            if (held == text || strcmp(held, text) == 0)
                return false;
        }
    }

private:
    static size_t SlotCount(size_t capacity) {
        size_t count = 16;
        while (count < 2 * capacity)
            count *= 2;
        return count;
    }
    TempArray<const char*> slots;
    size_t mask;
};

const char* TextOf(const RecordStore& store, int32_t record, int32_t column, bool keyTexts) {
    const CellEntry& cell = store.Cell(record, column);
    return keyTexts ? (cell.tag ? cell.tag : cell.text) : cell.text;
}

} // namespace

// The records in value order; a new rank where the text changes. Equal values have equal texts,
// as each was formatted alike; a text that comes back after another one, or a value without
// its text, and the order of the texts refined by the values is not the value order. The
// texts are read in load order and known by their hashes after that, so that the walk in value
// order visits a text only where the values change.
int32_t* SortKeyCache::BuildValueRanks(const RecordStore& store, int32_t column, bool keyTexts,
                                       int32_t& count) const {
    const size_t records = static_cast<size_t>(store.recordCount);
    TempArray<KeyedIndex> items(records), scratch(records);
    TempArray<int32_t> ranks(records);
    if (!items.data || !scratch.data || !ranks.data)
        return nullptr;
    for (size_t record = 0; record < records; ++record) {
        const int32_t index = static_cast<int32_t>(record);
        const char* text = TextOf(store, index, column, keyTexts);
        if (!text || !OrderKey(store.Cell(index, column).value, items.data[record].key))
            return nullptr;
        items.data[record].index = index;
        items.data[record].spare = TextHash(text);
    }
    const KeyedIndex* sorted = RadixSort(items.data, scratch.data, records, 64);
    size_t values = 1;
    for (size_t i = 1; i < records; ++i)
        values += sorted[i].key != sorted[i - 1].key;
    TextSet seen(values);
    if (!seen.Ready())
        return nullptr;
    int32_t rank = -1;
    const char* runText = nullptr;
    for (size_t i = 0; i < records; ++i) {
        const KeyedIndex& item = sorted[i];
        const bool sameValue = i > 0 && item.key == sorted[i - 1].key;
        if (!sameValue || item.spare != sorted[i - 1].spare) {
            const char* text = TextOf(store, item.index, column, keyTexts);
            if (i == 0 || item.spare != sorted[i - 1].spare || strcmp(text, runText) != 0) {
                if (sameValue || !PlainText(text) || !seen.Add(text, item.spare))
                    return nullptr;
                ++rank;
            }
            runText = text;
        }
        ranks.data[item.index] = rank;
    }
    count = rank + 1;
    return ranks.Release();
}
