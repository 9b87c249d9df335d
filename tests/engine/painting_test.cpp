#include "engine/engine_test_support.h"

// What the window shows, read back from it: the placeholder, the header strip with and without
// grouping, record and group rows in their selected looks, and a picture for people to check.

namespace {

class Painting : public EngineWindowTest {
protected:
    int RowTop(int visible) const { return engine.headerHeight + visible * engine.rowHeight; }
    RECT RowSpan(int visible, int left, int right) const {
        return RECT{left, RowTop(visible), right, RowTop(visible) + engine.rowHeight};
    }
    // One glyph cell as the resources draw it, for comparing with the window.
    std::vector<COLORREF> Glyph(void (*draw)(const DrawResources&, HDC)) {
        Canvas canvas(engine.indentWidth, engine.rowHeight, RGB(1, 2, 3));
        draw(engine, canvas.dc);
        const Pixels p = canvas.Read();
        return Cell(p, 0, 0);
    }
    std::vector<COLORREF> Cell(const Pixels& p, int left, int top) const {
        std::vector<COLORREF> cell;
        for (int y = top; y < top + engine.rowHeight; ++y)
            for (int x = left; x < left + engine.indentWidth; ++x)
                cell.push_back(p.At(x, y));
        return cell;
    }
};

const COLORREF face = GetSysColor(COLOR_BTNFACE);

} // namespace

TEST_F(Painting, WithoutColumnsOnlyThePlaceholderShows) {
    Open(200, 150);
    Pixels empty = Pixels::OfWindow(engine.hwnd);
    EXPECT_EQ(empty.Count(RECT{0, 0, 200, 150}, GetSysColor(COLOR_BTNFACE)), 200 * 150);
    ASSERT_TRUE(Load(TextTable(5, 0)));
    ASSERT_EQ(engine.store.columnCount, 0);
    Pixels stillEmpty = Pixels::OfWindow(engine.hwnd);
    EXPECT_EQ(stillEmpty.Count(RECT{0, 0, 200, 150}, GetSysColor(COLOR_BTNFACE)), 200 * 150);
}

TEST_F(Painting, HeaderWithoutGroupingStartsWithTheSplitter) {
    Open(400, 120);
    ASSERT_TRUE(Load(TextTable(3, 3)));
    const Pixels p = Pixels::OfWindow(engine.hwnd);
    const COLORREF highlight = GetSysColor(COLOR_BTNHIGHLIGHT);
    const COLORREF darkShadow = GetSysColor(COLOR_3DDKSHADOW);
    const COLORREF text = GetSysColor(COLOR_BTNTEXT);
    const int mid = engine.headerHeight / 2;
    // Splitter 0..5, then buttons of 100 pixels: a light left and a dark right edge each.
    EXPECT_EQ(p.At(0, mid), highlight);
    EXPECT_EQ(p.At(5, mid), darkShadow);
    EXPECT_EQ(p.At(6, mid), highlight);
    EXPECT_EQ(p.At(105, mid), darkShadow);
    EXPECT_EQ(p.At(106, mid), highlight);
    EXPECT_EQ(p.At(306, mid), highlight) << "filler after the last column";
    // Labels: text in each button's text area, none in the splitter.
    for (int left : {6, 106, 206})
        EXPECT_GT(p.Count(RECT{left + 6, 2, left + 60, 15}, text), 10) << left;
    EXPECT_EQ(p.Count(RECT{1, 2, 5, 15}, text), 0);
    // The sort mark of column 0 ends 10 pixels left of its right edge; column 1 has none.
    EXPECT_GT(6 * 6 - p.Count(RECT{93, 5, 99, 11}, face), 6);
    EXPECT_EQ(p.Count(RECT{193, 5, 199, 11}, face), 36);
}

TEST_F(Painting, HeaderWithOneLevelShowsItsButtonAndTheChevron) {
    Open(400, 120);
    ASSERT_TRUE(Load(TextTable(3, 3)));
    ASSERT_TRUE(engine.SetGroupLevelsKeepingRow(1));
    const Pixels p = Pixels::OfWindow(engine.hwnd);
    const COLORREF highlight = GetSysColor(COLOR_BTNHIGHLIGHT);
    const COLORREF darkShadow = GetSysColor(COLOR_3DDKSHADOW);
    ASSERT_EQ(engine.GroupingAreaWidth(false), 56);
    ASSERT_EQ(engine.ColumnsLeft(false), 62);
    // The level button 18..37 x 1..14 with its edge and a mark pointing down (ascending).
    EXPECT_EQ(p.At(18, 7), highlight);
    EXPECT_EQ(p.At(37, 7), darkShadow);
    EXPECT_EQ(p.At(27, 1), highlight);
    EXPECT_EQ(p.At(27, 14), darkShadow);
    const RECT mark{18 + 20 - 10 - 3, 4, 18 + 20 - 10 + 3, 10};
    EXPECT_GT(36 - p.Count(mark, face), 6);
    // Left of the button, face colour; the area's bottom edge below it.
    EXPECT_EQ(p.Count(RECT{0, 0, 17, 15}, face), 17 * 15);
    // The double chevron near the area's top right corner, left of the splitter.
    EXPECT_GT(10 * 7 - p.Count(RECT{44, 2, 54, 9}, face), 8);
    // Splitter 56..61, the first column from 62.
    EXPECT_EQ(p.At(56, 8), highlight);
    EXPECT_EQ(p.At(61, 8), darkShadow);
    EXPECT_EQ(p.At(62, 8), highlight);
}

