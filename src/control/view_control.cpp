#include "control/view_control.h"

#include "base/interface_table.h"
#include "control/call_check.h"
#include "control/cell_object.h"
#include "control/refusal.h"
#include "control/type_library.h"
#include "store/module_instance.h"

#include <new>

namespace {

constexpr int32_t lastDateTimeFormat = 5;
constexpr int32_t lastDateTimeGrouping = 4;

} // namespace

ViewControl* ViewControl::Create() {
    return new (std::nothrow) ViewControl();
}

ViewControl::ViewControl()
    : eventPoint(this, DIID___View, &IID_IDispatch),
      notifyPoint(this, IID_IPropertyNotifySink, nullptr) {}

ViewControl::~ViewControl() {
    // Dying, the object tells its container nothing more: the window's last messages (the
    // focus leaving it, its destruction) must not hand the object to anyone again.
    placeChanging = true;
    inPlaceActive = uiActive = false;
    inPlaceSite.Reset();
    inPlaceFrame.Reset();
    inPlaceDocument.Reset();
    clientSite.Reset();
    eventPoint.DisconnectAll();
    notifyPoint.DisconnectAll();
    // The window's procedure points at this object; it goes before the engine.
    DestroyEngineWindow();
}

HRESULT STDMETHODCALLTYPE ViewControl::QueryInterface(REFIID riid, void** object) {
    // The order of the control's interface table.
    const InterfaceEntry table[] = {
        {IID_IUnknown, static_cast<_View*>(this)},
        {IID__View, static_cast<_View*>(this)},
        {IID_IDispatch, static_cast<_View*>(this)},
        {IID_IViewObjectEx, static_cast<IViewObjectEx*>(this)},
        {IID_IViewObject2, static_cast<IViewObjectEx*>(this)},
        {IID_IViewObject, static_cast<IViewObjectEx*>(this)},
        {IID_IOleInPlaceObjectWindowless, static_cast<IOleInPlaceObjectWindowless*>(this)},
        {IID_IOleInPlaceObject, static_cast<IOleInPlaceObjectWindowless*>(this)},
        {IID_IOleWindow, static_cast<IOleInPlaceObjectWindowless*>(this)},
        {IID_IOleInPlaceActiveObject, static_cast<IOleInPlaceActiveObject*>(this)},
        {IID_IOleControl, static_cast<IOleControl*>(this)},
        {IID_IOleObject, static_cast<IOleObject*>(this)},
        {IID_IPersistStreamInit, static_cast<IPersistStreamInit*>(this)},
        {IID_IPersist, static_cast<IPersistStreamInit*>(this)},
        {IID_ISupportErrorInfo, static_cast<ISupportErrorInfo*>(this)},
        {IID_IConnectionPointContainer, static_cast<IConnectionPointContainer*>(this)},
        {IID_ISpecifyPropertyPages, static_cast<ISpecifyPropertyPages*>(this)},
        {IID_IQuickActivate, static_cast<IQuickActivate*>(this)},
        {IID_IPersistStorage, static_cast<IPersistStorage*>(this)},
        {IID_IDataObject, static_cast<IDataObject*>(this)},
        {IID_IProvideClassInfo, static_cast<IProvideClassInfo2*>(this)},
        {IID_IProvideClassInfo2, static_cast<IProvideClassInfo2*>(this)},
        {IID_IObjectSafety, static_cast<IObjectSafety*>(this)},
    };
    return AnswerInterface(table, riid, object);
}

HRESULT ViewControl::GetTypeInfoOf(REFGUID guid, ITypeInfo** info) {
    if (!info)
        return E_POINTER;
    *info = nullptr;
    if (guid == IID__View && viewInfo) {
        viewInfo.CopyTo(info);
        return S_OK;
    }
    if (!typeLibrary) {
        HRESULT hr = LoadModuleTypeLib(ModuleInstance(), typeLibrary.Receive());
        if (FAILED(hr))
            return hr;
    }
    HRESULT hr = typeLibrary->GetTypeInfoOfGuid(guid, info);
    if (SUCCEEDED(hr) && guid == IID__View)
        viewInfo.Assign(*info);
    return hr;
}

// --- IDispatch, through the type information of _View ---

HRESULT ViewControl::DualTypeInfo(ITypeInfo** info) {
    return GetTypeInfoOf(IID__View, info);
}

HRESULT ViewControl::CheckCall(ITypeInfo* info, DISPID id, WORD flags, DISPPARAMS* params,
                               UINT* argumentError) {
    return CheckAutomationCall(info, id, flags, params, argumentError);
}

// --- _View ---

