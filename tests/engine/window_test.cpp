#include "engine/engine_test_support.h"

// The control's window: styles, lifecycle, the dispatch's results, focus and caret.

namespace {

// The area waiting to be painted, as {left, top, right, bottom}.
std::vector<LONG> Pending(HWND window) {
    RECT r{};
    return GetUpdateRect(window, &r, FALSE) ? std::vector<LONG>{r.left, r.top, r.right, r.bottom}
                                            : std::vector<LONG>{};
}

} // namespace

TEST(EngineWindowClass, StylesAndLifecycle) {
    HWND host = TestHost(300, 200);
    RecordingEngine engine;
    HWND window = engine.CreateEngineWindow(host, ControlBounds(200, 100));
    ASSERT_EQ(GetParent(window), host);
    EXPECT_EQ(GetWindowLongPtrA(window, GWL_STYLE) & (WS_CHILD | WS_VISIBLE),
              WS_CHILD | WS_VISIBLE);
    EXPECT_TRUE(GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);

    RecordingEngine other; // a second window reuses the class
    ASSERT_NE(other.CreateEngineWindow(host, ControlBounds(50, 50)), nullptr);
    EXPECT_FALSE(ViewEngine::UnregisterEngineClass()) << "windows of the class exist";
    engine.DestroyEngineWindow(), other.DestroyEngineWindow();
    EXPECT_FALSE(IsWindow(window));
    EXPECT_TRUE(ViewEngine::UnregisterEngineClass());
    {
        RecordingEngine scoped; // registers the class again; its end destroys its window
        window = scoped.CreateEngineWindow(host, ControlBounds(50, 50));
        ASSERT_TRUE(IsWindow(window));
    }
    EXPECT_FALSE(IsWindow(window));
}

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
    EXPECT_TRUE(IsReflectedMessage(0x2111) && IsReflectedMessage(0x2210));
    EXPECT_FALSE(IsReflectedMessage(0x2130) || IsReflectedMessage(0x2112));

    UpdateWindow(engine.hwnd);
    const int h = engine.headerHeight, rh = engine.rowHeight, width = engine.view.clientWidth;
    SetFocus(engine.hwnd);
    EXPECT_EQ(Pending(engine.hwnd), (std::vector<LONG>{0, h + 3 * rh, width, h + 4 * rh}));

    // The caret stands at the current row from the moment the focus arrives, and follows the
    // selection and the order changes, limited to the page.
    POINT caret{-1, -1};
    auto caretY = [&] { return GetCaretPos(&caret) ? caret.y : -1; };
    EXPECT_EQ(caretY(), h + 3 * rh);
    engine.SortRowsByColumn(0); // record 3 (r3c0) moves down to row 23
    EXPECT_EQ(caretY(), h + engine.view.pageRows * rh);
    engine.SelectRow(5); // where the row's text starts: magnifiers show the row
    EXPECT_EQ(std::make_pair(caretY(), caret.x),
              std::make_pair(LONG(h + 5 * rh), LONG(engine.splitterWidth + engine.textMargin)));
    engine.SelectRow(25); // scrolls: the row becomes the last whole row
    EXPECT_EQ(engine.view.topRow, 25 - engine.view.pageRows + 1);
    EXPECT_EQ(caretY(), h + (engine.view.pageRows - 1) * rh);
    SendMessageA(engine.hwnd, WM_VSCROLL, SB_TOP, 0);
    EXPECT_EQ(caretY(), h + engine.view.pageRows * rh);

    SendMessageA(engine.hwnd, WM_VSCROLL, SB_BOTTOM, 0);
    UpdateWindow(engine.hwnd);
    SetFocus(host);
    EXPECT_EQ(engine.view.hasFocus, 0);
    const int top = h + (engine.view.currentRow - engine.view.topRow) * rh;
    EXPECT_EQ(Pending(engine.hwnd), (std::vector<LONG>{0, top, width, top + rh}));

    SetFocus(engine.hwnd);
    engine.SetGroupLevelsKeepingRow(1); // the current record's group header: at its caption
    EXPECT_EQ(caretY() >= 0 ? caret.x : -1, LONG(2 * engine.indentWidth));
}
