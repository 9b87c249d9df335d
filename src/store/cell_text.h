#pragma once

#include "cell_entry.h"
#include "date_renderings.h"
#include "text_arena.h"

#include <windows.h>
#include <oleauto.h>

#include <cstdint>

// Date-time display formats and grouping units as the host passes them to SetData. Kept in
// a namespace of their own: the type library header declares the same names as enumerators.
namespace datetime {
constexpr int32_t flShortDate = 0;
constexpr int32_t flLongDate = 1;
constexpr int32_t flShortDateShortTime = 2;
constexpr int32_t flShortDateLongTime = 3;
constexpr int32_t flLongDateShortTime = 4;
constexpr int32_t flLongDateLongTime = 5;

constexpr int32_t flHour = 0;
constexpr int32_t flDay = 1;
constexpr int32_t flMonth = 2;
constexpr int32_t flQuarter = 3;
constexpr int32_t flYear = 4;
} // namespace datetime

// Calendar fields of an automation date; every field 0 when the date is out of range.
struct CalendarDate {
    int32_t year;
    int32_t month;     // 1-12
    int32_t dayOfWeek; // 0 = Sunday
    int32_t day;
    int32_t hour;
    int32_t minute;
    int32_t second;
    int32_t millisecond; // always 0: dates are rounded to the second
    bool valid;
};

CalendarDate DateToCalendar(double date);
SYSTEMTIME ToSystemTime(const CalendarDate& calendar);

// A text assembled from pieces in a fixed buffer. Any piece that does not exist
// (a failed platform call) or does not fit marks the whole text as failed.
class TextBuilder {
public:
    static constexpr int capacity = 320;

    // With renderings, dates and times are asked of the platform once per load.
    explicit TextBuilder(DateRenderings* renderings = nullptr) : renderings(renderings) {
        buffer[0] = L'\0';
    }

    void Append(const wchar_t* piece);
    void Append(const wchar_t* piece, int length);
    void Fail() { failed = true; }
    bool Failed() const { return failed; }
    int Length() const { return length; }
    const wchar_t* Data() const { return buffer; }
    // The text copied into the arena, or null when it failed or no memory was left. A text that
    // is one kept rendering alone is that rendering, not a copy.
    const wchar_t* Store(TextArena& arena) const;

    // Locale renderings appended to the text; a failing call fails the text.
    void AppendDate(const SYSTEMTIME& time, DWORD flags, const wchar_t* picture);
    void AppendTime(const SYSTEMTIME& time, DWORD flags);

private:
    void AppendRendering(const wchar_t* rendering, int renderingLength);
    DateRenderings* renderings;
    const wchar_t* kept = nullptr; // the kept rendering that is the whole text so far
    wchar_t buffer[capacity];
    int length = 0;
    bool failed = false;
};

// Text of a currency amount (ten-thousandths) in the user's currency format.
void FormatCurrency(LONGLONG amount, TextBuilder& out);

// Text and grouping caption of a date under the load's format and grouping unit.
void FormatDateTime(double date, int32_t format, int32_t grouping, TextBuilder& text,
                    TextBuilder& tag);

// The calendar fields that a date's text and caption show under the format and grouping,
// packed: dates with equal keys have equal texts and captions.
uint64_t DateTextKey(double date, int32_t format, int32_t grouping);

// Grouping caption of a date (the tag); declared here, built in date_caption.cpp.
void FormatDateCaption(const CalendarDate& calendar, bool hasDate, bool longDate, bool withSeconds,
                       int32_t grouping, TextBuilder& tag);

// Sets cell.text, and for a date cell.tag, from the element. The element is the load's
// temporary: a conversion to a string may change it in place.
void FormatCellText(CellEntry& cell, const VARIANT& element, int32_t format, int32_t grouping,
                    TextArena& arena, DateRenderings* renderings = nullptr);
