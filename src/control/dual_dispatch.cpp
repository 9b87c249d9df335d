#include "control/dual_dispatch.h"

#include "control/com_ref.h"
#include "control/view_control.h"

HRESULT DualDispatch::TypeInfoCount(UINT* count) {
    if (!count)
        return E_POINTER;
    *count = 1;
    return S_OK;
}

HRESULT DualDispatch::TypeInfo(UINT index, ITypeInfo** info) const {
    if (!info)
        return E_POINTER;
    *info = nullptr;
    if (index != 0)
        return DISP_E_BADINDEX;
    return library.GetTypeInfoOf(iid, info);
}

HRESULT DualDispatch::IDsOfNames(REFIID riid, LPOLESTR* names, UINT count, DISPID* ids) const {
    if (riid != IID_NULL)
        return DISP_E_UNKNOWNINTERFACE;
    ComRef<ITypeInfo> info;
    const HRESULT hr = library.GetTypeInfoOf(iid, info.Receive());
    if (FAILED(hr))
        return hr;
    return DispGetIDsOfNames(info.Get(), names, count, ids);
}

HRESULT DualDispatch::Invoke(void* object, DISPID id, REFIID riid, WORD flags, DISPPARAMS* params,
                             VARIANT* result, EXCEPINFO* exception, UINT* argumentError) const {
    if (riid != IID_NULL)
        return DISP_E_UNKNOWNINTERFACE;
    ComRef<ITypeInfo> info;
    const HRESULT hr = library.GetTypeInfoOf(iid, info.Receive());
    if (FAILED(hr))
        return hr;
    return DispInvoke(object, info.Get(), id, flags, params, result, exception, argumentError);
}
