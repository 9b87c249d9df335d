#include "ordering_support.h"

#include <random>
#include <set>
#include <string>

using namespace std::string_literals;

namespace {

// Grouping columns hold texts whose locale order equals byte identity, so the test can tell
// groups apart by comparing bytes.
std::vector<std::vector<TestVariant>> RandomTable(std::mt19937& random, int32_t records) {
    const wchar_t* colours[] = {L"red", L"green", L"blue", L"Blue"};
    const wchar_t* names[] = {L"ann", L"Ann", L"bob", L"cy", L"dee", L"eve"};
    std::uniform_int_distribution<int> pick(0, 1000);
    std::vector<std::vector<TestVariant>> rows;
    for (int32_t r = 0; r < records; ++r) {
        const int v = pick(random);
        rows.push_back({TestVariant::Str(colours[v % 4]),
                        v % 5 == 0 ? TestVariant::R8(v % 4 + 0.5) : TestVariant::I4(v % 4),
                        TestVariant::Date(TestVariant::DateOf(2023 + v % 2, 1 + v % 3, 1 + v % 28)),
                        TestVariant::Str(names[(v / 7) % 6]),
                        v % 9 == 0 ? TestVariant::Empty() : TestVariant::Cy((v % 6) * 10000)});
    }
    return rows;
}

std::string GroupKey(const RecordStore& store, int32_t position, int32_t levels) {
    std::string key;
    for (int32_t k = 0; k < levels; ++k)
        key += KeyText(store.Cell(store.recordOrder[position], store.columnOrder[k])) + "|"s;
    return key;
}

// Groups are contiguous runs in ascending order, and every node of the tree is exactly one
// such run.
void CheckGroups(const RecordStore& store) {
    const int32_t levels = store.groupLevelCount;
    for (int32_t k = 1; k <= levels; ++k) {
        std::set<std::string> closed;
        for (int32_t p = 1; p < store.recordCount; ++p) {
            const std::string previous = GroupKey(store, p - 1, k), current = GroupKey(store, p, k);
            if (previous == current)
                continue;
            closed.insert(previous);
            ASSERT_EQ(closed.count(current), 0u) << "group split at position " << p;
            const int32_t level = store.FirstDifferingLevel(p - 1, p);
            ASSERT_LT(level, k);
            ASSERT_LT(store.CompareCells(store.recordOrder[p - 1], store.recordOrder[p],
                                         store.columnOrder[level], true),
                      0);
        }
    }
    // Every node covers a maximal run of one key, its children partition it.
    std::vector<std::pair<const GroupNode*, int32_t>> pending{{&store.root, 0}};
    EXPECT_EQ(store.root.count, store.recordCount);
    while (!pending.empty()) {
        auto [node, depth] = pending.back();
        pending.pop_back();
        if (depth > 0 && node->count > 0) {
            const std::string key = GroupKey(store, node->first, depth);
            ASSERT_EQ(GroupKey(store, node->first + node->count - 1, depth), key);
            if (node->first > 0) {
                ASSERT_NE(GroupKey(store, node->first - 1, depth), key);
            }
            if (node->first + node->count < store.recordCount) {
                ASSERT_NE(GroupKey(store, node->first + node->count, depth), key);
            }
        }
        ASSERT_EQ(node->firstChild != nullptr, depth < levels && node->count > 0);
        int32_t next = node->first;
        for (const GroupNode* child = node->firstChild; child; child = child->next) {
            ASSERT_EQ(child->parent, node);
            ASSERT_EQ(child->first, next);
            next += child->count;
            if (child->expanded) {
                ASSERT_TRUE(node->expanded);
            }
            pending.push_back({child, depth + 1});
        }
        if (node->firstChild) {
            ASSERT_EQ(next, node->first + node->count);
        }
    }
}

void CheckRows(RecordStore& store, std::mt19937& random) {
    const std::vector<ModelRow> rows = ModelRows(store);
    ASSERT_EQ(store.rowCount, static_cast<int32_t>(rows.size()) + 1);
    RowCursor& cursor = store.cursor;
    cursor.Reset();
    for (const ModelRow& row : rows) {
        ASSERT_TRUE(cursor.StepForward());
        ASSERT_TRUE(SameRow(cursor, row)) << "row " << cursor.row;
    }
    ASSERT_FALSE(cursor.StepForward());
    for (size_t i = rows.size(); i-- > 0;) {
        ASSERT_TRUE(SameRow(cursor, rows[i]));
        ASSERT_TRUE(cursor.StepBack());
    }
    ASSERT_FALSE(cursor.StepBack());
    // Seek from wherever the cursor stands lands on the same rows as stepping.
    std::uniform_int_distribution<size_t> pick(0, rows.empty() ? 0 : rows.size() - 1);
    for (int i = 0; i < 20 && !rows.empty(); ++i) {
        const size_t target = pick(random);
        ASSERT_TRUE(cursor.Seek(static_cast<int32_t>(target)));
        ASSERT_EQ(cursor.row, static_cast<int32_t>(target) + 1);
        ASSERT_TRUE(SameRow(cursor, rows[target]));
    }
}

struct Shown {
    int32_t record; // the row's record, or its group's first record
    int32_t level;  // -1 on a record row
};

Shown CurrentShown(const RecordStore& store) {
    const RowCursor& cursor = store.cursor;
    if (cursor.index >= 0)
        return {cursor.RecordAtCursor(), -1};
    return {store.recordOrder[cursor.node->first], cursor.RowGroupLevel()};
}

void CheckAnchor(const RecordStore& store, const Shown& before, int32_t expectedLevel) {
    const RowCursor& cursor = store.cursor;
    ASSERT_GT(cursor.row, 0);
    ASSERT_EQ(cursor.RowGroupLevel(), expectedLevel);
    if (expectedLevel == -1) {
        ASSERT_EQ(cursor.RecordAtCursor(), before.record);
        return;
    }
    bool holds = false;
    for (int32_t i = 0; i < cursor.node->count; ++i)
        holds = holds || store.recordOrder[cursor.node->first + i] == before.record;
    ASSERT_TRUE(holds);
}

void RunSequence(unsigned seed, int32_t records) {
    std::mt19937 random(seed);
    RecordStore store;
    LoadRows(store, RandomTable(random, records));
    std::uniform_int_distribution<int> op(0, 5), column(0, 4), any(0, 1 << 20);
    for (int step = 0; step < 80; ++step) {
        const int32_t displayed = store.rowCount - 1;
        const int32_t current = displayed > 0 && any(random) % 8 ? any(random) % displayed : -1;
        ASSERT_TRUE(store.cursor.Seek(current));
        const Shown before = current >= 0 ? CurrentShown(store) : Shown{-1, -1};
        const int32_t oldLevels = store.groupLevelCount;
        int32_t expectedLevel = before.level;
        bool anchored = true; // the operation keeps the current row on its data
        const int kind = op(random);
        SCOPED_TRACE("step " + std::to_string(step) + " op " + std::to_string(kind));
        switch (kind) {
        case 0:
            store.SortByColumn(column(random));
            break;
        case 1:
            if (oldLevels == 0)
                continue;
            store.ToggleGroupOrder(any(random) % oldLevels);
            break;
        case 2: {
            const int32_t from = column(random), to = any(random) % 6;
            const int32_t moved = from < to ? to - 1 : to;
            const int32_t changed = std::min(from, moved);
            if (!store.MoveColumn(from, to)) {
                ASSERT_EQ(moved, from);
                continue;
            }
            if (changed < oldLevels && (expectedLevel == -1 || expectedLevel >= changed))
                expectedLevel = changed;
            break;
        }
        case 3: {
            const int32_t count = any(random) % 4;
            if (!store.SetGroupLevelCount(count)) {
                ASSERT_EQ(count, oldLevels);
                continue;
            }
            if (count > oldLevels && expectedLevel == -1)
                expectedLevel = oldLevels;
            if (count < oldLevels && expectedLevel > count - 1)
                expectedLevel = count - 1;
            break;
        }
        default: { // expand or collapse a header, as the engine does
            if (current < 0 || store.cursor.RowGroupLevel() < 0)
                continue;
            GroupNode* node = store.cursor.node;
            anchored = false;
            if (node->expanded)
                store.rowCount -= node->Collapse();
            else
                store.rowCount += node->Expand();
            break;
        }
        }
        ASSERT_TRUE(IsPermutation(store.recordOrder, store.recordCount));
        ASSERT_TRUE(IsPermutation(store.columnOrder, store.columnCount));
        ASSERT_TRUE(IsPermutation(store.sortPriority, store.columnCount));
        if (anchored && current >= 0) {
            ASSERT_NO_FATAL_FAILURE(CheckAnchor(store, before, expectedLevel));
        } else if (anchored) {
            ASSERT_EQ(store.cursor.row, 0);
        }
        ASSERT_NO_FATAL_FAILURE(CheckGroups(store));
        ASSERT_NO_FATAL_FAILURE(CheckRows(store, random));
    }
}

TEST(OrderingProperties, RandomOperationSequencesKeepEveryInvariant) {
    for (unsigned seed = 1; seed <= 6; ++seed) {
        SCOPED_TRACE(seed);
        RunSequence(seed, seed == 1 ? 1 : 25 * static_cast<int32_t>(seed));
    }
}

} // namespace
