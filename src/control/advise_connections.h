#pragma once

#include "base/com_ref.h"

#include <windows.h>
#include <ole2.h>

// The container's advise sinks of one kind, kept by the platform's advise holder, which is
// made at the first Advise.
template <typename Holder> class AdviseConnections {
public:
    using Make = HRESULT(STDAPICALLTYPE*)(Holder** holder);
    explicit AdviseConnections(Make make) : make(make) {}

    // arguments: the holder's Advise arguments before the connection.
    template <typename... Arguments> HRESULT Advise(DWORD* connection, Arguments... arguments) {
        if (!connection)
            return E_POINTER;
        *connection = 0;
        if (!holder) {
            const HRESULT hr = make(holder.Receive());
            if (FAILED(hr))
                return hr;
        }
        return holder->Advise(arguments..., connection);
    }
    HRESULT Unadvise(DWORD connection) {
        // Held for the call: the sink let go of may take the control, and this holder, with it.
        const ComRef<Holder> held = holder.Share();
        return held ? held->Unadvise(connection) : OLE_E_NOCONNECTION;
    }
    // none: the answer while no sink was ever connected (no enumerator then).
    HRESULT Enumerate(IEnumSTATDATA** advises, HRESULT none) {
        if (!advises)
            return E_POINTER;
        *advises = nullptr;
        return holder ? holder->EnumAdvise(advises) : none;
    }
    // Null while no sink was ever connected.
    Holder* Get() const { return holder.Get(); }

private:
    Make make;
    ComRef<Holder> holder;
};
