#include "engine/engine_test_support.h"

// The current row and its record across selection, expanding, collapsing, sorting and grouping.

namespace {

class CurrentRow : public EngineWindowTest {
protected:
    // Grouped by column 0: a (2 records), b (3 records), c (1 record), all collapsed.
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
        for (int32_t row = 0; row < engine.DisplayedRows(); ++row)
            if (engine.store.cursor.Seek(row) && engine.store.cursor.RowGroupLevel() == -1 &&
                lstrcmpA(engine.store.cursor.CellText(1), text) == 0)
                return row;
        return -1;
    }
};

} // namespace

TEST_F(CurrentRow, LoadSelectsTheFirstRowAndSelectRowClamps) {
    Open(300, 200);
    ASSERT_TRUE(Load(TableOf({{L"c"}, {L"a"}, {L"b"}})));
    EXPECT_EQ(engine.view.currentRow, 0);
    EXPECT_EQ(engine.reported, std::vector<int32_t>{1}) << "record 1 sorts first";
    ASSERT_TRUE(Load(TableOf({{L"z"}, {L"a"}})));
    EXPECT_EQ(engine.reported.size(), 1u) << "the same first record: nothing new to report";
    ASSERT_TRUE(Load(TextTable(40, 2)));
    for (auto [row, clamped] : {std::pair{-5, 0}, {1000, 39}}) {
        engine.SelectRow(row);
        EXPECT_EQ(engine.view.currentRow, clamped);
    }
    EXPECT_EQ(engine.reported.back(), engine.store.recordOrder[39]);
}

TEST_F(CurrentRow, ExpandingAndCollapsingAboveKeepTheRecordCollapsingItsGroupSelectsTheHeader) {
    LoadGrouped();
    engine.SelectRow(1);
    EXPECT_EQ(engine.reported.back(), -1) << "a group header row";
    ASSERT_TRUE(engine.ExpandRow(2)); // group c
    engine.SelectRow(3);
    ASSERT_EQ(RowOf("c1"), 3);
    const size_t reports = engine.reported.size();
    ASSERT_TRUE(engine.ExpandRow(0)); // group a, two records
    EXPECT_EQ(std::make_pair(engine.view.currentRow, RowOf("c1")), std::make_pair(5, 5));
    EXPECT_EQ(engine.reported.size(), reports) << "the selection did not change";
    // Collapsing above moves the current row up with its content; record rows do not fold.
    ASSERT_TRUE(engine.CollapseRow(0));
    EXPECT_EQ(engine.view.currentRow, RowOf("c1"));
    EXPECT_EQ(engine.reported.size(), reports);
    EXPECT_FALSE(engine.ExpandRow(engine.view.currentRow) ||
                 engine.CollapseRow(engine.view.currentRow) ||
                 engine.ToggleRow(engine.view.currentRow));
    EXPECT_TRUE(engine.ToggleRow(0));
    EXPECT_EQ(engine.view.currentRow, RowOf("c1"));

    ExpandAll(engine);
    engine.SelectRow(RowOf("b2"));
    ASSERT_TRUE(engine.CollapseRow(3)); // group b
    EXPECT_EQ(
        std::make_tuple(engine.view.currentRow, engine.reported.back(), engine.DisplayedRows()),
        std::make_tuple(3, -1, 6));
}

TEST_F(CurrentRow, ReversingSortingAndChangingLevelsFollowTheSameRowContent) {
    LoadGrouped();
    engine.SelectRow(0); // group a
    engine.ReverseGroupOrder(0);
    ASSERT_EQ(engine.view.currentRow, 2) << "a is now the last group";
    engine.store.cursor.Seek(2);
    EXPECT_STREQ(engine.store.cursor.GroupCaption(), "a");

    ASSERT_TRUE(engine.SetGroupLevelsKeepingRow(0));
    ASSERT_TRUE(Load(TableOf({{L"1", L"z"}, {L"2", L"y"}, {L"3", L"x"}})));
    engine.SelectRow(0);
    engine.SortRowsByColumn(1);
    EXPECT_EQ(engine.view.currentRow, 2);
    ASSERT_TRUE(Load(TableOf({{L"b", L"b1"}, {L"a", L"a1"}, {L"b", L"b2"}})));
    engine.SelectRow(2); // b2 (rows: a1, b1, b2)
    ASSERT_TRUE(engine.SetGroupLevelsKeepingRow(1));
    EXPECT_EQ(engine.view.currentRow, 1) << "the header of group b";
    ASSERT_TRUE(engine.SetGroupLevelsKeepingRow(0));
    EXPECT_EQ(engine.view.currentRow, 1) << "the row of b's first record, b1";
    engine.SyncSelection();
    EXPECT_EQ(engine.view.selectedRecord, 0);
}
