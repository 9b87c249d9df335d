#include "engine/view_engine.h"

// The wheel scrolls the rows, and tilted, the content sideways; the current row stays where it
// is. At the end of the list in the wheel's direction the message goes on to the default
// procedure, which hands it to the parent, so a host can scroll its own form instead.

namespace {
constexpr int32_t pixelsPerColumnStep = 10; // the scroll bar's line step sideways
constexpr UINT mostStepsPerNotch = 10000;

int32_t WheelSetting(UINT action, UINT fallback) {
    UINT value = fallback;
    if (!SystemParametersInfoA(action, 0, &value, 0))
        value = fallback;
    return static_cast<int32_t>(value);
}

// Rows a notch scrolls: the user's setting, or a page when it asks for pages.
int32_t RowsPerNotch(int32_t pageRows) {
    UINT lines = 3;
    if (!SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0))
        lines = 3;
    if (lines == WHEEL_PAGESCROLL)
        return pageRows > 1 ? pageRows : 1;
    return static_cast<int32_t>(lines < mostStepsPerNotch ? lines : mostStepsPerNotch);
}
} // namespace

int32_t ViewEngine::LastScrollPosition(int bar) const {
    SCROLLINFO info = {};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE;
    if (!GetScrollInfo(hwnd, bar, &info))
        return 0;
    return info.nMax + 1 - static_cast<int32_t>(info.nPage);
}

bool ViewEngine::OnMouseWheel(WPARAM wParam, bool sideways) {
    if (view.trackMode != TrackNone)
        return true; // a drag owns the layout until it ends
    const int32_t delta = GET_WHEEL_DELTA_WPARAM(wParam);
    WheelSteps& steps = sideways ? wheelColumns : wheelRows;
    // Positive deltas turn toward the start vertically and toward the end sideways.
    const bool towardStart = sideways ? delta < 0 : delta > 0;
    const int32_t position = sideways ? view.scrollX : view.topRow;
    const bool atEnd =
        towardStart ? position <= 0 : position >= LastScrollPosition(sideways ? SB_HORZ : SB_VERT);
    const int32_t perNotch =
        sideways ? WheelSetting(SPI_GETWHEELSCROLLCHARS, 3) : RowsPerNotch(view.pageRows);
    if (delta == 0 || perNotch <= 0 || atEnd) {
        steps.Reset();
        return false;
    }
    const int32_t count = steps.Add(delta, perNotch);
    if (sideways)
        ScrollTo(view.scrollX + count * pixelsPerColumnStep, view.topRow);
    else
        ScrollTo(view.scrollX, view.topRow - count);
    return true;
}
