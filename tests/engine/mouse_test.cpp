#include "engine/engine_test_support.h"

// The mouse on the control's window: real button messages at real coordinates, real capture.

namespace {

int hostWheels = 0; // wheel messages the host got from its children
LRESULT CALLBACK CountingHost(HWND window, UINT message, WPARAM w, LPARAM l) {
    hostWheels += message == WM_MOUSEWHEEL || message == WM_MOUSEHWHEEL;
    return DefWindowProcA(window, message, w, l);
}

class Mouse : public EngineWindowTest {
protected:
    void DoubleClick(int x, int y = 8) { Click(x, y), Send(WM_LBUTTONDBLCLK, x, y), Up(x, y); }
    void Drag(int fromX, int toX) { Down(fromX), Move(toX), Up(toX); }
    int Splitter() const { return EdgeX(0) - engine.splitterWidth + 2; }
    std::string Events() { return std::exchange(engine.events, ""); }
    // The control's own pointer shape at a window point; none when it leaves it to the default.
    HCURSOR Shape(int x, int y, WORD code = HTCLIENT) {
        POINT screen{x, y};
        ClientToScreen(engine.hwnd, &screen);
        SetCursorPos(screen.x, screen.y);
        MSG posted; // the last message's position, the pointer's, is the one WM_SETCURSOR reads
        PostMessageA(engine.hwnd, WM_APP, 0, 0);
        PeekMessageA(&posted, engine.hwnd, WM_APP, WM_APP, PM_REMOVE);
        SetCursor(nullptr);
        Send(WM_SETCURSOR, code, WM_MOUSEMOVE, reinterpret_cast<WPARAM>(engine.hwnd));
        for (HCURSOR own :
             {engine.sizeCursor, engine.resizeCursor, engine.splitCursor, engine.handCursor})
            if (GetCursor() == own)
                return own;
        return nullptr;
    }
    std::string TipText() {
        char text[200] = "";
        ToolRect(HeaderTips::groupingToolId, text, TTM_GETTEXTA);
        return IsWindowVisible(Tips()) ? text : "(hidden)";
    }
    // What the control answers when the tooltip asks for a level tool's text; "?" unanswered.
    std::wstring LevelText(int id) {
        NMTTDISPINFOW request = {};
        request.hdr = {Tips(), static_cast<UINT_PTR>(id), TTN_NEEDTEXTW};
        request.szText[0] = L'?';
        EXPECT_EQ(SendMessageA(engine.hwnd, WM_NOTIFY, id, reinterpret_cast<LPARAM>(&request)), 0);
        return request.lpszText ? request.lpszText : request.szText;
    }
};

} // namespace

TEST_F(Mouse, RowsSelectToggleAndReportDoubleClicksAndContextMenus) {
    Open(MulDiv(300, engine.dpi, 96), MulDiv(150, engine.dpi, 96)); // rows as many at any DPI
    ASSERT_TRUE(Load(TableOf({{L"b", L"3"}, {L"a", L"1"}, {L"a", L"2"}})));
    ASSERT_TRUE(engine.SetGroupLevelsKeepingRow(1));
    ASSERT_TRUE(engine.ExpandRow(0)); // a, record 1, record 2, b: rows are not records
    const int glyph = 4, caption = 2 * engine.indentWidth + 2, cell = EdgeX(0) + 9;
    engine.reported.clear();
    const struct {
        char action; // Left, Double, Right, or a Key (Down arrow)
        int x, row, frozen, current, rows;
        std::string events; // {y} stands for the row's y
    } steps[] = {
        {'L', cell, 2, 0, 2, 4, ""},
        {'L', caption, 0, 0, 0, 4, ""},
        {'L', glyph, 3, 0, 0, 5, ""}, // opens b, the current row stays
        {'D', glyph, 3, 0, 0, 5, ""}, // closes and opens it again
        {'D', cell, 1, 0, 1, 5, "double " + std::to_string(cell) + ",{y} 1"},
        {'D', caption, 0, 0, 0, 3, ""}, // selects a, then closes it
        {'R', caption, 1, 0, 0, 3, "menu " + std::to_string(caption) + ",{y} -1"},
        {'R', cell, 2, 0, 2, 3, "menu " + std::to_string(cell) + ",{y} 0"},
        {'L', 250, 0, 0, 2, 3, ""}, // right of the caption
        {'R', -3, 0, 0, 2, 3, "menu -3,{y} -1"},
        {'L', cell, 0, 1, 2, 3, "beep"},
        {'D', caption, 0, 1, 2, 3, "beep; beep"},
        {'R', cell, 0, 1, 2, 3, "beep"},
        {'K', 0, 0, 1, 2, 3, "beep"}, // the keys pass the same gate
    };
    for (const auto& s : steps) {
        const int y = RowTop(s.row) + 5;
        engine.frozen = s.frozen;
        s.action == 'L'   ? Click(s.x, y)
        : s.action == 'D' ? DoubleClick(s.x, y)
        : s.action == 'R' ? RightClick(s.x, y)
                          : Send(WM_KEYDOWN, 1, 0, VK_DOWN);
        std::string expected = s.events;
        if (const size_t at = expected.find("{y}"); at != std::string::npos)
            expected.replace(at, 3, std::to_string(y));
        SCOPED_TRACE(testing::Message() << s.action << " at " << s.x << ", row " << s.row);
        EXPECT_EQ(Events(), expected);
        EXPECT_EQ(std::make_pair(See().current, engine.DisplayedRows()),
                  std::make_pair(s.current, s.rows));
        EXPECT_EQ(GetCapture(), nullptr) << "rows never capture";
    }
    EXPECT_EQ(engine.reported, (std::vector<int32_t>{2, -1, 1, -1, 0}));
}

