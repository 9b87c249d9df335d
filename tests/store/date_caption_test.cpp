#include "safe_array_builder.h"
#include "store/cell_text.h"
#include "store/record_store.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace datetime;

constexpr char absent[] = "(absent)";

// Captions of a column of dates loaded through a real array.
std::vector<std::string> Tags(const std::vector<TestVariant>& values, int32_t format,
                              int32_t grouping) {
    SafeArrayBuilder data = MakeColumn(values);
    RecordStore store;
    EXPECT_TRUE(store.SetData(data.get(), format, grouping, false));
    std::vector<std::string> tags;
    for (int32_t r = 0; r < store.recordCount; ++r) {
        const CellEntry& cell = store.Cell(r, 0);
        tags.push_back(cell.tag ? cell.tag : absent);
    }
    return tags;
}

std::string Tag(double date, int32_t format, int32_t grouping) {
    const std::vector<std::string> tags = Tags({TestVariant::Date(date)}, format, grouping);
    return tags.empty() ? absent : tags[0];
}

double At(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
    return TestVariant::DateOf(year, month, day, hour, minute, second);
}

// ---------------------------------------------------------------------------------------------
// By hour

TEST(HourCaptions, DateAndTheHourSpan) {
    const double date = At(2024, 3, 14, 9, 30);
    EXPECT_EQ(Tag(date, flShortDate, flHour), "3/14/2024 9:00 AM - 9:59 AM");
    EXPECT_EQ(Tag(date, flShortDateShortTime, flHour), "3/14/2024 9:00 AM - 9:59 AM");
    EXPECT_EQ(Tag(date, flLongDateShortTime, flHour), "Thursday, March 14, 2024 9:00 AM - 9:59 AM");
    EXPECT_EQ(Tag(At(2024, 3, 14, 15, 0), flLongDate, flHour),
              "Thursday, March 14, 2024 3:00 PM - 3:59 PM");
}

TEST(HourCaptions, WithSecondsEveryValueOfTheHourSharesOneCaption) {
    const std::vector<std::string> tags = Tags({TestVariant::Date(At(2024, 3, 14, 9, 0, 0)),
                                                TestVariant::Date(At(2024, 3, 14, 9, 30, 17)),
                                                TestVariant::Date(At(2024, 3, 14, 9, 59, 59))},
                                               flShortDateLongTime, flHour);
    ASSERT_EQ(tags.size(), 3u);
    EXPECT_EQ(tags[0], "3/14/2024 9:00:00 AM - 9:59:59 AM");
    EXPECT_EQ(tags[1], tags[0]);
    EXPECT_EQ(tags[2], tags[0]);
    EXPECT_EQ(Tag(At(2024, 3, 14, 9, 12, 5), flLongDateLongTime, flHour),
              "Thursday, March 14, 2024 9:00:00 AM - 9:59:59 AM");
}

TEST(HourCaptions, RoundingToTheSecondCanCarryIntoTheNextHour) {
    const double almostTen = At(2024, 3, 14) + (10 * 3600 - 0.3) / 86400.0;
    EXPECT_EQ(Tag(almostTen, flShortDate, flHour), "3/14/2024 10:00 AM - 10:59 AM");
}

TEST(HourCaptions, ValuesWithoutADateShareTheHourOfAnyDay) {
    EXPECT_EQ(Tag(0.25, flShortDate, flHour), "6:00 AM - 6:59 AM");
    // 1 January 1850 06:30 is negative and so has no date part either.
    const double early = At(1850, 1, 1, 6, 30);
    ASSERT_LT(early, 0.0);
    EXPECT_EQ(Tag(early, flShortDate, flHour), "6:00 AM - 6:59 AM");
}

TEST(HourCaptions, OutOfRangeIsHourZeroWithoutADate) {
    EXPECT_EQ(Tag(2958465.5, flShortDate, flHour), "12:00 AM - 12:59 AM");
    EXPECT_EQ(Tag(-1e9, flShortDateLongTime, flHour), "12:00:00 AM - 12:59:59 AM");
}

// ---------------------------------------------------------------------------------------------
// By day, month, quarter and year

TEST(DayCaptions, FollowTheLongOrShortChoiceOfTheFormat) {
    const double date = At(2024, 3, 14, 23, 59);
    EXPECT_EQ(Tag(date, flShortDate, flDay), "3/14/2024");
    EXPECT_EQ(Tag(date, flShortDateLongTime, flDay), "3/14/2024");
    EXPECT_EQ(Tag(date, flLongDate, flDay), "Thursday, March 14, 2024");
    EXPECT_EQ(Tag(date, flLongDateShortTime, flDay), "Thursday, March 14, 2024");
}

TEST(MonthCaptions, YearAndTheMonthsFullNameWhateverTheFormat) {
    EXPECT_EQ(Tag(At(2024, 1, 31), flShortDate, flMonth), "2024 January");
    EXPECT_EQ(Tag(At(2024, 2, 1), flLongDateLongTime, flMonth), "2024 February");
    EXPECT_EQ(Tag(At(1999, 12, 31, 23, 59, 59), flShortDate, flMonth), "1999 December");
}

