#pragma once

// What the text of a comma-separated field stands for, window-free.

#include <windows.h>
#include <oleauto.h>

#include <string>

// Writes into an initialised, empty variant: nothing for an empty field; VT_I4 for a whole
// number that fits 32 bits, VT_R8 for another decimal number (a dot before the fraction, an
// optional exponent); VT_DATE for yyyy-mm-dd or yyyy/mm/dd, optionally followed by a space or T
// and hh:mm or hh:mm:ss; otherwise the text as VT_BSTR. Surrounding spaces do not count; a number
// written with a leading zero (an article or postal code) stays text. False only when memory runs
// out.
bool RecognizeValue(const std::wstring& text, VARIANT* value);
