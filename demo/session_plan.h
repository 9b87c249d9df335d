#pragma once

#include "data_grid.h"

// What the scripted session does with the loaded columns (column indices; -1 leaves a step out).
struct SessionPlan {
    LONG groupColumns[2] = {-1, -1}; // outer level first
    LONG sortColumn = -1;            // sorted ascending, then largest first
};

// Groups by the two columns of texts with the fewest different values, the fewer outside: each
// must hold between two and fewGroups different texts, so that a level divides the records and
// its groups fit on a few screens; a column of two comes last. Sorts by the first column of
// numbers, or else the first column that is not grouped.
constexpr LONG fewGroups = 50;
SessionPlan PlanSession(const DataGrid& grid);
