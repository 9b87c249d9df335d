#include "host_site.h"

namespace {

template <typename Interface> HRESULT Hand(Interface* given, void** object) {
    *object = given;
    given->AddRef();
    return S_OK;
}

} // namespace

// --- DispatchByIds ---

HRESULT STDMETHODCALLTYPE DispatchByIds::GetTypeInfoCount(UINT* count) {
    if (!count)
        return E_POINTER;
    *count = 0;
    return S_OK;
}
HRESULT STDMETHODCALLTYPE DispatchByIds::GetTypeInfo(UINT, LCID, ITypeInfo**) {
    return DISP_E_BADINDEX;
}
HRESULT STDMETHODCALLTYPE DispatchByIds::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
    return DISP_E_UNKNOWNNAME;
}

// --- HostFrame ---

HRESULT STDMETHODCALLTYPE HostFrame::QueryInterface(REFIID riid, void** object) {
    if (!object)
        return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IOleWindow || riid == IID_IOleInPlaceUIWindow ||
        riid == IID_IOleInPlaceFrame)
        return Hand(static_cast<IOleInPlaceFrame*>(this), object);
    *object = nullptr;
    return E_NOINTERFACE;
}
HRESULT STDMETHODCALLTYPE HostFrame::GetWindow(HWND* window) {
    return site.GetWindow(window);
}
HRESULT STDMETHODCALLTYPE HostFrame::GetBorder(LPRECT border) {
    if (!border)
        return E_POINTER;
    return GetClientRect(site.window, border) ? S_OK : E_FAIL;
}
HRESULT STDMETHODCALLTYPE HostFrame::SetBorderSpace(LPCBORDERWIDTHS widths) {
    // No tools of the control's take room: only "none" is granted.
    if (widths && (widths->left || widths->top || widths->right || widths->bottom))
        return OLE_E_INVALIDRECT;
    return S_OK;
}
HRESULT STDMETHODCALLTYPE HostFrame::SetActiveObject(IOleInPlaceActiveObject* object, LPCOLESTR) {
    if (object)
        object->AddRef();
    Drop(site.activeObject);
    site.activeObject = object;
    return S_OK;
}
HRESULT STDMETHODCALLTYPE HostFrame::InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS widths) {
    if (widths)
        widths->width[0] = widths->width[2] = widths->width[4] = 0;
    return S_OK;
}

// --- HostEventSink ---

HRESULT STDMETHODCALLTYPE HostEventSink::QueryInterface(REFIID riid, void** object) {
    if (!object)
        return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDispatch ||
        (riid == eventInterface && riid != IID_NULL))
        return Hand(static_cast<IDispatch*>(this), object);
    *object = nullptr;
    return E_NOINTERFACE;
}
HRESULT STDMETHODCALLTYPE HostEventSink::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params,
                                                VARIANT*, EXCEPINFO*, UINT*) {
    HostEvent event{id, {}};
    for (UINT i = params ? params->cArgs : 0; i-- > 0;) { // rgvarg holds the last first
        VARIANT value;
        VariantInit(&value);
        if (SUCCEEDED(VariantChangeType(&value, &params->rgvarg[i], 0, VT_I4)))
            event.arguments.push_back(V_I4(&value));
        else
            event.arguments.push_back(0);
    }
    if (site.owner && site.owner->onEvent)
        site.owner->onEvent(event);
    return S_OK;
}

// --- HostSite ---

HRESULT STDMETHODCALLTYPE HostSite::QueryInterface(REFIID riid, void** object) {
    if (!object)
        return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IOleClientSite)
        return Hand(static_cast<IOleClientSite*>(this), object);
    if (riid == IID_IOleWindow || riid == IID_IOleInPlaceSite || riid == IID_IOleInPlaceSiteEx)
        return Hand(static_cast<IOleInPlaceSiteEx*>(this), object);
    if (riid == IID_IOleControlSite)
        return Hand(static_cast<IOleControlSite*>(this), object);
    if (riid == IID_IDispatch)
        return Hand(static_cast<IDispatch*>(this), object);
    if (riid == IID_IAdviseSink)
        return Hand(static_cast<IAdviseSink*>(this), object);
    *object = nullptr;
    return E_NOINTERFACE;
}
ULONG STDMETHODCALLTYPE HostSite::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&references));
}
ULONG STDMETHODCALLTYPE HostSite::Release() {
    const LONG left = InterlockedDecrement(&references);
    if (left == 0)
        delete this;
    return static_cast<ULONG>(left);
}

