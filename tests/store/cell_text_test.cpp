#include "safe_array_builder.h"
#include "store/cell_text.h"
#include "store/record_store.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace {

using namespace datetime;

// Text and tag of one value loaded through a real array; "(absent)" marks a missing text.
struct Loaded {
    std::string text;
    std::string tag;
};

constexpr char absent[] = "(absent)";

Loaded LoadOne(const TestVariant& value, int32_t format = flShortDate, int32_t grouping = flDay) {
    SafeArrayBuilder data = MakeColumn({value});
    RecordStore store;
    EXPECT_TRUE(store.SetData(data.get(), format, grouping, false));
    if (store.recordCount != 1)
        return {absent, absent};
    const CellEntry& cell = store.Cell(0, 0);
    return {cell.text ? cell.text : absent, cell.tag ? cell.tag : absent};
}

std::string TextOf(const TestVariant& value, int32_t format = flShortDate) {
    return LoadOne(value, format).text;
}

std::string DateText(double date, int32_t format) {
    return TextOf(TestVariant::Date(date), format);
}

// The digits alone: how far the locale repeats its digit grouping varies between platforms.
std::string WithoutGrouping(std::string text) {
    std::string digits;
    for (char ch : text)
        if (ch != ',')
            digits += ch;
    return digits;
}

constexpr double march14 = 45365.0; // Thursday, 14 March 2024
constexpr double nineThirty = 9.5 / 24;

// ---------------------------------------------------------------------------------------------
// Fixed markers and strings

TEST(MarkerTexts, EmptyAndNull) {
    EXPECT_EQ(TextOf(TestVariant::Empty()), "<EMPTY>");
    EXPECT_EQ(TextOf(TestVariant::Null()), "<NULL>");
    EXPECT_EQ(LoadOne(TestVariant::Empty()).tag, absent);
}

TEST(StringTexts, CopiedUpToTheFirstNulInTheAnsiCodePage) {
    EXPECT_EQ(TextOf(TestVariant::Str(L"Hello, World")), "Hello, World");
    EXPECT_EQ(TextOf(TestVariant::StrLen(L"left\0right", 10)), "left");
    EXPECT_EQ(TextOf(TestVariant::StrLen(L"\0hidden", 7)), "");
    EXPECT_EQ(TextOf(TestVariant::Str(L"")), "");
    EXPECT_EQ(TextOf(TestVariant::Str(L"Gr\u00fc\u00dfe")), "Gr\xfc\xdf"
                                                            "e");
    EXPECT_EQ(TextOf(TestVariant::Str(L"\u4e2d")), "?"); // not in code page 1252
}

TEST(StringTexts, LongStringsAreNotCut) {
    std::wstring wide(5000, L'x');
    wide[4999] = L'y';
    const std::string text = TextOf(TestVariant::Str(wide.c_str()));
    ASSERT_EQ(text.size(), 5000u);
    EXPECT_EQ(text.back(), 'y');
}

// ---------------------------------------------------------------------------------------------
// Everything else goes through the runtime's standard conversion

TEST(ConvertedTexts, IntegersInPlainDecimal) {
    EXPECT_EQ(TextOf(TestVariant::I4(-5)), "-5");
    EXPECT_EQ(TextOf(TestVariant::I4(1234567)), "1234567");
    EXPECT_EQ(TextOf(TestVariant::UI1(255)), "255");
    EXPECT_EQ(TextOf(TestVariant::I8(LLONG_MIN)), "-9223372036854775808");
}

TEST(ConvertedTexts, FloatsRoundToTheirPrecisionWithoutTrailingZeros) {
    EXPECT_EQ(TextOf(TestVariant::R8(1.5)), "1.5");
    EXPECT_EQ(TextOf(TestVariant::R8(1.0 / 3)), "0.333333333333333");
    EXPECT_EQ(TextOf(TestVariant::R4(1.0f / 3)), "0.3333333");
    EXPECT_EQ(TextOf(TestVariant::R8(2.0)), "2");
    EXPECT_EQ(TextOf(TestVariant::R8(1234567.25)), "1234567.25");
}

TEST(ConvertedTexts, BooleansAreNumbersNotWords) {
    EXPECT_EQ(TextOf(TestVariant::Bool(true)), "-1");
    EXPECT_EQ(TextOf(TestVariant::Bool(false)), "0");
}

TEST(ConvertedTexts, ErrorValuesHaveNoText) {
    EXPECT_EQ(TextOf(TestVariant::Error(DISP_E_PARAMNOTFOUND)), absent);
    EXPECT_EQ(TextOf(TestVariant::Error(0)), absent);
}

TEST(ConvertedTexts, DecimalsKeepEveryDigit) {
    EXPECT_EQ(TextOf(TestVariant::Decimal(-12345, 2)), "-123.45");
    EXPECT_EQ(TextOf(TestVariant::Decimal(12345678901234567LL, 0)), "12345678901234567");
}