TEST_F(Mouse, HeaderClicksSortLevelButtonsReverseAndThePointerShowsWhatLiesUnder) {
    Open(400, 120);
    ASSERT_TRUE(Load(TableOf({{L"b", L"2", L"x"}, {L"a", L"3", L"z"}, {L"c", L"1", L"y"}})));
    engine.SelectRow(1);
    const int32_t selected = engine.reported.back();
    const std::pair<int, std::string> clicks[] = {{1, "1 up"}, {1, "1 down"}, {-2, "2 down"}};
    for (const auto& [position, sorted] : clicks) {
        position < 0 ? DoubleClick(EdgeX(-position) + 50) : Click(EdgeX(position) + 50);
        EXPECT_EQ(std::make_pair(See().sort, engine.reported.back()),
                  std::make_pair(sorted, selected))
            << "a double click sorts twice; the same record stays current";
    }
    Down(EdgeX(0) + 50), Up(EdgeX(0) + 50, 100);
    EXPECT_EQ(See().sort, "0 up") << "released away, but not dragged: still a click";

    // A level button pops up while the pointer is away and never drags; back on it, it reverses.
    ASSERT_TRUE(engine.SetGroupLevelsKeepingRow(1));
    engine.SelectRow(0); // group a of a, b, c
    const RECT button = LevelButton(0);
    const int bx = button.left + 5, by = button.top + 5;
    for (int on : {0, 1}) {
        Down(bx, by), Move(bx + 100, by);
        EXPECT_EQ(std::make_pair(See().track, engine.ButtonShownPressed(engine.LevelButton, 0)),
                  std::make_pair(int32_t(TrackPress), false));
        Move(bx, by);
        EXPECT_TRUE(engine.ButtonShownPressed(engine.LevelButton, 0));
        Move(bx, on ? by : by + 100), Up(bx, on ? by : by + 100);
        EXPECT_EQ(See().current, 2 * on) << "reversed, the current group a comes last";
    }
    // Grouping area 0..55 with its button at 18..37, splitter zone 50..61, columns at 62, 162.
    const int row = RowTop(0) + 5;
    const std::pair<POINT, HCURSOR> points[] = {
        {{27, 7}, nullptr},  {{50, 8}, engine.sizeCursor},    {{64, 8}, engine.sizeCursor},
        {{100, 8}, nullptr}, {{157, 8}, engine.resizeCursor}, {{4, row}, engine.handCursor},
        {{24, row}, nullptr}};
    for (const auto& [at, cursor] : points)
        EXPECT_EQ(Shape(at.x, at.y), cursor) << at.x << ", " << at.y;
    EXPECT_EQ(Shape(4, row, HTBORDER), nullptr) << "only the client area";
    // A single column cannot be dragged: its button behaves as a level button does.
    ASSERT_TRUE(Load(TextTable(3, 1)));
    Down(EdgeX(0) + 50), Move(EdgeX(0) + 50, 200);
    EXPECT_EQ(See().track, TrackPress);
    Up(EdgeX(0) + 50, 200);
    EXPECT_EQ(See().sort, "0 up");
    ASSERT_TRUE(Load(TextTable(3, 0)));
    EXPECT_EQ(Shape(50, 8), nullptr) << "nothing without columns";
}

