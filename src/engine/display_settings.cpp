#include "engine/view_engine.h"

// The window's DPI, the system colours, fonts, metrics or theme changed: the drawing resources
// and the layout are made anew, and the view stays where it was.

namespace {
bool ChangesMetrics(WPARAM action, LPARAM area) {
    switch (action) {
    case SPI_SETICONTITLELOGFONT:
    case SPI_SETNONCLIENTMETRICS:
    case SPI_SETICONMETRICS:
    case SPI_SETHIGHCONTRAST:
        return true;
    default:
        // Other senders name only the area of the settings that changed.
        return area && lstrcmpiA(reinterpret_cast<const char*>(area), "WindowMetrics") == 0;
    }
}
} // namespace

int32_t ViewEngine::WindowDpi() const {
    return DpiMetrics::WindowDpi(hwnd);
}

void ViewEngine::OnSettingChange(WPARAM action, LPARAM area) {
    if (ChangesMetrics(action, area))
        ApplyDisplaySettings();
}

// The current row and the top row stay; the horizontal position keeps its place in
// proportion to the content. Column widths follow a new DPI, so the columns keep their look.
void ViewEngine::ApplyDisplaySettings() {
    const int32_t newDpi = WindowDpi();
    if (newDpi != dpi) {
        ReleaseTracking(); // a drag in progress measures in the old pixels
        store.columnInfo.ScaleWidths(newDpi, dpi);
    }
    const int64_t oldContent = view.contentWidth, oldX = view.scrollX;
    textMeasurer.SetFont(nullptr); // the font is made anew
    Build(newDpi);
    textMeasurer.SetFont(listFont);
    headerTips.SetMetrics(LevelTipMetrics());
    UpdatePageRows();
    UpdateContentWidth(true);
    InvalidateAll(false);
    if (view.hasFocus)
        CreateCaret(hwnd, nullptr, 0, rowHeight); // as tall as the rows are now
    const int64_t x =
        oldContent > 0 ? (oldX * view.contentWidth + oldContent / 2) / oldContent : oldX;
    ScrollTo(static_cast<int32_t>(x), view.topRow);
}
