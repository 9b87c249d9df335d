// Quick activation: the container hands over its site and sinks in one call and learns the
// control's status flags in return.

#include "control/view_control.h"

#include <cstddef>

HRESULT STDMETHODCALLTYPE ViewControl::QuickActivate(QACONTAINER* container, QACONTROL* control) {
    if (!container || !control)
        return E_POINTER;
    // Older containers pass shorter structures; the members used here are in all of them.
    if (container->cbSize < offsetof(QACONTAINER, dwAmbientFlags) ||
        control->cbSize < sizeof *control)
        return E_INVALIDARG;
    HRESULT hr = SetClientSite(container->pClientSite);
    if (FAILED(hr))
        return hr;
    if (container->pAdviseSink)
        SetAdvise(DVASPECT_CONTENT, 0, container->pAdviseSink);
    control->dwEventCookie = 0;
    control->dwPropNotifyCookie = 0;
    if (container->pUnkEventSink) {
        hr = eventPoint.Advise(container->pUnkEventSink, &control->dwEventCookie);
        if (FAILED(hr))
            return hr;
    }
    if (container->pPropertyNotifySink) {
        hr = notifyPoint.Advise(container->pPropertyNotifySink, &control->dwPropNotifyCookie);
        if (FAILED(hr))
            return hr;
    }
    GetMiscStatus(DVASPECT_CONTENT, &control->dwMiscStatus);
    GetViewStatus(&control->dwViewStatus);
    control->dwPointerActivationPolicy = 0; // pointer input only while active
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ViewControl::SetContentExtent(LPSIZEL size) {
    return SetExtent(DVASPECT_CONTENT, size);
}

HRESULT STDMETHODCALLTYPE ViewControl::GetContentExtent(LPSIZEL size) {
    return GetExtent(DVASPECT_CONTENT, size);
}
