#include "engine/engine_test_support.h"

// The current row across selection, expanding, sorting and grouping, and the keys that move it.

namespace {

class CurrentRow : public EngineWindowTest {
protected:
    // Grouped by column 0: a (2 records), b (3 records), c (1 record), all collapsed.
    void LoadGrouped() {
        Open(300, 300);
        ASSERT_TRUE(Load(TableOf({{L"b", L"b1"},
                                  {L"a", L"a1"},
                                  {L"c", L"c1"},
                                  {L"b", L"b2"},
                                  {L"a", L"a2"},
                                  {L"b", L"b3"}})));
        ASSERT_TRUE(engine.SetGroupLevelsKeepingRow(1));
    }
    // A client area showing `rows` whole rows under the header and above the horizontal bar.
    void Show(int rows) {
        const RECT r = ControlBounds(300, engine.headerHeight + rows * engine.rowHeight +
                                              GetSystemMetrics(SM_CYHSCROLL));
        SetWindowPos(engine.hwnd, nullptr, 0, 0, r.right, r.bottom, SWP_NOZORDER);
    }
    void Press(WPARAM key, WORD repeat = 1, bool ctrl = false) {
        BYTE keys[256];
        GetKeyboardState(keys);
        keys[VK_CONTROL] = ctrl ? 0x80 : 0;
        SetKeyboardState(keys);
        SendMessageA(engine.hwnd, WM_KEYDOWN, key, MAKELPARAM(repeat, 0));
    }
};

} // namespace

// Records by column 0: a1 a2 | b1 b2 b3 | c1, the record numbers 1 4 | 0 3 5 | 2.
TEST_F(CurrentRow, ExpandingAndCollapsingAboveKeepTheRecordCollapsingItsGroupSelectsTheHeader) {
    LoadGrouped();
    ASSERT_TRUE(engine.ExpandRow(2)); // group c
    engine.SelectRow(3);
    ASSERT_EQ(engine.reported.back(), 2) << "c1";
    const size_t reports = engine.reported.size();
    ASSERT_TRUE(engine.ExpandRow(0)); // group a, two records
    EXPECT_EQ(See().current, 5);
    // Collapsing above moves the current row up with its content; record rows do not fold.
    ASSERT_TRUE(engine.CollapseRow(0));
    EXPECT_EQ(See().current, 3);
    EXPECT_FALSE(engine.ExpandRow(3) || engine.CollapseRow(3) || engine.ToggleRow(3));
    EXPECT_TRUE(engine.ToggleRow(0));
    EXPECT_EQ(std::make_pair(See().current, engine.reported.size()), std::make_pair(5, reports))
        << "the selection never changed";

    ExpandAll(engine);
    engine.SelectRow(5);
    ASSERT_EQ(engine.reported.back(), 3) << "b2";
    ASSERT_TRUE(engine.CollapseRow(3)); // group b
    EXPECT_EQ(std::make_tuple(See().current, engine.reported.back(), engine.DisplayedRows()),
              std::make_tuple(3, -1, 6));
}

