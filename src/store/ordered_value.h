#pragma once

#include <windows.h>
#include <oleauto.h>

#include <cstdint>

// A value of a kind ordered by what it holds, read without loss: integers of up to 32 bits,
// reals, currency amounts and dates. Every other kind is none.
enum class OrderedKind : uint8_t { none, integer, real, currency, date };

struct OrderedValue {
    OrderedKind kind;
    int64_t integer; // integer; currency in ten-thousandths
    double real;     // real; date in days
};

// Integers of up to 32 bits by their width, signed and unsigned.
inline int64_t SignedInteger(const VARIANT& value) {
    return value.vt == VT_I1 ? value.cVal : value.vt == VT_I2 ? value.iVal : value.lVal;
}
inline int64_t UnsignedInteger(const VARIANT& value) {
    return value.vt == VT_UI1 ? value.bVal : value.vt == VT_UI2 ? value.uiVal : value.ulVal;
}

inline OrderedValue ReadOrdered(const VARIANT& value) {
    switch (value.vt) {
    case VT_I1:
    case VT_I2:
    case VT_I4:
    case VT_INT:
        return {OrderedKind::integer, SignedInteger(value), 0};
    case VT_UI1:
    case VT_UI2:
    case VT_UI4:
    case VT_UINT:
        return {OrderedKind::integer, UnsignedInteger(value), 0};
    case VT_R4:
    case VT_R8:
        return {OrderedKind::real, 0, value.vt == VT_R4 ? value.fltVal : value.dblVal};
    case VT_CY:
        return {OrderedKind::currency, value.cyVal.int64, 0};
    case VT_DATE:
        return {OrderedKind::date, 0, value.date};
    default:
        return {OrderedKind::none, 0, 0};
    }
}
