// The registered control in a container nobody here wrote: atl.dll's AtlAxWin host window, in a
// dialog.

#include "accessible_reading.h"
#include "host_test_support.h"

#include <commctrl.h>

namespace {

class WineContainers : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
        window = TestHost(420, 320);
    }
    void TearDown() override { OleUninitialize(); }

    HWND window = nullptr;
};

// The control by its ProgID in a tab stop of atl.dll's AtlAxWin host window.
IDispatch* AtlHosted(HWND parent, HWND& ax) {
    HMODULE atl = LoadLibraryA("atl.dll");
    auto init = reinterpret_cast<BOOL(WINAPI*)()>(
        reinterpret_cast<void*>(GetProcAddress(atl, "AtlAxWinInit")));
    auto getControl = reinterpret_cast<HRESULT(WINAPI*)(HWND, IUnknown**)>(
        reinterpret_cast<void*>(GetProcAddress(atl, "AtlAxGetControl")));
    IUnknown* unknown = nullptr;
    if (init)
        init(); // false once the class is registered
    ax = CreateWindowExA(0, "AtlAxWin", "Norv.View", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 40, 300,
                         200, parent, nullptr, nullptr, nullptr);
    if (!getControl || FAILED(getControl(ax, &unknown)))
        return nullptr;
    auto* dispatch = Query<IDispatch>(unknown, IID_IDispatch);
    unknown->Release();
    return dispatch;
}

// ATL's host window hands its focus on to the control it hosts; Wine's keeps it.
LRESULT CALLBACK HandFocusOn(HWND window, UINT message, WPARAM w, LPARAM l, UINT_PTR, DWORD_PTR) {
    if (message == WM_SETFOCUS)
        SetFocus(GetWindow(window, GW_CHILD));
    return DefSubclassProc(window, message, w, l);
}

} // namespace

// In a dialog beside an edit box: Tab takes the focus in and out through the dialog manager,
// which leaves the arrows to the control (the texts sort as strings: r0c0, r10c0, ...); the
// tree reads as in our own container, unnamed.
TEST_F(WineContainers, DialogTabsInAndOutAndLeavesTheArrowsToTheControl) {
    HWND dialog = CreateWindowExA(WS_EX_CONTROLPARENT, "#32770", "", WS_POPUP | WS_VISIBLE, 300,
                                  100, 400, 300, window, nullptr, nullptr, nullptr);
    HWND edit = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 0, 200, 20,
                                dialog, nullptr, nullptr, nullptr);
    HWND ax = nullptr;
    IDispatch* control = AtlHosted(dialog, ax);
    ASSERT_NE(control, nullptr);
    ASSERT_EQ(S_OK, LoadTable(control, 20, 2));
    HWND list = GetWindow(ax, GW_CHILD);
    SetWindowSubclass(ax, HandFocusOn, 1, 0);
    auto press = [&](WPARAM key) {
        PostMessageA(GetFocus(), WM_KEYDOWN, key, 1);
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
            if (!IsDialogMessageA(dialog, &message))
                DispatchMessageA(&message);
    };
    SetFocus(edit);
    press(VK_TAB);
    EXPECT_EQ(GetFocus(), list);
    press(VK_DOWN);
    EXPECT_EQ(SelectedRecordOf(control), 10);
    press(VK_TAB);
    EXPECT_EQ(GetFocus(), edit);
    const std::vector<std::wstring> tree = ReadWindow(list);
    EXPECT_EQ(tree.size(), 23u);
    EXPECT_EQ(tree[0], L"list|||||");
    EXPECT_EQ(tree[4], L"list item|r10c0||COLUMN 1: r10c1|Double Click| selected");
    control->Release();
    DestroyWindow(dialog);
}
