#include "draw_resources.h"

#include "gdi_handles.h"
#include "stroke_contrast.h"
#include "store/module_instance.h"

#include "../../res/resource.h"

namespace {
HCURSOR LoadModuleCursor(int id) {
    // Not shared: the object owns the copy and destroys it.
    return static_cast<HCURSOR>(
        LoadImageA(ModuleInstance(), MAKEINTRESOURCEA(id), IMAGE_CURSOR, 0, 0, 0));
}

int32_t RoundUp(int32_t value, int32_t step) {
    return (value + step - 1) / step * step;
}

int32_t EvenDown(int32_t value) {
    return value - (value & 1);
}
} // namespace

DrawResources::DrawResources() {
    InitCommonControls();
    sizeCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_SIZEWE));
    resizeCursor = LoadModuleCursor(IDC_COLUMN_RESIZE);
    splitCursor = LoadModuleCursor(IDC_HIDDEN_COLUMN_RESIZE);
    handCursor = LoadModuleCursor(IDC_GLYPH_HAND);
    Build(DpiMetrics::SystemDpi());
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

void DrawResources::ReadHighContrast() {
    HIGHCONTRASTA contrast = {};
    contrast.cbSize = sizeof contrast;
    highContrast = SystemParametersInfoA(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) &&
                           (contrast.dwFlags & HCF_HIGHCONTRASTON)
                       ? 1
                       : 0;
}

void DrawResources::ReadSystemMetrics(LayoutMetrics& m, const DpiMetrics& at) {
    m.dpi = at.dpi;
    // Dots and lines grow by whole pixels only: at 1.5 times the base DPI a dot of 1.5 pixels
    // would blur or alternate between 1 and 2.
    m.dotSize = m.dpi >= 2 * DpiMetrics::baseDpi ? m.dpi / DpiMetrics::baseDpi : 1;
    if (m.dotSize > 8)
        m.dotSize = 8; // the dot pattern is at most 16 pixels square
    m.borderX = at.Metric(SM_CXBORDER);
    m.borderY = at.Metric(SM_CYBORDER);
    m.edgeX = at.Metric(SM_CXEDGE);
    m.edgeY = at.Metric(SM_CYEDGE);
    m.smallIconX = at.Metric(SM_CXSMICON);
    m.smallIconY = at.Metric(SM_CYSMICON);
    m.scrollBarWidth = at.Metric(SM_CXVSCROLL);
    m.scrollBarHeight = at.Metric(SM_CYHSCROLL);
    m.dragX = at.Metric(SM_CXDRAG);
    m.dragY = at.Metric(SM_CYDRAG);
    const int32_t frameX = at.Metric(SM_CXFRAME);
    // Cells and rows hold whole pairs of dots, so that every cell and row has the same phase.
    m.indentWidth = RoundUp(m.smallIconX + 2 * m.edgeX, 2 * m.dotSize);
    m.levelButtonWidth = m.indentWidth;
    m.groupingMargin = m.indentWidth - m.edgeX;
    m.levelButtonTop = m.borderY;
    m.splitterWidth = frameX + m.edgeX;
    m.textMargin = frameX + m.edgeX;
    m.sortMarkMargin = m.indentWidth - m.edgeX;
    m.minEdgeWidth = m.edgeX;
}

void DrawResources::ComputeTextMetrics(LayoutMetrics& m, HDC info, HFONT font) {
    TEXTMETRICA text = {};
    if (info) {
        const HGDIOBJ old = SelectObject(info, font);
        GetTextMetricsA(info, &text);
        SelectObject(info, old);
    }
    if (text.tmHeight <= 0)
        text.tmHeight = m.smallIconY - 3; // no display to measure on: a classic 13-pixel font
    const int32_t line = text.tmHeight + text.tmExternalLeading;
    m.rowHeight = RoundUp(line > m.smallIconY ? line : m.smallIconY, 2 * m.dotSize);
    m.headerHeight = text.tmHeight + 2 * m.edgeY;
    m.levelButtonHeight = text.tmHeight + m.edgeY - m.borderY;
}

