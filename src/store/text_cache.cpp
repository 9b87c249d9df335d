#include "text_cache.h"

#include "cell_text.h"
#include "base/text_hash.h"
#include "value_size.h"

#include <cstring>
#include <cwchar>
#include <new>

namespace {

// Every this many look-ups, a column that found fewer than one in sixteen of them stops looking
// up: its values hardly repeat, and the look-ups would only add to the formatting.
constexpr uint32_t sampleLookups = 16384;

// Every byte of a string, beyond a NUL too: cells that share a string share all of it.
uint32_t StringHash(BSTR text) {
    const UINT bytes = SysStringByteLen(text);
    const uint32_t hash = TextHash(text, bytes / 2);
    return bytes % 2 ? TextHashStep(hash, reinterpret_cast<const unsigned char*>(text)[bytes - 1])
                     : hash;
}

bool SameDecimal(const DECIMAL& a, const DECIMAL& b) {
    return a.scale == b.scale && a.sign == b.sign && a.Hi32 == b.Hi32 && a.Lo64 == b.Lo64;
}

} // namespace

TextCache::TextCache(int32_t columns, int32_t format, int32_t grouping, TextArena& arena,
                     bool share)
    : tables(share ? static_cast<Table*>(HeapAlloc(GetProcessHeap(), 0,
                                                   sizeof(Table) * (columns > 0 ? columns : 1)))
                   : nullptr),
      columns(columns), format(format), grouping(grouping), arena(arena), renderings(arena) {
    for (int32_t c = 0; tables && c < columns; ++c)
        new (&tables[c]) Table();
}

TextCache::~TextCache() {
    if (!tables)
        return;
    for (int32_t c = 0; c < columns; ++c)
        tables[c].~Table();
    HeapFree(GetProcessHeap(), 0, tables);
}

void TextCache::Close(Table& table) {
    table.entries.Clear();
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
        // A null string has no text, unlike an empty one, and is not shared.
        key = element.bstrVal ? StringHash(element.bstrVal) : 0;
        return element.bstrVal != nullptr;
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
    if (entry.key != key || entry.vt != element.vt)
        return false;
    if (element.vt == VT_BSTR) {
        const UINT bytes = SysStringByteLen(element.bstrVal);
        return entry.bytes == bytes && memcmp(entry.string, element.bstrVal, bytes) == 0;
    }
    return element.vt != VT_DECIMAL || SameDecimal(entry.decimal->decVal, element.decVal);
}

const TextCache::Entry* TextCache::Find(const VARIANT& element, int32_t column, Table*& table) {
    table = tables && column < columns ? &tables[column] : nullptr;
    if (!table || table->closed || !Key(element, pendingKey)) {
        table = nullptr;
        return nullptr;
    }
    const uint64_t key = pendingKey;
    auto matches = [&element, key](const Entry& entry) { return Matches(entry, element, key); };
    return table->entries.Find(KeyHash(key), matches);
}

bool TextCache::Reuse(CellEntry& cell, const VARIANT& element, int32_t column) {
    Table* table = nullptr;
    const Entry* entry = Find(element, column, table);
    pendingTable = table;
    if (!entry)
        return false;
    Count(*table, true);
    // A plain value is its own copy; a string is the earlier cell's, which owns it.
    cell.value = element;
    if (element.vt == VT_BSTR) {
        cell.value.bstrVal = const_cast<BSTR>(entry->string);
        cell.value.wReserved1 = borrowedString;
    }
    cell.text = entry->text;
    cell.tag = entry->tag;
    return true;
}

bool TextCache::Format(CellEntry& cell, const VARIANT& element) {
    FormatCellText(cell, element, format, grouping, arena, &renderings);
    Table* table = pendingTable;
    pendingTable = nullptr;
    if (!table)
        return !arena.OutOfMemory();
    // Later values are matched against the cell's own copy, which must be the element's twin.
    const bool kept = cell.text && cell.value.vt == element.vt;
    if (kept && table->entries.Reserve()) {
        Entry entry{pendingKey, cell.text, cell.tag, {nullptr}, element.vt, 0};
        if (element.vt == VT_BSTR) {
            entry.string = cell.value.bstrVal;
            entry.bytes = SysStringByteLen(cell.value.bstrVal);
        } else if (element.vt == VT_DECIMAL) {
            entry.decimal = &cell.value;
        }
        table->entries.Add(KeyHash(pendingKey), entry);
    }
    Count(*table, false);
    return !arena.OutOfMemory();
}

void TextCache::Count(Table& table, bool hit) {
    table.hits += hit ? 1 : 0;
    if (++table.lookups < sampleLookups)
        return;
    if (table.hits * 16 < table.lookups)
        Close(table);
    table.lookups = table.hits = 0; // counted again for the next sample
}
