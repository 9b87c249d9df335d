#pragma once

#include "base/open_table.h"
#include "text_arena.h"

#include <windows.h>

#include <cstdint>

// How the automation runtime writes a real number in the user's locale: the pieces around its
// digits, learnt from the runtime once per load (cell_text.cpp).
struct RealShape {
    enum State : uint8_t { unknown, usable, unusable };
    State state = unknown;
    bool leadingZero = true; // "0" before the separator of a number below 1
    int separatorLength = 0;
    int minusLength = 0;
    wchar_t separator[8];
    wchar_t minus[8];
};

// The platform's date and time renderings of one load, each asked of it once: a column of
// dates repeats its days, months and times of day far more often than its moments. A date
// rendering depends on the day alone, a time rendering on the clock alone.
class DateRenderings {
public:
    // The renderings kept are written to keep, the load's own texts, where a caption that is
    // one rendering alone can share them.
    explicit DateRenderings(TextArena& keep) : texts(keep) {}

    // GetDateFormatW and GetTimeFormatW for the user's locale, as a text and its length, valid
    // until the next call; null when the platform call fails.
    const wchar_t* Date(const SYSTEMTIME& time, DWORD flags, const wchar_t* picture, int& length);
    const wchar_t* Time(const SYSTEMTIME& time, DWORD flags, int& length);
    // The load's number shape rides along with its date renderings.
    RealShape& Reals() { return reals; }
    // Whether a rendering given lives as long as the texts it was written to.
    bool Kept(const wchar_t* rendering) const { return rendering != last; }

private:
    struct Entry {
        uint64_t key;
        const wchar_t* text;
        int length;
    };
    // The rendering of key, kept or else made by render into last (kept when kept is set).
    template <typename Render>
    const wchar_t* Rendered(bool kept, uint64_t key, int& length, const Render& render);
    void Keep(uint64_t key, const wchar_t* rendered, int length);
    OpenTable<Entry, 256, (1u << 24)> entries;
    TextArena& texts;
    wchar_t last[100]; // the rendering just asked for
    RealShape reals;
};
