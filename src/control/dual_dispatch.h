#pragma once

#include <windows.h>
#include <oaidl.h>

class ViewControl;

// IDispatch of a dual interface, answered from that interface's type information in the
// module's type library (which the control loads once and shares with its cells).
class DualDispatch {
public:
    DualDispatch(ViewControl& library, REFIID iid) : library(library), iid(iid) {}

    static HRESULT TypeInfoCount(UINT* count);
    HRESULT TypeInfo(UINT index, ITypeInfo** info) const;
    HRESULT IDsOfNames(REFIID riid, LPOLESTR* names, UINT count, DISPID* ids) const;
    // object: the dual interface pointer whose vtable the call goes through.
    HRESULT Invoke(void* object, DISPID id, REFIID riid, WORD flags, DISPPARAMS* params,
                   VARIANT* result, EXCEPINFO* exception, UINT* argumentError) const;

private:
    ViewControl& library;
    const IID& iid;
};
