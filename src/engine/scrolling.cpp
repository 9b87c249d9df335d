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

int32_t ClampPosition(int32_t target, int32_t maximum) {
    const int32_t limited = target < maximum ? target : maximum;
    return limited < 0 ? 0 : limited;
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
    const bool dragging = trackMode == TrackResize || trackMode == TrackSplitterDrag;
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
    if (!hwnd)
        return;
    const int32_t barWidth = GetSystemMetrics(SM_CXVSCROLL);
    const int32_t barHeight = GetSystemMetrics(SM_CYHSCROLL);
    const int32_t rows = DisplayedRows();

    // The room the content would have without any bar.
    int32_t w0 = clientWidth + (BarShown(hwnd, SB_VERT) ? barWidth : 0);
    int32_t h0 = clientHeight - headerHeight + (BarShown(hwnd, SB_HORZ) ? barHeight : 0);
    const int32_t needW = contentWidth;
    const int32_t needH = rows * rowHeight;

    int32_t pageW, pageH;
    if (w0 >= needW && h0 >= needH) {
        pageW = w0;
        pageH = h0;
    } else if (w0 - barWidth < needW && h0 - barHeight < needH) {
        pageW = w0 - barWidth;
        pageH = h0 - barHeight;
    } else {
        pageH = w0 < needW ? h0 - barHeight : h0;
        pageW = pageH < needH ? w0 - barWidth : w0;
    }

    // Setting a bar may resize the client area; the nested WM_SIZE then runs ScrollTo from
    // the positions still stored, and this call completes afterwards with its own.
    const int32_t newX = ClampPosition(x, contentWidth - pageW);
    SetBar(SB_HORZ, horizontalBar, contentWidth - 1, pageW, newX);

    const int32_t fit = pageH > 0 ? pageH / rowHeight : 0;
    const int32_t newY = ClampPosition(y, rows - fit);
    SetBar(SB_VERT, verticalBar, rows - 1, fit, newY);

    const int dx = scrollX - newX;
    const int dy = (topRow - newY) * rowHeight;
    if (dx != 0) {
        RECT header{0, 0, pageW, headerHeight};
        ScrollWindowEx(hwnd, dx, 0, &header, &header, nullptr, nullptr, SW_INVALIDATE | SW_ERASE);
    }
    if (dx != 0 || dy != 0) {
        RECT body{0, headerHeight, pageW, headerHeight + pageH};
        ScrollWindowEx(hwnd, dx, dy, &body, &body, nullptr, nullptr, SW_INVALIDATE | SW_ERASE);
    }

    const bool movedSideways = newX != scrollX;
    scrollX = newX;
    topRow = newY;
    // The selected row spans the content; repaint it whole, focus rectangle included. Done
    // after storing the positions so that the row's rectangle is that of the new page.
    if (movedSideways)
        InvalidateRow(currentRow - newY, false);

    headerTips.MoveLevelTools(newX);
    PlaceCaret();
}

void ViewEngine::ScrollColumnsAfterResize(int32_t position, int32_t newWidth) {
    if (!hwnd || position < 0 || position >= store.columnCount)
        return;
    const int32_t oldWidth = ColumnExtent(position, true);
    WindowDc dc(hwnd);
    if (!dc.Get())
        return;

    // Group rows do not depend on column widths: keep their pixels where they are.
    for (int32_t v = 0; v <= pageRows; ++v) {
        const int32_t row = topRow + v;
        if (!store.cursor.Seek(row))
            break;
        const int32_t top = headerHeight + v * rowHeight;
        RECT rect{0, top, clientWidth, top + rowHeight};
        if (store.cursor.RowGroupLevel() != -1)
            ExcludeClipRect(dc.Get(), rect.left, rect.top, rect.right, rect.bottom);
        else if (row == currentRow)
            InvalidateRect(hwnd, &rect, FALSE);
    }

    int32_t x = ColumnsLeft(true) - scrollX;
    for (int32_t q = 0; q < position; ++q)
        x += ColumnExtent(q, true);

    RECT right{x + oldWidth, 0, clientWidth, clientHeight};
    GdiObject uncovered(CreateRectRgn(0, 0, 0, 0));
    HRGN region = static_cast<HRGN>(uncovered.Get());
    if (right.left < right.right &&
        ScrollDC(dc.Get(), newWidth - oldWidth, 0, &right, nullptr, region, nullptr) && region)
        InvalidateRgn(hwnd, region, FALSE);

    RECT column{x, 0, x + oldWidth, clientHeight};
    InvalidateRect(hwnd, &column, FALSE);
}
