#include "ordering_support.h"
#include "store/value_compare.h"

#include <numeric>
#include <random>

namespace {

// The record order straight from its definition: lstrcmpA of the texts, refined by value,
// grouping levels first, with no cached keys or ranks.
int PlainCompare(const RecordStore& store, int32_t a, int32_t b) {
    for (int32_t level = 0; level < store.groupLevelCount; ++level) {
        const CellEntry& cellA = store.Cell(a, store.columnOrder[level]);
        const CellEntry& cellB = store.Cell(b, store.columnOrder[level]);
        const int text = lstrcmpA(KeyText(cellA), KeyText(cellB));
        if (text != 0)
            return CompareValues(cellA.value, cellB.value, text);
    }
    const int32_t column = store.sortPriority[0];
    const CellEntry& cellA = store.Cell(a, column);
    const CellEntry& cellB = store.Cell(b, column);
    const int text = lstrcmpA(DisplayText(cellA), DisplayText(cellB));
    const int result = text == 0 ? 0 : CompareValues(cellA.value, cellB.value, text);
    return store.sortAscending[column] ? result : -result;
}

// The exchange sort that the merge sort must agree with: every pass to the end, exchanging
// only on a strictly negative comparison.
void ExchangeSort(RecordStore& store) {
    int32_t* order = store.recordOrder;
    for (int32_t i = 0; i + 1 < store.recordCount; ++i)
        for (int32_t j = store.recordCount - 1; j > i; --j)
            if (PlainCompare(store, order[j], order[j - 1]) < 0)
                std::swap(order[j - 1], order[j]);
}

const wchar_t* const words[] = {L"apple", L"Apple", L"banana", L"b\u00e4r",  L"cherry", L"Zebra",
                                L"zebra", L"co-op", L"coop",   L"\u00e6sop", L"aesop",  L""};

// Words, numbers of three kinds, dates, currency and empties in one column; strings never
// read like numbers, so the comparison stays a consistent ordering.
TestVariant MixedValue(std::mt19937& random) {
    std::uniform_int_distribution<int> kind(0, 6), small(0, 11);
    switch (kind(random)) {
    case 0:
        return TestVariant::Str(words[small(random)]);
    case 1:
        return TestVariant::R8(small(random) * 0.5 - 2);
    case 2:
        return TestVariant::I4(small(random) - 3);
    case 3:
        return TestVariant::Date(TestVariant::DateOf(2020 + small(random) % 3, 1 + small(random),
                                                     1 + small(random) % 2, small(random)));
    case 4:
        return TestVariant::Cy((small(random) - 4) * 2500);
    case 5:
        return TestVariant::Str(words[small(random) % 4]);
    default:
        return TestVariant::Empty();
    }
}

TEST(Sorting, MergeSortEqualsExchangeSortOnRandomData) {
    std::mt19937 random(20240314);
    for (int trial = 0; trial < 12; ++trial) {
        const int32_t records = trial < 2 ? trial : 40 + trial * 20;
        std::vector<std::vector<TestVariant>> rows(records);
        for (auto& row : rows)
            for (int c = 0; c < 3; ++c)
                row.push_back(MixedValue(random));
        // A column of one kind (strings, or dates) is compared without visiting the cells.
        for (auto& row : rows)
            row.push_back(trial % 2
                              ? TestVariant::Str(words[random() % 12])
                              : TestVariant::Date(40000 + random() % 90 + (random() % 4) / 4.0));
        RecordStore store;
        LoadRows(store, rows);
        // Several user actions, each compared on the same starting order.
        const int32_t levels = trial % 3;
        for (int step = 0; step < 4; ++step) {
            store.groupLevelCount = levels;
            store.sortPriority[0] = (step + trial) % 4;
            store.sortAscending[store.sortPriority[0]] = step % 2;
            std::shuffle(store.columnOrder, store.columnOrder + 4, random);
            const auto start = RecordOrder(store);
            store.Sort();
            const auto merged = RecordOrder(store);
            std::copy(start.begin(), start.end(), store.recordOrder);
            ExchangeSort(store);
            ASSERT_EQ(merged, RecordOrder(store)) << "trial " << trial << " step " << step;
        }
        // Header clicks under real grouping levels, which sort inside the groups of the tree.
        store.groupLevelCount = 0;
        std::iota(store.columnOrder, store.columnOrder + 4, 0);
        store.Regroup(0);
        store.SetGroupLevelCount(levels);
        for (int click = 0; click < 5; ++click) {
            const auto start = RecordOrder(store);
            store.SortByColumn(static_cast<int32_t>(random() % 4));
            const auto clicked = RecordOrder(store);
            std::copy(start.begin(), start.end(), store.recordOrder);
            ExchangeSort(store);
            ASSERT_EQ(clicked, RecordOrder(store)) << "trial " << trial << " click " << click;
        }
    }
}

TEST(Sorting, HeaderClicksFollowTheDirectionRules) {
    RecordStore store;
    LoadStrings(store, {{L"b", L"1"}, {L"a", L"2"}, {L"c", L"1"}});
    EXPECT_EQ(RecordOrder(store), (std::vector<int32_t>{1, 0, 2}));
    store.SortByColumn(0); // first click on position 0 reverses the load's order
    EXPECT_EQ(store.sortAscending[0], 0);
    EXPECT_EQ(RecordOrder(store), (std::vector<int32_t>{2, 0, 1}));
    store.SortByColumn(1);
    EXPECT_EQ(store.sortPriority[0], 1);
    EXPECT_EQ(store.sortPriority[1], 0);
    EXPECT_EQ(RecordOrder(store), (std::vector<int32_t>{2, 0, 1})); // ties keep c before b
    store.SortByColumn(1); // descending: equal records keep their order
    EXPECT_EQ(RecordOrder(store), (std::vector<int32_t>{1, 2, 0}));
    store.SortByColumn(0); // back to column 0: ascending again
    EXPECT_EQ(store.sortAscending[0], 1);
    EXPECT_EQ(store.sortPosition, 0);
    EXPECT_EQ(RecordOrder(store), (std::vector<int32_t>{1, 0, 2}));
    store.SortByColumn(7); // no such header
    EXPECT_EQ(store.sortPosition, 0);
}

TEST(Sorting, GroupsStayAscendingUnderADescendingSortColumn) {
    RecordStore store;
    LoadRows(store, {{TestVariant::Str(L"B"), TestVariant::I4(10)},
                     {TestVariant::Str(L"A"), TestVariant::I4(9)},
                     {TestVariant::Str(L"B"), TestVariant::I4(2)},
                     {TestVariant::Str(L"A"), TestVariant::R8(9.5)}});
    ASSERT_TRUE(store.SetGroupLevelCount(1));
    store.SortByColumn(1);
    store.SortByColumn(1);
    EXPECT_EQ(RecordOrder(store), (std::vector<int32_t>{3, 1, 0, 2}));
    // Reversing the level's order is a walk matter: the records stay where they are.
    std::swap(store.recordOrder[0], store.recordOrder[1]);
    store.ToggleGroupOrder(0);
    EXPECT_EQ(RecordOrder(store), (std::vector<int32_t>{1, 3, 0, 2}));
    EXPECT_EQ(store.groupAscending[0], 0);
}

TEST(Sorting, DatesGroupByCaptionAndOrderByValue) {
    RecordStore store;
    const double march = TestVariant::DateOf(2024, 3, 14);
    const double april = TestVariant::DateOf(2024, 4, 2);
    LoadRows(
        store,
        {{TestVariant::Date(april)}, {TestVariant::Date(march + 3)}, {TestVariant::Date(march)}});
    ASSERT_TRUE(store.SetGroupLevelCount(1));
    // "2024 April" sorts before "2024 March" as text; the groups follow the dates.
    ASSERT_TRUE(store.cursor.Seek(0));
    EXPECT_EQ(Narrow(store.cursor.GroupCaption()), "2024 March");
    EXPECT_EQ(store.cursor.node->count, 2);
    EXPECT_EQ(RecordOrder(store), (std::vector<int32_t>{2, 1, 0}));
}

TEST(Sorting, TheWaitCursorEndsAsTheArrow) {
    RecordStore store;
    LoadStrings(store, {{L"x"}});
    SetCursor(LoadCursorA(nullptr, IDC_CROSS));
    store.Sort(); // a single record: nothing to compare, the cursor still resets
    EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_ARROW));
}

} // namespace
