#include "ordering_support.h"
#include "store/cell_text.h"

namespace {

// Two values loaded as records 0 and 1 of one column, compared as the sort column compares.
struct Pair {
    Pair(const V& a, const V& b) {
        SafeArrayBuilder data = MakeColumn({a, b});
        EXPECT_TRUE(store.SetData(data.get(), datetime::flShortDate, datetime::flDay, false));
    }
    int Sort() const { return Sign(store.CompareSortCells(0, 1, 0)); }
    int Group(bool byValue) const { return Sign(store.CompareCells(0, 1, 0, byValue)); }
    int TextOnly() const {
        return Sign(lstrcmpW(DisplayText(store.Cell(0, 0)), DisplayText(store.Cell(1, 0))));
    }
    RecordStore store;
};

// Both ways. Texts first; then numbers by value exactly (64-bit integers by text), currency and
// dates by value only among their own kind, different kinds by type code.
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
        {VT_EMPTY, L"", VT_BSTR, L"", -1},
        {VT_BOOL, L"0", VT_BSTR, L"zzz", 1},
        {VT_BSTR, L"s", VT_UI1, L"3", -1},
        {VT_UI1, L"3", VT_I4, L"5", -1}};
    for (auto [typeA, textA, typeB, textB, sort] : cases) {
        const V a = V::As(typeA, textA), b = V::As(typeB, textB);
        SCOPED_TRACE(testing::Message() << textA << " / " << textB);
        ASSERT_EQ(std::pair((*a).vt, (*b).vt), std::pair(typeA, typeB));
        const Pair forward(a, b), backward(b, a);
        EXPECT_EQ(std::pair(forward.Sort(), backward.Sort()), std::pair(sort, -sort));
        // Grouping agrees by value, and by text alone when not asked for the values.
        EXPECT_EQ(std::pair(forward.Group(true), forward.Group(false)),
                  std::pair(sort, forward.TextOnly()));
    }
    // Without a value order the text result stands; equal numbers with other texts are equal.
    const std::pair<V, V> pairs[] = {{V::Bool(true), V::Bool(false)},
                                     {V::R8(std::nan("")), V::R8(1)},
                                     {V::Of(VT_R4, 0.1f), V::R8(static_cast<double>(0.1f))}};
    for (const auto& [a, b] : pairs) {
        Pair p(a, b);
        ASSERT_NE(p.TextOnly(), 0);
        EXPECT_EQ(p.Sort(), (*a).vt == VT_R4 ? 0 : p.TextOnly());
    }
}

// Texts of pieces the locale treats specially: case, accents, ligatures, punctuation, digits;
// texts of other scripts.
std::vector<std::vector<V>> VariedTexts() {
    const wchar_t* pieces[] = {L"a",      L"A",      L"ae", L"\u00e6", L"AE", L"\u00c6", L"e",
                               L"\u00e9", L"E",      L"-",  L"'",      L" ",  L".",      L"1",
                               L"10",     L"9",      L"0",  L"z",      L"Z",  L"ss",     L"\u00df",
                               L"o",      L"\u00f6", L"_",  L"!",      L"co", L"op"};
    std::vector<std::vector<V>> rows;
    for (const wchar_t* text :
         {L"", L"ae", L"\u00e6", L"co-op", L"coop", L"co op", L"O'Neil", L"oneil", L"10", L"9",
          L"1.5", L"Apple", L"apple", L"APPLE", L"\u00e4pple",
          // Places in Cyrillic, Chinese or Japanese and Greek, some of one length.
          L"\u041c\u043e\u0441\u043a\u0432\u0430", L"\u041a\u0438\u0435\u0432\u0430",
          L"\u6771\u4eac", L"\u5927\u962a", L"\u0391\u03b8\u03ae\u03bd\u03b1"})
        rows.push_back({V::Str(text)});
    std::mt19937 random(7);
    while (rows.size() < 800) { // more distinct texts than the tables first hold
        std::wstring text;
        for (int i = 1 + static_cast<int>(random() % 5); i > 0; --i)
            text += pieces[random() % std::size(pieces)];
        rows.push_back({V::Str(text.c_str())});
    }
    return rows;
}

