#pragma once

// Pieces shared by the benchmarks that drive the control's window.

#include "engine/view_engine.h"

#include <windows.h>
#include <oleauto.h>

#include <algorithm>
#include <vector>

class BenchEngine : public ViewEngine {
public:
    void ShowAbout() override {}
    void SelectionChanged() override {}
    void ContextMenu(int32_t, int32_t, int32_t) override {}
    void ItemDblClick(int32_t, int32_t, int32_t) override {}
    int32_t EventsFrozen() override { return 0; }
    bool DesignModeOrUIDead() override { return false; }
};

inline double Median(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

// A table of five columns of Cell elements (of the variant type), fill(record, its five cells)
// writing each record.
template <class Cell, class Fill> SAFEARRAY* MakeTable(VARTYPE type, int32_t records, Fill fill) {
    SAFEARRAYBOUND bounds[2] = {{5, 0}, {static_cast<ULONG>(records), 0}};
    SAFEARRAY* array = SafeArrayCreate(type, 2, bounds);
    if (!array)
        return nullptr;
    Cell* cells = nullptr;
    SafeArrayAccessData(array, reinterpret_cast<void**>(&cells));
    for (int32_t r = 0; r < records; ++r)
        fill(r, cells + static_cast<size_t>(r) * 5);
    SafeArrayUnaccessData(array);
    return array;
}

// Opens every group of both levels straight through the tree.
inline void ExpandTwoLevels(ViewEngine& engine) {
    for (GroupNode* outer = engine.store.root.firstChild; outer; outer = outer->next) {
        engine.store.rowCount += outer->Expand();
        for (GroupNode* inner = outer->firstChild; inner; inner = inner->next)
            engine.store.rowCount += inner->Expand();
    }
    engine.store.cursor.Reset();
}

inline HWND MakeBenchHost() {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "NorvBenchHost";
    RegisterClassA(&wc);
    return CreateWindowExA(0, "NorvBenchHost", "bench", WS_POPUP | WS_VISIBLE, 0, 0, 900, 700,
                           nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
}

// Loads the table (and destroys it), groups by the first two columns and opens every group.
inline bool LoadTwoLevelsExpanded(ViewEngine& engine, SAFEARRAY* data) {
    const bool loaded = data && engine.SetData(data, 0, 0, false);
    if (data)
        SafeArrayDestroy(data);
    if (!loaded)
        return false;
    engine.SetGroupLevelsKeepingRow(2);
    ExpandTwoLevels(engine);
    return true;
}

// An 800 x 600 client area in the host; null when the window could not be made.
inline HWND OpenBenchWindow(ViewEngine& engine, HWND host) {
    const int edge = GetSystemMetrics(SM_CXEDGE);
    const RECT bounds{0, 0, 800 + 2 * edge, 600 + 2 * edge};
    return engine.CreateEngineWindow(host, bounds);
}
