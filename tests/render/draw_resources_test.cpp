#include "engine/engine_test_support.h"

#include "../../res/resource.h"

#include <gtest/gtest.h>

namespace {

// Glyph cells at classic metrics (20 x 16). '.' window colour; 'd' a dotted-line pixel, which
// takes the line colour where x + y is even and the window colour elsewhere; 'g' the box
// frame; 'k' a plus or minus stroke.
const char* const lineCell[16] = {
    "........d...........", "........d...........", "........d...........", "........d...........",
    "........d...........", "........d...........", "........d...........", "........d...........",
    "........d...........", "........d...........", "........d...........", "........d...........",
    "........d...........", "........d...........", "........d...........", "........d...........",
};
const char* const plusFullCell[16] = {
    "........d...........", "........d...........", "........d...........", "........d...........",
    "....ggggggggg.......", "....g.......g.......", "....g...k...g.......", "....g...k...g.......",
    "....g.kkkkk.dddddddd", "....g...k...g.......", "....g...k...g.......", "....g.......g.......",
    "....ggggdgggg.......", "........d...........", "........d...........", "........d...........",
};
const char* const minusAboveCell[16] = {
    "........d...........", "........d...........", "........d...........", "........d...........",
    "....ggggggggg.......", "....g.......g.......", "....g.......g.......", "....g.......g.......",
    "....g.kkkkk.dddddddd", "....g.......g.......", "....g.......g.......", "....g.......g.......",
    "....ggggggggg.......", "....................", "....................", "....................",
};
const char* const plusAloneCell[16] = {
    "....................", "....................", "....................", "....................",
    "....ggggggggg.......", "....g.......g.......", "....g...k...g.......", "....g...k...g.......",
    "....g.kkkkk.dddddddd", "....g...k...g.......", "....g...k...g.......", "....g.......g.......",
    "....ggggggggg.......", "....................", "....................", "....................",
};

bool ClassicMetrics(const DrawResources& r) {
    return r.smallIconX == 16 && r.smallIconY == 16 && r.edgeX == 2 && r.edgeY == 2 &&
           r.borderX == 1 && r.borderY == 1 && r.rowHeight == 16 && !r.highContrast;
}

// Draws one glyph on a canvas of another colour and compares every pixel with the map.
void ExpectCell(const char* const (&map)[16], void (*draw)(const DrawResources&, HDC)) {
    DrawResources resources;
    ASSERT_TRUE(ClassicMetrics(resources)) << "the maps are drawn for classic metrics";
    Canvas canvas(24, 20, RGB(1, 2, 3));
    draw(resources, canvas.dc);
    const Pixels pixels = canvas.Read();
    const COLORREF window = GetSysColor(COLOR_WINDOW);
    const COLORREF grey = GetSysColor(COLOR_GRAYTEXT);
    const COLORREF text = GetSysColor(COLOR_WINDOWTEXT);
    int mismatches = 0;
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 20; ++x) {
            COLORREF want = window;
            switch (map[y][x]) {
            case 'd':
                want = (x + y) % 2 == 0 ? grey : window;
                break;
            case 'g':
                want = grey;
                break;
            case 'k':
                want = text;
                break;
            default:
                break;
            }
            if (pixels.At(x, y) != want && ++mismatches < 5)
                ADD_FAILURE() << "pixel (" << x << ", " << y << ") is " << std::hex
                              << pixels.At(x, y) << ", expected " << want;
        }
    }
    EXPECT_EQ(mismatches, 0);
    // Nothing is drawn outside the cell.
    EXPECT_EQ(pixels.Count(RECT{20, 0, 24, 20}, RGB(1, 2, 3)), 4 * 20);
    EXPECT_EQ(pixels.Count(RECT{0, 16, 20, 20}, RGB(1, 2, 3)), 20 * 4);
}

} // namespace

