#include "engine/view_engine.h"

// The automation layer's view of the store: column properties by column index, counts and
// the selection. Arguments are checked before anything changes.

bool ViewEngine::SetData(SAFEARRAY* source, int32_t format, int32_t grouping, bool revert) {
    ReleaseTracking();
    if (!store.SetData(source, format, grouping, revert))
        return false;
    ResetView();
    AnnounceReorder(true);
    SyncSelection();
    return true;
}

HRESULT ViewEngine::GetColumnLabel(int32_t column, BSTR* label) {
    if (!label)
        return E_POINTER;
    *label = nullptr;
    if (column < 0)
        return E_INVALIDARG;
    *label = SysAllocString(store.columnInfo.Label(column));
    return *label ? S_OK : E_OUTOFMEMORY;
}

HRESULT ViewEngine::PutColumnLabel(int32_t column, const wchar_t* text) {
    if (column < 0)
        return E_INVALIDARG;
    if (!store.columnInfo.SetLabel(column, text))
        return E_OUTOFMEMORY; // the old label stays
    if (hwnd)
        InvalidateHeader(false);
    for (int32_t position = 0; position < store.columnCount; ++position)
        if (store.columnOrder[position] == column)
            NotifyAccessible(EVENT_OBJECT_NAMECHANGE, position + 1);
    return S_OK;
}

HRESULT ViewEngine::GetColumnWidth(int32_t column, int32_t* width) {
    if (column < 0)
        return E_INVALIDARG;
    if (!width)
        return E_POINTER;
    *width = store.columnInfo.Width(column);
    return S_OK;
}

HRESULT ViewEngine::PutColumnWidth(int32_t column, int32_t width) {
    if (column < 0 || width < 0)
        return E_INVALIDARG;
    ReleaseTracking();
    if (!store.columnInfo.SetWidth(column, width))
        return E_OUTOFMEMORY;
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
    *align = store.columnInfo.Align(column);
    return S_OK;
}

HRESULT ViewEngine::PutColumnAlign(int32_t column, int32_t align) {
    if (column < 0)
        return E_INVALIDARG;
    if (!store.columnInfo.SetAlign(column, align))
        return E_OUTOFMEMORY;
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
