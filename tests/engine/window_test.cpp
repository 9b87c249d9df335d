#include "engine/engine_test_support.h"

// The control's window: the dispatch's results and the focus's repaint.

namespace {

// The area waiting to be painted, as {left, top, right, bottom}.
std::vector<LONG> Pending(HWND window) {
    RECT r{};
    return GetUpdateRect(window, &r, FALSE) ? std::vector<LONG>{r.left, r.top, r.right, r.bottom}
                                            : std::vector<LONG>{};
}

} // namespace

using EngineDispatch = EngineWindowTest;

TEST_F(EngineDispatch, EraseReflectedMessagesAndFocusRepaintingOnlyTheCurrentRow) {
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
        EXPECT_EQ(SendMessageA(engine.hwnd, original + 0x2000, w, l), expected);
    }
    ReleaseDC(engine.hwnd, dc);

    UpdateWindow(engine.hwnd);
    const int h = engine.headerHeight, rh = engine.rowHeight, width = engine.view.clientWidth;
    SetFocus(engine.hwnd);
    EXPECT_EQ(Pending(engine.hwnd), (std::vector<LONG>{0, h + 3 * rh, width, h + 4 * rh}));

    SendMessageA(engine.hwnd, WM_VSCROLL, SB_LINEDOWN, 0);
    UpdateWindow(engine.hwnd);
    SetFocus(host);
    EXPECT_EQ(engine.view.hasFocus, 0);
    EXPECT_EQ(Pending(engine.hwnd), (std::vector<LONG>{0, h + 2 * rh, width, h + 3 * rh}));
}
