#pragma once

#include "base/com_object.h"
#include "base/com_ref.h"

#include <windows.h>
#include <oaidl.h>

// A COM object whose first interface is dual: IDispatch answers as that interface, from the
// interface's type information, which the object provides.
template <typename Dual, typename... Others>
class DispatchObject : public ComObject<Dual, Others...> {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        return ComObject<Dual, Others...>::QueryInterface(
            riid == IID_IDispatch ? __uuidof(Dual) : riid, object);
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (!count)
            return E_POINTER;
        *count = 1;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** info) override {
        if (!info)
            return E_POINTER;
        *info = nullptr;
        if (index != 0)
            return DISP_E_BADINDEX;
        return DualTypeInfo(info);
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID,
                                            DISPID* ids) override {
        if (riid != IID_NULL)
            return DISP_E_UNKNOWNINTERFACE;
        ComRef<ITypeInfo> info;
        const HRESULT hr = DualTypeInfo(info.Receive());
        return FAILED(hr) ? hr : DispGetIDsOfNames(info.Get(), names, count, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* exception,
                                     UINT* argumentError) override {
        if (riid != IID_NULL)
            return DISP_E_UNKNOWNINTERFACE;
        ComRef<ITypeInfo> info;
        HRESULT hr = DualTypeInfo(info.Receive());
        if (FAILED(hr))
            return hr;
        hr = CheckCall(info.Get(), id, flags, params, argumentError);
        if (FAILED(hr))
            return hr;
        Dual* const dual = this;
        return DispInvoke(dual, info.Get(), id, flags, params, result, exception, argumentError);
    }

protected:
    DispatchObject() = default;
    // The dual interface's type information, a reference of the caller's.
    virtual HRESULT DualTypeInfo(ITypeInfo** info) = 0;
    // May refuse a call before the runtime runs it; every call runs by default.
    virtual HRESULT CheckCall(ITypeInfo*, DISPID, WORD, DISPPARAMS*, UINT*) { return S_OK; }
};
