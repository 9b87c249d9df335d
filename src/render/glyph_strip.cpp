#include "draw_resources.h"

#include "gdi_handles.h"
#include "store/module_instance.h"

#include "../../res/resource.h"

// The strip of tree glyphs: two folders, the connector line and six expand boxes, each cell
// indentWidth x rowHeight on the window colour. Dotted lines take the line colour where
// x + y is even, counted in the strip; all cell sizes are even, so every cell and every row
// shares that phase.

namespace {
int32_t EvenDown(int32_t value) {
    return value - (value & 1);
}

// 16 x 8 monochrome pattern of alternate pixels.
HBITMAP CreateDotPattern() {
    static const WORD rows[8] = {0x5555, 0xAAAA, 0x5555, 0xAAAA, 0x5555, 0xAAAA, 0x5555, 0xAAAA};
    return CreateBitmap(16, 8, 1, 1, rows);
}

void FillSolid(HDC dc, int left, int top, int right, int bottom, HBRUSH brush) {
    RECT rect{left, top, right, bottom};
    FrameRect(dc, &rect, brush);
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
    const int32_t w = indentWidth;
    const int32_t h = rowHeight;
    const int32_t cx = EvenDown(smallIconX / 2);
    const int32_t cy = EvenDown(smallIconY / 2);
    const int32_t r = EvenDown((4 * h) / 16);
    const int32_t m = EvenDown((2 * h) / 16);
    const COLORREF lineColour = GetSysColor(highContrast ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT);
    HBRUSH frameBrush = GetSysColorBrush(highContrast ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT);
    HBRUSH strokeBrush = GetSysColorBrush(COLOR_WINDOWTEXT);

    SetTextColor(dc, lineColour);
    SetBkColor(dc, GetSysColor(COLOR_WINDOW));
    SetBrushOrgEx(dc, 0, 0, nullptr);

    // Vertical line.
    PatBlt(dc, GlyphLine * w + cx, 0, borderX, h, PATCOPY);
    // Boxes with their line to the right.
    for (int cell = GlyphBoxPlusFull; cell < GlyphCellCount; ++cell) {
        const int32_t x = cell * w;
        FillSolid(dc, x + cx - r, cy - r, x + cx + r + 1, cy + r + 1, frameBrush);
        PatBlt(dc, x + cx + r, cy, w - r - cx, borderY, PATCOPY);
    }
    // Lines above (cells 3 to 6) and below (cells 3 and 4).
    for (int cell = GlyphBoxPlusFull; cell < GlyphBoxPlusAlone; ++cell)
        PatBlt(dc, cell * w + cx, 0, borderX, h - r - cy, PATCOPY);
    for (int cell = GlyphBoxPlusFull; cell < GlyphBoxPlusAbove; ++cell)
        PatBlt(dc, cell * w + cx, cy + r, borderX, h - r - cy, PATCOPY);
    // Minus strokes on every box, plus strokes on the collapsed ones (3, 5, 7).
    for (int cell = GlyphBoxPlusFull; cell < GlyphCellCount; ++cell) {
        const int32_t x = cell * w;
        FillSolid(dc, x + cx - m, cy, x + cx + m + 1, cy + borderY, strokeBrush);
    }
    for (int cell = GlyphBoxPlusFull; cell < GlyphCellCount; cell += 2) {
        const int32_t x = cell * w;
        FillSolid(dc, x + cx, cy - m, x + cx + borderX, cy + m + 1, strokeBrush);
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
    GdiObject pattern(CreateDotPattern());
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
