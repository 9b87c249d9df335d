// The keyboard's two roads into the control: the container's accelerator translation and the
// window's own key messages. Each key message is reported to the host once, whichever road
// it takes, and navigation key presses are never reported.

#include "control/view_control.h"

#include "engine/keyboard.h"

HRESULT STDMETHODCALLTYPE ViewControl::TranslateAccelerator(LPMSG message) {
    if (!message)
        return E_POINTER;
    KeepAlive alive(*this);
    keyTranslated = false;
    if (message->message == WM_KEYDOWN && IsNavigationKey(message->wParam)) {
        if (hwnd)
            SendMessageA(hwnd, WM_KEYDOWN, message->wParam, message->lParam);
        return S_OK;
    }
    const MSG key = *message;
    const HWND window = hwnd;
    RaiseKeyEvent(key);
    HRESULT hr = S_FALSE;
    ComRef<IOleControlSite> site;
    if (clientSite &&
        SUCCEEDED(clientSite->QueryInterface(IID_IOleControlSite, site.ReceiveVoid())))
        hr = site->TranslateAccelerator(message, KeyboardShiftState()) == S_OK ? S_OK : S_FALSE;
    if (hr == S_FALSE && window && key.hwnd == window && hwnd == window) {
        // The container dispatches this very message to the window next, before its loop
        // takes another one: only then is it not reported again.
        translatedKey = key;
        keyTranslated = PostMessageA(window, keyMarkExpired, 0, 0) != FALSE;
    }
    return hr;
}

void ViewControl::RaiseKeyEvent(const MSG& message) {
    if (message.message != WM_KEYDOWN && message.message != WM_KEYUP && message.message != WM_CHAR)
        return;
    if (message.message == WM_KEYDOWN && IsNavigationKey(message.wParam))
        return;
    if (EventsFrozen() || DesignModeOrUIDead())
        return;
    const auto code = static_cast<int32_t>(message.wParam);
    if (message.message == WM_KEYDOWN)
        RaiseKeyDown(code, KeyboardShiftState());
    else if (message.message == WM_KEYUP)
        RaiseKeyUp(code, KeyboardShiftState());
    else
        RaiseKeyPress(code);
}

bool ViewControl::CameThroughAccelerators(UINT message, WPARAM wParam, LPARAM lParam) {
    const bool same = keyTranslated && translatedKey.message == message &&
                      translatedKey.wParam == wParam && translatedKey.lParam == lParam;
    keyTranslated = false;
    return same;
}
