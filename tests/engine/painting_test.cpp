#include "engine/engine_test_support.h"
#include "window_capture.h"

#include "../../res/resource.h"

// What the window shows: placeholder, header, selected rows, and the glyphs at the window's DPI.

namespace {

// Writes pixels as a PNG file, with the demo's writer, so that a person can look at them.
bool SavePng(const Pixels& pixels, const std::string& path) {
    CoInitialize(nullptr);
    return SUCCEEDED(SavePixelsPng(reinterpret_cast<const BYTE*>(pixels.data.data()), pixels.width,
                                   pixels.height, std::wstring(path.begin(), path.end())));
}

const COLORREF face = GetSysColor(COLOR_BTNFACE), window = GetSysColor(COLOR_WINDOW),
               highlight = GetSysColor(COLOR_BTNHIGHLIGHT), dark = GetSysColor(COLOR_3DDKSHADOW),
               selection = GetSysColor(COLOR_HIGHLIGHT), grey = GetSysColor(COLOR_GRAYTEXT),
               text = GetSysColor(COLOR_BTNTEXT);

class Painting : public EngineWindowTest {
protected:
    RECT RowSpan(int visible, int left, int right) const {
        return RECT{left, RowTop(visible), right, RowTop(visible) + engine.rowHeight};
    }
    std::vector<COLORREF> Cell(const Pixels& p, int left, int top) const {
        std::vector<COLORREF> cell;
        for (int y = top; y < top + engine.rowHeight; ++y)
            for (int x = left; x < left + engine.indentWidth; ++x)
                cell.push_back(p.At(x, y));
        return cell;
    }
    static void ExpectAt(const Pixels& p, COLORREF colour, std::initializer_list<POINT> points) {
        for (POINT at : points)
            EXPECT_EQ(p.At(at.x, at.y), colour) << at.x << ", " << at.y;
    }
};

} // namespace

TEST_F(Painting, PlaceholderWithoutColumnsAndTheHeaderWithAndWithoutGrouping) {
    Open(500, 120);
    for (int records : {0, 5}) { // no data, then records without columns
        ASSERT_TRUE(records == 0 || Load(TextTable(records, 0)));
        EXPECT_EQ(Pixels::OfWindow(engine.hwnd).Ink(RECT{0, 0, 500, 120}, face), 0);
    }
    const int w = 150; // room for a label and the sort mark in any font
    for (int column = 0; column < 3; ++column)
        ASSERT_EQ(engine.PutColumnWidth(column, w), S_OK);
    ASSERT_TRUE(Load(TextTable(3, 3)));
    Pixels p = Pixels::OfWindow(engine.hwnd);
    // The splitter, then the buttons with a light left and a dark right edge each.
    const int s = engine.splitterWidth, h = engine.headerHeight, mid = h / 2, ex = engine.edgeX,
              ey = engine.edgeY;
    ExpectAt(p, highlight, {{0, mid}, {s, mid}, {s + w, mid}, {s + 3 * w, mid}});
    ExpectAt(p, dark, {{s - 1, mid}, {s + w - 1, mid}});
    for (int left : {s, s + w, s + 2 * w})
        EXPECT_GT(p.Count(RECT{left + engine.textMargin, ey, left + w / 2, h - ey}, text), 10)
            << "label " << left;
    EXPECT_EQ(p.Count(RECT{ex, ey, s - ex, h - ey}, text), 0) << "no label in the splitter";
    // The sort mark of column 0 at the right end of its button; column 1 has none.
    const RECT mark = SortMarkSquare(engine, RECT{s, 0, s + w, h});
    EXPECT_GE(p.Ink(mark, face), mark.right - mark.left);
    EXPECT_EQ(p.Ink(SortMarkSquare(engine, RECT{s + w, 0, s + 2 * w, h}), face), 0);

    // One level: its button with a mark, the chevron, the splitter after the grouping area.
    ASSERT_TRUE(engine.SetGroupLevelsKeepingRow(1));
    p = Pixels::OfWindow(engine.hwnd);
    const RECT b = LevelButton(0);
    const int g = EdgeX(0) - s, by = (b.top + b.bottom) / 2, bx = (b.left + b.right) / 2;
    ExpectAt(p, highlight, {{b.left, by}, {bx, b.top}, {g, mid}, {g + s, mid}});
    ExpectAt(p, dark, {{b.right - 1, by}, {bx, b.bottom - 1}, {g + s - 1, mid}});
    EXPECT_GT(p.Ink(RECT{b.left + ex, b.top + ey, b.right - ex, b.bottom - ey}, face), 6)
        << "the level's sort mark";
    EXPECT_EQ(p.Ink(RECT{0, 0, b.left - 1, h - ey}, face), 0);
    // The chevron: four strokes of three pixels each way, edgeX left of the area's right end.
    auto chevron = [&](int right) {
        return RECT{right - ex - 7 * engine.borderX, ey, right - ex, ey + 6 * engine.borderY};
    };
    EXPECT_GT(p.Ink(chevron(g), face), 8) << "the chevron";
    // Every column grouped: the area reaches its maximum and the chevron goes.
    ASSERT_TRUE(engine.SetGroupLevelsKeepingRow(3));
    EXPECT_EQ(Pixels::OfWindow(engine.hwnd).Ink(chevron(EdgeX(0) - s), face), 0);
}

