#pragma once

#include <windows.h>

#include <string>
#include <vector>

// What the screen shows of a window's client area: top-down 32-bit pixels.
bool CaptureWindowPixels(HWND window, std::vector<BYTE>& pixels, int& width, int& height);

// Top-down 32-bit pixels (blue, green, red, unused) written as an opaque PNG file through the
// Windows imaging component. COM must be initialised on the thread.
HRESULT SavePixelsPng(const BYTE* pixels, int width, int height, const std::wstring& path);

// What the screen shows of a window's client area, written as a PNG file.
HRESULT SaveWindowPng(HWND window, const std::wstring& path);
