#include "engine/view_engine.h"

#include "render/text_measurer.h"

// The window's side of the layout: keeping the derived sizes in step, invalidating, setting
// and fitting column widths. The geometry itself is the layout's.

void ViewEngine::UpdateContentWidth(bool live) {
    view.contentWidth = layout.ContentWidth(live);
}

void ViewEngine::UpdatePageRows() {
    view.pageRows = layout.PageRows();
}

void ViewEngine::InvalidateHeader(bool update) {
    if (!hwnd)
        return;
    RECT header{0, 0, view.clientWidth, headerHeight};
    InvalidateRect(hwnd, &header, FALSE);
    if (update)
        UpdateWindow(hwnd);
}

void ViewEngine::InvalidateRow(int32_t visibleIndex, bool update) {
    RECT rect;
    if (!hwnd || !layout.RowRect(visibleIndex, &rect))
        return;
    InvalidateRect(hwnd, &rect, FALSE);
    if (update)
        UpdateWindow(hwnd);
}

POINT ViewEngine::ClientToWindowPoint(POINT point) const {
    RECT window{};
    ClientToScreen(hwnd, &point);
    GetWindowRect(hwnd, &window);
    return POINT{point.x - window.left, point.y - window.top};
}

void ViewEngine::SetColumnExtent(int32_t position, int32_t width) {
    const bool valid = position >= 0 && position < store.columnCount && width >= 0;
    // Stored before the capture goes: its loss lays the content out again from the stored
    // widths, and the old width would pull the scroll position back.
    if (valid)
        store.SetWidthAt(position, width);
    ReleaseTracking();
    if (!valid)
        return;
    UpdateContentWidth(true);
    if (hwnd) {
        InvalidateAll(false);
        ScrollTo(view.scrollX, view.topRow);
    }
}

HitKind ViewEngine::HitTest(int32_t x, int32_t y, int32_t* index, int32_t* offset) {
    return layout.HitTest(x, y, textMeasurer, index, offset);
}

int32_t ViewEngine::MeasureColumnTexts(int32_t position) {
    int32_t widest = textMeasurer.LineWidth(store.LabelAt(position));
    const int32_t rows = DisplayedRows();
    for (int32_t row = 0; row < rows; ++row) {
        if (!store.cursor.Seek(row))
            break;
        if (store.cursor.RowGroupLevel() != -1)
            continue;
        const int32_t width = textMeasurer.LineWidth(store.cursor.CellText(position));
        if (width > widest)
            widest = width;
    }
    return widest;
}

void ViewEngine::AutoFitColumn(int32_t position) {
    if (position < 0 || position >= store.columnCount)
        return;
    const int32_t width = MeasureColumnTexts(position) + 2 * textMargin;
    ScrollColumnsAfterResize(position, width);
    SetColumnExtent(position, width);
    UpdateContentWidth(true);
    ScrollTo(view.scrollX, view.topRow);
    InvalidateHeader(true);
}
