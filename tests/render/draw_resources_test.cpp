#include "engine/engine_test_support.h"

#include "render/stroke_contrast.h"

#include <cstring>
#include <string>

namespace {

const COLORREF ground = RGB(1, 2, 3); // never drawn by the painters

// A glyph cell from its geometry ('.' window, 'g' line, 'k' text colour); parts of a box cell:
// 'u' line above, 'b' below, 'p' the plus's upright; null: the plain vertical line.
std::string CellPicture(const DrawResources& r, const char* parts) {
    const int w = r.indentWidth, h = r.rowHeight, cx = r.glyphX, cy = r.glyphY, half = r.boxHalf,
              m = r.strokeHalf, dot = r.dotSize, bx = r.lineWidth, by = r.lineHeight;
    const char line = r.highContrast ? 'k' : 'g';
    auto has = [&](char part) { return parts && std::strchr(parts, part); };
    std::string picture;
    for (int y = 0; y < h; ++y, picture += '\n')
        for (int x = 0; x < w; ++x) {
            auto in = [&](int left, int top, int right, int bottom) {
                return x >= left && x < right && y >= top && y < bottom;
            };
            const char dotted = (x / dot + y / dot) % 2 ? '.' : line;
            const bool frame = in(cx - half, cy - half, cx + half + dot, cy + half + dot) &&
                               !in(cx - half + dot, cy - half + dot, cx + half, cy + half);
            char c = !parts ? (in(cx, 0, cx + bx, h) ? dotted : '.') : frame ? line : '.';
            if (parts && !frame &&
                (in(cx + half, cy, w, cy + by) || (has('u') && in(cx, 0, cx + bx, h - half - cy)) ||
                 (has('b') && in(cx, cy + half, cx + bx, h))))
                c = dotted;
            if (parts && (in(cx - m, cy, cx + m + dot, cy + by) ||
                          (has('p') && in(cx, cy - m, cx + bx, cy + m + dot))))
                c = 'k';
            picture += c;
        }
    return picture;
}

struct Resources : testing::Test {
    DrawResources r;
};

} // namespace

// The list is written in the user's icon-title font, also after a rebuild.
TEST_F(Resources, ListFontIsTheIconTitleFontAlsoWhenRebuilt) {
    LOGFONTA iconTitle{}, list{};
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETICONTITLELOGFONT, sizeof iconTitle, &iconTitle, 0));
    r.Build();
    ASSERT_EQ(GetObjectA(r.listFont, sizeof list, &list), int(sizeof list));
    EXPECT_EQ(std::make_pair(std::string(list.lfFaceName), list.lfHeight),
              std::make_pair(std::string(iconTitle.lfFaceName), iconTitle.lfHeight));
}

TEST_F(Resources, GlyphCellsMatchTheirPicturesPixelByPixel) {
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
    const COLORREF window = GetSysColor(COLOR_WINDOW), text = GetSysColor(COLOR_WINDOWTEXT),
                   line = GetSysColor(r.highContrast ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT);
    const int w = r.indentWidth, h = r.rowHeight;
    for (const auto& c : cases) {
        const Pixels pixels = Drawn(w + 4, h + 4, ground, [&](HDC dc) { c.draw(r, dc); });
        std::string got; // 'k' text, 'g' line, '.' window, '?' anything else
        for (int y = 0; y < h; ++y, got += '\n')
            for (int x = 0; x < w; ++x) {
                const COLORREF at = pixels.At(x, y);
                got += at == text ? 'k' : at == line ? 'g' : at == window ? '.' : '?';
            }
        EXPECT_EQ(got, CellPicture(r, c.parts)) << (c.parts ? c.parts : "line");
        EXPECT_EQ(pixels.Ink(RECT{0, 0, w + 4, h + 4}, ground), w * h) << "outside";
    }
}

// A triangle in its square, pointing down when ascending, whose every stroke shows on the
// header face: the lit strokes take another colour where the highlight is as light as the face
// (classic colours, a near-white face, a dark one, and the platform's).
TEST_F(Resources, SortMarkIsATriangleInItsSquareStandingOutFromTheFace) {
    const struct {
        COLORREF face, highlight, darkShadow, text;
        bool keepsHighlight;
    } schemes[] = {
        {RGB(192, 192, 192), RGB(255, 255, 255), RGB(0, 0, 0), RGB(0, 0, 0), true},
        {RGB(240, 240, 240), RGB(255, 255, 255), RGB(105, 105, 105), RGB(0, 0, 0), false},
        {RGB(0, 0, 0), RGB(30, 30, 30), RGB(10, 10, 10), RGB(20, 20, 20), false},
    };
    for (const auto& s : schemes) {
        const COLORREF stroke = VisibleStroke(s.highlight, s.face, {s.darkShadow, s.text});
        EXPECT_GE(ContrastRatio(stroke, s.face), visibleStrokeContrast) << std::hex << s.face;
        EXPECT_EQ(stroke == s.highlight, s.keepsHighlight) << std::hex << s.face;
    }
    const int height = r.headerHeight;
    const RECT all{0, 0, 100, height}, square = SortMarkSquare(r, all);
    const int side = square.right - square.left;
    ASSERT_GE(side, 4);
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    for (bool ascending : {true, false}) {
        auto mark = [&](HDC dc) { r.DrawSortMark(dc, all, ascending, false); };
        const Pixels p = Drawn(100, height, ground, mark), onFace = Drawn(100, height, face, mark);
        EXPECT_EQ(p.Ink(all, ground), p.Ink(square, ground)) << "the mark stays in its square";
        EXPECT_EQ(onFace.Ink(all, face), p.Ink(all, ground)) << "every stroke shows on the face";
        const int base = ascending ? square.top : square.bottom - 1; // wide, and the tip narrow
        const int tip = ascending ? square.bottom - 1 : square.top;
        EXPECT_LE(p.Count(RECT{square.left, base, square.right, base + 1}, ground), 1);
        EXPECT_GE(p.Count(RECT{square.left, tip, square.right, tip + 1}, ground), side - 2);
        for (uint32_t v : onFace.data) {
            const COLORREF colour = RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
            EXPECT_TRUE(colour == face || ContrastRatio(colour, face) >= visibleStrokeContrast)
                << std::hex << v;
        }
    }
    auto narrow = [&](HDC dc) { r.DrawSortMark(dc, RECT{10, 0, 16, height}, true, false); };
    EXPECT_EQ(Drawn(40, height, ground, narrow).Ink(RECT{0, 0, 40, height}, ground), 0)
        << "no room";
}
