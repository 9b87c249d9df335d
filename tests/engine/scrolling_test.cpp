#include "engine/engine_test_support.h"

#include <tuple>

// Scroll bars and positions, and the pixels moved by scrolling and by a live column resize.

namespace {

SCROLLINFO BarInfo(HWND window, int bar) {
    SCROLLINFO info = {sizeof info, SIF_ALL, 0, 0, 0, 0, 0};
    GetScrollInfo(window, bar, &info);
    return info;
}

using Scrolling = EngineWindowTest;

} // namespace

// The bars the layout decides on (whose cases the layout test holds) shown with their ranges;
// every request, and the positions clamped when the content shrinks.
TEST_F(Scrolling, BarsRequestsShrinkingContentAndKeepingRowsInView) {
    const int bar = GetSystemMetrics(SM_CXVSCROLL); // Wine's classic bars are 17 wide
    Open(200, 200); // one column making the content 1000 wide, 100 records
    ASSERT_EQ(engine.PutColumnWidth(0, 1000 - engine.splitterWidth), S_OK);
    ASSERT_TRUE(Load(TextTable(100, 1)));
    RECT client{};
    GetClientRect(engine.hwnd, &client); // both bars shown
    const int page = (client.bottom - engine.headerHeight) / engine.rowHeight;
    const int width = client.right;
    EXPECT_EQ(std::make_pair(width, client.bottom), std::make_pair(200 - bar, 200L - bar));
    const SCROLLINFO h = BarInfo(engine.hwnd, SB_HORZ), v = BarInfo(engine.hwnd, SB_VERT);
    EXPECT_EQ(std::make_tuple(h.nMax, h.nPage, v.nMax, v.nPage),
              std::make_tuple(999, UINT(width), 99, UINT(page)));

    const WPARAM track = MAKEWPARAM(SB_THUMBTRACK, 42), end = MAKEWPARAM(SB_ENDSCROLL, 7),
                 thumb = MAKEWPARAM(SB_THUMBPOSITION, 700);
    const WPARAM vertical[] = {SB_PAGEDOWN, SB_LINEDOWN, SB_LINEUP, SB_PAGEUP,
                               SB_LINEUP,   track,       end,       SB_BOTTOM};
    const int tops[] = {page, page + 1, page, 0, 0, 42, 42, 100 - page};
    const WPARAM horizontal[] = {SB_LINERIGHT, SB_PAGERIGHT, SB_LINELEFT, thumb, SB_LEFT, SB_RIGHT};
    const int xs[] = {10, 10 + width, width, 700, 0, 1000 - width};
    for (int i = 0; i < 8; ++i) {
        SendMessageA(engine.hwnd, WM_VSCROLL, vertical[i], 0);
        EXPECT_EQ(engine.view.topRow, tops[i]) << "vertical step " << i;
    }
    for (int i = 0; i < 6; ++i) {
        SendMessageA(engine.hwnd, WM_HSCROLL, horizontal[i], 0);
        EXPECT_EQ(engine.view.scrollX, xs[i]) << "horizontal step " << i;
    }
    EXPECT_EQ(
        std::make_pair(BarInfo(engine.hwnd, SB_HORZ).nPos, BarInfo(engine.hwnd, SB_VERT).nPos),
        std::make_pair(1000 - width, 100 - page));
    EXPECT_EQ(engine.view.currentRow, 0) << "scrolling alone never moves the current row";

    // Shrinking content brings the positions back into range.
    engine.ScrollTo(600, 80);
    ASSERT_EQ(engine.PutColumnWidth(0, 300), S_OK);
    EXPECT_EQ(engine.view.scrollX, engine.view.contentWidth - engine.view.clientWidth);
    ASSERT_TRUE(Load(TextTable(20, 1)));
    EXPECT_EQ(engine.view.topRow, 20 - engine.view.pageRows);
    engine.EnsureRowVisible(2, true); // scrolls as little as possible
    EXPECT_EQ(engine.view.topRow, 2);
}

