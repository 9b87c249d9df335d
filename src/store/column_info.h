#pragma once

#include <windows.h>
#include <oleauto.h>

#include <cstdint>

// Presentation of one column index that a host or the user has set; outlives every load.
struct ColumnInfo {
    int32_t column;
    int32_t align; // a ColumnAlign value, stored as given
    int32_t width; // pixels
    BSTR label;    // null when absent
    bool ownLabel; // false: the default label "COLUMN <index>"
};

// The column presentation by column index. Only the indices something was set for hold an
// entry (sorted by index); every other index answers the defaults (left, 100 pixels at 96 DPI,
// the default label), so that reading any index, or loading any number of columns, costs nothing.
class ColumnInfoTable {
public:
    ColumnInfoTable() = default;
    ~ColumnInfoTable();
    ColumnInfoTable(const ColumnInfoTable&) = delete;
    ColumnInfoTable& operator=(const ColumnInfoTable&) = delete;

    int32_t Align(int32_t column) const;
    int32_t Width(int32_t column) const;
    // The label, "" when absent. A default label is formatted into a buffer of the table and
    // stays valid until the next call.
    const wchar_t* Label(int32_t column);

    // False when no memory could be had for a new entry; nothing changes then.
    bool SetAlign(int32_t column, int32_t align);
    bool SetWidth(int32_t column, int32_t width);
    // Copies text up to its first NUL; null makes the label absent.
    bool SetLabel(int32_t column, const wchar_t* text);

    // Entries held, one per index something was set for.
    int32_t EntryCount() const { return count; }

    // Every width, the default's too, in the pixels of another DPI: times numerator over
    // denominator, rounded, at most the largest width there is.
    void ScaleWidths(int32_t numerator, int32_t denominator);

private:
    // Index of the first entry whose column is not below column.
    int32_t LowerBound(int32_t column) const;
    const ColumnInfo* Find(int32_t column) const;
    // The entry of column, made with the defaults when there is none; null when memory is short.
    ColumnInfo* Entry(int32_t column);

    ColumnInfo* entries = nullptr;
    int32_t count = 0;
    int32_t capacity = 0;
    wchar_t defaultLabel[64] = {};
    int32_t defaultWidth = 100; // pixels at 96 DPI, until scaled to another
};
