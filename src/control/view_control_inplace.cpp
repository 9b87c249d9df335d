// In-place activation: the verbs, the handshake with the container's in-place site, the
// control's own window in the site's window, and user-interface activation.

#include "control/view_control.h"

#include <utility>

// --- IOleObject::DoVerb ---

HRESULT STDMETHODCALLTYPE ViewControl::DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND,
                                              LPCRECT) {
    KeepAlive alive(*this);
    // A container may name its site only here.
    if (!clientSite && site)
        clientSite.Assign(site);
    switch (verb) {
    case OLEIVERB_HIDE:
        UIDeactivate();
        if (hwnd)
            ShowWindow(hwnd, SW_HIDE);
        return S_OK;
    case OLEIVERB_DISCARDUNDOSTATE:
        return S_OK; // nothing is ever undoable
    case OLEIVERB_INPLACEACTIVATE:
        return ActivateInPlace(false);
    // Showing the control, also "open" (it has no window of its own to open in), means ready
    // for the user. The window's place is the site's position rectangle, whatever the
    // caller passes.
    case OLEIVERB_PRIMARY:
    case OLEIVERB_SHOW:
    case OLEIVERB_OPEN:
    case OLEIVERB_UIACTIVATE:
        return ActivateInPlace(true);
    default:
        break;
    }
    // Properties and unknown negative verbs; the control has no property pages.
    if (verb < 0)
        return E_NOTIMPL;
    // No verbs of its own: the primary one runs instead.
    const HRESULT hr = ActivateInPlace(true);
    return SUCCEEDED(hr) ? OLEOBJ_S_INVALIDVERB : hr;
}

// Every step that tells the container something may run its code, which may deactivate,
// close or release the control: each step checks afterwards that the control is still where
// the step left it. An activation that the container undid meanwhile answers E_UNEXPECTED.
HRESULT ViewControl::ActivateInPlace(bool ui) {
    // No activation while another one, or a deactivation, is under way.
    if (!clientSite || placeChanging)
        return E_UNEXPECTED;
    if (!inPlaceActive) {
        placeChanging = true;
        HRESULT hr = OpenInPlaceSite();
        if (SUCCEEDED(hr))
            hr = CreateWindowInSite();
        placeChanging = false;
        if (FAILED(hr))
            return hr;
    } else if (hwnd && !IsWindowVisible(hwnd)) {
        ShowWindow(hwnd, SW_SHOW);
    }
    if (!inPlaceActive || !hwnd)
        return E_UNEXPECTED;
    // A disabled control stays in place but never takes the user interface.
    if (ui && enabled)
        return ActivateUI();
    return S_OK;
}

bool ViewControl::InPlaceWith(IOleInPlaceSite* site) const {
    return inPlaceActive && inPlaceSite.Get() == site;
}

// The handshake: may the control activate here, tell the site it does, learn the frame and
// the rectangles. Always with a window of its own, even where the site offers windowless
// activation (some sites offer it with services that do nothing).
HRESULT ViewControl::OpenInPlaceSite() {
    ComRef<IOleInPlaceSite> site;
    if (FAILED(clientSite->QueryInterface(IID_IOleInPlaceSite, site.ReceiveVoid())))
        return E_NOINTERFACE;
    if (site->CanInPlaceActivate() != S_OK)
        return E_FAIL;
    // Active before the site hears of it, so that a deactivation it asks for meanwhile
    // balances the activation.
    inPlaceActive = true;
    inPlaceSite.Assign(site.Get());
    ComRef<IOleInPlaceSiteEx> siteEx;
    HRESULT hr;
    if (SUCCEEDED(site->QueryInterface(IID_IOleInPlaceSiteEx, siteEx.ReceiveVoid()))) {
        BOOL noRedraw = FALSE;
        hr = siteEx->OnInPlaceActivateEx(&noRedraw, 0);
    } else {
        hr = site->OnInPlaceActivate();
    }
    if (FAILED(hr) && InPlaceWith(site.Get())) {
        inPlaceActive = false;
        inPlaceSite.Reset();
    }
    if (FAILED(hr))
        return hr;
    return InPlaceWith(site.Get()) ? S_OK : E_UNEXPECTED;
}

