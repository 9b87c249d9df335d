// The registered control in containers nobody here wrote: atl.dll's AtlAxWin host window, a
// rich-edit control's embedded objects, ole32's OleCreate road, and oledlg's Insert Object
// dialog.

#include "host_test_support.h"

#include <richedit.h>
#include <richole.h>
#include <oledlg.h>

namespace {

const wchar_t* const userTypeName = L"Norvik Control 1.0";

DISPID DispId(IDispatch* object, const wchar_t* name) {
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    return id;
}

// SetData(table) and SelectedRecord, the way a late-bound client calls them.
HRESULT LoadThroughDispatch(IDispatch* object, int records, int columns) {
    SafeArrayBuilder table = TextTable(records, columns);
    VARIANT argument;
    VariantInit(&argument);
    V_VT(&argument) = VT_ARRAY | VT_VARIANT;
    V_ARRAY(&argument) = table.get();
    DISPPARAMS params = {&argument, nullptr, 1, 0};
    return object->Invoke(DispId(object, L"SetData"), IID_NULL, LOCALE_USER_DEFAULT,
                          DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
}

LONG SelectedThroughDispatch(IDispatch* object) {
    VARIANT result;
    VariantInit(&result);
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    object->Invoke(DispId(object, L"SelectedRecord"), IID_NULL, LOCALE_USER_DEFAULT,
                   DISPATCH_PROPERTYGET, &none, &result, nullptr, nullptr);
    return V_VT(&result) == VT_I4 ? V_I4(&result) : -2;
}

void Pump() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

// The bounding box of the pixels that are not the window colour.
RECT Drawn(const Pixels& pixels) {
    RECT box{pixels.width, pixels.height, 0, 0};
    for (int y = 0; y < pixels.height; ++y)
        for (int x = 0; x < pixels.width; ++x)
            if (pixels.At(x, y) != GetSysColor(COLOR_WINDOW)) {
                box.left = std::min<LONG>(box.left, x);
                box.top = std::min<LONG>(box.top, y);
                box.right = std::max<LONG>(box.right, x + 1);
                box.bottom = std::max<LONG>(box.bottom, y + 1);
            }
    return box;
}

// A compound file that goes with its last reference, as a document's object storage.
IStorage* TemporaryStorage() {
    IStorage* storage = nullptr;
    StgCreateDocfile(nullptr,
                     STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE | STGM_DELETEONRELEASE, 0,
                     &storage);
    return storage;
}

class WineContainers : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
        window = TestHost(420, 320);
    }
    void TearDown() override { OleUninitialize(); }
    HWND window = nullptr;
};

} // namespace

TEST_F(WineContainers, AtlHostCreatesByProgIdPaintsResizesAndTakesKeys) {
    HMODULE atl = LoadLibraryA("atl.dll");
    ASSERT_NE(atl, nullptr);
    using InitFunction = BOOL(WINAPI*)();
    using GetControlFunction = HRESULT(WINAPI*)(HWND, IUnknown**);
    auto init = reinterpret_cast<InitFunction>(
        reinterpret_cast<void*>(GetProcAddress(atl, "AtlAxWinInit")));
    auto getControl = reinterpret_cast<GetControlFunction>(
        reinterpret_cast<void*>(GetProcAddress(atl, "AtlAxGetControl")));
    ASSERT_TRUE(init && getControl && init());
    HWND ax = CreateWindowExA(0, "AtlAxWin", "Norv.View", WS_CHILD | WS_VISIBLE, 0, 0, 300, 200,
                              window, nullptr, nullptr, nullptr);
    ASSERT_NE(ax, nullptr);
    IUnknown* unknown = nullptr;
    ASSERT_EQ(S_OK, getControl(ax, &unknown));
    auto* object = Query<IDispatch>(unknown, IID_IDispatch);
    ASSERT_NE(object, nullptr);
    HWND control = GetWindow(ax, GW_CHILD);
    ASSERT_NE(control, nullptr) << "activated with its own window despite the windowless offer";
    RECT outer;
    GetWindowRect(control, &outer);
    EXPECT_EQ(outer.right - outer.left, 300) << "sized from the rectangles, not the extent";
    EXPECT_EQ(outer.bottom - outer.top, 200);

    ASSERT_EQ(S_OK, LoadThroughDispatch(object, 40, 3));
    const Pixels painted = Pixels::OfWindow(control);
    const RECT rows{0, 30, painted.width, painted.height};
    EXPECT_GT(painted.Count(rows, GetSysColor(COLOR_WINDOWTEXT)), 200) << "row texts";
    EXPECT_GT(painted.Count(rows, GetSysColor(COLOR_HIGHLIGHT)) +
                  painted.Count(rows, GetSysColor(COLOR_BTNFACE)),
              200)
        << "the selected row";

    MoveWindow(ax, 0, 0, 250, 150, TRUE);
    Pump();
    GetWindowRect(control, &outer);
    EXPECT_EQ(outer.right - outer.left, 250);
    EXPECT_EQ(outer.bottom - outer.top, 150);

    SetFocus(control);
    // The texts sort as strings: r0c0, r10c0, r11c0, r12c0, ... r9c0.
    EXPECT_EQ(SelectedThroughDispatch(object), 0);
    SendMessageA(control, WM_KEYDOWN, VK_DOWN, 3);
    EXPECT_EQ(SelectedThroughDispatch(object), 12);
    SendMessageA(control, WM_KEYDOWN, VK_END, 1);
    EXPECT_EQ(SelectedThroughDispatch(object), 9);

    object->Release();
    unknown->Release();
    DestroyWindow(ax);
}