TEST_F(Painting, SelectedRecordRowWithAndWithoutFocus) {
    Open(400, 150);
    ASSERT_TRUE(Load(TextTable(5, 3)));
    engine.SelectRow(1);
    const int x0 = engine.ColumnsLeft(false);
    const int right = engine.contentWidth;
    const int cells = (right - x0) * engine.rowHeight;

    SetFocus(engine.hwnd);
    Pixels focused = Pixels::OfWindow(engine.hwnd);
    const RECT row = RowSpan(1, x0, right);
    EXPECT_GT(focused.Count(row, GetSysColor(COLOR_HIGHLIGHT)), cells * 8 / 10);
    EXPECT_GT(focused.Count(row, GetSysColor(COLOR_HIGHLIGHTTEXT)), 20);
    EXPECT_EQ(focused.Count(RowSpan(1, 0, x0), GetSysColor(COLOR_WINDOW)), x0 * engine.rowHeight);
    EXPECT_EQ(focused.Count(RowSpan(1, right, 400), GetSysColor(COLOR_WINDOW)),
              (400 - right) * engine.rowHeight);
    // The dotted focus rectangle along the row's top edge.
    const RECT topEdge{x0, RowTop(1), right, RowTop(1) + 1};
    EXPECT_GT(right - x0 - focused.Count(topEdge, GetSysColor(COLOR_HIGHLIGHT)), (right - x0) / 3);
    // Other rows keep the window colour behind their text.
    EXPECT_EQ(focused.Count(RowSpan(2, x0, right), GetSysColor(COLOR_HIGHLIGHT)), 0);

    SetFocus(TestHost(440, 190));
    Pixels unfocused = Pixels::OfWindow(engine.hwnd);
    EXPECT_EQ(unfocused.Count(row, GetSysColor(COLOR_HIGHLIGHT)), 0);
    EXPECT_GT(unfocused.Count(row, face), cells * 8 / 10);
    EXPECT_GT(unfocused.Count(row, GetSysColor(COLOR_BTNTEXT)), 20);
    EXPECT_EQ(unfocused.Count(topEdge, face), right - x0) << "no focus rectangle";
}

TEST_F(Painting, SelectedGroupRowShowsTheOpenFolderAndFramesItsCaption) {
    Open(400, 150);
    ASSERT_TRUE(Load(TableOf({{L"alpha", L"1"}, {L"beta", L"2"}, {L"beta", L"3"}})));
    ASSERT_TRUE(engine.SetGroupLevelsKeepingRow(1));
    ASSERT_TRUE(engine.ExpandRow(1)); // beta, unselected but open
    engine.SelectRow(0);              // alpha, collapsed
    const Pixels p = Pixels::OfWindow(engine.hwnd);

    const auto open =
        Glyph([](const DrawResources& r, HDC dc) { r.DrawFolderGlyph(dc, 0, 0, true); });
    const auto closed =
        Glyph([](const DrawResources& r, HDC dc) { r.DrawFolderGlyph(dc, 0, 0, false); });
    const auto collapsedBox =
        Glyph([](const DrawResources& r, HDC dc) { r.DrawBoxGlyph(dc, 0, 0, false, 0, true); });
    const auto expandedBox =
        Glyph([](const DrawResources& r, HDC dc) { r.DrawBoxGlyph(dc, 0, 0, true, 0, false); });
    EXPECT_TRUE(Cell(p, engine.indentWidth, RowTop(0)) == open);
    EXPECT_TRUE(Cell(p, engine.indentWidth, RowTop(1)) == closed);
    EXPECT_TRUE(Cell(p, 0, RowTop(0)) == collapsedBox);
    EXPECT_TRUE(Cell(p, 0, RowTop(1)) == expandedBox);

    // No selection fill on a group row; the caption, then the grey count after it.
    const int captionLeft = 2 * engine.indentWidth;
    EXPECT_EQ(p.Count(RowSpan(0, 0, 400), GetSysColor(COLOR_HIGHLIGHT)), 0);
    EXPECT_GT(p.Count(RowSpan(0, captionLeft, captionLeft + 40), GetSysColor(COLOR_WINDOWTEXT)),
              10);
    EXPECT_GT(p.Count(RowSpan(0, captionLeft + 30, 200), GetSysColor(COLOR_GRAYTEXT)), 4);
    EXPECT_GT(p.Count(RowSpan(1, captionLeft + 30, 200), GetSysColor(COLOR_GRAYTEXT)), 4);
    // With the focus, a focus rectangle starts edgeX left of the caption.
    const int frameX = captionLeft - engine.edgeX;
    EXPECT_EQ(p.Count(RECT{frameX, RowTop(0), frameX + 1, RowTop(1)}, GetSysColor(COLOR_WINDOW)),
              engine.rowHeight);
    SetFocus(engine.hwnd);
    const Pixels focused = Pixels::OfWindow(engine.hwnd);
    EXPECT_LT(
        focused.Count(RECT{frameX, RowTop(0), frameX + 1, RowTop(1)}, GetSysColor(COLOR_WINDOW)),
        engine.rowHeight);
    EXPECT_TRUE(Cell(focused, 0, RowTop(0)) == collapsedBox) << "nothing left of the frame";
}

