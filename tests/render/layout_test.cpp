#include "render/layout.h"
#include "store/safe_array_builder.h"

#include <gtest/gtest.h>

#include <tuple>

// Classic metrics: indent 20, margins 18, splitter and text margin 6, header 17, rows 16.

namespace {

// Seven pixels a character; remembers what it was asked to measure.
struct FakeMeasurer final : TextMeasurer {
    int32_t LineWidth(const wchar_t* text) override {
        asked = text ? text : L"";
        return 7 * static_cast<int32_t>(asked.size());
    }
    std::wstring asked;
};

struct LayoutTest : testing::Test {
    void Load(const SafeArrayBuilder& data, int32_t levels = 0) {
        ASSERT_TRUE(store.SetData(data.get(), 0, 0, false));
        ASSERT_TRUE(!levels || store.SetGroupLevelCount(levels));
        view.contentWidth = layout.ContentWidth(false);
    }
    void Widths(std::initializer_list<int32_t> widths) {
        int32_t p = 0;
        for (int32_t w : widths)
            store.SetWidthAt(p++, w);
        view.contentWidth = layout.ContentWidth(false);
    }
    void ExpandAll() {
        for (int32_t row = 0; row < layout.DisplayedRows(); ++row)
            if (store.cursor.Seek(row) && store.cursor.RowGroupLevel() != -1 &&
                !store.cursor.node->expanded)
                store.rowCount += store.cursor.node->Expand();
    }

    // The hit at each point as Along writes it, "x kind index+offset".
    std::string At(std::initializer_list<POINT> points) {
        std::string hits;
        for (const POINT& p : points)
            hits += (hits.empty() ? "" : ", ") + Along(p.y, p.x, p.x + 1);
        return hits;
    }

    // Hit runs along a line, "x kind index+offset"; an out-parameter left at -99 is not written.
    std::string Along(int32_t y, int32_t from, int32_t to) {
        const char* const names[] = {"none",   "button", "splitter", "header", "edge",
                                     "hidden", "glyph",  "caption",  "record"};
        std::string runs;
        int32_t lastKind = -1, lastIndex = -99, nextOffset = 0;
        for (int32_t x = from; x < to; ++x) {
            int32_t index = -99, offset = -99;
            const int32_t kind = layout.HitTest(x, y, measurer, &index, &offset);
            if (kind != lastKind || index != lastIndex || (offset >= 0 && offset != nextOffset))
                runs += (runs.empty() ? "" : ", ") + std::to_string(x) + " " + names[kind] +
                        (index == -99 ? "" : " " + std::to_string(index)) +
                        (offset == -99 ? "" : "+" + std::to_string(offset));
            lastKind = kind;
            lastIndex = index;
            nextOffset = offset + 1;
        }
        return runs;
    }

