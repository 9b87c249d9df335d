#include "engine/engine_test_support.h"

// The current row and the selected record derived from it, across selection, expanding,
// collapsing and changes of the order and the grouping.

namespace {

class CurrentRow : public EngineWindowTest {
protected:
    // Groups by column 0: a (2 records), b (3 records), c (1 record).
    void LoadGrouped() {
        Open(300, 300);
        ASSERT_TRUE(Load(TableOf({{L"b", L"b1"},
                                  {L"a", L"a1"},
                                  {L"c", L"c1"},
                                  {L"b", L"b2"},
                                  {L"a", L"a2"},
                                  {L"b", L"b3"}})));
        ASSERT_TRUE(engine.SetGroupLevelsKeepingRow(1));
    }
    // Display row of the record whose column 1 reads text, -1 when not shown.
    int32_t RowOf(const char* text) {
        for (int32_t row = 0; row < engine.DisplayedRows(); ++row) {
            engine.store.cursor.Seek(row);
            if (engine.store.cursor.RowGroupLevel() == -1 &&
                lstrcmpA(engine.store.cursor.CellText(1), text) == 0)
                return row;
        }
        return -1;
    }
    bool IsHeader(int32_t row) {
        return engine.store.cursor.Seek(row) && engine.store.cursor.RowGroupLevel() != -1;
    }
};

} // namespace

TEST_F(CurrentRow, LoadMakesTheFirstRowCurrentAndReportsItsRecord) {
    Open(300, 200);
    ASSERT_TRUE(Load(TableOf({{L"c"}, {L"a"}, {L"b"}})));
    EXPECT_EQ(engine.currentRow, 0);
    EXPECT_EQ(engine.selectedRecord, 1) << "record 1 sorts first";
    ASSERT_EQ(engine.reported.size(), 1u);
    // The same first record after a reload: nothing new to report.
    ASSERT_TRUE(Load(TableOf({{L"z"}, {L"a"}})));
    EXPECT_EQ(engine.reported.size(), 1u);
}

TEST_F(CurrentRow, NoRecordsMeansNoCurrentRow) {
    Open(300, 200);
    ASSERT_TRUE(Load(TextTable(0, 3)));
    EXPECT_EQ(engine.currentRow, -1);
    EXPECT_EQ(engine.selectedRecord, -1);
    EXPECT_TRUE(engine.SelectRow(5));
    EXPECT_EQ(engine.currentRow, -1);
    EXPECT_TRUE(engine.reported.empty());
}

TEST_F(CurrentRow, SelectRowClampsToTheDisplayedRows) {
    Open(300, 200);
    ASSERT_TRUE(Load(TextTable(40, 2)));
    engine.SelectRow(-5);
    EXPECT_EQ(engine.currentRow, 0);
    engine.SelectRow(1000);
    EXPECT_EQ(engine.currentRow, 39);
    EXPECT_EQ(engine.selectedRecord, engine.store.recordOrder[39]);
    EXPECT_EQ(engine.topRow, 40 - engine.pageRows) << "the last row is brought into view";
    EXPECT_EQ(engine.reported.back(), engine.selectedRecord);
}

TEST_F(CurrentRow, GroupHeaderRowsSelectNoRecord) {
    LoadGrouped();
    ASSERT_EQ(engine.DisplayedRows(), 3) << "three collapsed groups";
    engine.SelectRow(1);
    EXPECT_EQ(engine.currentRow, 1);
    EXPECT_EQ(engine.selectedRecord, -1);
    EXPECT_EQ(engine.reported.back(), -1);
    EXPECT_FALSE(engine.ExpandRow(7));
}

TEST_F(CurrentRow, ExpandingAboveKeepsTheSameRecordCurrent) {
    LoadGrouped();
    ASSERT_TRUE(engine.ExpandRow(2)); // group c
    const int32_t c1 = RowOf("c1");
    ASSERT_EQ(c1, 3);
    engine.SelectRow(c1);
    const int32_t record = engine.selectedRecord;
    ASSERT_NE(record, -1);
    const size_t reports = engine.reported.size();

    ASSERT_TRUE(engine.ExpandRow(0)); // group a, two records
    EXPECT_EQ(engine.currentRow, c1 + 2);
    EXPECT_EQ(engine.selectedRecord, record);
    EXPECT_EQ(RowOf("c1"), engine.currentRow);
    EXPECT_EQ(engine.reported.size(), reports) << "the selection did not change";

    // Expanding an open group adds nothing.
    ASSERT_TRUE(engine.ExpandRow(0));
    EXPECT_EQ(engine.currentRow, c1 + 2);
    EXPECT_EQ(engine.DisplayedRows(), 6);
}

