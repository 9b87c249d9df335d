#include "column_widths.h"

#include <cmath>
#include <cstdint>
#include <map>
#include <unordered_set>

namespace {

// Cells whose renderings have the same shape are as wide as each other, give or take a digit's
// width in a font whose digits differ.
int64_t RenderingShape(const VARIANT& cell) {
    const VARTYPE type = V_VT(&cell);
    int64_t shape = 0;
    switch (type) {
    case VT_I2:
    case VT_I4:
    case VT_CY: {
        const double value = type == VT_CY   ? static_cast<double>(V_CY(&cell).int64) / 10000
                             : type == VT_I2 ? V_I2(&cell)
                                             : V_I4(&cell);
        shape = static_cast<int64_t>(value < 0) << 8 |
                (value == 0 ? 0 : static_cast<int>(std::log10(std::fabs(value))) + 1);
        break;
    }
    case VT_R4:
    case VT_R8: {
        const double value = type == VT_R4 ? V_R4(&cell) : V_R8(&cell);
        const double size = std::fabs(value);
        int decimals = 0;
        for (double scaled = size; decimals < 15; ++decimals, scaled *= 10)
            if (std::fabs(scaled - std::round(scaled)) <= 1e-9 * (scaled > 1 ? scaled : 1))
                break;
        const int magnitude = size == 0 ? 0 : static_cast<int>(std::floor(std::log10(size)));
        shape = static_cast<int64_t>(value < 0) << 16 | (magnitude + 400) << 4 | decimals;
        break;
    }
    case VT_DATE: {
        SYSTEMTIME t = {};
        VariantTimeToSystemTime(V_DATE(&cell), &t);
        const int hour12 = t.wHour % 12 == 0 ? 12 : t.wHour % 12;
        shape = (t.wMonth >= 10) | (t.wDay >= 10) << 1 | (hour12 >= 10) << 2 |
                (t.wHour >= 12) << 3 | (t.wHour >= 10) << 4 | (t.wSecond != 0) << 5 |
                (t.wHour + t.wMinute + t.wSecond != 0) << 6 | (t.wYear >= 1000) << 7;
        break;
    }
    default:
        break;
    }
    return static_cast<int64_t>(type) << 48 | shape;
}

} // namespace

TextWidths::TextWidths(HDC context) : dc(context) {
    INT advance[128] = {};
    if (GetCharWidth32W(dc, 0, 127, advance))
        for (int c = 32; c < 127; ++c)
            ascii[c] = advance[c];
}

int TextWidths::Of(const wchar_t* text, size_t length) {
    int sum = 0;
    size_t i = 0;
    for (; i < length && text[i] >= 32 && text[i] < 127 && ascii[text[i]] > 0; ++i)
        sum += ascii[text[i]];
    if (i == length)
        return sum;
    SIZE size = {};
    GetTextExtentPoint32W(dc, text, static_cast<int>(length), &size);
    return size.cx;
}

int WidestText(const DataGrid& grid, LONG column, TextWidths& widths, int cap,
               const std::function<std::wstring(LONG record)>& shown) {
    int widest = 0;
    std::unordered_set<const void*> measuredTexts; // equal texts mostly share an address
    std::map<int64_t, LONG> shapes;                // one record of each shape
    for (LONG r = 0; r < grid.Records() && widest < cap; ++r) {
        const VARIANT& cell = grid.At(column, r);
        if (IsBlankCell(cell))
            continue;
        if (V_VT(&cell) == VT_BSTR) {
            if (measuredTexts.insert(V_BSTR(&cell)).second) {
                const int width = widths.Of(V_BSTR(&cell), SysStringLen(V_BSTR(&cell)));
                widest = width > widest ? width : widest;
            }
            if (measuredTexts.size() > 65536)
                measuredTexts.clear();
        } else {
            shapes.emplace(RenderingShape(cell), r);
        }
    }
    for (const auto& shape : shapes) {
        const int width = widths.Of(shown(shape.second));
        widest = width > widest ? width : widest;
    }
    return widest < cap ? widest : cap;
}
