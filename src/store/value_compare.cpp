#include "value_compare.h"

#include <cstdint>

namespace {

// A member of the numeric family, read without loss: integers as 64-bit, floats as extended.
struct Number {
    bool isReal;
    int64_t integer;
    long double real;
};

bool ReadNumber(const VARIANT& value, Number& number) {
    number = Number{false, 0, 0};
    switch (value.vt) {
    case VT_I1:
        number.integer = value.cVal;
        return true;
    case VT_UI1:
        number.integer = value.bVal;
        return true;
    case VT_I2:
        number.integer = value.iVal;
        return true;
    case VT_UI2:
        number.integer = value.uiVal;
        return true;
    case VT_I4:
        number.integer = value.lVal;
        return true;
    case VT_UI4:
        number.integer = value.ulVal;
        return true;
    case VT_INT:
        number.integer = value.intVal;
        return true;
    case VT_UINT:
        number.integer = value.uintVal;
        return true;
    case VT_R4:
        number.isReal = true;
        number.real = value.fltVal;
        return true;
    case VT_R8:
        number.isReal = true;
        number.real = value.dblVal;
        return true;
    default:
        return false;
    }
}

template <typename T> int Order(T a, T b, int unordered) {
    if (a < b)
        return -1;
    if (a > b)
        return 1;
    if (a == b)
        return 0;
    return unordered; // a NaN is neither: its text decides
}

int CompareNumbers(const Number& a, const Number& b, int textResult) {
    if (!a.isReal && !b.isReal)
        return Order(a.integer, b.integer, textResult);
    const long double realA = a.isReal ? a.real : static_cast<long double>(a.integer);
    const long double realB = b.isReal ? b.real : static_cast<long double>(b.integer);
    return Order(realA, realB, textResult);
}

} // namespace

int CompareValues(const VARIANT& valueA, const VARIANT& valueB, int textResult) {
    Number numberA;
    Number numberB;
    if (ReadNumber(valueA, numberA) && ReadNumber(valueB, numberB))
        return CompareNumbers(numberA, numberB, textResult);
    if (valueA.vt == VT_CY && valueB.vt == VT_CY)
        return Order(valueA.cyVal.int64, valueB.cyVal.int64, textResult);
    if (valueA.vt == VT_DATE && valueB.vt == VT_DATE)
        return Order(valueA.date, valueB.date, textResult);
    if (valueA.vt != valueB.vt)
        return static_cast<int>(valueA.vt) - static_cast<int>(valueB.vt);
    return textResult;
}

bool OrderedByValue(VARTYPE type) {
    VARIANT value;
    value.vt = type;
    value.llVal = 0;
    Number number;
    return type == VT_CY || type == VT_DATE || ReadNumber(value, number);
}
