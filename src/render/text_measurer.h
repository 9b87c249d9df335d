#pragma once

#include "render/gdi_handles.h"

#include <windows.h>

#include <cstdint>

// Width of one line of text exactly as it is drawn: single line, ampersands as text.
class TextMeasurer {
public:
    virtual int32_t LineWidth(const wchar_t* text) = 0;

protected:
    ~TextMeasurer() = default;
};

// Measures with a font on an information context of the display, made at the first call.
class FontTextMeasurer final : public TextMeasurer {
public:
    explicit FontTextMeasurer(HFONT font) : font(font) {}
    int32_t LineWidth(const wchar_t* text) override;
    // Lets go of the old font, which may then be deleted; the context is made again later.
    void SetFont(HFONT newFont) {
        dc.Reset();
        font = newFont;
    }

private:
    HFONT font;
    OwnedDc dc{nullptr};
};
