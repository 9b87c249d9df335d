#include "data_grid.h"

#include <cstring>
#include <string_view>
#include <unordered_set>

bool IsBlankCell(const VARIANT& cell) {
    return V_VT(&cell) == VT_EMPTY || V_VT(&cell) == VT_NULL ||
           (V_VT(&cell) == VT_BSTR && SysStringLen(V_BSTR(&cell)) == 0);
}

DataGrid::~DataGrid() {
    Release();
}

// The texts belong to the grid, not to the array, which may hold one of them many times.
void DataGrid::Release() {
    if (array) {
        std::memset(Cells(), 0, sizeof(VARIANT) * static_cast<size_t>(columns) * records);
        SafeArrayDestroy(array);
    }
    for (BSTR text : texts)
        SysFreeString(text);
    texts.clear();
    array = nullptr;
    columns = records = 0;
}

bool DataGrid::Create(LONG columnCount, LONG recordCount) {
    Release();
    SAFEARRAYBOUND bounds[2] = {{static_cast<ULONG>(columnCount), 0},
                                {static_cast<ULONG>(recordCount), 0}};
    array = SafeArrayCreate(VT_VARIANT, 2, bounds);
    columns = array ? columnCount : 0;
    records = array ? recordCount : 0;
    return array != nullptr;
}

VARIANT* DataGrid::Cells() const {
    return array ? static_cast<VARIANT*>(array->pvData) : nullptr;
}

bool DataGrid::Put(LONG column, LONG record, const VARIANT& value) {
    if (!array || column < 0 || column >= columns || record < 0 || record >= records)
        return false;
    VARIANT& cell = Cells()[static_cast<size_t>(record) * columns + column];
    VARIANT copy;
    VariantInit(&copy);
    if (FAILED(VariantCopy(&copy, const_cast<VARIANT*>(&value))))
        return false;
    if (V_VT(&copy) == VT_BSTR)
        texts.push_back(V_BSTR(&copy));
    cell = copy; // a text it held stays in the list until the grid goes
    return true;
}

bool DataGrid::Get(LONG column, LONG record, VARIANT* value) const {
    if (!array || column < 0 || column >= columns || record < 0 || record >= records)
        return false;
    return SUCCEEDED(VariantCopy(value, const_cast<VARIANT*>(&At(column, record))));
}

bool DataGrid::Widen(LONG columnCount, LONG keep) {
    SAFEARRAYBOUND bounds[2] = {{static_cast<ULONG>(columnCount), 0},
                                {static_cast<ULONG>(records), 0}};
    SAFEARRAY* wider = SafeArrayCreate(VT_VARIANT, 2, bounds);
    if (!wider)
        return false;
    VARIANT* to = static_cast<VARIANT*>(wider->pvData);
    for (LONG r = 0; r < keep; ++r)
        std::memcpy(to + static_cast<size_t>(r) * columnCount,
                    Cells() + static_cast<size_t>(r) * columns, sizeof(VARIANT) * columns);
    std::memset(Cells(), 0, sizeof(VARIANT) * static_cast<size_t>(columns) * records);
    SafeArrayDestroy(array);
    array = wider;
    columns = columnCount;
    return true;
}

bool DataGrid::Resize(LONG recordCount) {
    if (!array)
        return false;
    // Redim would free the texts of the cells it drops, which the grid owns.
    if (recordCount < records)
        std::memset(Cells() + static_cast<size_t>(recordCount) * columns, 0,
                    sizeof(VARIANT) * static_cast<size_t>(columns) * (records - recordCount));
    SAFEARRAYBOUND last = {static_cast<ULONG>(recordCount), 0};
    if (FAILED(SafeArrayRedim(array, &last)))
        return false;
    records = recordCount;
    return true;
}

ColumnKind DataGrid::KindOf(LONG column) const {
    bool numbers = false, flags = false, others = false;
    for (LONG r = 0; r < records && !others; ++r) {
        const VARIANT& cell = At(column, r);
        if (IsBlankCell(cell))
            continue;
        switch (V_VT(&cell)) {
        case VT_I2:
        case VT_I4:
        case VT_R4:
        case VT_R8:
        case VT_CY:
        case VT_DECIMAL:
            numbers = true;
            break;
        case VT_BOOL:
            flags = true;
            break;
        default:
            others = true;
        }
    }
    if (others || numbers == flags)
        return ColumnKind::Text;
    return numbers ? ColumnKind::Number : ColumnKind::Flag;
}

LONG DataGrid::DistinctValues(LONG column, LONG limit) const {
    // Equal texts of a file mostly share one string: its address answers before its characters.
    std::unordered_set<const void*> addresses;
    std::unordered_set<std::wstring_view> seen;
    for (LONG r = 0; r < records && static_cast<LONG>(seen.size()) < limit; ++r) {
        const VARIANT& cell = At(column, r);
        if (V_VT(&cell) == VT_BSTR && !IsBlankCell(cell) && addresses.insert(V_BSTR(&cell)).second)
            seen.emplace(V_BSTR(&cell), SysStringLen(V_BSTR(&cell)));
    }
    return static_cast<LONG>(seen.size());
}

bool DataGrid::HasTimeOfDay() const {
    const VARIANT* cells = Cells();
    for (size_t i = 0, n = static_cast<size_t>(columns) * records; i < n; ++i)
        if (V_VT(&cells[i]) == VT_DATE &&
            V_DATE(&cells[i]) != static_cast<LONGLONG>(V_DATE(&cells[i])))
            return true;
    return false;
}
