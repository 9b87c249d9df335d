#include "engine/view_engine.h"

#include "render/gdi_handles.h"
#include "render/text_alignment.h"

// What lies under a point of the window: header items in content x, rows by their window
// rectangles.

HitKind ViewEngine::HitAt(int32_t x, int32_t y, int32_t* index, int32_t* offset) {
    if (store.columnCount == 0)
        return HitNone;
    const int32_t X = x + scrollX;
    auto set = [](int32_t* out, int32_t value) {
        if (out)
            *out = value;
    };
    if (y < headerHeight) {
        for (int32_t i = 0; i < store.groupLevelCount; ++i) {
            const RECT r = LevelButtonRect(i);
            if (X >= r.left && X < r.right && y >= r.top && y < r.bottom) {
                set(index, i);
                set(offset, X - r.left);
                return HitLevelButton;
            }
        }
        const int32_t area = GroupingAreaWidth(true);
        if (X >= area - textMargin && X < area + splitterWidth && y >= 0)
            return HitSplitter;
        int32_t left = ColumnsLeft(true);
        for (int32_t p = 0; p < store.columnCount; ++p) {
            const int32_t right = left + ColumnExtent(p, true);
            if (X >= left && X < right && y >= 0) {
                const int32_t third = (right - left) / 3;
                const int32_t zone = textMargin < third ? textMargin : third;
                if (X < left + zone) {
                    if (p == 0)
                        return HitSplitter;
                    set(index, p - 1);
                    return ColumnExtent(p - 1, true) != 0 ? HitColumnEdge : HitHiddenColumnEdge;
                }
                set(index, p);
                if (X > right - zone)
                    return HitColumnEdge;
                set(offset, X - left);
                return HitHeader;
            }
            left = right;
        }
        if (X >= left && X < left + textMargin && y >= 0) {
            const int32_t last = store.columnCount - 1;
            set(index, last);
            return ColumnExtent(last, true) != 0 ? HitColumnEdge : HitHiddenColumnEdge;
        }
        return HitNone;
    }
    for (int32_t v = 0; v <= pageRows; ++v) {
        RECT r;
        if (!RowRect(v, &r) || x < r.left || x >= r.right || y < r.top || y >= r.bottom)
            continue;
        const int32_t row = topRow + v;
        if (!store.cursor.Seek(row))
            return HitNone;
        const int32_t level = store.cursor.RowGroupLevel();
        if (level == -1) {
            if (X < ColumnsLeft(true) || X > contentWidth)
                return HitNone;
            set(index, row);
            return HitRecord;
        }
        if (X < level * indentWidth)
            return HitNone;
        int32_t caption = 0;
        OwnedDc dc(CreateDisplayInfoDc());
        if (dc) {
            dc.SelectFont(listFont);
            RECT box{0, 0, 0, 0};
            DrawTextA(dc.Get(), store.cursor.GroupCaption(), -1, &box,
                      DT_CALCRECT | DT_NOCLIP | singleDataLine);
            caption = box.right - box.left;
        }
        if (X > (level + 2) * indentWidth + edgeX + caption)
            return HitNone;
        set(index, row);
        return X < (level + 1) * indentWidth ? HitGroupGlyph : HitGroupCaption;
    }
    return HitNone;
}
