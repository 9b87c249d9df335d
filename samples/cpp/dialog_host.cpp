// The control in a modal dialog, placed by the dialog template (dialog_host.rc) as an AtlAxWin
// child whose text is the ProgID. The user picks a record with the keys or the mouse; a
// double click on a record or OK ends the dialog with that record.
//
//   dialog_host.exe             shows the dialog and prints the record chosen
//   dialog_host.exe --scripted  tabs into the list, moves down with the arrow key (which the
//                               dialog manager leaves to the control) and double-clicks the
//                               third row; exits 0 when the Compass was chosen

#include <windows.h>
#include <commctrl.h>
#include <cstdio>
#include <cstring>

#include "dialog_host.h"
#include "event_sink.h"
#include "norv_h.h"
#include "sales_table.h"
#include "scripted_input.h"

namespace {

struct Choice {
    bool scripted = false;
    GetControlFunction getControl = nullptr;
    _View* view = nullptr;
    ViewEvents* events = nullptr;
    long record = -1;
};

HWND openDialog = nullptr;

// Some atl.dll versions keep the focus in their host window when the dialog tabs to it;
// the list is what the user means to type into.
LRESULT CALLBACK HandFocusOn(HWND window, UINT message, WPARAM w, LPARAM l, UINT_PTR, DWORD_PTR) {
    if (message == WM_SETFOCUS && GetWindow(window, GW_CHILD))
        SetFocus(GetWindow(window, GW_CHILD));
    return DefSubclassProc(window, message, w, l);
}

void ScriptedMoment(HWND dialog, Choice& choice) {
    HWND list = GetWindow(GetDlgItem(dialog, IDC_LIST), GW_CHILD);
    SetFocus(GetDlgItem(dialog, IDC_NOTE));
    Key(GetFocus(), VK_TAB);
    Expect(GetFocus() == list, "Tab moves from the note into the list");
    Key(GetFocus(), VK_DOWN);
    Expect(choice.events->selected == 1, "Down selects the second record, the Buoy");
    DoubleClick(list, Middle(ItemRect(list, saleColumns + 3))); // ends the dialog
    if (choice.record < 0)
        EndDialog(dialog, IDCANCEL); // it did not: the moment ends anyway
}

bool Initialise(HWND dialog, Choice& choice) {
    HWND host = GetDlgItem(dialog, IDC_LIST);
    IUnknown* unknown = nullptr;
    if (FAILED(choice.getControl(host, &unknown)))
        return false;
    unknown->QueryInterface(IID__View, reinterpret_cast<void**>(&choice.view));
    unknown->Release();
    if (!choice.view || FAILED(LoadSales(choice.view)))
        return false;
    choice.events = new ViewEvents(choice.view);
    choice.events->onItemDblClick = [dialog](long) { PostMessageW(dialog, WM_COMMAND, IDOK, 0); };
    SetWindowSubclass(host, HandFocusOn, 1, 0);
    return SUCCEEDED(choice.events->Connect(choice.view));
}

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM w, LPARAM l) {
    auto* choice = reinterpret_cast<Choice*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrW(dialog, DWLP_USER, l);
        choice = reinterpret_cast<Choice*>(l);
        openDialog = dialog;
        if (!Initialise(dialog, *choice))
            EndDialog(dialog, IDABORT);
        else if (choice->scripted)
            PostMessageW(dialog, WM_APP, 0, 0);
        return TRUE;
    case WM_APP:
        ScriptedMoment(dialog, *choice);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(w) == IDOK)
            choice->view->get_SelectedRecord(&choice->record);
        if (LOWORD(w) == IDOK || LOWORD(w) == IDCANCEL)
            EndDialog(dialog, LOWORD(w));
        return TRUE;
    case WM_DESTROY:
        if (choice->events) {
            choice->events->Disconnect();
            delete choice->events;
        }
        if (choice->view)
            choice->view->Release();
        openDialog = nullptr;
        return TRUE;
    }
    return FALSE;
}

} // namespace

// The scripted moment's messages take the dialog's road: the dialog manager first.
void Dispatch(MSG& message) {
    if (openDialog && IsDialogMessageW(openDialog, &message))
        return;
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

int main(int argc, char** argv) {
    Choice choice;
    choice.scripted = argc > 1 && strcmp(argv[1], "--scripted") == 0;
    if (FAILED(OleInitialize(nullptr)))
        return 1;
    choice.getControl = LoadAtlHost(); // before the dialog: it registers the AtlAxWin class
    INT_PTR result = -1;
    if (choice.getControl)
        result = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_CHOOSE), nullptr,
                                 DialogProc, reinterpret_cast<LPARAM>(&choice));
    OleUninitialize();
    if (result == IDOK && choice.record >= 0)
        printf("chosen: record %ld, %ls\n", choice.record, sales[choice.record].product);
    else
        printf("nothing chosen (%d)\n", static_cast<int>(result));
    if (choice.scripted) {
        Expect(result == IDOK && choice.record == 2, "the dialog ended with the Compass");
        return Failures() ? 1 : 0;
    }
    return result == IDOK ? 0 : 1;
}
