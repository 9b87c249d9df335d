#pragma once

#include <cstdint>

// Pixel metrics of the layout, from the system metrics and the list font at the DPI of the
// control's window. The defaults are the classic metrics at 96 DPI (borders 1, edges 2,
// frame 4, 16-pixel small icons, a 13-pixel font).
struct LayoutMetrics {
    int32_t dpi = 96;
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
    int32_t scrollBarWidth = 16, scrollBarHeight = 16;
    int32_t dragX = 4, dragY = 4; // how far a press moves before it drags

    // Glyphs: their 96-DPI sizes scaled by dpi / 96 to whole pixels. Lines stay one pixel wide
    // until the DPI doubles, so that the box and its strokes, as wide as the line is plus twice
    // their half size, centre on the line.
    int32_t dotSize = 1;                   // side of a dot; the box frame's width
    int32_t lineWidth = 1, lineHeight = 1; // connector lines, plus and minus strokes
    int32_t glyphX = 8, glyphY = 8;        // where the line work crosses in a glyph cell
    int32_t boxHalf = 4, strokeHalf = 2;   // the box and its strokes beyond the line
    int32_t markHalf = 3, markInset = 6;   // sort mark: largest half size, room beside it
    int32_t markerHalf = 1;                // the drop marker, each side of the column edge
    int32_t chevronWidth = 3, chevronHeight = 3, chevronGap = 3; // the more-levels mark
};