TEST_F(Mouse, ColumnDragMovesOnlyToAnotherEdgeAndFirstPlaceGroups) {
    Open(420, 120);
    int column = 0;
    for (const wchar_t* label : {L"Region", L"City", L"Customer"})
        ASSERT_EQ(engine.PutColumnLabel(column++, label), S_OK);
    ASSERT_TRUE(Load(TableOf({{L"North", L"Oslo", L"Berg"},
                              {L"North", L"Bergen", L"Fjord"},
                              {L"South", L"Rome", L"Via"}})));
    for (int edge : {2, 3}) { // the dragged column's own edges: nothing moves
        Down(EdgeX(2) + 40), Move(EdgeX(2) + 50), Move(EdgeX(edge) + 3);
        EXPECT_EQ(See().track, TrackColumnDrag);
        Up(EdgeX(edge) + 3);
        EXPECT_EQ(See().order, (std::vector<int32_t>{0, 1, 2})) << "its own edge " << edge;
        EXPECT_EQ(ImageList_GetDragImage(nullptr, nullptr), nullptr) << "the image is gone";
    }

    // A drop on edge 0 groups by Customer, its header current.
    ASSERT_TRUE(engine.SetGroupLevelsKeepingRow(1));
    ExpandAll(engine);
    engine.SelectRow(1);
    ASSERT_NE(engine.reported.back(), -1);
    Down(EdgeX(2) + 40), Move(EdgeX(2) - 20), Move(EdgeX(1) + 20);
    Move(EdgeX(0) - 20), Up(EdgeX(0) - 20);
    EXPECT_EQ(std::make_pair(See().order, See().levels), std::make_pair(std::vector{2, 0, 1}, 1));
    EXPECT_EQ(engine.reported.back(), -1) << "a group's header current, and the host hears of it";

    // A window destroyed mid-drag ends the drag and frees its image; the new one drags below.
    Down(EdgeX(2) + 40), Move(EdgeX(2) + 10);
    ASSERT_NE(ImageList_GetDragImage(nullptr, nullptr), nullptr);
    engine.DestroyEngineWindow();
    EXPECT_EQ(std::make_pair(See().track, ImageList_GetDragImage(nullptr, nullptr)),
              std::make_pair(int32_t(TrackNone), HIMAGELIST(nullptr)));
    ASSERT_NE(engine.CreateEngineWindow(host, ControlBounds(420, 120)), nullptr);

    // Pressed two screens into a column wider than the screen: the image is the slice there.
    const int screen = GetSystemMetrics(SM_CXVIRTUALSCREEN);
    ASSERT_EQ(engine.PutColumnWidth(See().order[2], 100000000), S_OK);
    engine.ScrollTo(EdgeX(2) + 2 * screen, 0);
    Down(EdgeX(2) + 2 * screen + 40), Move(EdgeX(2) + 2 * screen + 10);
    int imageWidth = 0, imageHeight = 0;
    POINT hotSpot{-1, -1};
    ASSERT_TRUE(ImageList_GetIconSize(ImageList_GetDragImage(nullptr, &hotSpot), &imageWidth,
                                      &imageHeight));
    EXPECT_LE(imageWidth, screen);
    EXPECT_TRUE(hotSpot.x >= 0 && hotSpot.x < imageWidth) << hotSpot.x;
    Up(0);
}

TEST_F(Mouse, ResizeStopsAtZeroTheHiddenEdgeIsFoundAgainAndADoubleClickFits) {
    Open(400, 120);
    ASSERT_EQ(engine.PutColumnLabel(0, L""), S_OK);
    ASSERT_TRUE(Load(TableOf({{L"&&&&", L"x"}, {L"&&&&&&&&", L"y"}})));
    const int edge = EdgeX(1) - 2; // the right resize zone of position 0
    Down(edge), Move(edge + 40);
    EXPECT_EQ(EdgeX(1), edge + 42) << "the edge follows the pointer";
    Move(-50), Up(-50); // past the left edge, left of the window
    EXPECT_EQ(Width(0), 0);
    EXPECT_EQ(Shape(EdgeX(1) + 1, 8), engine.splitCursor) << "the hidden edge, from the right";
    Drag(EdgeX(1) + 1, EdgeX(1) + 1001);
    EXPECT_EQ(Width(0), 1000) << "no upper limit";
    // Fitted to the widest text, drawn as it is: an ampersand is no hidden mnemonic prefix.
    DoubleClick(EdgeX(1) - 2);
    EXPECT_EQ(Width(0), TextWidth(engine.listFont, "&&&&&&&&") + 2 * engine.textMargin);
    // Scrolled on while the drag widens the column: the release keeps the view where it is.
    Down(EdgeX(2) - 2), Move(EdgeX(2) + 598);
    SendMessageA(engine.hwnd, WM_HSCROLL, SB_RIGHT, 0);
    const int32_t scrolled = See().x;
    Up(0);
    EXPECT_EQ(std::make_pair(Width(1), See().x), std::make_pair(700, scrolled));
}

