#pragma once

#include <windows.h>

#include <initializer_list>

// How far apart two colours are to the eye: the ratio of their relative luminances (each plus
// 0.05), from 1 (the same) to 21 (black and white).
double ContrastRatio(COLORREF a, COLORREF b);

// Below this a thin stroke on a face is hard to make out.
constexpr double visibleStrokeContrast = 1.5;

// The colour to draw a stroke meant in wanted on face: wanted itself when it stands out enough,
// else the first of the others that does, else black or white, whichever stands out more.
COLORREF VisibleStroke(COLORREF wanted, COLORREF face, std::initializer_list<COLORREF> others);