TEST_F(Scrolling, ScrolledAndLiveResizedPixelsMatchAFreshPaint) {
    Open(300, 200);
    ASSERT_TRUE(Load(TextTable(60, 6)));
    ASSERT_TRUE(engine.SetGroupLevelsKeepingRow(1));
    ExpandAll(engine);
    engine.SelectRow(1);
    SetFocus(engine.hwnd);
    UpdateWindow(engine.hwnd);
    auto expectSameAsFresh = [&](const char* what) {
        const Pixels moved = Pixels::OfWindow(engine.hwnd);
        InvalidateRect(engine.hwnd, nullptr, FALSE);
        EXPECT_TRUE(moved.data == Pixels::OfWindow(engine.hwnd).data) << what;
    };
    SendMessageA(engine.hwnd, WM_VSCROLL, SB_LINEDOWN, 0);
    SendMessageA(engine.hwnd, WM_HSCROLL, SB_LINERIGHT, 0);
    SendMessageA(engine.hwnd, WM_VSCROLL, SB_PAGEDOWN, 0);
    expectSameAsFresh("scroll");
    // Column 1 grows by 30 pixels, then shrinks to 40, as while dragging its edge.
    engine.view.trackMode = TrackResize;
    engine.view.pressIndex = 1;
    engine.view.liveSize = engine.layout.ColumnExtent(1, false);
    for (int width : {130, 40}) {
        engine.ScrollColumnsAfterResize(1, width);
        engine.view.liveSize = width;
        engine.UpdateContentWidth(true);
        engine.ScrollTo(engine.view.scrollX, engine.view.topRow);
        expectSameAsFresh("resize");
    }
    engine.view.trackMode = TrackNone;
}

// A move to another DPI, and a change of the fonts, metrics, colours or theme, lay the view out
// anew at the window's DPI then: the current and top row stay, the columns keep their look, the
// sideways place its proportion. Other settings change nothing.
TEST_F(Scrolling, DisplayChangesKeepTheRowsTheColumnsLookAndTheSidewaysPlace) {
    Open(300, 200);
    ASSERT_EQ(engine.PutColumnWidth(0, 300), S_OK); // the others keep the default width
    ASSERT_TRUE(Load(TextTable(100, 3)));
    ASSERT_TRUE(engine.SetGroupLevelsKeepingRow(1)); // a hundred groups, a level tool
    engine.SelectRow(40);
    SendMessageA(engine.hwnd, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 30), 0);
    SendMessageA(engine.hwnd, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 120), 0);
    // A resize under way, whose pixels the new DPI would make wrong.
    const int edge = engine.layout.ColumnsLeft(true) + engine.store.WidthAt(0) - 120 - 1;
    SendMessageA(engine.hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(edge, 2));
    ASSERT_EQ(engine.view.trackMode, TrackResize);
    const int dpi = engine.dpi, content = engine.view.contentWidth, other = 2 * dpi;
    const std::tuple<UINT, WPARAM, const char*, int, int> steps[] = {
        // message, its action and area, the window's DPI then, the DPI laid out for
        {WM_SETTINGCHANGE, SPI_SETWHEELSCROLLLINES, nullptr, other, dpi},
        {0x02E3 /* WM_DPICHANGED_AFTERPARENT */, 0, nullptr, other, other},
        {WM_SETTINGCHANGE, SPI_SETICONTITLELOGFONT, nullptr, dpi, dpi},
        {WM_THEMECHANGED, 0, nullptr, other, other},
        {WM_SETTINGCHANGE, 0, "WindowMetrics", dpi, dpi},
        {WM_SYSCOLORCHANGE, 0, nullptr, other, other},
        {WM_SETTINGCHANGE, 0, "Policy", dpi, other}};
    for (const auto& [message, action, area, shownAt, at] : steps) {
        engine.shownAtDpi = shownAt;
        SendMessageA(engine.hwnd, message, action, reinterpret_cast<LPARAM>(area));
        EXPECT_EQ(std::make_tuple(engine.dpi, engine.store.WidthAt(0), engine.store.WidthAt(1),
                                  engine.view.currentRow, engine.view.topRow),
                  std::make_tuple(at, MulDiv(300, at, dpi), MulDiv(100, at, dpi), 40, 30))
            << std::hex << message << " " << action;
        EXPECT_LE(std::abs(engine.view.scrollX * content - 120 * engine.view.contentWidth),
                  content);
        TTTOOLINFOA tool = {
            TTTOOLINFOA_V2_SIZE, 0, engine.hwnd, 0, {}, nullptr, nullptr, 0, nullptr};
        SendMessageA(engine.headerTips.tipWindow, TTM_GETTOOLINFOA, 0, LPARAM(&tool));
        RECT button = engine.layout.LevelButtonRect(0);
        OffsetRect(&button, -engine.view.scrollX, 0);
        EXPECT_TRUE(EqualRect(&tool.rect, &button)) << "the level tool on its button";
    }
    EXPECT_EQ(std::make_pair(engine.view.trackMode, GetCapture()),
              std::make_pair(int32_t(TrackNone), HWND(nullptr)))
        << "the resize ended at the new DPI";
}
