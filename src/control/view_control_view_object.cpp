// Drawing for the container outside the control's window: the framed placeholder, the
// control's extent and opacity, hit tests, and the view-change advise sink.

#include "control/view_control.h"

namespace {

constexpr DWORD opaqueView = VIEWSTATUS_OPAQUE | VIEWSTATUS_SOLIDBKGND;

RECT ToRect(const RECTL& r) {
    return RECT{r.left, r.top, r.right, r.bottom};
}

} // namespace

void ViewControl::LookChanged() {
    if (viewSink) {
        ComRef<IAdviseSink> sink;
        sink.Assign(viewSink.Get());
        if (viewSinkFlags & ADVF_ONLYONCE)
            viewSink.Reset();
        sink->OnViewChange(DVASPECT_CONTENT, -1);
    }
    if (IDataAdviseHolder* holder = dataAdviseHolder.Get())
        holder->SendOnDataChange(static_cast<IDataObject*>(this), 0, 0);
}

SIZE ViewControl::ExtentInPixels() const {
    HDC screen = GetDC(nullptr);
    const int dpiX = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 96;
    const int dpiY = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen)
        ReleaseDC(nullptr, screen);
    return SIZE{MulDiv(extent.cx, dpiX, 2540), MulDiv(extent.cy, dpiY, 2540)};
}

// --- IViewObject ---

HRESULT STDMETHODCALLTYPE ViewControl::Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC dc,
                                            LPCRECTL bounds, LPCRECTL,
                                            BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) {
    if (aspect != DVASPECT_CONTENT && aspect != DVASPECT_DOCPRINT)
        return DV_E_DVASPECT;
    if (!dc || !bounds)
        return E_INVALIDARG;
    // The list itself is drawn only in the control's own window; any other context (screen,
    // memory, printer, metafile) gets the framed placeholder.
    DrawPlaceholder(dc, ToRect(*bounds));
    return S_OK;
}

// The system colours are all it uses.
HRESULT STDMETHODCALLTYPE ViewControl::GetColorSet(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC,
                                                   LOGPALETTE** colors) {
    if (!colors)
        return E_POINTER;
    *colors = nullptr;
    return aspect == DVASPECT_CONTENT ? S_FALSE : DV_E_DVASPECT;
}

// What Draw shows never changes by itself, so a frozen drawing needs no copy.
HRESULT STDMETHODCALLTYPE ViewControl::Freeze(DWORD aspect, LONG, void*, DWORD* cookie) {
    if (!cookie)
        return E_POINTER;
    *cookie = 0;
    if (aspect != DVASPECT_CONTENT)
        return DV_E_DVASPECT;
    *cookie = aspect;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ViewControl::Unfreeze(DWORD cookie) {
    return cookie == DVASPECT_CONTENT ? S_OK : OLE_E_NOCONNECTION;
}

HRESULT STDMETHODCALLTYPE ViewControl::SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) {
    viewSink.Assign(sink);
    viewSinkAspects = sink ? aspects : 0;
    viewSinkFlags = sink ? flags : 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ViewControl::GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) {
    if (aspects)
        *aspects = viewSinkAspects;
    if (flags)
        *flags = viewSinkFlags;
    if (sink)
        viewSink.CopyTo(sink);
    return S_OK;
}

// --- IViewObject2, IViewObjectEx ---

HRESULT STDMETHODCALLTYPE ViewControl::GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*,
                                                 LPSIZEL size) {
    return GetExtent(aspect, size);
}

HRESULT STDMETHODCALLTYPE ViewControl::GetRect(DWORD aspect, LPRECTL rect) {
    if (!rect)
        return E_POINTER;
    // Everything it draws is opaque; nothing is transparent.
    if (aspect != DVASPECT_CONTENT && aspect != DVASPECT_OPAQUE)
        return DV_E_DVASPECT;
    *rect = RECTL{0, 0, extent.cx, extent.cy};
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ViewControl::GetViewStatus(DWORD* status) {
    if (!status)
        return E_POINTER;
    *status = opaqueView;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ViewControl::QueryHitPoint(DWORD aspect, LPCRECT bounds, POINT location,
                                                     LONG, DWORD* hit) {
    if (!bounds || !hit)
        return E_POINTER;
    if (aspect != DVASPECT_CONTENT)
        return DV_E_DVASPECT;
    *hit = PtInRect(bounds, location) ? HITRESULT_HIT : HITRESULT_OUTSIDE;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ViewControl::QueryHitRect(DWORD aspect, LPCRECT bounds, LPCRECT location,
                                                    LONG, DWORD* hit) {
    if (!bounds || !location || !hit)
        return E_POINTER;
    if (aspect != DVASPECT_CONTENT)
        return DV_E_DVASPECT;
    RECT common;
    *hit = IntersectRect(&common, bounds, location) ? HITRESULT_HIT : HITRESULT_OUTSIDE;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ViewControl::GetNaturalExtent(DWORD aspect, LONG, DVTARGETDEVICE*, HDC,
                                                        DVEXTENTINFO* info, LPSIZEL size) {
    if (!info || !size)
        return E_POINTER;
    if (aspect != DVASPECT_CONTENT)
        return DV_E_DVASPECT;
    // Any size suits the list; its natural one is the default extent.
    if (info->dwExtentMode != DVEXTENT_CONTENT)
        return E_INVALIDARG;
    *size = naturalExtent;
    return S_OK;
}
