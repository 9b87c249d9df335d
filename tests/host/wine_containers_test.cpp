// The registered control in containers nobody here wrote: atl.dll's AtlAxWin, ole32's OleCreate
// road and oledlg's Insert Object dialog.

#include "host_test_support.h"

#include <commctrl.h>
#include <oledlg.h>

namespace {

class WineContainers : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
        window = TestHost(420, 320);
        ASSERT_TRUE(storage = ComRef<IStorage>(TemporaryStorage()));
    }
    void TearDown() override {
        object.Reset(), storage.Reset();
        OleUninitialize();
    }
    // The object ole32 made, shown in place by our site and drawn by ole32 through its view.
    void ShowAndDraw(ControlHost& host) {
        ASSERT_TRUE(object);
        ASSERT_EQ(S_OK, host.Embed(object.Get(), RECT{20, 20, 220, 170}));
        EXPECT_EQ(S_OK, host.DoVerb(OLEIVERB_SHOW));
        EXPECT_TRUE(IsWindowVisible(host.ControlWindow()) && host.Record().uiActive);
        const RECT area{4, 4, 60, 40};
        const COLORREF ground = RGB(0, 0, 128);
        ExpectFramedPlaceholder(
            Drawn(64, 44, ground,
                  [&](HDC dc) {
                      EXPECT_EQ(S_OK, OleDraw(object.Get(), DVASPECT_CONTENT, dc, &area));
                  }),
            area, ground);
        host.Close();
    }

    HWND window = nullptr;
    ComRef<IStorage> storage;
    ComRef<IOleObject> object;
};

// ATL's host window hands its focus on to the control it hosts; Wine's keeps it.
LRESULT CALLBACK HandFocusOn(HWND window, UINT message, WPARAM w, LPARAM l, UINT_PTR, DWORD_PTR) {
    if (message == WM_SETFOCUS)
        SetFocus(GetWindow(window, GW_CHILD));
    return DefSubclassProc(window, message, w, l);
}

} // namespace

TEST_F(WineContainers, AtlHostCreatesByProgIdPaintsAndResizes) {
    HWND ax = nullptr;
    IDispatch* dispatch = AtlHosted(window, 0, 0, ax);
    ASSERT_NE(dispatch, nullptr);
    HWND control = GetWindow(ax, GW_CHILD);
    ASSERT_NE(control, nullptr) << "activated with its own window despite the windowless offer";

    ASSERT_EQ(S_OK, LoadTable(dispatch, 40, 3));
    const Pixels painted = Pixels::OfWindow(control);
    const RECT rows{0, 30, painted.width, painted.height};
    EXPECT_GT(painted.Count(rows, GetSysColor(COLOR_WINDOWTEXT)), 200) << "row texts";

    // Sized from the rectangles, never the extent, first and after the host window moves.
    for (const auto& [width, height] : {std::pair{300, 200}, {250, 150}}) {
        MoveWindow(ax, 0, 0, width, height, TRUE);
        Pump();
        RECT outer;
        GetWindowRect(control, &outer);
        EXPECT_EQ(outer.right - outer.left, width);
        EXPECT_EQ(outer.bottom - outer.top, height);
    }

    dispatch->Release();
    DestroyWindow(ax);
}

// The dialog manager tabs in and out and leaves the arrows to the list (r0c0, r10c0, ... sorted).
TEST_F(WineContainers, DialogTabsInAndOutAndLeavesTheArrowsToTheControl) {
    HWND dialog = CreateWindowExA(WS_EX_CONTROLPARENT, "#32770", "", WS_POPUP | WS_VISIBLE, 300,
                                  100, 400, 300, window, nullptr, nullptr, nullptr);
    HWND edit = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 0, 200, 20,
                                dialog, nullptr, nullptr, nullptr);
    HWND ax = nullptr;
    IDispatch* control = AtlHosted(dialog, 40, WS_TABSTOP, ax);
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
    control->Release();
    DestroyWindow(dialog);
}

// The road of a compound-document container: ole32 creates and runs the object.
TEST_F(WineContainers, OleCreateRunAndShow) {
    ControlHost host(window);
    ASSERT_EQ(S_OK, OleCreate(CLSID_View, IID_IOleObject, OLERENDER_DRAW, nullptr, host.Site(),
                              storage.Get(), object.ReceiveVoid()));
    ASSERT_EQ(S_OK, OleRun(object.Get()));
    ShowAndDraw(host);
}

namespace {

bool listed = false;

// In the dialog's own loop: chooses the control and presses OK, as a user would.
void CALLBACK ChooseTheControl(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND dialog = GetActiveWindow(), list = FindWindowExA(dialog, nullptr, "ListBox", nullptr);
    if (!list)
        return;
    KillTimer(nullptr, timer);
    const LRESULT index = SendMessageA(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                       reinterpret_cast<LPARAM>("Norvik Control 1.0"));
    listed = index != LB_ERR;
    SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(list));
    PostMessageA(dialog, WM_COMMAND, listed ? IDOK : IDCANCEL, 0);
}

} // namespace

TEST_F(WineContainers, InsertObjectDialogListsCreatesAndTheObjectActivates) {
    ControlHost host(window);
    char file[MAX_PATH] = {};
    OLEUIINSERTOBJECTA dialog = {};
    dialog.cbStruct = sizeof dialog;
    dialog.dwFlags = IOF_SELECTCREATENEW | IOF_CREATENEWOBJECT;
    dialog.hWndOwner = window;
    dialog.lpszFile = file;
    dialog.cchFile = MAX_PATH;
    dialog.iid = IID_IOleObject;
    dialog.oleRender = OLERENDER_DRAW;
    dialog.lpIOleClientSite = host.Site();
    dialog.lpIStorage = storage.Get();
    dialog.ppvObj = object.ReceiveVoid();
    listed = false;
    SetTimer(nullptr, 0, 50, ChooseTheControl);
    const UINT answer = OleUIInsertObjectA(&dialog);
    EXPECT_TRUE(listed) << "the Insertable key lists the control";
    ASSERT_EQ(answer, UINT(OLEUI_OK));
    EXPECT_TRUE(IsEqualCLSID(dialog.clsid, CLSID_View));
    ShowAndDraw(host);
}
