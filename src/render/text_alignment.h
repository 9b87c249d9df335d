#pragma once

#include <windows.h>

#include <cstdint>

// DrawText flag of a column's stored alignment: 1 centred, 2 right, anything else left.
inline UINT AlignmentFlag(int32_t align) {
    switch (align) {
    case 1:
        return DT_CENTER;
    case 2:
        return DT_RIGHT;
    default:
        return DT_LEFT;
    }
}

// Cell texts, captions and labels are data: an ampersand in them is shown as it is, never taken
// as a mnemonic prefix that would hide it and underline the next letter.
constexpr UINT singleDataLine = DT_SINGLELINE | DT_NOPREFIX;
