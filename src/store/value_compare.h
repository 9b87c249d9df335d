#pragma once

#include <windows.h>
#include <oleauto.h>

// Refines a non-zero text comparison by the two values: numbers, currency amounts and dates by
// value, different kinds by type code; otherwise the text result stands. Only the sign counts.
int CompareValues(const VARIANT& valueA, const VARIANT& valueB, int textResult);

// Whether two values of this one kind are ordered by value when their texts differ: numbers,
// currency amounts and dates.
bool OrderedByValue(VARTYPE type);
