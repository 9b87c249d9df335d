#include "control/about_dialog.h"

#include "control/control_resources.h"
#include "store/module_instance.h"

namespace {

INT_PTR CALLBACK AboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, LOWORD(wParam));
            return TRUE;
        }
        break;
    default:
        break;
    }
    return FALSE;
}

} // namespace

bool ShowAboutDialog(HWND owner) {
    INT_PTR result =
        DialogBoxParamW(ModuleInstance(), MAKEINTRESOURCEW(IDD_ABOUT), owner, AboutProc, 0);
    return result != -1 && result != 0;
}
