#include "control_host.h"

#include "host_site.h"

namespace {

using GetClassObjectFunction = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
using CanUnloadFunction = HRESULT(STDAPICALLTYPE*)();

template <typename T> T* Ask(IUnknown* from, REFIID riid) {
    T* result = nullptr;
    if (!from || FAILED(from->QueryInterface(riid, reinterpret_cast<void**>(&result))))
        return nullptr;
    return result;
}

// The control's default event interface, as its class information names it.
IID DefaultSource(IUnknown* control) {
    IID source = IID_NULL;
    if (auto* info = Ask<IProvideClassInfo2>(control, IID_IProvideClassInfo2)) {
        info->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &source);
        info->Release();
    }
    return source;
}

// A control that wants its site first gets it before initialisation, others after.
bool WantsSiteFirst(IOleObject* object) {
    DWORD status = 0;
    return SUCCEEDED(object->GetMiscStatus(DVASPECT_CONTENT, &status)) &&
           (status & OLEMISC_SETCLIENTSITEFIRST);
}

} // namespace

ControlHost::ControlHost(HWND window) : site(new HostSite(window)) {
    site->owner = this;
    GetClientRect(window, &site->clip);
}

ControlHost::~ControlHost() {
    Close();
    site->owner = nullptr;
    Drop(site);
    // The module goes only when nothing of it is alive any more.
    if (module) {
        auto canUnload = reinterpret_cast<CanUnloadFunction>(
            reinterpret_cast<void*>(GetProcAddress(module, "DllCanUnloadNow")));
        if (canUnload && canUnload() == S_OK)
            FreeLibrary(module);
    }
}

HRESULT ControlHost::CreateFromModule(const wchar_t* modulePath, REFCLSID clsid, const RECT& bounds,
                                      bool quickActivate) {
    if (!module)
        module = LoadLibraryW(modulePath);
    if (!module)
        return HRESULT_FROM_WIN32(GetLastError());
    auto getClassObject = reinterpret_cast<GetClassObjectFunction>(
        reinterpret_cast<void*>(GetProcAddress(module, "DllGetClassObject")));
    if (!getClassObject)
        return E_NOINTERFACE;
    IClassFactory* factory = nullptr;
    HRESULT hr = getClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory));
    if (FAILED(hr))
        return hr;
    IUnknown* control = nullptr;
    hr = factory->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(&control));
    factory->Release();
    if (FAILED(hr))
        return hr;
    hr = Embed(control, bounds, quickActivate);
    control->Release();
    return hr;
}

HRESULT ControlHost::Embed(IUnknown* control, const RECT& bounds, bool quickActivate) {
    Close();
    site->control = Ask<IOleObject>(control, IID_IOleObject);
    if (!site->control)
        return E_NOINTERFACE;
    site->automation = Ask<IDispatch>(control, IID_IDispatch);
    site->position = bounds;
    site->events.eventInterface = DefaultSource(control);
    IOleClientSite* current = nullptr;
    site->control->GetClientSite(&current);
    // An object sited here already (OleCreate and the like) is initialised already.
    const bool sited = current == site;
    if (current)
        current->Release();
    auto* quick = quickActivate ? Ask<IQuickActivate>(control, IID_IQuickActivate) : nullptr;
    const bool siteFirst = quick || WantsSiteFirst(site->control);
    HRESULT hr = S_OK;
    if (quick) {
        hr = QuickActivate(quick);
        quick->Release();
    } else if (!sited && siteFirst) {
        hr = site->control->SetClientSite(site);
    }
    if (SUCCEEDED(hr) && !sited)
        if (auto* persist = Ask<IPersistStreamInit>(control, IID_IPersistStreamInit)) {
            hr = persist->InitNew();
            persist->Release();
        }
    if (SUCCEEDED(hr) && !sited && !siteFirst)
        hr = site->control->SetClientSite(site);
    if (SUCCEEDED(hr))
        ConnectEvents(!quickActivate);
    if (auto* view = Ask<IViewObject>(control, IID_IViewObject)) {
        view->SetAdvise(DVASPECT_CONTENT, 0, site);
        view->Release();
    }
    if (SUCCEEDED(hr))
        hr = DoVerb(OLEIVERB_INPLACEACTIVATE);
    return hr;
}

// The site, the event sink and the ambient flags in one call.
HRESULT ControlHost::QuickActivate(IQuickActivate* quick) {
    QACONTAINER container = {};
    container.cbSize = sizeof container;
    container.pClientSite = site;
    container.pUnkEventSink = &site->events;
    container.dwAmbientFlags =
        (site->userMode ? QACONTAINER_USERMODE : 0) | (site->uiDead ? QACONTAINER_UIDEAD : 0);
    QACONTROL answer = {};
    answer.cbSize = sizeof answer;
    const HRESULT hr = quick->QuickActivate(&container, &answer);
    site->eventCookie = answer.dwEventCookie;
    return hr;
}

