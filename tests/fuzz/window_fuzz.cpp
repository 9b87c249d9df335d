// Random messages to the engine's window (scroll requests, sizes from 0 to 32767, focus,
// colour changes, keys, mouse messages at random points, paints) between loads, level changes,
// column moves, sorts and width changes. Checked after every step: the top row and the
// horizontal position lie in range, both bars show exactly the view's positions, the current
// row and the selection agree, and a focused window's caret stands at the current row.

#include "engine/engine_test_support.h"
#include "fuzz/fuzz_support.h"

namespace {

class WindowCase {
public:
    WindowCase(Fuzz& fuzz, uint64_t seed) : fuzz(fuzz), random(seed) {}

    void Run(int steps) {
        host = TestHost(600, 500);
        if (!fuzz.Check(engine.CreateEngineWindow(host, ControlBounds(300, 200)) != nullptr,
                        "window"))
            return;
        for (int i = 0; i < steps; ++i) {
            const SIZE_T before = PrivateBytes();
            OneStep();
            fuzz.Committed(before, PrivateBytes());
            MSG message;
            while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
                DispatchMessageA(&message);
            CheckView();
        }
        engine.DestroyEngineWindow();
    }

private:
    // What the header handlers do after an order or grouping change.
    void FollowCurrentRow() {
        engine.EnsureRowVisible(engine.view.currentRow, false);
        engine.SyncSelection();
    }

    int32_t Coordinate(int32_t size) {
        return random.OneIn(8) ? random.Between(-32768, 32767) : random.Between(-20, size + 20);
    }

    void OneStep() {
        const ViewState& view = engine.view;
        const HWND window = engine.hwnd;
        const int32_t columns = engine.store.columnCount, rows = engine.DisplayedRows();
        switch (random.Below(16)) {
        case 0:
        case 1: {
            const UINT message = random.OneIn(2) ? WM_VSCROLL : WM_HSCROLL;
            const WPARAM request = MAKEWPARAM(random.Below(10), random.Below(65536));
            fuzz.Step("%s request %u at %u", message == WM_VSCROLL ? "vertical" : "horizontal",
                      LOWORD(request), HIWORD(request));
            SendMessageA(window, message, request, 0);
            break;
        }
        case 2: {
            static const int sizes[] = {0, 1, 17, 40, 200, 1000, 32767};
            const int width = random.OneIn(2) ? random.Pick(sizes) : random.Between(0, 900);
            const int height = random.OneIn(2) ? random.Pick(sizes) : random.Between(0, 700);
            fuzz.Step("size %d x %d", width, height);
            SetWindowPos(window, nullptr, 0, 0, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
            break;
        }
        case 3:
            fuzz.Step("focus %s", random.OneIn(2) ? "in" : "out");
            SetFocus(random.OneIn(2) ? window : host);
            break;
        case 4:
            fuzz.Step("system colours changed");
            SendMessageA(window, WM_SYSCOLORCHANGE, 0, 0);
            break;
        case 5:
        case 6: {
            static const UINT keys[] = {VK_UP,       VK_DOWN,   VK_PRIOR, VK_NEXT, VK_HOME,
                                        VK_END,      VK_LEFT,   VK_RIGHT, VK_ADD,  VK_SUBTRACT,
                                        VK_MULTIPLY, VK_RETURN, VK_SPACE, VK_TAB,  'A'};
            const UINT key = random.Pick(keys);
            fuzz.Step("key 0x%x", key);
            SendMessageA(window, WM_KEYDOWN, key, 1);
            SendMessageA(window, WM_KEYUP, key, 0xC0000001);
            break;
        }
        case 7:
        case 8: {
            static const UINT messages[] = {WM_LBUTTONDOWN, WM_LBUTTONUP,     WM_LBUTTONDBLCLK,
                                            WM_MOUSEMOVE,   WM_RBUTTONDOWN,   WM_RBUTTONUP,
                                            WM_MOUSEWHEEL,  WM_CAPTURECHANGED};
            const UINT message = random.Pick(messages);
            const int32_t x = Coordinate(view.clientWidth), y = Coordinate(view.clientHeight);
            fuzz.Step("mouse 0x%x at %d, %d", message, x, y);
            SendMessageA(window, message, random.OneIn(2) ? MK_LBUTTON : 0,
                         MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)));
            break;
        }
        case 9: {
            const int records = random.OneIn(4) ? 0 : random.Between(1, 300);
            const int count = random.Below(7);
            fuzz.Step("load %d x %d", records, count);
            SafeArrayBuilder table = TextTable(records, count);
            fuzz.Check(engine.SetData(table.get(), 0, 0, random.OneIn(5)), "load refused");
            break;
        }
        case 10: {
            const int32_t levels = random.Between(-1, columns + 1);
            fuzz.Step("group levels %d", levels);
            engine.SetGroupLevelsKeepingRow(levels);
            FollowCurrentRow();
            if (random.OneIn(2))
                ExpandAll(engine);
            break;
        }
        case 11: {
            const int32_t from = random.Between(-1, columns), to = random.Between(-1, columns);
            fuzz.Step("move column %d to %d", from, to);
            engine.MoveColumnKeepingRow(from, to);
            FollowCurrentRow();
            break;
        }
        case 12: {
            const int32_t row = random.Between(-2, rows + 1);
            fuzz.Step("toggle row %d", row);
            engine.ToggleRow(row);
            break;
        }
        case 13: {
            const int32_t position = random.Between(0, columns);
            fuzz.Step("sort by position %d", position);
            if (position < columns) {
                engine.SortRowsByColumn(position);
                FollowCurrentRow();
            }
            break;
        }
        case 14: {
            static const int32_t widths[] = {0, 1, 60, 300, 5000, 1000000, INT32_MAX};
            const int32_t column = random.Between(0, columns), width = random.Pick(widths);
            fuzz.Step("width of column %d: %d", column, width);
            engine.PutColumnWidth(column, width);
            break;
        }
        default: {
            const int32_t row = random.Between(-2, rows + 1);
            fuzz.Step("select row %d and paint", row);
            engine.SelectRow(row);
            InvalidateRect(window, nullptr, FALSE);
            UpdateWindow(window);
            break;
        }
        }
    }

