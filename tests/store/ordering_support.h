#pragma once

// Helpers for the ordering and grouping tests: loading rows through the real SetData, and an
// independent, recursive model of the displayed rows to hold the cursor and the counts to.

#include "safe_array_builder.h"
#include "store/record_store.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

constexpr int32_t groupByMonth = 2;

inline void LoadRows(RecordStore& store, const std::vector<std::vector<TestVariant>>& rows) {
    SafeArrayBuilder table = MakeVariantTable(rows);
    ASSERT_TRUE(store.SetData(table.get(), 0, groupByMonth, false));
}

// Rows of strings, one string a cell.
inline void LoadStrings(RecordStore& store, const std::vector<std::vector<const wchar_t*>>& rows) {
    std::vector<std::vector<TestVariant>> values;
    for (const auto& row : rows) {
        values.emplace_back();
        for (const wchar_t* text : row)
            values.back().push_back(TestVariant::Str(text));
    }
    LoadRows(store, values);
}

inline std::vector<int32_t> RecordOrder(const RecordStore& store) {
    return std::vector<int32_t>(store.recordOrder, store.recordOrder + store.recordCount);
}

// One displayed row: a record, or the header of the group of `level` whose node is `node`.
struct ModelRow {
    int32_t record;
    int32_t level;
    const GroupNode* node;
};

inline bool LevelAscendingModel(const RecordStore& store, int32_t depth) {
    return depth == 0 || store.groupAscending[store.columnOrder[depth - 1]] != 0;
}

inline void ModelChildren(const RecordStore& store, const GroupNode* node, int32_t depth,
                          std::vector<ModelRow>& rows) {
    if (!node->expanded)
        return;
    if (depth == store.groupLevelCount) {
        for (int32_t i = 0; i < node->count; ++i)
            rows.push_back({store.recordOrder[node->first + i], -1, node});
        return;
    }
    std::vector<const GroupNode*> children;
    for (const GroupNode* child = node->firstChild; child; child = child->next)
        children.push_back(child);
    if (!LevelAscendingModel(store, depth + 1))
        std::reverse(children.begin(), children.end());
    for (const GroupNode* child : children) {
        rows.push_back({-1, depth, child});
        ModelChildren(store, child, depth + 1, rows);
    }
}

// The displayed rows, top to bottom, as the walk order defines them.
inline std::vector<ModelRow> ModelRows(const RecordStore& store) {
    std::vector<ModelRow> rows;
    if (store.recordCount > 0)
        ModelChildren(store, &store.root, 0, rows);
    return rows;
}

inline bool SameRow(const RowCursor& cursor, const ModelRow& row) {
    if (row.record >= 0)
        return cursor.RecordAtCursor() == row.record;
    return cursor.RowGroupLevel() == row.level && cursor.node == row.node;
}

inline bool IsPermutation(const int32_t* values, int32_t count) {
    std::vector<bool> seen(static_cast<size_t>(count), false);
    for (int32_t i = 0; i < count; ++i) {
        if (values[i] < 0 || values[i] >= count || seen[values[i]])
            return false;
        seen[values[i]] = true;
    }
    return true;
}

inline std::string Narrow(const char* text) {
    return text ? text : "";
}
