#include "demo_window.h"

#include "column_widths.h"
#include "record_window.h"
#include "view_geometry.h"

#include <commctrl.h>

#include <algorithm>

namespace {

const wchar_t windowClass[] = L"NorvDemoWindow";
constexpr LONG statusCells = 5;          // cells of the selected record on the status line
constexpr SIZE windowSize = {1000, 640}; // at 96 DPI

// The window's bounds for the display's DPI, inside the work area.
RECT InitialBounds() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    RECT work = {0, 0, 1024, 768};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const LONG margin = MulDiv(40, dpi, 96);
    const LONG width = std::min<LONG>(MulDiv(windowSize.cx, dpi, 96), work.right - work.left);
    const LONG height = std::min<LONG>(MulDiv(windowSize.cy, dpi, 96), work.bottom - work.top);
    const LONG left = work.left + std::min(margin, work.right - work.left - width);
    const LONG top = work.top + std::min(margin, work.bottom - work.top - height);
    return {left, top, left + width, top + height};
}

class Bstr {
public:
    ~Bstr() { SysFreeString(text); }
    BSTR* operator&() { return &text; }
    std::wstring Get() const { return text ? std::wstring(text, SysStringLen(text)) : L""; }

private:
    BSTR text = nullptr;
};

} // namespace

void PrintLine(const std::wstring& text) {
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    if (!out || out == INVALID_HANDLE_VALUE) {
        AttachConsole(ATTACH_PARENT_PROCESS);
        out = GetStdHandle(STD_OUTPUT_HANDLE);
    }
    const std::wstring line = text + L"\n";
    const int size = WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), &bytes[0], size,
                        nullptr, nullptr);
    DWORD written = 0;
    if (out && out != INVALID_HANDLE_VALUE)
        WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

DemoWindow::~DemoWindow() {
    if (view)
        view->Release();
    host.reset();
    if (window)
        DestroyWindow(window);
}

bool DemoWindow::Create(const std::wstring& title, bool quietMode) {
    quiet = quietMode;
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    RegisterFaceClass(windowClass, Procedure,
                      LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION)));
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    const RECT bounds = InitialBounds();
    window = CreateWindowExW(0, windowClass, title.c_str(), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                             bounds.left, bounds.top, bounds.right - bounds.left,
                             bounds.bottom - bounds.top, nullptr, nullptr, instance, this);
    if (!window)
        return false;
    status = CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0,
                             0, 0, window, nullptr, instance, nullptr);
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    return true;
}

HRESULT DemoWindow::EmbedControl(const std::wstring& modulePath) {
    host.reset(new ControlHost(window));
    host->onEvent = [this](const HostEvent& event) { OnEvent(event); };
    host->SetDisplayName(L"Records"); // what a screen reader calls the list
    HRESULT hr = host->CreateFromModule(modulePath.c_str(), CLSID_View, ControlBounds());
    if (SUCCEEDED(hr) && !host->Control())
        hr = E_NOINTERFACE;
    if (SUCCEEDED(hr))
        hr = host->Control()->QueryInterface(IID__View, reinterpret_cast<void**>(&view));
    return hr;
}

HWND DemoWindow::ControlWindow() const {
    return host ? host->ControlWindow() : nullptr;
}

HRESULT DemoWindow::Load(const DataGrid& grid) {
    ColumnAlign aligns[] = {flLeft, flRight, flCenter};
    for (LONG c = 0; c < grid.Columns(); ++c) {
        if (static_cast<size_t>(c) < grid.labels.size()) {
            BSTR label = SysAllocString(grid.labels[static_cast<size_t>(c)].c_str());
            view->put_ColumnLabel(c, label);
            SysFreeString(label);
        }
        view->put_ColumnAlign(c, aligns[static_cast<int>(grid.KindOf(c))]);
    }
    VARIANT data;
    VariantInit(&data);
    V_VT(&data) = VT_ARRAY | VT_VARIANT;
    V_ARRAY(&data) = grid.Array();
    if (grid.Records() >= 100000)
        ShowStatus(L"Loading " + std::to_wstring(grid.Records()) + L" records into the list");
    // Copied by the control; the grid keeps its array.
    const DateTimeFormat format = grid.HasTimeOfDay() ? flShortDateShortTime : flShortDate;
    const HRESULT hr = view->SetData(data, format, flMonth, VARIANT_FALSE);
    if (SUCCEEDED(hr))
        FitColumns(grid);
    ShowSelection();
    return hr;
}

