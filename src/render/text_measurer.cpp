#include "render/text_measurer.h"

#include "render/text_alignment.h"

int32_t FontTextMeasurer::LineWidth(const wchar_t* text) {
    if (!text || !*text)
        return 0;
    if (!dc) {
        dc.Adopt(CreateDisplayInfoDc());
        if (!dc)
            return 0;
        dc.SelectFont(font);
    }
    RECT rect{0, 0, 0, 0};
    DrawTextW(dc.Get(), text, -1, &rect, DT_CALCRECT | DT_NOCLIP | singleDataLine);
    return rect.right - rect.left;
}
