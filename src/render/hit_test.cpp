#include "render/layout.h"

// The order of the tests decides between overlapping zones: level buttons before the splitter,
// the splitter before the first column, a column's left zone before its body. Rectangles
// include their left and top edges and exclude their right and bottom ones.

namespace {
bool Inside(const RECT& rect, int32_t x, int32_t y) {
    return x >= rect.left && x < rect.right && y >= rect.top && y < rect.bottom;
}

void Put(int32_t* out, int32_t value) {
    if (out)
        *out = value;
}
} // namespace

HitKind Layout::HitTest(int32_t x, int32_t y, TextMeasurer& measurer, int32_t* index,
                        int32_t* offset) const {
    if (store.columnCount == 0)
        return HitNone;
    if (y < metrics.headerHeight)
        return HitHeaderBand(x, y, index, offset);
    return HitRowBand(x, y, measurer, index);
}

// The resize zone of a column: a zero-width column can only be reached here, and is told apart
// so that the pointer can show that it hides a column.
HitKind Layout::EdgeOf(int32_t position, int32_t* index) const {
    Put(index, position);
    return ColumnExtent(position, true) != 0 ? HitColumnEdge : HitHiddenColumnEdge;
}

HitKind Layout::HitHeaderBand(int32_t x, int32_t y, int32_t* index, int32_t* offset) const {
    const int32_t contentX = x + view.scrollX;
    for (int32_t level = 0; level < store.groupLevelCount; ++level) {
        const RECT button = LevelButtonRect(level);
        if (Inside(button, contentX, y)) {
            Put(index, level);
            Put(offset, contentX - button.left);
            return HitLevelButton;
        }
    }

    const int32_t area = GroupingAreaWidth(true);
    if (contentX >= area - metrics.textMargin && contentX < area + metrics.splitterWidth)
        return HitSplitter;

    int32_t right = ColumnsLeft(true);
    for (int32_t p = 0; p < store.columnCount; ++p) {
        const RECT rect = ColumnHeaderRect(p, right);
        if (!Inside(rect, contentX, y))
            continue;
        const int32_t third = (rect.right - rect.left) / 3;
        const int32_t zone = metrics.textMargin < third ? metrics.textMargin : third;
        if (contentX < rect.left + zone)
            return p == 0 ? HitSplitter : EdgeOf(p - 1, index);
        if (contentX > rect.right - zone)
            return EdgeOf(p, index);
        Put(index, p);
        Put(offset, contentX - rect.left);
        return HitHeader;
    }

    if (contentX >= right && contentX < right + metrics.textMargin)
        return EdgeOf(store.columnCount - 1, index);
    return HitNone;
}

HitKind Layout::HitRowBand(int32_t x, int32_t y, TextMeasurer& measurer, int32_t* index) const {
    int32_t row = -1;
    RECT rect;
    for (int32_t v = 0; v <= view.pageRows; ++v) {
        if (RowRect(v, &rect) && Inside(rect, x, y)) {
            row = view.topRow + v;
            break;
        }
    }
    if (row < 0 || !store.cursor.Seek(row))
        return HitNone;

    const int32_t contentX = x + view.scrollX;
    const int32_t level = store.cursor.RowGroupLevel();
    if (level == -1) {
        if (contentX < ColumnsLeft(true) || contentX > view.contentWidth)
            return HitNone;
        Put(index, row);
        return HitRecord;
    }

    // A group row: ancestors' tree lines, expand glyph, folder and caption, then empty space.
    const int32_t indent = metrics.indentWidth;
    if (contentX < level * indent)
        return HitNone;
    const int32_t captionEnd =
        (level + 2) * indent + metrics.edgeX + measurer.LineWidth(store.cursor.GroupCaption());
    if (contentX > captionEnd)
        return HitNone;
    Put(index, row);
    return contentX < (level + 1) * indent ? HitGroupGlyph : HitGroupCaption;
}
