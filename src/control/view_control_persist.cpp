#include "control/view_control.h"

#include "control/property_stream.h"

namespace {
const wchar_t contentsStream[] = L"Contents";
}

HRESULT STDMETHODCALLTYPE ViewControl::GetClassID(CLSID* clsid) {
    if (!clsid)
        return E_POINTER;
    *clsid = CLSID_View;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ViewControl::IsDirty() {
    return dirty ? S_OK : S_FALSE;
}

HRESULT STDMETHODCALLTYPE ViewControl::InitNew() {
    extent = naturalExtent = defaultExtent;
    enabled = 1;
    ApplyEnabled();
    dirty = false;
    return S_OK;
}

HRESULT ViewControl::SaveProperties(IStream* stream) {
    PersistedProperties properties;
    properties.width = static_cast<uint32_t>(extent.cx);
    properties.height = static_cast<uint32_t>(extent.cy);
    // Enabled is read the way a host reads it, through the dispatch interface.
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    HRESULT hr = Invoke(DISPID_ENABLED, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none,
                        &properties.enabled.Get(), nullptr, nullptr);
    if (FAILED(hr))
        return hr;
    return WriteProperties(stream, properties);
}

HRESULT ViewControl::ApplyLoadedEnabled(VARIANT& value) {
    // Set the way a host sets it, so property-notification sinks hear of it too, and a value
    // of another type is converted as for a host; what does not convert is refused.
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params = {&value, &named, 1, 1};
    UINT argumentError = 0;
    return Invoke(DISPID_ENABLED, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &params,
                  nullptr, nullptr, &argumentError);
}

HRESULT STDMETHODCALLTYPE ViewControl::Load(IStream* stream) {
    if (!stream)
        return E_POINTER;
    PersistedProperties properties;
    HRESULT hr = ReadProperties(stream, properties);
    if (FAILED(hr))
        return hr;
    hr = ApplyLoadedEnabled(properties.enabled.Get());
    if (FAILED(hr))
        return hr;
    extent.cx = static_cast<LONG>(properties.width);
    extent.cy = static_cast<LONG>(properties.height);
    dirty = false;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ViewControl::Save(IStream* stream, BOOL clearDirty) {
    if (!stream)
        return E_POINTER;
    HRESULT hr = SaveProperties(stream);
    if (SUCCEEDED(hr) && clearDirty)
        dirty = false;
    return hr;
}

HRESULT STDMETHODCALLTYPE ViewControl::GetSizeMax(ULARGE_INTEGER* size) {
    if (!size)
        return E_POINTER;
    size->QuadPart = propertyStreamSize;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ViewControl::InitNew(IStorage* storage) {
    if (!storage)
        return E_POINTER;
    return InitNew();
}

HRESULT STDMETHODCALLTYPE ViewControl::Load(IStorage* storage) {
    if (!storage)
        return E_POINTER;
    ComRef<IStream> stream;
    HRESULT hr = storage->OpenStream(contentsStream, nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0,
                                     stream.Receive());
    if (FAILED(hr))
        return hr;
    return Load(stream.Get());
}

HRESULT STDMETHODCALLTYPE ViewControl::Save(IStorage* storage, BOOL sameAsLoad) {
    if (!storage)
        return E_POINTER;
    ComRef<IStream> stream;
    HRESULT hr = storage->CreateStream(
        contentsStream, STGM_WRITE | STGM_SHARE_EXCLUSIVE | STGM_CREATE, 0, 0, stream.Receive());
    if (FAILED(hr))
        return hr;
    return Save(stream.Get(), sameAsLoad);
}

// The object keeps no storage between calls, so there is nothing to let go of or to resume.
HRESULT STDMETHODCALLTYPE ViewControl::SaveCompleted(IStorage*) {
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ViewControl::HandsOffStorage() {
    return S_OK;
}
