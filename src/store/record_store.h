#pragma once

#include "cell_entry.h"
#include "column_info.h"
#include "group_node.h"
#include "row_cursor.h"
#include "sort_keys.h"
#include "text_arena.h"
#include "text_cache.h"

#include <windows.h>
#include <oleauto.h>

#include <cstdint>

struct KeyedIndex;

// One column's part of the record keys of a sort by ranks: its ranks, how many, their width
// in bits and, for a descending sort column, reversed.
struct RankField {
    const int32_t* ranks;
    int32_t count;
    int bits;
    bool reversed;
};

// The control's own copy of the host's two-dimensional array, the per-column presentation
// that outlives loads, the per-load view arrays, the group tree and the row walker.
class RecordStore {
public:
    RecordStore();
    ~RecordStore();
    RecordStore(const RecordStore&) = delete;
    RecordStore& operator=(const RecordStore&) = delete;

    // --- loading and column information ---
    // False when the array is refused or its data do not fit in memory; the store is then
    // unchanged, and LoadFailure tells which. A null source (the host passed an empty or null
    // value) empties the store.
    bool SetData(SAFEARRAY* source, int32_t format, int32_t grouping, bool revert);
    // Why the last SetData returned false: E_INVALIDARG for a refused array, E_OUTOFMEMORY
    // when memory ran out, E_FAIL for a load asked for while another fills its cells.
    HRESULT LoadFailure() const { return loadFailure; }
    void Clear();
    // Set while a load fills the cells; a load asked for meanwhile is refused.
    bool Loading() const { return loading; }
    // Copies element into the cell and sets its texts through the load's cache; false when
    // memory ran out.
    bool StoreCell(CellEntry& cell, const VARIANT& element, int32_t column, TextCache& cache);

    CellEntry& Cell(int32_t record, int32_t column) {
        return cells[static_cast<size_t>(record) * columnCount + column];
    }
    const CellEntry& Cell(int32_t record, int32_t column) const {
        return cells[static_cast<size_t>(record) * columnCount + column];
    }

    // By display position; past the loaded columns a position is the column index.
    const wchar_t* LabelAt(int32_t position);
    int32_t AlignAt(int32_t position) const;
    int32_t WidthAt(int32_t position) const;
    void SetWidthAt(int32_t position, int32_t width);

    // --- comparison (sign only counts) ---
    int CompareCells(int32_t recordA, int32_t recordB, int32_t column, bool byValue) const;
    int CompareSortCells(int32_t recordA, int32_t recordB, int32_t column) const;

    // --- sorting ---
    void Sort();
    int CompareRecords(int32_t positionA, int32_t positionB) const;
    void SortByColumn(int32_t position);
    void ToggleGroupOrder(int32_t position);

    // --- group tree ---
    void Regroup(int32_t keepLevels);
    int32_t FirstDifferingLevel(int32_t positionA, int32_t positionB) const;
    bool MoveColumn(int32_t from, int32_t to);
    // Moves the column only (with the sort header and anchor adjustments and the re-sort);
    // false when the column would not move.
    bool MoveColumnOrder(int32_t from, int32_t to);
    bool SetGroupLevelCount(int32_t count);

    // --- anchor: the current row remembered as data across re-sorting and regrouping ---
    bool RememberAnchor();
    bool FindAnchor();

    // Fields, in the documented order.
    ColumnInfoTable columnInfo;
    int32_t columnCount = 0;
    int32_t recordCount = 0;
    CellEntry* cells = nullptr;
    int32_t* columnOrder = nullptr;
    int32_t* sortPriority = nullptr;
    int32_t* groupAscending = nullptr;
    int32_t* sortAscending = nullptr;
    int32_t* recordOrder = nullptr;
    int32_t* sortScratch = nullptr; // recordCount entries, so sorting allocates nothing
    // By position, the first grouping level that starts there (groupLevelCount: none), as the
    // last sort by ranks found it; known until the next sort.
    uint8_t* groupStarts = nullptr;
    bool groupStartsKnown = false;
    int32_t sortPosition = 0;
    int32_t groupLevelCount = 0;
    int32_t anchorRecord = -1;
    int32_t anchorLevel = -1;
    HANDLE heap = nullptr;
    GroupNode root{};
    int32_t rowCount = 1;
    RowCursor cursor;

    TextArena texts; // every cell text and tag of the current load
    // Loads format each distinct value of a column once; off only to measure what that costs.
    bool shareValues = true;
    // Text order by column, built as columns are first compared and dropped at every load.
    mutable SortKeyCache sortKeys;

private:
    // Ordering of two records by record index: grouping levels, then the sort column.
    int CompareRecordIndices(int32_t recordA, int32_t recordB) const;
    int CompareSortColumn(int32_t recordA, int32_t recordB) const;
    int CompareColumn(int32_t recordA, int32_t recordB, int32_t column, bool keyTexts) const;
    int OrderForSort(int32_t recordA, int32_t recordB, bool withinGroup) const {
        return withinGroup ? CompareSortColumn(recordA, recordB)
                           : CompareRecordIndices(recordA, recordB);
    }
    void MergeSortRecords(int32_t begin, int32_t end, bool withinGroup);
    void InsertionSortRecords(int32_t* order, int32_t begin, int32_t end, bool withinGroup) const;
    void SortRange(int32_t begin, int32_t end, bool withinGroup);
    bool SortByRanks();
    void NoteGroupStarts(const KeyedIndex* sorted, const RankField* fields, int32_t levels);
    void SortRecords(bool groupsKept);
    bool SortWithinGroups();
    void BuildGroups(int32_t keepLevels);
    GroupNode* AllocateNode(GroupNode* parent);
    void FreeChildren(GroupNode* node);
    void FreeSiblingsAfter(GroupNode* node, GroupNode* lastKept);
    int32_t PositionOfRecord(int32_t record) const;

    // The cells and view arrays of a load, made beside the shown ones so that a load that runs
    // out of memory leaves those as they were.
    struct LoadBlock {
        CellEntry* cells = nullptr;
        int32_t recordCount = 0;
        int32_t columnCount = 0;
        // columnOrder, sortPriority, groupAscending, sortAscending, recordOrder, sortScratch
        int32_t* views[6] = {};
    };
    HRESULT Load(SAFEARRAY* source, int32_t format, int32_t grouping, bool revert);
    static bool AcceptedShape(const SAFEARRAY* source, int64_t records, int64_t columns);
    static bool AllocateLoad(int64_t records, int64_t columns, LoadBlock& block);
    static void FreeLoad(LoadBlock& block);
    bool FillCells(SAFEARRAY* source, VARTYPE type, bool revert, LONG recordLower, LONG columnLower,
                   int32_t format, int32_t grouping, LoadBlock& block, TextArena& arena);
    // Drops the shown data and shows the load's, with the view arrays reset.
    void Install(LoadBlock& block, TextArena& arena);
    // Set while the cells are filled: an object among the values may run host code that calls
    // back into the control, and a second load must not start meanwhile.
    bool loading = false;
    HRESULT loadFailure = S_OK;
    void ReleaseViewArrays();
    // Column index shown at a display position.
    int32_t ColumnAt(int32_t position) const;
    // The string step of every cell comparison.
    int CompareTexts(const wchar_t* textA, const wchar_t* textB, int32_t recordA, int32_t recordB,
                     int32_t column, bool keyTexts) const;
};
