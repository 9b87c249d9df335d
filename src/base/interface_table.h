#pragma once

#include <windows.h>
#include <unknwn.h>

#include <cstddef>

// One interface an object answers, and the pointer of the object that answers it.
struct InterfaceEntry {
    const IID& iid;
    IUnknown* answer;
};

// QueryInterface from a table of the interfaces an object answers: the entry of riid, with a
// reference of the caller's.
template <size_t count>
HRESULT AnswerInterface(const InterfaceEntry (&table)[count], REFIID riid, void** object) {
    if (!object)
        return E_POINTER;
    for (const InterfaceEntry& entry : table) {
        if (entry.iid == riid) {
            *object = entry.answer;
            entry.answer->AddRef();
            return S_OK;
        }
    }
    *object = nullptr;
    return E_NOINTERFACE;
}
