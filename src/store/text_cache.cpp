#include "text_cache.h"

#include "cell_text.h"
#include "value_size.h"

#include <cstring>
#include <cwchar>

namespace {

constexpr uint32_t firstSlots = 1024;
// A column of more distinct values keeps the ones it has and formats the others each time.
constexpr uint32_t maxSlots = 1u << 18;
// Every this many look-ups, a column that found fewer than one in sixteen of them stops looking
// up: its values hardly repeat, and the look-ups would only add to the formatting.
constexpr uint32_t sampleLookups = 16384;

uint64_t Mix(uint64_t key) {
    key ^= key >> 33;
    key *= 0xff51afd7ed558ccdULL;
    key ^= key >> 33;
    key *= 0xc4ceb9fe1a85ec53ULL;
    return key ^ (key >> 33);
}

// A string's text ends at its first NUL.
size_t TextLength(BSTR text) {
    return text ? wcsnlen(text, SysStringLen(text)) : 0;
}

uint64_t StringHash(BSTR text) {
    const size_t length = TextLength(text);
    uint64_t hash = 14695981039346656037ULL ^ length;
    for (size_t i = 0; i < length; ++i)
        hash = (hash ^ text[i]) * 1099511628211ULL;
    return hash;
}

bool SameDecimal(const DECIMAL& a, const DECIMAL& b) {
    return a.scale == b.scale && a.sign == b.sign && a.Hi32 == b.Hi32 && a.Lo64 == b.Lo64;
}

} // namespace

TextCache::TextCache(int32_t columns, int32_t format, int32_t grouping, TextArena& arena)
    : tables(static_cast<Table*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY,
                                           sizeof(Table) * (columns > 0 ? columns : 1)))),
      columns(columns), format(format), grouping(grouping), arena(arena) {}

TextCache::~TextCache() {
    if (!tables)
        return;
    for (int32_t c = 0; c < columns; ++c)
        Close(tables[c]);
    HeapFree(GetProcessHeap(), 0, tables);
}

void TextCache::Close(Table& table) {
    if (table.entries)
        HeapFree(GetProcessHeap(), 0, table.entries);
    table = Table{};
    table.closed = true;
}

// False for values formatted each time: objects, references, arrays and unknown kinds.
bool TextCache::Key(const VARIANT& element, uint64_t& key) const {
    key = 0;
    switch (element.vt) {
    case VT_EMPTY:
    case VT_NULL:
        return true;
    case VT_DATE:
        key = DateTextKey(element.date, format, grouping);
        return true;
    case VT_BSTR:
        key = StringHash(element.bstrVal);
        return true;
    case VT_DECIMAL:
        key = element.decVal.Lo64 ^ (static_cast<uint64_t>(element.decVal.Hi32) << 20) ^
              (static_cast<uint64_t>(element.decVal.scale) << 8) ^ element.decVal.sign;
        return true;
    default: {
        const ULONG bytes = ScalarBytes(element.vt);
        memcpy(&key, &element.llVal, bytes);
        return bytes != 0;
    }
    }
}

bool TextCache::Matches(const Entry& entry, const VARIANT& element, uint64_t key) {
    if (entry.key != key || entry.source->vt != element.vt)
        return false;
    if (element.vt == VT_BSTR) {
        const size_t length = TextLength(element.bstrVal);
        return TextLength(entry.source->bstrVal) == length &&
               (length == 0 || wmemcmp(entry.source->bstrVal, element.bstrVal, length) == 0);
    }
    return element.vt != VT_DECIMAL || SameDecimal(entry.source->decVal, element.decVal);
}

bool TextCache::Grow(Table& table) {
    const uint32_t slots = table.slots ? table.slots * 2 : firstSlots;
    auto* entries =
        static_cast<Entry*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(Entry) * slots));
    if (!entries)
        return false;
    for (uint32_t i = 0; i < table.slots; ++i) {
        const Entry& entry = table.entries[i];
        if (!entry.source)
            continue;
        uint32_t slot = static_cast<uint32_t>(Mix(entry.key)) & (slots - 1);
        while (entries[slot].source)
            slot = (slot + 1) & (slots - 1);
        entries[slot] = entry;
    }
    if (table.entries)
        HeapFree(GetProcessHeap(), 0, table.entries);
    table.entries = entries;
    table.slots = slots;
    return true;
}

void TextCache::Format(CellEntry& cell, VARIANT& element, int32_t column) {
    Table* table = tables && column < columns ? &tables[column] : nullptr;
    uint64_t key = 0;
    if (!table || table->closed || !Key(element, key) || (!table->entries && !Grow(*table))) {
        FormatCellText(cell, element, format, grouping, arena);
        return;
    }
    ++table->lookups; // counted again after each sample
    const uint32_t mask = table->slots - 1;
    uint32_t slot = static_cast<uint32_t>(Mix(key)) & mask;
    for (; table->entries[slot].source; slot = (slot + 1) & mask) {
        const Entry& entry = table->entries[slot];
        if (Matches(entry, element, key)) {
            ++table->hits;
            cell.text = entry.text;
            cell.tag = entry.tag;
            return;
        }
    }
    FormatCellText(cell, element, format, grouping, arena);
    // Later values are matched against the cell's own copy, which must be the element's twin.
    const bool kept = cell.text && cell.value.vt == element.vt;
    if (kept &&
        (2 * (table->used + 1) <= table->slots || (table->slots < maxSlots && Grow(*table)))) {
        for (slot = static_cast<uint32_t>(Mix(key)) & (table->slots - 1);
             table->entries[slot].source; slot = (slot + 1) & (table->slots - 1)) {
        }
        table->entries[slot] = Entry{key, &cell.value, cell.text, cell.tag};
        ++table->used;
    }
    if (table->lookups == sampleLookups) {
        if (table->hits * 16 < table->lookups)
            Close(*table);
        table->lookups = table->hits = 0;
    }
}