TEST(ConvertedTexts, ByReferenceDateUsesTheStandardConversionNotTheDateFormat) {
    double date = march14;
    TestVariant reference;
    reference.get()->vt = VT_BYREF | VT_DATE;
    reference.get()->pdate = &date;
    const Loaded loaded = LoadOne(reference, flLongDate);
    EXPECT_EQ(loaded.text, "3/14/2024");
    EXPECT_EQ(loaded.tag, absent);
}

// ---------------------------------------------------------------------------------------------
// Currency: the amount is written exactly, the locale rounds and decorates it

TEST(CurrencyTexts, CommonAmounts) {
    EXPECT_EQ(TextOf(TestVariant::Cy(0)), "$0.00");
    EXPECT_EQ(TextOf(TestVariant::Cy(12345)), "$1.23");
    EXPECT_EQ(TextOf(TestVariant::Cy(-50000)), "($5.00)");
    EXPECT_EQ(WithoutGrouping(TextOf(TestVariant::Cy(12345678900000LL))), "$1234567890.00");
}

TEST(CurrencyTexts, FractionsReachTheLocaleForRounding) {
    EXPECT_EQ(TextOf(TestVariant::Cy(-1)), "($0.00)");
    EXPECT_EQ(TextOf(TestVariant::Cy(50)), "$0.01"); // 0.0050
    EXPECT_EQ(TextOf(TestVariant::Cy(49)), "$0.00"); // 0.0049
    EXPECT_EQ(TextOf(TestVariant::Cy(5)), "$0.00");  // 0.0005
    EXPECT_EQ(TextOf(TestVariant::Cy(99999)), "$10.00");
}

TEST(CurrencyTexts, ExtremeAmountsAreWrittenExactly) {
    EXPECT_EQ(WithoutGrouping(TextOf(TestVariant::Cy(LLONG_MAX))), "$922337203685477.58");
    EXPECT_EQ(WithoutGrouping(TextOf(TestVariant::Cy(LLONG_MIN))), "($922337203685477.58)");
    EXPECT_EQ(WithoutGrouping(TextOf(TestVariant::Cy(LLONG_MIN + 1))), "($922337203685477.58)");
}

// ---------------------------------------------------------------------------------------------
// Dates in the six formats

TEST(DateTexts, SixFormatsOfADateWithATime) {
    const double date = march14 + nineThirty;
    EXPECT_EQ(DateText(date, flShortDate), "3/14/2024");
    EXPECT_EQ(DateText(date, flLongDate), "Thursday, March 14, 2024");
    EXPECT_EQ(DateText(date, flShortDateShortTime), "3/14/2024 9:30 AM");
    EXPECT_EQ(DateText(date, flShortDateLongTime), "3/14/2024 9:30:00 AM");
    EXPECT_EQ(DateText(date, flLongDateShortTime), "Thursday, March 14, 2024 9:30 AM");
    EXPECT_EQ(DateText(date, flLongDateLongTime), "Thursday, March 14, 2024 9:30:00 AM");
}

TEST(DateTexts, TimeOnlyValuesShowNoDate) {
    EXPECT_EQ(DateText(0.5, flShortDate), "* * *");
    EXPECT_EQ(DateText(0.5, flLongDate), "* * *");
    EXPECT_EQ(DateText(0.5, flShortDateShortTime), "12:00 PM");
    EXPECT_EQ(DateText(0.5, flLongDateLongTime), "12:00:00 PM");
    EXPECT_EQ(DateText(0.0, flShortDateShortTime), "12:00 AM");
}

TEST(DateTexts, TheFirstDayWithADateIsOnePointZero) {
    EXPECT_EQ(DateText(1.0, flShortDate), "12/31/1899");
    EXPECT_EQ(DateText(0.9999, flShortDate), "* * *");
    EXPECT_EQ(DateText(1.0, flShortDateShortTime), "12/31/1899 12:00 AM");
}

TEST(DateTexts, NegativeValuesNameTheirTimeByTheFraction) {
    EXPECT_EQ(DateText(-1.25, flShortDate), "* * *");
    EXPECT_EQ(DateText(-1.25, flShortDateShortTime), "6:00 AM");
    EXPECT_EQ(DateText(-0.5, flShortDateLongTime), "12:00:00 PM");
}

TEST(DateTexts, RangeEdges) {
    EXPECT_EQ(DateText(2958465.0, flShortDate), "12/31/9999");
    EXPECT_EQ(DateText(2958465.0, flLongDateLongTime), "Friday, December 31, 9999 12:00:00 AM");
    for (int32_t format = flShortDate; format <= flLongDateLongTime; ++format) {
        EXPECT_EQ(DateText(2958465.5, format), "* * *") << format;
        EXPECT_EQ(DateText(-657434.5, format), "* * *") << format;
        EXPECT_EQ(DateText(1e300, format), "* * *") << format;
    }
    // 1 January 100 is in range but, being negative, has no date part to show.
    EXPECT_EQ(DateText(-657434.0, flShortDate), "* * *");
    EXPECT_EQ(DateText(-657434.0, flShortDateShortTime), "12:00 AM");
}

