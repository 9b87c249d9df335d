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
