#pragma once

#include <windows.h>
#include <oleauto.h>

// Bytes of the value of a fixed-size scalar type, as an array element or a stream holds it;
// 0 for every other type (strings, objects, variants, decimals, records, empty and null).
inline ULONG ScalarBytes(VARTYPE type) {
    switch (type) {
    case VT_I1:
    case VT_UI1:
        return 1;
    case VT_I2:
    case VT_UI2:
    case VT_BOOL:
        return 2;
    case VT_I4:
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
    case VT_R4:
    case VT_ERROR:
        return 4;
    case VT_I8:
    case VT_UI8:
    case VT_R8:
    case VT_CY:
    case VT_DATE:
        return 8;
    default:
        return 0;
    }
}
