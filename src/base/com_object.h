#pragma once

#include "base/interface_table.h"
#include "base/module_lock.h"

#include <windows.h>
#include <unknwn.h>

// Identity and lifetime of a small object that answers IUnknown and one interface. It starts
// with one reference, held by its creator, and keeps the module loaded while it lives.
template <typename Interface> class ComObject : public Interface {
public:
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        Interface* const answer = this;
        const InterfaceEntry table[] = {{IID_IUnknown, answer}, {__uuidof(Interface), answer}};
        return AnswerInterface(table, riid, object);
    }
    ULONG STDMETHODCALLTYPE AddRef() override {
        return static_cast<ULONG>(InterlockedIncrement(&references));
    }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&references);
        if (left == 0)
            delete this;
        return static_cast<ULONG>(left);
    }

protected:
    ComObject() { LockModule(); }
    virtual ~ComObject() { UnlockModule(); }

private:
    LONG references = 1;
};
