#include "draw_resources.h"

#include "gdi_handles.h"
#include "store/module_instance.h"

#include "../../res/resource.h"

// The strip of tree glyphs: two folders, the connector line and six expand boxes, each cell
// indentWidth x rowHeight on the window colour. Dotted lines take the line colour where
// x + y, counted in dots from the strip's corner, is even; cells, rows and the line work's
// centre are whole pairs of dots, so every cell and every row shares that phase.

namespace {
// Alternate square dots of the given side: 0 bits (the text colour) where the dot's column
// and row add up to an even number.
HBITMAP CreateDotPattern(int32_t dot) {
    BYTE rows[16][2] = {};
    const int32_t side = 2 * dot;
    for (int32_t y = 0; y < side; ++y)
        for (int32_t x = 0; x < side; ++x)
            if ((x / dot + y / dot) & 1)
                rows[y][x / 8] |= static_cast<BYTE>(0x80 >> (x % 8));
    return CreateBitmap(side, side, 1, 1, rows);
}

void Fill(HDC dc, int left, int top, int right, int bottom, HBRUSH brush) {
    RECT rect{left, top, right, bottom};
    FillRect(dc, &rect, brush);
}

void FrameBox(HDC dc, int left, int top, int right, int bottom, int width, HBRUSH brush) {
    Fill(dc, left, top, right, top + width, brush);
    Fill(dc, left, bottom - width, right, bottom, brush);
    Fill(dc, left, top, left + width, bottom, brush);
    Fill(dc, right - width, top, right, bottom, brush);
}
} // namespace

void DrawResources::DrawFolderCell(HDC dc, int cell, int iconId) const {
    const UINT flags = highContrast ? LR_MONOCHROME : 0;
    HICON icon = static_cast<HICON>(LoadImageA(ModuleInstance(), MAKEINTRESOURCEA(iconId),
                                               IMAGE_ICON, smallIconX, smallIconY, flags));
    if (!icon)
        return;
    DrawIconEx(dc, cell * indentWidth, (rowHeight - smallIconY) / 2, icon, smallIconX, smallIconY,
               0, nullptr, DI_NORMAL);
    DestroyIcon(icon);
}

void DrawResources::DrawGlyphCells(HDC dc) const {
    const int32_t w = indentWidth, h = rowHeight, cx = glyphX, cy = glyphY, r = boxHalf,
                  m = strokeHalf, dot = dotSize;
    const COLORREF lineColour = GetSysColor(highContrast ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT);
    HBRUSH frameBrush = GetSysColorBrush(highContrast ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT);
    HBRUSH strokeBrush = GetSysColorBrush(COLOR_WINDOWTEXT);

    SetTextColor(dc, lineColour);
    SetBkColor(dc, GetSysColor(COLOR_WINDOW));
    SetBrushOrgEx(dc, 0, 0, nullptr);

    // Vertical line; lines above (cells 3 to 6) and below (cells 3 and 4), which the boxes'
    // frames then cover.
    PatBlt(dc, GlyphLine * w + cx, 0, lineWidth, h, PATCOPY);
    for (int cell = GlyphBoxPlusFull; cell < GlyphBoxPlusAlone; ++cell)
        PatBlt(dc, cell * w + cx, 0, lineWidth, h - r - cy, PATCOPY);
    for (int cell = GlyphBoxPlusFull; cell < GlyphBoxPlusAbove; ++cell)
        PatBlt(dc, cell * w + cx, cy + r, lineWidth, h - r - cy, PATCOPY);
    // Boxes with their line to the right; minus strokes on every box, plus strokes on the
    // collapsed ones (3, 5, 7). The box and the strokes centre on the lines.
    for (int cell = GlyphBoxPlusFull; cell < GlyphCellCount; ++cell) {
        const int32_t x = cell * w + cx;
        FrameBox(dc, x - r, cy - r, x + r + dot, cy + r + dot, dot, frameBrush);
        PatBlt(dc, x + r + dot, cy, w - cx - r - dot, lineHeight, PATCOPY);
        Fill(dc, x - m, cy, x + m + dot, cy + lineHeight, strokeBrush);
        if ((cell - GlyphBoxPlusFull) % 2 == 0)
            Fill(dc, x, cy - m, x + lineWidth, cy + m + dot, strokeBrush);
    }
}

