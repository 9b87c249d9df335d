#include "column_info.h"

#include "module_instance.h"
#include "resource.h"

#include "base/owned_bstr.h"

#include <cstring>

ColumnInfoTable::~ColumnInfoTable() {
    for (int32_t i = 0; i < count; ++i)
        SysFreeString(entries[i].label);
    if (entries)
        HeapFree(GetProcessHeap(), 0, entries);
}

int32_t ColumnInfoTable::LowerBound(int32_t column) const {
    int32_t low = 0, high = count;
    while (low < high) {
        const int32_t middle = low + (high - low) / 2;
        if (entries[middle].column < column)
            low = middle + 1;
        else
            high = middle;
    }
    return low;
}

const ColumnInfo* ColumnInfoTable::Find(int32_t column) const {
    const int32_t at = LowerBound(column);
    return at < count && entries[at].column == column ? &entries[at] : nullptr;
}

ColumnInfo* ColumnInfoTable::Entry(int32_t column) {
    const int32_t at = LowerBound(column);
    if (at < count && entries[at].column == column)
        return &entries[at];
    if (count == capacity) {
        const int32_t grown = capacity < 8 ? 8 : capacity < INT32_MAX / 2 ? capacity * 2 : 0;
        if (grown == 0 || static_cast<size_t>(grown) > SIZE_MAX / sizeof(ColumnInfo))
            return nullptr;
        const size_t bytes = static_cast<size_t>(grown) * sizeof(ColumnInfo);
        void* moved = entries ? HeapReAlloc(GetProcessHeap(), 0, entries, bytes)
                              : HeapAlloc(GetProcessHeap(), 0, bytes);
        if (!moved)
            return nullptr;
        entries = static_cast<ColumnInfo*>(moved);
        capacity = grown;
    }
    memmove(entries + at + 1, entries + at, static_cast<size_t>(count - at) * sizeof(ColumnInfo));
    entries[at] = ColumnInfo{column, 0, defaultWidth, nullptr, false};
    ++count;
    return &entries[at];
}

int32_t ColumnInfoTable::Align(int32_t column) const {
    const ColumnInfo* info = Find(column);
    return info ? info->align : 0;
}

int32_t ColumnInfoTable::Width(int32_t column) const {
    const ColumnInfo* info = Find(column);
    return info ? info->width : defaultWidth;
}

const wchar_t* ColumnInfoTable::Label(int32_t column) {
    const ColumnInfo* info = Find(column);
    if (info && info->ownLabel)
        return info->label ? info->label : L"";
    wchar_t format[50];
    if (LoadStringW(ModuleInstance(), IDS_COLUMN_LABEL, format, ARRAYSIZE(format)) <= 0)
        return L"";
    wsprintfW(defaultLabel, format, column);
    return defaultLabel;
}

bool ColumnInfoTable::SetAlign(int32_t column, int32_t align) {
    ColumnInfo* info = Entry(column);
    if (info)
        info->align = align;
    return info != nullptr;
}

bool ColumnInfoTable::SetWidth(int32_t column, int32_t width) {
    ColumnInfo* info = Entry(column);
    if (info)
        info->width = width;
    return info != nullptr;
}

bool ColumnInfoTable::SetLabel(int32_t column, const wchar_t* text) {
    OwnedBstr copy(text ? SysAllocString(text) : nullptr);
    if (text && !copy.Get())
        return false;
    ColumnInfo* info = Entry(column);
    if (!info)
        return false;
    const OwnedBstr old(info->label);
    info->label = copy.Detach();
    info->ownLabel = true;
    return true;
}

void ColumnInfoTable::ScaleWidths(int32_t numerator, int32_t denominator) {
    if (numerator <= 0 || denominator <= 0)
        return;
    auto scaled = [&](int32_t width) {
        const int64_t value = (int64_t{width} * numerator + denominator / 2) / denominator;
        return value < INT32_MAX ? static_cast<int32_t>(value) : INT32_MAX;
    };
    defaultWidth = scaled(defaultWidth);
    for (int32_t i = 0; i < count; ++i)
        entries[i].width = scaled(entries[i].width);
}
