#pragma once

#include "group_node.h"

#include <cstdint>

class RecordStore;

// The one walker over the displayed rows: walk row 0 is the hidden root row, display row i
// is walk row i + 1. Every reader seeks before it reads.
class RowCursor {
public:
    RecordStore* store = nullptr;
    GroupNode* node = nullptr;
    int32_t depth = 0;
    int32_t index = -1; // record within node on a record row, -1 on a header row
    int32_t row = 0;    // walk row

    bool Reset();
    // To the last displayed row (the root row when none is displayed).
    bool ToLastRow();
    bool Seek(int32_t displayRow);
    bool StepForward();
    bool StepBack();

    int32_t RowGroupLevel() const;
    int32_t RecordAtCursor() const;
    bool HasFollowingSibling(int32_t atDepth) const;
    const wchar_t* CellText(int32_t position) const;
    const wchar_t* GroupCaption() const;

    // From the root row, walks to the first row that shows the record at `position` of
    // recordOrder: its record row (level -1) or the header of its group of `level`.
    // Stays on that row, or returns to the root row and fails.
    bool FindRow(int32_t position, int32_t level);

private:
    bool LevelAscending(int32_t atDepth) const;
    bool Sibling(bool forward);
    bool Descend(bool last);
    bool Ascend();
    bool NextNode();
    bool PrevNode();
    bool OnRecordRows() const;
    // Moves straight to walk row target when it is one of the records of the open leaf
    // group under the cursor.
    bool JumpWithinLeaf(int32_t target);
    // Moves to the last record of the open leaf group under the cursor, or back to its first;
    // false when already there (or, going back, on the group's header).
    bool JumpToLeafEnd(bool last);
};
