#include "engine/engine_test_support.h"

#include <olectl.h>

#include <tuple>

// Scroll bars and positions, the pixels scrolling and a live resize move, what is repainted.

namespace {

// The area waiting to be painted; nothing when none is.
std::vector<LONG> Pending(HWND window) {
    RECT r{};
    return GetUpdateRect(window, &r, FALSE) ? Sides(r) : std::vector<LONG>{};
}

SCROLLINFO Bar(HWND window, int which) {
    SCROLLINFO info = {sizeof info, SIF_ALL, 0, 0, 0, 0, 0};
    GetScrollInfo(window, which, &info);
    return info;
}

int ClientWidth(HWND window) {
    RECT client;
    GetClientRect(window, &client);
    return client.right;
}

using Scrolling = EngineWindowTest;

} // namespace

// Both bars shown (the host fuzzer checks their ranges and positions after every step).
TEST_F(Scrolling, RequestsShrinkingContentAndKeepingRowsInView) {
    const int bar = GetSystemMetrics(SM_CXVSCROLL); // Wine's classic bars are 17 wide
    Open(200, 200); // one column making the content 1000 wide, 100 records
    ASSERT_EQ(engine.PutColumnWidth(0, 1000 - engine.splitterWidth), S_OK);
    ASSERT_TRUE(Load(TextTable(100, 1)));
    const int width = 200 - bar, page = (200 - bar - engine.headerHeight) / engine.rowHeight;
    EXPECT_EQ(std::make_tuple(ClientWidth(engine.hwnd), Bar(engine.hwnd, SB_HORZ).nPage,
                              Bar(engine.hwnd, SB_VERT).nPage),
              std::make_tuple(width, UINT(width), UINT(page)));
    const WPARAM track = MAKEWPARAM(SB_THUMBTRACK, 42), end = MAKEWPARAM(SB_ENDSCROLL, 7),
                 thumb = MAKEWPARAM(SB_THUMBPOSITION, 700);
    const WPARAM vertical[] = {SB_PAGEDOWN, SB_LINEDOWN, SB_LINEUP, SB_PAGEUP,
                               SB_LINEUP,   track,       end,       SB_BOTTOM};
    const int tops[] = {page, page + 1, page, 0, 0, 42, 42, 100 - page};
    const WPARAM horizontal[] = {SB_LINERIGHT, SB_PAGERIGHT, SB_LINELEFT, thumb, SB_LEFT, SB_RIGHT};
    const int xs[] = {10, 10 + width, width, 700, 0, 1000 - width};
    for (int i = 0; i < 8; ++i) {
        SendMessageA(engine.hwnd, WM_VSCROLL, vertical[i], 0);
        EXPECT_EQ(See().top, tops[i]) << "vertical step " << i;
    }
    for (int i = 0; i < 6; ++i) {
        SendMessageA(engine.hwnd, WM_HSCROLL, horizontal[i], 0);
        EXPECT_EQ(See().x, xs[i]) << "horizontal step " << i;
    }
    EXPECT_EQ(See().current, 0) << "scrolling alone never moves the current row";

    engine.ScrollTo(600, 80);
    ASSERT_EQ(engine.PutColumnWidth(0, 300), S_OK);
    EXPECT_EQ(EdgeX(1), width) << "the column's end at the window's right edge";
    ASSERT_TRUE(Load(TextTable(20, 1)));
    EXPECT_EQ(See().top, 20 - See().page);
    engine.EnsureRowVisible(2, true); // scrolls as little as possible
    EXPECT_EQ(See().top, 2);

    // With room for no bar, a load without records hides the vertical one inside its scroll.
    SetWindowPos(engine.hwnd, nullptr, 0, 0, 0, 60, SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_TRUE(Load(TextTable(0, 1))); // the splitter alone is wider than no room
    SendMessageA(engine.hwnd, WM_HSCROLL, SB_LINERIGHT, 0);
    const int last = EdgeX(1) + See().x - 1; // the content's last pixel
    EXPECT_EQ(std::make_pair(See().x, Bar(engine.hwnd, SB_HORZ).nPos), std::make_pair(last, last));
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
    for (UINT message : {WM_VSCROLL, WM_HSCROLL, WM_VSCROLL})
        SendMessageA(engine.hwnd, message, message == WM_HSCROLL ? SB_LINERIGHT : SB_PAGEDOWN, 0);
    expectSameAsFresh("scroll");
    const int edge = EdgeX(2) - 2; // column 1 grows by 30 pixels, then shrinks by 60
    Down(edge);
    for (int to : {edge + 30, edge - 60}) {
        Move(to);
        expectSameAsFresh("resize");
    }
    Up(edge - 60);
}

// A new DPI, font, metrics, colours or theme lay the view out anew; other settings do not.
TEST_F(Scrolling, DisplayChangesKeepTheRowsTheColumnsLookAndTheSidewaysPlace) {
    Open(300, 200);
    ASSERT_EQ(engine.PutColumnWidth(0, 300), S_OK); // the others keep the default width
    ASSERT_TRUE(Load(TextTable(100, 3)));
    ASSERT_TRUE(engine.SetGroupLevelsKeepingRow(1)); // a hundred groups, a level tool
    engine.SelectRow(40);
    SendMessageA(engine.hwnd, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 30), 0);
    SendMessageA(engine.hwnd, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 120), 0);
    // A resize under way, whose pixels the new DPI would make wrong.
    Down(EdgeX(1) - 1, 2);
    ASSERT_EQ(See().track, TrackResize);
    auto content = [&] { return EdgeX(3) + See().x; };
    const int dpi = engine.dpi, before = content(), other = 2 * dpi;
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
        EXPECT_EQ(std::make_tuple(engine.dpi, Width(0), Width(1), See().current, See().top),
                  std::make_tuple(at, MulDiv(300, at, dpi), MulDiv(100, at, dpi), 40, 30))
            << std::hex << message << " " << action;
        EXPECT_LE(std::abs(See().x * before - 120 * content()), before);
        EXPECT_EQ(ToolRect(0), LevelButtonShown(0)) << "the level tool on its button";
    }
    EXPECT_EQ(std::make_pair(See().track, GetCapture()),
              std::make_pair(int32_t(TrackNone), HWND(nullptr)))
        << "the resize ended at the new DPI";
}

