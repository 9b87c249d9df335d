#pragma once

#include "data_grid.h"

// What the scripted session does with the loaded columns (column indices; -1 leaves a step out).
struct SessionPlan {
    LONG groupColumns[2] = {-1, -1}; // outer level first
    LONG sortColumn = -1;            // sorted largest first
};

// Groups by the two columns of texts (or dates) with the fewest different values, the fewer
// outside, and sorts by the first column of numbers. A column of two values (yes or no) would
// only halve the records, and shows little of the tree: a level needs three values at least.
SessionPlan PlanSession(const DataGrid& grid);
