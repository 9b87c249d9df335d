#pragma once

// Records for the control: a two-dimensional SAFEARRAY of VARIANT indexed (column, record), the
// shape SetData takes without Revert, and the column labels.

#include <windows.h>
#include <oleauto.h>

#include <string>
#include <vector>

#include "csv_reader.h"

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

    SAFEARRAY* Array() const { return array; }
    LONG Columns() const { return columns; }
    LONG Records() const { return records; }

    // Numbers and currency align right, flags centre, the rest left: decided by the values a
    // column holds, empty cells aside.
    ColumnKind KindOf(LONG column) const;
    // How many different values the column holds, empty cells aside, counting no further than
    // limit.
    LONG DistinctValues(LONG column, LONG limit) const;
    // Whether some date carries a time of day, so that the times are worth showing.
    bool HasTimeOfDay() const;

    std::vector<std::wstring> labels;

private:
    SAFEARRAY* array = nullptr;
    LONG columns = 0;
    LONG records = 0;
};

// The first record gives the labels, the others the cells, each field's value recognised; a
// record shorter than the widest leaves its last cells empty.
bool BuildCsvGrid(const std::vector<CsvRecord>& csv, DataGrid& grid,
                  const CsvProgress& progress = nullptr);
