#include "record_store.h"

namespace {

// Walks recordOrder as a stream of events: a group of some level starts at the current
// position, or (event -1) the position is a record.
class GroupScanner {
public:
    explicit GroupScanner(const RecordStore& store)
        : store(store), levels(store.groupLevelCount), event(levels > 0 ? 0 : -1) {}

    void Advance() {
        if (event >= 0) {
            event = event + 1 == levels ? -1 : event + 1;
            return;
        }
        if (position + 1 >= store.recordCount) {
            ended = true;
            return;
        }
        const int32_t level = store.FirstDifferingLevel(position, position + 1);
        if (level < levels)
            event = level;
        ++position;
    }

    // Passes over the groups of this level that start here and everything inside them.
    void SkipGroupsOfLevel(int32_t level) {
        while (!ended && (event == -1 || event >= level))
            Advance();
    }

    const RecordStore& store;
    const int32_t levels;
    int32_t position = 0;
    int32_t event;
    bool ended = false;
};

} // namespace

GroupNode* RecordStore::AllocateNode(GroupNode* parent) {
    if (!heap)
        return nullptr;
    auto* node = static_cast<GroupNode*>(HeapAlloc(heap, HEAP_ZERO_MEMORY, sizeof(GroupNode)));
    if (!node)
        return nullptr;
    node->parent = parent;
    node->prev = parent->lastChild;
    if (parent->lastChild)
        parent->lastChild->next = node;
    else
        parent->firstChild = node;
    parent->lastChild = node;
    return node;
}

// Frees every descendant of node, deepest first, without recursion.
void RecordStore::FreeChildren(GroupNode* node) {
    GroupNode* current = node->firstChild;
    while (current) {
        if (current->firstChild) {
            current = current->firstChild;
            continue;
        }
        GroupNode* parent = current->parent;
        parent->firstChild = current->next;
        if (!current->next)
            parent->lastChild = nullptr;
        HeapFree(heap, 0, current);
        current = parent->firstChild ? parent->firstChild : (parent == node ? nullptr : parent);
    }
    node->firstChild = nullptr;
    node->lastChild = nullptr;
}

// Drops the children of node that follow lastKept (all of them when lastKept is null).
void RecordStore::FreeSiblingsAfter(GroupNode* node, GroupNode* lastKept) {
    GroupNode* current = lastKept ? lastKept->next : node->firstChild;
    while (current) {
        GroupNode* following = current->next;
        FreeChildren(current);
        HeapFree(heap, 0, current);
        current = following;
    }
    if (lastKept) {
        lastKept->next = nullptr;
        node->lastChild = lastKept;
    } else {
        node->firstChild = nullptr;
        node->lastChild = nullptr;
    }
}

int32_t RecordStore::FirstDifferingLevel(int32_t positionA, int32_t positionB) const {
    if (groupStartsKnown && positionB == positionA + 1)
        return groupStarts[positionB];
    const int32_t a = recordOrder[positionA];
    const int32_t b = recordOrder[positionB];
    for (int32_t level = 0; level < groupLevelCount; ++level) {
        const int32_t column = columnOrder[level];
        // Membership is equality of key texts alone: the ranks answer it when they exist.
        const int32_t* ranks = sortKeys.Ranks(*this, column, true);
        if (ranks ? ranks[a] != ranks[b] : CompareCells(a, b, column, false) != 0)
            return level;
    }
    return groupLevelCount;
}

