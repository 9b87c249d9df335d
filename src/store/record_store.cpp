#include "record_store.h"

#include "cell_text.h"
#include "value_size.h"
#include "variant_reference.h"

#include <cstring>

namespace {

constexpr int64_t maxCellCount = INT32_MAX;
// An array without cells brings only its other dimension: a header of columns, or records
// with nothing to show. Its view arrays cost memory while the array itself holds nothing, so
// that dimension is bounded.
constexpr int64_t maxEmptyExtent = 65536;

// Bytes of one element of an array that holds the given type; 0 for types the store does not
// load. Checking the array's own element size against it keeps a mislabelled array from
// writing past the fetched value.
ULONG ElementSizeOf(VARTYPE type) {
    switch (type) {
    case VT_BSTR:
    case VT_DISPATCH:
        return sizeof(void*);
    case VT_VARIANT:
        return sizeof(VARIANT);
    case VT_DECIMAL:
        return sizeof(DECIMAL);
    default:
        return ScalarBytes(type); // 0 for records, interface pointers and anything unknown
    }
}

// The element type of a source array, decided from its feature flags; false when refused.
bool SourceElementType(SAFEARRAY* source, VARTYPE& type) {
    const USHORT features = source->fFeatures;
    const ULONG elementSize = SafeArrayGetElemsize(source);
    if (features & FADF_RECORD)
        return false;
    if (features & FADF_HAVEVARTYPE) {
        if (FAILED(SafeArrayGetVartype(source, &type)))
            return false;
    } else if (features & FADF_BSTR) {
        type = VT_BSTR;
    } else if (features & FADF_VARIANT) {
        type = VT_VARIANT;
    } else if (features & FADF_DISPATCH) {
        type = VT_DISPATCH;
    } else if (features & (FADF_UNKNOWN | FADF_HAVEIID)) {
        return false;
    } else if (elementSize == 1) {
        type = VT_UI1;
    } else if (elementSize == 2) {
        type = VT_I2;
    } else if (elementSize == 4) {
        type = VT_I4;
    } else {
        return false;
    }
    const ULONG expected = ElementSizeOf(type);
    return expected != 0 && expected == elementSize;
}

// Reads one element into an empty variant; a failed fetch, or an element that refers to
// nothing, leaves it empty.
void FetchElement(SAFEARRAY* source, VARTYPE type, LONG* indices, VARIANT& element) {
    if (type == VT_VARIANT) {
        if (FAILED(SafeArrayGetElement(source, indices, &element)))
            VariantInit(&element);
        else if (RefersToNothing(element))
            VariantClear(&element);
        return;
    }
    if (type == VT_DECIMAL) {
        // A decimal fills the whole variant, type field included.
        DECIMAL value;
        if (SUCCEEDED(SafeArrayGetElement(source, indices, &value))) {
            element.decVal = value;
            element.vt = VT_DECIMAL;
        }
        return;
    }
    if (SUCCEEDED(SafeArrayGetElement(source, indices, &element.llVal)))
        element.vt = type;
}

// The runtime reports upper = lower + count - 1 in 32 bits, wrapping around (an empty
// dimension from -2^31 has the upper bound 2^31 - 1); the count is the difference modulo 2^32.
int64_t ElementCount(LONG lower, LONG upper) {
    return static_cast<uint32_t>(static_cast<uint32_t>(upper) - static_cast<uint32_t>(lower) + 1u);
}

bool ValidCount(int64_t count) {
    return count >= 0 && count <= maxCellCount;
}

template <typename T> T* AllocateArray(int64_t count) {
    const int64_t entries = count > 0 ? count : 1; // never null, so an empty load reads safely
    if (static_cast<uint64_t>(entries) > SIZE_MAX / sizeof(T))
        return nullptr;
    return static_cast<T*>(
        HeapAlloc(GetProcessHeap(), 0, static_cast<size_t>(entries) * sizeof(T)));
}

template <typename T> void FreeArray(T*& array) {
    if (array)
        HeapFree(GetProcessHeap(), 0, array);
    array = nullptr;
}

} // namespace