HRESULT ViewControl::CreateWindowInSite() {
    ComRef<IOleInPlaceSite> site(inPlaceSite.Share());
    ComRef<IOleInPlaceFrame> frame;
    ComRef<IOleInPlaceUIWindow> document;
    OLEINPLACEFRAMEINFO frameInfo = {};
    frameInfo.cb = sizeof frameInfo;
    RECT position = {}, clip = {};
    HWND parent = nullptr;
    HRESULT hr =
        site->GetWindowContext(frame.Receive(), document.Receive(), &position, &clip, &frameInfo);
    if (SUCCEEDED(hr))
        hr = site->GetWindow(&parent);
    if (SUCCEEDED(hr) && !InPlaceWith(site.Get()))
        return E_UNEXPECTED;
    if (SUCCEEDED(hr)) {
        inPlaceFrame = std::move(frame);
        inPlaceDocument = std::move(document);
        positionRect = position;
        // The parent hears of the new child, and its code may run meanwhile.
        if (!CreateEngineWindow(parent, position))
            hr = E_FAIL;
    }
    if (FAILED(hr)) {
        InPlaceDeactivate();
        return hr;
    }
    if (!InPlaceWith(site.Get()) || !hwnd)
        return E_UNEXPECTED;
    ClipWindow(position, clip);
    return S_OK;
}

HRESULT ViewControl::ActivateUI() {
    if (placeChanging || !inPlaceActive || !hwnd || !enabled)
        return E_UNEXPECTED;
    if (!uiActive) {
        ComRef<IOleInPlaceSite> site(inPlaceSite.Share());
        uiActive = true;
        const HRESULT hr = site->OnUIActivate();
        if (FAILED(hr)) {
            uiActive = false;
            return hr;
        }
        // Deactivated or disabled by the container meanwhile: then no frame may keep the
        // control as its active object.
        if (!uiActive || !InPlaceWith(site.Get()))
            return E_UNEXPECTED;
        // No menus, no tools: the frame and document only learn who is active.
        auto* self = static_cast<IOleInPlaceActiveObject*>(this);
        ComRef<IOleInPlaceFrame> frame(inPlaceFrame.Share());
        if (frame) {
            frame->SetActiveObject(self, nullptr);
            frame->SetBorderSpace(nullptr);
        }
        ComRef<IOleInPlaceUIWindow> document(inPlaceDocument.Share());
        if (document && uiActive) {
            document->SetActiveObject(self, nullptr);
            document->SetBorderSpace(nullptr);
        }
    }
    if (uiActive && hwnd && GetFocus() != hwnd)
        SetFocus(hwnd);
    return uiActive ? S_OK : E_UNEXPECTED;
}

// A position rectangle not wholly inside the clip rectangle is cut down to the visible part.
void ViewControl::ClipWindow(const RECT& position, const RECT& clip) {
    if (!hwnd)
        return;
    RECT visible;
    if (!IntersectRect(&visible, &position, &clip))
        SetRectEmpty(&visible);
    if (EqualRect(&visible, &position)) {
        SetWindowRgn(hwnd, nullptr, TRUE);
        return;
    }
    OffsetRect(&visible, -position.left, -position.top);
    HRGN region = CreateRectRgnIndirect(&visible);
    // The window owns the region from here on.
    if (region && !SetWindowRgn(hwnd, region, TRUE))
        DeleteObject(region);
}

// --- IOleWindow ---

HRESULT STDMETHODCALLTYPE ViewControl::GetWindow(HWND* window) {
    if (!window)
        return E_POINTER;
    *window = hwnd;
    return hwnd ? S_OK : E_FAIL;
}

// The control has no help mode to enter or leave.
HRESULT STDMETHODCALLTYPE ViewControl::ContextSensitiveHelp(BOOL) {
    return S_OK;
}

// --- IOleInPlaceObject, IOleInPlaceObjectWindowless ---