    void CheckView() {
        const ViewState& view = engine.view;
        const int32_t rows = engine.DisplayedRows();
        const int32_t fit = view.pageRows > 0 ? view.pageRows : 1; // the last row at least
        const int32_t lastTop = rows - fit > 0 ? rows - fit : 0;
        const int32_t page = view.clientWidth > 0 ? view.clientWidth : 1;
        const int32_t lastX = view.contentWidth - page > 0 ? view.contentWidth - page : 0;
        fuzz.Check(view.topRow >= 0 && view.topRow <= lastTop, "top row %d of %d rows, %d fit",
                   view.topRow, rows, view.pageRows);
        fuzz.Check(view.scrollX >= 0 && view.scrollX <= lastX, "x %d of %d in %d", view.scrollX,
                   view.contentWidth, view.clientWidth);
        SCROLLINFO vertical = {sizeof vertical, SIF_ALL, 0, 0, 0, 0, 0};
        SCROLLINFO horizontal = vertical;
        GetScrollInfo(engine.hwnd, SB_VERT, &vertical);
        GetScrollInfo(engine.hwnd, SB_HORZ, &horizontal);
        // A bar's range cannot end below its start: an empty one reads 0 .. 0.
        fuzz.Check(vertical.nPos == view.topRow && vertical.nMax == (rows > 0 ? rows - 1 : 0),
                   "vertical bar at %d of 0..%d, top row %d of %d", vertical.nPos, vertical.nMax,
                   view.topRow, rows);
        fuzz.Check(horizontal.nPos == view.scrollX &&
                       horizontal.nMax == (view.contentWidth > 0 ? view.contentWidth - 1 : 0),
                   "horizontal bar at %d of 0..%d, x %d of %d", horizontal.nPos, horizontal.nMax,
                   view.scrollX, view.contentWidth);
        fuzz.Check(view.currentRow >= -1 && view.currentRow < rows, "current row %d of %d",
                   view.currentRow, rows);
        if (engine.store.columnCount > 0 && engine.store.cursor.Seek(view.currentRow))
            fuzz.Check(engine.store.cursor.RecordAtCursor() == view.selectedRecord,
                       "selected record %d is not that of row %d", view.selectedRecord,
                       view.currentRow);
        POINT caret{};
        if (view.hasFocus && GetCaretPos(&caret)) {
            int32_t visible = view.currentRow - view.topRow;
            visible = visible < 0 ? 0 : visible > view.pageRows ? view.pageRows : visible;
            fuzz.Check(caret.x == 0 && caret.y == engine.headerHeight + engine.rowHeight * visible,
                       "caret at %ld, %ld for row %d under top row %d", caret.x, caret.y,
                       view.currentRow, view.topRow);
        }
    }

    Fuzz& fuzz;
    FuzzRandom random;
    RecordingEngine engine;
    HWND host = nullptr;
};

} // namespace

int main(int argc, char** argv) {
    // Bars reset by the WM_SIZE of a bar shown or hidden; a bar planned for but not shown.
    return RunFuzz(argc, argv, "window", 10, 500, 200,
                   [](Fuzz& fuzz, uint64_t seed, int steps) { WindowCase(fuzz, seed).Run(steps); },
                   {20261266783641, 20261266783657, 20261266783677});
}