TEST_F(Painting, SelectedRecordRowWithAndWithoutFocus) {
    Open(400, 150);
    ASSERT_TRUE(Load(TextTable(5, 3)));
    engine.SelectRow(1);
    const int x0 = EdgeX(0), right = EdgeX(3);
    const int cells = (right - x0) * engine.rowHeight;
    const RECT row = RowSpan(1, x0, right), topEdge{x0, RowTop(1), right, RowTop(1) + 1};

    SetFocus(engine.hwnd);
    Pixels p = Pixels::OfWindow(engine.hwnd);
    EXPECT_GT(p.Count(row, selection), cells * 8 / 10);
    EXPECT_GT(p.Count(row, GetSysColor(COLOR_HIGHLIGHTTEXT)), 20);
    EXPECT_EQ(p.Ink(RowSpan(1, 0, x0), window) + p.Ink(RowSpan(1, right, 400), window), 0);
    EXPECT_GT(p.Ink(topEdge, selection), (right - x0) / 3) << "dotted focus rectangle";
    EXPECT_EQ(p.Count(RowSpan(2, x0, right), selection), 0);
    // A load that no memory holds changes nothing shown and reports nothing.
    const size_t reports = engine.reported.size();
    EXPECT_FALSE(Load(UnholdableArray()));
    EXPECT_TRUE(Pixels::OfWindow(engine.hwnd).data == p.data);
    EXPECT_EQ(engine.reported.size(), reports);

    SetFocus(host);
    p = Pixels::OfWindow(engine.hwnd);
    EXPECT_EQ(p.Count(row, selection), 0);
    EXPECT_GT(p.Count(row, face), cells * 8 / 10);
    EXPECT_GT(p.Count(row, text), 20);
    EXPECT_EQ(p.Ink(topEdge, face), 0) << "no focus rectangle";
}

// A cell of other scripts shows what the wide text call draws of it in the list's font.
TEST_F(Painting, CellTextsOfEveryScriptReachTheScreenWhole) {
    Open(400, 120);
    const wchar_t* shown = L"\u4e2d\u6587 \u0416\u0438\u0437\u043d\u044c \u05e2\u05d1 \U0001F600";
    ASSERT_TRUE(Load(TableOf({{L"a"}, {shown}}))); // the second row is not selected
    ASSERT_EQ(engine.PutColumnWidth(0, 300), S_OK);
    const RECT cell{EdgeX(0) + engine.textMargin, RowTop(1), EdgeX(1) - engine.textMargin,
                    RowTop(2)};
    const int width = cell.right - cell.left, height = cell.bottom - cell.top;
    const Pixels expected = Drawn(width, height, window, [&](HDC dc) {
        SelectObject(dc, engine.listFont);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        RECT r{0, 0, width, height};
        DrawTextW(dc, shown, -1, &r,
                  DT_LEFT | DT_END_ELLIPSIS | DT_SINGLELINE | DT_NOPREFIX | DT_VCENTER);
    });
    ASSERT_GT(expected.Ink(RECT{0, 0, width, height}, window), 0);
    const Pixels p = Pixels::OfWindow(engine.hwnd);
    int differing = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            differing += p.At(cell.left + x, cell.top + y) != expected.At(x, y);
    EXPECT_EQ(differing, 0);
}

