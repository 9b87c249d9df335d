#include "control/call_check.h"

#include "control/refusal.h"
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

HRESULT CheckAutomationCall(ITypeInfo* info, DISPID id, WORD flags, DISPPARAMS* params,
                            UINT* argumentError) {
    const HRESULT hr = CheckArguments(params, argumentError);
    if (FAILED(hr))
        return Refuse(hr);
    // Arguments beyond a member's parameters are taken by the runtime for the default member
    // of what it returns, which may be nothing at all.
    const int most = MostArguments(info, id, flags);
    if (most >= 0 && params->cArgs > static_cast<UINT>(most))
        return Refuse(DISP_E_BADPARAMCOUNT);
    return S_OK;
}