RecordStore::RecordStore() {
    heap = HeapCreate(HEAP_NO_SERIALIZE, 0, 0);
    memset(&root, 0, sizeof root);
    root.expanded = 1;
    cursor.store = this;
    Regroup(0);
    cursor.Reset();
}

RecordStore::~RecordStore() {
    ReleaseViewArrays();
    Clear();
    if (heap)
        HeapDestroy(heap);
}

bool RecordStore::SetData(SAFEARRAY* source, int32_t format, int32_t grouping, bool revert) {
    if (loading)
        return false;
    if (!Load(source, format, grouping, revert))
        return false;
    Sort();
    Regroup(0);
    cursor.Reset();
    return true;
}

bool RecordStore::Load(SAFEARRAY* source, int32_t format, int32_t grouping, bool revert) {
    if (!source) {
        Clear();
        ResetViewArrays();
        return true;
    }
    VARTYPE type = VT_EMPTY;
    if (!SourceElementType(source, type))
        return false;
    if (SafeArrayGetDim(source) != 2)
        return false;
    // Dimension 1 is the first subscript: columns, or records when reverted.
    const UINT recordDimension = revert ? 1 : 2;
    const UINT columnDimension = revert ? 2 : 1;
    LONG recordLower = 0, recordUpper = 0, columnLower = 0, columnUpper = 0;
    if (FAILED(SafeArrayGetLBound(source, recordDimension, &recordLower)) ||
        FAILED(SafeArrayGetUBound(source, recordDimension, &recordUpper)) ||
        FAILED(SafeArrayGetLBound(source, columnDimension, &columnLower)) ||
        FAILED(SafeArrayGetUBound(source, columnDimension, &columnUpper)))
        return false;
    const int64_t records = ElementCount(recordLower, recordUpper);
    const int64_t columns = ElementCount(columnLower, columnUpper);
    if (!AcceptedShape(source, records, columns))
        return false;

    Clear();
    // No memory for the cells (or more than can be counted): an empty store, as if nothing
    // was passed.
    AllocateCells(records, columns);
    // The view arrays and a flat tree fit the new cells before any value is read, so that
    // whatever runs while they fill sees a consistent store of empty cells.
    ResetViewArrays();
    Regroup(0);
    cursor.Reset();
    FillCells(source, type, revert, recordLower, columnLower, format, grouping);
    sortKeys.Release(); // anything ordered during the fill saw empty cells
    return true;
}

void RecordStore::FillCells(SAFEARRAY* source, VARTYPE type, bool revert, LONG recordLower,
                            LONG columnLower, int32_t format, int32_t grouping) {
    const UINT recordSlot = revert ? 0 : 1;
    const UINT columnSlot = revert ? 1 : 0;
    loading = true;
    LONG indices[2];
    for (int32_t r = 0; r < recordCount; ++r) {
        indices[recordSlot] = recordLower + r;
        for (int32_t c = 0; c < columnCount; ++c) {
            indices[columnSlot] = columnLower + c;
            VARIANT element;
            VariantInit(&element);
            FetchElement(source, type, indices, element);
            StoreCell(Cell(r, c), element, format, grouping);
            VariantClear(&element);
        }
    }
    loading = false;
}

bool RecordStore::AcceptedShape(const SAFEARRAY* source, int64_t records, int64_t columns) {
    if (records == 0 || columns == 0)
        return records <= maxEmptyExtent && columns <= maxEmptyExtent;
    // Elements without data behind them: the cells would cost what the array claims while it
    // passes nothing. (Beyond the countable, the load comes up empty instead.)
    return source->pvData || records * columns > maxCellCount;
}

