#include "radix_sort.h"
#include "record_store.h"
#include "temp_array.h"
#include "value_compare.h"

#include <cstring>

namespace {

// Runs shorter than this are sorted by insertion before merging; the result is the same
// stable order, with fewer passes over the array.
constexpr int32_t insertionRun = 16;

inline int Sign(int value) {
    return (value > 0) - (value < 0);
}

inline int RankOrder(const int32_t* ranks, int32_t recordA, int32_t recordB) {
    return (ranks[recordA] > ranks[recordB]) - (ranks[recordA] < ranks[recordB]);
}

int BitsFor(int32_t count) {
    int bits = 0;
    while (bits < 31 && (int32_t{1} << bits) < count)
        ++bits;
    return bits;
}

} // namespace

// When every grouping level and the sort column have ranks that give their order, the records
// are keyed by the ranks side by side, outermost level first, and put in order by one stable
// radix sort from the order at hand. False when a column lacks such ranks, the keys would not
// fit in 64 bits, or there is no memory for them.
bool RecordStore::SortByRanks() {
    if (columnCount < 1 || recordCount < 2)
        return false;
    RankField fields[64];
    int fieldCount = 0, keyBits = 0;
    for (int32_t level = 0; level <= groupLevelCount; ++level) {
        const bool sortLevel = level == groupLevelCount;
        const int32_t column = sortLevel ? sortPriority[0] : columnOrder[level];
        if (fieldCount == 64)
            return false;
        RankField& field = fields[fieldCount++];
        field.ranks = sortKeys.OrderRanks(*this, column, !sortLevel, field.count);
        if (!field.ranks)
            return false;
        field.bits = BitsFor(field.count);
        field.reversed = sortLevel && !sortAscending[column];
        keyBits += field.bits;
        if (keyBits > 64)
            return false;
    }
    const size_t records = static_cast<size_t>(recordCount);
    TempArray<KeyedIndex> items(records), scratch(records);
    if (!items.data || !scratch.data)
        return false;
    for (size_t position = 0; position < records; ++position) {
        const int32_t record = recordOrder[position];
        uint64_t key = 0;
        for (int f = 0; f < fieldCount; ++f) {
            const RankField& field = fields[f];
            const int32_t rank = field.ranks[record];
            key = (field.bits ? key << field.bits : key) |
                  static_cast<uint64_t>(field.reversed ? field.count - 1 - rank : rank);
        }
        items.data[position] = {key, record, 0};
    }
    const KeyedIndex* sorted = RadixSort(items.data, scratch.data, records, keyBits);
    for (size_t position = 0; position < records; ++position)
        recordOrder[position] = sorted[position].index;
    NoteGroupStarts(sorted, fields, fieldCount - 1);
    return true;
}

// The first level whose key field differs from the previous position's, for every position
// of the sorted keys: the group tree reads the group starts from here instead of the ranks.
void RecordStore::NoteGroupStarts(const KeyedIndex* sorted, const RankField* fields,
                                  int32_t levels) {
    if (levels == 0)
        return;
    if (!groupStarts)
        groupStarts = static_cast<uint8_t*>(HeapAlloc(GetProcessHeap(), 0, recordCount));
    if (!groupStarts)
        return;
    int shifts[64];
    int shift = 0;
    for (int32_t f = levels; f >= 0; --f) {
        shifts[f] = shift;
        shift += fields[f].bits;
    }
    groupStarts[0] = 0;
    for (int32_t position = 1; position < recordCount; ++position) {
        const uint64_t differs = sorted[position].key ^ sorted[position - 1].key;
        int32_t level = 0;
        while (level < levels && (differs >> shifts[level]) == 0)
            ++level;
        groupStarts[position] = static_cast<uint8_t>(level);
    }
    groupStartsKnown = true;
}

// One column of two records: text first, refined by value. A column whose cells all hold
// one kind of value is answered from its ranks and payloads without visiting the cells.
int RecordStore::CompareColumn(int32_t recordA, int32_t recordB, int32_t column,
                               bool keyTexts) const {
    const int32_t* ranks = sortKeys.Ranks(*this, column, keyTexts);
    VARTYPE type = VT_EMPTY;
    const int64_t* payloads = nullptr;
    if (!ranks || !sortKeys.UniformValues(*this, column, type, payloads)) {
        return keyTexts ? CompareCells(recordA, recordB, column, true)
                        : CompareSortCells(recordA, recordB, column);
    }
    const int text = RankOrder(ranks, recordA, recordB);
    if (text == 0)
        return 0;
    VARIANT valueA, valueB;
    valueA.vt = valueB.vt = type;
    valueA.llVal = payloads ? payloads[recordA] : 0; // strings: the payload is never read
    valueB.llVal = payloads ? payloads[recordB] : 0;
    return CompareValues(valueA, valueB, text);
}

int RecordStore::CompareSortColumn(int32_t recordA, int32_t recordB) const {
    if (columnCount < 1)
        return 0;
    const int32_t column = sortPriority[0];
    const int result = Sign(CompareColumn(recordA, recordB, column, false));
    return sortAscending[column] ? result : -result;
}

int RecordStore::CompareRecordIndices(int32_t recordA, int32_t recordB) const {
    for (int32_t level = 0; level < groupLevelCount; ++level) {
        const int result = CompareColumn(recordA, recordB, columnOrder[level], true);
        if (result != 0)
            return result;
    }
    return CompareSortColumn(recordA, recordB);
}

