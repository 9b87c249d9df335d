#include "control/class_factory.h"

#include "control/view_control.h"
#include "base/com_object.h"
#include "base/com_ref.h"
#include "base/module_lock.h"

#include <new>

namespace {

class ViewClassFactory final : public ComObject<IClassFactory> {
public:
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) override {
        if (!object)
            return E_POINTER;
        *object = nullptr;
        if (outer)
            return CLASS_E_NOAGGREGATION;
        const ComRef<_View> control(ViewControl::Create());
        if (!control)
            return E_OUTOFMEMORY;
        return control->QueryInterface(riid, object);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        if (lock)
            LockModule();
        else
            UnlockModule();
        return S_OK;
    }
};

} // namespace

HRESULT CreateViewClassFactory(REFIID riid, void** factory) {
    if (!factory)
        return E_POINTER;
    *factory = nullptr;
    const ComRef<IClassFactory> created(new (std::nothrow) ViewClassFactory());
    if (!created)
        return E_OUTOFMEMORY;
    return created->QueryInterface(riid, factory);
}
