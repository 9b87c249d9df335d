#pragma once

#include "base/com_ref.h"

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <cstdint>

// The sinks that were connected when an event started, each held for the event's duration,
// so a sink that disconnects (or connects another) during a call disturbs nobody.
class SinkSnapshot {
public:
    SinkSnapshot() = default;
    ~SinkSnapshot();
    SinkSnapshot(const SinkSnapshot&) = delete;
    SinkSnapshot& operator=(const SinkSnapshot&) = delete;

    // The sink at index, as the interface it was connected by.
    template <typename Interface> Interface* At(int32_t index) const {
        return static_cast<Interface*>(sinks[index].Get());
    }

    ComRef<IUnknown>* sinks = nullptr;
    int32_t count = 0;
};

// One outgoing interface of the control: the connected sinks, in connection order.
// Embedded in its container, whose lifetime it shares (AddRef and Release go to the owner).
class ConnectionPoint : public IConnectionPoint {
public:
    // fallback: a second interface a sink may answer instead (IDispatch for event sinks).
    ConnectionPoint(IConnectionPointContainer* owner, REFIID iid, const IID* fallback);
    ~ConnectionPoint();
    ConnectionPoint(const ConnectionPoint&) = delete;
    ConnectionPoint& operator=(const ConnectionPoint&) = delete;

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    // IConnectionPoint
    HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override;
    HRESULT STDMETHODCALLTYPE
    GetConnectionPointContainer(IConnectionPointContainer** container) override;
    HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override;
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override;
    HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** connections) override;

    // Each sink pointer is of the connection interface (or the fallback). False when the
    // snapshot could not be allocated.
    bool Snapshot(SinkSnapshot& snapshot) const;
    // Drops every connection (the owner is going away).
    void DisconnectAll();

private:
    struct Connection {
        ComRef<IUnknown> sink;
        DWORD cookie = 0;
    };
    bool Grow();

    IConnectionPointContainer* owner;
    IID iid;
    const IID* fallback;
    Connection* connections = nullptr;
    int32_t count = 0;
    int32_t capacity = 0;
    DWORD lastCookie = 0;
};
