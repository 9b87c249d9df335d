#include "render/layout.h"

int32_t Layout::GroupingAreaWidth(bool live) const {
    if (live && view.trackMode == TrackSplitterDrag)
        return view.liveSize;
    if (store.groupLevelCount == 0)
        return 0;
    return store.groupLevelCount * metrics.levelButtonWidth + 2 * metrics.groupingMargin;
}

int32_t Layout::MaxGroupingAreaWidth() const {
    if (store.columnCount == 0)
        return 0;
    return store.columnCount * metrics.levelButtonWidth + 2 * metrics.groupingMargin;
}

int32_t Layout::ColumnsLeft(bool live) const {
    return GroupingAreaWidth(live) + metrics.splitterWidth;
}

int32_t Layout::ColumnExtent(int32_t position, bool live) const {
    if (position < 0 || position >= store.columnCount)
        return 0;
    if (live && view.trackMode == TrackResize && position == view.pressIndex)
        return view.liveSize;
    return store.WidthAt(position);
}

int32_t Layout::VisibleLevelCount() const {
    int32_t room = GroupingAreaWidth(true) - 2 * metrics.groupingMargin;
    if (room < 0)
        room = 0;
    return metrics.levelButtonWidth > 0 ? room / metrics.levelButtonWidth : 0;
}

int32_t Layout::ContentWidth(bool live) const {
    // Widths up to 2^31 - 1 each: the sum stops at the largest width there is.
    int64_t width = ColumnsLeft(live);
    for (int32_t p = 0; p < store.columnCount && width < INT32_MAX; ++p)
        width += ColumnExtent(p, live);
    return width < INT32_MAX ? static_cast<int32_t>(width) : INT32_MAX;
}

RECT Layout::GroupingAreaRect() const {
    return RECT{0, 0, GroupingAreaWidth(true), metrics.headerHeight};
}

RECT Layout::LevelButtonRect(int32_t level) const {
    const int32_t left = metrics.groupingMargin + level * metrics.levelButtonWidth;
    return RECT{left, metrics.levelButtonTop, left + metrics.levelButtonWidth,
                metrics.levelButtonTop + metrics.levelButtonHeight};
}

RECT Layout::SplitterRect() const {
    const int32_t left = GroupingAreaWidth(true);
    return RECT{left, 0, left + metrics.splitterWidth, metrics.headerHeight};
}

RECT Layout::ColumnHeaderRect(int32_t position, int32_t& x) const {
    RECT rect{x, 0, x + ColumnExtent(position, true), metrics.headerHeight};
    x = rect.right;
    return rect;
}

bool Layout::RowRect(int32_t visibleIndex, RECT* rect) const {
    if (visibleIndex < 0 || view.topRow + visibleIndex >= DisplayedRows())
        return false;
    const int32_t top = metrics.headerHeight + visibleIndex * metrics.rowHeight;
    *rect = RECT{0, top, view.clientWidth, top + metrics.rowHeight};
    return true;
}

int32_t Layout::PageRows() const {
    const int32_t room = view.clientHeight - metrics.headerHeight;
    return room > 0 ? room / metrics.rowHeight : 0;
}

namespace {
int32_t ClampPosition(int32_t target, int32_t maximum) {
    const int32_t limited = target < maximum ? target : maximum;
    return limited < 0 ? 0 : limited;
}
} // namespace

Layout::ScrollPlan Layout::PlanScroll(int32_t x, int32_t y, bool verticalShown,
                                      bool horizontalShown, int32_t barWidth,
                                      int32_t barHeight) const {
    // The room the content would have without any bar.
    const int32_t w0 = view.clientWidth + (verticalShown ? barWidth : 0);
    const int32_t h0 = view.clientHeight - metrics.headerHeight + (horizontalShown ? barHeight : 0);
    const int32_t rows = DisplayedRows();
    const int32_t needW = view.contentWidth;
    const int32_t needH = rows * metrics.rowHeight;

    ScrollPlan plan{};
    if (w0 >= needW && h0 >= needH) {
        plan.pageWidth = w0;
        plan.pageHeight = h0;
    } else if (w0 - barWidth < needW && h0 - barHeight < needH) {
        plan.pageWidth = w0 - barWidth;
        plan.pageHeight = h0 - barHeight;
    } else {
        plan.pageHeight = w0 < needW ? h0 - barHeight : h0;
        plan.pageWidth = plan.pageHeight < needH ? w0 - barWidth : w0;
    }
    plan.horizontalBar = plan.pageWidth < needW;
    plan.verticalBar = plan.pageHeight < needH;
    plan.rowsThatFit = plan.pageHeight > 0 ? plan.pageHeight / metrics.rowHeight : 0;
    // Without room for a whole row or a pixel, the last one still stands at the edge, not past it.
    plan.x = ClampPosition(x, view.contentWidth - (plan.pageWidth > 0 ? plan.pageWidth : 1));
    plan.y = ClampPosition(y, rows - (plan.rowsThatFit > 0 ? plan.rowsThatFit : 1));
    return plan;
}
