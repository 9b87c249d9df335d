#pragma once

#include <cstdint>

// Pixel metrics of the layout, from the system metrics and the list font. The defaults are
// the classic metrics (borders 1, edges 2, frame 4, 16-pixel small icons, a 13-pixel font).
struct LayoutMetrics {
    int32_t highContrast = 0;
    int32_t borderX = 1, borderY = 1;
    int32_t edgeX = 2, edgeY = 2;
    int32_t smallIconX = 16, smallIconY = 16;
    int32_t rowHeight = 16;
    int32_t indentWidth = 20;
    int32_t headerHeight = 17;
    int32_t levelButtonWidth = 20;
    int32_t levelButtonHeight = 14;
    int32_t groupingMargin = 18;
    int32_t levelButtonTop = 1;
    int32_t splitterWidth = 6;
    int32_t textMargin = 6;
    int32_t sortMarkMargin = 18;
    int32_t minEdgeWidth = 2;
};
