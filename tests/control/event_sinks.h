#pragma once

// Host-side sinks for the control's events and property notifications, recording every call.

#include "norv_h.h"

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <vector>

struct EventCall {
    int sink;
    DISPID id;
    std::vector<LONG> arguments; // first to last, as declared
    bool reversedOnWire = true;  // rgvarg held them last first
};

// Answers __View (and IDispatch); its lifetime is the test's, so counting is not needed.
class EventSink : public IDispatch {
public:
    EventSink(int name, std::vector<EventCall>& log) : name(name), log(log) {}
    virtual ~EventSink() = default;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (riid == IID_IUnknown || riid == IID_IDispatch || riid == DIID___View) {
            *object = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++references); }
    ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--references); }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params,
                                     VARIANT*, EXCEPINFO*, UINT*) override {
        EventCall call{name, id, {}, true};
        if (riid != IID_NULL || flags != DISPATCH_METHOD || params->cNamedArgs != 0)
            call.id = -1; // not how events are raised
        for (UINT i = params->cArgs; i-- > 0;) {
            const VARIANT& argument = params->rgvarg[i];
            call.arguments.push_back(V_VT(&argument) == VT_I4 ? V_I4(&argument) : -99999);
        }
        log.push_back(call);
        OnEvent(id);
        return result;
    }
    virtual void OnEvent(DISPID) {}

    HRESULT result = S_OK;
    long references = 0;

protected:
    int name;
    std::vector<EventCall>& log;
};

// Counts requests and changes; refuses edits while veto is set.
class PropertySink : public IPropertyNotifySink {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (riid == IID_IUnknown || riid == IID_IPropertyNotifySink) {
            *object = static_cast<IPropertyNotifySink*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++references); }
    ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--references); }
    HRESULT STDMETHODCALLTYPE OnChanged(DISPID id) override {
        changed.push_back(id);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnRequestEdit(DISPID id) override {
        requested.push_back(id);
        return veto ? S_FALSE : S_OK;
    }

    bool veto = false;
    long references = 0;
    std::vector<DISPID> requested;
    std::vector<DISPID> changed;
};
