#include "engine/engine_test_support.h"

// Scroll bars and positions: which bars show, clamping, the scroll requests, and the pixel
// moves of scrolling and of a live column resize.

namespace {

SCROLLINFO BarInfo(HWND window, int bar) {
    SCROLLINFO info = {};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    GetScrollInfo(window, bar, &info);
    return info;
}

bool HasStyle(HWND window, LONG_PTR style) {
    return (GetWindowLongPtrA(window, GWL_STYLE) & style) != 0;
}

RECT Client(HWND window) {
    RECT rect{};
    GetClientRect(window, &rect);
    return rect;
}

// The cases hold for bars between 10 and 22 pixels; Wine's classic bars are 17 wide, the
// documented example uses 16.
class Scrolling : public EngineWindowTest {
protected:
    const int bar = GetSystemMetrics(SM_CXVSCROLL);

    // A 200 x 200 client area (no bar), one column making the content `width` wide.
    void OpenWithContent(int width, int rows) {
        Open(200, 200);
        ASSERT_EQ(engine.headerHeight, 17);
        ASSERT_EQ(engine.rowHeight, 16);
        ASSERT_EQ(GetSystemMetrics(SM_CXVSCROLL), bar);
        ASSERT_EQ(GetSystemMetrics(SM_CYHSCROLL), bar);
        ASSERT_EQ(engine.PutColumnWidth(0, width - engine.splitterWidth), S_OK);
        ASSERT_TRUE(Load(TextTable(rows, 1)));
        ASSERT_EQ(engine.contentWidth, width);
    }
};

} // namespace

TEST_F(Scrolling, ContentThatFitsShowsNoBar) {
    OpenWithContent(190, 11);
    EXPECT_FALSE(HasStyle(engine.hwnd, WS_HSCROLL));
    EXPECT_FALSE(HasStyle(engine.hwnd, WS_VSCROLL));
    EXPECT_EQ(Client(engine.hwnd).right, 200);
    EXPECT_EQ(Client(engine.hwnd).bottom, 200);
    // Whatever is asked, both positions stay 0.
    SendMessageA(engine.hwnd, WM_VSCROLL, SB_BOTTOM, 0);
    SendMessageA(engine.hwnd, WM_HSCROLL, SB_RIGHT, 0);
    engine.ScrollTo(500, 500);
    EXPECT_EQ(engine.topRow, 0);
    EXPECT_EQ(engine.scrollX, 0);
}

TEST_F(Scrolling, OneRowMoreNeedsBothBars) {
    OpenWithContent(190, 12);
    EXPECT_TRUE(HasStyle(engine.hwnd, WS_HSCROLL));
    EXPECT_TRUE(HasStyle(engine.hwnd, WS_VSCROLL));
    // The vertical bar leaves too little width for 190 pixels, so the horizontal one shows too.
    EXPECT_EQ(Client(engine.hwnd).right, 200 - bar);
    EXPECT_EQ(Client(engine.hwnd).bottom, 200 - bar);
    const SCROLLINFO h = BarInfo(engine.hwnd, SB_HORZ);
    EXPECT_EQ(h.nMin, 0);
    EXPECT_EQ(h.nMax, 189);
    EXPECT_EQ(h.nPage, static_cast<UINT>(200 - bar));
    const SCROLLINFO v = BarInfo(engine.hwnd, SB_VERT);
    EXPECT_EQ(v.nMax, 11);
    EXPECT_EQ(v.nPage, static_cast<UINT>((183 - bar) / 16));
    EXPECT_EQ(engine.pageRows, (200 - bar - 17) / 16);
}

TEST_F(Scrolling, WideContentWithFewRowsNeedsOnlyTheHorizontalBar) {
    OpenWithContent(250, 10);
    EXPECT_TRUE(HasStyle(engine.hwnd, WS_HSCROLL));
    EXPECT_FALSE(HasStyle(engine.hwnd, WS_VSCROLL));
    const SCROLLINFO h = BarInfo(engine.hwnd, SB_HORZ);
    EXPECT_EQ(h.nMax, 249);
    EXPECT_EQ(h.nPage, 200u);
    SendMessageA(engine.hwnd, WM_HSCROLL, SB_RIGHT, 0);
    EXPECT_EQ(engine.scrollX, 50);
    EXPECT_EQ(BarInfo(engine.hwnd, SB_HORZ).nPos, 50);
}