// Every pair compares as lstrcmpW says, by display and by key texts.
void CheckAgainstPlatform() {
    RecordStore store;
    Load(store, MakeVariantTable(VariedTexts()));
    int equalPairs = 0;
    for (int32_t a = 0; a < store.recordCount; ++a)
        for (int32_t b = 0; b < store.recordCount; ++b) {
            const wchar_t *textA = DisplayText(store.Cell(a, 0)),
                          *textB = DisplayText(store.Cell(b, 0));
            const int expected = Sign(lstrcmpW(textA, textB));
            equalPairs += expected == 0 && wcscmp(textA, textB) != 0;
            ASSERT_EQ(std::pair(Sign(store.CompareSortCells(a, b, 0)),
                                Sign(store.CompareCells(a, b, 0, false))),
                      std::pair(expected, expected))
                << Utf8(textA) << " / " << Utf8(textB);
        }
    EXPECT_GT(equalPairs, 0); // the set holds texts that differ in bytes yet compare equal
    // Grouped: each group the texts equal to its first, in load order; the groups ascending.
    ASSERT_TRUE(store.SetGroupLevelCount(1));
    const wchar_t* previous = nullptr;
    for (const GroupNode* node = store.root.firstChild; node; node = node->next) {
        const int32_t* records = store.recordOrder + node->first;
        const wchar_t* text = KeyText(store.Cell(records[0], 0));
        ASSERT_TRUE(!previous || lstrcmpW(previous, text) < 0) << Utf8(text);
        for (int32_t i = 1; i < node->count; ++i)
            ASSERT_TRUE(!lstrcmpW(KeyText(store.Cell(records[i], 0)), text) &&
                        records[i - 1] < records[i])
                << Utf8(text);
        previous = text;
    }
}

// The ranks follow the comparison under whatever locale the thread has.
TEST(SortKeys, RanksOrderTextsAsThePlatformDoesInEveryThreadLocale) {
    const LCID original = GetThreadLocale();
    for (LCID locale : {original, MAKELCID(0x419, SORT_DEFAULT), MAKELCID(0x411, SORT_DEFAULT)}) {
        SCOPED_TRACE(locale);
        ASSERT_TRUE(SetThreadLocale(locale));
        CheckAgainstPlatform();
    }
    SetThreadLocale(original);
}

TEST(GermanSortKeys, RanksFollowTheUserLocale) {
    CheckAgainstPlatform();
}

} // namespace

// Each case breaks once what ranking by value assumes; planted texts stand for a locale.
TEST(Sorting, ValueColumnsWhoseTextsDoNotFollowTheirValues) {
    const wchar_t* const absent = L"";
    const wchar_t ignoredByte[] = L"\u00ad1"; // a soft hyphen, then the text of 1
    struct Case {
        const char* what;
        std::vector<V> values;
        size_t planted; // the value whose text is replaced
        const wchar_t* text;
        bool everywhere = false, reversed = false; // plant in every record; start in reverse
    } cases[] = {
        {"values of both signs", {V::I4(-2), V::I4(3), V::I4(-1), V::I4(1)}, 0, nullptr},
        {"a negative NaN", {V::R8(3), V::R8(-std::nan("")), V::R8(1), V::R8(2)}, 0, nullptr},
        {"no date below 1.0 and past the last day",
         {V::Date(0.5), V::Date(40000), V::Date(-3), V::Date(3e6), V::Date(40001)},
         0,
         nullptr},
        {"one value, two texts", {V::I4(7), V::I4(5), V::I4(9)}, 1, L"x", false, true},
        {"a value without a text", {V::I4(4), V::I4(2), V::I4(3), V::I4(1)}, 2, absent},
        {"texts the platform finds equal", {V::I4(2), V::I4(3), V::I4(1)}, 0, ignoredByte, true},
    };
    ASSERT_EQ(lstrcmpW(ignoredByte, L"1"), 0);
    for (const Case& c : cases) {
        for (const int32_t records : {8, 48}) {
            SCOPED_TRACE(std::string(c.what) + ", " + std::to_string(records) + " records");
            std::vector<std::vector<V>> rows;
            for (int32_t r = 0; r < records; ++r)
                rows.push_back({V::I4(r), c.values[(r * 7 + r / 5) % c.values.size()]});
            RecordStore store;
            Load(store, MakeVariantTable(rows));
            for (int32_t r = c.everywhere ? 0 : records / 2; c.text && r < records; ++r)
                if ((r * 7 + r / 5) % c.values.size() == c.planted)
                    store.Cell(r, 1).text = c.text == absent ? nullptr : c.text;
            store.sortKeys.Release();
            if (c.reversed)
                store.SortByColumn(0); // ties show whether they keep this order
            ASSERT_NO_FATAL_FAILURE(
                ExpectSameAsExchangeSort(store, [&] { store.SortByColumn(1); }));
            store.MoveColumn(1, 0);
            ASSERT_NO_FATAL_FAILURE(
                ExpectSameAsExchangeSort(store, [&] { store.SetGroupLevelCount(1); }));
        }
    }
}
