#include "ordering_support.h"

#include <array>

namespace {

using Spans = std::vector<std::pair<int32_t, int32_t>>;

// The (first, count) of each child of a node, in build order.
Spans Children(const GroupNode& node) {
    Spans children;
    for (const GroupNode* child = node.firstChild; child; child = child->next)
        children.push_back({child->first, child->count});
    return children;
}

// Row counts through repeated and nested expand and collapse; spans are the property test's.
TEST(GroupTree, WorkedExampleCountsRowsThroughExpandAndCollapse) {
    RecordStore store;
    LoadStrings(store, {{L"B", L"x"}, {L"A", L"y"}, {L"A", L"x"}, {L"A", L"x"}});
    ASSERT_TRUE(store.SetGroupLevelCount(2));
    GroupNode* a = store.root.firstChild;
    EXPECT_EQ(Children(*a), (Spans{{0, 2}, {2, 1}}));
    EXPECT_EQ(store.rowCount, 3); // the groups start closed
    // Closing a takes x's rows along; reopening it shows x closed.
    GroupNode* ax = a->firstChild;
    EXPECT_EQ((std::array{a->Expand(), a->Expand(), ax->Expand(), a->Collapse(), a->Collapse(),
                          a->Expand(), ax->expanded}),
              (std::array{2, 0, 2, 4, 0, 2, 0}));
    // Moving the level-0 column elsewhere regroups from level 0: every new group starts closed.
    ASSERT_TRUE(store.MoveColumn(0, 2));
    EXPECT_EQ(Children(store.root), (Spans{{0, 3}, {3, 1}}));
    for (const GroupNode* group = store.root.firstChild; group; group = group->next)
        EXPECT_FALSE(group->expanded);
    EXPECT_EQ(store.rowCount, 3);
    ASSERT_TRUE(store.SetData(nullptr, 0, 0, false)); // only the root row, whatever the levels
    EXPECT_EQ(store.rowCount + (store.root.firstChild != nullptr), 1);
}

TEST(GroupTree, OutOfRangeMovesAndLevelCountsAreRefused) {
    RecordStore store;
    LoadStrings(store, {{L"a", L"b", L"c", L"d"}});
    for (auto [from, to] : {std::pair{-1, 0}, {0, 5}, {4, 0}, {2, 2}, {2, 3}})
        EXPECT_FALSE(store.MoveColumn(from, to)) << from << "->" << to;
    for (int32_t count : {5, -1, 0}) // 0: the count it has
        EXPECT_FALSE(store.SetGroupLevelCount(count)) << count;
    EXPECT_TRUE(IsPermutation(store.columnOrder, store.columnCount) && store.columnOrder[3] == 3);
}

} // namespace
