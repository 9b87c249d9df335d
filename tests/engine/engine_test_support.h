#pragma once

// Shared pieces of the window tests: an engine whose sink records what it is told, a
// top-level host window, real data loaded through real SAFEARRAYs, and pixel capture.

#include "engine/view_engine.h"
#include "store/safe_array_builder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class RecordingEngine : public ViewEngine {
public:
    void ShowAbout() override {}
    void SelectionChanged() override { reported.push_back(selectedRecord); }
    void ContextMenu(int32_t, int32_t, int32_t) override {}
    void ItemDblClick(int32_t, int32_t, int32_t) override {}
    int32_t EventsFrozen() override { return 0; }
    bool DesignModeOrUIDead() override { return false; }

    std::vector<int32_t> reported; // selectedRecord at every SelectionChanged
};

// The top-level window that hosts the controls of a test program: one for the whole program,
// since destroying a shown top-level window costs Wine seconds without a window manager. Kept
// topmost and away from the screen's corner so that windows of other test programs running at
// the same time do not cover it.
inline HWND TestHost(int width, int height) {
    static HWND host = nullptr;
    if (!host) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "NorvTestHost";
        wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
        RegisterClassA(&wc);
        host = CreateWindowExA(WS_EX_TOPMOST, "NorvTestHost", "host", WS_POPUP | WS_VISIBLE, 0, 0,
                               width, height, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    }
    const int x = 300 + static_cast<int>(GetCurrentProcessId() % 7) * 61;
    SetWindowPos(host, HWND_TOPMOST, x, 100, width, height, SWP_NOACTIVATE);
    return host;
}

// Outer size of the control for a wanted client size with no scroll bar shown.
inline RECT ControlBounds(int clientWidth, int clientHeight) {
    const int edge = GetSystemMetrics(SM_CXEDGE);
    return RECT{0, 0, clientWidth + 2 * edge, clientHeight + 2 * edge};
}

// A records x columns table of strings "r<record>c<column>", or given texts.
inline SafeArrayBuilder TextTable(int records, int columns) {
    std::vector<std::vector<TestVariant>> rows;
    for (int r = 0; r < records; ++r) {
        std::vector<TestVariant> row;
        for (int c = 0; c < columns; ++c) {
            const std::wstring text = L"r" + std::to_wstring(r) + L"c" + std::to_wstring(c);
            row.push_back(TestVariant::Str(text.c_str()));
        }
        rows.push_back(row);
    }
    return MakeVariantTable(rows);
}

inline SafeArrayBuilder TableOf(const std::vector<std::vector<const wchar_t*>>& texts) {
    std::vector<std::vector<TestVariant>> rows;
    for (const auto& line : texts) {
        std::vector<TestVariant> row;
        for (const wchar_t* text : line)
            row.push_back(TestVariant::Str(text));
        rows.push_back(row);
    }
    return MakeVariantTable(rows);
}

// Opens every group, outermost first.
inline void ExpandAll(ViewEngine& engine) {
    for (int32_t row = 0; row < engine.DisplayedRows(); ++row) {
        engine.store.cursor.Seek(row);
        if (engine.store.cursor.RowGroupLevel() != -1 && !engine.store.cursor.node->expanded)
            engine.ExpandRow(row);
    }
}

// Pixels of a rectangle of a device context, as 0x00RRGGBB values, top row first.
class Pixels {
public:
    Pixels(HDC source, int width, int height) : width(width), height(height) {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        HDC memory = CreateCompatibleDC(source);
        HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, width, height, source, 0, 0, SRCCOPY);
        GdiFlush();
        const auto* words = static_cast<const uint32_t*>(bits);
        data.assign(words, words + static_cast<size_t>(width) * height);
        SelectObject(memory, old);
        DeleteObject(bitmap);
        DeleteDC(memory);
    }
    // The client area of a window, after painting what is pending.
    static Pixels OfWindow(HWND window) {
        UpdateWindow(window);
        RECT client;
        GetClientRect(window, &client);
        HDC dc = GetDC(window);
        Pixels pixels(dc, client.right, client.bottom);
        ReleaseDC(window, dc);
        return pixels;
    }
    // As a COLORREF, for comparing with GetSysColor.
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
    // Writes the picture as a 24-bit BMP file.
    bool SaveBmp(const char* path) const {
        const int stride = (width * 3 + 3) & ~3;
        BITMAPFILEHEADER file = {};
        BITMAPINFOHEADER header = {};
        header.biSize = sizeof header;
        header.biWidth = width;
        header.biHeight = height;
        header.biPlanes = 1;
        header.biBitCount = 24;
        file.bfType = 0x4D42;
        file.bfOffBits = sizeof file + sizeof header;
        file.bfSize = file.bfOffBits + stride * height;
        HANDLE out = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (out == INVALID_HANDLE_VALUE)
            return false;
        DWORD written = 0;
        bool ok = WriteFile(out, &file, sizeof file, &written, nullptr) &&
                  WriteFile(out, &header, sizeof header, &written, nullptr);
        std::vector<BYTE> line(static_cast<size_t>(stride), 0);
        for (int y = height - 1; ok && y >= 0; --y) {
            for (int x = 0; x < width; ++x) {
                const uint32_t v = data[static_cast<size_t>(y) * width + x];
                line[x * 3] = v & 0xFF;
                line[x * 3 + 1] = (v >> 8) & 0xFF;
                line[x * 3 + 2] = (v >> 16) & 0xFF;
            }
            ok = WriteFile(out, line.data(), stride, &written, nullptr) != 0;
        }
        CloseHandle(out);
        return ok;
    }

    int width, height;
    std::vector<uint32_t> data;
};

