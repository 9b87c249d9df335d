#include "view_geometry.h"

namespace {
// Rows and tree cells hold whole pairs of the control's dots, which are a pixel each until the
// DPI doubles.
int WholeDotPairs(int value, int dpi) {
    const int pair = 2 * (dpi >= 192 ? dpi / 96 : 1);
    return (value + pair - 1) / pair * pair;
}
} // namespace

HFONT CreateListFont() {
    LOGFONTW logFont = {};
    if (SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof logFont, &logFont, 0))
        return CreateFontIndirectW(&logFont);
    return nullptr;
}

ViewGeometry ViewGeometry::FromSystem() {
    ViewGeometry g;
    const int edgeX = GetSystemMetrics(SM_CXEDGE);
    const int edgeY = GetSystemMetrics(SM_CYEDGE);
    const int frameX = GetSystemMetrics(SM_CXFRAME);
    const int iconY = GetSystemMetrics(SM_CYSMICON);
    HDC dc = GetDC(nullptr);
    const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
    g.indentWidth = WholeDotPairs(GetSystemMetrics(SM_CXSMICON) + 2 * edgeX, dpi);
    g.levelButtonWidth = g.indentWidth;
    g.groupingMargin = g.indentWidth - edgeX;
    g.splitterWidth = frameX + edgeX;
    g.textMargin = frameX + edgeX;

    TEXTMETRICW text = {};
    HFONT font = CreateListFont();
    HGDIOBJ old = SelectObject(dc, font ? font : GetStockObject(DEFAULT_GUI_FONT));
    GetTextMetricsW(dc, &text);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    if (font)
        DeleteObject(font);
    if (text.tmHeight <= 0)
        text.tmHeight = iconY - 3;
    const int line = text.tmHeight + text.tmExternalLeading;
    g.rowHeight = WholeDotPairs(line > iconY ? line : iconY, dpi);
    g.headerHeight = text.tmHeight + 2 * edgeY;
    return g;
}

int ViewGeometry::GroupingAreaWidth(int levels) const {
    return levels > 0 ? levels * levelButtonWidth + 2 * groupingMargin : 0;
}
