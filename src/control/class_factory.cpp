#include "control/class_factory.h"

#include "control/module_lock.h"
#include "control/view_control.h"

#include <new>

namespace {

class ViewClassFactory final : public IClassFactory {
public:
    ViewClassFactory() { LockModule(); }
    ~ViewClassFactory() { UnlockModule(); }
    ViewClassFactory(const ViewClassFactory&) = delete;
    ViewClassFactory& operator=(const ViewClassFactory&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (!object)
            return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IClassFactory) {
            *object = static_cast<IClassFactory*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override {
        return static_cast<ULONG>(InterlockedIncrement(&references));
    }
    ULONG STDMETHODCALLTYPE Release() override {
        LONG left = InterlockedDecrement(&references);
        if (left == 0)
            delete this;
        return static_cast<ULONG>(left);
    }

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) override {
        if (!object)
            return E_POINTER;
        *object = nullptr;
        if (outer)
            return CLASS_E_NOAGGREGATION;
        ViewControl* control = ViewControl::Create();
        if (!control)
            return E_OUTOFMEMORY;
        HRESULT hr = static_cast<_View*>(control)->QueryInterface(riid, object);
        static_cast<_View*>(control)->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        if (lock)
            LockModule();
        else
            UnlockModule();
        return S_OK;
    }

private:
    LONG references = 1;
};

} // namespace

HRESULT CreateViewClassFactory(REFIID riid, void** factory) {
    if (!factory)
        return E_POINTER;
    *factory = nullptr;
    auto* created = new (std::nothrow) ViewClassFactory();
    if (!created)
        return E_OUTOFMEMORY;
    HRESULT hr = created->QueryInterface(riid, factory);
    created->Release();
    return hr;
}
