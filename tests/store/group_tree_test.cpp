#include "ordering_support.h"

namespace {

// Level-0 groups, in build order.
std::vector<const GroupNode*> Children(const GroupNode& node) {
    std::vector<const GroupNode*> children;
    for (const GroupNode* child = node.firstChild; child; child = child->next)
        children.push_back(child);
    return children;
}

void ExpectGroup(const GroupNode* node, int32_t first, int32_t count) {
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->first, first);
    EXPECT_EQ(node->count, count);
}

TEST(GroupTree, EmptyStoreHasOnlyTheRootRowWhateverTheLevels) {
    RecordStore store;
    EXPECT_EQ(store.rowCount, 1);
    LoadStrings(store, {{L"A", L"x"}, {L"B", L"y"}});
    ASSERT_TRUE(store.SetGroupLevelCount(2));
    ASSERT_NE(store.root.firstChild, nullptr);
    ASSERT_TRUE(store.SetData(nullptr, 0, 0, false));
    EXPECT_EQ(store.root.count, 0);
    EXPECT_EQ(store.rowCount, 1);
    EXPECT_EQ(store.root.firstChild, nullptr); // the groups of the old load are gone
    EXPECT_FALSE(store.cursor.Seek(0));
}

TEST(GroupTree, OneLevelOverAAB) {
    RecordStore store;
    LoadStrings(store, {{L"B"}, {L"A"}, {L"A"}});
    EXPECT_EQ(store.rowCount, 4); // no grouping: the root is the leaf
    ASSERT_TRUE(store.SetGroupLevelCount(1));
    const auto groups = Children(store.root);
    ASSERT_EQ(groups.size(), 2u);
    ExpectGroup(groups[0], 0, 2);
    ExpectGroup(groups[1], 2, 1);
    EXPECT_FALSE(groups[0]->expanded || groups[1]->expanded);
    EXPECT_EQ(store.rowCount, 3);
    EXPECT_EQ(store.root.count, 3);

    GroupNode* a = store.root.firstChild;
    EXPECT_EQ(a->Expand(), 2);
    EXPECT_EQ(a->Expand(), 0);
    EXPECT_EQ(a->Collapse(), 2);
    EXPECT_EQ(a->Collapse(), 0);
}

TEST(GroupTree, TwoLevelsCountRowsThroughExpandAndCollapse) {
    RecordStore store;
    LoadStrings(store, {{L"B", L"x"}, {L"A", L"y"}, {L"A", L"x"}, {L"A", L"x"}});
    ASSERT_TRUE(store.SetGroupLevelCount(2));
    const auto top = Children(store.root);
    ASSERT_EQ(top.size(), 2u);
    ExpectGroup(top[0], 0, 3);
    ExpectGroup(top[1], 3, 1);
    const auto underA = Children(*top[0]);
    ASSERT_EQ(underA.size(), 2u);
    ExpectGroup(underA[0], 0, 2);
    ExpectGroup(underA[1], 2, 1);
    const auto underB = Children(*top[1]);
    ASSERT_EQ(underB.size(), 1u);
    ExpectGroup(underB[0], 3, 1);
    EXPECT_EQ(store.rowCount, 3);

    GroupNode* a = store.root.firstChild;
    GroupNode* ax = a->firstChild;
    store.rowCount += a->Expand();
    EXPECT_EQ(store.rowCount, 5);
    store.rowCount += ax->Expand();
    EXPECT_EQ(store.rowCount, 7);
    EXPECT_EQ(static_cast<int32_t>(ModelRows(store).size()), store.rowCount - 1);

    // Closing A takes its open subgroup's rows along, and reopening shows it closed.
    store.rowCount -= a->Collapse();
    EXPECT_EQ(store.rowCount, 3);
    EXPECT_EQ(ax->expanded, 0);
    store.rowCount += a->Expand();
    EXPECT_EQ(store.rowCount, 5);
}

TEST(GroupTree, AddingALevelKeepsUpperGroupsOpen) {
    RecordStore store;
    LoadStrings(store, {{L"A", L"x"}, {L"A", L"y"}, {L"B", L"x"}});
    ASSERT_TRUE(store.SetGroupLevelCount(1));
    GroupNode* a = store.root.firstChild;
    store.rowCount += a->Expand();
    EXPECT_EQ(store.rowCount, 5);

    ASSERT_TRUE(store.SetGroupLevelCount(2));
    EXPECT_EQ(store.root.firstChild, a); // reused with its flag
    EXPECT_EQ(a->expanded, 1);
    ASSERT_NE(a->firstChild, nullptr);
    EXPECT_EQ(a->firstChild->expanded, 0);
    EXPECT_EQ(store.rowCount, 5); // root, A, A/x, A/y, B

    // Removing the level shows A's records again.
    ASSERT_TRUE(store.SetGroupLevelCount(1));
    EXPECT_EQ(a->firstChild, nullptr);
    EXPECT_EQ(store.rowCount, 5);
    EXPECT_FALSE(store.SetGroupLevelCount(1)); // same count: refused
}

TEST(GroupTree, MovingTheLevelZeroColumnRebuildsEverything) {
    RecordStore store;
    LoadStrings(store, {{L"A", L"x", L"1"}, {L"B", L"y", L"2"}, {L"A", L"y", L"3"}});
    ASSERT_TRUE(store.SetGroupLevelCount(1));
    store.rowCount += store.root.firstChild->Expand();
    ASSERT_TRUE(store.MoveColumn(1, 0));
    EXPECT_EQ(store.columnOrder[0], 1);
    EXPECT_EQ(store.columnOrder[1], 0);
    const auto groups = Children(store.root);
    ASSERT_EQ(groups.size(), 2u); // x and y
    for (const GroupNode* group : groups)
        EXPECT_EQ(group->expanded, 0);
    EXPECT_EQ(store.rowCount, 3);
    EXPECT_EQ(Narrow(store.Cell(store.recordOrder[0], 1).text), "x");
}

