#include "engine/view_engine.h"

#include "render/gdi_handles.h"
#include "render/narrow_text.h"
#include "render/text_alignment.h"

// Pixel geometry of the header strip and the rows, in content coordinates
// (content x = window x + scrollX).

int32_t ViewEngine::GroupingAreaWidth(bool live) const {
    if (live && trackMode == TrackSplitterDrag)
        return liveSize;
    if (store.groupLevelCount == 0)
        return 0;
    return store.groupLevelCount * levelButtonWidth + 2 * groupingMargin;
}

int32_t ViewEngine::MaxGroupingAreaWidth() const {
    if (store.columnCount == 0)
        return 0;
    return store.columnCount * levelButtonWidth + 2 * groupingMargin;
}

int32_t ViewEngine::ColumnsLeft(bool live) const {
    return GroupingAreaWidth(live) + splitterWidth;
}

int32_t ViewEngine::ColumnExtent(int32_t position, bool live) {
    if (position < 0 || position >= store.columnCount)
        return 0;
    if (live && trackMode == TrackResize && position == pressIndex)
        return liveSize;
    return store.WidthAt(position);
}

int32_t ViewEngine::VisibleLevelCount() const {
    int32_t room = GroupingAreaWidth(true) - 2 * groupingMargin;
    if (room < 0)
        room = 0;
    return levelButtonWidth > 0 ? room / levelButtonWidth : 0;
}

void ViewEngine::UpdateContentWidth(bool live) {
    int32_t width = ColumnsLeft(live);
    for (int32_t p = 0; p < store.columnCount; ++p)
        width += ColumnExtent(p, live);
    contentWidth = width;
}

RECT ViewEngine::GroupingAreaRect() const {
    return RECT{0, 0, GroupingAreaWidth(true), headerHeight};
}

RECT ViewEngine::LevelButtonRect(int32_t level) const {
    const int32_t left = groupingMargin + level * levelButtonWidth;
    return RECT{left, levelButtonTop, left + levelButtonWidth, levelButtonTop + levelButtonHeight};
}

RECT ViewEngine::SplitterRect() const {
    const int32_t left = GroupingAreaWidth(true);
    return RECT{left, 0, left + splitterWidth, headerHeight};
}

RECT ViewEngine::ColumnHeaderRect(int32_t position, int32_t& x) {
    RECT rect{x, 0, x + ColumnExtent(position, true), headerHeight};
    x = rect.right;
    return rect;
}

bool ViewEngine::RowRect(int32_t visibleIndex, RECT* rect) const {
    if (visibleIndex < 0 || topRow + visibleIndex >= DisplayedRows())
        return false;
    const int32_t top = headerHeight + visibleIndex * rowHeight;
    *rect = RECT{0, top, clientWidth, top + rowHeight};
    return true;
}

void ViewEngine::UpdatePageRows() {
    int32_t room = clientHeight - headerHeight;
    if (room < 0)
        room = 0;
    pageRows = room / rowHeight;
}

void ViewEngine::InvalidateHeader(bool update) {
    if (!hwnd)
        return;
    RECT header{0, 0, clientWidth, headerHeight};
    InvalidateRect(hwnd, &header, FALSE);
    if (update)
        UpdateWindow(hwnd);
}

void ViewEngine::InvalidateRow(int32_t visibleIndex, bool update) {
    RECT rect;
    if (!hwnd || !RowRect(visibleIndex, &rect))
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
    ReleaseTracking();
    if (position < 0 || position >= store.columnCount || width < 0)
        return;
    store.SetWidthAt(position, width);
    UpdateContentWidth(true);
    if (hwnd) {
        InvalidateAll(false);
        ScrollTo(scrollX, topRow);
    }
}

namespace {
// Width of one line of text as DrawText would draw it.
int32_t MeasureLine(HDC dc, const char* text) {
    if (!text || !*text)
        return 0;
    RECT rect{0, 0, 0, 0};
    DrawTextA(dc, text, -1, &rect, DT_CALCRECT | DT_NOCLIP | singleDataLine);
    return rect.right - rect.left;
}

} // namespace

int32_t ViewEngine::MeasureColumnTexts(int32_t position) {
    OwnedDc dc(CreateDisplayInfoDc());
    if (!dc)
        return 0;
    dc.SelectFont(listFont);
    int32_t widest = MeasureLine(dc.Get(), NarrowText(store.LabelAt(position)).Get());
    const int32_t rows = DisplayedRows();
    for (int32_t row = 0; row < rows; ++row) {
        if (!store.cursor.Seek(row))
            break;
        if (store.cursor.RowGroupLevel() != -1)
            continue;
        const int32_t width = MeasureLine(dc.Get(), store.cursor.CellText(position));
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
    ScrollTo(scrollX, topRow);
    InvalidateHeader(true);
}
