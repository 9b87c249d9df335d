#pragma once

#include <windows.h>

#include <cstdint>

// System metrics and the icon-title font for one DPI. The per-DPI functions of user32 are
// looked up at run time: where they are missing (before Windows 10) every window has the
// system DPI, whose metrics the plain functions report.
class DpiMetrics {
public:
    static constexpr int32_t baseDpi = 96; // the DPI the classic metrics are given for

    explicit DpiMetrics(int32_t dpi) : dpi(dpi > 0 ? dpi : baseDpi) {}

    static int32_t SystemDpi();
    // The DPI of the monitor a window shows on, as the window's awareness sees it.
    static int32_t WindowDpi(HWND window);

    int32_t Metric(int index) const;
    bool IconTitleFont(LOGFONTW& font) const;
    // A length of the base DPI at this DPI, rounded to whole pixels.
    int32_t Scaled(int32_t length) const { return MulDiv(length, dpi, baseDpi); }

    const int32_t dpi;
};
