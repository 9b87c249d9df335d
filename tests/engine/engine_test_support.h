#pragma once

// Shared pieces of the window tests: a recording engine, a host, string tables, pixel capture.

#include "engine/view_engine.h"
#include "store/safe_array_builder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

class RecordingEngine : public ViewEngine {
public:
    void ShowAbout() override {}
    void SelectionChanged() override { reported.push_back(view.selectedRecord); }
    void ContextMenu(int32_t x, int32_t y, int32_t record) override { Note("menu", x, y, record); }
    void ItemDblClick(int32_t x, int32_t y, int32_t r) override { Note("double", x, y, r); }
    int32_t EventsFrozen() override { return frozen; }
    bool DesignModeOrUIDead() override { return false; }
    void Beep() override { Note("beep"); }
    // Wine gives every window the system DPI; a test moves the window to another DPI here.
    int32_t WindowDpi() const override { return shownAtDpi ? shownAtDpi : ViewEngine::WindowDpi(); }

    std::vector<int32_t> reported; // selectedRecord at every SelectionChanged
    std::string events;            // context menus, double clicks and beeps, in order, "; " between
    int32_t frozen = 0;
    int32_t shownAtDpi = 0; // the window's DPI as the test sets it; 0: the platform's

private:
    void Note(std::string what, int32_t x = 0, int32_t y = 0, int32_t record = INT32_MIN) {
        if (record != INT32_MIN)
            what +=
                " " + std::to_string(x) + "," + std::to_string(y) + " " + std::to_string(record);
        events += (events.empty() ? "" : "; ") + what;
    }
};

// One topmost host a program (destroying shown windows is slow), placed apart per process.
inline HWND TestHost(int width, int height) {
    static HWND host = nullptr;
    if (!host) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = "NorvTestHost";
        RegisterClassA(&wc);
        host = CreateWindowExA(WS_EX_TOPMOST, "NorvTestHost", "host", WS_POPUP | WS_VISIBLE, 0, 0,
                               width, height, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    }
    // On the screen whole: what lies beyond its edge reads back black.
    const int x = std::min(300 + static_cast<int>(GetCurrentProcessId() % 7) * 61,
                           GetSystemMetrics(SM_CXSCREEN) - width);
    SetWindowPos(host, HWND_TOPMOST, x, 100, width, height, SWP_NOACTIVATE);
    return host;
}

// A rectangle as {left, top, right, bottom}, which a failure prints.
inline std::vector<LONG> Sides(const RECT& r) {
    return {r.left, r.top, r.right, r.bottom};
}

// Every message waiting for this thread, dispatched.
inline void Pump() {
    for (MSG message; PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE);)
        DispatchMessageA(&message);
}

// Outer size of the control for a wanted client size with no scroll bar shown.
inline RECT ControlBounds(int clientWidth, int clientHeight) {
    const int edge = GetSystemMetrics(SM_CXEDGE);
    return RECT{0, 0, clientWidth + 2 * edge, clientHeight + 2 * edge};
}

// Opens every group, outer ones first: a group opened adds its subgroups after it.
inline void ExpandAll(ViewEngine& engine) {
    for (int32_t row = 0; row < engine.DisplayedRows(); ++row)
        engine.ExpandRow(row);
}

// Pixels of a rectangle of a device context, as 0x00RRGGBB values, top row first.
class Pixels {
public:
    Pixels(HDC source, int width, int height) : width(width), height(height) {
        BITMAPINFO info = {};
        info.bmiHeader = {sizeof info.bmiHeader, width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        HDC memory = CreateCompatibleDC(source);
        HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, width, height, source, 0, 0, SRCCOPY);
        GdiFlush();
        const auto* words = static_cast<const uint32_t*>(bits);
        data.assign(words, words + static_cast<size_t>(width) * height);
        DeleteDC(memory);
        DeleteObject(bitmap);
    }
    // The client area, or the whole window with frame and bars, once pending paints are done.
    static Pixels OfWindow(HWND window, bool whole = false) {
        UpdateWindow(window);
        RECT r;
        whole ? GetWindowRect(window, &r) : GetClientRect(window, &r);
        HDC dc = whole ? GetWindowDC(window) : GetDC(window);
        Pixels pixels(dc, r.right - r.left, r.bottom - r.top);
        ReleaseDC(window, dc);
        return pixels;
    }
    COLORREF At(int x, int y) const {
        const uint32_t v = data[static_cast<size_t>(y) * width + x];
        return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
    }
    int Count(const RECT& area, COLORREF colour) const {
        int n = 0;
        for (int y = area.top; y < area.bottom; ++y)
            for (int x = area.left; x < area.right; ++x)
                n += At(x, y) == colour;
        return n;
    }
    // Pixels of the area that are not of the ground colour.
    int Ink(const RECT& area, COLORREF ground) const {
        return (area.right - area.left) * (area.bottom - area.top) - Count(area, ground);
    }

    int width, height;
    std::vector<uint32_t> data;
};

