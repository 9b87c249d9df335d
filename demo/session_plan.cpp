#include "session_plan.h"

SessionPlan PlanSession(const DataGrid& grid) {
    SessionPlan plan;
    LONG fewest[2] = {fewGroups + 1, fewGroups + 1}; // ranks of the chosen columns
    for (LONG c = 0; c < grid.Columns(); ++c) {
        const ColumnKind kind = grid.KindOf(c);
        if (kind == ColumnKind::Number && plan.sortColumn < 0)
            plan.sortColumn = c;
        const LONG distinct = kind == ColumnKind::Text ? grid.DistinctValues(c, fewGroups + 1) : 0;
        // Two groups (yes or no) only halve the records: any more make the better tree.
        const LONG rank = distinct == 2 ? fewGroups : distinct < 2 ? fewGroups + 1 : distinct - 1;
        if (rank >= fewest[1])
            continue;
        const int slot = rank < fewest[0] ? 0 : 1;
        if (slot == 0) {
            fewest[1] = fewest[0];
            plan.groupColumns[1] = plan.groupColumns[0];
        }
        fewest[slot] = rank;
        plan.groupColumns[slot] = c;
    }
    if (plan.groupColumns[1] < 0)
        plan.groupColumns[0] = -1;
    for (LONG c = 0; c < grid.Columns() && plan.sortColumn < 0; ++c)
        if (c != plan.groupColumns[0] && c != plan.groupColumns[1])
            plan.sortColumn = c;
    return plan;
}
