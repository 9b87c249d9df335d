#pragma once

#include "base/com_ref.h"

#include <windows.h>
#include <oaidl.h>

// IDispatch of an interface answered from its type information. load gives that information,
// a reference of the caller's: HRESULT load(ITypeInfo** info).
template <typename Load> class TypeInfoDispatch {
public:
    explicit TypeInfoDispatch(const Load& load) : load(load) {}

    static HRESULT Count(UINT* count) {
        if (!count)
            return E_POINTER;
        *count = 1;
        return S_OK;
    }
    HRESULT Info(UINT index, ITypeInfo** info) const {
        if (!info)
            return E_POINTER;
        *info = nullptr;
        if (index != 0)
            return DISP_E_BADINDEX;
        return load(info);
    }
    HRESULT IDsOfNames(REFIID riid, LPOLESTR* names, UINT count, DISPID* ids) const {
        if (riid != IID_NULL)
            return DISP_E_UNKNOWNINTERFACE;
        ComRef<ITypeInfo> info;
        const HRESULT hr = load(info.Receive());
        return FAILED(hr) ? hr : DispGetIDsOfNames(info.Get(), names, count, ids);
    }
    // object: the interface pointer whose vtable the call goes through. check may refuse the
    // call before it runs: HRESULT check(ITypeInfo* info, DISPID id, WORD flags,
    // DISPPARAMS* params, UINT* argumentError).
    template <typename Check>
    HRESULT Invoke(void* object, DISPID id, REFIID riid, WORD flags, DISPPARAMS* params,
                   VARIANT* result, EXCEPINFO* exception, UINT* argumentError,
                   const Check& check) const {
        if (riid != IID_NULL)
            return DISP_E_UNKNOWNINTERFACE;
        ComRef<ITypeInfo> info;
        HRESULT hr = load(info.Receive());
        if (FAILED(hr))
            return hr;
        hr = check(info.Get(), id, flags, params, argumentError);
        if (FAILED(hr))
            return hr;
        return DispInvoke(object, info.Get(), id, flags, params, result, exception, argumentError);
    }

private:
    Load load;
};

// A check that lets every call run.
inline HRESULT AnyCall(ITypeInfo*, DISPID, WORD, DISPPARAMS*, UINT*) {
    return S_OK;
}
