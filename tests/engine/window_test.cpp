#include "engine/engine_test_support.h"

// The control's window: class and styles, the dispatch's results, focus, caret, lifecycle.

namespace {

// Sees the creation parameters the way a hosting layer that overrides the dispatch does.
class CreationWatcher : public RecordingEngine {
public:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_CREATE) {
            const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
            style = create->style;
            exStyle = create->dwExStyle;
        }
        if (message == WM_NCDESTROY)
            sawNcDestroy = true;
        return ViewEngine::HandleMessage(message, wParam, lParam);
    }
    LONG style = 0;
    DWORD exStyle = 0;
    bool sawNcDestroy = false;
};

} // namespace

TEST(EngineWindowClass, ClassAndStylesOfTheControlsWindow) {
    HWND host = TestHost(300, 200);
    CreationWatcher engine;
    HWND window = engine.CreateEngineWindow(host, ControlBounds(200, 100));
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(engine.hwnd, window);
    EXPECT_EQ(GetParent(window), host);
    EXPECT_EQ(static_cast<DWORD>(engine.style),
              static_cast<DWORD>(WS_CHILD | WS_VISIBLE | WS_HSCROLL | WS_VSCROLL));
    EXPECT_EQ(engine.exStyle & WS_EX_CLIENTEDGE, static_cast<DWORD>(WS_EX_CLIENTEDGE));
    EXPECT_TRUE(GetClassLongPtrA(window, GCL_STYLE) & CS_DBLCLKS);
    EXPECT_EQ(reinterpret_cast<HCURSOR>(GetClassLongPtrA(window, GCLP_HCURSOR)),
              LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW)));
    EXPECT_EQ(GetClassLongPtrA(window, GCLP_HBRBACKGROUND), COLOR_WINDOW + 1);
    EXPECT_EQ(GetWindowLongPtrA(window, GWLP_USERDATA), reinterpret_cast<LONG_PTR>(&engine));

    // A second window of the same kind reuses the class.
    RecordingEngine other;
    ASSERT_NE(other.CreateEngineWindow(host, ControlBounds(50, 50)), nullptr);

    EXPECT_FALSE(ViewEngine::UnregisterEngineClass()) << "windows of the class exist";
    engine.DestroyEngineWindow();
    EXPECT_TRUE(engine.sawNcDestroy);
    EXPECT_EQ(engine.hwnd, nullptr);
    EXPECT_FALSE(IsWindow(window));
    other.DestroyEngineWindow();
    EXPECT_TRUE(ViewEngine::UnregisterEngineClass());
    // The next window registers the class again.
    ASSERT_NE(other.CreateEngineWindow(host, ControlBounds(50, 50)), nullptr);
}

TEST(EngineWindowClass, DestroyingTheObjectDestroysItsWindow) {
    HWND host = TestHost(300, 200);
    HWND window;
    {
        RecordingEngine engine;
        window = engine.CreateEngineWindow(host, ControlBounds(100, 100));
        ASSERT_TRUE(IsWindow(window));
    }
    EXPECT_FALSE(IsWindow(window));
}

using EngineDispatch = EngineWindowTest;

TEST_F(EngineDispatch, EraseBackgroundReportsErasedAndLeavesItToThePaint) {
    Open(200, 150);
    UpdateWindow(engine.hwnd);
    ValidateRect(engine.hwnd, nullptr);
    HDC dc = GetDC(engine.hwnd);
    RECT clip{10, 20, 60, 70};
    IntersectClipRect(dc, clip.left, clip.top, clip.right, clip.bottom);
    EXPECT_EQ(SendMessageA(engine.hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0), 1);
    ReleaseDC(engine.hwnd, dc);
    RECT pending{};
    ASSERT_TRUE(GetUpdateRect(engine.hwnd, &pending, FALSE));
    EXPECT_EQ(pending.left, clip.left);
    EXPECT_EQ(pending.top, clip.top);
    EXPECT_EQ(pending.right, clip.right);
    EXPECT_EQ(pending.bottom, clip.bottom);
}

TEST_F(EngineDispatch, ReflectedMessagesGetTheDefaultResultOfTheOriginal) {
    Open(200, 150);
    HDC dc = GetDC(engine.hwnd);
    const WPARAM w = reinterpret_cast<WPARAM>(dc);
    const LPARAM l = reinterpret_cast<LPARAM>(engine.hwnd);
    // The default procedure answers a control-colour request with a brush.
    const LRESULT original = DefWindowProcA(engine.hwnd, WM_CTLCOLORSTATIC, w, l);
    ASSERT_NE(original, 0);
    EXPECT_EQ(SendMessageA(engine.hwnd, WM_CTLCOLORSTATIC + 0x2000, w, l), original);
    EXPECT_EQ(SendMessageA(engine.hwnd, WM_CTLCOLORBTN + 0x2000, w, l),
              DefWindowProcA(engine.hwnd, WM_CTLCOLORBTN, w, l));
    ReleaseDC(engine.hwnd, dc);
    // The reflected command goes the same way (its default result is 0).
    EXPECT_EQ(SendMessageA(engine.hwnd, WM_COMMAND + 0x2000, 1, 0), 0);
    EXPECT_TRUE(IsReflectedMessage(0x2111));
    EXPECT_TRUE(IsReflectedMessage(0x2210));
    EXPECT_FALSE(IsReflectedMessage(0x2130));
    EXPECT_FALSE(IsReflectedMessage(0x2112));
}

