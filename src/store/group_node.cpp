#include "group_node.h"

int32_t GroupNode::Expand() {
    if (expanded)
        return 0;
    expanded = 1;
    if (!firstChild)
        return count; // a leaf group shows its records
    int32_t rows = 0;
    for (const GroupNode* child = firstChild; child; child = child->next)
        ++rows;
    return rows;
}

// Closes the whole open subtree, so that a node is only ever open below open ancestors.
// Runs over the parent links rather than recursing; each node is visited once.
int32_t GroupNode::Collapse() {
    if (!expanded)
        return 0;
    int32_t rows = 0;
    GroupNode* node = this;
    GroupNode* scan = firstChild; // where to look for the next open child of node
    for (;;) {
        while (scan && !scan->expanded)
            scan = scan->next;
        if (scan) {
            node = scan;
            scan = node->firstChild;
            continue;
        }
        if (node->firstChild) {
            for (const GroupNode* child = node->firstChild; child; child = child->next)
                ++rows; // each child's header row
        } else {
            rows += node->count;
        }
        node->expanded = 0;
        if (node == this)
            return rows;
        scan = node->next;
        node = node->parent;
    }
}
