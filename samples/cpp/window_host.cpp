// A C++ host window with the control in it, hosted by ATL's AtlAxWin window class (atl.dll,
// no ATL headers needed), answering the control's events.
//
//   window_host.exe             shows the window until it is closed
//   window_host.exe --scripted  works through a short moment as a user would, with real mouse
//                               and key messages: sorts by Amount, drags Region to the front,
//                               drags the splitter to group by it, opens a group and
//                               double-clicks a record; exits 0 when all went as expected
//
// The control must be registered (regsvr32 norv.dll), or the program must carry a manifest
// for registration-free use.

#include <windows.h>
#include <cstdio>
#include <cstring>

#include "event_sink.h"
#include "norv_h.h"
#include "sales_table.h"
#include "scripted_input.h"

namespace {

HWND controlHost = nullptr; // the AtlAxWin window; the control's own window is its child
IOleInPlaceActiveObject* keys = nullptr; // the control's keyboard entry

LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM w, LPARAM l) {
    switch (message) {
    case WM_SIZE: // the control follows the host window
        MoveWindow(controlHost, 0, 0, LOWORD(l), HIWORD(l), TRUE);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, w, l);
}

// Creates the control by its ProgID inside an AtlAxWin window and returns its _View.
_View* HostControl(HWND parent) {
    GetControlFunction getControl = LoadAtlHost();
    if (!getControl)
        return nullptr;
    RECT client;
    GetClientRect(parent, &client);
    controlHost = CreateWindowExW(0, L"AtlAxWin", L"Norv.View", WS_CHILD | WS_VISIBLE, 0, 0,
                                  client.right, client.bottom, parent, nullptr, nullptr, nullptr);
    IUnknown* unknown = nullptr;
    if (!controlHost || FAILED(getControl(controlHost, &unknown)))
        return nullptr;
    _View* view = nullptr;
    unknown->QueryInterface(IID__View, reinterpret_cast<void**>(&view));
    unknown->Release();
    return view;
}

// --- the scripted moment: real messages to the control's window ---

// The width of a level button of the grouping area: a small icon with its edges (in whole
// pairs of pixels). The area keeps a margin of a button less one edge on each side.
int LevelButtonWidth() {
    const int width = GetSystemMetrics(SM_CXSMICON) + 2 * GetSystemMetrics(SM_CXEDGE);
    return (width + 1) / 2 * 2;
}

int ScriptedMoment(_View* view, ViewEvents& events) {
    HWND list = GetWindow(controlHost, GW_CHILD);
    if (!list)
        return 1;
    const long columns = saleColumns;
    // Sort: a click on the Amount header sorts ascending, a second click descending; Home
    // then selects the first row.
    const POINT amount = Middle(ItemRect(list, 4));
    Click(list, amount);
    Key(list, VK_HOME);
    Expect(events.selected == 5, "ascending by Amount, the first row is the Flare (15.75)");
    Click(list, amount);
    Key(list, VK_HOME);
    Expect(events.selected == 7, "descending by Amount, the first row is the Hull (1500)");

    // Reorder: drag the Region header onto the left edge of the first column.
    const RECT first = ItemRect(list, 1);
    Drag(list, Middle(ItemRect(list, 2)), POINT{first.left + 2, Middle(first).y});
    const RECT moved = ItemRect(list, 1);
    long regionWidth = 0;
    view->get_ColumnWidth(1, &regionWidth);
    Expect(moved.left == first.left && moved.right - moved.left == regionWidth,
           "Region is now the first column");

    // Group: drag the splitter (left of the first header) right until the grouping area
    // holds one level button.
    const int button = LevelButtonWidth();
    const int oneLevel = button + 2 * (button - GetSystemMetrics(SM_CXEDGE));
    const POINT splitter{moved.left / 2, Middle(moved).y};
    Drag(list, splitter, POINT{splitter.x + oneLevel + button / 2, splitter.y});
    Key(list, VK_HOME);
    Expect(events.selected == -1, "grouped: the first row is a group (East), no record");
    Key(list, VK_RIGHT); // opens the group
    Key(list, VK_RIGHT); // enters it: its first record, the largest amount in the East
    Expect(events.selected == 2, "the first record of East is the Compass (310.25)");

    // Double-click the current row, the second row shown: the host hears which record.
    DoubleClick(list, Middle(ItemRect(list, columns + 2)));
    Expect(events.doubleClicked == 2, "OnItemDblClick names the Compass");

    // A right click on the header asks for a menu about no record.
    Mouse(list, WM_RBUTTONDOWN, Middle(ItemRect(list, 1)), MK_RBUTTON);
    Expect(events.menuRecord == -1, "OnContextMenu on the header names no record");

    // The control keeps the navigation keys; other keys reach the host as events.
    Expect(events.keyDown == 0, "no OnKeyDown for Home and the arrows");
    Key(list, VK_F2);
    Expect(events.keyDown == VK_F2, "OnKeyDown for F2");

    long selected = 0;
    view->get_SelectedRecord(&selected);
    Expect(selected == events.selected, "SelectedRecord agrees with the last OnSelect");
    printf("%s\n", Failures() ? "the moment went wrong" : "the moment went as expected");
    return Failures() ? 1 : 0;
}

} // namespace

// Keys go to the control first: it keeps the navigation keys and raises its key events.
void Dispatch(MSG& message) {
    if (keys && message.message >= WM_KEYFIRST && message.message <= WM_KEYLAST &&
        keys->TranslateAccelerator(&message) == S_OK)
        return;
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

int main(int argc, char** argv) {
    const bool scripted = argc > 1 && strcmp(argv[1], "--scripted") == 0;
    if (FAILED(OleInitialize(nullptr)))
        return 1;
    WNDCLASSW frameClass = {};
    frameClass.lpfnWndProc = FrameProc;
    frameClass.hInstance = GetModuleHandleW(nullptr);
    frameClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    frameClass.lpszClassName = L"NorvSampleFrame";
    RegisterClassW(&frameClass);
    HWND frame = CreateWindowExW(0, frameClass.lpszClassName, L"Norv sample: sales",
                                 WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 640, 360, nullptr,
                                 nullptr, frameClass.hInstance, nullptr);
    _View* view = frame ? HostControl(frame) : nullptr;
    if (!view) {
        fprintf(stderr, "the control could not be created: is norv.dll registered?\n");
        return 1;
    }
    ViewEvents events(view);
    int status = SUCCEEDED(events.Connect(view)) && SUCCEEDED(LoadSales(view)) ? 0 : 1;
    view->put_ColumnWidth(0, 120);
    view->QueryInterface(IID_IOleInPlaceActiveObject, reinterpret_cast<void**>(&keys));
    if (status == 0 && scripted) {
        Pump();
        status = ScriptedMoment(view, events);
        DestroyWindow(frame);
    }
    MSG message;
    while (!scripted && GetMessageW(&message, nullptr, 0, 0) > 0)
        Dispatch(message);
    if (keys)
        keys->Release();
    events.Disconnect();
    view->Release();
    OleUninitialize();
    return status;
}
