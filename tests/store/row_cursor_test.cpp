#include "ordering_support.h"

namespace {

TEST(RowCursor, UngroupedRowsAreTheRecordsAndSeekingPastTheEndFails) {
    RecordStore store;
    Load(store, TableOf({{L"c"}, {L"a"}, {L"b"}}));
    RowCursor& cursor = store.cursor;
    ASSERT_TRUE(cursor.Seek(2));
    EXPECT_STREQ(cursor.CellText(0), L"c");
    EXPECT_STREQ(cursor.CellText(1), L""); // past the last column
    EXPECT_FALSE(cursor.Seek(3));
    EXPECT_EQ(cursor.row, 3); // still on the last row
    EXPECT_FALSE(cursor.StepForward());
    EXPECT_FALSE(cursor.Seek(-2)); // steps back until a step fails: on the root row
    EXPECT_EQ(std::pair(cursor.row, cursor.index), std::pair(0, -1));
    ASSERT_TRUE(cursor.Seek(1));
    EXPECT_FALSE(cursor.Seek(INT32_MIN));
    EXPECT_EQ(cursor.row, 0);
    ASSERT_TRUE(cursor.Seek(-1)); // the hidden root row
    EXPECT_EQ(cursor.row, 0);
    EXPECT_EQ(cursor.RecordAtCursor(), -1);
    EXPECT_FALSE(cursor.StepBack());
}

} // namespace