bool RecordStore::AllocateCells(int64_t records, int64_t columns) {
    if (!ValidCount(records) || !ValidCount(columns))
        return false;
    // An empty record dimension still counts its columns, so a header alone stays bounded.
    const int64_t cellsNeeded = records * columns;
    if ((records > 0 ? records : 1) * columns > maxCellCount)
        return false;
    if (cellsNeeded > 0) {
        if (static_cast<uint64_t>(cellsNeeded) > SIZE_MAX / sizeof(CellEntry))
            return false;
        cells = static_cast<CellEntry*>(
            HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY,
                      static_cast<size_t>(cellsNeeded) * sizeof(CellEntry)));
        if (!cells)
            return false;
    }
    recordCount = static_cast<int32_t>(records);
    columnCount = static_cast<int32_t>(columns);
    return true;
}

void RecordStore::StoreCell(CellEntry& cell, VARIANT& element, int32_t format, int32_t grouping) {
    VariantInit(&cell.value);
    // A by-reference element points into the host's memory; keep the value it refers to.
    const HRESULT copied = (element.vt & VT_BYREF) ? VariantCopyInd(&cell.value, &element)
                                                   : VariantCopy(&cell.value, &element);
    if (FAILED(copied)) {
        VariantInit(&cell.value);
        cell.value.vt = VT_ERROR;
        cell.value.scode = copied;
    }
    FormatCellText(cell, element, format, grouping, texts);
}

void RecordStore::Clear() {
    if (cells) {
        const size_t total = static_cast<size_t>(recordCount) * columnCount;
        for (size_t i = 0; i < total; ++i)
            VariantClear(&cells[i].value);
        FreeArray(cells);
    }
    texts.Release();
    columnCount = 0;
    recordCount = 0;
}

int32_t RecordStore::ColumnAt(int32_t position) const {
    if (position >= 0 && position < columnCount && columnOrder)
        return columnOrder[position];
    return position;
}

const wchar_t* RecordStore::LabelAt(int32_t position) {
    return columnInfo.Label(ColumnAt(position));
}

int32_t RecordStore::AlignAt(int32_t position) const {
    return columnInfo.Align(ColumnAt(position));
}

int32_t RecordStore::WidthAt(int32_t position) const {
    return columnInfo.Width(ColumnAt(position));
}

void RecordStore::SetWidthAt(int32_t position, int32_t width) {
    columnInfo.SetWidth(ColumnAt(position), width);
}

void RecordStore::ResetViewArrays() {
    ReleaseViewArrays();
    sortKeys.Release();
    columnOrder = AllocateArray<int32_t>(columnCount);
    sortPriority = AllocateArray<int32_t>(columnCount);
    groupAscending = AllocateArray<int32_t>(columnCount);
    sortAscending = AllocateArray<int32_t>(columnCount);
    recordOrder = AllocateArray<int32_t>(recordCount);
    sortScratch = AllocateArray<int32_t>(recordCount);
    if (!columnOrder || !sortPriority || !groupAscending || !sortAscending || !recordOrder ||
        !sortScratch) {
        // Without its view arrays the data cannot be shown: come up empty instead.
        ReleaseViewArrays();
        Clear();
        columnOrder = AllocateArray<int32_t>(0);
        sortPriority = AllocateArray<int32_t>(0);
        groupAscending = AllocateArray<int32_t>(0);
        sortAscending = AllocateArray<int32_t>(0);
        recordOrder = AllocateArray<int32_t>(0);
        sortScratch = AllocateArray<int32_t>(0);
    }
    anchorRecord = -1;
    sortPosition = 0;
    groupLevelCount = 0;
    for (int32_t c = 0; c < columnCount; ++c) {
        columnOrder[c] = c;
        sortPriority[c] = c;
        sortAscending[c] = 1;
        groupAscending[c] = 1;
    }
    for (int32_t r = 0; r < recordCount; ++r)
        recordOrder[r] = r;
}

void RecordStore::ReleaseViewArrays() {
    FreeArray(columnOrder);
    FreeArray(sortPriority);
    FreeArray(groupAscending);
    FreeArray(sortAscending);
    FreeArray(recordOrder);
    FreeArray(sortScratch);
}
