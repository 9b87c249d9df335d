#include "engine/view_engine.h"

#include "render/gdi_handles.h"

// Sideways the whole content scrolls by pixels, header included; downwards the rows scroll by
// whole rows under a fixed header. ScrollTo is the one place that changes either position.

namespace {
bool BarShown(HWND window, int bar) {
    SCROLLINFO info = {};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE;
    if (!GetScrollInfo(window, bar, &info))
        return false;
    return info.nMax >= static_cast<int>(info.nPage);
}
} // namespace

// Drawing a bar is slow on some systems (Wine: over 10 ms a bar), so a bar is set only when
// the request differs from the last one made for it since the window was created. While a
// column or the splitter is dragged the range changes at every pixel: the bar then takes the
// new values without being drawn, and is drawn by the first request after the drag.
void ViewEngine::SetBar(int bar, ScrollBarRequest& last, int32_t maximum, int32_t page,
                        int32_t position) {
    if (last.made && last.maximum == maximum && last.page == page && last.position == position)
        return;
    const bool dragging = view.trackMode == TrackResize || view.trackMode == TrackSplitterDrag;
    last = ScrollBarRequest{!dragging, maximum, page, position};
    SCROLLINFO info = {};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    info.nMin = 0;
    info.nMax = maximum;
    info.nPage = static_cast<UINT>(page < 0 ? 0 : page);
    info.nPos = position;
    SetScrollInfo(hwnd, bar, &info, dragging ? FALSE : TRUE);
}

void ViewEngine::ScrollTo(int32_t x, int32_t y) {
    if (!hwnd) {
        // No window and no bars: the positions still stay within the last client area.
        const Layout::ScrollPlan plan = layout.PlanScroll(x, y, false, false, 0, 0);
        view.scrollX = plan.x;
        view.topRow = plan.y;
        return;
    }
    // Setting a bar may resize the client area; the WM_SIZE that follows runs ScrollTo again
    // from the positions still stored and sets the bars to them, over this call's. And a bar
    // shown or hidden changes the room the plan was made for. The outermost call then plans
    // once more from the final positions, until the bars stay as planned.
    if (scrollDepth > 0)
        barsReset = true;
    ++scrollDepth;
    bool planned = ScrollOnce(x, y);
    for (int again = 0; scrollDepth == 1 && (barsReset || !planned) && again < 3; ++again) {
        barsReset = false;
        planned = ScrollOnce(view.scrollX, view.topRow);
    }
    if (--scrollDepth == 0)
        barsReset = false;
}

bool ViewEngine::ScrollOnce(int32_t x, int32_t y) {
    const bool verticalShown = BarShown(hwnd, SB_VERT), horizontalShown = BarShown(hwnd, SB_HORZ);
    const Layout::ScrollPlan plan =
        layout.PlanScroll(x, y, verticalShown, horizontalShown, scrollBarWidth, scrollBarHeight);
    const int32_t pageW = plan.pageWidth, pageH = plan.pageHeight;
    const int32_t newX = plan.x, newY = plan.y;
    SetBar(SB_HORZ, horizontalBar, view.contentWidth - 1, pageW, newX);
    SetBar(SB_VERT, verticalBar, DisplayedRows() - 1, plan.rowsThatFit, newY);

    const int dx = view.scrollX - newX;
    const int dy = (view.topRow - newY) * rowHeight;
    if (dx != 0) {
        RECT header{0, 0, pageW, headerHeight};
        ScrollWindowEx(hwnd, dx, 0, &header, &header, nullptr, nullptr, SW_INVALIDATE | SW_ERASE);
    }
    if (dx != 0 || dy != 0) {
        RECT body{0, headerHeight, pageW, headerHeight + pageH};
        ScrollWindowEx(hwnd, dx, dy, &body, &body, nullptr, nullptr, SW_INVALIDATE | SW_ERASE);
    }

    const bool movedSideways = newX != view.scrollX;
    view.scrollX = newX;
    view.topRow = newY;
    // The selected row spans the content; repaint it whole, focus rectangle included. Done
    // after storing the positions so that the row's rectangle is that of the new page.
    if (movedSideways)
        InvalidateRow(view.currentRow - newY, false);

    headerTips.MoveLevelTools(newX);
    PlaceCaret();
    return BarShown(hwnd, SB_VERT) == verticalShown && BarShown(hwnd, SB_HORZ) == horizontalShown;
}

void ViewEngine::ScrollColumnsAfterResize(int32_t position, int32_t newWidth) {
    if (!hwnd || position < 0 || position >= store.columnCount)
        return;
    const int32_t oldWidth = layout.ColumnExtent(position, true);
    WindowDc dc(hwnd);
    if (!dc.Get())
        return;

    // Group rows do not depend on column widths: keep their pixels where they are.
    for (int32_t v = 0; v <= view.pageRows; ++v) {
        const int32_t row = view.topRow + v;
        if (!store.cursor.Seek(row))
            break;
        const int32_t top = headerHeight + v * rowHeight;
        RECT rect{0, top, view.clientWidth, top + rowHeight};
        if (store.cursor.RowGroupLevel() != -1)
            ExcludeClipRect(dc.Get(), rect.left, rect.top, rect.right, rect.bottom);
        else if (row == view.currentRow)
            InvalidateRect(hwnd, &rect, FALSE);
    }

    int32_t x = layout.ColumnsLeft(true) - view.scrollX;
    for (int32_t q = 0; q < position; ++q)
        x += layout.ColumnExtent(q, true);

    RECT right{x + oldWidth, 0, view.clientWidth, view.clientHeight};
    GdiObject uncovered(CreateRectRgn(0, 0, 0, 0));
    HRGN region = static_cast<HRGN>(uncovered.Get());
    if (right.left < right.right &&
        ScrollDC(dc.Get(), newWidth - oldWidth, 0, &right, nullptr, region, nullptr) && region)
        InvalidateRgn(hwnd, region, FALSE);

    RECT column{x, 0, x + oldWidth, view.clientHeight};
    InvalidateRect(hwnd, &column, FALSE);
}
