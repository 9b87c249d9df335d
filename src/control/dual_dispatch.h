#pragma once

#include "base/type_info_dispatch.h"

#include <windows.h>
#include <oaidl.h>

class ViewControl;

// IDispatch of a dual interface, answered from that interface's type information in the
// module's type library (which the control loads once and shares with its cells).
class DualDispatch {
public:
    DualDispatch(ViewControl& library, REFIID iid) : plumbing(TypeInfoOf{library, iid}) {}

    static HRESULT TypeInfoCount(UINT* count);
    HRESULT TypeInfo(UINT index, ITypeInfo** info) const;
    HRESULT IDsOfNames(REFIID riid, LPOLESTR* names, UINT count, DISPID* ids) const;
    // object: the dual interface pointer whose vtable the call goes through.
    HRESULT Invoke(void* object, DISPID id, REFIID riid, WORD flags, DISPPARAMS* params,
                   VARIANT* result, EXCEPINFO* exception, UINT* argumentError) const;

private:
    struct TypeInfoOf {
        ViewControl& library;
        const IID& iid;
        HRESULT operator()(ITypeInfo** info) const;
    };
    using Plumbing = TypeInfoDispatch<TypeInfoOf>;
    Plumbing plumbing;
};
