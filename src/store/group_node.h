#pragma once

#include <cstdint>

// One group of the tree over the sorted records, or the root. Nodes live on the store's
// private heap, zero-filled, so a new node is collapsed and unlinked.
struct GroupNode {
    GroupNode* parent;
    GroupNode* next;
    GroupNode* prev;
    GroupNode* firstChild;
    GroupNode* lastChild;
    int32_t expanded;
    int32_t first; // position in recordOrder of the group's first record
    int32_t count; // records in the group, all levels below included

    // Rows the node adds to the walk when it opens (0 when already open).
    int32_t Expand();
    // Rows the node and its open descendants stop showing (0 when already closed).
    int32_t Collapse();
};
