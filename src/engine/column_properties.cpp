#include "engine/view_engine.h"

// The automation layer's view of the store: column properties by column index, counts and
// the selection. Arguments are checked before anything changes.

namespace {
// Grows the column information to hold column; false when it cannot (the old entries stay).
bool EnsureColumn(RecordStore& store, int32_t column) {
    return column < INT32_MAX && store.EnsureColumnInfo(column + 1);
}
} // namespace

bool ViewEngine::SetData(SAFEARRAY* source, int32_t format, int32_t grouping, bool revert) {
    ReleaseTracking();
    if (!store.SetData(source, format, grouping, revert))
        return false;
    ResetView();
    SyncSelection();
    return true;
}

HRESULT ViewEngine::GetColumnLabel(int32_t column, BSTR* label) {
    if (!label)
        return E_POINTER;
    *label = nullptr;
    if (column < 0)
        return E_INVALIDARG;
    if (!EnsureColumn(store, column))
        return E_OUTOFMEMORY;
    const BSTR stored = store.columnInfo[column].label;
    *label = stored ? SysAllocStringLen(stored, SysStringLen(stored)) : SysAllocString(L"");
    return *label ? S_OK : E_OUTOFMEMORY;
}

HRESULT ViewEngine::PutColumnLabel(int32_t column, const wchar_t* text) {
    if (column < 0)
        return E_INVALIDARG;
    if (!EnsureColumn(store, column))
        return E_OUTOFMEMORY;
    BSTR copy = nullptr;
    if (text) {
        copy = SysAllocString(text); // up to the first NUL
        if (!copy)
            return E_OUTOFMEMORY; // the old label stays
    }
    SysFreeString(store.columnInfo[column].label);
    store.columnInfo[column].label = copy;
    if (hwnd)
        InvalidateHeader(false);
    return S_OK;
}

HRESULT ViewEngine::GetColumnWidth(int32_t column, int32_t* width) {
    if (column < 0)
        return E_INVALIDARG;
    if (!width)
        return E_POINTER;
    if (!EnsureColumn(store, column))
        return E_OUTOFMEMORY;
    *width = store.columnInfo[column].width;
    return S_OK;
}

HRESULT ViewEngine::PutColumnWidth(int32_t column, int32_t width) {
    if (column < 0 || width < 0)
        return E_INVALIDARG;
    ReleaseTracking();
    if (!EnsureColumn(store, column))
        return E_OUTOFMEMORY;
    store.columnInfo[column].width = width;
    UpdateContentWidth(true);
    if (hwnd) {
        InvalidateAll(false);
        ScrollTo(view.scrollX, view.topRow);
    }
    return S_OK;
}

HRESULT ViewEngine::GetColumnAlign(int32_t column, int32_t* align) {
    if (!align)
        return E_POINTER;
    if (column < 0)
        return E_INVALIDARG;
    if (!EnsureColumn(store, column))
        return E_OUTOFMEMORY;
    *align = store.columnInfo[column].align;
    return S_OK;
}

HRESULT ViewEngine::PutColumnAlign(int32_t column, int32_t align) {
    if (column < 0)
        return E_INVALIDARG;
    if (!EnsureColumn(store, column))
        return E_OUTOFMEMORY;
    store.columnInfo[column].align = align;
    InvalidateAll(false);
    return S_OK;
}

HRESULT ViewEngine::GetColumnCount(int32_t* count) {
    if (!count)
        return E_POINTER;
    *count = store.columnCount;
    return S_OK;
}

HRESULT ViewEngine::GetRecordCount(int32_t* count) {
    if (!count)
        return E_POINTER;
    *count = store.recordCount;
    return S_OK;
}

HRESULT ViewEngine::GetSelectedRecord(int32_t* record) {
    if (!record)
        return E_POINTER;
    *record = view.selectedRecord;
    return S_OK;
}