HRESULT STDMETHODCALLTYPE HostSite::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
    if (moniker)
        *moniker = nullptr;
    return E_NOTIMPL;
}
HRESULT STDMETHODCALLTYPE HostSite::GetContainer(IOleContainer** container) {
    if (container)
        *container = nullptr;
    return E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE HostSite::GetWindow(HWND* result) {
    if (!result)
        return E_POINTER;
    *result = window;
    return S_OK;
}
HRESULT STDMETHODCALLTYPE HostSite::OnInPlaceActivate() {
    record.inPlaceActive = true;
    Tell(SiteCall::InPlaceActivate);
    return S_OK;
}
HRESULT STDMETHODCALLTYPE HostSite::OnInPlaceActivateEx(BOOL* noRedraw, DWORD) {
    if (noRedraw)
        *noRedraw = FALSE;
    return OnInPlaceActivate();
}
HRESULT STDMETHODCALLTYPE HostSite::OnUIActivate() {
    record.uiActive = true;
    Tell(SiteCall::UIActivate);
    return S_OK;
}
HRESULT STDMETHODCALLTYPE HostSite::GetWindowContext(IOleInPlaceFrame** frameOut,
                                                     IOleInPlaceUIWindow** document,
                                                     LPRECT positionOut, LPRECT clipOut,
                                                     LPOLEINPLACEFRAMEINFO info) {
    if (!frameOut || !document || !positionOut || !clipOut || !info)
        return E_POINTER;
    frame.AddRef();
    *frameOut = &frame;
    *document = nullptr; // the frame is the document window too
    *positionOut = position;
    *clipOut = clip;
    info->fMDIApp = FALSE;
    info->hwndFrame = window;
    info->haccel = nullptr;
    info->cAccelEntries = 0;
    return S_OK;
}
HRESULT STDMETHODCALLTYPE HostSite::OnUIDeactivate(BOOL) {
    record.uiActive = false;
    Tell(SiteCall::UIDeactivate);
    return S_OK;
}
HRESULT STDMETHODCALLTYPE HostSite::OnInPlaceDeactivate() {
    record.inPlaceActive = false;
    Tell(SiteCall::InPlaceDeactivate);
    return S_OK;
}
HRESULT STDMETHODCALLTYPE HostSite::OnInPlaceDeactivateEx(BOOL) {
    return OnInPlaceDeactivate();
}
HRESULT STDMETHODCALLTYPE HostSite::DeactivateAndUndo() {
    return owner ? owner->Deactivate() : S_OK;
}
// The container grants any size the control asks for.
HRESULT STDMETHODCALLTYPE HostSite::OnPosRectChange(LPCRECT wanted) {
    if (!wanted)
        return E_POINTER;
    return owner ? owner->Move(*wanted) : S_OK;
}

HRESULT STDMETHODCALLTYPE HostSite::GetExtendedControl(IDispatch** control) {
    if (control)
        *control = nullptr;
    return E_NOTIMPL;
}
HRESULT STDMETHODCALLTYPE HostSite::TransformCoords(POINTL* himetric, POINTF* container,
                                                    DWORD flags) {
    if (!himetric || !container)
        return E_POINTER;
    // The container counts in pixels of the screen.
    HDC screen = GetDC(nullptr);
    const int dpiX = GetDeviceCaps(screen, LOGPIXELSX), dpiY = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    if (flags & XFORMCOORDS_HIMETRICTOCONTAINER) {
        container->x = static_cast<float>(himetric->x) * dpiX / 2540.0f;
        container->y = static_cast<float>(himetric->y) * dpiY / 2540.0f;
    } else {
        himetric->x = static_cast<LONG>(container->x * 2540.0f / dpiX);
        himetric->y = static_cast<LONG>(container->y * 2540.0f / dpiY);
    }
    return S_OK;
}
HRESULT STDMETHODCALLTYPE HostSite::TranslateAccelerator(MSG*, DWORD modifiers) {
    ++record.accelerators;
    record.lastModifiers = modifiers;
    return record.acceleratorAnswer;
}
HRESULT STDMETHODCALLTYPE HostSite::OnFocus(BOOL gained) {
    ++(gained ? record.focusGained : record.focusLost);
    Tell(gained ? SiteCall::Focus : SiteCall::Blur);
    return S_OK;
}

void HostSite::Tell(SiteCall call) {
    if (owner && owner->onSiteCall)
        std::function<void(SiteCall)>(owner->onSiteCall)(call); // the handler may replace itself
}

HRESULT STDMETHODCALLTYPE HostSite::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*,
                                           VARIANT* result, EXCEPINFO*, UINT*) {
    if (!(flags & DISPATCH_PROPERTYGET) || !result || !record.ambients)
        return DISP_E_MEMBERNOTFOUND;
    VariantInit(result);
    if (id == DISPID_AMBIENT_DISPLAYNAME && !displayName.empty()) {
        V_VT(result) = VT_BSTR;
        V_BSTR(result) = SysAllocString(displayName.c_str());
        return V_BSTR(result) ? S_OK : E_OUTOFMEMORY;
    }
    if (id != DISPID_AMBIENT_USERMODE && id != DISPID_AMBIENT_UIDEAD)
        return DISP_E_MEMBERNOTFOUND;
    V_VT(result) = VT_BOOL;
    V_BOOL(result) =
        (id == DISPID_AMBIENT_USERMODE ? userMode : uiDead) ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}
