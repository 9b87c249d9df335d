#pragma once

#include "cell_entry.h"
#include "text_arena.h"

#include <windows.h>
#include <oleauto.h>

#include <cstdint>

// The texts of one load, formatted once per distinct value of a column. Real columns repeat
// their values (dates, quantities, flags, codes), and every repeat shares the first one's text
// and caption. The locale, the date format and the grouping unit are fixed for the load, so
// the texts depend on a value's kind and payload alone. Objects, references and arrays are
// formatted each time; a column whose values hardly repeat stops being looked up.
class TextCache {
public:
    TextCache(int32_t columns, int32_t format, int32_t grouping, TextArena& arena);
    ~TextCache();
    TextCache(const TextCache&) = delete;
    TextCache& operator=(const TextCache&) = delete;

    // Sets cell.text, and for a date cell.tag, from element, as FormatCellText does; the cell's
    // value is already the copy of element.
    void Format(CellEntry& cell, VARIANT& element, int32_t column);

private:
    struct Entry {
        uint64_t key;
        const VARIANT* source; // the value of the first cell with these texts
        const char* text;
        const char* tag;
    };
    struct Table {
        Entry* entries;
        uint32_t slots; // a power of two; 0 when the column is not looked up
        uint32_t used;
        uint32_t lookups;
        uint32_t hits;
        bool closed;
    };
    bool Key(const VARIANT& element, uint64_t& key) const;
    static bool Matches(const Entry& entry, const VARIANT& element, uint64_t key);
    static bool Grow(Table& table);
    static void Close(Table& table);

    Table* tables;
    int32_t columns;
    int32_t format;
    int32_t grouping;
    TextArena& arena;
};