TEST(DateTexts, TimesRoundToTheNearestSecond) {
    const double almost = march14 + (9 * 3600 + 30 * 60 + 59.6) / 86400.0;
    EXPECT_EQ(DateText(almost, flShortDateLongTime), "3/14/2024 9:31:00 AM");
    const double justBelowMidnight = march14 + (86400 - 0.2) / 86400.0;
    EXPECT_EQ(DateText(justBelowMidnight, flShortDateLongTime), "3/15/2024 12:00:00 AM");
}

// ---------------------------------------------------------------------------------------------
// Calendar fields

TEST(Calendar, FieldsOfOrdinaryDates) {
    const CalendarDate c = DateToCalendar(march14 + nineThirty);
    ASSERT_TRUE(c.valid);
    EXPECT_EQ(c.year, 2024);
    EXPECT_EQ(c.month, 3);
    EXPECT_EQ(c.day, 14);
    EXPECT_EQ(c.dayOfWeek, 4); // Thursday
    EXPECT_EQ(c.hour, 9);
    EXPECT_EQ(c.minute, 30);
    EXPECT_EQ(c.second, 0);
    EXPECT_EQ(c.millisecond, 0);

    const CalendarDate leap = DateToCalendar(TestVariant::DateOf(2000, 2, 29, 23, 59, 59));
    EXPECT_EQ(leap.year, 2000);
    EXPECT_EQ(leap.month, 2);
    EXPECT_EQ(leap.day, 29);
    EXPECT_EQ(leap.second, 59);
    EXPECT_EQ(DateToCalendar(TestVariant::DateOf(1900, 3, 1)).day, 1); // 1900 is no leap year
    EXPECT_EQ(DateToCalendar(1.0).dayOfWeek, 0);                       // 31 Dec 1899, Sunday
    EXPECT_EQ(DateToCalendar(0.0).dayOfWeek, 6);
}

TEST(Calendar, NegativeDatesCountTheDayByTheWholePart) {
    const CalendarDate c = DateToCalendar(-1.25);
    ASSERT_TRUE(c.valid);
    EXPECT_EQ(c.year, 1899);
    EXPECT_EQ(c.month, 12);
    EXPECT_EQ(c.day, 29);
    EXPECT_EQ(c.hour, 6);
    EXPECT_EQ(c.dayOfWeek, 5);
    const CalendarDate noon = DateToCalendar(-0.5);
    EXPECT_EQ(noon.day, 30);
    EXPECT_EQ(noon.hour, 12);
}

TEST(Calendar, NegativeDateRoundingUpToMidnightMovesToTheNextDay) {
    // Half a second before midnight that ends 29 December 1899 is midnight of the 30th.
    const CalendarDate c = DateToCalendar(-1.0 - (86400 - 0.2) / 86400.0);
    ASSERT_TRUE(c.valid);
    EXPECT_EQ(c.month, 12);
    EXPECT_EQ(c.day, 30);
    EXPECT_EQ(c.hour, 0);
    EXPECT_EQ(c.second, 0);
    const CalendarDate d = DateToCalendar(-(86400 - 0.2) / 86400.0);
    EXPECT_EQ(d.day, 31);
    EXPECT_EQ(d.hour, 0);
}

TEST(Calendar, RangeAndItsEdges) {
    const CalendarDate first = DateToCalendar(-657434.0);
    ASSERT_TRUE(first.valid);
    EXPECT_EQ(first.year, 100);
    EXPECT_EQ(first.month, 1);
    EXPECT_EQ(first.day, 1);
    const CalendarDate last = DateToCalendar(2958465.0);
    ASSERT_TRUE(last.valid);
    EXPECT_EQ(last.year, 9999);
    EXPECT_EQ(last.month, 12);
    EXPECT_EQ(last.day, 31);
    EXPECT_EQ(last.dayOfWeek, 5);
    for (double outside : {2958465.5, 2958465.0001, -657434.01, 1e18, -1e18}) {
        const CalendarDate c = DateToCalendar(outside);
        EXPECT_FALSE(c.valid) << outside;
        EXPECT_EQ(c.year + c.month + c.day + c.hour + c.minute + c.second + c.dayOfWeek, 0);
    }
    double nan = 0.0;
    nan = nan / nan;
    EXPECT_FALSE(DateToCalendar(nan).valid);
}

// ---------------------------------------------------------------------------------------------
// The German user locale (run under de_DE)

TEST(GermanTexts, NumbersDatesAndCurrencyFollowTheUserLocale) {
    EXPECT_EQ(TextOf(TestVariant::R8(1.5)), "1,5");
    EXPECT_EQ(TextOf(TestVariant::Cy(12345)), "1,23 \x80");
    EXPECT_EQ(DateText(march14 + nineThirty, flShortDateShortTime), "14.3.2024 09:30");
    EXPECT_EQ(DateText(march14 + nineThirty, flLongDateLongTime),
              "Donnerstag, 14. M\xe4rz 2024 09:30:00");
    EXPECT_EQ(DateText(0.5, flShortDateShortTime), "12:00");
    EXPECT_EQ(TextOf(TestVariant::Bool(true)), "-1");
}

} // namespace
