#pragma once

#include <windows.h>

// Owners of the GDI objects that painting creates for one call; each releases its handle when
// it goes out of scope, so early returns leak nothing.

class GdiObject {
public:
    explicit GdiObject(HGDIOBJ object = nullptr) : handle(object) {}
    ~GdiObject() {
        if (handle)
            DeleteObject(handle);
    }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    HGDIOBJ Get() const { return handle; }
    void Reset(HGDIOBJ object) {
        if (handle)
            DeleteObject(handle);
        handle = object;
    }
    HGDIOBJ Release() {
        HGDIOBJ object = handle;
        handle = nullptr;
        return object;
    }

private:
    HGDIOBJ handle;
};

// A memory or information context; restores the objects selected through Select.
class OwnedDc {
public:
    explicit OwnedDc(HDC dc) : handle(dc) {}
    ~OwnedDc() { Reset(); }
    // Restores the selected objects and deletes the context; holds none afterwards.
    void Reset() {
        if (!handle)
            return;
        if (oldBitmap)
            SelectObject(handle, oldBitmap);
        if (oldFont)
            SelectObject(handle, oldFont);
        if (oldBrush)
            SelectObject(handle, oldBrush);
        DeleteDC(handle);
        handle = nullptr;
        oldBitmap = oldFont = oldBrush = nullptr;
    }
    OwnedDc(const OwnedDc&) = delete;
    OwnedDc& operator=(const OwnedDc&) = delete;
    HDC Get() const { return handle; }
    explicit operator bool() const { return handle != nullptr; }
    // Takes a context when none is held yet.
    void Adopt(HDC dc) {
        if (!handle)
            handle = dc;
    }

    void SelectBitmap(HGDIOBJ bitmap) { Remember(oldBitmap, SelectObject(handle, bitmap)); }
    void SelectFont(HGDIOBJ font) { Remember(oldFont, SelectObject(handle, font)); }
    void SelectBrush(HGDIOBJ brush) { Remember(oldBrush, SelectObject(handle, brush)); }

private:
    static void Remember(HGDIOBJ& slot, HGDIOBJ previous) {
        if (!slot)
            slot = previous;
    }
    HDC handle;
    HGDIOBJ oldBitmap = nullptr;
    HGDIOBJ oldFont = nullptr;
    HGDIOBJ oldBrush = nullptr;
};

// A context of a window from GetDC, given back with ReleaseDC.
class WindowDc {
public:
    explicit WindowDc(HWND window) : owner(window), handle(GetDC(window)) {}
    ~WindowDc() {
        if (handle)
            ReleaseDC(owner, handle);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC Get() const { return handle; }

private:
    HWND owner;
    HDC handle;
};

inline HDC CreateDisplayInfoDc() {
    return CreateICA("DISPLAY", nullptr, nullptr, nullptr);
}
