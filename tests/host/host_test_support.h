#pragma once

// The control in our own container, data loaded through automation, the placeholder's pixels.

#include "base/com_ref.h"
#include "control/com_test_support.h"
#include "control_host.h"
#include "engine/engine_test_support.h"

#include <string>

// Loads a table through _View::SetData.
inline HRESULT LoadArray(IUnknown* control, const SafeArrayBuilder& table) {
    ComRef<_View> view(Query<_View>(control, IID__View));
    return view ? view->SetData(ArrayOf(table.get()), flShortDate, flMonth, VARIANT_FALSE)
                : E_NOINTERFACE;
}

// Loads records of strings "r<record>c<column>".
inline HRESULT LoadTable(IUnknown* control, int records, int columns) {
    return LoadArray(control, TextTable(records, columns));
}

inline LONG SelectedRecordOf(IUnknown* control) {
    LONG record = -2;
    if (ComRef<_View> view{Query<_View>(control, IID__View)})
        view->get_SelectedRecord(&record);
    return record;
}

// The placeholder in `area`: a one-pixel frame round the window colour, the ground above.
inline void ExpectFramedPlaceholder(const Pixels& pixels, const RECT& area, COLORREF ground) {
    const COLORREF border = pixels.At(area.left, area.top), window = GetSysColor(COLOR_WINDOW);
    EXPECT_TRUE(border != window && border != ground);
    const RECT inside{area.left + 1, area.top + 1, area.right - 1, area.bottom - 1};
    const int all = (area.right - area.left) * (area.bottom - area.top),
              within = (inside.right - inside.left) * (inside.bottom - inside.top);
    EXPECT_EQ(pixels.Count(inside, window), within);
    EXPECT_EQ(pixels.Count(area, border), all - within) << "the frame";
    EXPECT_EQ(pixels.Count({0, 0, pixels.width, area.top}, ground), pixels.width * area.top);
}

// The control by its ProgID in an AtlAxWin window of atl.dll, made visible with more styles.
inline IDispatch* AtlHosted(HWND parent, int top, DWORD style, HWND& ax) {
    HMODULE atl = LoadLibraryA("atl.dll");
    auto init = reinterpret_cast<BOOL(WINAPI*)()>(
        reinterpret_cast<void*>(GetProcAddress(atl, "AtlAxWinInit")));
    auto getControl = reinterpret_cast<HRESULT(WINAPI*)(HWND, IUnknown**)>(
        reinterpret_cast<void*>(GetProcAddress(atl, "AtlAxGetControl")));
    IUnknown* unknown = nullptr;
    if (init)
        init(); // false once the class is registered
    ax = CreateWindowExA(0, "AtlAxWin", "Norv.View", WS_CHILD | WS_VISIBLE | style, 0, top, 300,
                         200, parent, nullptr, nullptr, nullptr);
    if (!getControl || FAILED(getControl(ax, &unknown)))
        return nullptr;
    auto* dispatch = Query<IDispatch>(unknown, IID_IDispatch);
    unknown->Release();
    return dispatch;
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
    HRESULT SetExtent(SIZEL extent) {
        ComRef<IOleObject> object(Query<IOleObject>(host->Control(), IID_IOleObject));
        return object ? object->SetExtent(DVASPECT_CONTENT, &extent) : E_NOINTERFACE;
    }
    HRESULT Create(const RECT& bounds, bool quick = false) {
        return host->CreateFromModule(ModuleWindowsPath().c_str(), CLSID_View, bounds, quick);
    }

    HWND window = nullptr;
    ControlHost* host = nullptr;
    std::vector<HostEvent> events;
};
