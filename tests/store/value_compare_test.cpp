#include "safe_array_builder.h"
#include "store/cell_text.h"
#include "store/record_store.h"
#include "store/value_compare.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

namespace {

using namespace datetime;

int Sign(int value) {
    return (value > 0) - (value < 0);
}

// Two values loaded as records 0 and 1 of one column, compared as the sort column compares.
class Pair {
public:
    Pair(const TestVariant& a, const TestVariant& b, int32_t format = flShortDate,
         int32_t grouping = flDay) {
        SafeArrayBuilder data = MakeColumn({a, b});
        loaded = store.SetData(data.get(), format, grouping, false);
    }
    int Sort() const { return Sign(store.CompareSortCells(0, 1, 0)); }
    int SortReversed() const { return Sign(store.CompareSortCells(1, 0, 0)); }
    int Group(bool byValue) const { return Sign(store.CompareCells(0, 1, 0, byValue)); }
    int Raw() const { return store.CompareSortCells(0, 1, 0); }
    // What the locale's string comparison alone says about the two texts.
    int TextOnly() const {
        return Sign(lstrcmpA(DisplayText(store.Cell(0, 0)), DisplayText(store.Cell(1, 0))));
    }
    bool loaded = false;
    RecordStore store;
};

// ---------------------------------------------------------------------------------------------
// Texts first

TEST(TextOrder, StringsCompareByTextEvenWhenTheyLookLikeNumbers) {
    Pair p(TestVariant::Str(L"10"), TestVariant::Str(L"9"));
    ASSERT_TRUE(p.loaded);
    EXPECT_EQ(p.Sort(), -1);
    EXPECT_EQ(p.SortReversed(), 1);
}

TEST(TextOrder, DecimalsCompareByTextToo) {
    Pair p(TestVariant::Decimal(10, 0), TestVariant::Decimal(9, 0));
    EXPECT_EQ(p.Sort(), -1);
}

TEST(TextOrder, CaseMattersAndFollowsTheLocale) {
    Pair p(TestVariant::Str(L"apple"), TestVariant::Str(L"Apple"));
    EXPECT_NE(p.Sort(), 0);
    EXPECT_EQ(p.Sort(), p.TextOnly());
    EXPECT_EQ(p.Sort(), -p.SortReversed());
    Pair same(TestVariant::Str(L"Apple"), TestVariant::Str(L"Apple"));
    EXPECT_EQ(same.Sort(), 0);
    Pair words(TestVariant::Str(L"banana"), TestVariant::Str(L"Cherry"));
    EXPECT_EQ(words.Sort(), -1); // the locale's order, not the byte order
}

TEST(TextOrder, EqualTextsAreEqualWhateverTheValues) {
    // Different kinds with the same text never reach the value step.
    Pair mixed(TestVariant::I4(5), TestVariant::Str(L"5"));
    EXPECT_EQ(mixed.Sort(), 0);
    EXPECT_EQ(mixed.Group(true), 0);
    Pair sameDay(TestVariant::Date(45365.25), TestVariant::Date(45365.75), flShortDate);
    EXPECT_EQ(sameDay.Sort(), 0);
    Pair sameTexts(TestVariant::Bool(true), TestVariant::I2(-1));
    EXPECT_EQ(sameTexts.Sort(), 0);
}

TEST(TextOrder, AbsentTextsReadAsEmptyStrings) {
    Pair errors(TestVariant::Error(5), TestVariant::Error(7));
    EXPECT_EQ(errors.Sort(), 0);
    Pair errorAndEmptyString(TestVariant::Error(5), TestVariant::Str(L""));
    EXPECT_EQ(errorAndEmptyString.Group(false), 0);
    EXPECT_EQ(errorAndEmptyString.Sort(), 0);
}

TEST(TextOrder, GroupingWithoutValueStepKeepsTheTextResult) {
    Pair p(TestVariant::I4(10), TestVariant::R8(9.5));
    EXPECT_EQ(p.Group(false), p.TextOnly());
    EXPECT_EQ(p.Group(true), 1);
}

// ---------------------------------------------------------------------------------------------
// The numeric family compares by value

TEST(NumericOrder, IntegersAgainstFloats) {
    EXPECT_EQ(Pair(TestVariant::I4(10), TestVariant::R8(9.5)).Sort(), 1);
    EXPECT_EQ(Pair(TestVariant::I4(9), TestVariant::R8(10)).Sort(), -1);
    EXPECT_EQ(Pair(TestVariant::I4(100), TestVariant::I2(20)).Sort(), 1);
    EXPECT_EQ(Pair(TestVariant::R8(-2.5), TestVariant::R8(-10.25)).Sort(), 1);
}

TEST(NumericOrder, MixedSignednessIsComparedExactly) {
    EXPECT_EQ(Pair(TestVariant::UI4(4294967295u), TestVariant::I4(-1)).Sort(), 1);
    EXPECT_EQ(Pair(TestVariant::I1(-1), TestVariant::UI1(255)).Sort(), -1);
    EXPECT_EQ(Pair(TestVariant::UInt(3000000000u), TestVariant::Int(-3)).Sort(), 1);
    EXPECT_EQ(Pair(TestVariant::UI2(65535), TestVariant::I2(-32768)).Sort(), 1);
}

TEST(NumericOrder, NoPrecisionIsLostBetweenKinds) {
    // In single precision 16777217 would equal 16777216.
    EXPECT_EQ(Pair(TestVariant::I4(16777217), TestVariant::R4(16777216.0f)).Sort(), 1);
    // Rounding the double to single precision would make these equal.
    EXPECT_EQ(Pair(TestVariant::R4(0.3f), TestVariant::R8(0.30000001)).Sort(), 1);
    EXPECT_EQ(Pair(TestVariant::UI4(4294967295u), TestVariant::R8(4294967294.5)).Sort(), 1);
}

TEST(NumericOrder, NumericallyEqualValuesWithDifferentTextsAreEqual) {
    Pair p(TestVariant::R4(0.1f), TestVariant::R8(static_cast<double>(0.1f)));
    ASSERT_NE(p.TextOnly(), 0);
    EXPECT_EQ(p.Sort(), 0);
}

TEST(NumericOrder, NotANumberLeavesTheTextResult) {
    Pair p(TestVariant::R8(std::numeric_limits<double>::quiet_NaN()), TestVariant::R8(1));
    ASSERT_NE(p.TextOnly(), 0);
    EXPECT_EQ(p.Sort(), p.TextOnly());
}

TEST(NumericOrder, SixtyFourBitIntegersAreOutsideTheFamily) {
    Pair p(TestVariant::I8(10), TestVariant::I8(9));
    EXPECT_EQ(p.Sort(), -1); // by text
    EXPECT_EQ(Pair(TestVariant::I8(10), TestVariant::I4(9)).Raw(), VT_I8 - VT_I4);
}

// ---------------------------------------------------------------------------------------------
// Currency and dates by value, each only with its own kind

TEST(CurrencyAndDates, CurrencyComparesByAmount) {
    EXPECT_EQ(Pair(TestVariant::Cy(100000), TestVariant::Cy(50000)).Sort(), 1); // $10 vs $5
    EXPECT_EQ(Pair(TestVariant::Cy(-100000), TestVariant::Cy(50000)).Sort(), -1);
}

TEST(CurrencyAndDates, DatesCompareByDayNumber) {
    // "10/1/2024" sorts before "9/30/2024" as text.
    const double october = TestVariant::DateOf(2024, 10, 1);
    const double september = TestVariant::DateOf(2024, 9, 30);
    Pair p(TestVariant::Date(october), TestVariant::Date(september));
    ASSERT_EQ(p.TextOnly(), -1);
    EXPECT_EQ(p.Sort(), 1);
    EXPECT_EQ(p.Group(true), 1);
}

TEST(CurrencyAndDates, OtherKindsFollowTheTypeCode) {
    // $1.00 after the double 1000: currency (6) comes after doubles (5).
    EXPECT_EQ(Pair(TestVariant::Cy(10000), TestVariant::R8(1000)).Sort(), 1);
    EXPECT_EQ(Pair(TestVariant::Date(45365), TestVariant::Cy(999999999)).Sort(), 1);
    EXPECT_EQ(Pair(TestVariant::Date(2), TestVariant::R8(1)).Sort(), 1);
}

// ---------------------------------------------------------------------------------------------
// Different kinds: type-code order

TEST(KindOrder, EmptyFirstThenNull) {
    EXPECT_EQ(Pair(TestVariant::Empty(), TestVariant::Empty()).Sort(), 0);
    EXPECT_EQ(Pair(TestVariant::Empty(), TestVariant::Null()).Sort(), -1);
    EXPECT_EQ(Pair(TestVariant::Null(), TestVariant::I2(1)).Sort(), -1);
    EXPECT_EQ(Pair(TestVariant::Empty(), TestVariant::Str(L"")).Sort(), -1);
    EXPECT_EQ(Pair(TestVariant::Null(), TestVariant::Str(L"aaa")).Sort(), -1);
    EXPECT_EQ(Pair(TestVariant::Str(L"zzz"), TestVariant::Empty()).Sort(), 1);
}

TEST(KindOrder, BooleansAmongThemselvesByTextAgainstStringsByCode) {
    Pair booleans(TestVariant::Bool(true), TestVariant::Bool(false));
    EXPECT_EQ(booleans.Sort(), booleans.TextOnly());
    EXPECT_EQ(Pair(TestVariant::Bool(false), TestVariant::Str(L"zzz")).Sort(), 1);
}

TEST(KindOrder, FamilyMembersAroundTheStrings) {
    // Codes 2-5 come before strings, 16-23 after them, and they still compare by value.
    EXPECT_EQ(Pair(TestVariant::I4(5), TestVariant::Str(L"s")).Sort(), -1);
    EXPECT_EQ(Pair(TestVariant::Str(L"s"), TestVariant::UI1(3)).Sort(), -1);
    EXPECT_EQ(Pair(TestVariant::UI1(3), TestVariant::I4(5)).Sort(), -1);
}

TEST(KindOrder, TheResultIsTheDifferenceOfTheCodes) {
    EXPECT_EQ(Pair(TestVariant::Empty(), TestVariant::UInt(1)).Raw(), -23);
    EXPECT_EQ(Pair(TestVariant::Decimal(1, 0), TestVariant::Str(L"x")).Raw(), 6);
}

// ---------------------------------------------------------------------------------------------
// The refinement itself

TEST(Refinement, SameKindWithoutValueOrderKeepsTheTextResult) {
    VARIANT a;
    VARIANT b;
    VariantInit(&a);
    VariantInit(&b);
    a.vt = b.vt = VT_BOOL;
    a.boolVal = VARIANT_TRUE;
    b.boolVal = VARIANT_FALSE;
    EXPECT_EQ(CompareValues(a, b, -7), -7);
    EXPECT_EQ(CompareValues(a, b, 3), 3);
    a.vt = b.vt = VT_R8;
    a.dblVal = 1;
    b.dblVal = 2;
    EXPECT_EQ(CompareValues(a, b, 5), -1);
}

} // namespace
