#include "control/view_control.h"

#include "control/about_dialog.h"
#include "control/enumerators.h"

namespace {

enum EventId : DISPID {
    OnSelectId = 1,
    OnContextMenuId = 2,
    OnItemDblClickId = 3,
    OnKeyDownId = 4,
    OnKeyUpId = 5,
    OnKeyPressId = 6
};

} // namespace

void ViewControl::RaiseEvent(DISPID id, const int32_t* arguments, UINT count) {
    SinkSnapshot sinks;
    if (!eventPoint.Snapshot(sinks))
        return;
    VARIANTARG values[3];
    for (int32_t i = 0; i < sinks.count; ++i) {
        // Automation wants the arguments last first; rebuilt for each sink in case one
        // changed them.
        for (UINT a = 0; a < count; ++a) {
            VariantInit(&values[count - 1 - a]);
            V_VT(&values[count - 1 - a]) = VT_I4;
            V_I4(&values[count - 1 - a]) = arguments[a];
        }
        DISPPARAMS params = {count ? values : nullptr, nullptr, count, 0};
        auto* sink = sinks.At<IDispatch>(i);
        // A failing sink does not keep the others from hearing of it.
        sink->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr,
                     nullptr);
    }
}

void ViewControl::SelectionChanged() {
    pendingSelect = EventsFrozen();
    if (EventsFrozen() == 0)
        RaiseEvent(OnSelectId, nullptr, 0);
}

void ViewControl::ContextMenu(int32_t x, int32_t y, int32_t record) {
    const int32_t arguments[] = {x, y, record};
    RaiseEvent(OnContextMenuId, arguments, 3);
}

void ViewControl::ItemDblClick(int32_t x, int32_t y, int32_t record) {
    const int32_t arguments[] = {x, y, record};
    RaiseEvent(OnItemDblClickId, arguments, 3);
}

void ViewControl::RaiseKeyDown(int32_t keyCode, int32_t shift) {
    const int32_t arguments[] = {keyCode, shift};
    RaiseEvent(OnKeyDownId, arguments, 2);
}

void ViewControl::RaiseKeyUp(int32_t keyCode, int32_t shift) {
    const int32_t arguments[] = {keyCode, shift};
    RaiseEvent(OnKeyUpId, arguments, 2);
}

void ViewControl::RaiseKeyPress(int32_t keyAscii) {
    RaiseEvent(OnKeyPressId, &keyAscii, 1);
}

int32_t ViewControl::EventsFrozen() {
    return freezeCount;
}

bool ViewControl::GetAmbient(DISPID id, OwnedVariant& value) {
    value.Clear();
    ComRef<IDispatch> ambient;
    if (!clientSite || FAILED(clientSite->QueryInterface(IID_IDispatch, ambient.ReceiveVoid())))
        return false;
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    if (SUCCEEDED(ambient->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none,
                                  &value.Get(), nullptr, nullptr)))
        return true;
    value.Clear();
    return false;
}

bool ViewControl::GetAmbientBool(DISPID id, bool fallback) {
    OwnedVariant ambient;
    VARIANT& value = ambient.Get();
    if (GetAmbient(id, ambient) && SUCCEEDED(VariantChangeType(&value, &value, 0, VT_BOOL)))
        return V_BOOL(&value) != VARIANT_FALSE;
    return fallback;
}

BSTR ViewControl::DisplayName() {
    OwnedVariant ambient;
    VARIANT& value = ambient.Get();
    if (!GetAmbient(DISPID_AMBIENT_DISPLAYNAME, ambient) ||
        FAILED(VariantChangeType(&value, &value, 0, VT_BSTR)) || SysStringLen(V_BSTR(&value)) == 0)
        return nullptr;
    const VARIANT name = ambient.Detach(); // the caller's now
    return V_BSTR(&name);
}

bool ViewControl::DesignMode() {
    return !GetAmbientBool(DISPID_AMBIENT_USERMODE, true);
}

bool ViewControl::DesignModeOrUIDead() {
    return DesignMode() || GetAmbientBool(DISPID_AMBIENT_UIDEAD, false);
}

HRESULT STDMETHODCALLTYPE ViewControl::FreezeEvents(BOOL freeze) {
    KeepAlive alive(*this); // through the held-back OnSelect
    // Freezing ends any header drag: its drop would act while the host is not listening.
    if (freezeCount == 0 && freeze && view.trackMode != 0)
        ReleaseTracking();
    freezeCount += freeze ? 1 : -1;
    if (freezeCount == 0 && pendingSelect != 0)
        SelectionChanged();
    return S_OK;
}

HRESULT ViewControl::RequestEdit(DISPID id) {
    SinkSnapshot sinks;
    if (!notifyPoint.Snapshot(sinks))
        return E_OUTOFMEMORY;
    for (int32_t i = 0; i < sinks.count; ++i) {
        auto* sink = sinks.At<IPropertyNotifySink>(i);
        if (sink->OnRequestEdit(id) == S_FALSE)
            return S_FALSE;
    }
    return S_OK;
}

void ViewControl::NotifyChanged(DISPID id) {
    SinkSnapshot sinks;
    if (!notifyPoint.Snapshot(sinks))
        return;
    for (int32_t i = 0; i < sinks.count; ++i)
        sinks.At<IPropertyNotifySink>(i)->OnChanged(id);
}

bool ViewControl::RunAboutDialog() {
    bool shown = ShowAboutDialog(GetActiveWindow());
    if (hwnd)
        InvalidateRect(hwnd, nullptr, TRUE);
    return shown;
}

// --- IConnectionPointContainer ---

HRESULT STDMETHODCALLTYPE ViewControl::EnumConnectionPoints(IEnumConnectionPoints** points) {
    IConnectionPoint* const all[] = {&eventPoint, &notifyPoint};
    return CreatePointEnumerator(all, 2, points);
}

HRESULT STDMETHODCALLTYPE ViewControl::FindConnectionPoint(REFIID riid, IConnectionPoint** point) {
    if (!point)
        return E_POINTER;
    *point = nullptr;
    if (riid == DIID___View)
        *point = &eventPoint;
    else if (riid == IID_IPropertyNotifySink)
        *point = &notifyPoint;
    else
        return CONNECT_E_NOCONNECTION;
    (*point)->AddRef();
    return S_OK;
}