void DrawResources::ReleaseGlyphCopy() {
    if (glyphDc) {
        SelectObject(glyphDc, glyphDcOldBitmap);
        DeleteDC(glyphDc);
    }
    if (glyphBitmap)
        DeleteObject(glyphBitmap);
    glyphDc = nullptr;
    glyphBitmap = nullptr;
    glyphDcOldBitmap = nullptr;
}

void DrawResources::BuildGlyphStrip() {
    ReleaseGlyphCopy();
    if (glyphs)
        ImageList_Destroy(glyphs);
    glyphs = ImageList_Create(indentWidth, rowHeight, ILC_COLORDDB, 0, 11);
    if (!glyphs)
        return;
    ImageList_SetBkColor(glyphs, GetSysColor(COLOR_WINDOW));

    OwnedDc info(CreateDisplayInfoDc());
    if (!info)
        return;
    GdiObject strip(CreateCompatibleBitmap(info.Get(), GlyphCellCount * indentWidth, rowHeight));
    GdiObject pattern(CreateDotPattern(dotSize));
    GdiObject patternBrush(pattern.Get() ? CreatePatternBrush(static_cast<HBITMAP>(pattern.Get()))
                                         : nullptr);
    if (!strip.Get() || !patternBrush.Get())
        return;
    {
        OwnedDc memory(CreateCompatibleDC(info.Get()));
        if (!memory)
            return;
        memory.SelectBitmap(strip.Get());
        RECT all{0, 0, GlyphCellCount * indentWidth, rowHeight};
        FillRect(memory.Get(), &all, GetSysColorBrush(COLOR_WINDOW));
        DrawFolderCell(memory.Get(), GlyphClosedFolder, IDI_FOLDER_CLOSED);
        DrawFolderCell(memory.Get(), GlyphOpenFolder, IDI_FOLDER_OPEN);
        memory.SelectBrush(patternBrush.Get());
        DrawGlyphCells(memory.Get());
    } // the strip is deselected before the image list copies it
    ImageList_Add(glyphs, static_cast<HBITMAP>(strip.Get()), nullptr);
    glyphDc = CreateCompatibleDC(info.Get());
    if (glyphDc) {
        glyphBitmap = static_cast<HBITMAP>(strip.Release());
        glyphDcOldBitmap = SelectObject(glyphDc, glyphBitmap);
    }
}

void DrawResources::DrawCell(HDC dc, int x, int y, int cell) const {
    if (glyphDc)
        BitBlt(dc, x, y, indentWidth, rowHeight, glyphDc, cell * indentWidth, 0, SRCCOPY);
    else if (glyphs)
        ImageList_Draw(glyphs, cell, dc, x, y, ILD_NORMAL);
}

void DrawResources::DrawBoxGlyph(HDC dc, int x, int y, bool expanded, int level,
                                 bool hasNextSibling) const {
    int cell =
        level != 0 ? (hasNextSibling ? GlyphBoxPlusFull : GlyphBoxPlusAbove) : GlyphBoxPlusAlone;
    if (expanded)
        ++cell;
    DrawCell(dc, x, y, cell);
}

void DrawResources::DrawLineGlyph(HDC dc, int x, int y) const {
    DrawCell(dc, x, y, GlyphLine);
}

void DrawResources::DrawFolderGlyph(HDC dc, int x, int y, bool open) const {
    DrawCell(dc, x, y, open ? GlyphOpenFolder : GlyphClosedFolder);
}
