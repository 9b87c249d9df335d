#include "control/cell_object.h"

#include "control/call_check.h"
#include "control/refusal.h"
#include "control/view_control.h"

#include <new>

namespace {

// A store text as an automation string.
HRESULT ToBstr(const wchar_t* text, BSTR* result) {
    *result = SysAllocString(text);
    return *result ? S_OK : E_OUTOFMEMORY;
}

} // namespace

CellObject* CellObject::Create(ViewControl* control, int32_t record, int32_t column) {
    return new (std::nothrow) CellObject(control, record, column);
}

CellObject::CellObject(ViewControl* owner, int32_t record, int32_t column)
    : record(record), column(column) {
    control.Assign(owner);
}

CellObject::~CellObject() = default;

HRESULT CellObject::DualTypeInfo(ITypeInfo** info) {
    return control->GetTypeInfoOf(IID_Cell, info);
}

HRESULT CellObject::CheckCall(ITypeInfo* info, DISPID id, WORD flags, DISPPARAMS* params,
                              UINT* argumentError) {
    return CheckAutomationCall(info, id, flags, params, argumentError);
}

bool CellObject::InsideData() const {
    return record < control->store.recordCount && column < control->store.columnCount;
}

HRESULT STDMETHODCALLTYPE CellObject::get_Value(VARIANT* value) {
    if (!value)
        return Refuse(E_POINTER);
    VariantInit(value);
    if (!InsideData())
        return Refuse(E_FAIL);
    return Answer(CopyValue(*value, control->store.Cell(record, column).value));
}

HRESULT STDMETHODCALLTYPE CellObject::get_Text(BSTR* text) {
    return ReadText(DisplayText, text);
}

HRESULT STDMETHODCALLTYPE CellObject::get_Tag(BSTR* tag) {
    return ReadText(KeyText, tag);
}

HRESULT CellObject::ReadText(const wchar_t* (*textOf)(const CellEntry&), BSTR* result) const {
    if (!result)
        return Refuse(E_POINTER);
    *result = nullptr;
    if (!InsideData())
        return Refuse(E_FAIL);
    return Answer(ToBstr(textOf(control->store.Cell(record, column)), result));
}

HRESULT STDMETHODCALLTYPE CellObject::InterfaceSupportsErrorInfo(REFIID riid) {
    return riid == IID_Cell ? S_OK : S_FALSE;
}