TEST_F(Scrolling, VerticalRequestsMoveByRowsAndPages) {
    OpenWithContent(190, 100);
    SendMessageA(engine.hwnd, WM_VSCROLL, SB_BOTTOM, 0);
    EXPECT_EQ(engine.topRow, 90);
    SCROLLINFO v = BarInfo(engine.hwnd, SB_VERT);
    EXPECT_EQ(v.nMin, 0);
    EXPECT_EQ(v.nMax, 99);
    EXPECT_EQ(v.nPage, 10u);
    EXPECT_EQ(v.nPos, 90);

    SendMessageA(engine.hwnd, WM_VSCROLL, SB_TOP, 0);
    EXPECT_EQ(engine.topRow, 0);
    SendMessageA(engine.hwnd, WM_VSCROLL, SB_PAGEDOWN, 0);
    EXPECT_EQ(engine.topRow, engine.pageRows);
    SendMessageA(engine.hwnd, WM_VSCROLL, SB_LINEDOWN, 0);
    EXPECT_EQ(engine.topRow, engine.pageRows + 1);
    SendMessageA(engine.hwnd, WM_VSCROLL, SB_LINEUP, 0);
    SendMessageA(engine.hwnd, WM_VSCROLL, SB_PAGEUP, 0);
    EXPECT_EQ(engine.topRow, 0);
    SendMessageA(engine.hwnd, WM_VSCROLL, SB_LINEUP, 0);
    EXPECT_EQ(engine.topRow, 0);
    SendMessageA(engine.hwnd, WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 42), 0);
    EXPECT_EQ(engine.topRow, 42);
    SendMessageA(engine.hwnd, WM_VSCROLL, MAKEWPARAM(SB_ENDSCROLL, 7), 0);
    EXPECT_EQ(engine.topRow, 42) << "end of scrolling is no request";
    // Scrolling alone never moves the current row.
    EXPECT_EQ(engine.currentRow, 0);
}

TEST_F(Scrolling, HorizontalRequestsMoveByTenPixelsAndByTheClientWidth) {
    OpenWithContent(1000, 5);
    SendMessageA(engine.hwnd, WM_HSCROLL, SB_LINERIGHT, 0);
    EXPECT_EQ(engine.scrollX, 10);
    SendMessageA(engine.hwnd, WM_HSCROLL, SB_PAGERIGHT, 0);
    EXPECT_EQ(engine.scrollX, 10 + engine.clientWidth);
    SendMessageA(engine.hwnd, WM_HSCROLL, SB_LINELEFT, 0);
    EXPECT_EQ(engine.scrollX, engine.clientWidth);
    SendMessageA(engine.hwnd, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 700), 0);
    EXPECT_EQ(engine.scrollX, 700);
    SendMessageA(engine.hwnd, WM_HSCROLL, SB_RIGHT, 0);
    EXPECT_EQ(engine.scrollX, 1000 - engine.clientWidth);
    SendMessageA(engine.hwnd, WM_HSCROLL, SB_LEFT, 0);
    EXPECT_EQ(engine.scrollX, 0);
}

TEST_F(Scrolling, ShrinkingContentBringsThePositionsBackIntoRange) {
    OpenWithContent(1000, 100);
    engine.ScrollTo(600, 80);
    ASSERT_EQ(engine.scrollX, 600);
    ASSERT_EQ(engine.topRow, 80);
    ASSERT_EQ(engine.PutColumnWidth(0, 300), S_OK);
    EXPECT_EQ(engine.scrollX, engine.contentWidth - engine.clientWidth);
    ASSERT_TRUE(Load(TextTable(20, 1)));
    EXPECT_EQ(engine.topRow, 20 - engine.pageRows);
}

TEST_F(Scrolling, KeepingARowInViewScrollsAsLittleAsPossible) {
    OpenWithContent(190, 100);
    engine.EnsureRowVisible(5, true);
    EXPECT_EQ(engine.topRow, 0);
    engine.EnsureRowVisible(engine.pageRows, true);
    EXPECT_EQ(engine.topRow, 1);
    engine.EnsureRowVisible(50, false);
    EXPECT_EQ(engine.topRow, 50 - engine.pageRows + 1);
    engine.EnsureRowVisible(3, false);
    EXPECT_EQ(engine.topRow, 3);
}

