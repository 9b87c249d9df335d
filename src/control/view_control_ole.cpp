#include "control/view_control.h"

namespace {

// OLEMISC_RECOMPOSEONRESIZE | OLEMISC_CANTLINKINSIDE | OLEMISC_INSIDEOUT |
// OLEMISC_ACTIVATEWHENVISIBLE | OLEMISC_SETCLIENTSITEFIRST
constexpr DWORD miscStatus = 131473;
constexpr DWORD safeForUntrusted =
    INTERFACESAFE_FOR_UNTRUSTED_CALLER | INTERFACESAFE_FOR_UNTRUSTED_DATA;

} // namespace

// --- IOleControl ---

HRESULT STDMETHODCALLTYPE ViewControl::GetControlInfo(CONTROLINFO* info) {
    if (!info)
        return E_POINTER;
    // The control has no mnemonics.
    info->hAccel = nullptr;
    info->cAccel = 0;
    info->dwFlags = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ViewControl::OnMnemonic(MSG*) {
    return E_NOTIMPL;
}

// Ambient properties are read when they are needed, so a change needs no action here.
HRESULT STDMETHODCALLTYPE ViewControl::OnAmbientPropertyChange(DISPID id) {
    // The list's accessible name is the container's name for it.
    if (id == DISPID_AMBIENT_DISPLAYNAME || id == DISPID_UNKNOWN)
        NotifyAccessible(EVENT_OBJECT_NAMECHANGE, CHILDID_SELF);
    return S_OK;
}

// --- IOleObject ---

HRESULT STDMETHODCALLTYPE ViewControl::SetClientSite(IOleClientSite* site) {
    KeepAlive alive(*this);
    PlaceChange change(*this); // not shown again in the old site before the new one is set
    // The window lives in the old site's window.
    if (site != clientSite.Get())
        InPlaceDeactivate();
    clientSite.Assign(site);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ViewControl::GetClientSite(IOleClientSite** site) {
    if (!site)
        return E_POINTER;
    clientSite.CopyTo(site);
    return S_OK;
}

// The control shows no container or document names.
HRESULT STDMETHODCALLTYPE ViewControl::SetHostNames(LPCOLESTR, LPCOLESTR) {
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ViewControl::Close(DWORD saveOption) {
    KeepAlive alive(*this);
    PlaceChange change(*this); // closed means inactive, whatever the container does meanwhile
    if (saveOption != OLECLOSE_NOSAVE && dirty && clientSite) {
        HRESULT hr = clientSite->SaveObject();
        if (FAILED(hr) && saveOption == OLECLOSE_SAVEIFDIRTY)
            return hr;
    }
    InPlaceDeactivate();
    if (IOleAdviseHolder* holder = adviseHolder.Get())
        holder->SendOnClose();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ViewControl::SetMoniker(DWORD, IMoniker*) {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE ViewControl::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
    if (moniker)
        *moniker = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE ViewControl::InitFromData(IDataObject*, BOOL, DWORD) {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE ViewControl::GetClipboardData(DWORD, IDataObject** data) {
    if (data)
        *data = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE ViewControl::EnumVerbs(IEnumOLEVERB** verbs) {
    if (!verbs)
        return E_POINTER;
    return OleRegEnumVerbs(CLSID_View, verbs);
}

// Nothing is linked, so the object is always up to date.
HRESULT STDMETHODCALLTYPE ViewControl::Update() {
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ViewControl::IsUpToDate() {
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ViewControl::GetUserClassID(CLSID* clsid) {
    if (!clsid)
        return E_POINTER;
    *clsid = CLSID_View;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ViewControl::GetUserType(DWORD form, LPOLESTR* name) {
    if (!name)
        return E_POINTER;
    return OleRegGetUserType(CLSID_View, form, name);
}

HRESULT STDMETHODCALLTYPE ViewControl::SetExtent(DWORD aspect, SIZEL* size) {
    if (aspect != DVASPECT_CONTENT)
        return DV_E_DVASPECT;
    if (!size)
        return E_POINTER;
    if (size->cx != extent.cx || size->cy != extent.cy)
        dirty = true;
    extent = *size;
    // The window follows the site's rectangles only; an active control asks its site for
    // the new size, and the site answers (or not) through SetObjectRects.
    if (inPlaceSite) {
        KeepAlive alive(*this);
        const SIZE pixels = ExtentInPixels();
        RECT wanted = positionRect;
        wanted.right = wanted.left + pixels.cx;
        wanted.bottom = wanted.top + pixels.cy;
        if (!EqualRect(&wanted, &positionRect))
            inPlaceSite.Share()->OnPosRectChange(&wanted);
    }
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ViewControl::GetExtent(DWORD aspect, SIZEL* size) {
    if (!size)
        return E_POINTER;
    if (aspect != DVASPECT_CONTENT)
        return DV_E_DVASPECT;
    *size = extent;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ViewControl::Advise(IAdviseSink* sink, DWORD* connection) {
    return adviseHolder.Advise(connection, sink);
}

HRESULT STDMETHODCALLTYPE ViewControl::Unadvise(DWORD connection) {
    return adviseHolder.Unadvise(connection);
}

HRESULT STDMETHODCALLTYPE ViewControl::EnumAdvise(IEnumSTATDATA** advises) {
    return adviseHolder.Enumerate(advises, S_FALSE);
}

HRESULT STDMETHODCALLTYPE ViewControl::GetMiscStatus(DWORD aspect, DWORD* status) {
    if (!status)
        return E_POINTER;
    *status = 0;
    if (aspect != DVASPECT_CONTENT)
        return S_FALSE;
    *status = miscStatus;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ViewControl::SetColorScheme(LOGPALETTE*) {
    return E_NOTIMPL;
}

// --- ISupportErrorInfo, ISpecifyPropertyPages, IProvideClassInfo2 ---

HRESULT STDMETHODCALLTYPE ViewControl::InterfaceSupportsErrorInfo(REFIID riid) {
    return riid == IID__View ? S_OK : S_FALSE;
}

HRESULT STDMETHODCALLTYPE ViewControl::GetPages(CAUUID* pages) {
    if (!pages)
        return E_POINTER;
    pages->cElems = 0;
    pages->pElems = nullptr;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ViewControl::GetClassInfo(ITypeInfo** info) {
    return GetTypeInfoOf(CLSID_View, info);
}

HRESULT STDMETHODCALLTYPE ViewControl::GetGUID(DWORD kind, GUID* guid) {
    if (!guid)
        return E_POINTER;
    if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) {
        *guid = GUID_NULL;
        return E_INVALIDARG;
    }
    *guid = DIID___View;
    return S_OK;
}

// --- IObjectSafety ---

HRESULT STDMETHODCALLTYPE ViewControl::GetInterfaceSafetyOptions(REFIID riid, DWORD* supported,
                                                                 DWORD* enabledOptions) {
    if (!supported || !enabledOptions)
        return E_POINTER;
    ComRef<IUnknown> answered;
    HRESULT hr = QueryInterface(riid, answered.ReceiveVoid());
    if (FAILED(hr)) {
        *supported = *enabledOptions = 0;
        return hr;
    }
    *supported = safeForUntrusted;
    *enabledOptions = safetyOptions;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ViewControl::SetInterfaceSafetyOptions(REFIID riid, DWORD mask,
                                                                 DWORD options) {
    ComRef<IUnknown> answered;
    if (FAILED(QueryInterface(riid, answered.ReceiveVoid())))
        return E_NOINTERFACE;
    if (options > safeForUntrusted)
        return E_FAIL;
    // Only the bits of the mask change.
    safetyOptions = (safetyOptions & ~mask) | (options & mask);
    return S_OK;
}
