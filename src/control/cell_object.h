#pragma once

#include "base/com_ref.h"
#include "base/dispatch_object.h"
#include "norv_h.h"
#include "store/cell_entry.h"

#include <windows.h>
#include <oaidl.h>

#include <cstdint>

class ViewControl;

// One cell of the loaded data as the host sees it: a counted reference to its control and two
// indices, never a copy of the data, so every read sees the control's current load.
class CellObject final : public DispatchObject<::Cell, ISupportErrorInfo> {
public:
    // A new object with one reference that keeps control alive, or null when memory is short.
    static CellObject* Create(ViewControl* control, int32_t record, int32_t column);

    // Cell
    HRESULT STDMETHODCALLTYPE get_Value(VARIANT* value) override;
    HRESULT STDMETHODCALLTYPE get_Text(BSTR* text) override;
    HRESULT STDMETHODCALLTYPE get_Tag(BSTR* tag) override;

    // ISupportErrorInfo
    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID riid) override;

private:
    CellObject(ViewControl* owner, int32_t record, int32_t column);
    ~CellObject() override; // where the control is known
    HRESULT DualTypeInfo(ITypeInfo** info) override;
    HRESULT CheckCall(ITypeInfo* info, DISPID id, WORD flags, DISPPARAMS* params,
                      UINT* argumentError) override;
    bool InsideData() const;
    HRESULT ReadText(const wchar_t* (*textOf)(const CellEntry&), BSTR* result) const;

    ComRef<ViewControl> control;
    int32_t record;
    int32_t column;
};