void DemoWindow::FitColumns(const DataGrid& grid) {
    const ViewGeometry geometry = ViewGeometry::FromSystem();
    RECT client = {};
    GetClientRect(ControlWindow(), &client);
    const int cap = client.right / 2 - 2 * geometry.textMargin;
    HDC dc = GetDC(window);
    HFONT font = CreateListFont();
    HGDIOBJ old = SelectObject(dc, font ? font : GetStockObject(DEFAULT_GUI_FONT));
    TextWidths widths(dc);
    for (LONG c = 0; c < grid.Columns(); ++c) {
        // The header also shows the sort mark beside the label.
        const int label = widths.Of(Label(c)) + geometry.indentWidth;
        const int texts = WidestText(grid, c, widths, cap,
                                     [this, c](LONG record) { return CellText(record, c); });
        view->put_ColumnWidth(c, std::min(std::max(label, texts), cap) + 2 * geometry.textMargin);
    }
    SelectObject(dc, old);
    if (font)
        DeleteObject(font);
    ReleaseDC(window, dc);
}

void DemoWindow::Focus() {
    if (!host)
        return;
    host->DoVerb(OLEIVERB_UIACTIVATE);
    if (HWND control = ControlWindow())
        SetFocus(control);
}

bool DemoWindow::Dispatch(MSG& message) {
    if (host && host->TranslateAccelerator(message))
        return true;
    TranslateMessage(&message);
    DispatchMessageW(&message);
    return true;
}

int DemoWindow::RunMessageLoop() {
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0)
        Dispatch(message);
    return static_cast<int>(message.wParam);
}

void DemoWindow::Pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        Dispatch(message);
    }
}

RECT DemoWindow::ControlBounds() const {
    RECT client = {}, bar = {};
    GetClientRect(window, &client);
    if (status && GetWindowRect(status, &bar))
        client.bottom -= bar.bottom - bar.top;
    if (client.bottom < client.top)
        client.bottom = client.top;
    return client;
}

LRESULT CALLBACK DemoWindow::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<DemoWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self && self->window == hwnd)
        return self->Handle(message, wParam, lParam);
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT DemoWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SIZE:
        if (status)
            SendMessageW(status, WM_SIZE, 0, 0);
        if (host)
            host->Move(ControlBounds());
        return 0;
    case WM_SETFOCUS:
        // Back to the window: the control had the keyboard and takes it again.
        if (HWND control = ControlWindow())
            SetFocus(control);
        return 0;
    case WM_DESTROY:
        if (view) {
            view->Release();
            view = nullptr;
        }
        host.reset();
        window = nullptr;
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void DemoWindow::OnEvent(const HostEvent& event) {
    enum { OnSelect = 1, OnItemDblClick = 3 };
    if (event.id == OnSelect)
        ShowSelection();
    else if (event.id == OnItemDblClick && event.arguments.size() == 3) {
        ++doubleClicks;
        ShowRecord(event.arguments[2]);
    }
}

std::wstring DemoWindow::CellText(LONG record, LONG column) const {
    Cell* cell = nullptr;
    Bstr text;
    if (view && SUCCEEDED(view->get_Cell(record, column, &cell)) && cell) {
        cell->get_Text(&text);
        cell->Release();
    }
    return text.Get();
}

std::wstring DemoWindow::Label(LONG column) const {
    Bstr label;
    if (view)
        view->get_ColumnLabel(column, &label);
    return label.Get();
}

void DemoWindow::ShowSelection() {
    LONG record = -1, records = 0, columns = 0;
    if (view) {
        view->get_SelectedRecord(&record);
        view->get_RecordCount(&records);
        view->get_ColumnCount(&columns);
    }
    std::wstring text;
    if (record < 0) {
        text = std::to_wstring(records) + L" records; no record selected";
    } else {
        text = L"Record " + std::to_wstring(record + 1) + L" of " + std::to_wstring(records) + L":";
        for (LONG c = 0; c < std::min(columns, statusCells); ++c)
            text += (c ? L" | " : L" ") + CellText(record, c);
    }
    ShowStatus(text);
}

void DemoWindow::ShowStatus(const std::wstring& text) {
    if (!status)
        return;
    const std::wstring line = note.empty() ? text : text + L"  (" + note + L")";
    SendMessageW(status, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(line.c_str()));
    UpdateWindow(status);
}

void DemoWindow::ShowRecord(LONG record) {
    LONG columns = 0;
    view->get_ColumnCount(&columns);
    if (record < 0 || columns == 0)
        return;
    std::vector<RecordField> fields;
    for (LONG c = 0; c < columns; ++c)
        fields.push_back({Label(c), CellText(record, c)});
    const std::wstring title = L"Record " + std::to_wstring(record + 1);
    RecordWindow shown(window, title, fields);
    if (!quiet) {
        shown.RunModal();
        return;
    }
    const RECT bounds = shown.Bounds();
    PrintLine(title + L" (double-clicked), shown in " +
              std::to_wstring(bounds.right - bounds.left) + L" x " +
              std::to_wstring(bounds.bottom - bounds.top) + L" pixels\n" +
              shown.Text().substr(0, shown.Text().size() - 1));
}