int RecordStore::CompareRecords(int32_t positionA, int32_t positionB) const {
    return CompareRecordIndices(recordOrder[positionA], recordOrder[positionB]);
}

// Stable: an entry only passes another that compares strictly before it.
void RecordStore::InsertionSortRecords(int32_t* order, int32_t begin, int32_t end,
                                       bool withinGroup) const {
    for (int32_t i = begin + 1; i < end; ++i) {
        const int32_t record = order[i];
        int32_t j = i;
        while (j > begin && OrderForSort(record, order[j - 1], withinGroup) < 0) {
            order[j] = order[j - 1];
            --j;
        }
        order[j] = record;
    }
}

// Bottom-up merge sort of the positions [begin, end) between recordOrder and sortScratch.
// Equal records keep their previous order because a right-hand entry is taken first only
// when strictly smaller, which is exactly the order the exchange sort produces for a
// consistent comparison.
void RecordStore::MergeSortRecords(int32_t begin, int32_t end, bool withinGroup) {
    for (int32_t run = begin; run < end; run += insertionRun)
        InsertionSortRecords(recordOrder, run, end - run > insertionRun ? run + insertionRun : end,
                             withinGroup);

    int32_t* source = recordOrder;
    int32_t* target = sortScratch;
    const int32_t n = end - begin;
    for (int32_t width = insertionRun; width < n; width *= 2) {
        for (int32_t left = begin; left < end; left += 2 * width) {
            const int32_t middle = end - left > width ? left + width : end;
            const int32_t right = end - middle > width ? middle + width : end;
            if (middle == right ||
                OrderForSort(source[middle], source[middle - 1], withinGroup) >= 0) {
                // Already in order (or no right half): copy the run as it is.
                memcpy(target + left, source + left, sizeof(int32_t) * (right - left));
                continue;
            }
            int32_t i = left, j = middle, k = left;
            while (i < middle && j < right) {
                if (OrderForSort(source[j], source[i], withinGroup) < 0)
                    target[k++] = source[j++];
                else
                    target[k++] = source[i++];
            }
            while (i < middle)
                target[k++] = source[i++];
            while (j < right)
                target[k++] = source[j++];
        }
        int32_t* swap = source;
        source = target;
        target = swap;
        if (width > n / 2)
            break;
    }
    if (source != recordOrder)
        memcpy(recordOrder + begin, source + begin, sizeof(int32_t) * n);
}

void RecordStore::SortRange(int32_t begin, int32_t end, bool withinGroup) {
    if (end - begin < 2)
        return;
    if (sortScratch)
        MergeSortRecords(begin, end, withinGroup);
    else
        InsertionSortRecords(recordOrder, begin, end, withinGroup); // same order, slower
}

void RecordStore::Sort() {
    SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    SortRecords(false);
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
}

// With groupsKept, only the sort column changed since the last sort.
void RecordStore::SortRecords(bool groupsKept) {
    groupStartsKnown = false;
    if (!recordOrder || SortByRanks())
        return;
    if (!groupsKept || !SortWithinGroups())
        SortRange(0, recordCount, false);
}

namespace {

// The leaf group after node in build order, or the first with node null; null after the last.
GroupNode* NextLeaf(GroupNode* root, GroupNode* node, int32_t& depth, int32_t levels) {
    if (node) {
        while (node != root && !node->next) {
            node = node->parent;
            --depth;
        }
        if (node == root)
            return nullptr;
        node = node->next;
    } else {
        node = root;
        depth = 0;
    }
    while (depth < levels && node->firstChild) {
        node = node->firstChild;
        ++depth;
    }
    return node;
}

} // namespace

// When only the sort column changed, the records are already grouped by the current levels
// and the tree holds the groups: each leaf group is sorted on its own by the sort column,
// which gives the order a whole sort would. False when the tree does not hold every record
// in a leaf group of the current depth.
bool RecordStore::SortWithinGroups() {
    if (groupLevelCount == 0 || root.count != recordCount || !recordOrder)
        return false;
    int32_t depth = 0;
    for (GroupNode* leaf = NextLeaf(&root, nullptr, depth, groupLevelCount); leaf;
         leaf = NextLeaf(&root, leaf, depth, groupLevelCount)) {
        if (depth != groupLevelCount)
            return false;
    }
    for (GroupNode* leaf = NextLeaf(&root, nullptr, depth, groupLevelCount); leaf;
         leaf = NextLeaf(&root, leaf, depth, groupLevelCount))
        SortRange(leaf->first, leaf->first + leaf->count, true);
    return true;
}

void RecordStore::SortByColumn(int32_t position) {
    if (position < 0 || position >= columnCount)
        return;
    const bool remembered = RememberAnchor();
    const int32_t column = columnOrder[position];
    sortAscending[column] = sortPosition == position ? !sortAscending[column] : 1;
    sortPosition = position;
    for (int32_t j = columnCount - 1; j >= 1; --j) {
        if (sortPriority[j] == column) {
            sortPriority[j] = sortPriority[j - 1];
            sortPriority[j - 1] = column;
        }
    }
    SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    SortRecords(true);
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
    if (remembered)
        FindAnchor();
}

void RecordStore::ToggleGroupOrder(int32_t position) {
    if (position < 0 || position >= groupLevelCount)
        return;
    const bool remembered = RememberAnchor();
    const int32_t column = columnOrder[position];
    groupAscending[column] = !groupAscending[column];
    if (remembered)
        FindAnchor();
}