TEST_F(Scrolling, RepaintingEraseReflectedMessagesAndFocusRepaintingOnlyTheCurrentRow) {
    Open(200, 200);
    ASSERT_TRUE(Load(TextTable(30, 1)));
    engine.SelectRow(3);
    UpdateWindow(engine.hwnd);
    HDC dc = GetDC(engine.hwnd);
    IntersectClipRect(dc, 10, 20, 60, 70);
    EXPECT_EQ(SendMessageA(engine.hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0), 1);
    EXPECT_EQ(Pending(engine.hwnd), (std::vector<LONG>{10, 20, 60, 70})) << "left to the paint";
    // A reflected message gets the default result of the original.
    const WPARAM w = reinterpret_cast<WPARAM>(dc);
    const LPARAM l = reinterpret_cast<LPARAM>(engine.hwnd);
    for (UINT original : {WM_CTLCOLORSTATIC, WM_CTLCOLORBTN}) {
        const LRESULT expected = DefWindowProcA(engine.hwnd, original, w, l);
        ASSERT_NE(expected, 0) << "the default answer is a brush";
        EXPECT_EQ(SendMessageA(engine.hwnd, OCM__BASE + original, w, l), expected);
    }
    ReleaseDC(engine.hwnd, dc);

    UpdateWindow(engine.hwnd);
    const int h = engine.headerHeight, rh = engine.rowHeight, width = ClientWidth(engine.hwnd);
    SetFocus(engine.hwnd);
    EXPECT_EQ(Pending(engine.hwnd), (std::vector<LONG>{0, h + 3 * rh, width, h + 4 * rh}));

    SendMessageA(engine.hwnd, WM_VSCROLL, SB_LINEDOWN, 0);
    UpdateWindow(engine.hwnd);
    SetFocus(host);
    EXPECT_EQ(Pending(engine.hwnd), (std::vector<LONG>{0, h + 2 * rh, width, h + 3 * rh}));
}