TEST_F(Painting, SelectedGroupRowShowsTheOpenFolderAndFramesItsCaption) {
    Open(400, 150);
    ASSERT_TRUE(Load(TableOf({{L"alpha", L"1"}, {L"beta", L"2"}, {L"beta", L"3"}})));
    ASSERT_TRUE(engine.SetGroupLevelsKeepingRow(1));
    ASSERT_TRUE(engine.ExpandRow(1)); // beta, unselected but open
    engine.SelectRow(0);              // alpha, collapsed
    const Pixels p = Pixels::OfWindow(engine.hwnd);
    // The folders as the platform draws their icons, centred; the open one marks the selection.
    const int w = engine.indentWidth, captionLeft = 2 * w, frameX = captionLeft - engine.edgeX;
    const int x = engine.smallIconX, y = engine.smallIconY;
    const Pixels glyphs = Drawn(3 * w, engine.rowHeight, window, [&](HDC dc) {
        for (int id : {IDI_FOLDER_OPEN, IDI_FOLDER_CLOSED}) {
            auto icon = static_cast<HICON>(
                LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), IMAGE_ICON, x, y, 0));
            DrawIconEx(dc, id == IDI_FOLDER_OPEN ? 0 : w, (engine.rowHeight - y) / 2, icon, x, y, 0,
                       nullptr, DI_NORMAL);
            DestroyIcon(icon);
        }
        engine.DrawBoxGlyph(dc, 2 * w, 0, false, 0, true);
    });
    EXPECT_TRUE(Cell(p, w, RowTop(0)) == Cell(glyphs, 0, 0)) << "open folder";
    EXPECT_TRUE(Cell(p, w, RowTop(1)) == Cell(glyphs, w, 0)) << "closed folder";
    // No selection fill on a group row; the caption, then the grey count after it.
    EXPECT_EQ(p.Count(RowSpan(0, 0, 400), selection), 0);
    EXPECT_GT(p.Ink(RowSpan(0, captionLeft, captionLeft + 40), window), 10);
    EXPECT_GT(p.Count(RowSpan(0, captionLeft + 30, 200), grey), 4);
    // With the focus, a focus rectangle starts edgeX left of the caption, and only there.
    const RECT frameEdge{frameX, RowTop(0), frameX + 1, RowTop(1)};
    EXPECT_EQ(p.Ink(frameEdge, window), 0);
    SetFocus(engine.hwnd);
    const Pixels focused = Pixels::OfWindow(engine.hwnd);
    EXPECT_GT(focused.Ink(frameEdge, window), 0);
    EXPECT_TRUE(Cell(focused, 0, RowTop(0)) == Cell(glyphs, 2 * w, 0)) << "plus box";
    // The caption is hit up to its drawn end, measured with the list font.
    const int end = captionLeft + engine.edgeX + TextWidth(engine.listFont, "alpha");
    EXPECT_EQ(engine.HitTest(end, RowTop(0) + 2), HitGroupCaption);
    EXPECT_EQ(engine.HitTest(end + 1, RowTop(0) + 2), HitNone);
}