// The event connection point, kept for the end; quick activation has connected already.
void ControlHost::ConnectEvents(bool advise) {
    if (site->events.eventInterface == IID_NULL)
        return;
    auto* points = Ask<IConnectionPointContainer>(site->control, IID_IConnectionPointContainer);
    if (!points)
        return;
    if (SUCCEEDED(points->FindConnectionPoint(site->events.eventInterface, &site->eventPoint)) &&
        advise)
        site->eventPoint->Advise(&site->events, &site->eventCookie);
    points->Release();
}

void ControlHost::Close() {
    IOleObject* control = site->control;
    if (!control)
        return;
    // Taken from the site first: a handler that the calls below run finds the host closed.
    site->control = nullptr;
    IDispatch* automation = site->automation;
    site->automation = nullptr;
    IConnectionPoint* point = site->eventPoint;
    site->eventPoint = nullptr;
    if (point && site->eventCookie)
        point->Unadvise(site->eventCookie);
    site->eventCookie = 0;
    Drop(point);
    if (auto* view = Ask<IViewObject>(control, IID_IViewObject)) {
        view->SetAdvise(DVASPECT_CONTENT, 0, nullptr);
        view->Release();
    }
    control->Close(OLECLOSE_NOSAVE);
    control->SetClientSite(nullptr);
    Drop(automation);
    Drop(control);
}

void ControlHost::LetGo() {
    site->eventCookie = 0;
    Drop(site->eventPoint);
    Drop(site->activeObject);
    Drop(site->automation);
    Drop(site->control);
}

void ControlHost::SetWindow(HWND window) {
    site->window = window;
    GetClientRect(window, &site->clip);
}

IOleClientSite* ControlHost::Site() const {
    return site;
}

IDispatch* ControlHost::Control() const {
    return site->automation;
}

HWND ControlHost::ControlWindow() const {
    HWND window = nullptr;
    if (auto* inPlace = Ask<IOleInPlaceObject>(site->control, IID_IOleInPlaceObject)) {
        if (FAILED(inPlace->GetWindow(&window)))
            window = nullptr;
        inPlace->Release();
    }
    return window;
}

IOleInPlaceActiveObject* ControlHost::ActiveObject() const {
    return site->activeObject;
}

HRESULT ControlHost::DoVerb(LONG verb) {
    if (!site->control)
        return E_UNEXPECTED;
    return site->control->DoVerb(verb, nullptr, site, 0, site->window, &site->position);
}

HRESULT ControlHost::Deactivate() {
    auto* inPlace = Ask<IOleInPlaceObject>(site->control, IID_IOleInPlaceObject);
    if (!inPlace)
        return E_NOINTERFACE;
    const HRESULT hr = inPlace->InPlaceDeactivate();
    inPlace->Release();
    return hr;
}

HRESULT ControlHost::Move(const RECT& bounds) {
    RECT client;
    GetClientRect(site->window, &client);
    return Move(bounds, client);
}

HRESULT ControlHost::Move(const RECT& bounds, const RECT& clip) {
    site->position = bounds;
    site->clip = clip;
    auto* inPlace = Ask<IOleInPlaceObject>(site->control, IID_IOleInPlaceObject);
    if (!inPlace)
        return E_NOINTERFACE;
    const HRESULT hr = inPlace->SetObjectRects(&site->position, &site->clip);
    inPlace->Release();
    return hr;
}

void ControlHost::SetAmbient(bool userMode, bool uiDead) {
    site->userMode = userMode;
    site->uiDead = uiDead;
    AmbientChanged(DISPID_UNKNOWN);
}

void ControlHost::SetDisplayName(const wchar_t* name) {
    site->displayName = name ? name : L"";
    AmbientChanged(DISPID_AMBIENT_DISPLAYNAME);
}

void ControlHost::AmbientChanged(DISPID id) {
    if (auto* control = Ask<IOleControl>(site->control, IID_IOleControl)) {
        control->OnAmbientPropertyChange(id);
        control->Release();
    }
}

bool ControlHost::TranslateAccelerator(MSG& message) {
    if (message.message < WM_KEYFIRST || message.message > WM_KEYLAST || !site->activeObject)
        return false;
    IOleInPlaceActiveObject* active = site->activeObject;
    active->AddRef(); // the call may deactivate the control
    const HRESULT hr = active->TranslateAccelerator(&message);
    active->Release();
    return hr == S_OK;
}

HostRecord& ControlHost::Record() {
    return site->record;
}
