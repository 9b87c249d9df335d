#include "render/dpi_metrics.h"

namespace {
struct PerDpiFunctions {
    UINT(WINAPI* dpiForSystem)();
    UINT(WINAPI* dpiForWindow)(HWND);
    int(WINAPI* metricForDpi)(int, UINT);
    BOOL(WINAPI* parameterForDpi)(UINT, UINT, void*, UINT, UINT);
};

template <class Function> void Find(HMODULE module, const char* name, Function& function) {
    function = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

const PerDpiFunctions& Functions() {
    static const PerDpiFunctions functions = [] {
        PerDpiFunctions found{};
        if (HMODULE user = GetModuleHandleA("user32.dll")) {
            Find(user, "GetDpiForSystem", found.dpiForSystem);
            Find(user, "GetDpiForWindow", found.dpiForWindow);
            Find(user, "GetSystemMetricsForDpi", found.metricForDpi);
            Find(user, "SystemParametersInfoForDpi", found.parameterForDpi);
        }
        return found;
    }();
    return functions;
}
} // namespace

int32_t DpiMetrics::SystemDpi() {
    if (Functions().dpiForSystem)
        return static_cast<int32_t>(Functions().dpiForSystem());
    int32_t dpi = 0;
    if (HDC screen = GetDC(nullptr)) {
        dpi = GetDeviceCaps(screen, LOGPIXELSY);
        ReleaseDC(nullptr, screen);
    }
    return dpi > 0 ? dpi : baseDpi;
}

int32_t DpiMetrics::WindowDpi(HWND window) {
    const UINT dpi = window && Functions().dpiForWindow ? Functions().dpiForWindow(window) : 0;
    return dpi > 0 ? static_cast<int32_t>(dpi) : SystemDpi();
}

int32_t DpiMetrics::Metric(int index) const {
    if (Functions().metricForDpi)
        return Functions().metricForDpi(index, static_cast<UINT>(dpi));
    return GetSystemMetrics(index);
}

bool DpiMetrics::IconTitleFont(LOGFONTW& font) const {
    if (Functions().parameterForDpi)
        return Functions().parameterForDpi(SPI_GETICONTITLELOGFONT, sizeof font, &font, 0,
                                           static_cast<UINT>(dpi)) != FALSE;
    // The system's font is for the system DPI; its height is scaled to another.
    if (!SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof font, &font, 0))
        return false;
    font.lfHeight = MulDiv(font.lfHeight, dpi, SystemDpi());
    return true;
}
