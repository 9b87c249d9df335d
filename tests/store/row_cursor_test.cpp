#include "ordering_support.h"

namespace {

TEST(RowCursor, UngroupedRowsAreTheRecordsInOrder) {
    RecordStore store;
    LoadStrings(store, {{L"c"}, {L"a"}, {L"b"}});
    RowCursor& cursor = store.cursor;
    EXPECT_EQ(store.rowCount, 4);
    for (int32_t row = 0; row < 3; ++row) {
        ASSERT_TRUE(cursor.Seek(row));
        EXPECT_EQ(cursor.RecordAtCursor(), store.recordOrder[row]);
        EXPECT_EQ(cursor.RowGroupLevel(), -1);
    }
    EXPECT_EQ(Narrow(cursor.CellText(0)), "c");
    EXPECT_FALSE(cursor.Seek(3));
    EXPECT_EQ(cursor.row, 3); // still on the last row
    EXPECT_FALSE(cursor.StepForward());
    EXPECT_FALSE(cursor.Seek(-2));

    ASSERT_TRUE(cursor.Seek(0));
    ASSERT_TRUE(cursor.StepBack());
    EXPECT_EQ(cursor.row, 0);
    EXPECT_EQ(cursor.RecordAtCursor(), -1);
    EXPECT_EQ(cursor.RowGroupLevel(), -1);
    EXPECT_FALSE(cursor.StepBack());
    EXPECT_TRUE(cursor.Seek(-1));
}

TEST(RowCursor, GroupBoundariesAndCollapsedHeaders) {
    RecordStore store;
    LoadStrings(store, {{L"A", L"1"}, {L"B", L"2"}, {L"A", L"3"}});
    ASSERT_TRUE(store.SetGroupLevelCount(1));
    RowCursor& cursor = store.cursor;
    for (int32_t row = 0; row < 2; ++row) {
        ASSERT_TRUE(cursor.Seek(row));
        EXPECT_EQ(cursor.RowGroupLevel(), 0);
        EXPECT_EQ(cursor.RecordAtCursor(), -1);
    }
    EXPECT_EQ(Narrow(cursor.GroupCaption()), "B");
    EXPECT_FALSE(cursor.Seek(2));

    ASSERT_TRUE(cursor.Seek(0));
    store.rowCount += cursor.node->Expand(); // A: records 0 and 2
    ASSERT_TRUE(cursor.Seek(1));
    EXPECT_EQ(cursor.RecordAtCursor(), 0);
    ASSERT_TRUE(cursor.StepBack());
    EXPECT_EQ(cursor.RowGroupLevel(), 0);
    EXPECT_EQ(Narrow(cursor.GroupCaption()), "A");
    EXPECT_EQ(Narrow(cursor.CellText(1)), "1"); // a header reads its first record
    ASSERT_TRUE(cursor.Seek(2));
    EXPECT_EQ(cursor.RecordAtCursor(), 2);
    ASSERT_TRUE(cursor.StepForward());
    EXPECT_EQ(cursor.RowGroupLevel(), 0);
    EXPECT_EQ(Narrow(cursor.GroupCaption()), "B");
    EXPECT_FALSE(cursor.HasFollowingSibling(1));
    EXPECT_FALSE(cursor.HasFollowingSibling(2));
    ASSERT_TRUE(cursor.Seek(0));
    EXPECT_TRUE(cursor.HasFollowingSibling(1));
}

TEST(RowCursor, DescendingLevelWalksGroupsBackwards) {
    RecordStore store;
    LoadStrings(store, {{L"A", L"2"}, {L"B", L"3"}, {L"A", L"1"}, {L"C", L"4"}});
    store.SortByColumn(1);
    ASSERT_TRUE(store.SetGroupLevelCount(1));
    store.ToggleGroupOrder(0);
    RowCursor& cursor = store.cursor;
    std::vector<std::string> captions;
    for (int32_t row = 0; cursor.Seek(row); ++row)
        captions.push_back(cursor.GroupCaption());
    EXPECT_EQ(captions, (std::vector<std::string>{"C", "B", "A"}));
    EXPECT_FALSE(cursor.HasFollowingSibling(1)); // A is last when shown descending

    store.rowCount += cursor.node->Expand();
    std::vector<int32_t> records;
    for (int32_t row = 3; cursor.Seek(row); ++row)
        records.push_back(cursor.RecordAtCursor());
    EXPECT_EQ(records, (std::vector<int32_t>{2, 0})); // still in sorted order inside A
    // Walking back up from the end meets the same rows in reverse.
    ASSERT_TRUE(cursor.Seek(4));
    std::vector<int32_t> back;
    while (cursor.StepBack())
        back.push_back(cursor.RecordAtCursor() >= 0 ? cursor.RecordAtCursor() : -1);
    EXPECT_EQ(back, (std::vector<int32_t>{2, -1, -1, -1, -1}));
}

TEST(RowCursor, AnchorFollowsTheGroupOfItsFirstRecord) {
    RecordStore store;
    LoadStrings(store, {{L"A", L"1"}, {L"A", L"2"}, {L"B", L"3"}, {L"B", L"0"}});
    ASSERT_TRUE(store.SetGroupLevelCount(1));
    RowCursor& cursor = store.cursor;
    ASSERT_TRUE(cursor.Seek(1)); // B, first record 2
    store.SortByColumn(1);       // record 3 is now first in B
    EXPECT_EQ(cursor.row, 2);
    EXPECT_EQ(Narrow(cursor.GroupCaption()), "B");

    store.ToggleGroupOrder(0); // B now shows first
    EXPECT_EQ(cursor.row, 1);
    EXPECT_EQ(Narrow(cursor.GroupCaption()), "B");

    // No anchor: FindAnchor fails without moving.
    store.anchorRecord = -1;
    ASSERT_TRUE(cursor.Seek(1));
    EXPECT_FALSE(store.FindAnchor());
    EXPECT_EQ(cursor.row, 2);

    // An anchor that is not displayed: the search ends on the root row.
    store.anchorRecord = 0;
    store.anchorLevel = -1;
    EXPECT_FALSE(store.FindAnchor());
    EXPECT_EQ(cursor.row, 0);
    EXPECT_FALSE(store.RememberAnchor());
}

TEST(RowCursor, ALoadForgetsTheAnchor) {
    RecordStore store;
    LoadStrings(store, {{L"a"}, {L"b"}});
    ASSERT_TRUE(store.cursor.Seek(1));
    ASSERT_TRUE(store.RememberAnchor());
    LoadStrings(store, {{L"c"}, {L"d"}});
    EXPECT_EQ(store.anchorRecord, -1);
    EXPECT_FALSE(store.FindAnchor());
    EXPECT_EQ(store.cursor.row, 0); // the load put it on the root row
}

} // namespace
