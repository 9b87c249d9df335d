#include "record_store.h"
#include "value_compare.h"

// lstrcmpW's order, answered from the column's cached sort keys where it can be.
int RecordStore::CompareTexts(const wchar_t* textA, const wchar_t* textB, int32_t recordA,
                              int32_t recordB, int32_t column, bool keyTexts) const {
    return sortKeys.Compare(*this, textA, textB, recordA, recordB, column, keyTexts);
}

int RecordStore::CompareCells(int32_t recordA, int32_t recordB, int32_t column,
                              bool byValue) const {
    const CellEntry& cellA = Cell(recordA, column);
    const CellEntry& cellB = Cell(recordB, column);
    const int result = CompareTexts(KeyText(cellA), KeyText(cellB), recordA, recordB, column, true);
    if (result == 0 || !byValue)
        return result;
    return CompareValues(cellA.value, cellB.value, result);
}

int RecordStore::CompareSortCells(int32_t recordA, int32_t recordB, int32_t column) const {
    const CellEntry& cellA = Cell(recordA, column);
    const CellEntry& cellB = Cell(recordB, column);
    const int result =
        CompareTexts(DisplayText(cellA), DisplayText(cellB), recordA, recordB, column, false);
    if (result == 0)
        return result;
    return CompareValues(cellA.value, cellB.value, result);
}
