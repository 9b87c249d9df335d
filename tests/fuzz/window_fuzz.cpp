// Random messages to the engine's window between loads, levels, moves, widths and accessible
// calls; after every step positions, bars, row, selection and caret agree.

#include "control/com_ref.h"
#include "control/com_test_support.h"
#include "engine/engine_test_support.h"
#include "fuzz/fuzz_support.h"

#include <oleacc.h>

#include <algorithm>
#include <tuple>
#include <functional>

namespace {

struct WindowCase {
    void Run(int steps) {
        host = TestHost(600, 500);
        if (!fuzz.Check(engine.CreateEngineWindow(host, ControlBounds(300, 200)) != nullptr,
                        "window"))
            return;
        for (int i = 0; i < steps; ++i) {
            // Scrolls, keys and mouse messages twice as often, accessible calls three times.
            const uint32_t pick = random.Below(17);
            fuzz.Measured([&] { actions[pick < 12 ? pick : pick < 15 ? pick - 12 : 10](*this); });
            Pump();
            CheckView();
        }
        engine.DestroyEngineWindow();
    }

    // On a child that may not exist: one that does answers (actions and moves may refuse).
    void AccessibleCall() {
        if (!held && FAILED(AccessibleObjectFromWindow(engine.hwnd, DWORD(OBJID_CLIENT),
                                                       IID_IAccessible, held.ReceiveVoid())))
            return;
        LONG count = 0, x, y, w, h;
        held->get_accChildCount(&count);
        VARIANT id = I4(random.Between(-1, count + 1)), out;
        BSTR text = nullptr;
        const LONG flags = random.Between(0, 3), direction = random.Between(0, 10);
        const std::function<HRESULT()> calls[] = {
            [&] { return held->get_accName(id, &text); },
            [&] { return held->get_accDescription(id, &text); },
            [&] { return held->get_accState(id, &out); },
            [&] { return held->accLocation(&x, &y, &w, &h, id); },
            [&] { return held->accNavigate(direction, id, &out); },
            [&] { return held->accSelect(flags, id); },
            [&] { return held->accDoDefaultAction(id); },
        };
        const uint32_t call = random.Below(7);
        fuzz.Step("accessible call %u on child %ld of %ld", call, V_I4(&id), count);
        const HRESULT hr = calls[call]();
        SysFreeString(text);
        const bool refusable = call >= 4 && (hr == E_INVALIDARG || hr == DISP_E_MEMBERNOTFOUND);
        fuzz.Check(V_I4(&id) >= 0 && V_I4(&id) <= count ? SUCCEEDED(hr) || refusable
                                                        : hr == E_INVALIDARG,
                   "accessible call %u on child %ld of %ld answered 0x%lx", call, V_I4(&id), count,
                   static_cast<unsigned long>(hr));
    }

    // What the header handlers do after an order or grouping change.
    void FollowCurrentRow() {
        engine.EnsureRowVisible(engine.view.currentRow, false);
        engine.SyncSelection();
    }
    int32_t Coordinate(int32_t size) {
        return random.OneIn(8) ? random.Between(-32768, 32767) : random.Between(-20, size + 20);
    }
    int32_t Column() { return random.Between(-1, engine.store.columnCount + 1); }

    static void (*const actions[])(WindowCase&);

    void CheckView() {
        const ViewState& view = engine.view;
        const int32_t rows = engine.DisplayedRows();
        // The last row at least stays in view, and a pixel of the content; a bar's range cannot
        // end below its start: an empty one reads 0 .. 0.
        for (const auto& [bar, at, size, page] :
             {std::tuple{SB_VERT, view.topRow, rows, view.pageRows},
              std::tuple{SB_HORZ, view.scrollX, view.contentWidth, view.clientWidth}}) {
            SCROLLINFO info = {sizeof info, SIF_ALL, 0, 0, 0, 0, 0};
            GetScrollInfo(engine.hwnd, bar, &info);
            fuzz.Check(at >= 0 && at <= std::max(0, size - std::max(1, page)) && info.nPos == at &&
                           info.nMax == (size > 0 ? size - 1 : 0),
                       "bar %d at %d of 0..%d, view at %d of %d, %d fit", bar, info.nPos, info.nMax,
                       at, size, page);
        }
        fuzz.Check(view.currentRow >= -1 && view.currentRow < rows, "current row %d of %d",
                   view.currentRow, rows);
        if (engine.store.columnCount > 0 && engine.store.cursor.Seek(view.currentRow))
            fuzz.Check(engine.store.cursor.RecordAtCursor() == view.selectedRecord,
                       "selected record %d is not that of row %d", view.selectedRecord,
                       view.currentRow);
        GUITHREADINFO thread = {};
        thread.cbSize = sizeof thread;
        if (view.hasFocus && GetGUIThreadInfo(0, &thread) && thread.hwndCaret == engine.hwnd) {
            const RECT caret = thread.rcCaret; // as tall as a row, where its text starts
            const int32_t visible = std::clamp(view.currentRow - view.topRow, 0, view.pageRows);
            const int32_t x = engine.RowTextLeft(view.currentRow) - view.scrollX;
            fuzz.Check(caret.left == std::clamp(x, 0, view.clientWidth) &&
                           caret.top == engine.headerHeight + engine.rowHeight * visible &&
                           caret.bottom - caret.top == engine.rowHeight,
                       "caret at %ld, %ld for row %d under top row %d", caret.left, caret.top,
                       view.currentRow, view.topRow);
        }
    }

