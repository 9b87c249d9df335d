#include "engine/engine_test_support.h"

#include "../../res/resource.h"

#include <cstring>
#include <string>

namespace {

const COLORREF ground = RGB(1, 2, 3); // never drawn by the painters

// A box glyph cell at classic metrics: '.' window colour, 'g' grey frame, 'k' text-coloured
// stroke, 'd' dotted line (grey where x + y is even); 'u' the line above, 'p' the plus's upright
// and 'b' the line below, each present or not.
const char* const boxCell[16] = {
    "........u...........", "........u...........", "........u...........", "........u...........",
    "....ggggggggg.......", "....g.......g.......", "....g...p...g.......", "....g...p...g.......",
    "....g.kkkkk.dddddddd", "....g...p...g.......", "....g...p...g.......", "....g.......g.......",
    "....ggggbgggg.......", "........b...........", "........b...........", "........b...........",
};

// Wine's classic look, a 13-pixel icon-title font: the pictures are drawn for its metrics.
class Classic : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(r.smallIconX == 16 && r.smallIconY == 16 && r.edgeX == 2 && r.edgeY == 2 &&
                    r.borderX == 1 && r.borderY == 1 && r.rowHeight == 16 && !r.highContrast);
    }
    DrawResources r;
};

} // namespace

TEST_F(Classic, MetricsHaveTheClassicValuesAndTheStripIsFull) {
    r.Build(); // a rebuild keeps them
    EXPECT_EQ((std::vector<int>{r.indentWidth, r.headerHeight, r.rowHeight, r.levelButtonWidth,
                                r.levelButtonHeight, r.levelButtonTop, r.groupingMargin,
                                r.splitterWidth, r.textMargin, r.sortMarkMargin, r.minEdgeWidth}),
              (std::vector<int>{20, 17, 16, 20, 14, 1, 18, 6, 6, 18, 2}));
    EXPECT_EQ(ImageList_GetImageCount(r.glyphs), 9);
}

TEST_F(Classic, GlyphCellsMatchTheirPicturesPixelByPixel) {
    const struct {
        const char* parts; // of 'u', 'b' and 'p', those present; none: the plain line cell
        void (*draw)(const DrawResources&, HDC);
    } cases[] = {
        {nullptr, [](const DrawResources& r, HDC dc) { r.DrawLineGlyph(dc, 0, 0); }},
        {"ubp", [](const DrawResources& r, HDC dc) { r.DrawBoxGlyph(dc, 0, 0, false, 1, true); }},
        {"u", [](const DrawResources& r, HDC dc) { r.DrawBoxGlyph(dc, 0, 0, true, 2, false); }},
        // The outermost level ignores the sibling flag: its groups are not joined.
        {"p", [](const DrawResources& r, HDC dc) { r.DrawBoxGlyph(dc, 0, 0, false, 0, true); }},
    };
    const COLORREF window = GetSysColor(COLOR_WINDOW), grey = GetSysColor(COLOR_GRAYTEXT),
                   text = GetSysColor(COLOR_WINDOWTEXT);
    for (const auto& c : cases) {
        const Pixels pixels = Drawn(24, 20, ground, [&](HDC dc) { c.draw(r, dc); });
        std::string want, got; // as pictures: 'g' grey, 'k' text, '.' window, '?' anything else
        for (int y = 0; y < 16; ++y, want += '\n', got += '\n')
            for (int x = 0; x < 20; ++x) {
                char w = c.parts ? boxCell[y][x] : x == 8 ? 'd' : '.';
                if (std::strchr("ubp", w)) // a part: drawn, or what is there without it
                    w = !std::strchr(c.parts, w) ? (y == 12 ? 'g' : '.') : w == 'p' ? 'k' : 'd';
                want += w != 'd' ? w : (x + y) % 2 == 0 ? 'g' : '.';
                const COLORREF at = pixels.At(x, y);
                got += at == grey ? 'g' : at == text ? 'k' : at == window ? '.' : '?';
            }
        EXPECT_EQ(got, want) << (c.parts ? c.parts : "line");
        EXPECT_EQ(pixels.Count(RECT{0, 0, 24, 20}, ground), 24 * 20 - 20 * 16) << "outside";
    }
}

TEST_F(Classic, FoldersAreTheIconsCentredInTheirCells) {
    for (int open = 0; open < 2; ++open) {
        HICON icon = static_cast<HICON>(LoadImageA(
            GetModuleHandleA(nullptr), MAKEINTRESOURCEA(open ? IDI_FOLDER_OPEN : IDI_FOLDER_CLOSED),
            IMAGE_ICON, 16, 16, 0));
        ASSERT_NE(icon, nullptr);
        const Pixels reference = Drawn(20, 16, GetSysColor(COLOR_WINDOW), [&](HDC dc) {
            DrawIconEx(dc, 0, 0, icon, 16, 16, 0, nullptr, DI_NORMAL);
        });
        DestroyIcon(icon);
        EXPECT_EQ(Drawn(20, 16, ground, [&](HDC dc) { r.DrawFolderGlyph(dc, 0, 0, open); }).data,
                  reference.data)
            << "open " << open;
    }
}

TEST_F(Classic, SortMarkSitsTenPixelsLeftOfTheRightEdgeInASixPixelSquare) {
    for (bool ascending : {true, false}) {
        const Pixels p = Drawn(100, 17, ground, [&](HDC dc) {
            r.DrawSortMark(dc, RECT{0, 0, 100, 17}, ascending, false);
        });
        EXPECT_EQ(p.Count(RECT{0, 0, 100, 17}, ground) - p.Count(RECT{87, 5, 93, 11}, ground),
                  100 * 17 - 6 * 6)
            << "the mark stays in (87, 5)-(93, 11)";
        // A wide base and a narrow tip: pointing down when ascending.
        const int base = ascending ? 5 : 10, tip = ascending ? 10 : 5;
        EXPECT_LE(p.Count(RECT{87, base, 93, base + 1}, ground), 1);
        EXPECT_GE(p.Count(RECT{87, tip, 93, tip + 1}, ground), 4);
    }
    auto narrow = [&](HDC dc) { r.DrawSortMark(dc, RECT{10, 0, 16, 17}, true, false); };
    EXPECT_EQ(Drawn(40, 17, ground, narrow).Count(RECT{0, 0, 40, 17}, ground), 40 * 17)
        << "no room";
}
