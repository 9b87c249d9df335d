// Painting figures of the control's window: a full repaint of an 800 x 600 control showing
// two expanded grouping levels, and one pixel of a live column resize, for several record
// counts. Prints medians in milliseconds.

#include "bench_clock.h"
#include "bench_window.h"

#include <windows.h>
#include <oleauto.h>

#include <cstdio>
#include <vector>

namespace {

// Records x 5 integer columns: two grouping keys of ten values each, then three data columns.
SAFEARRAY* MakeData(int32_t records) {
    return MakeTable<LONG>(VT_I4, records, [](int32_t r, LONG* record) {
        record[0] = r % 10;
        record[1] = (r / 10) % 10;
        record[2] = r;
        record[3] = static_cast<LONG>((static_cast<int64_t>(r) * 7919) % 100000);
        record[4] = 1000000 - r;
    });
}

void Measure(HWND host, int32_t records, int32_t columnWidth) {
    BenchEngine engine;
    for (int32_t column = 0; column < 5; ++column)
        engine.PutColumnWidth(column, columnWidth);
    if (!OpenBenchWindow(engine, host)) {
        std::printf("window could not be created\n");
        return;
    }
    SAFEARRAY* data = MakeData(records);
    const double loadStart = Now();
    if (!LoadTwoLevelsExpanded(engine, data)) {
        std::printf("%10d records: could not be loaded\n", records);
        return;
    }
    const double loadMs = 1000.0 * (Now() - loadStart);
    engine.ResetView();
    // Middle of the list: mostly records, a group header now and then.
    engine.ScrollTo(0, engine.DisplayedRows() / 2);
    engine.SelectRow(engine.view.topRow + 3);
    SetFocus(engine.hwnd);
    UpdateWindow(engine.hwnd);

    std::vector<double> paints;
    for (int i = 0; i < 200; ++i) {
        const double start = Now();
        InvalidateRect(engine.hwnd, nullptr, FALSE);
        UpdateWindow(engine.hwnd);
        paints.push_back(1000.0 * (Now() - start));
    }

    // One pixel at a time, as while the user drags a column edge.
    const int32_t position = 3;
    engine.view.trackMode = TrackResize;
    engine.view.pressIndex = position;
    engine.view.liveSize = engine.layout.ColumnExtent(position, false);
    std::vector<double> steps;
    for (int i = 0; i < 200; ++i) {
        const int32_t width = engine.view.liveSize + (i < 100 ? 1 : -1);
        const double start = Now();
        engine.ScrollColumnsAfterResize(position, width);
        engine.view.liveSize = width;
        engine.UpdateContentWidth(true);
        engine.ScrollTo(engine.view.scrollX, engine.view.topRow);
        UpdateWindow(engine.hwnd);
        steps.push_back(1000.0 * (Now() - start));
    }
    engine.view.trackMode = TrackNone;

    std::printf("%10d records, %8d rows, content %5d px: full repaint %6.2f ms, resize step"
                " %6.2f ms (load, group, expand %.0f ms)\n",
                records, engine.DisplayedRows(), engine.view.contentWidth, Median(paints),
                Median(steps), loadMs);
    std::fflush(stdout);
}

} // namespace

int main() {
    HWND host = MakeBenchHost();
    if (!host) {
        std::printf("no host window\n");
        return 1;
    }
    std::printf("800 x 600 control, 5 columns, two grouping levels expanded, median of 200\n");
    for (int32_t records : {1000, 100000, 1000000})
        Measure(host, records, 100);
    // Content wider than the window: every resize step also changes the horizontal bar's
    // range, and the bar is drawn again.
    Measure(host, 100000, 250);
    return 0;
}
