#include "control/cell_object.h"

#include "base/interface_table.h"
#include "control/dual_dispatch.h"
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

CellObject::CellObject(ViewControl* control, int32_t record, int32_t column)
    : control(control), record(record), column(column) {
    static_cast<_View*>(control)->AddRef();
}

CellObject::~CellObject() {
    static_cast<_View*>(control)->Release();
}

HRESULT STDMETHODCALLTYPE CellObject::QueryInterface(REFIID riid, void** object) {
    ::Cell* cell = this;
    const InterfaceEntry table[] = {{IID_IUnknown, cell},
                                    {IID_IDispatch, cell},
                                    {IID_Cell, cell},
                                    {IID_ISupportErrorInfo, static_cast<ISupportErrorInfo*>(this)}};
    return AnswerInterface(table, riid, object);
}

ULONG STDMETHODCALLTYPE CellObject::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&references));
}

ULONG STDMETHODCALLTYPE CellObject::Release() {
    LONG left = InterlockedDecrement(&references);
    if (left == 0)
        delete this;
    return static_cast<ULONG>(left);
}

HRESULT STDMETHODCALLTYPE CellObject::GetTypeInfoCount(UINT* count) {
    return DualDispatch::TypeInfoCount(count);
}

HRESULT STDMETHODCALLTYPE CellObject::GetTypeInfo(UINT index, LCID, ITypeInfo** info) {
    return DualDispatch(*control, IID_Cell).TypeInfo(index, info);
}

HRESULT STDMETHODCALLTYPE CellObject::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID,
                                                    DISPID* ids) {
    return DualDispatch(*control, IID_Cell).IDsOfNames(riid, names, count, ids);
}

HRESULT STDMETHODCALLTYPE CellObject::Invoke(DISPID id, REFIID riid, LCID, WORD flags,
                                             DISPPARAMS* params, VARIANT* result,
                                             EXCEPINFO* exception, UINT* argumentError) {
    return DualDispatch(*control, IID_Cell)
        .Invoke(static_cast<::Cell*>(this), id, riid, flags, params, result, exception,
                argumentError);
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
