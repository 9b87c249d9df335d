#include "ordering_support.h"

// Each case breaks once what ranking a one-kind column by value assumes: texts follow values.
// Planted texts, in the later half, stand for a locale; 8 and 48 records take both rankings.
TEST(Sorting, ValueColumnsWhoseTextsDoNotFollowTheirValues) {
    const char* const absent = "";
    const char ignoredByte[] = {'\xad', '1', '\0'}; // a soft hyphen, then the text of 1
    struct Case {
        const char* what;
        std::vector<V> values;
        size_t planted; // the value whose text is replaced
        const char* text;
        bool everywhere = false, reversed = false; // plant in every record; start in reverse
    } cases[] = {
        {"values of both signs", {V::I4(-2), V::I4(3), V::I4(-1), V::I4(1)}, 0, nullptr},
        {"a negative NaN", {V::R8(3), V::R8(-std::nan("")), V::R8(1), V::R8(2)}, 0, nullptr},
        {"no date below 1.0 and past the last day",
         {V::Date(0.5), V::Date(40000), V::Date(-3), V::Date(3e6), V::Date(40001)},
         0,
         nullptr},
        {"one value, two texts", {V::I4(7), V::I4(5), V::I4(9)}, 1, "x", false, true},
        {"a value without a text", {V::I4(4), V::I4(2), V::I4(3), V::I4(1)}, 2, absent},
        {"texts the platform finds equal", {V::I4(2), V::I4(3), V::I4(1)}, 0, ignoredByte, true},
    };
    ASSERT_EQ(lstrcmpA(ignoredByte, "1"), 0);
    for (const Case& c : cases) {
        for (const int32_t records : {8, 48}) {
            SCOPED_TRACE(std::string(c.what) + ", " + std::to_string(records) + " records");
            std::vector<std::vector<V>> rows;
            for (int32_t r = 0; r < records; ++r)
                rows.push_back({V::I4(r), c.values[(r * 7 + r / 5) % c.values.size()]});
            RecordStore store;
            LoadRows(store, rows);
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
