#pragma once

// The demo's top-level window: the control in place above a status line that follows the
// selection; a double click on a record shows its cells.

#include "control_host.h"
#include "data_grid.h"
#include "norv_h.h"

#include <memory>
#include <string>

class DemoWindow {
public:
    DemoWindow() = default;
    ~DemoWindow();
    DemoWindow(const DemoWindow&) = delete;
    DemoWindow& operator=(const DemoWindow&) = delete;

    // quiet: report double clicks on standard output instead of in a message box.
    bool Create(const std::wstring& title, bool quiet);
    // The control from the module, through its class factory, active in place.
    HRESULT EmbedControl(const std::wstring& modulePath);
    // Labels, alignments by the values, the records, then widths fitted to every record's text.
    HRESULT Load(const DataGrid& grid);
    // The control takes the keyboard as if the user had clicked into it.
    void Focus();
    // A text on the status line, shown at once.
    void ShowStatus(const std::wstring& text);
    // A note the status line keeps after whatever it shows.
    void SetNote(const std::wstring& text) { note = text; }

    int RunMessageLoop();
    // Handles every message waiting, keys through the control's accelerator translation.
    void Pump();

    HWND Handle() const { return window; }
    HWND ControlWindow() const;
    _View* View() const { return view; }
    int DoubleClicks() const { return doubleClicks; }

private:
    static LRESULT CALLBACK Procedure(HWND, UINT, WPARAM, LPARAM);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    bool Dispatch(MSG& message);
    RECT ControlBounds() const;
    void OnEvent(const HostEvent& event);
    void ShowSelection();
    void ShowRecord(LONG record);
    std::wstring CellText(LONG record, LONG column) const;
    std::wstring Label(LONG column) const;
    void FitColumns(const DataGrid& grid);

    HWND window = nullptr;
    HWND status = nullptr;
    bool quiet = false;
    std::wstring note;
    int doubleClicks = 0;
    std::unique_ptr<ControlHost> host;
    _View* view = nullptr;
};

// Writes a line to standard output (UTF-8), also from a windowed program started in a console.
void PrintLine(const std::wstring& text);
