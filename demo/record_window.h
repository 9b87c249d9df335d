#pragma once

// The cells of one record in a window of their own: no larger than the work area, scrolling
// when there is more, and a very long cell cut to its start with a note of its length.

#include <windows.h>

#include <string>
#include <vector>

struct RecordField {
    std::wstring label;
    std::wstring text;
};

constexpr size_t longestShownCell = 500; // characters

// Registers a window class of the program's with an arrow cursor on the face colour.
void RegisterFaceClass(const wchar_t* name, WNDPROC procedure, HICON icon = nullptr);

// "Label: text" a line, each cell cut to longestShownCell characters with a note of its length.
std::wstring RecordText(const std::vector<RecordField>& fields);

class RecordWindow {
public:
    // Made hidden, sized to the text and placed over the owner, inside the work area.
    RecordWindow(HWND owner, const std::wstring& title, const std::vector<RecordField>& fields);
    ~RecordWindow();
    RecordWindow(const RecordWindow&) = delete;
    RecordWindow& operator=(const RecordWindow&) = delete;

    // Shows it, the owner disabled, until OK, Enter, Escape or the close box.
    void RunModal();
    RECT Bounds() const;
    const std::wstring& Text() const { return text; }

private:
    static LRESULT CALLBACK Procedure(HWND, UINT, WPARAM, LPARAM);
    void Layout();
    void Place();

    HWND owner;
    HWND window = nullptr;
    HWND edit = nullptr;
    HWND ok = nullptr;
    HFONT font = nullptr;
    std::wstring text;
};
