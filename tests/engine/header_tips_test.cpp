#include "engine/engine_test_support.h"

// The tooltip window of the header and the mouse wheel, driven through real messages.

namespace {

// A host procedure that counts the wheel messages its children hand on.
int hostWheels = 0;
LRESULT CALLBACK CountingHost(HWND window, UINT message, WPARAM w, LPARAM l) {
    hostWheels += message == WM_MOUSEWHEEL || message == WM_MOUSEHWHEEL;
    return DefWindowProcA(window, message, w, l);
}

class HeaderTipsTest : public EngineWindowTest {
protected:
    void SetUp() override {
        Open(300, 120);
        ASSERT_NE(engine.headerTips.tipWindow, nullptr);
    }
    HWND Tips() const { return engine.headerTips.tipWindow; }
    LRESULT ToolCount() const { return SendMessageA(Tips(), TTM_GETTOOLCOUNT, 0, 0); }
    TTTOOLINFOA Tool(UINT_PTR id) const {
        TTTOOLINFOA tool = {};
        tool.cbSize = TTTOOLINFOA_V2_SIZE;
        tool.hwnd = engine.hwnd;
        tool.uId = id;
        return tool;
    }
    // The tool's rectangle; none when the tool is not registered.
    std::vector<LONG> ToolRect(UINT_PTR id) const {
        TTTOOLINFOA tool = Tool(id);
        if (!SendMessageA(Tips(), TTM_GETTOOLINFOA, 0, reinterpret_cast<LPARAM>(&tool)))
            return {};
        return {tool.rect.left, tool.rect.top, tool.rect.right, tool.rect.bottom};
    }
    // What the control answers when the tooltip asks for a level tool's text; "?" unanswered.
    std::string LevelText(int id) const {
        NMTTDISPINFOA request = {};
        request.hdr = {Tips(), static_cast<UINT_PTR>(id), TTN_NEEDTEXTA};
        request.szText[0] = '?';
        EXPECT_EQ(SendMessageA(engine.hwnd, WM_NOTIFY, static_cast<WPARAM>(id),
                               reinterpret_cast<LPARAM>(&request)),
                  0);
        return request.lpszText ? request.lpszText : request.szText;
    }
    std::vector<LONG> ButtonAt(int level) const {
        const RECT r = engine.layout.LevelButtonRect(level);
        return {r.left - engine.view.scrollX, r.top, r.right - engine.view.scrollX, r.bottom};
    }
};

} // namespace

TEST_F(HeaderTipsTest, LevelToolsFollowTheGroupingTheScrollAndANewWindow) {
    const std::wstring longLabel(100, L'L');
    ASSERT_EQ(engine.PutColumnLabel(0, longLabel.c_str()), S_OK);
    ASSERT_EQ(engine.PutColumnLabel(1, L"City"), S_OK);
    ASSERT_EQ(engine.PutColumnWidth(2, 600), S_OK);
    ASSERT_TRUE(Load(TextTable(4, 3)));
    EXPECT_EQ(ToolCount(), 1) << "only the tracking tip";

    ASSERT_TRUE(engine.SetGroupLevelsKeepingRow(3));
    EXPECT_EQ(ToolCount(), 4);
    EXPECT_EQ(ToolRect(2), ButtonAt(2));
    ASSERT_TRUE(engine.SetGroupLevelsKeepingRow(1));
    EXPECT_EQ(ToolCount(), 2) << "the tools of the removed levels go";
    EXPECT_TRUE(ToolRect(1).empty());
    EXPECT_EQ(LevelText(0), std::string(79, 'L')) << "cut to 79 characters";
    EXPECT_EQ(LevelText(1), "?") << "no such level";
    EXPECT_EQ(LevelText(-1), "?");

    SendMessageA(engine.hwnd, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 25), 0);
    ASSERT_EQ(engine.view.scrollX, 25);
    EXPECT_EQ(ToolRect(0), ButtonAt(0)) << "the tool moved with the header";

    // The container makes the window anew: the tool of the level shown is there again.
    engine.DestroyEngineWindow();
    ASSERT_NE(engine.CreateEngineWindow(host, ControlBounds(300, 120)), nullptr);
    EXPECT_EQ(ToolCount(), 2);
    EXPECT_EQ(ToolRect(0), ButtonAt(0));
    EXPECT_EQ(LevelText(0).size(), 79u);

    // New data drop the grouping: the leftover tool answers nothing.
    ASSERT_TRUE(Load(TextTable(4, 3)));
    EXPECT_EQ(LevelText(0), "?");
}

TEST_F(HeaderTipsTest, WheelScrollsRowsAndSidewaysAndHandsTheEndsToTheHost) {
    ASSERT_EQ(engine.PutColumnWidth(0, 700), S_OK);
    ASSERT_TRUE(Load(TextTable(100, 1)));
    engine.SelectRow(2);
    UINT lines = 0;
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0));
    ASSERT_GT(lines, 0u);
    ASSERT_LT(lines, 20u);
    const WNDPROC original = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(host, GWLP_WNDPROC));
    SetWindowLongPtrA(host, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountingHost));

    const int maxTop = 100 - engine.view.pageRows;
    const struct {
        UINT message;
        int delta, top, x, toHost;
    } steps[] = {
        {WM_MOUSEWHEEL, 120, 0, 0, 1},              // already at the top: the host's
        {WM_MOUSEWHEEL, -120, int(lines), 0, 0},    // one notch down
        {WM_MOUSEWHEEL, -20, int(lines), 0, 0},     // half a row waits
        {WM_MOUSEWHEEL, -20, int(lines) + 1, 0, 0}, // and completes one
        {WM_MOUSEWHEEL, -120 * 50, maxTop, 0, 0},   // clamped at the end
        {WM_MOUSEWHEEL, -120, maxTop, 0, 1},        // at the end: the host's
        {WM_MOUSEHWHEEL, 120, maxTop, 30, 0},       // tilted right: 3 steps of 10 pixels
        {WM_MOUSEHWHEEL, -120, maxTop, 0, 0},
        {WM_MOUSEHWHEEL, -120, maxTop, 0, -1}, // Wine's default keeps it; Windows hands it on
    };
    UINT chars = 3;
    SystemParametersInfoA(SPI_GETWHEELSCROLLCHARS, 0, &chars, 0);
    ASSERT_EQ(chars, 3u);
    for (const auto& s : steps) {
        hostWheels = 0;
        SendMessageA(engine.hwnd, s.message, MAKEWPARAM(0, s.delta), MAKELPARAM(50, 50));
        EXPECT_EQ(engine.view.topRow, s.top) << s.delta;
        EXPECT_EQ(engine.view.scrollX, s.x) << s.delta;
        EXPECT_TRUE(s.toHost < 0 || hostWheels == s.toHost) << s.delta;
    }
    EXPECT_EQ(engine.view.currentRow, 2) << "the wheel never selects";

    // A setting of pages scrolls a page a notch.
    ASSERT_TRUE(SystemParametersInfoA(SPI_SETWHEELSCROLLLINES, WHEEL_PAGESCROLL, nullptr, 0));
    SendMessageA(engine.hwnd, WM_MOUSEWHEEL, MAKEWPARAM(0, 120), 0);
    SystemParametersInfoA(SPI_SETWHEELSCROLLLINES, lines, nullptr, 0);
    EXPECT_EQ(engine.view.topRow, maxTop - engine.view.pageRows);
    SetWindowLongPtrA(host, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
}
