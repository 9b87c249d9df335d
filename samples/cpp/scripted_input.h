#pragma once

// What a sample's scripted moment does with the control's window: the messages a user's mouse
// and keys would bring, posted and dispatched through the host's own message handling, and the
// places of the control's items as assistive technology reads them (no font guesswork).

#include <windows.h>
#include <oleacc.h>
#include <cstdio>

// The host's handling of one message (accelerators, dialog keys, then the window).
void Dispatch(MSG& message);

inline void Pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
        Dispatch(message);
}

inline void Mouse(HWND window, UINT message, POINT at, WPARAM buttons) {
    PostMessageW(window, message, buttons, MAKELPARAM(at.x, at.y));
    Pump();
}

inline void Key(HWND window, WPARAM key) {
    PostMessageW(window, WM_KEYDOWN, key, 1);
    PostMessageW(window, WM_KEYUP, key, 0xC0000001);
    Pump();
}

inline void Click(HWND window, POINT at) {
    Mouse(window, WM_LBUTTONDOWN, at, MK_LBUTTON);
    Mouse(window, WM_LBUTTONUP, at, 0);
}

inline void DoubleClick(HWND window, POINT at) {
    Click(window, at);
    Mouse(window, WM_LBUTTONDBLCLK, at, MK_LBUTTON);
    Mouse(window, WM_LBUTTONUP, at, 0);
}

// Presses at one point, moves to the other in steps and releases there.
inline void Drag(HWND window, POINT from, POINT to) {
    Mouse(window, WM_LBUTTONDOWN, from, MK_LBUTTON);
    for (int step = 1; step <= 8; ++step) {
        POINT at{from.x + (to.x - from.x) * step / 8, from.y + (to.y - from.y) * step / 8};
        Mouse(window, WM_MOUSEMOVE, at, MK_LBUTTON);
    }
    Mouse(window, WM_LBUTTONUP, to, 0);
}

// Where the control shows an item, in its client coordinates: child ids 1 .. columns are the
// header buttons in display order, the displayed rows follow.
inline RECT ItemRect(HWND window, long child) {
    RECT rect{};
    IAccessible* accessible = nullptr;
    if (FAILED(AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT),
                                          __uuidof(IAccessible),
                                          reinterpret_cast<void**>(&accessible))))
        return rect;
    VARIANT id;
    id.vt = VT_I4;
    id.lVal = child;
    long left = 0, top = 0, width = 0, height = 0;
    if (SUCCEEDED(accessible->accLocation(&left, &top, &width, &height, id))) {
        POINT corner{left, top};
        ScreenToClient(window, &corner);
        rect = RECT{corner.x, corner.y, corner.x + width, corner.y + height};
    }
    accessible->Release();
    return rect;
}

inline POINT Middle(const RECT& rect) {
    return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

// Counts what did not go as expected.
inline int& Failures() {
    static int count = 0;
    return count;
}

inline void Expect(bool condition, const char* what) {
    printf("%s: %s\n", condition ? "ok" : "FAILED", what);
    fflush(stdout);
    Failures() += condition ? 0 : 1;
}

// Loads atl.dll's control host window class and returns its AtlAxGetControl.
using GetControlFunction = HRESULT(WINAPI*)(HWND, IUnknown**);
inline GetControlFunction LoadAtlHost() {
    HMODULE atl = LoadLibraryW(L"atl.dll");
    auto init = reinterpret_cast<BOOL(WINAPI*)()>(
        reinterpret_cast<void*>(GetProcAddress(atl, "AtlAxWinInit")));
    auto getControl = reinterpret_cast<GetControlFunction>(
        reinterpret_cast<void*>(GetProcAddress(atl, "AtlAxGetControl")));
    return init && getControl && init() ? getControl : nullptr;
}