HRESULT STDMETHODCALLTYPE ViewControl::InPlaceDeactivate() {
    if (!inPlaceActive)
        return S_OK;
    KeepAlive alive(*this);
    // No activation until the site has heard of the deactivation: a site that shows the
    // control again from its handler would find it half gone.
    PlaceChange change(*this);
    UIDeactivate();
    ComRef<IOleInPlaceSite> site;
    if (inPlaceActive) { // else the container deactivated the control meanwhile
        inPlaceActive = false;
        // The data, grouping, widths and current row stay in the object for the next window.
        DestroyEngineWindow();
        site = std::move(inPlaceSite);
        inPlaceFrame.Reset();
        inPlaceDocument.Reset();
    }
    if (site)
        site->OnInPlaceDeactivate();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ViewControl::UIDeactivate() {
    if (!uiActive)
        return S_OK;
    KeepAlive alive(*this);
    uiActive = false;
    ComRef<IOleInPlaceUIWindow> document(inPlaceDocument.Share());
    ComRef<IOleInPlaceFrame> frame(inPlaceFrame.Share());
    ComRef<IOleInPlaceSite> site(inPlaceSite.Share());
    if (document)
        document->SetActiveObject(nullptr, nullptr);
    if (frame)
        frame->SetActiveObject(nullptr, nullptr);
    if (site)
        site->OnUIDeactivate(FALSE);
    return S_OK;
}

// Destroyed from outside (by the container, or with the container's own window): the
// control leaves the in-place state, and its next activation makes a new window.
void ViewControl::WindowDestroyed() {
    if (inPlaceActive)
        InPlaceDeactivate();
}

HRESULT STDMETHODCALLTYPE ViewControl::SetObjectRects(LPCRECT position, LPCRECT clip) {
    if (!position || !clip)
        return E_POINTER;
    positionRect = *position;
    if (hwnd) {
        SetWindowPos(hwnd, nullptr, position->left, position->top, position->right - position->left,
                     position->bottom - position->top, SWP_NOZORDER | SWP_NOACTIVATE);
        ClipWindow(*position, *clip);
    }
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ViewControl::ReactivateAndUndo() {
    return INPLACE_E_NOTUNDOABLE;
}

// A windowed control gets its messages through its window; the container's forwarding is
// not processing.
HRESULT STDMETHODCALLTYPE ViewControl::OnWindowMessage(UINT, WPARAM, LPARAM, LRESULT* result) {
    if (!result)
        return E_POINTER;
    *result = 0;
    return S_FALSE;
}

HRESULT STDMETHODCALLTYPE ViewControl::GetDropTarget(IDropTarget** target) {
    if (!target)
        return E_POINTER;
    *target = nullptr;
    return E_NOTIMPL; // nothing can be dropped on the list
}

// --- IOleInPlaceActiveObject (TranslateAccelerator is with the keyboard) ---

// No frame-level or document-level tools to show, hide or place.
HRESULT STDMETHODCALLTYPE ViewControl::OnFrameWindowActivate(BOOL) {
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ViewControl::OnDocWindowActivate(BOOL) {
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ViewControl::ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) {
    return S_OK;
}

// The control opens no modeless windows.
HRESULT STDMETHODCALLTYPE ViewControl::EnableModeless(BOOL) {
    return S_OK;
}

// --- the hosting layer's messages ---

void ViewControl::TellSiteOfFocus(bool focus) {
    if (!clientSite)
        return;
    ComRef<IOleControlSite> site;
    if (SUCCEEDED(clientSite->QueryInterface(IID_IOleControlSite, site.ReceiveVoid())))
        site->OnFocus(focus ? TRUE : FALSE);
}

LRESULT ViewControl::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    const HWND window = hwnd;
    switch (message) {
    case WM_SETFOCUS:
        if (inPlaceActive && !uiActive && enabled)
            ActivateUI();
        if (inPlaceActive && hwnd == window && GetFocus() == window)
            TellSiteOfFocus(true);
        break;
    case WM_KILLFOCUS: {
        const HWND gaining = reinterpret_cast<HWND>(wParam);
        if (inPlaceActive && !(gaining && IsChild(hwnd, gaining)))
            TellSiteOfFocus(false);
        break;
    }
    case WM_MOUSEACTIVATE:
        // Made user-interface active, the control takes the focus.
        if (inPlaceActive && !DesignMode())
            ActivateUI();
        break;
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CHAR:
        if (!CameThroughAccelerators(message, wParam, lParam)) {
            MSG key = {hwnd, message, wParam, lParam, 0, {}};
            RaiseKeyEvent(key);
        }
        break;
    case keyMarkExpired:
        keyTranslated = false;
        return 0;
    case WM_SYSCOLORCHANGE:
        LookChanged();
        break;
    default:
        break;
    }
    // A handler of the container closed the control or gave it another window: this
    // message is over.
    if (hwnd != window)
        return 0;
    LRESULT result = ViewEngine::HandleMessage(message, wParam, lParam);
    if (message == WM_CREATE && result != -1 && !enabled)
        EnableWindow(window, FALSE);
    return result;
}