// One pass over recordOrder. The nodes of levels above keepLevels are reused with their
// expanded flags; the recursion of the build runs over the parent links so that deep
// groupings cannot exhaust the stack. When a node cannot be allocated, the records of the
// groups it would have started are left out and every count describes what is shown.
void RecordStore::BuildGroups(int32_t keepLevels) {
    root.count = 0;
    root.first = 0;
    if (recordCount <= 0 || !recordOrder) {
        FreeChildren(&root); // nothing to show, and no stale groups either
        return;
    }
    GroupScanner scanner(*this);
    GroupNode* node = &root;
    int32_t depth = 0;
    bool entering = true;
    for (;;) {
        if (entering) {
            node->count = 0;
            if (node != &root) {
                node->first = scanner.position;
                if (node->parent->expanded)
                    ++rowCount;
                scanner.Advance(); // past this group's own start
            }
            const int32_t childLevel = depth < groupLevelCount ? depth : -1;
            if (childLevel == -1 || childLevel >= keepLevels)
                FreeChildren(node);
            if (childLevel == -1) {
                do {
                    if (node->expanded)
                        ++rowCount;
                    ++node->count;
                    scanner.Advance();
                } while (!scanner.ended && scanner.event == -1);
            } else {
                GroupNode* child = node->firstChild ? node->firstChild : AllocateNode(node);
                if (child) {
                    node = child;
                    ++depth;
                    continue;
                }
                scanner.SkipGroupsOfLevel(childLevel);
            }
        }
        // The subtree of node is complete.
        if (node == &root)
            return;
        GroupNode* parent = node->parent;
        parent->count += node->count;
        const int32_t level = depth - 1;
        if (!scanner.ended && scanner.event == level) {
            GroupNode* sibling = node->next ? node->next : AllocateNode(parent);
            if (sibling) {
                node = sibling;
                entering = true;
                continue;
            }
            scanner.SkipGroupsOfLevel(level);
        }
        FreeSiblingsAfter(parent, node);
        node = parent;
        --depth;
        entering = false;
    }
}

void RecordStore::Regroup(int32_t keepLevels) {
    rowCount = 1;
    root.parent = root.next = root.prev = nullptr;
    root.expanded = 1;
    BuildGroups(keepLevels);
}

bool RecordStore::MoveColumnOrder(int32_t from, int32_t to) {
    if (from < 0 || from >= columnCount || to < 0 || to > columnCount)
        return false;
    const int32_t moved = from < to ? to - 1 : to;
    if (moved == from)
        return false;
    const int32_t column = columnOrder[from];
    if (from < moved) {
        for (int32_t i = from; i < moved; ++i)
            columnOrder[i] = columnOrder[i + 1];
    } else {
        for (int32_t i = from; i > moved; --i)
            columnOrder[i] = columnOrder[i - 1];
    }
    columnOrder[moved] = column;

    if (sortPosition == from)
        sortPosition = moved;
    else if (sortPosition > from && sortPosition <= moved)
        --sortPosition;
    else if (sortPosition >= moved && sortPosition < from)
        ++sortPosition;

    const int32_t firstChanged = from < moved ? from : moved;
    if (firstChanged < groupLevelCount) {
        if (anchorRecord != -1 && (anchorLevel == -1 || anchorLevel >= firstChanged))
            anchorLevel = firstChanged;
        Sort();
    }
    return true;
}

bool RecordStore::MoveColumn(int32_t from, int32_t to) {
    if (from < 0 || from >= columnCount || to < 0 || to > columnCount)
        return false;
    const bool remembered = RememberAnchor();
    if (!MoveColumnOrder(from, to))
        return false;
    const int32_t moved = from < to ? to - 1 : to;
    const int32_t firstChanged = from < moved ? from : moved;
    if (firstChanged < groupLevelCount)
        Regroup(firstChanged);
    if (remembered)
        FindAnchor();
    return true;
}

bool RecordStore::SetGroupLevelCount(int32_t count) {
    if (count < 0 || count > columnCount)
        return false;
    const bool remembered = RememberAnchor();
    if (count == groupLevelCount)
        return false;
    if (anchorRecord != -1) {
        if (count > groupLevelCount && anchorLevel == -1)
            anchorLevel = groupLevelCount;
        else if (count < groupLevelCount && anchorLevel != -1 && anchorLevel > count - 1)
            anchorLevel = count - 1;
    }
    groupLevelCount = count;
    Sort();
    Regroup(count);
    if (remembered)
        FindAnchor();
    return true;
}
