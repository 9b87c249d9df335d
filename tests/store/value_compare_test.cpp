#include "ordering_support.h"
#include "store/cell_text.h"

#include <limits>

namespace {

// Two values loaded as records 0 and 1 of one column, compared as the sort column compares.
struct Pair {
    Pair(const V& a, const V& b) {
        SafeArrayBuilder data = MakeColumn({a, b});
        EXPECT_TRUE(store.SetData(data.get(), datetime::flShortDate, datetime::flDay, false));
    }
    int Sort() const { return Sign(store.CompareSortCells(0, 1, 0)); }
    int Group(bool byValue) const { return Sign(store.CompareCells(0, 1, 0, byValue)); }
    // What the locale's string comparison alone says about the two texts.
    int TextOnly() const {
        return Sign(lstrcmpA(DisplayText(store.Cell(0, 0)), DisplayText(store.Cell(1, 0))));
    }
    RecordStore store;
};

V Make(VARTYPE type, const wchar_t* text) {
    return type == VT_NULL    ? V::Null()
           : type == VT_ERROR ? V::Error(_wtoi(text))
                              : V::As(type, text);
}

// Both ways: a before b gives `sort`, b before a its opposite. Texts first (strings and
// decimals that look like numbers; equal texts, absent ones read as empty, whatever the
// values); then the numeric family by value, exactly, across signedness and precision, but
// 64-bit integers by text; currency and dates by value only with their own kind; different
// kinds by type code.

TEST(CompareOrder, EveryPairBothWays) {
    const std::tuple<VARTYPE, const wchar_t*, VARTYPE, const wchar_t*, int> cases[] = {
        {VT_BSTR, L"10", VT_BSTR, L"9", -1},
        {VT_DECIMAL, L"10", VT_DECIMAL, L"9", -1},
        {VT_DATE, L"3/14/2024 6:00", VT_DATE, L"3/14/2024 18:00", 0},
        {VT_BOOL, L"-1", VT_I2, L"-1", 0},
        {VT_ERROR, L"5", VT_ERROR, L"7", 0},
        {VT_ERROR, L"5", VT_BSTR, L"", 0},
        {VT_I4, L"10", VT_R8, L"9.5", 1},
        {VT_UI4, L"4294967295", VT_I4, L"-1", 1},
        {VT_I1, L"-1", VT_UI1, L"255", -1},
        {VT_UINT, L"3000000000", VT_INT, L"-3", 1},
        {VT_I4, L"16777217", VT_R4, L"16777216", 1},
        {VT_R4, L"0.3", VT_R8, L"0.30000001", 1},
        {VT_I8, L"10", VT_I8, L"9", -1}, // outside the family: by text
        {VT_CY, L"10", VT_CY, L"5", 1},
        {VT_DATE, L"10/1/2024", VT_DATE, L"9/30/2024", 1},
        {VT_CY, L"1", VT_R8, L"1000", 1},
        {VT_DATE, L"3/14/2024", VT_CY, L"99999.9999", 1},
        {VT_EMPTY, L"", VT_NULL, L"", -1},
        {VT_EMPTY, L"", VT_BSTR, L"", -1},
        {VT_BOOL, L"0", VT_BSTR, L"zzz", 1},
        {VT_I4, L"5", VT_BSTR, L"s", -1},
        {VT_BSTR, L"s", VT_UI1, L"3", -1},
        {VT_UI1, L"3", VT_I4, L"5", -1}};
    for (auto [typeA, textA, typeB, textB, sort] : cases) {
        const V a = Make(typeA, textA), b = Make(typeB, textB);
        ASSERT_EQ(std::pair((*a).vt, (*b).vt), std::pair(typeA, typeB)) << textA << " / " << textB;
        const Pair forward(a, b), backward(b, a);
        EXPECT_EQ(forward.Sort(), sort) << textA << " / " << textB;
        EXPECT_EQ(backward.Sort(), -sort) << textA << " / " << textB;
        // Grouping agrees by value, and by text alone when not asked for the values.
        EXPECT_EQ(forward.Group(true), sort) << textA << " / " << textB;
        EXPECT_EQ(forward.Group(false), forward.TextOnly()) << textA << " / " << textB;
    }
    // Where the texts differ and no value order applies (case, Booleans, not a number) the
    // locale's text result stands; numerically equal values with different texts are equal.
    const std::pair<V, V> pairs[] = {{V::Bool(true), V::Bool(false)},
                                     {V::R8(std::numeric_limits<double>::quiet_NaN()), V::R8(1)},
                                     {V::Of(VT_R4, 0.1f), V::R8(static_cast<double>(0.1f))}};
    for (const auto& [a, b] : pairs) {
        Pair p(a, b);
        ASSERT_NE(p.TextOnly(), 0);
        EXPECT_EQ(p.Sort(), (*a).vt == VT_R4 ? 0 : p.TextOnly());
    }
}

} // namespace
