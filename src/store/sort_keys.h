#pragma once

#include <windows.h>
#include <oleauto.h>

#include <cstdint>

class RecordStore;

// The locale order of a column's texts, worked out once per column and kind of text (display
// or key text) when the column is first compared, and kept until the next load. Each record
// gets a rank: equal ranks for texts that lstrcmpA finds equal, and ranks in the order that
// lstrcmpA gives the texts. The order comes from the locale's sort keys (LCMapStringA), made
// once per distinct text; identical texts share one key.
class SortKeyCache {
public:
    SortKeyCache() = default;
    ~SortKeyCache() { Release(); }
    SortKeyCache(const SortKeyCache&) = delete;
    SortKeyCache& operator=(const SortKeyCache&) = delete;

    // The sign of lstrcmpA of the two texts, which are the display texts (or, with keyTexts,
    // the key texts) of two records in one column.
    int Compare(const RecordStore& store, const char* textA, const char* textB, int32_t recordA,
                int32_t recordB, int32_t column, bool keyTexts);

    // The column's ranks, or null when they could not be made (the platform then compares).
    const int32_t* Ranks(const RecordStore& store, int32_t column, bool keyTexts);
    // When every cell of the column holds the same kind of value, that kind and the values'
    // eight-byte payloads by record (null for strings, whose payload is never compared), so
    // that values are compared without visiting the cells. False for mixed columns.
    bool UniformValues(const RecordStore& store, int32_t column, VARTYPE& type,
                       const int64_t*& payloads);

    // Drops everything; the next load starts afresh.
    void Release();

private:
    struct Slot {
        int32_t* ranks;
        bool tried;
    };
    struct ColumnValues {
        int64_t* payloads;
        VARTYPE type;
        bool uniform;
        bool tried;
    };
    bool EnsureSlots(const RecordStore& store);
    int32_t* BuildRanks(const RecordStore& store, int32_t column, bool keyTexts) const;

    Slot* slots = nullptr;          // two per column: display texts, key texts
    ColumnValues* values = nullptr; // one per column
    int32_t columns = 0;
};