TEST(GroupTree, MovesThatChangeNoLevelNeitherSortNorRegroup) {
    RecordStore store;
    LoadStrings(store, {{L"b", L"q", L"3", L"m", L"n", L"z"},
                        {L"a", L"p", L"2", L"m", L"n", L"y"},
                        {L"a", L"p", L"1", L"m", L"n", L"x"}});
    EXPECT_FALSE(store.MoveColumn(3, 3));
    EXPECT_FALSE(store.MoveColumn(3, 4));
    store.SortByColumn(2); // inside the groups: r2, r1
    ASSERT_TRUE(store.SetGroupLevelCount(2));
    // Disturb the order inside a group; a re-sort would repair it.
    std::swap(store.recordOrder[0], store.recordOrder[1]);
    const auto before = RecordOrder(store);
    const GroupNode* firstGroup = store.root.firstChild;

    ASSERT_TRUE(store.MoveColumn(5, 2)); // lands at 2 == groupLevelCount: no level changes
    EXPECT_EQ(store.columnOrder[2], 5);
    EXPECT_EQ(RecordOrder(store), before);
    EXPECT_EQ(store.root.firstChild, firstGroup);

    ASSERT_TRUE(store.MoveColumn(5, 1)); // column 4 (was at 5) becomes level 1
    EXPECT_EQ(store.columnOrder[1], 4);
    EXPECT_EQ(store.columnOrder[2], 1);
    EXPECT_EQ(store.root.firstChild, firstGroup); // level 0 kept
    EXPECT_EQ(store.recordOrder[0], 2);           // re-sorted by column 2 inside the group
}

TEST(GroupTree, ColumnMovesKeepTheSortHeaderOnItsColumn) {
    RecordStore store;
    LoadStrings(store, {{L"a", L"b", L"c", L"d"}});
    store.SortByColumn(2);
    ASSERT_TRUE(store.MoveColumn(2, 0)); // the sort column itself
    EXPECT_EQ(store.sortPosition, 0);
    ASSERT_TRUE(store.MoveColumn(1, 4)); // from after it: unchanged
    EXPECT_EQ(store.sortPosition, 0);
    ASSERT_TRUE(store.MoveColumn(3, 0)); // inserted before it: shifts right
    EXPECT_EQ(store.sortPosition, 1);
    ASSERT_TRUE(store.MoveColumn(0, 3)); // taken from before it: shifts left
    EXPECT_EQ(store.sortPosition, 0);
    EXPECT_EQ(store.columnOrder[store.sortPosition], 2);
    EXPECT_TRUE(IsPermutation(store.columnOrder, store.columnCount));
}

TEST(GroupTree, OutOfRangeArgumentsChangeNothing) {
    RecordStore store;
    LoadStrings(store, {{L"a", L"b"}});
    EXPECT_FALSE(store.MoveColumn(-1, 0));
    EXPECT_FALSE(store.MoveColumn(0, 3));
    EXPECT_FALSE(store.MoveColumn(2, 0));
    EXPECT_FALSE(store.SetGroupLevelCount(3));
    EXPECT_FALSE(store.SetGroupLevelCount(-1));
    EXPECT_EQ(store.groupLevelCount, 0);
    EXPECT_EQ(store.columnOrder[0], 0);
}

TEST(GroupTree, NodesThatCannotBeAllocatedLeaveAConsistentTree) {
    std::vector<std::vector<TestVariant>> rows;
    for (int i = 0; i < 4000; ++i) {
        wchar_t key[16];
        swprintf(key, 16, L"k%05d", i / 2);
        rows.push_back({TestVariant::Str(key), TestVariant::I4(i)});
    }
    RecordStore store;
    LoadRows(store, rows);
    // A small fixed-size heap runs out after some hundreds of nodes; the store holds none yet.
    HANDLE full = HeapCreate(HEAP_NO_SERIALIZE, 0, 64 * 1024);
    ASSERT_NE(full, nullptr);
    HANDLE own = store.heap;
    store.heap = full;
    ASSERT_TRUE(store.SetGroupLevelCount(2));

    int32_t groups = 0, covered = 0;
    for (const GroupNode* group = store.root.firstChild; group; group = group->next) {
        EXPECT_EQ(group->first, covered); // the groups that exist cover the leading records
        covered += group->count;
        ++groups;
    }
    EXPECT_GT(groups, 0);
    EXPECT_LT(covered, store.recordCount);
    EXPECT_EQ(store.root.count, covered);
    EXPECT_EQ(store.rowCount, static_cast<int32_t>(ModelRows(store).size()) + 1);
    for (int32_t row = 0; row < store.rowCount - 1; ++row) {
        ASSERT_TRUE(store.cursor.Seek(row));
        store.rowCount += store.cursor.node->Expand();
    }
    EXPECT_EQ(store.rowCount, static_cast<int32_t>(ModelRows(store).size()) + 1);
    ASSERT_TRUE(store.cursor.Seek(store.rowCount - 2));
    EXPECT_GE(store.cursor.RecordAtCursor(), 0);

    // Without levels the nodes go back and every record shows again.
    ASSERT_TRUE(store.SetGroupLevelCount(0));
    EXPECT_EQ(store.rowCount, 1 + store.recordCount);
    store.heap = own;
    HeapDestroy(full);
}

} // namespace
