#include "ordering_support.h"

#include <array>
#include <utility>

namespace {

using Spans = std::vector<std::pair<int32_t, int32_t>>;

// The (first, count) of each child of a node, in build order.
Spans Children(const GroupNode& node) {
    Spans children;
    for (const GroupNode* child = node.firstChild; child; child = child->next)
        children.push_back({child->first, child->count});
    return children;
}

TEST(GroupTree, WorkedExamplesCountRowsThroughExpandAndCollapse) {
    RecordStore store;
    LoadStrings(store, {{L"B"}, {L"A"}, {L"A"}});
    EXPECT_EQ(store.rowCount, 4); // no grouping: the root is the leaf
    ASSERT_TRUE(store.SetGroupLevelCount(1));
    EXPECT_EQ(Children(store.root), (Spans{{0, 2}, {2, 1}}));
    EXPECT_EQ(store.rowCount, 3);
    EXPECT_FALSE(store.root.firstChild->expanded || store.root.lastChild->expanded);
    GroupNode& first = *store.root.firstChild; // rows each call adds or removes, in order:
    EXPECT_EQ((std::array{first.Expand(), first.Expand(), first.Collapse(), first.Collapse()}),
              (std::array{2, 0, 2, 0}));

    LoadStrings(store, {{L"B", L"x"}, {L"A", L"y"}, {L"A", L"x"}, {L"A", L"x"}});
    ASSERT_TRUE(store.SetGroupLevelCount(2));
    GroupNode* a = store.root.firstChild;
    GroupNode* ax = a->firstChild;
    EXPECT_EQ(Children(store.root), (Spans{{0, 3}, {3, 1}}));
    EXPECT_EQ(Children(*a), (Spans{{0, 2}, {2, 1}}));
    EXPECT_EQ(Children(*a->next), (Spans{{3, 1}}));
    EXPECT_EQ(store.rowCount, 3);
    store.rowCount += a->Expand();
    EXPECT_EQ(store.rowCount, 5);
    store.rowCount += ax->Expand();
    EXPECT_EQ(store.rowCount, 7);
    EXPECT_EQ(ModelRows(store).size(), 6u);
    store.rowCount -= a->Collapse(); // takes the open subgroup's rows along
    EXPECT_EQ(store.rowCount, 3);
    store.rowCount += a->Expand();
    EXPECT_EQ(store.rowCount, 5);
    EXPECT_EQ(ax->expanded, 0);                       // and reopening shows it closed
    ASSERT_TRUE(store.SetData(nullptr, 0, 0, false)); // only the root row, whatever the levels
    EXPECT_EQ(store.rowCount + (store.root.firstChild != nullptr), 1);
}

TEST(GroupTree, OutOfRangeMovesAndLevelCountsAreRefused) {
    RecordStore store;
    LoadStrings(store, {{L"a", L"b", L"c", L"d"}});
    for (auto [from, to] : {std::pair{-1, 0}, {0, 5}, {4, 0}, {2, 2}, {2, 3}})
        EXPECT_FALSE(store.MoveColumn(from, to)) << from << "->" << to;
    EXPECT_FALSE(store.SetGroupLevelCount(5));
    EXPECT_FALSE(store.SetGroupLevelCount(-1));
    EXPECT_FALSE(store.SetGroupLevelCount(0)); // the count it has
    EXPECT_TRUE(IsPermutation(store.columnOrder, store.columnCount) && store.columnOrder[3] == 3);
}

} // namespace
