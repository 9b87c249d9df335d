#include "record_window.h"

#include "view_geometry.h"

#include <algorithm>

namespace {

const wchar_t recordClass[] = L"NorvDemoRecord";

std::wstring WithCrLf(const std::wstring& text) {
    std::wstring lines;
    lines.reserve(text.size() + text.size() / 16);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\n' && (i == 0 || text[i - 1] != L'\r'))
            lines += L'\r';
        lines += text[i];
    }
    return lines;
}

RECT WorkArea() {
    RECT work = {0, 0, 1024, 768};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    return work;
}

} // namespace

void RegisterFaceClass(const wchar_t* name, WNDPROC procedure, HICON icon) {
    WNDCLASSEXW cls = {};
    cls.cbSize = sizeof cls;
    cls.lpfnWndProc = procedure;
    cls.hInstance = GetModuleHandleW(nullptr);
    cls.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    cls.hIcon = icon;
    cls.lpszClassName = name;
    RegisterClassExW(&cls);
}

std::wstring RecordText(const std::vector<RecordField>& fields) {
    std::wstring text;
    for (const RecordField& field : fields) {
        text += field.label + L": ";
        if (field.text.size() <= longestShownCell) {
            text += field.text;
        } else {
            text.append(field.text, 0, longestShownCell);
            text += L"\u2026 (" + std::to_wstring(field.text.size()) + L" characters in all)";
        }
        text += L"\n";
    }
    return text;
}

RecordWindow::RecordWindow(HWND ownerWindow, const std::wstring& title,
                           const std::vector<RecordField>& fields)
    : owner(ownerWindow), text(RecordText(fields)) {
    RegisterFaceClass(recordClass, Procedure);
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    window = CreateWindowExW(WS_EX_DLGMODALFRAME, recordClass, title.c_str(),
                             WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME, 0, 0, 0, 0, owner,
                             nullptr, instance, this);
    if (!window)
        return;
    font = CreateListFont();
    edit = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", WithCrLf(text).c_str(),
                           WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | ES_MULTILINE |
                               ES_READONLY | ES_AUTOVSCROLL,
                           0, 0, 0, 0, window, nullptr, instance, nullptr);
    ok = CreateWindowExW(0, L"BUTTON", L"OK", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON,
                         0, 0, 0, 0, window, reinterpret_cast<HMENU>(IDOK), instance, nullptr);
    for (HWND child : {edit, ok})
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    Place();
}

RecordWindow::~RecordWindow() {
    if (window)
        DestroyWindow(window);
    if (font)
        DeleteObject(font);
}

// As large as the text needs, no larger than the work area.
void RecordWindow::Place() {
    HDC dc = GetDC(window);
    HGDIOBJ old = SelectObject(dc, font ? font : GetStockObject(DEFAULT_GUI_FONT));
    const RECT work = WorkArea();
    RECT needed = {0, 0, (work.right - work.left) * 3 / 4, 0};
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &needed,
              DT_CALCRECT | DT_NOPREFIX | DT_WORDBREAK | DT_EXPANDTABS);
    TEXTMETRICW metrics = {};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(window, dc);
    const int margin = metrics.tmHeight / 2 + GetSystemMetrics(SM_CXEDGE) * 2;
    RECT frame = {0, 0, needed.right + 2 * margin + GetSystemMetrics(SM_CXVSCROLL),
                  needed.bottom + 4 * margin + 2 * metrics.tmHeight};
    frame.right = std::max<LONG>(frame.right, 20 * metrics.tmAveCharWidth);
    AdjustWindowRectEx(&frame, GetWindowLongW(window, GWL_STYLE), FALSE,
                       GetWindowLongW(window, GWL_EXSTYLE));
    const LONG width = std::min(frame.right - frame.left, work.right - work.left);
    const LONG height = std::min(frame.bottom - frame.top, work.bottom - work.top);
    RECT over = work;
    if (owner)
        GetWindowRect(owner, &over);
    const LONG left =
        std::clamp((over.left + over.right - width) / 2, work.left, work.right - width);
    const LONG top =
        std::clamp((over.top + over.bottom - height) / 2, work.top, work.bottom - height);
    SetWindowPos(window, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    Layout();
}

void RecordWindow::Layout() {
    RECT client = {};
    GetClientRect(window, &client);
    const int margin = GetSystemMetrics(SM_CYEDGE) * 4;
    const int buttonHeight = GetSystemMetrics(SM_CYSIZE) + 2 * margin;
    const int buttonWidth = buttonHeight * 3;
    MoveWindow(edit, margin, margin, client.right - 2 * margin,
               std::max(0L, client.bottom - buttonHeight - 3 * margin), TRUE);
    MoveWindow(ok, client.right - margin - buttonWidth, client.bottom - margin - buttonHeight,
               buttonWidth, buttonHeight, TRUE);
}

RECT RecordWindow::Bounds() const {
    RECT bounds = {};
    GetWindowRect(window, &bounds);
    return bounds;
}

void RecordWindow::RunModal() {
    if (!window)
        return;
    EnableWindow(owner, FALSE);
    ShowWindow(window, SW_SHOW);
    SetFocus(ok);
    MSG message;
    bool quit = false;
    while (window && !quit) {
        quit = GetMessageW(&message, nullptr, 0, 0) <= 0;
        if (!quit && !IsDialogMessageW(window, &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    EnableWindow(owner, TRUE);
    SetForegroundWindow(owner);
    if (quit)
        PostQuitMessage(static_cast<int>(message.wParam));
}

LRESULT CALLBACK RecordWindow::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<RecordWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    switch (message) {
    case WM_SIZE:
        if (self && self->edit)
            self->Layout();
        return 0;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)
            DestroyWindow(hwnd);
        return 0;
    case WM_CLOSE:
        DestroyWindow(hwnd);
        return 0;
    case WM_DESTROY:
        if (self)
            self->window = nullptr;
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}