TEST_F(CurrentRow, CollapsingTheCurrentRecordsGroupSelectsItsHeader) {
    LoadGrouped();
    ExpandAll(engine);
    ASSERT_EQ(engine.DisplayedRows(), 9);
    const int32_t b2 = RowOf("b2");
    engine.SelectRow(b2);
    ASSERT_NE(engine.selectedRecord, -1);
    ASSERT_TRUE(IsHeader(3));
    ASSERT_TRUE(engine.CollapseRow(3));
    EXPECT_EQ(engine.currentRow, 3);
    EXPECT_EQ(engine.selectedRecord, -1);
    EXPECT_EQ(engine.reported.back(), -1);
    EXPECT_EQ(engine.DisplayedRows(), 6);

    // Collapsing above moves the current row up with its content.
    engine.SelectRow(RowOf("c1"));
    const int32_t record = engine.selectedRecord;
    ASSERT_TRUE(engine.CollapseRow(0));
    EXPECT_EQ(engine.currentRow, RowOf("c1"));
    EXPECT_EQ(engine.selectedRecord, record);
}

TEST_F(CurrentRow, RecordRowsNeitherExpandNorCollapse) {
    LoadGrouped();
    ExpandAll(engine);
    const int32_t a1 = RowOf("a1");
    engine.SelectRow(a1);
    const int32_t rows = engine.DisplayedRows();
    EXPECT_FALSE(engine.ExpandRow(a1));
    EXPECT_FALSE(engine.CollapseRow(a1));
    EXPECT_FALSE(engine.ToggleRow(a1));
    EXPECT_EQ(engine.DisplayedRows(), rows);
    EXPECT_EQ(engine.currentRow, a1);
    // A header toggles.
    EXPECT_TRUE(engine.ToggleRow(0));
    EXPECT_EQ(engine.DisplayedRows(), rows - 2);
    EXPECT_TRUE(engine.ToggleRow(0));
    EXPECT_EQ(engine.DisplayedRows(), rows);
}

TEST_F(CurrentRow, ReversingAGroupLevelKeepsTheSameGroupCurrent) {
    LoadGrouped();
    engine.SelectRow(0); // group a
    engine.ReverseGroupOrder(0);
    EXPECT_EQ(engine.currentRow, 2) << "a is now the last group";
    engine.store.cursor.Seek(engine.currentRow);
    EXPECT_STREQ(engine.store.cursor.GroupCaption(), "a");
}

TEST_F(CurrentRow, AddingAndRemovingLevelsFollowsTheAnchor) {
    Open(300, 300);
    ASSERT_TRUE(Load(TableOf({{L"b", L"b1"}, {L"a", L"a1"}, {L"b", L"b2"}})));
    engine.SelectRow(2); // b2 (rows: a1, b1, b2)
    const int32_t record = engine.selectedRecord;
    ASSERT_TRUE(engine.SetGroupLevelsKeepingRow(1));
    EXPECT_EQ(engine.currentRow, 1) << "the header of group b";
    engine.SyncSelection();
    EXPECT_EQ(engine.selectedRecord, -1);

    ASSERT_TRUE(engine.SetGroupLevelsKeepingRow(0));
    EXPECT_EQ(engine.currentRow, 1) << "the row of b's first record, b1";
    engine.SyncSelection();
    EXPECT_NE(engine.selectedRecord, record);
    EXPECT_EQ(engine.selectedRecord, 0);
}

TEST_F(CurrentRow, OrderChangesWithoutACurrentRowKeepNone) {
    Open(300, 300);
    ASSERT_TRUE(Load(TextTable(0, 2)));
    ASSERT_EQ(engine.currentRow, -1);
    engine.SortRowsByColumn(1);
    EXPECT_EQ(engine.currentRow, -1);
    engine.SetGroupLevelsKeepingRow(1);
    EXPECT_EQ(engine.currentRow, -1);
}

TEST_F(CurrentRow, SortingKeepsTheSameRecordCurrent) {
    Open(300, 300);
    ASSERT_TRUE(Load(TableOf({{L"1", L"z"}, {L"2", L"y"}, {L"3", L"x"}})));
    engine.SelectRow(0);
    ASSERT_EQ(engine.selectedRecord, 0);
    engine.SortRowsByColumn(1);
    EXPECT_EQ(engine.currentRow, 2);
    engine.SyncSelection();
    EXPECT_EQ(engine.selectedRecord, 0);
}
