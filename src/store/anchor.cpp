#include "record_store.h"

bool RecordStore::RememberAnchor() {
    if (cursor.index >= 0) {
        anchorRecord = cursor.RecordAtCursor();
        anchorLevel = -1;
        return true;
    }
    if (cursor.node && cursor.depth >= 1 && cursor.node->count > 0) {
        anchorRecord = recordOrder[cursor.node->first];
        anchorLevel = cursor.depth - 1;
        return true;
    }
    return false;
}

int32_t RecordStore::PositionOfRecord(int32_t record) const {
    for (int32_t position = 0; position < recordCount; ++position) {
        if (recordOrder[position] == record)
            return position;
    }
    return -1;
}

// The row is found by the position the record holds now, so a group header matches
// whichever group of the remembered level contains that record after the change.
bool RecordStore::FindAnchor() {
    if (anchorRecord == -1)
        return false;
    const int32_t position = PositionOfRecord(anchorRecord);
    if (position < 0) {
        cursor.Reset();
        return false;
    }
    return cursor.FindRow(position, anchorLevel);
}