// A memory context with a 32-bit picture the painters can draw into directly.
class Canvas {
public:
    Canvas(int width, int height, COLORREF ground) : width(width), height(height) {
        HDC screen = GetDC(nullptr);
        dc = CreateCompatibleDC(screen);
        bitmap = CreateCompatibleBitmap(screen, width, height);
        ReleaseDC(nullptr, screen);
        old = SelectObject(dc, bitmap);
        HBRUSH brush = CreateSolidBrush(ground);
        RECT all{0, 0, width, height};
        FillRect(dc, &all, brush);
        DeleteObject(brush);
    }
    ~Canvas() {
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;
    Pixels Read() const { return Pixels(dc, width, height); }

    int width, height;
    HDC dc;
    HBITMAP bitmap;
    HGDIOBJ old;
};

// Writes pixels as a PNG file (stored, uncompressed deflate blocks) so a person can look at it.
inline bool SavePng(const Pixels& pixels, const char* path) {
    auto crc32 = [](const std::vector<BYTE>& bytes, size_t from) {
        uint32_t crc = 0xFFFFFFFFu;
        for (size_t i = from; i < bytes.size(); ++i) {
            crc ^= bytes[i];
            for (int k = 0; k < 8; ++k)
                crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
        return crc ^ 0xFFFFFFFFu;
    };
    auto put32 = [](std::vector<BYTE>& out, uint32_t v) {
        for (int shift = 24; shift >= 0; shift -= 8)
            out.push_back(static_cast<BYTE>(v >> shift));
    };
    auto chunk = [&](std::vector<BYTE>& out, const char* type, const std::vector<BYTE>& body) {
        put32(out, static_cast<uint32_t>(body.size()));
        const size_t start = out.size();
        out.insert(out.end(), type, type + 4);
        out.insert(out.end(), body.begin(), body.end());
        put32(out, crc32(out, start));
    };
    std::vector<BYTE> raw;
    for (int y = 0; y < pixels.height; ++y) {
        raw.push_back(0); // no filter
        for (int x = 0; x < pixels.width; ++x) {
            const COLORREF c = pixels.At(x, y);
            raw.push_back(GetRValue(c));
            raw.push_back(GetGValue(c));
            raw.push_back(GetBValue(c));
        }
    }
    std::vector<BYTE> z = {0x78, 0x01};
    uint32_t a = 1, b = 0;
    for (BYTE v : raw) {
        a = (a + v) % 65521;
        b = (b + a) % 65521;
    }
    for (size_t at = 0; at < raw.size() || at == 0; at += 65535) {
        const size_t n = raw.size() - at < 65535 ? raw.size() - at : 65535;
        z.push_back(at + n >= raw.size() ? 1 : 0);
        z.push_back(static_cast<BYTE>(n & 0xFF));
        z.push_back(static_cast<BYTE>(n >> 8));
        z.push_back(static_cast<BYTE>(~n & 0xFF));
        z.push_back(static_cast<BYTE>((~n >> 8) & 0xFF));
        z.insert(z.end(), raw.begin() + at, raw.begin() + at + n);
        if (raw.empty())
            break;
    }
    put32(z, (b << 16) | a);
    std::vector<BYTE> header;
    put32(header, static_cast<uint32_t>(pixels.width));
    put32(header, static_cast<uint32_t>(pixels.height));
    header.insert(header.end(), {8, 2, 0, 0, 0}); // 8-bit RGB
    std::vector<BYTE> file = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    chunk(file, "IHDR", header);
    chunk(file, "IDAT", z);
    chunk(file, "IEND", {});
    HANDLE out = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (out == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const bool ok =
        WriteFile(out, file.data(), static_cast<DWORD>(file.size()), &written, nullptr) &&
        written == file.size();
    CloseHandle(out);
    return ok;
}

// An engine window in a host, with a client area of the given size while no bar is shown.
class EngineWindowTest : public ::testing::Test {
protected:
    void Open(int clientWidth, int clientHeight) {
        host = TestHost(clientWidth + 40, clientHeight + 40);
        ASSERT_NE(host, nullptr);
        ASSERT_NE(engine.CreateEngineWindow(host, ControlBounds(clientWidth, clientHeight)),
                  nullptr);
    }
    bool Load(const SafeArrayBuilder& data) { return engine.SetData(data.get(), 0, 0, false); }
    void TearDown() override { engine.DestroyEngineWindow(); }

    RecordingEngine engine;
    HWND host = nullptr;
};
