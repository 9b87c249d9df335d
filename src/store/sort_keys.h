#pragma once

#include <windows.h>
#include <oleauto.h>

#include <cstdint>

class RecordStore;

// The order of a column's cells, worked out once per column and kind of text (display or key
// text) when the column is first compared, and kept until the next load. Each record gets a
// rank, equal exactly for texts that lstrcmpW finds equal. Text ranks follow lstrcmpW's order
// and come from the locale's sort keys (LCMapStringW), made once per distinct text. A column of
// numbers, currency amounts or dates ranks by value instead, when that gives the same order as
// the texts refined by the values (every text on one stretch of values); such ranks, and the
// text ranks of a column whose values never refine, order the records on their own.
class SortKeyCache {
public:
    SortKeyCache() = default;
    ~SortKeyCache() { Release(); }
    SortKeyCache(const SortKeyCache&) = delete;
    SortKeyCache& operator=(const SortKeyCache&) = delete;

    // The sign of lstrcmpW of the two texts, which are the display texts (or, with keyTexts,
    // the key texts) of two records in one column.
    int Compare(const RecordStore& store, const wchar_t* textA, const wchar_t* textB,
                int32_t recordA, int32_t recordB, int32_t column, bool keyTexts);

    // The column's ranks, or null when they could not be made (the platform then compares).
    const int32_t* Ranks(const RecordStore& store, int32_t column, bool keyTexts);
    // Ranks that order the records as the whole cell comparison does, and how many there are;
    // null when the column needs its values compared beside its ranks, or has no ranks.
    const int32_t* OrderRanks(const RecordStore& store, int32_t column, bool keyTexts,
                              int32_t& count);
    // When every cell of the column holds the same kind of value, that kind and, for kinds
    // compared by value, the values' eight-byte payloads by record (null otherwise), so that
    // values are compared without visiting the cells. False for mixed columns.
    bool UniformValues(const RecordStore& store, int32_t column, VARTYPE& type,
                       const int64_t*& payloads);

    // Drops everything; the next load starts afresh.
    void Release();

private:
    struct Slot {
        int32_t* ranks;
        int32_t count;
        bool byValue;  // ranks in value order: only their equality speaks of the texts
        bool ordered;  // the ranks alone give the cell order
        bool borrowed; // the display ranks, which a column without captions keys by too
        bool tried;
    };
    struct ColumnValues {
        int64_t* payloads;
        VARTYPE type;
        bool uniform;
        bool tried;
        bool payloadsTried;
    };
    bool EnsureSlots(const RecordStore& store);
    Slot* BuiltSlot(const RecordStore& store, int32_t column, bool keyTexts);
    // Text ranks; uniform tells whether every cell holds the same kind of value.
    int32_t* BuildRanks(const RecordStore& store, int32_t column, bool keyTexts, int32_t& count,
                        bool& uniform) const;
    // Ranks of a uniform column of values compared by value; null when some text covers
    // values that are not neighbours in value order, or the values cannot all be ordered.
    int32_t* BuildValueRanks(const RecordStore& store, int32_t column, bool keyTexts,
                             int32_t& count) const;

    Slot* slots = nullptr;          // two per column: display texts, key texts
    ColumnValues* values = nullptr; // one per column
    int32_t columns = 0;
};