    RecordStore store;
    LayoutMetrics metrics;
    ViewState view;
    Layout layout{store, metrics, view};
    FakeMeasurer measurer;
};

bool operator==(const RECT& a, const RECT& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

} // namespace

TEST_F(LayoutTest, HeaderStripFollowsLevelsWidthsAndLiveOperations) {
    Load(TextTable(3, 3));
    EXPECT_EQ(std::make_pair(layout.MaxGroupingAreaWidth(), view.contentWidth),
              std::make_pair(3 * 20 + 2 * 18, 6 + 300));

    ASSERT_TRUE(store.SetGroupLevelCount(1));
    // The second button; the header hits pin the first and the columns' rectangles.
    EXPECT_TRUE(layout.LevelButtonRect(1) == (RECT{38, 1, 58, 15}));

    // A splitter drag moves the header only; a narrow drag shows no button, never fewer.
    view.trackMode = TrackSplitterDrag;
    for (auto [live, levels] : {std::pair{20, 0}, {35, 0}, {2 * 18 + 2 * 20 + 5, 2}}) {
        view.liveSize = live;
        EXPECT_EQ(std::make_tuple(layout.VisibleLevelCount(), layout.ColumnsLeft(true),
                                  layout.ColumnsLeft(false)),
                  std::make_tuple(levels, live + 6, 62));
    }
    // A resize shows the live width of the pressed column only, and only live.
    view.trackMode = TrackResize;
    view.pressIndex = 1;
    view.liveSize = 7;
    EXPECT_EQ(std::make_tuple(layout.ColumnExtent(1, true), layout.ColumnExtent(1, false),
                              layout.ColumnExtent(2, true), layout.ContentWidth(true)),
              std::make_tuple(7, 100, 100, 62 + 207));
    EXPECT_EQ(layout.ColumnExtent(3, true), 0) << "past the last column";
    view.trackMode = TrackNone;
    Widths({INT32_MAX, INT32_MAX, 5}); // the widest columns there are: no wrap to negative
    EXPECT_EQ(view.contentWidth, INT32_MAX);
}

// The rows' rectangles are the row hits' and the repainting test's.
TEST_F(LayoutTest, PageRowsAreTheWholeRowsUnderTheHeader) {
    for (auto [height, rows] : {std::pair{10, 0}, {17 + 15, 0}, {17 + 16, 1}, {200, 11}}) {
        view.clientHeight = height;
        EXPECT_EQ(layout.PageRows(), rows) << height;
    }
}

TEST_F(LayoutTest, ScrollBarsAppearWhereTheContentDoesNotFit) {
    // A 200 x 200 client area, 16-pixel bars.
    view.clientWidth = view.clientHeight = 200;
    const struct {
        int32_t width, rows;
        bool vShown, hShown; // bars shown before
        bool h, v;
        int32_t pageW, pageH, fit;
        int32_t barW = 16, barH = 16;
    } cases[] = {
        {190, 11, false, false, false, false, 200, 183, 11},
        {200, 11, false, false, false, false, 200, 183, 11},
        {190, 12, false, false, true, true, 184, 167, 10}, // the bars need each other
        {250, 10, false, false, true, false, 200, 167, 10},
        // The same client area with bars shown: their room counts back in.
        {190, 11, true, true, false, false, 216, 199, 12},
        {250, 10, false, true, true, false, 200, 183, 11},
        // A thin horizontal bar leaves room for every row; a wide vertical one would not.
        {210, 10, false, false, true, false, 200, 175, 10, 24, 8},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.rows);
        Load(TextTable(c.rows, 1));
        view.contentWidth = c.width;
        const Layout::ScrollPlan plan =
            layout.PlanScroll(5000, 5000, c.vShown, c.hShown, c.barW, c.barH);
        EXPECT_EQ(std::make_pair(plan.horizontalBar, plan.verticalBar), std::make_pair(c.h, c.v));
        EXPECT_EQ(std::make_tuple(plan.pageWidth, plan.pageHeight, plan.rowsThatFit),
                  std::make_tuple(c.pageW, c.pageH, c.fit));
        // The far ends clamp to the last page; everything fits: the positions stay 0.
        EXPECT_EQ(std::make_pair(plan.x, plan.y),
                  std::make_pair(c.h ? c.width - c.pageW : 0, c.v ? c.rows - c.fit : 0));
        const auto back = layout.PlanScroll(-30, -1, c.vShown, c.hShown, c.barW, c.barH);
        EXPECT_EQ(std::make_pair(back.x, back.y), std::make_pair(0, 0));
    }
}

