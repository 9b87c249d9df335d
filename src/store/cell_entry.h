#pragma once

#include <windows.h>
#include <oleauto.h>

#include <cstdint>

// One loaded cell: the host's value, deep-copied, and the texts computed once at load.
// The texts are narrow strings in the ANSI code page owned by the store; null when absent.
struct CellEntry {
    VARIANT value;
    const char* text;
    const char* tag; // grouping caption, dates only
};

// Grouping key of a cell: its caption when it has one, else its display text.
inline const char* KeyText(const CellEntry& cell) {
    if (cell.tag)
        return cell.tag;
    return cell.text ? cell.text : "";
}

inline const char* DisplayText(const CellEntry& cell) {
    return cell.text ? cell.text : "";
}