TEST_F(EngineDispatch, FocusRepaintsOnlyTheCurrentRowAndPlacesTheCaret) {
    Open(200, 200);
    ASSERT_TRUE(Load(TextTable(30, 1)));
    ASSERT_EQ(engine.currentRow, 0);
    engine.SelectRow(3);
    UpdateWindow(engine.hwnd);

    SetFocus(engine.hwnd);
    ASSERT_EQ(engine.hasFocus, 1);
    RECT pending{};
    ASSERT_TRUE(GetUpdateRect(engine.hwnd, &pending, FALSE));
    const int top = engine.headerHeight + 3 * engine.rowHeight;
    EXPECT_EQ(pending.top, top);
    EXPECT_EQ(pending.bottom, top + engine.rowHeight);
    EXPECT_EQ(pending.left, 0);
    UpdateWindow(engine.hwnd);

    // The caret follows the selection, limited to the page.
    engine.SelectRow(5);
    POINT caret{};
    GetCaretPos(&caret);
    EXPECT_EQ(caret.x, 0);
    EXPECT_EQ(caret.y, engine.headerHeight + 5 * engine.rowHeight);
    engine.SelectRow(25); // scrolls: the row becomes the last whole row
    EXPECT_EQ(engine.topRow, 25 - engine.pageRows + 1);
    GetCaretPos(&caret);
    EXPECT_EQ(caret.y, engine.headerHeight + (engine.pageRows - 1) * engine.rowHeight);
    SendMessageA(engine.hwnd, WM_VSCROLL, SB_TOP, 0);
    GetCaretPos(&caret);
    EXPECT_EQ(caret.y, engine.headerHeight + engine.pageRows * engine.rowHeight);

    SendMessageA(engine.hwnd, WM_VSCROLL, SB_BOTTOM, 0);
    UpdateWindow(engine.hwnd);
    SetFocus(host);
    EXPECT_EQ(engine.hasFocus, 0);
    ASSERT_TRUE(GetUpdateRect(engine.hwnd, &pending, FALSE));
    const int visible = engine.currentRow - engine.topRow;
    EXPECT_EQ(pending.top, engine.headerHeight + visible * engine.rowHeight);
    EXPECT_EQ(pending.bottom - pending.top, engine.rowHeight);
}

TEST_F(EngineDispatch, FocusWithoutACurrentRowRepaintsNothing) {
    Open(200, 200);
    UpdateWindow(engine.hwnd);
    ASSERT_EQ(engine.currentRow, -1);
    SetFocus(engine.hwnd);
    EXPECT_EQ(engine.hasFocus, 1);
    EXPECT_FALSE(GetUpdateRect(engine.hwnd, nullptr, FALSE));
    SetFocus(host);
    EXPECT_FALSE(GetUpdateRect(engine.hwnd, nullptr, FALSE));
}

TEST_F(EngineDispatch, RecreatedWindowShowsTheSameDataGroupingAndRow) {
    Open(300, 200);
    ASSERT_TRUE(Load(TableOf({{L"b", L"1"}, {L"a", L"2"}, {L"b", L"3"}, {L"c", L"4"}})));
    ASSERT_TRUE(engine.SetGroupLevelsKeepingRow(1));
    ExpandAll(engine);
    // Rows: group a, its record, group b, its two records, group c, its record.
    engine.SelectRow(3);
    const int32_t selected = engine.selectedRecord;
    const int32_t rows = engine.DisplayedRows();
    ASSERT_NE(selected, -1);

    engine.DestroyEngineWindow();
    EXPECT_EQ(engine.hwnd, nullptr);
    ASSERT_NE(engine.CreateEngineWindow(host, ControlBounds(300, 200)), nullptr);
    EXPECT_EQ(engine.store.recordCount, 4);
    EXPECT_EQ(engine.store.groupLevelCount, 1);
    EXPECT_EQ(engine.DisplayedRows(), rows);
    EXPECT_EQ(engine.currentRow, 3);
    EXPECT_EQ(engine.selectedRecord, selected);
    // And it paints them: the selected row carries the selection colour.
    const Pixels pixels = Pixels::OfWindow(engine.hwnd);
    const int y = engine.headerHeight + 3 * engine.rowHeight + engine.rowHeight / 2;
    EXPECT_EQ(pixels.At(engine.ColumnsLeft(false) + 1, y), GetSysColor(COLOR_BTNFACE));
}

using ColumnProperties = EngineWindowTest;

