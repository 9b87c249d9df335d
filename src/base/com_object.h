#pragma once

#include "base/interface_table.h"
#include "base/module_lock.h"

#include <windows.h>
#include <unknwn.h>

// Identity and lifetime of an object that answers IUnknown and the interfaces it derives
// from, the first of them as its IUnknown. It starts with one reference, held by its creator,
// and keeps the module loaded while it lives. An object that answers more (the interfaces
// its interfaces derive from) overrides QueryInterface with a table of its own.
template <typename First, typename... Others> class ComObject : public First, public Others... {
public:
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        First* const first = this;
        const InterfaceEntry table[] = {{IID_IUnknown, first},
                                        {__uuidof(First), first},
                                        {__uuidof(Others), static_cast<Others*>(this)}...};
        return AnswerInterface(table, riid, object);
    }
    ULONG STDMETHODCALLTYPE AddRef() override {
        return static_cast<ULONG>(InterlockedIncrement(&references));
    }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&references);
        if (left == 0) {
            // Whatever holds and lets go of the object while it is destroyed (the messages
            // of its window, a host it calls) never brings the count to zero again.
            references = LONG_MAX / 2;
            delete this;
        }
        return static_cast<ULONG>(left);
    }

protected:
    ComObject() { LockModule(); }
    virtual ~ComObject() { UnlockModule(); }

private:
    LONG references = 1;
};
