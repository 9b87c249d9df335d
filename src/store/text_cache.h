#pragma once

#include "base/open_table.h"
#include "cell_entry.h"
#include "date_renderings.h"
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
    // Without share, or without memory for the tables, every value is formatted on its own.
    TextCache(int32_t columns, int32_t format, int32_t grouping, TextArena& arena, bool share);
    ~TextCache();
    TextCache(const TextCache&) = delete;
    TextCache& operator=(const TextCache&) = delete;

    // When an earlier cell of the column holds the same value, gives the cell its value (a
    // string shared with that cell, marked as borrowed) and its texts, and answers true.
    bool Reuse(CellEntry& cell, const VARIANT& element, int32_t column);
    // After Reuse answered false and the cell's value was copied from element: sets cell.text,
    // and for a date cell.tag, as FormatCellText does, and keeps them for the next equal value.
    // False when memory for a text ran out.
    bool Format(CellEntry& cell, const VARIANT& element);

private:
    struct Entry {
        uint64_t key;
        const wchar_t* text;
        const wchar_t* tag;
        union {
            BSTR string;            // strings: the first cell's copy
            const VARIANT* decimal; // decimals: the first cell's value
        };
        VARTYPE vt;
        UINT bytes; // of the string
    };
    struct Table {
        // A column of more distinct values keeps the ones it has and formats the others each
        // time.
        OpenTable<Entry, 1024, (1u << 18)> entries;
        uint32_t lookups = 0;
        uint32_t hits = 0;
        bool closed = false;
    };
    static void Count(Table& table, bool hit);
    const Entry* Find(const VARIANT& element, int32_t column, Table*& table);
    bool Key(const VARIANT& element, uint64_t& key) const;
    static bool Matches(const Entry& entry, const VARIANT& element, uint64_t key);
    static void Close(Table& table);

    Table* tables;
    int32_t columns;
    int32_t format;
    int32_t grouping;
    TextArena& arena;
    DateRenderings renderings;
    // What the last Reuse looked up, for the Format that follows it.
    Table* pendingTable = nullptr;
    uint64_t pendingKey = 0;
};