TEST_F(ColumnProperties, ResultCodesAndTheirCheckOrder) {
    BSTR label = nullptr;
    int32_t value = 0;
    EXPECT_EQ(engine.GetColumnLabel(-1, nullptr), E_POINTER);
    EXPECT_EQ(engine.GetColumnLabel(-1, &label), E_INVALIDARG);
    EXPECT_EQ(engine.PutColumnLabel(-1, L"x"), E_INVALIDARG);
    EXPECT_EQ(engine.GetColumnWidth(-1, nullptr), E_INVALIDARG);
    EXPECT_EQ(engine.GetColumnWidth(0, nullptr), E_POINTER);
    EXPECT_EQ(engine.PutColumnWidth(-1, 10), E_INVALIDARG);
    EXPECT_EQ(engine.PutColumnWidth(0, -1), E_INVALIDARG);
    EXPECT_EQ(engine.GetColumnAlign(-1, nullptr), E_POINTER);
    EXPECT_EQ(engine.GetColumnAlign(-1, &value), E_INVALIDARG);
    EXPECT_EQ(engine.PutColumnAlign(-1, 1), E_INVALIDARG);
    EXPECT_EQ(engine.GetColumnCount(nullptr), E_POINTER);
    EXPECT_EQ(engine.GetRecordCount(nullptr), E_POINTER);
    EXPECT_EQ(engine.GetSelectedRecord(nullptr), E_POINTER);
    EXPECT_EQ(engine.store.columnInfoCount, 0) << "refused calls create nothing";
    EXPECT_EQ(engine.GetColumnWidth(INT32_MAX, &value), E_OUTOFMEMORY);
}

TEST_F(ColumnProperties, LabelsWidthsAndAlignmentsBelongToColumnIndices) {
    ASSERT_EQ(engine.PutColumnLabel(7, L"Seventh"), S_OK);
    BSTR label = nullptr;
    ASSERT_EQ(engine.GetColumnLabel(7, &label), S_OK);
    EXPECT_STREQ(label, L"Seventh");
    SysFreeString(label);
    ASSERT_EQ(engine.GetColumnLabel(3, &label), S_OK);
    EXPECT_STREQ(label, L"COLUMN 3");
    SysFreeString(label);

    // A text is taken up to its first NUL; an absent one reads as empty.
    const wchar_t withNul[] = {L'a', L'b', 0, L'c', 0};
    ASSERT_EQ(engine.PutColumnLabel(2, withNul), S_OK);
    ASSERT_EQ(engine.GetColumnLabel(2, &label), S_OK);
    EXPECT_STREQ(label, L"ab");
    SysFreeString(label);
    ASSERT_EQ(engine.PutColumnLabel(2, nullptr), S_OK);
    ASSERT_EQ(engine.GetColumnLabel(2, &label), S_OK);
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(SysStringLen(label), 0u);
    SysFreeString(label);

    ASSERT_EQ(engine.PutColumnAlign(1, 7), S_OK);
    ASSERT_EQ(engine.PutColumnWidth(1, 0), S_OK);
    Open(300, 200);
    ASSERT_TRUE(Load(TextTable(3, 10)));
    int32_t value = -1;
    ASSERT_EQ(engine.GetColumnAlign(1, &value), S_OK);
    EXPECT_EQ(value, 7);
    ASSERT_EQ(engine.GetColumnWidth(1, &value), S_OK);
    EXPECT_EQ(value, 0);
    EXPECT_STREQ(engine.store.LabelAt(7), L"Seventh");
    EXPECT_EQ(engine.contentWidth, engine.splitterWidth + 9 * 100);

    // A width set through the property relayouts at once.
    ASSERT_EQ(engine.PutColumnWidth(0, 40), S_OK);
    EXPECT_EQ(engine.contentWidth, engine.splitterWidth + 40 + 8 * 100);
    ASSERT_EQ(engine.GetColumnCount(&value), S_OK);
    EXPECT_EQ(value, 10);
    ASSERT_EQ(engine.GetRecordCount(&value), S_OK);
    EXPECT_EQ(value, 3);
}

TEST_F(ColumnProperties, RefusedDataKeepTheViewAndEmptyDataClearIt) {
    Open(300, 200);
    ASSERT_TRUE(Load(TextTable(3, 2)));
    engine.SelectRow(2);
    const int32_t selected = engine.selectedRecord;

    SAFEARRAYBOUND bound{4, 0};
    SAFEARRAY* flat = SafeArrayCreate(VT_VARIANT, 1, &bound);
    EXPECT_FALSE(engine.SetData(flat, 0, 0, false));
    SafeArrayDestroy(flat);
    EXPECT_EQ(engine.store.recordCount, 3);
    EXPECT_EQ(engine.currentRow, 2);
    EXPECT_EQ(engine.selectedRecord, selected);

    const size_t reports = engine.reported.size();
    EXPECT_TRUE(engine.SetData(nullptr, 0, 0, false));
    EXPECT_EQ(engine.currentRow, -1);
    EXPECT_EQ(engine.selectedRecord, -1);
    ASSERT_EQ(engine.reported.size(), reports + 1);
    EXPECT_EQ(engine.reported.back(), -1);
    int32_t value = 0;
    ASSERT_EQ(engine.GetSelectedRecord(&value), S_OK);
    EXPECT_EQ(value, -1);
}