    RecordingEngine engine;
    HWND host = nullptr;
    ComRef<IAccessible> held;
};

using C = WindowCase;
void (*const C::actions[])(C&) = {
    [](C& c) {
        const UINT message = random.OneIn(2) ? WM_VSCROLL : WM_HSCROLL;
        const WPARAM request = MAKEWPARAM(random.Below(10), random.Below(65536));
        fuzz.Step("scroll 0x%x request %u at %u", message, LOWORD(request), HIWORD(request));
        SendMessageA(c.engine.hwnd, message, request, 0);
    },
    [](C& c) {
        static const UINT keys[] = {VK_UP,  VK_DOWN,  VK_PRIOR,    VK_NEXT,   VK_HOME,
                                    VK_END, VK_LEFT,  VK_RIGHT,    VK_ADD,    VK_SUBTRACT,
                                    'A',    VK_SPACE, VK_MULTIPLY, VK_RETURN, VK_TAB};
        const UINT key = random.Pick(keys);
        fuzz.Step("key 0x%x", key);
        SendMessageA(c.engine.hwnd, WM_KEYDOWN, key, 1);
        SendMessageA(c.engine.hwnd, WM_KEYUP, key, 0xC0000001);
    },
    [](C& c) {
        static const UINT messages[] = {WM_LBUTTONDOWN, WM_LBUTTONUP,     WM_LBUTTONDBLCLK,
                                        WM_MOUSEMOVE,   WM_RBUTTONDOWN,   WM_RBUTTONUP,
                                        WM_MOUSEWHEEL,  WM_CAPTURECHANGED};
        const UINT message = random.Pick(messages);
        const int32_t x = c.Coordinate(c.engine.view.clientWidth);
        const int32_t y = c.Coordinate(c.engine.view.clientHeight);
        fuzz.Step("mouse 0x%x at %d, %d", message, x, y);
        SendMessageA(c.engine.hwnd, message, random.OneIn(2) ? MK_LBUTTON : 0,
                     MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)));
    },
    [](C& c) {
        static const int sizes[] = {0, 1, 17, 40, 200, 1000, 32767};
        const int width = random.OneIn(2) ? random.Pick(sizes) : random.Between(0, 900);
        const int height = random.OneIn(2) ? random.Pick(sizes) : random.Between(0, 700);
        fuzz.Step("size %d x %d", width, height);
        SetWindowPos(c.engine.hwnd, nullptr, 0, 0, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    },
    [](C& c) { MoveFocus(c.engine.hwnd, c.host); },
    [](C& c) {
        fuzz.Step("system colours changed");
        SendMessageA(c.engine.hwnd, WM_SYSCOLORCHANGE, 0, 0);
    },
    [](C& c) {
        const int records = random.OneIn(4) ? 0 : random.Between(1, 300);
        const int columns = random.Below(7);
        fuzz.Step("load %d x %d", records, columns);
        SafeArrayBuilder table = TextTable(records, columns);
        fuzz.Check(c.engine.SetData(table.get(), 0, 0, random.OneIn(5)), "load refused");
    },
    [](C& c) {
        const int32_t levels = c.Column();
        fuzz.Step("group levels %d", levels);
        c.engine.SetGroupLevelsKeepingRow(levels);
        c.FollowCurrentRow();
        if (random.OneIn(2))
            ExpandAll(c.engine);
    },
    [](C& c) {
        const int32_t from = c.Column(), to = c.Column();
        fuzz.Step("move column %d to %d", from, to);
        c.engine.MoveColumnKeepingRow(from, to);
        c.FollowCurrentRow();
    },
    [](C& c) {
        static const int32_t widths[] = {0, 1, 60, 300, 5000, 1000000, INT32_MAX};
        const int32_t column = c.Column(), width = random.Pick(widths);
        fuzz.Step("width of column %d: %d", column, width);
        c.engine.PutColumnWidth(column, width);
    },
    [](C& c) {
        if (!random.OneIn(8))
            return c.AccessibleCall();
        fuzz.Step("window made anew"); // slow: now and then only
        c.engine.DestroyEngineWindow();
        LONG count;
        fuzz.Check(!c.held || c.held->get_accChildCount(&count) == RPC_E_DISCONNECTED,
                   "an object of a gone window still answers");
        c.held.Reset();
        c.engine.CreateEngineWindow(c.host, ControlBounds(300, 200));
    },
    [](C& c) {
        const int32_t row = random.Between(-2, c.engine.DisplayedRows() + 1);
        fuzz.Step("select row %d and paint", row);
        c.engine.SelectRow(row);
        InvalidateRect(c.engine.hwnd, nullptr, FALSE);
        UpdateWindow(c.engine.hwnd);
    },
};

} // namespace

int main(int argc, char** argv) {
    // Bars reset by the WM_SIZE of a bar shown or hidden; a bar planned for but not shown.
    return RunFuzz<WindowCase>(argc, argv, "window", 10, 500, 200,
                               {20261266783635, 20261266783710, 20261266783739});
}
