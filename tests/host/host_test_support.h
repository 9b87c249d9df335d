#pragma once

// The control in our own container: the module built beside the tests, a shown host window,
// data loaded through the automation interface, and the framed placeholder's pixels.

#include "control/com_test_support.h"
#include "control_host.h"
#include "engine/engine_test_support.h"

#include <string>

// Loads a table through _View::SetData.
inline HRESULT LoadArray(IUnknown* control, const SafeArrayBuilder& table) {
    _View* view = Query<_View>(control, IID__View);
    if (!view)
        return E_NOINTERFACE;
    VARIANT data;
    VariantInit(&data);
    V_VT(&data) = VT_ARRAY | VT_VARIANT;
    V_ARRAY(&data) = table.get();
    const HRESULT hr = view->SetData(data, flShortDate, flMonth, VARIANT_FALSE);
    view->Release();
    return hr;
}

// Loads records of strings "r<record>c<column>".
inline HRESULT LoadTable(IUnknown* control, int records, int columns) {
    return LoadArray(control, TextTable(records, columns));
}

inline LONG SelectedRecordOf(IUnknown* control) {
    LONG record = -2;
    if (_View* view = Query<_View>(control, IID__View)) {
        view->get_SelectedRecord(&record);
        view->Release();
    }
    return record;
}

// The framed placeholder drawn into `area` of a picture: a one-pixel border of one colour
// other than the fill, the window colour inside, the ground untouched outside.
inline void ExpectFramedPlaceholder(const Pixels& pixels, const RECT& area, COLORREF ground) {
    const COLORREF border = pixels.At(area.left, area.top);
    EXPECT_NE(border, GetSysColor(COLOR_WINDOW));
    EXPECT_NE(border, ground);
    const int w = area.right - area.left, h = area.bottom - area.top;
    const RECT inside{area.left + 1, area.top + 1, area.right - 1, area.bottom - 1};
    EXPECT_EQ(pixels.Count(RECT{area.left, area.top, area.right, area.top + 1}, border), w);
    EXPECT_EQ(pixels.Count(RECT{area.left, area.bottom - 1, area.right, area.bottom}, border), w);
    EXPECT_EQ(pixels.Count(RECT{area.left, area.top, area.left + 1, area.bottom}, border), h);
    EXPECT_EQ(pixels.Count(RECT{area.right - 1, area.top, area.right, area.bottom}, border), h);
    EXPECT_EQ(pixels.Count(inside, GetSysColor(COLOR_WINDOW)), (w - 2) * (h - 2));
    EXPECT_EQ(pixels.Count(RECT{0, 0, pixels.width, area.top}, ground), pixels.width * area.top);
}

// A ControlHost in a shown top-level window; the control is created in SetUp by its test.
class HostTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
        window = TestHost(400, 300);
        host = new ControlHost(window);
        host->onEvent = [this](const HostEvent& e) { events.push_back(e); };
    }
    void TearDown() override {
        delete host;
        OleUninitialize();
    }
    HRESULT Create(const RECT& bounds, bool quick = false) {
        return host->CreateFromModule(ModuleWindowsPath().c_str(), CLSID_View, bounds, quick);
    }

    HWND window = nullptr;
    ControlHost* host = nullptr;
    std::vector<HostEvent> events;
};