// What a painter draws into a memory picture filled with the ground colour.
template <class Paint> Pixels Drawn(int width, int height, COLORREF ground, Paint paint) {
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    ReleaseDC(nullptr, screen);
    SelectObject(dc, bitmap);
    SetDCBrushColor(dc, ground);
    const RECT all{0, 0, width, height};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    paint(dc);
    Pixels pixels(dc, width, height);
    DeleteDC(dc);
    DeleteObject(bitmap);
    return pixels;
}

// The square of a text rectangle's sort mark: centred half an indent left of its right end.
inline RECT SortMarkSquare(const DrawResources& r, const RECT& text) {
    const int b = std::min<int>(r.indentWidth, text.right - text.left);
    const int half = std::min<int>((b - r.markInset) / 2, r.markHalf);
    const int cx = text.right - b / 2, cy = (text.top + text.bottom) / 2;
    return RECT{cx - half, cy - half, cx + half, cy + half};
}

// Width of a text in a font, as the screen measures it: no prefix processing.
inline int TextWidth(HFONT font, const char* text) {
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    SIZE extent{};
    GetTextExtentPoint32A(dc, text, lstrlenA(text), &extent);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return extent.cx;
}

// An engine window in a host, with a client area of the given size while no bar is shown.
class EngineWindowTest : public ::testing::Test {
protected:
    void Open(int clientWidth, int clientHeight) {
        host = TestHost(clientWidth + 40, clientHeight + 40);
        ASSERT_NE(host, nullptr);
        ASSERT_NE(engine.CreateEngineWindow(host, ControlBounds(clientWidth, clientHeight)),
                  nullptr);
        // A run at another DPI has a prefix of its own with that DPI.
        const char* dpi = std::getenv("NORV_DPI");
        ASSERT_EQ(engine.dpi, dpi ? std::atoi(dpi) : engine.dpi);
    }
    bool Load(const SafeArrayBuilder& data) { return engine.SetData(data.get(), 0, 0, false); }
    void TearDown() override { engine.DestroyEngineWindow(); }
    // Mouse messages at window points; y defaults to inside the header.
    void Send(UINT message, int x, int y, WPARAM keys = MK_LBUTTON) {
        SendMessageA(engine.hwnd, message, keys, MAKELPARAM(x, y));
    }
    void Down(int x, int y = 8) { Send(WM_LBUTTONDOWN, x, y); }
    void Move(int x, int y = 8) { Send(WM_MOUSEMOVE, x, y); }
    void Up(int x, int y = 8) { Send(WM_LBUTTONUP, x, y, 0); }
    void Click(int x, int y = 8) { Down(x, y), Up(x, y); }
    void RightClick(int x, int y = 8) {
        Send(WM_RBUTTONDOWN, x, y, MK_RBUTTON), Send(WM_RBUTTONUP, x, y, 0);
    }
    HWND Tips() const { return engine.headerTips.tipWindow; }
    // A tool's rectangle (empty when not registered) and, for the tracking tip, its text.
    std::vector<LONG> ToolRect(UINT_PTR id, char* text = nullptr, UINT message = TTM_GETTOOLINFOA) {
        TTTOOLINFOA tool = {TTTOOLINFOA_V2_SIZE, 0, engine.hwnd, id, {}, nullptr, text, 0, nullptr};
        const bool known = SendMessageA(Tips(), message, 200, reinterpret_cast<LPARAM>(&tool));
        return known || text ? Sides(tool.rect) : std::vector<LONG>{};
    }
    // The one read of the view's state these tests make: what the user sees of it.
    struct Seen {
        int32_t current, top, x, page; // current row, first row shown, scroll x, whole rows shown
        int32_t track, levels;         // the drag under way, the grouping levels
        std::vector<int32_t> order;    // the column at each position
        std::string sort;              // "<position> up|down"
    };
    Seen See() const {
        const ViewState& v = engine.view;
        const RecordStore& s = engine.store;
        const int32_t p = s.sortPosition, column = p < s.columnCount ? s.columnOrder[p] : -1;
        return {v.currentRow,
                v.topRow,
                v.scrollX,
                v.pageRows,
                v.trackMode,
                s.groupLevelCount,
                {s.columnOrder, s.columnOrder + s.columnCount},
                std::to_string(p) + (column < 0                ? ""
                                     : s.sortAscending[column] ? " up"
                                                               : " down")};
    }
    // Window x of the left edge of a display position, and a level button as shown.
    int EdgeX(int position) const {
        int x = engine.layout.ColumnsLeft(true) - See().x;
        for (int p = 0; p < position; ++p)
            x += engine.layout.ColumnExtent(p, true);
        return x;
    }
    RECT LevelButton(int level) const {
        RECT r = engine.layout.LevelButtonRect(level);
        OffsetRect(&r, -See().x, 0);
        return r;
    }
    std::vector<LONG> LevelButtonShown(int level) const { return Sides(LevelButton(level)); }
    int RowTop(int visible) const { return engine.headerHeight + visible * engine.rowHeight; }
    int32_t Width(int32_t column) {
        int32_t width = -1;
        engine.GetColumnWidth(column, &width);
        return width;
    }

    RecordingEngine engine;
    HWND host = nullptr;
};
