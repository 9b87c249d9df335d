#pragma once

// What the bytes of a comma-separated field stand for, window-free.

#include <windows.h>
#include <oleauto.h>

#include <cstddef>

// Writes a number or a date into value and says so; false leaves value alone: the field is text
// (or empty). VT_I4 for a whole number that fits 32 bits, VT_R8 for another decimal number (a dot
// before the fraction, an optional exponent); VT_DATE for yyyy-mm-dd or yyyy/mm/dd, optionally
// followed by a space or T and hh:mm or hh:mm:ss. Surrounding spaces and tabs do not count; a
// number written with a leading zero (an article or postal code) stays text.
bool RecognizeField(const char* bytes, size_t size, VARIANT* value);