// At the window's DPI (pictured in dpi_<dpi>.png) the glyphs are 96 DPI's scaled.
TEST_F(Painting, ScaledGlyphsInTheGroupedScrolledView) {
    const int dpi = engine.dpi;
    Open(MulDiv(420, dpi, 96), MulDiv(160, dpi, 96));
    int column = 0;
    for (const wchar_t* label : {L"Region", L"City", L"Customer", L"Orders"})
        ASSERT_EQ(engine.PutColumnLabel(column++, label), S_OK);
    ASSERT_EQ(engine.PutColumnAlign(3, 2), S_OK);
    ASSERT_EQ(engine.PutColumnWidth(3, MulDiv(60, dpi, 96)), S_OK);
    ASSERT_TRUE(Load(TableOf({{L"North", L"Oslo", L"Berg & Sons", L"12"},
                              {L"North", L"Oslo", L"Fjord Ltd", L"7"},
                              {L"North", L"Bergen", L"Harbour Co", L"3"},
                              {L"South", L"Rome", L"Via Nova", L"21"},
                              {L"South", L"Rome", L"Colosseo Srl", L"5"},
                              {L"South", L"Naples", L"Vesuvio SpA", L"9"}})));
    ASSERT_TRUE(engine.SetGroupLevelsKeepingRow(2));
    ExpandAll(engine);
    engine.SelectRow(8); // Vesuvio SpA, under Naples
    SetFocus(engine.hwnd);
    engine.ScrollTo(0, 3);
    const Pixels p = Pixels::OfWindow(engine.hwnd);
    EXPECT_TRUE(SavePng(p, "dpi_" + std::to_string(dpi) + ".png"));

    // Within a pixel of 96 DPI's, scaled; lines a dot wide, so that box, strokes and line align.
    DrawResources base;
    base.Build(96);
    auto scaled = [dpi](LONG size, LONG at96) { return std::abs(size * 96 - at96 * dpi) < dpi; };
    const int box = 2 * engine.boxHalf + engine.dotSize;
    EXPECT_TRUE(scaled(box, 2 * base.boxHalf + base.dotSize));
    EXPECT_TRUE(scaled(2 * engine.strokeHalf + engine.dotSize, 2 * base.strokeHalf + base.dotSize));
    EXPECT_EQ(std::make_tuple(engine.lineWidth, engine.lineHeight, engine.dotSize),
              std::make_tuple(base.lineWidth * dpi / 96, engine.lineWidth, engine.lineWidth));
    EXPECT_TRUE(engine.glyphY >= engine.boxHalf &&
                engine.glyphY - engine.boxHalf + box <= engine.rowHeight);
    // A group's line runs on through its records when a sibling group follows it: Rome follows
    // Naples, nothing Oslo. Shown: Oslo, Berg, Fjord, South, Naples, Vesuvio, ...
    ASSERT_GE(See().page, 6);
    const int lineX = engine.indentWidth + engine.glyphX;
    for (const auto& [v, sibling] : {std::pair{1, false}, {2, false}, {5, true}})
        EXPECT_EQ(p.Count(RECT{lineX, RowTop(v), lineX + 1, RowTop(v) + 4}, grey) > 0, sibling)
            << v;
}

TEST_F(Painting, PressedButtonShiftsItsLabelAndDragMarksTheDropEdge) {
    Open(400, 120);
    ASSERT_TRUE(Load(TextTable(3, 3)));
    const int s = engine.splitterWidth, h = engine.headerHeight, ey = engine.edgeY;
    const Pixels normal = Pixels::OfWindow(engine.hwnd);
    Down(s + 150);
    const Pixels pressed = Pixels::OfWindow(engine.hwnd);
    RightClick(s + 150); // abandoned
    // Button 1: flat edge, label one pixel right and down.
    const int left = s + 100 + engine.textMargin, right = s + 200 - engine.textMargin - 1;
    EXPECT_EQ(normal.At(s + 100, h / 2), highlight);
    EXPECT_NE(pressed.At(s + 100, h / 2), highlight);
    int shifted = 0;
    for (int y = ey; y < h - ey - 1; ++y)
        for (int x = left; x < right; ++x)
            shifted += pressed.At(x + 1, y + 1) == normal.At(x, y);
    EXPECT_EQ(shifted, (right - left) * (h - 2 * ey - 1));

    LOGBRUSH mark{};
    GetObjectA(engine.markBrush, sizeof mark, &mark);
    Down(s + 50);
    for (int drop : {3, 1}) {          // right of the last column; between 0 and 1
        Move(s + 100 * drop + 3, 100); // the drag image follows, below the header
        const Pixels p = Pixels::OfWindow(engine.hwnd);
        const int edge = s + 100 * drop;
        EXPECT_EQ(p.Count(RECT{edge - 1, 0, edge + 1, h}, mark.lbColor), 2 * h) << drop;
        EXPECT_EQ(p.Count(RECT{edge + 1, 0, edge + 3, h}, mark.lbColor), 0) << drop;
        EXPECT_NE(p.At(s, h / 2), highlight) << "the dragged button stays pressed";
    }
}
