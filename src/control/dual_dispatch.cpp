#include "control/dual_dispatch.h"

#include "base/com_ref.h"
#include "control/refusal.h"
#include "control/view_control.h"
#include "store/variant_reference.h"

namespace {

// Parameters a caller passes to a member: the return value and the locale are not theirs.
int CallerParameters(const FUNCDESC& desc) {
    int count = 0;
    for (SHORT i = 0; i < desc.cParams; ++i)
        count += !(desc.lprgelemdescParam[i].paramdesc.wParamFlags &
                   (PARAMFLAG_FRETVAL | PARAMFLAG_FLCID));
    return count;
}

// The most arguments any member with this identifier and a kind among flags takes; -1 when
// there is no such member (the runtime then answers for it).
int MostArguments(ITypeInfo* info, DISPID id, WORD flags) {
    TYPEATTR* attributes = nullptr;
    if (FAILED(info->GetTypeAttr(&attributes)))
        return -1;
    int most = -1;
    for (UINT i = 0; i < attributes->cFuncs; ++i) {
        FUNCDESC* desc = nullptr;
        if (FAILED(info->GetFuncDesc(i, &desc)))
            continue;
        if (desc->memid == id && (desc->invkind & flags)) {
            const int count = CallerParameters(*desc);
            most = count > most ? count : most;
        }
        info->ReleaseFuncDesc(desc);
    }
    info->ReleaseTypeAttr(attributes);
    return most;
}

// What the runtime would follow unchecked: the parameter block, its arrays, and references
// to nothing among the arguments (reported by index, as a type mismatch).
HRESULT CheckArguments(const DISPPARAMS* params, UINT* argumentError) {
    if (!params || (params->cArgs && !params->rgvarg) || params->cNamedArgs > params->cArgs ||
        (params->cNamedArgs && !params->rgdispidNamedArgs))
        return E_INVALIDARG;
    for (UINT i = 0; i < params->cArgs; ++i) {
        if (RefersToNothing(params->rgvarg[i])) {
            if (argumentError)
                *argumentError = i;
            return DISP_E_TYPEMISMATCH;
        }
    }
    return S_OK;
}

} // namespace

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
    HRESULT hr = library.GetTypeInfoOf(iid, info.Receive());
    if (FAILED(hr))
        return hr;
    hr = CheckArguments(params, argumentError);
    if (FAILED(hr))
        return Refuse(hr);
    // Arguments beyond a member's parameters are taken by the runtime for the default member
    // of what it returns, which may be nothing at all.
    const int most = MostArguments(info.Get(), id, flags);
    if (most >= 0 && params->cArgs > static_cast<UINT>(most))
        return Refuse(DISP_E_BADPARAMCOUNT);
    return DispInvoke(object, info.Get(), id, flags, params, result, exception, argumentError);
}
