#include "record_store.h"

#include "cell_text.h"
#include "value_size.h"
#include "variant_reference.h"

#include "base/owned_variant.h"

#include <cstring>
#include <iterator>

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
// nothing, leaves it empty. Returns the fetch's result.
HRESULT FetchElement(SAFEARRAY* source, VARTYPE type, LONG* indices, OwnedVariant& fetch) {
    VARIANT& element = fetch.Get();
    HRESULT fetched = S_OK;
    if (type == VT_VARIANT) {
        fetched = SafeArrayGetElement(source, indices, &element);
        if (FAILED(fetched))
            VariantInit(&element);
        else if (RefersToNothing(element))
            fetch.Clear();
    } else if (type == VT_DECIMAL) {
        // A decimal fills the whole variant, type field included.
        DECIMAL value;
        fetched = SafeArrayGetElement(source, indices, &value);
        if (SUCCEEDED(fetched)) {
            element.decVal = value;
            element.vt = VT_DECIMAL;
        }
    } else {
        fetched = SafeArrayGetElement(source, indices, &element.llVal);
        if (SUCCEEDED(fetched))
            element.vt = type;
    }
    return fetched;
}

// Kinds whose formatting runs no host code: such an element is read where it lies. Objects,
// references and arrays are copied first, so that the host cannot free one while it is read.
bool PlainKind(VARTYPE type) {
    return type <= VT_UINT && type != VT_DISPATCH && type != VT_VARIANT && type != VT_UNKNOWN &&
           type != 15;
}

// A view of a plain element in the locked array: its kind and payload, a string not copied.
bool ViewElement(const void* at, VARTYPE type, VARIANT& view) {
    if (type == VT_VARIANT) {
        const VARIANT& element = *static_cast<const VARIANT*>(at);
        if (!PlainKind(element.vt))
            return false;
        view = element; // a decimal fills the whole variant, type field included
        return true;
    }
    if (type == VT_DECIMAL) {
        view.decVal = *static_cast<const DECIMAL*>(at);
        view.vt = VT_DECIMAL;
        return true;
    }
    if (!PlainKind(type))
        return false;
    view.llVal = 0;
    memcpy(&view.llVal, at, ElementSizeOf(type));
    view.vt = type;
    return true;
}

// Where the elements of a locked array lie: the first one, and the steps to the next record
// and to the next column, as the runtime itself places them.
struct ElementGrid {
    const char* first = nullptr;
    ptrdiff_t recordStep = 0, columnStep = 0;

    bool Measure(SAFEARRAY* source, LONG* indices, UINT recordSlot, UINT columnSlot,
                 bool nextRecord, bool nextColumn) {
        const char* first = At(source, indices);
        if (!first)
            return false;
        ++indices[recordSlot];
        const char* record = nextRecord ? At(source, indices) : first;
        --indices[recordSlot];
        ++indices[columnSlot];
        const char* column = nextColumn ? At(source, indices) : first;
        --indices[columnSlot];
        if (!record || !column)
            return false;
        this->first = first;
        recordStep = record - first;
        columnStep = column - first;
        return true;
    }
    const void* Element(int32_t record, int32_t column) const {
        return first + record * recordStep + column * columnStep;
    }

private:
    static const char* At(SAFEARRAY* source, LONG* indices) {
        void* at = nullptr;
        return SUCCEEDED(SafeArrayPtrOfIndex(source, indices, &at)) ? static_cast<char*>(at)
                                                                    : nullptr;
    }
};

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

void ReleaseCells(CellEntry*& cells, size_t count) {
    if (!cells)
        return;
    for (size_t i = 0; i < count; ++i)
        ReleaseValue(cells[i].value);
    FreeArray(cells);
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
    loadFailure = loading ? E_FAIL : Load(source, format, grouping, revert);
    if (FAILED(loadFailure))
        return false;
    Sort();
    Regroup(0);
    cursor.Reset();
    return true;
}

HRESULT RecordStore::Load(SAFEARRAY* source, int32_t format, int32_t grouping, bool revert) {
    LoadBlock block;
    TextArena arena;
    if (!source) {
        if (!AllocateLoad(0, 0, block))
            return E_OUTOFMEMORY;
        Install(block, arena);
        return S_OK;
    }
    VARTYPE type = VT_EMPTY;
    if (!SourceElementType(source, type))
        return E_INVALIDARG;
    if (SafeArrayGetDim(source) != 2)
        return E_INVALIDARG;
    // Dimension 1 is the first subscript: columns, or records when reverted.
    const UINT recordDimension = revert ? 1 : 2;
    const UINT columnDimension = revert ? 2 : 1;
    LONG recordLower = 0, recordUpper = 0, columnLower = 0, columnUpper = 0;
    if (FAILED(SafeArrayGetLBound(source, recordDimension, &recordLower)) ||
        FAILED(SafeArrayGetUBound(source, recordDimension, &recordUpper)) ||
        FAILED(SafeArrayGetLBound(source, columnDimension, &columnLower)) ||
        FAILED(SafeArrayGetUBound(source, columnDimension, &columnUpper)))
        return E_INVALIDARG;
    const int64_t records = ElementCount(recordLower, recordUpper);
    const int64_t columns = ElementCount(columnLower, columnUpper);
    if (!AcceptedShape(source, records, columns))
        return E_INVALIDARG;

    // Everything the new data need is had before the shown data go.
    if (!AllocateLoad(records, columns, block))
        return E_OUTOFMEMORY;
    if (!FillCells(source, type, revert, recordLower, columnLower, format, grouping, block,
                   arena)) {
        FreeLoad(block);
        return E_OUTOFMEMORY;
    }
    Install(block, arena);
    return S_OK;
}

