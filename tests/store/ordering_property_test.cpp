#include "ordering_support.h"

namespace {

// Mixed kinds in columns 1 and 4; texts equal for the locale only when their bytes are.
std::vector<std::vector<V>> RandomTable(std::mt19937& random, int32_t records) {
    const wchar_t* colours[] = {L"red", L"green", L"blue", L"Blue"};
    const wchar_t* names[] = {L"ann", L"Ann", L"bob", L"cy", L"dee", L"eve"};
    std::vector<std::vector<V>> rows;
    for (int32_t r = 0; r < records; ++r) {
        const int v = static_cast<int>(random() % 1001);
        const V date = V::Date(V::DateOf(2023 + v % 2, 1 + v % 3, 1 + v % 28));
        const V number = v % 5 ? (v % 11 ? V::I4(v % 4) : date) : V::R8(v % 4 + 0.5);
        const V amount = v % 9 ? (v % 7 ? V::Cy(v % 6 * 10000) : V::Str(names[v % 6])) : V();
        rows.push_back({V::Str(colours[v % 4]), number, date, V::Str(names[(v / 7) % 6]), amount});
    }
    return rows;
}

std::string GroupKey(const RecordStore& store, int32_t position, int32_t levels) {
    std::string key;
    for (int32_t k = 0; k < levels; ++k)
        key += Utf8(KeyText(store.Cell(store.recordOrder[position], store.columnOrder[k]))) + "|";
    return key;
}

// Each depth's nodes are exactly the runs of equal keys (the order is the exchange sort's).
void CheckGroups(const RecordStore& store) {
    ASSERT_EQ(store.root.count, store.recordCount);
    std::vector<const GroupNode*> nodes{&store.root};
    for (int32_t k = 1; k <= store.groupLevelCount; ++k) {
        std::vector<std::pair<int32_t, int32_t>> runs, spans;
        for (int32_t p = 0; p < store.recordCount; ++p) {
            if (p > 0 && GroupKey(store, p, k) == GroupKey(store, p - 1, k))
                ++runs.back().second;
            else
                runs.push_back({p, 1});
        }
        std::vector<const GroupNode*> below;
        for (const GroupNode* node : nodes)
            for (const GroupNode* child = node->firstChild; child; child = child->next) {
                ASSERT_EQ(child->parent, node);
                ASSERT_TRUE(!child->expanded || node->expanded); // open only under open nodes
                below.push_back(child);
                spans.push_back({child->first, child->count});
            }
        ASSERT_EQ(spans, runs) << "level " << k - 1;
        nodes = below;
    }
    for (const GroupNode* node : nodes)
        ASSERT_EQ(node->firstChild, nullptr);
}

// rowCount, stepping and Seek(i) meet the model; a header reads its first record's texts.
void CheckRows(RecordStore& store, std::mt19937& random) {
    const std::vector<ModelRow> rows = ModelRows(store, store.root);
    ASSERT_EQ(store.rowCount, static_cast<int32_t>(rows.size()) + 1);
    RowCursor& cursor = store.cursor;
    auto SameRow = [&store](const RowCursor& cursor, const ModelRow& row) {
        if (row.record >= 0)
            return cursor.RecordAtCursor() == row.record;
        const int32_t first = store.recordOrder[row.node->first];
        return cursor.RowGroupLevel() == row.level && cursor.node == row.node &&
               cursor.HasFollowingSibling(row.level + 1) != row.last &&
               !wcscmp(cursor.GroupCaption(),
                       KeyText(store.Cell(first, store.columnOrder[row.level])));
    };
    cursor.Reset();
    for (const ModelRow& row : rows) {
        ASSERT_TRUE(cursor.StepForward());
        ASSERT_TRUE(SameRow(cursor, row)) << "row " << cursor.row;
        const int32_t first = row.record >= 0 ? row.record : store.recordOrder[row.node->first];
        for (int32_t p = 0; p <= store.columnCount; ++p) // past the last column: empty
            ASSERT_STREQ(
                cursor.CellText(p),
                p < store.columnCount ? DisplayText(store.Cell(first, store.columnOrder[p])) : L"");
    }
    ASSERT_FALSE(cursor.StepForward());
    for (int i = 0; i < 20 && !rows.empty(); ++i) {
        const int32_t target = static_cast<int32_t>(random() % rows.size());
        ASSERT_TRUE(cursor.Seek(target));
        ASSERT_EQ(cursor.row, target + 1);
        ASSERT_TRUE(SameRow(cursor, rows[target]));
    }
    // Past the end the cursor stays; before the root row it stops there, on no record.
    const int32_t at = cursor.row;
    ASSERT_FALSE(cursor.Seek(static_cast<int32_t>(rows.size())));
    ASSERT_EQ(cursor.row, at);
    ASSERT_FALSE(cursor.Seek(at % 2 ? -2 : INT32_MIN));
    ASSERT_EQ(std::pair(cursor.row, cursor.RecordAtCursor()), std::pair(0, -1));
    ASSERT_TRUE(cursor.Seek(-1));
    ASSERT_FALSE(cursor.StepBack());
}

// No group of `level` or deeper below `node` (whose children are of `depth`) is open.
bool ClosedFrom(const GroupNode& node, int32_t level, int32_t depth = 0) {
    for (const GroupNode* child = node.firstChild; child; child = child->next)
        if ((depth >= level && child->expanded) || !ClosedFrom(*child, level, depth + 1))
            return false;
    return true;
}

// The cursor shows the same record (level -1), or the group of `level` that holds it.
void CheckAnchor(const RecordStore& store, int32_t record, int32_t level) {
    const RowCursor& cursor = store.cursor;
    ASSERT_GT(cursor.row, 0);
    ASSERT_EQ(cursor.RowGroupLevel(), level);
    const int32_t* first =
        store.recordOrder + (level < 0 ? cursor.node->first + cursor.index : cursor.node->first);
    const int32_t count = level < 0 ? 1 : cursor.node->count;
    ASSERT_NE(std::find(first, first + count, record), first + count);
}

TEST(OrderingProperties, RandomOperationSequencesKeepEveryInvariant) {
    for (unsigned seed = 1; seed <= 6; ++seed) {
        SCOPED_TRACE(seed);
        std::mt19937 random(seed);
        RecordStore store;
        Load(store, MakeVariantTable(RandomTable(random, seed == 1 ? 1 : 25 * int32_t(seed))));
        auto any = [&](int32_t below) { return static_cast<int32_t>(random() % below); };
        ASSERT_NO_FATAL_FAILURE(ExpectSameAsExchangeSort(store, [&] { store.SortByColumn(0); }));
        for (int step = 0; step < 80; ++step) {
            const auto start = RecordOrder(store);
            const int32_t displayed = store.rowCount - 1;
            const int32_t current = displayed > 0 && any(8) ? any(displayed) : -1;
            ASSERT_TRUE(store.cursor.Seek(current));
            // The current row as data: its record, or its group's level and first record.
            const bool onHeader = current >= 0 && store.cursor.index < 0;
            const int32_t record = current < 0 ? -1
                                   : onHeader  ? store.recordOrder[store.cursor.node->first]
                                               : store.cursor.RecordAtCursor();
            const int32_t oldLevels = store.groupLevelCount;
            int32_t expectedLevel = onHeader ? store.cursor.RowGroupLevel() : -1;
            bool anchored = true;          // the operation keeps the current row on its data
            int32_t regrouped = INT32_MAX; // the groups from this level on are new, so closed
            int32_t sortColumn = store.columnOrder[store.sortPosition]; // follows moves and clicks
            const int kind = any(6);
            SCOPED_TRACE("step " + std::to_string(step) + " op " + std::to_string(kind));
            if (kind == 0) { // a click on the sort column reverses it, on another sorts ascending
                const int32_t position = any(5), column = store.columnOrder[position];
                const bool ascending =
                    position != store.sortPosition || !store.sortAscending[column];
                store.SortByColumn(position);
                ASSERT_EQ(store.sortAscending[column] != 0, ascending);
                ASSERT_EQ(store.sortPriority[0], sortColumn = column);
            } else if (kind == 1) {
                if (oldLevels == 0)
                    continue;
                store.ToggleGroupOrder(any(oldLevels));
            } else if (kind == 2) {
                const int32_t from = any(7) - 1, to = any(8) - 1; // out of range too
                const int32_t moved = from < to ? to - 1 : to, changed = std::min(from, moved);
                const bool moves = from >= 0 && from < 5 && to >= 0 && to <= 5 && moved != from;
                const std::vector<int32_t> columns(store.columnOrder, store.columnOrder + 5);
                ASSERT_EQ(store.MoveColumn(from, to), moves);
                ASSERT_TRUE(moves || std::equal(columns.begin(), columns.end(), store.columnOrder));
                regrouped = moves && changed < oldLevels ? changed : regrouped;
                if (moves && changed < oldLevels &&
                    (expectedLevel == -1 || expectedLevel >= changed))
                    expectedLevel = changed;
            } else if (kind == 3) {
                const int32_t count = any(8) - 1; // -1 and 6 are out of range
                const bool changes = count >= 0 && count <= 5 && count != oldLevels;
                ASSERT_EQ(store.SetGroupLevelCount(count), changes);
                // A record row added levels shows the new first level; removed levels drop out.
                regrouped = changes && count > oldLevels ? oldLevels : regrouped;
                if (changes)
                    expectedLevel = count > oldLevels
                                        ? (expectedLevel < 0 ? oldLevels : expectedLevel)
                                        : std::min(expectedLevel, count - 1);
            } else { // expand or collapse a header, as the engine does; closing closes below
                if (current < 0 || store.cursor.RowGroupLevel() < 0)
                    continue;
                const int32_t level = store.cursor.RowGroupLevel();
                GroupNode& node = *store.cursor.node;
                anchored = false;
                store.rowCount += node.expanded ? -node.Collapse() : node.Expand();
                ASSERT_TRUE(node.expanded || ClosedFrom(node, level + 1, level + 1));
            }
            ASSERT_TRUE(ClosedFrom(store.root, regrouped));
            ASSERT_EQ(RecordOrder(store), ExchangeSorted(store, start)) << "the order, stably";
            ASSERT_EQ(store.columnOrder[store.sortPosition], sortColumn);
            ASSERT_TRUE(IsPermutation(store.recordOrder, store.recordCount) &&
                        IsPermutation(store.columnOrder, store.columnCount) &&
                        IsPermutation(store.sortPriority, store.columnCount));
            ASSERT_NO_FATAL_FAILURE(if (anchored && current >= 0)
                                        CheckAnchor(store, record, expectedLevel));
            ASSERT_TRUE(!anchored || current >= 0 || store.cursor.row == 0);
            ASSERT_NO_FATAL_FAILURE(CheckGroups(store));
            ASSERT_NO_FATAL_FAILURE(CheckRows(store, random));
        }
        ASSERT_TRUE(store.SetData(nullptr, 0, 0, false)); // only the root row, whatever the levels
        ASSERT_EQ(std::pair(store.rowCount, store.root.firstChild == nullptr), std::pair(1, true));
    }
}

} // namespace
