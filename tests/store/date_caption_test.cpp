#include "safe_array_builder.h"
#include "store/cell_text.h"
#include "store/record_store.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace {

using namespace datetime;

constexpr char absent[] = "(absent)";

double At(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
    return TestVariant::DateOf(year, month, day, hour, minute, second);
}

// The caption of a value loaded through a real array.
std::string Tag(const TestVariant& value, int32_t format, int32_t grouping) {
    SafeArrayBuilder data = MakeColumn({value});
    RecordStore store;
    EXPECT_TRUE(store.SetData(data.get(), format, grouping, false));
    return store.recordCount == 1 && store.Cell(0, 0).tag ? store.Cell(0, 0).tag : absent;
}

std::string Tag(double date, int32_t format, int32_t grouping) {
    return Tag(TestVariant::Date(date), format, grouping);
}

TEST(DateCaptions, EveryGroupingUnit) {
    const std::tuple<double, int32_t, int32_t, const char*> cases[] = {
        // By hour: the date as the format has it (long or short) and the span of the hour.
        {At(2024, 3, 14, 9, 30), flShortDate, flHour, "3/14/2024 9:00 AM - 9:59 AM"},
        {At(2024, 3, 14, 15, 0), flLongDate, flHour, "Thursday, March 14, 2024 3:00 PM - 3:59 PM"},
        {At(2024, 3, 14, 9, 59, 59), flShortDateLongTime, flHour,
         "3/14/2024 9:00:00 AM - 9:59:59 AM"},
        {At(2024, 3, 14, 9, 12, 5), flLongDateLongTime, flHour,
         "Thursday, March 14, 2024 9:00:00 AM - 9:59:59 AM"},
        {At(2024, 3, 14) + 35999.7 / 86400, flShortDate, flHour, "3/14/2024 10:00 AM - 10:59 AM"},
        {At(1850, 1, 1, 6, 30), flShortDate, flHour, "6:00 AM - 6:59 AM"}, // no date part
        {2958465.5, flShortDate, flHour, "12:00 AM - 12:59 AM"},
        // By day, month, quarter and year.
        {At(2024, 3, 14, 23, 59), flLongDateShortTime, flDay, "Thursday, March 14, 2024"},
        {At(2024, 1, 31), flShortDate, flMonth, "2024 January"},
        {At(2023, 12, 31, 23, 59), flShortDate, flQuarter, "2023 Q4"},
        {1.0, flShortDate, flYear, "1899"},
        {2958465.0, flShortDate, flYear, "9999"},
        {At(100, 1, 2), flShortDate, flYear, "* * *"},
    };
    for (auto [date, format, grouping, caption] : cases)
        EXPECT_EQ(Tag(date, format, grouping), caption) << date << " " << grouping;
    // Out of range and time-only values have no date to group by.
    for (int32_t grouping : {flDay, flMonth, flQuarter, flYear})
        for (double date : {2958465.5, -657435.0, 0.75})
            EXPECT_EQ(Tag(date, flShortDateShortTime, grouping), "* * *") << grouping << date;
    for (int month = 1; month <= 12; ++month)
        EXPECT_EQ(Tag(At(2024, month, 15), flShortDate, flQuarter),
                  "2024 Q" + std::to_string((month + 2) / 3))
            << month;
    for (const TestVariant& other : {TestVariant::I4(2024), TestVariant::Str(L"2024")})
        EXPECT_EQ(Tag(other, flShortDate, flYear), absent); // only dates have a caption
}

TEST(GermanCaptions, FollowTheUserLocale) {
    EXPECT_EQ(Tag(At(2024, 3, 14, 9, 30), flShortDate, flHour), "14.3.2024 09:00 - 09:59");
    EXPECT_EQ(Tag(At(2024, 3, 14), flShortDate, flMonth), "2024 M\xe4rz");
    EXPECT_EQ(Tag(At(2024, 3, 14), flLongDate, flDay), "Donnerstag, 14. M\xe4rz 2024");
    EXPECT_EQ(Tag(At(2024, 3, 14), flShortDate, flQuarter), "2024 Q1");
}

} // namespace
