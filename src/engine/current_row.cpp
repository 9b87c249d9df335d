#include "engine/view_engine.h"

// The current row, the selected record derived from it, and the protocol that keeps both on
// the same data while the order or the grouping changes.

bool ViewEngine::SelectRow(int32_t row) {
    if (row < 0)
        row = 0;
    if (row >= store.rowCount - 1)
        row = store.rowCount - 2;
    const int32_t old = view.currentRow;
    const bool changed = row != old;
    if (changed) {
        view.currentRow = row;
        InvalidateRow(old - view.topRow, true);
    }
    EnsureRowVisible(view.currentRow, false);
    if (changed)
        InvalidateRow(view.currentRow - view.topRow, true);
    PlaceCaret();
    SyncSelection();
    return true;
}

void ViewEngine::EnsureRowVisible(int32_t row, bool update) {
    int32_t top = view.topRow;
    if (row - view.pageRows + 1 > top)
        top = row - view.pageRows + 1;
    if (row < top)
        top = row;
    if (top != view.topRow)
        ScrollTo(view.scrollX, top);
    if (update && hwnd)
        UpdateWindow(hwnd);
}

bool ViewEngine::ToggleRow(int32_t row) {
    if (!store.cursor.Seek(row) || store.cursor.RowGroupLevel() == -1)
        return false;
    if (!store.cursor.node->expanded)
        return ExpandRow(row);
    return CollapseRow(row);
}

bool ViewEngine::ExpandRow(int32_t row) {
    if (!store.cursor.Seek(row) || store.cursor.RowGroupLevel() == -1)
        return false;
    const int32_t added = store.cursor.node->Expand();
    store.rowCount += added;
    if (view.currentRow > row)
        view.currentRow += added;
    if (added != 0) {
        NotifyAccessible(EVENT_OBJECT_STATECHANGE, RowChild(row));
        AnnounceReorder(false);
    }
    InvalidateAll(false);
    ScrollTo(view.scrollX, view.topRow);
    SyncSelection();
    return true;
}

bool ViewEngine::CollapseRow(int32_t row) {
    if (!store.cursor.Seek(row) || store.cursor.RowGroupLevel() == -1)
        return false;
    const int32_t removed = store.cursor.node->Collapse();
    store.rowCount -= removed;
    if (view.currentRow > row) {
        if (view.currentRow > row + removed)
            view.currentRow -= removed;
        else
            view.currentRow = row; // the current row went into the closed group
    }
    if (removed != 0) {
        NotifyAccessible(EVENT_OBJECT_STATECHANGE, RowChild(row));
        AnnounceReorder(false);
    }
    InvalidateAll(true);
    ScrollTo(view.scrollX, view.topRow);
    SyncSelection();
    return true;
}

void ViewEngine::SyncSelection() {
    const int32_t old = view.selectedRecord;
    if (store.columnCount > 0 && store.cursor.Seek(view.currentRow))
        view.selectedRecord = store.cursor.RecordAtCursor();
    else
        view.selectedRecord = -1;
    AnnounceCurrentRow(); // before the host hears of it and perhaps changes everything
    if (view.selectedRecord != old)
        SelectionChanged();
}

void ViewEngine::ResetView() {
    UpdateContentWidth(false);
    view.currentRow = store.rowCount != 1 ? 0 : -1;
    ScrollTo(view.scrollX, view.topRow);
    InvalidateAll(false);
}

void ViewEngine::FinishOrderChange() {
    view.currentRow = store.cursor.row - 1;
    PlaceCaret(); // the caret follows the current row to where the change put it
    AnnounceReorder(true);
}

void ViewEngine::SortRowsByColumn(int32_t position) {
    store.cursor.Seek(view.currentRow);
    store.SortByColumn(position);
    FinishOrderChange();
}

void ViewEngine::ReverseGroupOrder(int32_t level) {
    store.cursor.Seek(view.currentRow);
    store.ToggleGroupOrder(level);
    FinishOrderChange();
}

bool ViewEngine::MoveColumnKeepingRow(int32_t from, int32_t to) {
    store.cursor.Seek(view.currentRow);
    if (!store.MoveColumn(from, to))
        return false;
    ResetView();
    FinishOrderChange();
    return true;
}

bool ViewEngine::SetGroupLevelsKeepingRow(int32_t count) {
    store.cursor.Seek(view.currentRow);
    if (!store.SetGroupLevelCount(count))
        return false;
    headerTips.SetLevelToolCount(count);
    ResetView();
    FinishOrderChange();
    return true;
}