TEST_F(Painting, NarrowColumnsShowNoTextAndAlignmentsPlaceIt) {
    Open(400, 100);
    ASSERT_EQ(engine.PutColumnWidth(0, 2 * 6), S_OK);
    ASSERT_EQ(engine.PutColumnAlign(1, 2), S_OK);
    ASSERT_EQ(engine.PutColumnAlign(2, 7), S_OK);
    ASSERT_TRUE(Load(TableOf({{L"wide text", L"x", L"y"}, {L"wide text", L"x", L"y"}})));
    engine.SelectRow(1);
    const Pixels p = Pixels::OfWindow(engine.hwnd);
    const COLORREF window = GetSysColor(COLOR_WINDOW);
    const int x0 = engine.ColumnsLeft(false);
    auto ink = [&](const RECT& r) {
        return (r.right - r.left) * (r.bottom - r.top) - p.Count(r, window);
    };
    EXPECT_EQ(ink(RowSpan(0, x0, x0 + 12)), 0);
    // Column 1 right-aligned: its text sits at the right end of the cell.
    const int c1 = x0 + 12;
    EXPECT_EQ(ink(RowSpan(0, c1, c1 + 80)), 0);
    EXPECT_GT(ink(RowSpan(0, c1 + 80, c1 + 94)), 3);
    // Column 2 with an unknown alignment: left.
    const int c2 = c1 + 100;
    EXPECT_GT(ink(RowSpan(0, c2 + 6, c2 + 20)), 3);
    EXPECT_EQ(ink(RowSpan(0, c2 + 20, c2 + 100)), 0);
}

TEST_F(Painting, GroupedExpandedScrolledPictureForPeople) {
    Open(420, 260);
    ASSERT_EQ(engine.PutColumnLabel(0, L"Region"), S_OK);
    ASSERT_EQ(engine.PutColumnLabel(1, L"City"), S_OK);
    ASSERT_EQ(engine.PutColumnLabel(2, L"Customer"), S_OK);
    ASSERT_EQ(engine.PutColumnLabel(3, L"Orders"), S_OK);
    ASSERT_EQ(engine.PutColumnAlign(3, 2), S_OK);
    ASSERT_EQ(engine.PutColumnWidth(3, 60), S_OK);
    ASSERT_TRUE(Load(TableOf({{L"North", L"Oslo", L"Berg & Sons", L"12"},
                              {L"North", L"Oslo", L"Fjord Ltd", L"7"},
                              {L"North", L"Bergen", L"Harbour Co", L"3"},
                              {L"South", L"Rome", L"Via Nova", L"21"},
                              {L"South", L"Rome", L"Colosseo Srl", L"5"},
                              {L"South", L"Naples", L"Vesuvio SpA", L"9"},
                              {L"South", L"Seville", L"Giralda SA", L"14"},
                              {L"West", L"Lisbon", L"Tejo Lda", L"8"},
                              {L"West", L"Porto", L"Douro Lda", L"2"},
                              {L"West", L"Porto", L"Ribeira Lda", L"6"}})));
    ASSERT_TRUE(engine.SetGroupLevelsKeepingRow(2));
    ExpandAll(engine);
    ASSERT_EQ(engine.DisplayedRows(), 3 + 7 + 10);
    engine.SelectRow(10); // Via Nova, under Rome
    SetFocus(engine.hwnd);
    SendMessageA(engine.hwnd, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 3), 0);
    ASSERT_EQ(engine.topRow, 3);
    const Pixels p = Pixels::OfWindow(engine.hwnd);
    EXPECT_TRUE(SavePng(p, "grouped_view.png"));

    // Record rows of a level-1 group that has a sibling after it carry the level's line.
    for (int v = 0; v < engine.pageRows; ++v) {
        engine.store.cursor.Seek(engine.topRow + v);
        if (engine.store.cursor.RowGroupLevel() != -1)
            continue;
        const bool line = engine.store.cursor.HasFollowingSibling(2);
        const int x = engine.indentWidth + 8;
        const int y = RowTop(v) + 2; // x + y even: a dot of the line colour
        EXPECT_EQ(p.At(x, y) == GetSysColor(COLOR_GRAYTEXT), line) << "visible row " << v;
    }
}
