#pragma once

#include "engine/engine_test_support.h"
#include "window_capture.h"

// Writes pixels as a PNG file, with the demo's writer, so that a person can look at them.
inline bool SavePng(const Pixels& pixels, const std::string& path) {
    CoInitialize(nullptr);
    return SUCCEEDED(SavePixelsPng(reinterpret_cast<const BYTE*>(pixels.data.data()), pixels.width,
                                   pixels.height, std::wstring(path.begin(), path.end())));
}
