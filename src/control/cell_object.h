#pragma once

#include "norv_h.h"
#include "store/cell_entry.h"

#include <windows.h>
#include <oaidl.h>

#include <cstdint>

class ViewControl;

// One cell of the loaded data as the host sees it: a counted reference to its control and two
// indices, never a copy of the data, so every read sees the control's current load.
class CellObject final : public ::Cell, public ISupportErrorInfo {
public:
    // A new object with one reference that keeps control alive, or null when memory is short.
    static CellObject* Create(ViewControl* control, int32_t record, int32_t column);

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IDispatch
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID locale,
                                            DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID locale, WORD flags,
                                     DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                                     UINT* argumentError) override;

    // Cell
    HRESULT STDMETHODCALLTYPE get_Value(VARIANT* value) override;
    HRESULT STDMETHODCALLTYPE get_Text(BSTR* text) override;
    HRESULT STDMETHODCALLTYPE get_Tag(BSTR* tag) override;

    // ISupportErrorInfo
    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID riid) override;

private:
    CellObject(ViewControl* control, int32_t record, int32_t column);
    ~CellObject();
    bool InsideData() const;
    HRESULT ReadText(const wchar_t* (*textOf)(const CellEntry&), BSTR* result) const;

    LONG references = 1;
    ViewControl* control;
    int32_t record;
    int32_t column;
};