HRESULT STDMETHODCALLTYPE ViewControl::get_Cell(LONG record, LONG column, ::Cell** cell) {
    if (!cell)
        return Refuse(E_POINTER);
    *cell = nullptr;
    if (record < 0 || column < 0 || record >= store.recordCount || column >= store.columnCount)
        return Refuse(E_INVALIDARG);
    CellObject* created = CellObject::Create(this, record, column);
    if (!created)
        return Refuse(E_OUTOFMEMORY);
    *cell = created;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ViewControl::SetData(VARIANT data, DateTimeFormat format,
                                               DateTimeGrouping grouping, VARIANT_BOOL revert) {
    KeepAlive alive(*this); // through OnSelect
    // Checked as the 32-bit integers a host may pass, whatever the enumerations allow.
    const int32_t formatValue = static_cast<int32_t>(format);
    const int32_t groupingValue = static_cast<int32_t>(grouping);
    if (formatValue < 0 || formatValue > lastDateTimeFormat)
        return Refuse(E_INVALIDARG);
    if (groupingValue < 0 || groupingValue > lastDateTimeGrouping)
        return Refuse(E_INVALIDARG);
    // Host code run by a value of the load in progress cannot start another one.
    if (store.Loading())
        return Refuse(E_FAIL);
    const VARIANT* source = &data;
    // A variable passed by reference: one level only.
    if (V_VT(source) == (VT_BYREF | VT_VARIANT)) {
        source = V_VARIANTREF(source);
        if (!source)
            return Refuse(E_INVALIDARG);
    }
    if (V_VT(source) == VT_EMPTY || V_VT(source) == VT_NULL) {
        if (!ViewEngine::SetData(nullptr, formatValue, groupingValue, false))
            return Refuse(store.LoadFailure());
        LookChanged();
        return S_OK;
    }
    if (!(V_VT(source) & VT_ARRAY))
        return Refuse(E_INVALIDARG);
    SAFEARRAY* array = nullptr;
    if (V_VT(source) & VT_BYREF)
        array = V_ARRAYREF(source) ? *V_ARRAYREF(source) : nullptr;
    else
        array = V_ARRAY(source);
    if (!array)
        return Refuse(E_INVALIDARG);
    // Only the automation true value counts; 1 is not true here.
    bool reverted = revert == VARIANT_TRUE;
    // Refused, or out of memory: the shown data stay as they were.
    if (!ViewEngine::SetData(array, formatValue, groupingValue, reverted))
        return Refuse(store.LoadFailure());
    LookChanged();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ViewControl::get_ColumnLabel(LONG column, BSTR* label) {
    return Answer(GetColumnLabel(column, label));
}

HRESULT STDMETHODCALLTYPE ViewControl::put_ColumnLabel(LONG column, BSTR label) {
    return Answer(PutColumnLabel(column, label));
}

HRESULT STDMETHODCALLTYPE ViewControl::get_ColumnWidth(LONG column, LONG* width) {
    int32_t value = 0;
    HRESULT hr = GetColumnWidth(column, width ? &value : nullptr);
    if (SUCCEEDED(hr))
        *width = value;
    return Answer(hr);
}

HRESULT STDMETHODCALLTYPE ViewControl::put_ColumnWidth(LONG column, LONG width) {
    return Answer(PutColumnWidth(column, width));
}

HRESULT STDMETHODCALLTYPE ViewControl::get_ColumnAlign(LONG column, ::ColumnAlign* align) {
    int32_t value = 0;
    HRESULT hr = GetColumnAlign(column, align ? &value : nullptr);
    if (SUCCEEDED(hr))
        *align = static_cast<::ColumnAlign>(value);
    return Answer(hr);
}

HRESULT STDMETHODCALLTYPE ViewControl::put_ColumnAlign(LONG column, ::ColumnAlign align) {
    return Answer(PutColumnAlign(column, align));
}

// The engine counts in int32_t, the interface in LONG: the same width under another name.
HRESULT ViewControl::AnswerCount(HRESULT (ViewEngine::*get)(int32_t*), LONG* result) {
    int32_t value = 0;
    const HRESULT hr = (this->*get)(result ? &value : nullptr);
    if (SUCCEEDED(hr))
        *result = value;
    return Answer(hr);
}

HRESULT STDMETHODCALLTYPE ViewControl::get_ColumnCount(LONG* count) {
    return AnswerCount(&ViewEngine::GetColumnCount, count);
}

HRESULT STDMETHODCALLTYPE ViewControl::get_RecordCount(LONG* count) {
    return AnswerCount(&ViewEngine::GetRecordCount, count);
}

HRESULT STDMETHODCALLTYPE ViewControl::get_SelectedRecord(LONG* record) {
    return AnswerCount(&ViewEngine::GetSelectedRecord, record);
}

HRESULT STDMETHODCALLTYPE ViewControl::get_Enabled(VARIANT_BOOL* value) {
    if (!value)
        return Refuse(E_POINTER);
    *value = enabled ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ViewControl::put_Enabled(VARIANT_BOOL value) {
    KeepAlive alive(*this);
    if (RequestEdit(DISPID_ENABLED) == S_FALSE)
        return S_FALSE;
    // Saved as true or false: only a change of that is a change of the saved state.
    if ((enabled != 0) != (value != 0))
        dirty = true;
    enabled = static_cast<int16_t>(value);
    ApplyEnabled();
    NotifyChanged(DISPID_ENABLED);
    if (hwnd)
        InvalidateRect(hwnd, nullptr, TRUE);
    LookChanged();
    return S_OK;
}

void ViewControl::ApplyEnabled() {
    // Asked first: disabling the window that has the focus leaves the focus nowhere.
    const HWND window = hwnd;
    const bool focused = window && !enabled && GetFocus() == window;
    if (window)
        EnableWindow(window, enabled != 0);
    // A disabled control cannot keep the keyboard or the container's user interface.
    if (focused && hwnd == window)
        SetFocus(GetParent(window));
    if (uiActive && !enabled)
        UIDeactivate();
}

HRESULT STDMETHODCALLTYPE ViewControl::AboutBox() {
    KeepAlive alive(*this); // the dialog's loop runs the container's code
    if (!RunAboutDialog())
        return Refuse(E_FAIL);
    return S_OK;
}

void ViewControl::ShowAbout() {
    RunAboutDialog();
}