TEST_F(LayoutTest, HeaderHitsOfTheWorkedExampleAndAtNarrowZeroWidthAndFirstColumns) {
    // One level, columns of 100 and 30: the area ends at 56, the columns start at 62.
    Load(TextTable(3, 2), 1);
    Widths({100, 30});
    EXPECT_EQ(Along(8, 0, 200), "0 none, 18 button 0+0, 38 none, 50 splitter, 68 header 0+6, "
                                "157 edge 0, 168 header 1+6, 187 edge 1, 198 none");
    EXPECT_EQ(At({{18, 1}, {37, 14}, {37, 15}, {62, 0}, {67, 16}}),
              "18 button 0+0, 37 button 0+19, 37 none, 62 splitter, 67 splitter");
    // Scrolled by 40: the same window point hits what is drawn there.
    view.scrollX = 40;
    EXPECT_EQ(At({{28, 8}, {-22, 1}, {10, 8}}), "28 header 0+6, -22 button 0+0, 10 splitter");
    // A live resize of column 0 to 50 moves the following items with it.
    view.scrollX = 0;
    view.trackMode = TrackResize;
    view.pressIndex = 0;
    view.liveSize = 50;
    EXPECT_EQ(At({{110, 8}, {118, 8}}), "110 edge 0, 118 header 1+6");
    view.trackMode = TrackNone;

    // Ungrouped: the splitter zone starts left of the content and the first column continues it.
    Load(TextTable(2, 5));
    Widths({100, 0, 2, 9, 0});
    // Column 2 is too narrow for edge zones, 3 has zones of 3 and 2 pixels.
    EXPECT_EQ(Along(8, -8, 125), "-8 none, -6 splitter, 12 header 0+6, 101 edge 0, 106 header 2+0, "
                                 "108 edge 2, 111 header 3+3, 115 edge 3, 117 hidden 4, 123 none");
    // The common edge of two columns around a hidden one, pointed at from the right.
    Widths({100, 0, 50});
    EXPECT_EQ(At({{106, 8}, {101, 8}}), "106 hidden 1, 101 edge 0");
    // A hidden first column is reached at the columns' left edge, right of the splitter zone.
    Widths({0, 100});
    EXPECT_EQ(At({{5, 8}, {6, 8}}), "5 splitter, 6 hidden 0");

    Load(SafeArrayBuilder(nullptr));
    EXPECT_EQ(At({{0, 8}, {10, 30}}), "0 none, 10 none");
    EXPECT_EQ(layout.MaxGroupingAreaWidth(), 0);
}

TEST_F(LayoutTest, RowHitsSplitGroupRowsIntoGlyphCaptionAndNothing) {
    // Two levels, all expanded: a (0), x (1), record, y (1), record, b (0), x (1), record.
    Load(TableOf({{L"a", L"x", L"1"}, {L"a", L"y", L"2"}, {L"b", L"x", L"3"}}), 2);
    ExpandAll();
    ASSERT_EQ(layout.DisplayedRows(), 8);
    view.clientWidth = 300;
    view.clientHeight = 17 + 4 * 16 + 8; // four whole rows and half of a fifth
    view.pageRows = layout.PageRows();
    const int32_t y0 = 20, y1 = 36, y2 = 52;
    // Glyph and caption (of "x") at each level, tree lines, the part-visible fifth row.
    EXPECT_EQ(Along(y0, -1, 301), "-1 none, 0 glyph 0, 20 caption 0, 50 none");
    EXPECT_EQ(Along(y1, -1, 301), "-1 none, 20 glyph 1, 40 caption 1, 70 none");
    EXPECT_EQ(Along(y2, -1, 301), "-1 none, 82 record 2, 300 none");
    EXPECT_EQ(At({{100, 17 + 4 * 16 + 5}}), "100 record 4");
    EXPECT_EQ(measurer.asked, L"x");
    // Scrolled sideways, content x decides; beyond the content nothing is hit.
    view.scrollX = 90;
    EXPECT_EQ(At({{0, y2}, {293, y2}, {0, y0}}), "0 record 2, 293 none, 0 none");
    // Scrolled down to the last three rows: points below them hit nothing.
    view.scrollX = 0;
    view.topRow = 5;
    EXPECT_EQ(At({{30, y0}, {100, y2}, {100, y2 + 16}}), "30 caption 5, 100 record 7, 100 none");
    EXPECT_EQ(layout.HitTest(100, y2, measurer), HitRecord) << "without out-parameters";
}
