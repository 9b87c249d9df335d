#pragma once

// Loading through the real SetData; independent models of the record order and displayed rows.

#include "safe_array_builder.h"
#include "store/record_store.h"
#include "store/value_compare.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <random>
#include <tuple>
#include <vector>

using V = TestVariant;

// A stored text in UTF-8, for readable expectations; absent reads as empty.
inline std::string Utf8(const wchar_t* text) {
    if (!text)
        return "";
    std::string bytes(WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr), 0);
    WideCharToMultiByte(CP_UTF8, 0, text, -1, &bytes[0], int(bytes.size()), nullptr, nullptr);
    bytes.pop_back();
    return bytes;
}

inline void Load(RecordStore& store, const SafeArrayBuilder& table) {
    ASSERT_TRUE(store.SetData(table.get(), 0, 2 /* group dates by month */, false));
}

inline std::vector<int32_t> RecordOrder(const RecordStore& store) {
    return std::vector<int32_t>(store.recordOrder, store.recordOrder + store.recordCount);
}

// The order by definition: grouping levels, then lstrcmpW of the texts refined by value.
inline int PlainCompare(const RecordStore& store, int32_t a, int32_t b) {
    for (int32_t level = 0;; ++level) {
        const bool sortLevel = level == store.groupLevelCount;
        const int32_t column = sortLevel ? store.sortPriority[0] : store.columnOrder[level];
        const CellEntry &cellA = store.Cell(a, column), &cellB = store.Cell(b, column);
        const int text = sortLevel ? lstrcmpW(DisplayText(cellA), DisplayText(cellB))
                                   : lstrcmpW(KeyText(cellA), KeyText(cellB));
        const int result = text == 0 ? 0 : CompareValues(cellA.value, cellB.value, text);
        if (sortLevel)
            return store.sortAscending[column] ? result : -result;
        if (text != 0)
            return result;
    }
}

// What a stable exchange sort (swapping only on a strict "less") gives from `order`.
inline std::vector<int32_t> ExchangeSorted(const RecordStore& store, std::vector<int32_t> order) {
    for (size_t i = 0; i + 1 < order.size(); ++i)
        for (size_t j = order.size() - 1; j > i; --j)
            if (PlainCompare(store, order[j], order[j - 1]) < 0)
                std::swap(order[j - 1], order[j]);
    return order;
}

template <typename F> void ExpectSameAsExchangeSort(RecordStore& store, F sort) {
    const auto start = RecordOrder(store);
    sort();
    ASSERT_EQ(RecordOrder(store), ExchangeSorted(store, start));
}

// A record (level -1) or group header of `level`, last among its shown siblings or not.
struct ModelRow {
    int32_t record, level;
    const GroupNode* node;
    bool last;
};

// The displayed rows under `node`, top to bottom; under the root all but the root row.
inline std::vector<ModelRow> ModelRows(const RecordStore& store, const GroupNode& node,
                                       int32_t depth = 0) {
    std::vector<ModelRow> rows;
    if (!node.expanded)
        return rows;
    for (int32_t i = 0; depth == store.groupLevelCount && i < node.count; ++i)
        rows.push_back({store.recordOrder[node.first + i], -1, &node, false});
    std::vector<const GroupNode*> children;
    for (const GroupNode* child = node.firstChild; child; child = child->next)
        children.push_back(child);
    if (depth < store.groupLevelCount && !store.groupAscending[store.columnOrder[depth]])
        std::reverse(children.begin(), children.end());
    for (const GroupNode* child : children) {
        rows.push_back({-1, depth, child, child == children.back()});
        const std::vector<ModelRow> below = ModelRows(store, *child, depth + 1);
        rows.insert(rows.end(), below.begin(), below.end());
    }
    return rows;
}

inline int Sign(int value) {
    return (value > 0) - (value < 0);
}

inline bool IsPermutation(const int32_t* values, int32_t count) {
    std::vector<int32_t> identity(static_cast<size_t>(count));
    std::iota(identity.begin(), identity.end(), 0);
    return std::is_permutation(values, values + count, identity.begin());
}