TEST(DrawResourcesMetrics, ClassicSystemGivesTheWorkedExampleValues) {
    DrawResources r;
    TEXTMETRICA text = {};
    HDC info = CreateICA("DISPLAY", nullptr, nullptr, nullptr);
    HGDIOBJ old = SelectObject(info, r.listFont);
    GetTextMetricsA(info, &text);
    SelectObject(info, old);
    DeleteDC(info);
    ASSERT_EQ(text.tmHeight + text.tmExternalLeading, 13) << "icon-title font of a classic system";
    ASSERT_TRUE(ClassicMetrics(r));
    EXPECT_EQ(r.indentWidth, 20);
    EXPECT_EQ(r.headerHeight, 17);
    EXPECT_EQ(r.levelButtonWidth, 20);
    EXPECT_EQ(r.levelButtonHeight, 14);
    EXPECT_EQ(r.groupingMargin, 18);
    EXPECT_EQ(r.levelButtonTop, 1);
    EXPECT_EQ(r.splitterWidth, 6);
    EXPECT_EQ(r.textMargin, 6);
    EXPECT_EQ(r.sortMarkMargin, 18);
    EXPECT_EQ(r.minEdgeWidth, 2);
}

TEST(DrawResourcesMetrics, RebuildKeepsMetricsAndAFullStrip) {
    DrawResources r;
    r.Build();
    ASSERT_NE(r.glyphs, nullptr);
    EXPECT_EQ(r.rowHeight, 16);
    int width = 0, height = 0;
    ASSERT_TRUE(ImageList_GetIconSize(r.glyphs, &width, &height));
    EXPECT_EQ(width, r.indentWidth);
    EXPECT_EQ(height, r.rowHeight);
    EXPECT_EQ(ImageList_GetImageCount(r.glyphs), 9);
    EXPECT_EQ(ImageList_GetBkColor(r.glyphs), GetSysColor(COLOR_WINDOW));
}

TEST(GlyphStrip, VerticalLineIsDottedAtTheCentre) {
    ExpectCell(lineCell, [](const DrawResources& r, HDC dc) { r.DrawLineGlyph(dc, 0, 0); });
}

TEST(GlyphStrip, InnerLevelWithFollowingSiblingHasAllFourLines) {
    ExpectCell(plusFullCell,
               [](const DrawResources& r, HDC dc) { r.DrawBoxGlyph(dc, 0, 0, false, 1, true); });
}

TEST(GlyphStrip, LastSiblingOfAnInnerLevelHasNoLineBelow) {
    ExpectCell(minusAboveCell,
               [](const DrawResources& r, HDC dc) { r.DrawBoxGlyph(dc, 0, 0, true, 2, false); });
}

TEST(GlyphStrip, OutermostLevelHasOnlyTheLineToTheRight) {
    // Level 0 ignores the sibling flag: outermost groups are not joined.
    ExpectCell(plusAloneCell,
               [](const DrawResources& r, HDC dc) { r.DrawBoxGlyph(dc, 0, 0, false, 0, true); });
}

TEST(GlyphStrip, FoldersAreTheIconsCentredInTheirCells) {
    DrawResources r;
    for (int open = 0; open < 2; ++open) {
        Canvas glyph(r.indentWidth, r.rowHeight, RGB(1, 2, 3));
        r.DrawFolderGlyph(glyph.dc, 0, 0, open != 0);
        Canvas reference(r.indentWidth, r.rowHeight, GetSysColor(COLOR_WINDOW));
        HICON icon = static_cast<HICON>(LoadImageA(
            GetModuleHandleA(nullptr), MAKEINTRESOURCEA(open ? IDI_FOLDER_OPEN : IDI_FOLDER_CLOSED),
            IMAGE_ICON, r.smallIconX, r.smallIconY, 0));
        ASSERT_NE(icon, nullptr);
        DrawIconEx(reference.dc, 0, (r.rowHeight - r.smallIconY) / 2, icon, r.smallIconX,
                   r.smallIconY, 0, nullptr, DI_NORMAL);
        DestroyIcon(icon);
        EXPECT_EQ(glyph.Read().data, reference.Read().data) << "open " << open;
        // The two folders differ.
        if (open) {
            Canvas closed(r.indentWidth, r.rowHeight, RGB(1, 2, 3));
            r.DrawFolderGlyph(closed.dc, 0, 0, false);
            EXPECT_NE(glyph.Read().data, closed.Read().data);
        }
    }
}

