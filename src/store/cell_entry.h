#pragma once

#include <windows.h>
#include <oleauto.h>

#include <cstdint>

// One loaded cell: the host's value, deep-copied, and the texts computed once at load.
// The texts are wide strings, a string value's text its own characters up to the first NUL,
// the others owned by the store; null when absent.
struct CellEntry {
    VARIANT value;
    const wchar_t* text;
    const wchar_t* tag; // grouping caption, dates only
};

// Marks a string value that shares the string of an earlier cell of the same load, which owns
// it: a column of repeated strings holds each string once.
constexpr WORD borrowedString = 0x5348;

inline bool BorrowsString(const VARIANT& value) {
    return value.vt == VT_BSTR && value.wReserved1 == borrowedString;
}

// Clears a cell's value; a borrowed string stays with its owner.
inline void ReleaseValue(VARIANT& value) {
    if (BorrowsString(value))
        VariantInit(&value);
    else
        VariantClear(&value);
}

// A copy of a cell's value of the caller's own, unmarked.
inline HRESULT CopyValue(VARIANT& target, const VARIANT& value) {
    const HRESULT result = VariantCopy(&target, const_cast<VARIANT*>(&value));
    if (SUCCEEDED(result) && target.vt == VT_BSTR)
        target.wReserved1 = 0;
    return result;
}

// Grouping key of a cell: its caption when it has one, else its display text.
inline const wchar_t* KeyText(const CellEntry& cell) {
    if (cell.tag)
        return cell.tag;
    return cell.text ? cell.text : L"";
}

inline const wchar_t* DisplayText(const CellEntry& cell) {
    return cell.text ? cell.text : L"";
}
