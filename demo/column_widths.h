#pragma once

// How wide a column must be to show its widest text, measured over every record.

#include "data_grid.h"

#include <functional>
#include <string>

// Widths of texts in a font selected into a context. A text of ASCII characters is the sum of
// their advance widths, which is what the context measures for it; other texts are measured.
class TextWidths {
public:
    explicit TextWidths(HDC dc);
    int Of(const wchar_t* text, size_t length);
    int Of(const std::wstring& text) { return Of(text.data(), text.size()); }

private:
    HDC dc;
    int ascii[128] = {};
};

// The widest text the column shows, no further than cap. Each distinct text is measured once;
// numbers and dates, which the control renders, are measured once for each shape of their
// rendering (digits, sign, decimals, two-digit months, days and hours, morning or afternoon),
// through shown, which gives the control's text of a record's cell.
int WidestText(const DataGrid& grid, LONG column, TextWidths& widths, int cap,
               const std::function<std::wstring(LONG record)>& shown);
