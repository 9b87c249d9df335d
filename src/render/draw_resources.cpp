#include "draw_resources.h"

#include "gdi_handles.h"
#include "store/module_instance.h"

#include "../../res/resource.h"

namespace {
HCURSOR LoadModuleCursor(int id) {
    // Not shared: the object owns the copy and destroys it.
    return static_cast<HCURSOR>(
        LoadImageA(ModuleInstance(), MAKEINTRESOURCEA(id), IMAGE_CURSOR, 0, 0, 0));
}

int32_t MakeEven(int32_t value) {
    return value + (value & 1);
}
} // namespace

DrawResources::DrawResources() {
    InitCommonControls();
    sizeCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_SIZEWE));
    resizeCursor = LoadModuleCursor(IDC_COLUMN_RESIZE);
    splitCursor = LoadModuleCursor(IDC_HIDDEN_COLUMN_RESIZE);
    handCursor = LoadModuleCursor(IDC_GLYPH_HAND);
    Build();
}

DrawResources::~DrawResources() {
    ReleaseFontAndBrush();
    ReleaseGlyphCopy();
    if (glyphs)
        ImageList_Destroy(glyphs);
    // The west-east cursor is the system's shared one and is not ours to destroy.
    const HCURSOR owned[] = {resizeCursor, splitCursor, handCursor};
    for (HCURSOR cursor : owned)
        if (cursor)
            DestroyCursor(cursor);
}

void DrawResources::ReadSystemMetrics() {
    HIGHCONTRASTA contrast = {};
    contrast.cbSize = sizeof contrast;
    highContrast = SystemParametersInfoA(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) &&
                           (contrast.dwFlags & HCF_HIGHCONTRASTON)
                       ? 1
                       : 0;
    borderX = GetSystemMetrics(SM_CXBORDER);
    borderY = GetSystemMetrics(SM_CYBORDER);
    edgeX = GetSystemMetrics(SM_CXEDGE);
    edgeY = GetSystemMetrics(SM_CYEDGE);
    smallIconX = GetSystemMetrics(SM_CXSMICON);
    smallIconY = GetSystemMetrics(SM_CYSMICON);
    const int32_t frameX = GetSystemMetrics(SM_CXFRAME);
    indentWidth = MakeEven(smallIconX + 2 * edgeX);
    levelButtonWidth = indentWidth;
    groupingMargin = indentWidth - edgeX;
    levelButtonTop = borderY;
    splitterWidth = frameX + edgeX;
    textMargin = frameX + edgeX;
    sortMarkMargin = indentWidth - edgeX;
    minEdgeWidth = edgeX;
}

void DrawResources::ComputeTextMetrics(const TEXTMETRICA& text) {
    const int32_t line = text.tmHeight + text.tmExternalLeading;
    rowHeight = MakeEven(line > smallIconY ? line : smallIconY);
    headerHeight = text.tmHeight + 2 * edgeY;
    levelButtonHeight = text.tmHeight + edgeY - borderY;
}

void DrawResources::ReleaseFontAndBrush() {
    if (listFont && ownsListFont)
        DeleteObject(listFont);
    if (markBrush && ownsMarkBrush)
        DeleteObject(markBrush);
    listFont = nullptr;
    markBrush = nullptr;
    ownsListFont = ownsMarkBrush = false;
}

