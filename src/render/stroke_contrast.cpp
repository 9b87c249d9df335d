#include "stroke_contrast.h"

#include <cmath>

namespace {
double Linear(int channel) {
    const double c = channel / 255.0;
    return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double Luminance(COLORREF colour) {
    return 0.2126 * Linear(GetRValue(colour)) + 0.7152 * Linear(GetGValue(colour)) +
           0.0722 * Linear(GetBValue(colour));
}
} // namespace

double ContrastRatio(COLORREF a, COLORREF b) {
    const double la = Luminance(a), lb = Luminance(b);
    return la > lb ? (la + 0.05) / (lb + 0.05) : (lb + 0.05) / (la + 0.05);
}

COLORREF VisibleStroke(COLORREF wanted, COLORREF face, std::initializer_list<COLORREF> others) {
    if (ContrastRatio(wanted, face) >= visibleStrokeContrast)
        return wanted;
    for (COLORREF other : others)
        if (ContrastRatio(other, face) >= visibleStrokeContrast)
            return other;
    const COLORREF black = RGB(0, 0, 0), white = RGB(255, 255, 255);
    return ContrastRatio(black, face) >= ContrastRatio(white, face) ? black : white;
}