TEST(QuarterCaptions, ThreeMonthsAQuarter) {
    EXPECT_EQ(Tag(At(2023, 12, 31, 23, 59), flShortDate, flQuarter), "2023 Q4");
    EXPECT_EQ(Tag(At(2024, 1, 1, 0, 0), flShortDate, flQuarter), "2024 Q1");
    EXPECT_EQ(Tag(At(2024, 3, 31), flShortDate, flQuarter), "2024 Q1");
    EXPECT_EQ(Tag(At(2024, 4, 1), flShortDate, flQuarter), "2024 Q2");
    EXPECT_EQ(Tag(At(2024, 9, 30), flShortDate, flQuarter), "2024 Q3");
    EXPECT_EQ(Tag(At(2024, 10, 1), flShortDate, flQuarter), "2024 Q4");
}

TEST(YearCaptions, TheFirstDayWithAYearIsOnePointZero) {
    EXPECT_EQ(Tag(0.25, flShortDate, flYear), "* * *");
    EXPECT_EQ(Tag(0.0, flShortDate, flYear), "* * *");
    EXPECT_EQ(Tag(1.0, flShortDate, flYear), "1899");
    EXPECT_EQ(Tag(2958465.0, flShortDate, flYear), "9999");
    EXPECT_EQ(Tag(At(100, 1, 2), flShortDate, flYear), "* * *"); // negative: no date part
}

TEST(NoDateCaptions, OutOfRangeAndTimeOnlyValues) {
    for (int32_t grouping : {flDay, flMonth, flQuarter, flYear}) {
        EXPECT_EQ(Tag(2958465.5, flShortDate, grouping), "* * *") << grouping;
        EXPECT_EQ(Tag(-657435.0, flShortDate, grouping), "* * *") << grouping;
        EXPECT_EQ(Tag(0.75, flShortDateShortTime, grouping), "* * *") << grouping;
    }
}

TEST(NoDateCaptions, OnlyDatesHaveACaption) {
    const std::vector<std::string> tags =
        Tags({TestVariant::Date(At(2024, 3, 14)), TestVariant::I4(2024), TestVariant::Str(L"x"),
              TestVariant::Empty(), TestVariant::Cy(10000)},
             flShortDate, flYear);
    ASSERT_EQ(tags.size(), 5u);
    EXPECT_EQ(tags[0], "2024");
    for (size_t i = 1; i < tags.size(); ++i)
        EXPECT_EQ(tags[i], absent) << i;
}

// ---------------------------------------------------------------------------------------------
// Captions decide membership, the dates behind them the order

TEST(CaptionGroups, EqualCaptionsGroupTogetherAndGroupsFollowTheCalendar) {
    SafeArrayBuilder data =
        MakeColumn({TestVariant::Date(At(2024, 1, 31)), TestVariant::Date(At(2024, 2, 1)),
                    TestVariant::Date(At(2024, 1, 5))});
    RecordStore store;
    ASSERT_TRUE(store.SetData(data.get(), flShortDate, flMonth, false));
    EXPECT_EQ(store.CompareCells(0, 2, 0, false), 0);
    EXPECT_EQ(store.CompareCells(0, 2, 0, true), 0);
    // As text, February would come first in English; by date January does.
    EXPECT_GT(store.CompareCells(0, 1, 0, false), 0);
    EXPECT_LT(store.CompareCells(0, 1, 0, true), 0);
    EXPECT_GT(store.CompareCells(1, 2, 0, true), 0);
    // Sorting compares the display texts, which differ within a month.
    EXPECT_GT(store.CompareSortCells(0, 2, 0), 0);
}

TEST(CaptionGroups, TimeOnlyAndEarlyDatesShareAnHourGroup) {
    SafeArrayBuilder data = MakeColumn(
        {TestVariant::Date(0.25 + 10.0 / 86400), TestVariant::Date(At(1850, 1, 1, 6, 30))});
    RecordStore store;
    ASSERT_TRUE(store.SetData(data.get(), flShortDate, flHour, false));
    EXPECT_EQ(store.CompareCells(0, 1, 0, false), 0);
}

// ---------------------------------------------------------------------------------------------
// The German user locale (run under de_DE)

TEST(GermanCaptions, FollowTheUserLocale) {
    EXPECT_EQ(Tag(At(2024, 3, 14, 9, 30), flShortDate, flHour), "14.3.2024 09:00 - 09:59");
    EXPECT_EQ(Tag(At(2024, 3, 14), flShortDate, flMonth), "2024 M\xe4rz");
    EXPECT_EQ(Tag(At(2024, 3, 14), flLongDate, flDay), "Donnerstag, 14. M\xe4rz 2024");
    EXPECT_EQ(Tag(At(2024, 3, 14), flShortDate, flQuarter), "2024 Q1");
}

} // namespace
