#include "session_plan.h"

SessionPlan PlanSession(const DataGrid& grid) {
    constexpr LONG enough = 1000;
    SessionPlan plan;
    LONG fewest[2] = {enough, enough};
    for (LONG c = 0; c < grid.Columns(); ++c) {
        const ColumnKind kind = grid.KindOf(c);
        if (kind == ColumnKind::Number && plan.sortColumn < 0)
            plan.sortColumn = c;
        const LONG distinct = kind == ColumnKind::Text ? grid.DistinctValues(c, enough) : enough;
        if (distinct < 3 || distinct >= fewest[1])
            continue;
        const int slot = distinct < fewest[0] ? 0 : 1;
        if (slot == 0) {
            fewest[1] = fewest[0];
            plan.groupColumns[1] = plan.groupColumns[0];
        }
        fewest[slot] = distinct;
        plan.groupColumns[slot] = c;
    }
    if (plan.groupColumns[1] < 0)
        plan.groupColumns[0] = -1;
    return plan;
}
