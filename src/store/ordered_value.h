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

inline OrderedValue ReadOrdered(const VARIANT& value) {
    switch (value.vt) {
    case VT_I1:
        return {OrderedKind::integer, value.cVal, 0};
    case VT_UI1:
        return {OrderedKind::integer, value.bVal, 0};
    case VT_I2:
        return {OrderedKind::integer, value.iVal, 0};
    case VT_UI2:
        return {OrderedKind::integer, value.uiVal, 0};
    case VT_I4:
        return {OrderedKind::integer, value.lVal, 0};
    case VT_UI4:
        return {OrderedKind::integer, value.ulVal, 0};
    case VT_INT:
        return {OrderedKind::integer, value.intVal, 0};
    case VT_UINT:
        return {OrderedKind::integer, value.uintVal, 0};
    case VT_CY:
        return {OrderedKind::currency, value.cyVal.int64, 0};
    case VT_R4:
        return {OrderedKind::real, 0, value.fltVal};
    case VT_R8:
        return {OrderedKind::real, 0, value.dblVal};
    case VT_DATE:
        return {OrderedKind::date, 0, value.date};
    default:
        return {OrderedKind::none, 0, 0};
    }
}