TEST_F(WineContainers, RichEditDrawsThePlaceholder) {
    ASSERT_NE(LoadLibraryA("riched20.dll"), nullptr);
    HWND edit = CreateWindowExW(0, RICHEDIT_CLASSW, L"", WS_CHILD | WS_VISIBLE | ES_MULTILINE, 0, 0,
                                300, 200, window, nullptr, nullptr, nullptr);
    ASSERT_NE(edit, nullptr);
    IRichEditOle* rich = nullptr;
    ASSERT_TRUE(SendMessageW(edit, EM_GETOLEINTERFACE, 0, reinterpret_cast<LPARAM>(&rich)));
    IOleObject* object = nullptr;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_View, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                                     reinterpret_cast<void**>(&object)));
    auto* persist = Query<IPersistStreamInit>(object, IID_IPersistStreamInit);
    persist->InitNew();
    persist->Release();
    SIZEL extent{2540, 1270}; // 96 x 48 pixels at 96 dots an inch
    object->SetExtent(DVASPECT_CONTENT, &extent);
    IOleClientSite* site = nullptr;
    ASSERT_EQ(S_OK, rich->GetClientSite(&site));
    object->SetClientSite(site);
    ILockBytes* bytes = nullptr;
    IStorage* storage = nullptr;
    ASSERT_EQ(S_OK, CreateILockBytesOnHGlobal(nullptr, TRUE, &bytes));
    ASSERT_EQ(S_OK, StgCreateDocfileOnILockBytes(
                        bytes, STGM_SHARE_EXCLUSIVE | STGM_CREATE | STGM_READWRITE, 0, &storage));
    REOBJECT embedded = {};
    embedded.cbStruct = sizeof embedded;
    embedded.cp = REO_CP_SELECTION;
    embedded.clsid = CLSID_View;
    embedded.poleobj = object;
    embedded.pstg = storage;
    embedded.polesite = site;
    embedded.sizel = extent;
    embedded.dvaspect = DVASPECT_CONTENT;
    ASSERT_EQ(S_OK, rich->InsertObject(&embedded));
    SendMessageW(edit, EM_SETSEL, 0, 0); // nothing selected: the object as it is
    InvalidateRect(edit, nullptr, TRUE);
    const Pixels pixels = Pixels::OfWindow(edit);
    const RECT box = Drawn(pixels);
    EXPECT_EQ(box.right - box.left, 96);
    EXPECT_EQ(box.bottom - box.top, 48);
    ExpectFramedPlaceholder(pixels, box, GetSysColor(COLOR_WINDOW));

    storage->Release();
    bytes->Release();
    site->Release();
    object->Release();
    rich->Release();
    DestroyWindow(edit);
}

