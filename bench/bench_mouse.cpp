// Mouse figures of an 800 x 600 control with two expanded grouping levels, driven by window
// messages: one step of a live column resize and of a splitter drag (mouse move until the
// repaint is done), a header click that sorts by a text column and repaints, and hit tests.
// Pass a record count to measure only that one.

#include "bench_clock.h"
#include "bench_window.h"

#include <windows.h>
#include <oleauto.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <vector>

namespace {

// Columns: two grouping texts of ten values each, a name-like text, an order date (a minute of
// twelve years), a number.
SAFEARRAY* MakeData(int32_t records) {
    static const wchar_t* const syllables[] = {L"ka", L"Lo", L"mi", L"ne", L"sa", L"to",
                                               L"ri", L"Bu", L"do", L"fe", L"gi", L"hu"};
    uint32_t state = 12345;
    auto text = [](VARIANT& cell, const wchar_t* value) {
        cell.vt = VT_BSTR;
        cell.bstrVal = SysAllocString(value);
    };
    return MakeTable<VARIANT>(VT_VARIANT, records, [&](int32_t r, VARIANT* record) {
        wchar_t buffer[40];
        swprintf(buffer, 40, L"Region %d", r % 10);
        text(record[0], buffer);
        swprintf(buffer, 40, L"Branch %d", (r / 10) % 10);
        text(record[1], buffer);
        buffer[0] = L'\0';
        for (int part = 0; part < 4; ++part) {
            state = state * 1664525u + 1013904223u;
            wcscat(buffer, syllables[(state >> 8) % 12]);
        }
        text(record[2], buffer);
        record[3].vt = VT_DATE;
        record[3].date = 40000.0 + (state >> 8) % 6000000 / 1440.0;
        record[4].vt = VT_I4;
        record[4].lVal = static_cast<LONG>(state % 100000);
    });
}

LRESULT Mouse(HWND window, UINT message, int x, int y) {
    return SendMessageA(window, message, message == WM_LBUTTONUP ? 0 : MK_LBUTTON,
                        MAKELPARAM(x, y));
}

// Median milliseconds of a drag from x, one pixel a move, out and back.
double DragSteps(BenchEngine& engine, int x) {
    HWND window = engine.hwnd;
    Mouse(window, WM_LBUTTONDOWN, x, 8);
    std::vector<double> steps;
    for (int i = 0; i < 200; ++i) {
        x += i < 100 ? 1 : -1;
        const double start = Now();
        Mouse(window, WM_MOUSEMOVE, x, 8);
        UpdateWindow(window);
        steps.push_back(1000.0 * (Now() - start));
    }
    Mouse(window, WM_LBUTTONUP, x, 8);
    UpdateWindow(window);
    return Median(steps);
}

// Mean microseconds of a hit test at a window point.
double HitMicroseconds(BenchEngine& engine, int x, int y) {
    const int calls = 20000;
    int32_t index = 0, offset = 0;
    const double start = Now();
    for (int i = 0; i < calls; ++i)
        engine.HitTest(x, y, &index, &offset);
    return 1e6 * (Now() - start) / calls;
}

int WindowX(BenchEngine& engine, int contentX) {
    return contentX - engine.view.scrollX;
}

// Milliseconds of a click on the header at a display position, repaint included; the
// thread's processor milliseconds in cpu.
double HeaderClick(BenchEngine& engine, int32_t position, double& cpu) {
    Layout& layout = engine.layout;
    int x = layout.ColumnsLeft(false) + 40;
    for (int32_t p = 0; p < position; ++p)
        x += layout.ColumnExtent(p, false);
    x = WindowX(engine, x);
    const Timer timer;
    Mouse(engine.hwnd, WM_LBUTTONDOWN, x, 8);
    Mouse(engine.hwnd, WM_LBUTTONUP, x, 8);
    UpdateWindow(engine.hwnd);
    cpu = timer.CpuMilliseconds();
    return timer.Milliseconds();
}

void Measure(HWND host, int32_t records) {
    BenchEngine engine;
    if (!OpenBenchWindow(engine, host)) {
        std::printf("window could not be created\n");
        return;
    }
    SAFEARRAY* data = MakeData(records);
    if (!LoadTwoLevelsExpanded(engine, data)) {
        std::printf("%10d records: could not be loaded\n", records);
        return;
    }
    engine.ResetView();
    engine.ScrollTo(0, engine.DisplayedRows() / 2);
    engine.SelectRow(engine.view.topRow + 3);
    SetFocus(engine.hwnd);
    UpdateWindow(engine.hwnd);
    Layout& layout = engine.layout;

    // The right resize zone of position 3, then the splitter.
    int edge = layout.ColumnsLeft(false);
    for (int32_t p = 0; p <= 3; ++p)
        edge += layout.ColumnExtent(p, false);
    const double resize = DragSteps(engine, WindowX(engine, edge - 2));
    const double splitter = DragSteps(engine, WindowX(engine, layout.SplitterRect().left + 2));

    // Hit tests: a header button, a record row, a group caption measured with the font.
    const double headerHit = HitMicroseconds(engine, WindowX(engine, edge - 50), 8);
    int recordY = -1, groupY = -1, groupLevel = 0;
    for (int32_t v = 0; v < engine.view.pageRows && (recordY < 0 || groupY < 0); ++v) {
        engine.store.cursor.Seek(engine.view.topRow + v);
        const int y = engine.headerHeight + v * engine.rowHeight + 2;
        const int32_t level = engine.store.cursor.RowGroupLevel();
        if (level == -1 && recordY < 0)
            recordY = y;
        if (level != -1 && groupY < 0) {
            groupY = y;
            groupLevel = level;
        }
    }
    const double rowHit = HitMicroseconds(engine, WindowX(engine, edge - 50), recordY);
    const double captionHit =
        HitMicroseconds(engine, WindowX(engine, (groupLevel + 2) * engine.indentWidth + 3), groupY);

    // A click on the name column's header: a sort of every record, then the repaint.
    int name = layout.ColumnsLeft(false) + layout.ColumnExtent(0, false) +
               layout.ColumnExtent(1, false) + 40;
    name = WindowX(engine, name);
    const double sortStart = Now();
    Mouse(engine.hwnd, WM_LBUTTONDOWN, name, 8);
    Mouse(engine.hwnd, WM_LBUTTONUP, name, 8);
    UpdateWindow(engine.hwnd);
    const double sortMs = 1000.0 * (Now() - sortStart);

    const bool sortedByName = engine.store.sortPosition == 2;
    double dateCpu = 0;
    const double dateMs = HeaderClick(engine, 3, dateCpu);

    // Grouping off, then the splitter dragged out over two columns and released: a sort by
    // both levels, the new tree and the repaint.
    engine.SetGroupLevelsKeepingRow(0);
    UpdateWindow(engine.hwnd);
    const int splitterX = WindowX(engine, layout.SplitterRect().left + 2);
    Mouse(engine.hwnd, WM_LBUTTONDOWN, splitterX, 8);
    int x = splitterX;
    while (layout.VisibleLevelCount() < 2 && x < splitterX + 1000)
        Mouse(engine.hwnd, WM_MOUSEMOVE, ++x, 8);
    UpdateWindow(engine.hwnd);
    const Timer release;
    Mouse(engine.hwnd, WM_LBUTTONUP, x, 8);
    UpdateWindow(engine.hwnd);
    const double releaseMs = release.Milliseconds(), releaseCpu = release.CpuMilliseconds();

    std::printf(
        "%8d records, %8d rows: resize step %5.2f ms, splitter step %5.2f ms,"
        " sorting click %7.1f ms, on a date %7.1f ms (cpu %.0f; goal <= 500), splitter release"
        " to %d levels %7.1f ms (cpu %.0f; goal <= 500), hit test header %5.2f us, record %5.2f us,"
        " caption %6.2f us%s\n",
        records, engine.DisplayedRows(), resize, splitter, sortMs, dateMs, dateCpu,
        engine.store.groupLevelCount, releaseMs, releaseCpu, headerHit, rowHit, captionHit,
        sortedByName && engine.store.sortPosition == 3 ? "" : " (a click did not sort)");
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    HWND host = MakeBenchHost();
    if (!host) {
        std::printf("no host window\n");
        return 1;
    }
    std::printf("800 x 600 control, 5 columns, two grouping levels expanded, drag steps median"
                " of 200 one-pixel moves\n");
    if (argc > 1) {
        Measure(host, atoi(argv[1]));
        return 0;
    }
    for (int32_t records : {1000, 100000, 1000000})
        Measure(host, records);
    return 0;
}