bool RecordStore::FillCells(SAFEARRAY* source, VARTYPE type, bool revert, LONG recordLower,
                            LONG columnLower, int32_t format, int32_t grouping, LoadBlock& block,
                            TextArena& arena) {
    const UINT recordSlot = revert ? 0 : 1;
    const UINT columnSlot = revert ? 1 : 0;
    // Host code run by a value meanwhile sees the shown data, which stay whole.
    loading = true;
    bool complete = true;
    TextCache cache(block.columnCount, format, grouping, arena, shareValues);
    // Locked, the array cannot be resized or destroyed by host code that a value runs.
    const bool locked = SUCCEEDED(SafeArrayLock(source));
    LONG indices[2];
    indices[recordSlot] = recordLower;
    indices[columnSlot] = columnLower;
    ElementGrid grid;
    const bool inPlace = locked && block.recordCount > 0 && block.columnCount > 0 &&
                         grid.Measure(source, indices, recordSlot, columnSlot,
                                      block.recordCount > 1, block.columnCount > 1);
    CellEntry* cell = block.cells;
    for (int32_t r = 0; r < block.recordCount && complete; ++r) {
        indices[recordSlot] = recordLower + r;
        for (int32_t c = 0; c < block.columnCount && complete; ++c) {
            indices[columnSlot] = columnLower + c;
            // An element read in place is a view of the array's plain value: nothing to free.
            VARIANT view;
            VariantInit(&view);
            if (inPlace && ViewElement(grid.Element(r, c), type, view)) {
                complete = StoreCell(*cell++, view, c, cache);
                continue;
            }
            OwnedVariant element;
            complete = FetchElement(source, type, indices, element) != E_OUTOFMEMORY &&
                       StoreCell(*cell++, element.Get(), c, cache);
        }
    }
    if (locked)
        SafeArrayUnlock(source);
    loading = false;
    return complete;
}

bool RecordStore::AcceptedShape(const SAFEARRAY* source, int64_t records, int64_t columns) {
    if (records == 0 || columns == 0)
        return records <= maxEmptyExtent && columns <= maxEmptyExtent;
    // Elements without data behind them: the cells would cost what the array claims while it
    // passes nothing. (Beyond the countable, no memory holds them anyway.)
    return source->pvData || records * columns > maxCellCount;
}

bool RecordStore::AllocateLoad(int64_t records, int64_t columns, LoadBlock& block) {
    if (!ValidCount(records) || !ValidCount(columns))
        return false;
    // An empty record dimension still counts its columns, so a header alone stays bounded.
    const int64_t cellsNeeded = records * columns;
    if ((records > 0 ? records : 1) * columns > maxCellCount)
        return false;
    if (cellsNeeded > 0) {
        if (static_cast<uint64_t>(cellsNeeded) > SIZE_MAX / sizeof(CellEntry))
            return false;
        block.cells = static_cast<CellEntry*>(
            HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY,
                      static_cast<size_t>(cellsNeeded) * sizeof(CellEntry)));
        if (!block.cells)
            return false;
    }
    block.recordCount = static_cast<int32_t>(records);
    block.columnCount = static_cast<int32_t>(columns);
    for (size_t i = 0; i < std::size(block.views); ++i) {
        block.views[i] = AllocateArray<int32_t>(i < 4 ? columns : records);
        if (!block.views[i]) {
            FreeLoad(block);
            return false;
        }
    }
    return true;
}

void RecordStore::FreeLoad(LoadBlock& block) {
    ReleaseCells(block.cells, static_cast<size_t>(block.recordCount) * block.columnCount);
    for (int32_t*& view : block.views)
        FreeArray(view);
}

bool RecordStore::StoreCell(CellEntry& cell, const VARIANT& element, int32_t column,
                            TextCache& cache) {
    if (cache.Reuse(cell, element, column))
        return true;
    VariantInit(&cell.value);
    // A by-reference element points into the host's memory; keep the value it refers to.
    VARIANT* source = const_cast<VARIANT*>(&element); // only read
    const HRESULT copied = (element.vt & VT_BYREF) ? VariantCopyInd(&cell.value, source)
                                                   : VariantCopy(&cell.value, source);
    if (copied == E_OUTOFMEMORY)
        return false;
    if (FAILED(copied)) {
        VariantInit(&cell.value);
        cell.value.vt = VT_ERROR;
        cell.value.scode = copied;
    }
    return cache.Format(cell, element);
}

void RecordStore::Clear() {
    ReleaseCells(cells, static_cast<size_t>(recordCount) * columnCount);
    texts.Release();
    columnCount = 0;
    recordCount = 0;
}

void RecordStore::Install(LoadBlock& block, TextArena& arena) {
    Clear();
    ReleaseViewArrays();
    cells = block.cells;
    recordCount = block.recordCount;
    columnCount = block.columnCount;
    texts.Swap(arena);
    int32_t** const views[] = {&columnOrder,   &sortPriority, &groupAscending,
                               &sortAscending, &recordOrder,  &sortScratch};
    for (size_t i = 0; i < std::size(views); ++i)
        *views[i] = block.views[i];
    block = LoadBlock();
    sortKeys.Release(); // anything ordered during the fill ordered the data shown then
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

void RecordStore::ReleaseViewArrays() {
    FreeArray(columnOrder);
    FreeArray(sortPriority);
    FreeArray(groupAscending);
    FreeArray(sortAscending);
    FreeArray(recordOrder);
    FreeArray(sortScratch);
    FreeArray(groupStarts);
    groupStartsKnown = false;
}