// Each glyph as large as the layout at the base DPI draws it, with the same settings, scaled
// to this DPI.
void DrawResources::ScaleGlyphs(const DpiMetrics& at, HDC info) {
    LayoutMetrics base = *this;
    if (dpi != DpiMetrics::baseDpi) {
        const DpiMetrics atBase(DpiMetrics::baseDpi);
        ReadSystemMetrics(base, atBase);
        LOGFONTW logFont = {};
        GdiObject font(atBase.IconTitleFont(logFont) ? CreateFontIndirectW(&logFont) : nullptr);
        ComputeTextMetrics(base, info, font.Get() ? static_cast<HFONT>(font.Get()) : listFont);
    }
    lineWidth = borderX * dotSize;
    lineHeight = borderY * dotSize;
    glyphX = smallIconX / 2 / (2 * dotSize) * (2 * dotSize);
    glyphY = smallIconY / 2 / (2 * dotSize) * (2 * dotSize);
    boxHalf = at.Scaled(EvenDown(4 * base.rowHeight / 16));
    strokeHalf = at.Scaled(EvenDown(2 * base.rowHeight / 16));
    markHalf = at.Scaled((base.headerHeight - base.borderY - 5 * base.edgeY) / 2);
    markInset = at.Scaled(3 * base.edgeX);
    markerHalf = at.Scaled(base.borderX);
    chevronWidth = at.Scaled(3 * base.borderX);
    chevronHeight = at.Scaled(3 * base.borderY);
    chevronGap = at.Scaled(3 * base.borderX);
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

void DrawResources::CreateListFont(const DpiMetrics& at) {
    LOGFONTW logFont = {};
    if (at.IconTitleFont(logFont))
        listFont = CreateFontIndirectW(&logFont);
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

void DrawResources::Build(int32_t forDpi) {
    const DpiMetrics at(forDpi);
    ReadHighContrast();
    ReadSystemMetrics(*this, at);
    OwnedDc info(CreateDisplayInfoDc());
    ReleaseFontAndBrush();
    CreateListFont(at);
    CreateMarkBrush();
    ComputeTextMetrics(*this, info.Get(), listFont);
    ScaleGlyphs(at, info.Get());
    BuildGlyphStrip();
}

namespace {
// The triangle's three sunken strokes in the square of half size h around (cx, cy).
void DrawSortMarkEdges(HDC dc, int32_t cx, int32_t cy, int32_t h, bool ascending, UINT monoFlag) {
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

// The strokes drawn aside on a ground of neither stroke colour, then copied pixel by pixel with
// the highlight's pixels in the colour given: the same shape, a visible colour.
void DrawSortMarkRecoloured(HDC dc, int32_t cx, int32_t cy, int32_t h, bool ascending,
                            COLORREF highlight, COLORREF stroke) {
    const int32_t side = 2 * h + 1;
    const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
    COLORREF ground = RGB(1, 2, 3);
    while (ground == highlight || ground == shadow)
        ground += RGB(1, 1, 1);
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof info.bmiHeader, side, -side, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    GdiObject bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    OwnedDc memory(CreateCompatibleDC(dc));
    if (!bitmap.Get() || !memory)
        return;
    memory.SelectBitmap(bitmap.Get());
    SetDCBrushColor(memory.Get(), ground);
    const RECT all{0, 0, side, side};
    FillRect(memory.Get(), &all, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    DrawSortMarkEdges(memory.Get(), h, h, h, ascending, 0);
    GdiFlush();
    const auto* pixels = static_cast<const DWORD*>(bits);
    for (int32_t y = 0; y < side; ++y)
        for (int32_t x = 0; x < side; ++x) {
            const DWORD p = pixels[y * side + x];
            const COLORREF colour = RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
            if (colour != ground)
                SetPixelV(dc, cx - h + x, cy - h + y, colour == highlight ? stroke : colour);
        }
}
} // namespace

void DrawResources::DrawSortMark(HDC dc, const RECT& textRect, bool ascending, bool mono) const {
    const int32_t w = textRect.right - textRect.left;
    const int32_t b = indentWidth < w ? indentWidth : w;
    const int32_t byWidth = (b - markInset) / 2;
    const int32_t h = byWidth < markHalf ? byWidth : markHalf;
    if (w < 1 || h < 1)
        return;
    const int32_t cx = textRect.right - b / 2;
    const int32_t cy = (textRect.top + textRect.bottom) / 2;
    if (mono || highContrast) {
        DrawSortMarkEdges(dc, cx, cy, h, ascending, BF_MONO);
        return;
    }
    // The lit strokes vanish where the highlight is as light as the face (white on near-white).
    const COLORREF highlight = GetSysColor(COLOR_BTNHIGHLIGHT);
    const COLORREF stroke =
        VisibleStroke(highlight, GetSysColor(COLOR_BTNFACE),
                      {GetSysColor(COLOR_3DDKSHADOW), GetSysColor(COLOR_BTNTEXT)});
    if (stroke == highlight)
        DrawSortMarkEdges(dc, cx, cy, h, ascending, 0);
    else
        DrawSortMarkRecoloured(dc, cx, cy, h, ascending, highlight, stroke);
}

void DrawResources::DrawMoreLevelsMark(HDC dc, const RECT& area) const {
    const int32_t a = chevronWidth;
    const int32_t b = chevronHeight;
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
    chevron(x1 - chevronGap, BDR_SUNKENOUTER);
    chevron(x1 - chevronGap - borderX, BDR_RAISEDINNER);
}

void DrawResources::DrawPlaceholder(HDC dc, const RECT& bounds, bool framed) const {
    RECT rect = bounds;
    DrawEdge(dc, &rect, EDGE_SUNKEN, framed ? (BF_RECT | BF_MIDDLE | BF_MONO) : BF_MIDDLE);
}