TEST(ModuleArt, CursorsAreMonochrome32PixelsWithTheirHotSpots) {
    DrawResources r;
    struct Expected {
        HCURSOR cursor;
        DWORD hotX, hotY;
    } const cursors[] = {{r.resizeCursor, 16, 15}, {r.splitCursor, 16, 15}, {r.handCursor, 6, 0}};
    for (const Expected& e : cursors) {
        ASSERT_NE(e.cursor, nullptr);
        ICONINFO info = {};
        ASSERT_TRUE(GetIconInfo(e.cursor, &info));
        EXPECT_FALSE(info.fIcon);
        EXPECT_EQ(info.xHotspot, e.hotX);
        EXPECT_EQ(info.yHotspot, e.hotY);
        BITMAP mask = {};
        GetObjectA(info.hbmMask, sizeof mask, &mask);
        EXPECT_EQ(mask.bmWidth, 32);
        EXPECT_EQ(mask.bmHeight, info.hbmColor ? 32 : 64); // monochrome: AND over XOR
        if (info.hbmColor)
            DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
    }
    EXPECT_NE(r.sizeCursor, nullptr);
}

TEST(ModuleArt, FolderIconsCome16PixelsIn256And16ColoursAndMonochrome) {
    for (int id : {IDI_FOLDER_CLOSED, IDI_FOLDER_OPEN}) {
        HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(14));
        ASSERT_NE(found, nullptr) << id;
        const auto* group = static_cast<const BYTE*>(LockResource(LoadResource(nullptr, found)));
        ASSERT_NE(group, nullptr);
        const WORD count = *reinterpret_cast<const WORD*>(group + 4);
        ASSERT_EQ(count, 3);
        int depths = 0;
        for (int i = 0; i < count; ++i) {
            const BYTE* entry = group + 6 + 14 * i; // packed group directory entries
            EXPECT_EQ(entry[0], 16);
            EXPECT_EQ(entry[1], 16);
            depths |= *reinterpret_cast<const WORD*>(entry + 6);
        }
        EXPECT_EQ(depths, 8 | 4 | 1);
    }
}

TEST(Marks, SortMarkSitsTenPixelsLeftOfTheRightEdgeInASixPixelSquare) {
    DrawResources r;
    ASSERT_TRUE(ClassicMetrics(r));
    const COLORREF ground = RGB(1, 2, 3);
    for (int ascending = 0; ascending < 2; ++ascending) {
        Canvas canvas(100, 17, ground);
        r.DrawSortMark(canvas.dc, RECT{0, 0, 100, 17}, ascending != 0, false);
        const Pixels pixels = canvas.Read();
        const int outside = 100 * 17 - 6 * 6;
        EXPECT_EQ(pixels.Count(RECT{0, 0, 100, 17}, ground) -
                      pixels.Count(RECT{87, 5, 93, 11}, ground),
                  outside)
            << "the mark stays in (87, 5)-(93, 11)";
        // The base: the top row when ascending (pointing down), the bottom row otherwise.
        const int baseRow = ascending ? 5 : 10;
        const int tipRow = ascending ? 10 : 5;
        EXPECT_GE(6 - pixels.Count(RECT{87, baseRow, 93, baseRow + 1}, ground), 5);
        EXPECT_LE(6 - pixels.Count(RECT{87, tipRow, 93, tipRow + 1}, ground), 2);
    }
}

TEST(Marks, SortMarkNeedsRoomToShow) {
    DrawResources r;
    Canvas canvas(40, 17, RGB(1, 2, 3));
    r.DrawSortMark(canvas.dc, RECT{10, 0, 16, 17}, true, false); // b = 6: h = 0
    EXPECT_EQ(canvas.Read().Count(RECT{0, 0, 40, 17}, RGB(1, 2, 3)), 40 * 17);
}

TEST(Marks, PlaceholderIsFaceColourOrAFramedWindowColour) {
    DrawResources r;
    Canvas plain(30, 20, RGB(1, 2, 3));
    r.DrawPlaceholder(plain.dc, RECT{0, 0, 30, 20}, false);
    EXPECT_EQ(plain.Read().Count(RECT{0, 0, 30, 20}, GetSysColor(COLOR_BTNFACE)), 600);

    Canvas framed(30, 20, RGB(1, 2, 3));
    r.DrawPlaceholder(framed.dc, RECT{0, 0, 30, 20}, true);
    const Pixels pixels = framed.Read();
    EXPECT_EQ(pixels.Count(RECT{1, 1, 29, 19}, GetSysColor(COLOR_WINDOW)), 28 * 18);
    EXPECT_EQ(pixels.Count(RECT{0, 0, 30, 1}, GetSysColor(COLOR_WINDOW)), 0);
    EXPECT_EQ(pixels.Count(RECT{0, 0, 30, 20}, RGB(1, 2, 3)), 0);
}