void DrawResources::CreateListFont() {
    LOGFONTA logFont = {};
    if (SystemParametersInfoA(SPI_GETICONTITLELOGFONT, sizeof logFont, &logFont, 0))
        listFont = CreateFontIndirectA(&logFont);
    ownsListFont = listFont != nullptr;
    if (!listFont)
        listFont = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

void DrawResources::CreateMarkBrush() {
    markBrush = GetSysColorBrush(COLOR_HOTLIGHT);
    if (!markBrush) {
        markBrush = CreateSolidBrush(RGB(0, 0, 255));
        ownsMarkBrush = true;
    }
}

void DrawResources::Build() {
    ReadSystemMetrics();
    OwnedDc info(CreateDisplayInfoDc());
    ReleaseFontAndBrush();
    CreateListFont();
    CreateMarkBrush();
    TEXTMETRICA text = {};
    if (info) {
        info.SelectFont(listFont);
        GetTextMetricsA(info.Get(), &text);
    }
    if (text.tmHeight <= 0)
        text.tmHeight = smallIconY - 3; // no display to measure on: a classic 13-pixel font
    ComputeTextMetrics(text);
    BuildGlyphStrip();
}

void DrawResources::DrawSortMark(HDC dc, const RECT& textRect, bool ascending, bool mono) const {
    const int32_t w = textRect.right - textRect.left;
    const int32_t b = indentWidth < w ? indentWidth : w;
    const int32_t byWidth = (b - 3 * edgeX) / 2;
    const int32_t byHeight = (headerHeight - borderY - 5 * edgeY) / 2;
    const int32_t h = byWidth < byHeight ? byWidth : byHeight;
    if (w < 1 || h < 1)
        return;
    const int32_t cx = textRect.right - b / 2;
    const int32_t cy = (textRect.top + textRect.bottom) / 2;
    const UINT monoFlag = (mono || highContrast) ? BF_MONO : 0;
    RECT square{cx - h, cy - h, cx + h, cy + h};
    RECT leftHalf{cx - h, cy - h, cx, cy + h};
    RECT rightHalf{cx, cy - h, cx + h, cy + h};
    if (ascending) {
        DrawEdge(dc, &square, BDR_SUNKENOUTER, BF_TOP | monoFlag);
        DrawEdge(dc, &leftHalf, BDR_SUNKENOUTER, BF_DIAGONAL_ENDTOPLEFT | monoFlag);
        DrawEdge(dc, &rightHalf, BDR_SUNKENOUTER, BF_DIAGONAL_ENDBOTTOMLEFT | monoFlag);
    } else {
        DrawEdge(dc, &square, BDR_SUNKENOUTER, BF_BOTTOM | monoFlag);
        DrawEdge(dc, &leftHalf, BDR_SUNKENOUTER, BF_DIAGONAL_ENDTOPRIGHT | monoFlag);
        DrawEdge(dc, &rightHalf, BDR_SUNKENOUTER, BF_DIAGONAL_ENDBOTTOMRIGHT | monoFlag);
    }
}

void DrawResources::DrawMoreLevelsMark(HDC dc, const RECT& area) const {
    const int32_t a = 3 * borderX;
    const int32_t b = 3 * borderY;
    const int32_t x1 = area.right - edgeX;
    const int32_t top = area.top + edgeY;
    const int32_t mid = top + b;
    const UINT monoFlag = highContrast ? BF_MONO : 0;
    auto chevron = [&](int32_t x, UINT style) {
        RECT upper{x - a, top, x, mid};
        RECT lower{x - a, mid - 1, x, mid + b - 1};
        DrawEdge(dc, &upper, style, BF_DIAGONAL_ENDBOTTOMRIGHT | monoFlag);
        DrawEdge(dc, &lower, style, BF_DIAGONAL_ENDBOTTOMLEFT | monoFlag);
    };
    chevron(x1, BDR_SUNKENOUTER);
    chevron(x1 - borderX, BDR_RAISEDINNER);
    chevron(x1 - 3 * borderX, BDR_SUNKENOUTER);
    chevron(x1 - 4 * borderX, BDR_RAISEDINNER);
}

void DrawResources::DrawPlaceholder(HDC dc, const RECT& bounds, bool framed) const {
    RECT rect = bounds;
    DrawEdge(dc, &rect, EDGE_SUNKEN, framed ? (BF_RECT | BF_MIDDLE | BF_MONO) : BF_MIDDLE);
}