TEST_F(CurrentRow, LoadSelectsTheFirstRowSelectRowClampsAndKeysMoveWithRepeatsAndCtrl) {
    Open(300, 200);
    ASSERT_TRUE(Load(TableOf({{L"c"}, {L"a"}, {L"b"}})));
    EXPECT_EQ(See().current, 0);
    EXPECT_EQ(engine.reported, std::vector<int32_t>{1}) << "record 1 sorts first";
    ASSERT_TRUE(Load(TableOf({{L"z"}, {L"a"}})));
    EXPECT_EQ(engine.reported.size(), 1u) << "the same first record: nothing new to report";
    ASSERT_TRUE(Load(TextTable(50, 2)));
    for (auto [row, clamped] : {std::pair{-5, 0}, {1000, 49}}) {
        engine.SelectRow(row);
        EXPECT_EQ(See().current, clamped);
    }
    engine.PutColumnWidth(0, 300);
    engine.PutColumnWidth(1, 300);
    const struct {
        int page;                // whole rows shown
        int32_t current, top, x; // before the key
        WPARAM key;
        WORD repeat;
        bool ctrl;
        int32_t wantCurrent, wantTop, wantScrollX;
    } cases[] = {
        {5, 0, 0, 0, VK_DOWN, 3, false, 3, 0, 0},
        {5, 2, 0, 0, VK_UP, 9, false, 0, 0, 0},
        {5, 0, 0, 0, VK_NEXT, 1, false, 4, 0, 0},  // to the bottom edge first
        {5, 4, 0, 0, VK_NEXT, 1, false, 8, 4, 0},  // then by a page less one row
        {5, 0, 0, 0, VK_NEXT, 2, false, 8, 4, 0},  // repeated: pages at once
        {5, 7, 4, 0, VK_PRIOR, 1, false, 4, 4, 0}, // to the top edge first
        {5, 9, 4, 0, VK_PRIOR, 1, false, 5, 4, 0}, // just below the page: a page up
        {5, 20, 18, 0, VK_PRIOR, 3, false, 8, 8, 0},
        {5, 20, 18, 0, VK_HOME, 1, false, 0, 0, 0},
        {5, 20, 18, 0, VK_END, 1, false, 49, 45, 0},
        {5, 0, 0, 0, VK_DOWN, 2, true, 0, 2, 0}, // Ctrl scrolls; the current row stays
        {5, 3, 10, 0, VK_UP, 3, true, 3, 7, 0},
        {5, 0, 0, 0, VK_NEXT, 2, true, 0, 10, 0},
        {5, 0, 12, 0, VK_PRIOR, 1, true, 0, 7, 0},
        {5, 6, 6, 0, VK_END, 1, true, 6, 45, 0},
        {5, 30, 30, 0, VK_HOME, 1, true, 30, 0, 0},
        {5, 0, 0, 0, VK_RIGHT, 2, true, 0, 0, 40},
        {5, 0, 0, 40, VK_LEFT, 1, true, 0, 0, 20},
        {5, 0, 0, 0, VK_OEM_PLUS, 1, false, 0, 0, 0},
        {1, 3, 3, 0, VK_NEXT, 1, false, 4, 4, 0}, // one row shown: still a row a press
        {1, 3, 3, 0, VK_PRIOR, 2, false, 1, 1, 0},
        {0, 3, 3, 0, VK_NEXT, 1, true, 3, 4, 0}, // no whole row shown: a row
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << &c - cases);
        Show(c.page);
        engine.SelectRow(c.current);
        engine.ScrollTo(c.x, c.top);
        ASSERT_EQ(std::make_pair(See().page, See().top), std::make_pair(c.page, c.top));
        Press(c.key, c.repeat, c.ctrl);
        EXPECT_EQ(std::make_tuple(See().current, See().top, See().x),
                  std::make_tuple(c.wantCurrent, c.wantTop, c.wantScrollX));
    }
}

// Rows by the keys' effects on a grouped list: two levels (a, b) and (x, y), two records each.
TEST_F(CurrentRow, ArrowsAndKeypadOpenCloseAndClimbGroups) {
    Open(300, 400);
    ASSERT_TRUE(Load(TableOf({{L"a", L"x", L"1"},
                              {L"a", L"x", L"2"},
                              {L"a", L"y", L"3"},
                              {L"a", L"y", L"4"},
                              {L"b", L"x", L"5"},
                              {L"b", L"y", L"6"}})));
    Press(VK_LEFT), Press(VK_RIGHT);
    EXPECT_EQ(See().current, 0) << "without grouping every row is a record row";
    ASSERT_TRUE(engine.SetGroupLevelsKeepingRow(2));
    engine.SelectRow(0); // rows: a, b (closed)
    const struct {
        WPARAM key;
        int32_t wantCurrent, wantRows;
    } steps[] = {
        {VK_LEFT, 0, 2},     // closed outermost header: nothing
        {VK_RIGHT, 0, 4},    // opens a: a, a/x, a/y, b
        {VK_RIGHT, 1, 4},    // enters a at a/x
        {VK_ADD, 1, 6},      // keypad plus opens a/x: its records are rows 2, 3
        {VK_DOWN, 2, 6},     // a record row
        {VK_RIGHT, 2, 6},    // on a record row: nothing
        {VK_LEFT, 1, 6},     // to the header of its group
        {VK_LEFT, 1, 4},     // closes the open a/x
        {VK_LEFT, 0, 4},     // to the header one level out
        {VK_SUBTRACT, 0, 2}, // keypad minus closes a
    };
    for (const auto& s : steps) {
        Press(s.key);
        EXPECT_EQ(std::make_pair(See().current, engine.DisplayedRows()),
                  std::make_pair(s.wantCurrent, s.wantRows))
            << "key " << s.key;
    }
}