TEST_F(Mouse, SplitterDragSetsLevelsAndTheDoubleClickToggles) {
    Open(300, 150); // wider content with every level: the bar changes at the release
    int column = 0;
    for (const wchar_t* label : {L"A", L"B", L"C"})
        ASSERT_EQ(engine.PutColumnLabel(column++, label), S_OK);
    ASSERT_TRUE(Load(TableOf({{L"p", L"x", L"1"}, {L"p", L"y", L"2"}, {L"q", L"x", L"3"}})));
    engine.SelectRow(2); // q's record: the current row stays on it through the levels
    DoubleClick(2);
    EXPECT_EQ(std::make_pair(See().levels, See().current), std::make_pair(1, 1)) << "one level";
    DoubleClick(Splitter());
    EXPECT_EQ(std::make_pair(See().levels, See().current), std::make_pair(0, 2));

    const int w = engine.levelButtonWidth, start = 2 + 2 * engine.groupingMargin;
    Down(2);
    const struct {
        int x;
        std::string tip; // the levels a release would give
    } moves[] = {{start + w - 1, "(hidden)"},
                 {start + w, "A"},
                 {start + 9 * w, "A\nB\nC"}, // no more than the columns
                 {start + 2 * w + 5, "A\nB"}};
    for (const auto& m : moves) {
        Move(m.x);
        EXPECT_EQ(TipText(), m.tip) << m.x;
    }
    EXPECT_EQ(See().levels, 0) << "nothing regroups before the release";
    Up(moves[3].x);
    const Pixels released = Pixels::OfWindow(engine.hwnd, true);
    RedrawWindow(engine.hwnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_TRUE(Pixels::OfWindow(engine.hwnd, true).data == released.data)
        << "the bar is drawn as it is";
    EXPECT_EQ(std::make_pair(See().levels, TipText()), std::make_pair(2, std::string("(hidden)")));

    // Released with the same count: the groups stay as they are, open ones open.
    ASSERT_TRUE(engine.ExpandRow(0));
    const int32_t rows = engine.DisplayedRows(), at = Splitter();
    Drag(at, at + 5);
    EXPECT_EQ(engine.DisplayedRows(), rows);
    Drag(at, -300);
    EXPECT_EQ(See().levels, 0);
    DoubleClick(2);
    EXPECT_EQ(See().levels, 2) << "the remembered grouping comes back";
}

TEST_F(Mouse, RightClickOrAForeignCaptureAbandonsEveryDrag) {
    Open(300, 150); // 362 pixels of content: the horizontal bar shows, and drags change it
    ASSERT_TRUE(Load(TextTable(30, 3)));
    ASSERT_TRUE(engine.SetGroupLevelsKeepingRow(1));
    ExpandAll(engine);
    const Pixels before = Pixels::OfWindow(engine.hwnd, true);
    const int splitter = Splitter(), header = EdgeX(1) + 40;
    const struct {
        int from, to;
        TrackMode mode;
    } drags[] = {{EdgeX(1) - 2, EdgeX(1) + 150, TrackResize},
                 {header, header + 150, TrackColumnDrag},
                 {header, header + 1, TrackPress},
                 {splitter, splitter + 60, TrackSplitterDrag}};
    HWND other =
        CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 1, 1, host, nullptr, nullptr, nullptr);
    for (const auto& d : drags)
        for (bool foreign : {false, true}) {
            SCOPED_TRACE(testing::Message() << d.mode << (foreign ? " foreign" : " right"));
            Down(d.from), Move(d.to);
            Send(WM_MOUSEWHEEL, 50, 50, MAKEWPARAM(0, -120)); // the drag owns the layout
            ASSERT_EQ(See().track, d.mode);
            if (foreign)
                SetCapture(other), ReleaseCapture();
            else
                RightClick(d.to);
            EXPECT_EQ(std::make_tuple(See().track, Events(), TipText()),
                      std::make_tuple(int32_t(TrackNone), "", "(hidden)"))
                << "no event, no beep, no tip";
            Up(d.to);
            EXPECT_EQ(ImageList_GetDragImage(nullptr, nullptr), nullptr);
            EXPECT_TRUE(Pixels::OfWindow(engine.hwnd, true).data == before.data)
                << "the old order, grouping, widths and scroll bar, whose thumb shows the rows";
        }
    DestroyWindow(other);
}

