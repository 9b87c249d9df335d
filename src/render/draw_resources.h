#pragma once

#include "render/dpi_metrics.h"
#include "render/layout_metrics.h"

#include <windows.h>
#include <commctrl.h>

#include <cstdint>

// The graphics objects and pixel metrics the control draws and hit-tests with. Built at
// construction for the system DPI, rebuilt whole when the window's DPI, the system colours or
// the metrics change.
class DrawResources : public LayoutMetrics {
public:
    DrawResources();
    ~DrawResources();
    DrawResources(const DrawResources&) = delete;
    DrawResources& operator=(const DrawResources&) = delete;

    // Metrics, font, brush and glyph strip, from the current system settings at a DPI.
    void Build(int32_t forDpi);
    void Build() { Build(dpi); }

    void DrawBoxGlyph(HDC dc, int x, int y, bool expanded, int level, bool hasNextSibling) const;
    void DrawLineGlyph(HDC dc, int x, int y) const;
    void DrawFolderGlyph(HDC dc, int x, int y, bool open) const;
    // The sort triangle at the right end of textRect.
    void DrawSortMark(HDC dc, const RECT& textRect, bool ascending, bool mono) const;
    // The double chevron near the top right corner of the grouping area.
    void DrawMoreLevelsMark(HDC dc, const RECT& area) const;
    // The look with nothing to show: face colour, or a flat frame on window colour.
    void DrawPlaceholder(HDC dc, const RECT& bounds, bool framed) const;

    // Glyph strip cells.
    enum GlyphCell {
        GlyphClosedFolder = 0,
        GlyphOpenFolder = 1,
        GlyphLine = 2,
        GlyphBoxPlusFull = 3,
        GlyphBoxPlusAbove = 5,
        GlyphBoxPlusAlone = 7,
        GlyphCellCount = 9
    };

    HFONT listFont = nullptr;
    HBRUSH markBrush = nullptr;
    HCURSOR sizeCursor = nullptr;
    HCURSOR resizeCursor = nullptr;
    HCURSOR splitCursor = nullptr;
    HCURSOR handCursor = nullptr;
    HIMAGELIST glyphs = nullptr;

private:
    // The strip's pixels stay selected in a memory context: the cells are copied from there,
    // since an image-list draw costs Wine about a millisecond a cell.
    HDC glyphDc = nullptr;
    HBITMAP glyphBitmap = nullptr;
    HGDIOBJ glyphDcOldBitmap = nullptr;
    void ReleaseGlyphCopy();
    void DrawCell(HDC dc, int x, int y, int cell) const;

    void ReadHighContrast();
    static void ReadSystemMetrics(LayoutMetrics& m, const DpiMetrics& at);
    // The metrics that follow the font, measured on an information context of the display.
    static void ComputeTextMetrics(LayoutMetrics& m, HDC info, HFONT font);
    void ScaleGlyphs(const DpiMetrics& at, HDC info);
    void CreateListFont(const DpiMetrics& at);
    void CreateMarkBrush();
    void ReleaseFontAndBrush();
    void BuildGlyphStrip();
    void DrawGlyphCells(HDC dc) const;
    void DrawFolderCell(HDC dc, int cell, int iconId) const;

    bool ownsListFont = false;
    bool ownsMarkBrush = false;
};
