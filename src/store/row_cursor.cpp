#include "row_cursor.h"

#include "record_store.h"

bool RowCursor::Reset() {
    node = store ? &store->root : nullptr;
    depth = 0;
    index = -1;
    row = 0;
    return true;
}

bool RowCursor::LevelAscending(int32_t atDepth) const {
    if (atDepth <= 0)
        return true;
    return store->groupAscending[store->columnOrder[atDepth - 1]] != 0;
}

bool RowCursor::Sibling(bool forward) {
    GroupNode* sibling = forward == LevelAscending(depth) ? node->next : node->prev;
    if (!sibling)
        return false;
    node = sibling;
    return true;
}

bool RowCursor::Descend(bool last) {
    if (!node->expanded || !node->firstChild)
        return false;
    node = last != LevelAscending(depth + 1) ? node->firstChild : node->lastChild;
    ++depth;
    return true;
}

bool RowCursor::Ascend() {
    if (!node->parent)
        return false;
    node = node->parent;
    --depth;
    return true;
}

bool RowCursor::NextNode() {
    if (Descend(false))
        return true;
    for (;;) {
        if (Sibling(true))
            return true;
        if (!Ascend())
            return false;
    }
}

bool RowCursor::PrevNode() {
    if (Sibling(false)) {
        while (Descend(true)) {
        }
        return true;
    }
    return Ascend();
}

bool RowCursor::OnRecordRows() const {
    return depth == store->groupLevelCount && node->count > 0 && node->expanded;
}

bool RowCursor::JumpWithinLeaf(int32_t target) {
    const int32_t firstRecordRow = row - index; // the row after the group's header
    if (target < firstRecordRow || target >= firstRecordRow + node->count)
        return false;
    index = target - firstRecordRow;
    row = target;
    return true;
}

bool RowCursor::StepForward() {
    if (!node || row + 1 >= store->rowCount)
        return false;
    if (OnRecordRows() && index + 1 < node->count) {
        ++index;
    } else {
        if (!NextNode())
            return false;
        index = -1;
    }
    ++row;
    return true;
}

bool RowCursor::StepBack() {
    if (!node || row <= 0)
        return false;
    if (index == -1) {
        if (!PrevNode())
            return false;
        index = OnRecordRows() ? node->count - 1 : -1;
    } else {
        --index;
    }
    --row;
    return true;
}

bool RowCursor::JumpToLeafEnd(bool last) {
    const int32_t firstRecordRow = row - index;
    const int32_t to = last ? node->count - 1 : 0;
    if (index == to || (!last && index < 0))
        return false;
    index = to;
    row = firstRecordRow + to;
    return true;
}

bool RowCursor::ToLastRow() {
    Reset();
    while (Descend(true)) {
    }
    index = OnRecordRows() ? node->count - 1 : -1;
    row = store->rowCount - 1;
    return true;
}

// From where the cursor stands, or from the first or the last row when one of them is nearer,
// so consecutive rows cost one step each; the records of an open group are crossed in one
// jump, so a far row costs a step per header row between.
bool RowCursor::Seek(int32_t displayRow) {
    if (!node || displayRow >= store->rowCount - 1)
        return false;
    if (displayRow < -1) {
        // Stepping back towards a row before the root fails only on the root row.
        Reset();
        return false;
    }
    const int32_t target = displayRow + 1;
    const int32_t away = target > row ? target - row : row - target;
    if (target < away)
        Reset();
    else if (store->rowCount - 1 - target < away)
        ToLastRow();
    while (target != row) {
        if (OnRecordRows() && (JumpWithinLeaf(target) || JumpToLeafEnd(target > row)))
            continue;
        if (!(target < row ? StepBack() : StepForward()))
            return false;
    }
    return true;
}

int32_t RowCursor::RowGroupLevel() const {
    return index == -1 && depth >= 1 ? depth - 1 : -1;
}

int32_t RowCursor::RecordAtCursor() const {
    if (index < 0 || !node)
        return -1;
    return store->recordOrder[node->first + index];
}

bool RowCursor::HasFollowingSibling(int32_t atDepth) const {
    if (!node || atDepth < 0 || atDepth > depth)
        return false;
    const GroupNode* ancestor = node;
    for (int32_t d = depth; d > atDepth; --d)
        ancestor = ancestor->parent;
    return (LevelAscending(atDepth) ? ancestor->next : ancestor->prev) != nullptr;
}

const wchar_t* RowCursor::CellText(int32_t position) const {
    if (!node || position < 0 || position >= store->columnCount || node->count <= 0)
        return L"";
    const int32_t record = store->recordOrder[node->first + (index >= 0 ? index : 0)];
    return DisplayText(store->Cell(record, store->columnOrder[position]));
}

const wchar_t* RowCursor::GroupCaption() const {
    const int32_t level = RowGroupLevel();
    if (level < 0 || node->count <= 0)
        return L"";
    const int32_t record = store->recordOrder[node->first];
    return KeyText(store->Cell(record, store->columnOrder[level]));
}

// The rows of an open leaf group are passed in one jump unless they hold the record, so
// the walk costs one step per header row.
bool RowCursor::FindRow(int32_t position, int32_t level) {
    Reset();
    if (!node || position < 0)
        return false;
    for (;;) {
        const bool holds = position >= node->first && position < node->first + node->count;
        if (index == -1 && depth >= 1 && depth - 1 == level && holds)
            return true;
        if (OnRecordRows()) {
            const int32_t firstRecordRow = row - index;
            if (level == -1 && holds) {
                index = position - node->first;
                row = firstRecordRow + index;
                return true;
            }
            index = node->count - 1;
            row = firstRecordRow + index;
        }
        if (!StepForward()) {
            Reset();
            return false;
        }
    }
}