TEST_F(Mouse, LevelToolsFollowTheGroupingAndANewWindow) {
    Open(300, 120);
    auto toolCount = [&] { return SendMessageA(Tips(), TTM_GETTOOLCOUNT, 0, 0); };
    ASSERT_EQ(engine.PutColumnLabel(0, std::wstring(100, L'L').c_str()), S_OK);
    ASSERT_EQ(engine.PutColumnWidth(2, 600), S_OK);
    ASSERT_TRUE(Load(TextTable(4, 3)));
    EXPECT_EQ(toolCount(), 1) << "only the tracking tip";
    ASSERT_TRUE(engine.SetGroupLevelsKeepingRow(3));
    EXPECT_EQ(ToolRect(2), LevelButtonShown(2));
    ASSERT_TRUE(engine.SetGroupLevelsKeepingRow(1));
    EXPECT_EQ(toolCount(), 2) << "the tools of the removed levels go";
    // The pointer rests on the level button that stayed: its tip shows, cut to 79 characters.
    POINT rest{LevelButtonShown(0)[0] + 5, LevelButtonShown(0)[1] + 5}, screen = rest;
    ClientToScreen(engine.hwnd, &screen);
    SetCursorPos(screen.x, screen.y), Move(rest.x, rest.y);
    while (!IsWindowVisible(Tips()) && !MsgWaitForMultipleObjects(0, 0, 0, 3000, QS_ALLINPUT))
        Pump();
    char shown[100] = "";
    GetWindowTextA(Tips(), shown, sizeof shown);
    EXPECT_EQ(shown, std::string(79, 'L'));
    EXPECT_EQ(LevelText(1) + LevelText(-1), L"??") << "no such level";

    // The container makes the window anew: the tool of the level shown is there again.
    engine.DestroyEngineWindow();
    ASSERT_NE(engine.CreateEngineWindow(host, ControlBounds(300, 120)), nullptr);
    EXPECT_EQ(toolCount(), 2);
    EXPECT_EQ(ToolRect(0), LevelButtonShown(0));
    ASSERT_TRUE(Load(TextTable(4, 3)));
    EXPECT_EQ(LevelText(0), L"?") << "new data drop the grouping";
}

TEST_F(Mouse, WheelScrollsRowsAndSidewaysAndHandsTheEndsToTheHost) {
    Open(300, 120);
    ASSERT_EQ(engine.PutColumnWidth(0, 700), S_OK);
    ASSERT_TRUE(Load(TextTable(100, 1)));
    engine.SelectRow(2);
    UINT lines = 0, chars = 0;
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0));
    SystemParametersInfoA(SPI_GETWHEELSCROLLCHARS, 0, &chars, 0);
    ASSERT_TRUE(lines > 0 && lines < 20 && chars == 3);
    const LONG_PTR original =
        SetWindowLongPtrA(host, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountingHost));
    const int page = See().page, maxTop = 100 - page, down = int(lines);
    const struct {
        UINT message;
        int delta, top, x, toHost;
    } steps[] = {
        {WM_MOUSEWHEEL, 120, 0, 0, 1},            // already at the top: the host's
        {WM_MOUSEWHEEL, -120, down, 0, 0},        // one notch down
        {WM_MOUSEWHEEL, -20, down, 0, 0},         // half a row waits
        {WM_MOUSEWHEEL, -20, down + 1, 0, 0},     // and completes one
        {WM_MOUSEWHEEL, -120 * 50, maxTop, 0, 0}, // clamped at the end
        {WM_MOUSEWHEEL, -120, maxTop, 0, 1},      // at the end: the host's
        {WM_MOUSEHWHEEL, 120, maxTop, 30, 0},     // tilted right: 3 steps of 10 pixels
        {WM_MOUSEHWHEEL, -120, maxTop, 0, 0},
    };
    for (const auto& s : steps) {
        hostWheels = 0;
        Send(s.message, 50, 50, MAKEWPARAM(0, s.delta));
        EXPECT_EQ(std::make_tuple(See().top, See().x, hostWheels),
                  std::make_tuple(s.top, s.x, s.toHost))
            << s.delta;
    }
    EXPECT_EQ(See().current, 2) << "the wheel never selects";
    // A setting of pages scrolls a page a notch.
    ASSERT_TRUE(SystemParametersInfoA(SPI_SETWHEELSCROLLLINES, WHEEL_PAGESCROLL, nullptr, 0));
    Send(WM_MOUSEWHEEL, 0, 0, MAKEWPARAM(0, 120));
    SystemParametersInfoA(SPI_SETWHEELSCROLLLINES, lines, nullptr, 0);
    EXPECT_EQ(See().top, maxTop - page);
    SetWindowLongPtrA(host, GWLP_WNDPROC, original);
}
