#include "value_compare.h"

#include "ordered_value.h"

#include <cstdint>

namespace {

bool IsNumber(const OrderedValue& value) {
    return value.kind == OrderedKind::integer || value.kind == OrderedKind::real;
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

long double Extended(const OrderedValue& number) {
    return number.kind == OrderedKind::real ? static_cast<long double>(number.real)
                                            : static_cast<long double>(number.integer);
}

// Integers compare as 64-bit, and with reals as extended: both without loss.
int CompareNumbers(const OrderedValue& a, const OrderedValue& b, int textResult) {
    if (a.kind == OrderedKind::integer && b.kind == OrderedKind::integer)
        return Order(a.integer, b.integer, textResult);
    return Order(Extended(a), Extended(b), textResult);
}

} // namespace

int CompareValues(const VARIANT& valueA, const VARIANT& valueB, int textResult) {
    const OrderedValue orderedA = ReadOrdered(valueA);
    const OrderedValue orderedB = ReadOrdered(valueB);
    if (IsNumber(orderedA) && IsNumber(orderedB))
        return CompareNumbers(orderedA, orderedB, textResult);
    if (orderedA.kind == OrderedKind::currency && orderedB.kind == OrderedKind::currency)
        return Order(orderedA.integer, orderedB.integer, textResult);
    if (orderedA.kind == OrderedKind::date && orderedB.kind == OrderedKind::date)
        return Order(orderedA.real, orderedB.real, textResult);
    if (valueA.vt != valueB.vt)
        return static_cast<int>(valueA.vt) - static_cast<int>(valueB.vt);
    return textResult;
}

bool OrderedByValue(VARTYPE type) {
    VARIANT value;
    value.vt = type;
    value.llVal = 0;
    return ReadOrdered(value).kind != OrderedKind::none;
}