TEST_F(Scrolling, ScrolledPixelsMatchAFreshPaint) {
    Open(300, 200);
    ASSERT_TRUE(Load(TextTable(60, 6)));
    UpdateWindow(engine.hwnd);
    SendMessageA(engine.hwnd, WM_VSCROLL, SB_LINEDOWN, 0);
    SendMessageA(engine.hwnd, WM_HSCROLL, SB_LINERIGHT, 0);
    SendMessageA(engine.hwnd, WM_VSCROLL, SB_PAGEDOWN, 0);
    const Pixels scrolled = Pixels::OfWindow(engine.hwnd);
    InvalidateRect(engine.hwnd, nullptr, FALSE);
    const Pixels fresh = Pixels::OfWindow(engine.hwnd);
    ASSERT_EQ(engine.scrollX, 10);
    EXPECT_TRUE(scrolled.data == fresh.data);
}

TEST_F(Scrolling, LiveColumnResizeShiftsPixelsLikeAFreshPaint) {
    Open(400, 250);
    ASSERT_TRUE(Load(TableOf({{L"x", L"one", L"1"},
                              {L"x", L"two", L"2"},
                              {L"y", L"three", L"3"},
                              {L"y", L"four", L"4"},
                              {L"z", L"five", L"5"}})));
    ASSERT_TRUE(engine.SetGroupLevelsKeepingRow(1));
    ExpandAll(engine);
    engine.SelectRow(1);
    SetFocus(engine.hwnd);
    UpdateWindow(engine.hwnd);

    // Column 1 grows by 30 pixels, then shrinks to 40, as while dragging its edge.
    engine.trackMode = TrackResize;
    engine.pressIndex = 1;
    engine.liveSize = engine.ColumnExtent(1, false);
    for (int width : {130, 40}) {
        engine.ScrollColumnsAfterResize(1, width);
        engine.liveSize = width;
        engine.UpdateContentWidth(true);
        engine.ScrollTo(engine.scrollX, engine.topRow);
        const Pixels live = Pixels::OfWindow(engine.hwnd);
        InvalidateRect(engine.hwnd, nullptr, FALSE);
        const Pixels fresh = Pixels::OfWindow(engine.hwnd);
        EXPECT_TRUE(live.data == fresh.data) << "width " << width;
    }
    engine.trackMode = TrackNone;
}

TEST_F(Scrolling, FittingAColumnMeasuresItsWidestText) {
    Open(400, 200);
    ASSERT_TRUE(Load(TableOf({{L"a"}, {L"a much longer text than the rest"}, {L"b"}})));
    ASSERT_EQ(engine.PutColumnLabel(0, L"L"), S_OK);
    HDC dc = GetDC(engine.hwnd);
    HGDIOBJ old = SelectObject(dc, engine.listFont);
    SIZE size{};
    GetTextExtentPoint32A(dc, "a much longer text than the rest", 32, &size);
    SelectObject(dc, old);
    ReleaseDC(engine.hwnd, dc);
    engine.AutoFitColumn(0);
    int32_t width = 0;
    ASSERT_EQ(engine.GetColumnWidth(0, &width), S_OK);
    EXPECT_EQ(width, size.cx + 2 * engine.textMargin);
    EXPECT_EQ(engine.contentWidth, engine.splitterWidth + width);
}

TEST_F(Scrolling, BarsFollowALiveResizeAndItsEnd) {
    OpenWithContent(1000, 5);
    engine.trackMode = TrackResize;
    engine.pressIndex = 0;
    for (int width = 995; width < 1000; ++width) {
        engine.liveSize = width;
        engine.UpdateContentWidth(true);
        engine.ScrollTo(engine.scrollX, engine.topRow);
        EXPECT_EQ(BarInfo(engine.hwnd, SB_HORZ).nMax, engine.splitterWidth + width - 1);
    }
    engine.trackMode = TrackNone;
    engine.SetColumnExtent(0, 400);
    EXPECT_EQ(BarInfo(engine.hwnd, SB_HORZ).nMax, engine.splitterWidth + 400 - 1);
    EXPECT_EQ(BarInfo(engine.hwnd, SB_HORZ).nPage, static_cast<UINT>(200));
}