// The road of a compound-document container: ole32 creates and runs the object; our site
// shows it in place; ole32 draws it through its view object.
TEST_F(WineContainers, OleCreateRunAndShow) {
    ControlHost host(window);
    IStorage* storage = TemporaryStorage();
    ASSERT_NE(storage, nullptr);
    IOleObject* object = nullptr;
    ASSERT_EQ(S_OK, OleCreate(CLSID_View, IID_IOleObject, OLERENDER_DRAW, nullptr, host.Site(),
                              storage, reinterpret_cast<void**>(&object)));
    ASSERT_EQ(S_OK, OleRun(object));
    ASSERT_EQ(S_OK, host.Embed(object, RECT{20, 20, 220, 170}));
    EXPECT_EQ(S_OK, host.DoVerb(OLEIVERB_SHOW));
    HWND control = host.ControlWindow();
    ASSERT_NE(control, nullptr);
    EXPECT_TRUE(IsWindowVisible(control));
    EXPECT_TRUE(host.Record().uiActive);

    const RECT area{4, 4, 60, 40};
    const COLORREF ground = RGB(0, 0, 128);
    ExpectFramedPlaceholder(
        Drawn(64, 44, ground,
              [&](HDC dc) { EXPECT_EQ(S_OK, OleDraw(object, DVASPECT_CONTENT, dc, &area)); }),
        area, ground);
    host.Close();
    object->Release();
    storage->Release();
}

namespace {

struct DialogRun {
    bool listed = false;
    bool pressed = false;
};
DialogRun dialogRun;

BOOL CALLBACK FindInsertDialog(HWND candidate, LPARAM found) {
    if (FindWindowExA(candidate, nullptr, "ListBox", nullptr)) {
        *reinterpret_cast<HWND*>(found) = candidate;
        return FALSE;
    }
    return TRUE;
}

// Runs inside the dialog's own loop: chooses the control in the list and presses OK, as a
// user would.
void CALLBACK ChooseTheControl(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND dialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindInsertDialog, reinterpret_cast<LPARAM>(&dialog));
    if (!dialog)
        return;
    KillTimer(nullptr, timer);
    HWND list = FindWindowExA(dialog, nullptr, "ListBox", nullptr);
    char name[64];
    WideCharToMultiByte(CP_ACP, 0, userTypeName, -1, name, sizeof name, nullptr, nullptr);
    const LRESULT index = SendMessageA(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                       reinterpret_cast<LPARAM>(name));
    dialogRun.listed = index != LB_ERR;
    if (dialogRun.listed) {
        SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), LBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(list));
        dialogRun.pressed = true;
        PostMessageA(dialog, WM_COMMAND, IDOK, reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    } else {
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    }
}

} // namespace

TEST_F(WineContainers, InsertObjectDialogListsCreatesAndTheObjectActivates) {
    ControlHost host(window);
    IStorage* storage = TemporaryStorage();
    ASSERT_NE(storage, nullptr);
    IOleObject* object = nullptr;
    OLEUIINSERTOBJECTA dialog = {};
    dialog.cbStruct = sizeof dialog;
    dialog.dwFlags = IOF_SELECTCREATENEW | IOF_CREATENEWOBJECT;
    dialog.hWndOwner = window;
    char file[MAX_PATH] = {};
    dialog.lpszFile = file;
    dialog.cchFile = MAX_PATH;
    dialog.iid = IID_IOleObject;
    dialog.oleRender = OLERENDER_DRAW;
    dialog.lpIOleClientSite = host.Site();
    dialog.lpIStorage = storage;
    dialog.ppvObj = reinterpret_cast<void**>(&object);
    dialogRun = DialogRun{};
    SetTimer(nullptr, 0, 50, ChooseTheControl);
    const UINT answer = OleUIInsertObjectA(&dialog);
    EXPECT_TRUE(dialogRun.listed) << "the Insertable key lists the control";
    ASSERT_EQ(answer, UINT(OLEUI_OK));
    EXPECT_TRUE(IsEqualCLSID(dialog.clsid, CLSID_View));
    ASSERT_NE(object, nullptr);
    ASSERT_EQ(S_OK, host.Embed(object, RECT{0, 0, 200, 120}));
    EXPECT_EQ(S_OK, host.DoVerb(OLEIVERB_SHOW));
    EXPECT_TRUE(IsWindowVisible(host.ControlWindow()));
    host.Close();
    object->Release();
    storage->Release();
}
