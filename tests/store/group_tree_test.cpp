#include "ordering_support.h"

#include <array>

namespace {

// Row counts through expand and collapse; the groups' spans are the ordering property's.
TEST(GroupTree, WorkedExampleCountsRowsThroughExpandAndCollapse) {
    RecordStore store;
    Load(store, TableOf({{L"B", L"x"}, {L"A", L"y"}, {L"A", L"x"}, {L"A", L"x"}}));
    ASSERT_TRUE(store.SetGroupLevelCount(2));
    EXPECT_EQ(store.rowCount, 3); // the groups start closed
    // Closing A takes x's rows along; reopening it shows x closed.
    GroupNode *a = store.root.firstChild, *ax = a->firstChild;
    EXPECT_EQ((std::array{a->Expand(), a->Expand(), ax->Expand(), a->Collapse(), a->Collapse(),
                          a->Expand(), ax->expanded, ax->count}),
              (std::array{2, 0, 2, 4, 0, 2, 0, 2}));
    // Moving the level-0 column elsewhere regroups from level 0: every new group starts closed.
    ASSERT_TRUE(store.MoveColumn(0, 2));
    for (const GroupNode* group = store.root.firstChild; group; group = group->next)
        EXPECT_FALSE(group->expanded);
    EXPECT_EQ(store.rowCount, 3);
    ASSERT_TRUE(store.SetData(nullptr, 0, 0, false)); // only the root row, whatever the levels
    EXPECT_EQ(store.rowCount + (store.root.firstChild != nullptr), 1);
}

} // namespace
