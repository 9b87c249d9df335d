#pragma once

// The host's side of the control's events: a small dispatch object that the control calls
// through its connection point. Each event arrives as Invoke with its DISPID; the arguments
// come in reverse order, as automation passes them.

#include <windows.h>
#include <ocidl.h>
#include <cstdio>
#include <functional>

#include "norv_h.h"

class ViewEvents final : public IDispatch {
public:
    explicit ViewEvents(_View* view) : view(view) {}
    ~ViewEvents() { SysFreeString(text); }

    // Last values heard, for the host to act on.
    long selected = -1;
    long selectCount = 0;
    long doubleClicked = -1;
    long menuRecord = -2;
    long keyDown = 0;
    std::function<void(long record)> onItemDblClick; // what the host does then

    // Connects to the control's events; Disconnect before the control goes.
    HRESULT Connect(IUnknown* control) {
        IConnectionPointContainer* container = nullptr;
        HRESULT hr = control->QueryInterface(IID_IConnectionPointContainer,
                                             reinterpret_cast<void**>(&container));
        if (FAILED(hr))
            return hr;
        hr = container->FindConnectionPoint(DIID___View, &point);
        container->Release();
        return SUCCEEDED(hr) ? point->Advise(this, &cookie) : hr;
    }
    void Disconnect() {
        if (point) {
            point->Unadvise(cookie);
            point->Release();
            point = nullptr;
        }
    }

    // IUnknown: the sink lives on the host's stack, as long as the window.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == DIID___View) {
            *out = static_cast<IDispatch*>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    // IDispatch: only Invoke is called by the control.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*,
                                     EXCEPINFO*, UINT*) override {
        auto arg = [params](UINT i) { // i counts from the first argument
            return params->rgvarg[params->cArgs - 1 - i].lVal;
        };
        switch (id) {
        case 1: // OnSelect: the host reads the new selection itself
            view->get_SelectedRecord(&selected);
            ++selectCount;
            printf("OnSelect: record %ld\n", selected);
            break;
        case 2: // OnContextMenu(X, Y, Record): the host shows its own menu
            menuRecord = arg(2);
            printf("OnContextMenu at %ld,%ld: record %ld\n", arg(0), arg(1), menuRecord);
            break;
        case 3: // OnItemDblClick(X, Y, Record)
            doubleClicked = arg(2);
            printf("OnItemDblClick at %ld,%ld: record %ld (%ls)\n", arg(0), arg(1), doubleClicked,
                   CellText(doubleClicked, 0));
            if (onItemDblClick)
                onItemDblClick(doubleClicked);
            break;
        case 4: // OnKeyDown(KeyCode, Shift)
            keyDown = arg(0);
            printf("OnKeyDown %ld shift %ld\n", arg(0), arg(1));
            break;
        }
        fflush(stdout);
        return S_OK;
    }

private:
    // A cell's text, kept until the next call.
    const wchar_t* CellText(long record, long column) {
        SysFreeString(text);
        text = nullptr;
        Cell* cell = nullptr;
        if (SUCCEEDED(view->get_Cell(record, column, &cell))) {
            cell->get_Text(&text);
            cell->Release();
        }
        return text ? text : L"";
    }

    _View* view;
    IConnectionPoint* point = nullptr;
    DWORD cookie = 0;
    BSTR text = nullptr;
};
