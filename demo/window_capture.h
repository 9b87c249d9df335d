#pragma once

#include <windows.h>

#include <string>
#include <vector>

// What the screen shows of a window's client area: top-down 32-bit pixels, opaque.
bool CaptureWindowPixels(HWND window, std::vector<BYTE>& pixels, int& width, int& height);

// What the screen shows of a window's client area, written as a PNG file through the Windows
// imaging component. COM must be initialised on the thread.
HRESULT SaveWindowPng(HWND window, const std::wstring& path);
