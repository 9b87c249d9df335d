#include "ordering_support.h"
#include "store/value_compare.h"

namespace {

// The order by definition: grouping levels, then lstrcmpA of the texts refined by value.
int PlainCompare(const RecordStore& store, int32_t a, int32_t b) {
    for (int32_t level = 0;; ++level) {
        const bool sortLevel = level == store.groupLevelCount;
        const int32_t column = sortLevel ? store.sortPriority[0] : store.columnOrder[level];
        const CellEntry &cellA = store.Cell(a, column), &cellB = store.Cell(b, column);
        const int text = sortLevel ? lstrcmpA(DisplayText(cellA), DisplayText(cellB))
                                   : lstrcmpA(KeyText(cellA), KeyText(cellB));
        const int result = text == 0 ? 0 : CompareValues(cellA.value, cellB.value, text);
        if (sortLevel)
            return store.sortAscending[column] ? result : -result;
        if (text != 0)
            return result;
    }
}

// Stable by construction: exchanges only on a strictly negative comparison.
void ExchangeSort(RecordStore& store) {
    int32_t* order = store.recordOrder;
    for (int32_t i = 0; i + 1 < store.recordCount; ++i)
        for (int32_t j = store.recordCount - 1; j > i; --j)
            if (PlainCompare(store, order[j], order[j - 1]) < 0)
                std::swap(order[j - 1], order[j]);
}

const wchar_t* const words[] = {L"apple", L"Apple", L"banana", L"b\u00e4r",  L"cherry", L"Zebra",
                                L"zebra", L"co-op", L"coop",   L"\u00e6sop", L"aesop",  L""};

// Mixed kinds in one column; no string reads like a number, so the order stays consistent.
V MixedValue(std::mt19937& random) {
    const int n = static_cast<int>(random() % 12), m = static_cast<int>(random() % 12);
    const V choices[] = {V::Str(words[n]),
                         V::R8(n * 0.5 - 2),
                         V::I4(n - 3),
                         V::Date(V::DateOf(2020 + m % 3, 1 + n, 1 + m % 2, m)),
                         V::Cy((n - 4) * 2500),
                         V::Str(words[n % 4]),
                         V::Empty()};
    return choices[random() % 7];
}

// Sorts from the order at hand with `sort`, then again from the same order by exchange sort.
template <typename F> void ExpectSameAsExchangeSort(RecordStore& store, F sort) {
    const auto start = RecordOrder(store);
    sort();
    const auto merged = RecordOrder(store);
    std::copy(start.begin(), start.end(), store.recordOrder);
    ExchangeSort(store);
    ASSERT_EQ(merged, RecordOrder(store));
}

TEST(Sorting, MergeSortEqualsExchangeSortOnRandomData) {
    std::mt19937 random(20240314);
    for (int trial = 0; trial < 12; ++trial) {
        SCOPED_TRACE(trial);
        const int32_t records = trial < 2 ? trial : 40 + trial * 20;
        std::vector<std::vector<V>> rows(records);
        for (auto& row : rows) {
            for (int c = 0; c < 3; ++c)
                row.push_back(MixedValue(random));
            row.push_back(trial % 2 ? V::Str(words[random() % 12])
                                    : V::Date(40000 + random() % 90 + (random() % 4) / 4.0));
        }
        RecordStore store;
        LoadRows(store, rows);
        // Column moves with regrouping, and header clicks; the fourth column is of one kind.
        for (int action = 0; action < 12; ++action) {
            const int32_t position = static_cast<int32_t>(random() % 4);
            if (action % 4 == 0) {
                store.MoveColumn(position, static_cast<int32_t>(random() % 5));
                ASSERT_NO_FATAL_FAILURE(ExpectSameAsExchangeSort(
                    store, [&] { store.SetGroupLevelCount((trial + action / 4) % 3); }));
            } else {
                ASSERT_NO_FATAL_FAILURE(
                    ExpectSameAsExchangeSort(store, [&] { store.SortByColumn(position); }));
            }
        }
    }
}

} // namespace

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
