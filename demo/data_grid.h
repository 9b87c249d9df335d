#pragma once

// Records for the control: a two-dimensional SAFEARRAY of VARIANT indexed (column, record), the
// shape SetData takes without Revert, and the column labels.

#include <windows.h>
#include <oleauto.h>

#include <string>
#include <vector>

enum class ColumnKind { Text, Number, Flag };

class DataGrid {
public:
    DataGrid() = default;
    ~DataGrid();
    DataGrid(const DataGrid&) = delete;
    DataGrid& operator=(const DataGrid&) = delete;

    // Allocates columns x records empty cells; the old contents go.
    bool Create(LONG columns, LONG records);
    // Stores a copy of value.
    bool Put(LONG column, LONG record, const VARIANT& value);
    // A copy of the stored cell into an initialised variant.
    bool Get(LONG column, LONG record, VARIANT* value) const;

    // Building in place: the cells record by record, each record Columns() wide. A text put
    // there directly is handed over with AdoptText, and one text may stand in many cells.
    VARIANT* Cells() const;
    void AdoptText(BSTR text) { texts.push_back(text); }
    // More columns, the cells of the first keep records kept.
    bool Widen(LONG columns, LONG keep);
    // More records (empty) or fewer (the rest dropped).
    bool Resize(LONG records);

    SAFEARRAY* Array() const { return array; }
    LONG Columns() const { return columns; }
    LONG Records() const { return records; }
    const VARIANT& At(LONG column, LONG record) const {
        return Cells()[static_cast<size_t>(record) * columns + column];
    }

    // Numbers and currency align right, flags centre, the rest left: decided by the values a
    // column holds, empty cells and texts aside.
    ColumnKind KindOf(LONG column) const;
    // How many different non-empty texts the column holds, counting no further than limit.
    LONG DistinctValues(LONG column, LONG limit) const;
    // Whether some date carries a time of day, so that the times are worth showing.
    bool HasTimeOfDay() const;

    std::vector<std::wstring> labels;

private:
    void Release();
    SAFEARRAY* array = nullptr;
    LONG columns = 0;
    LONG records = 0;
    std::vector<BSTR> texts; // every text of the cells, each once
};

// Whether a cell shows nothing: empty, null or an empty text.
bool IsBlankCell(const VARIANT& cell);
