#include "cell_text.h"

namespace {

constexpr wchar_t noDateText[] = L"* * *";

void AppendHourCaption(const CalendarDate& calendar, bool hasDate, bool longDate, bool withSeconds,
                       TextBuilder& tag) {
    SYSTEMTIME time = ToSystemTime(calendar);
    if (hasDate) {
        tag.AppendDate(time, longDate ? DATE_LONGDATE : DATE_SHORTDATE, nullptr);
        tag.Append(L" ");
    }
    // Both ends name whole minutes of the hour, so that every value of one hour, whatever
    // its seconds, gets the same caption.
    const DWORD flags = withSeconds ? 0 : TIME_NOSECONDS;
    time.wMinute = 0;
    time.wSecond = 0;
    tag.AppendTime(time, flags);
    tag.Append(L" - ");
    time.wMinute = 59;
    time.wSecond = 59;
    tag.AppendTime(time, flags);
}

void AppendQuarterCaption(const CalendarDate& calendar, TextBuilder& tag) {
    tag.AppendDate(ToSystemTime(calendar), 0, L"yyyy");
    wchar_t quarter[16];
    const int length = wsprintfW(quarter, L" Q%i", (calendar.month - 1) / 3 + 1);
    tag.Append(quarter, length);
}

} // namespace

void FormatDateCaption(const CalendarDate& calendar, bool hasDate, bool longDate, bool withSeconds,
                       int32_t grouping, TextBuilder& tag) {
    if (grouping == datetime::flHour) {
        AppendHourCaption(calendar, hasDate, longDate, withSeconds, tag);
        return;
    }
    if (!hasDate) {
        tag.Append(noDateText);
        return;
    }
    const SYSTEMTIME time = ToSystemTime(calendar);
    switch (grouping) {
    case datetime::flDay:
        tag.AppendDate(time, longDate ? DATE_LONGDATE : DATE_SHORTDATE, nullptr);
        break;
    case datetime::flMonth:
        tag.AppendDate(time, 0, L"yyyy MMMM");
        break;
    case datetime::flQuarter:
        AppendQuarterCaption(calendar, tag);
        break;
    case datetime::flYear:
        tag.AppendDate(time, 0, L"yyyy");
        break;
    default:
        // Unknown units are refused before a load; leave the caption absent.
        tag.Fail();
        break;
    }
}
