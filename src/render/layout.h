#pragma once

#include "render/layout_metrics.h"
#include "render/text_measurer.h"
#include "render/track_state.h"
#include "render/view_state.h"
#include "store/record_store.h"

#include <windows.h>

#include <cstdint>

// The pixel geometry of the header strip and the rows, from the metrics, the store's columns
// and levels and the view state. Header items and row contents are in content coordinates
// (content x = window x + scrollX); rows and hit-test points in window coordinates. Live
// values show a column resize or splitter drag in progress. Computes only: no window, no
// drawing, no invalidation.
class Layout {
public:
    Layout(RecordStore& store, const LayoutMetrics& metrics, const ViewState& view)
        : store(store), metrics(metrics), view(view) {}

    int32_t DisplayedRows() const { return store.rowCount - 1; }
    int32_t GroupingAreaWidth(bool live) const;
    // The width with every column grouped.
    int32_t MaxGroupingAreaWidth() const;
    int32_t ColumnsLeft(bool live) const;
    int32_t ColumnExtent(int32_t position, bool live) const;
    // Level buttons that fit the grouping area as shown now.
    int32_t VisibleLevelCount() const;
    // Grouping area, splitter and every column.
    int32_t ContentWidth(bool live) const;
    RECT GroupingAreaRect() const;
    RECT LevelButtonRect(int32_t level) const;
    // Its right edge is where the first column starts.
    RECT SplitterRect() const;
    // The button of a display position starting at x; x moves on to its right edge.
    RECT ColumnHeaderRect(int32_t position, int32_t& x) const;
    // The window rectangle of a visible row; false past the last displayed row.
    bool RowRect(int32_t visibleIndex, RECT* rect) const;
    // Whole rows that fit under the header of the client area.
    int32_t PageRows() const;

    // Which scroll bars the content needs, the room left for it and the positions clamped to
    // that room. The shown flags and bar sizes are those of the window now.
    struct ScrollPlan {
        bool horizontalBar, verticalBar;
        int32_t pageWidth, pageHeight, rowsThatFit;
        int32_t x, y;
    };
    ScrollPlan PlanScroll(int32_t x, int32_t y, bool verticalShown, bool horizontalShown,
                          int32_t barWidth, int32_t barHeight) const;

    // What lies under a window point. index and offset may be null; they are written only
    // for the kinds that have them. Seeks the store's row cursor; measures at most one
    // group caption.
    HitKind HitTest(int32_t x, int32_t y, TextMeasurer& measurer, int32_t* index = nullptr,
                    int32_t* offset = nullptr) const;

private:
    HitKind HitHeaderBand(int32_t x, int32_t y, int32_t* index, int32_t* offset) const;
    HitKind HitRowBand(int32_t x, int32_t y, TextMeasurer& measurer, int32_t* index) const;
    HitKind EdgeOf(int32_t position, int32_t* index) const;

    RecordStore& store; // the hit test moves its row cursor
    const LayoutMetrics& metrics;
    const ViewState& view;
};
