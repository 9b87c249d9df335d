#include "data_grid.h"

#include "value_recognition.h"

#include <algorithm>
#include <set>

DataGrid::~DataGrid() {
    if (array)
        SafeArrayDestroy(array);
}

bool DataGrid::Create(LONG columnCount, LONG recordCount) {
    if (array)
        SafeArrayDestroy(array);
    SAFEARRAYBOUND bounds[2] = {{static_cast<ULONG>(columnCount), 0},
                                {static_cast<ULONG>(recordCount), 0}};
    array = SafeArrayCreate(VT_VARIANT, 2, bounds);
    columns = array ? columnCount : 0;
    records = array ? recordCount : 0;
    return array != nullptr;
}

bool DataGrid::Put(LONG column, LONG record, const VARIANT& value) {
    LONG index[2] = {column, record};
    return array && SUCCEEDED(SafeArrayPutElement(array, index, const_cast<VARIANT*>(&value)));
}

bool DataGrid::Get(LONG column, LONG record, VARIANT* value) const {
    LONG index[2] = {column, record};
    return array && SUCCEEDED(SafeArrayGetElement(array, index, value));
}

ColumnKind DataGrid::KindOf(LONG column) const {
    bool numbers = false, flags = false, others = false;
    for (LONG r = 0; r < records; ++r) {
        LONG index[2] = {column, r};
        void* cell = nullptr;
        if (!array || FAILED(SafeArrayPtrOfIndex(array, index, &cell)))
            continue;
        switch (V_VT(static_cast<const VARIANT*>(cell))) {
        case VT_EMPTY:
        case VT_NULL:
            break;
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
    std::set<std::wstring> seen;
    for (LONG r = 0; r < records && static_cast<LONG>(seen.size()) < limit; ++r) {
        VARIANT v;
        VariantInit(&v);
        if (!Get(column, r, &v) || V_VT(&v) == VT_EMPTY || V_VT(&v) == VT_NULL)
            continue;
        if (V_VT(&v) != VT_BSTR)
            VariantChangeTypeEx(&v, &v, LOCALE_INVARIANT, 0, VT_BSTR);
        // The type keeps a value apart from a text that reads the same.
        seen.insert(std::to_wstring(V_VT(&v)) + L":" +
                    (V_VT(&v) == VT_BSTR && V_BSTR(&v) ? V_BSTR(&v) : L""));
        VariantClear(&v);
    }
    return static_cast<LONG>(seen.size());
}

bool DataGrid::HasTimeOfDay() const {
    VARIANT* cells = nullptr;
    if (!array || FAILED(SafeArrayAccessData(array, reinterpret_cast<void**>(&cells))))
        return false;
    bool found = false;
    for (size_t i = 0, n = static_cast<size_t>(columns) * records; i < n && !found; ++i)
        found = V_VT(&cells[i]) == VT_DATE &&
                V_DATE(&cells[i]) != static_cast<LONGLONG>(V_DATE(&cells[i]));
    SafeArrayUnaccessData(array);
    return found;
}

bool BuildCsvGrid(const std::vector<CsvRecord>& csv, DataGrid& grid, const CsvProgress& progress) {
    if (csv.empty())
        return grid.Create(0, 0);
    size_t width = 0;
    for (const CsvRecord& record : csv)
        width = std::max(width, record.size());
    if (!grid.Create(static_cast<LONG>(width), static_cast<LONG>(csv.size() - 1)))
        return false;
    grid.labels = csv[0];
    const size_t records = csv.size() - 1;
    ProgressSteps steps(records >= csvProgressRecords ? progress : nullptr, CsvStage::Recognising,
                        records);
    for (size_t r = 1; r < csv.size(); ++r) {
        steps.Reach(r - 1);
        for (size_t c = 0; c < csv[r].size(); ++c) {
            VARIANT v;
            VariantInit(&v);
            const bool ok = RecognizeValue(csv[r][c], &v) &&
                            grid.Put(static_cast<LONG>(c), static_cast<LONG>(r - 1), v);
            VariantClear(&v);
            if (!ok)
                return false;
        }
    }
    steps.Reach(records);
    return true;
}
