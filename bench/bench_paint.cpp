// Painting figures of the control's window: a full repaint of an 800 x 600 control showing
// two expanded grouping levels, and one pixel of a live column resize, for several record
// counts. Prints medians in milliseconds.

#include "bench_clock.h"
#include "engine/view_engine.h"

#include <windows.h>
#include <oleauto.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

class BenchEngine : public ViewEngine {
public:
    void ShowAbout() override {}
    void SelectionChanged() override {}
    void ContextMenu(int32_t, int32_t, int32_t) override {}
    void ItemDblClick(int32_t, int32_t, int32_t) override {}
    int32_t EventsFrozen() override { return 0; }
    bool DesignModeOrUIDead() override { return false; }
};

double Median(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

// Records x 5 integer columns: two grouping keys of ten values each, then three data columns.
SAFEARRAY* MakeData(int32_t records) {
    SAFEARRAYBOUND bounds[2] = {{5, 0}, {static_cast<ULONG>(records), 0}};
    SAFEARRAY* array = SafeArrayCreate(VT_I4, 2, bounds);
    if (!array)
        return nullptr;
    LONG* cells = nullptr;
    SafeArrayAccessData(array, reinterpret_cast<void**>(&cells));
    for (int32_t r = 0; r < records; ++r) {
        LONG* record = cells + static_cast<size_t>(r) * 5;
        record[0] = r % 10;
        record[1] = (r / 10) % 10;
        record[2] = r;
        record[3] = static_cast<LONG>((static_cast<int64_t>(r) * 7919) % 100000);
        record[4] = 1000000 - r;
    }
    SafeArrayUnaccessData(array);
    return array;
}

// Opens every group of both levels straight through the tree.
void ExpandTwoLevels(ViewEngine& engine) {
    for (GroupNode* outer = engine.store.root.firstChild; outer; outer = outer->next) {
        engine.store.rowCount += outer->Expand();
        for (GroupNode* inner = outer->firstChild; inner; inner = inner->next)
            engine.store.rowCount += inner->Expand();
    }
    engine.store.cursor.Reset();
}

HWND MakeHost() {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "NorvBenchHost";
    RegisterClassA(&wc);
    return CreateWindowExA(0, "NorvBenchHost", "bench", WS_POPUP | WS_VISIBLE, 0, 0, 900, 700,
                           nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
}

void Measure(HWND host, int32_t records, int32_t columnWidth) {
    BenchEngine engine;
    for (int32_t column = 0; column < 5; ++column)
        engine.PutColumnWidth(column, columnWidth);
    const int edge = GetSystemMetrics(SM_CXEDGE);
    const RECT bounds{0, 0, 800 + 2 * edge, 600 + 2 * edge};
    if (!engine.CreateEngineWindow(host, bounds)) {
        std::printf("window could not be created\n");
        return;
    }
    SAFEARRAY* data = MakeData(records);
    const double loadStart = Now();
    const bool loaded = data && engine.SetData(data, 0, 0, false);
    if (data)
        SafeArrayDestroy(data);
    if (!loaded) {
        std::printf("%10d records: could not be loaded\n", records);
        return;
    }
    engine.SetGroupLevelsKeepingRow(2);
    ExpandTwoLevels(engine);
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
                records, engine.DisplayedRows(), engine.view.contentWidth, Median(paints), Median(steps),
                loadMs);
    std::fflush(stdout);
}

} // namespace

int main() {
    HWND host = MakeHost();
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
