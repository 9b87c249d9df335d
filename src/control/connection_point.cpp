#include "control/connection_point.h"

#include "control/enumerators.h"

#include <new>

SinkSnapshot::~SinkSnapshot() {
    for (int32_t i = 0; i < count; ++i)
        sinks[i]->Release();
    delete[] sinks;
}

ConnectionPoint::ConnectionPoint(IConnectionPointContainer* owner, REFIID iid, const IID* fallback)
    : owner(owner), iid(iid), fallback(fallback) {}

ConnectionPoint::~ConnectionPoint() {
    DisconnectAll();
}

void ConnectionPoint::DisconnectAll() {
    CONNECTDATA* old = connections;
    int32_t oldCount = count;
    connections = nullptr;
    count = capacity = 0;
    for (int32_t i = 0; i < oldCount; ++i)
        old[i].pUnk->Release();
    delete[] old;
}

HRESULT STDMETHODCALLTYPE ConnectionPoint::QueryInterface(REFIID riid, void** object) {
    if (!object)
        return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IConnectionPoint) {
        *object = static_cast<IConnectionPoint*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE ConnectionPoint::AddRef() {
    return owner->AddRef();
}

ULONG STDMETHODCALLTYPE ConnectionPoint::Release() {
    return owner->Release();
}

HRESULT STDMETHODCALLTYPE ConnectionPoint::GetConnectionInterface(IID* result) {
    if (!result)
        return E_POINTER;
    *result = iid;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE
ConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** container) {
    if (!container)
        return E_POINTER;
    *container = owner;
    owner->AddRef();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) {
    if (!cookie)
        return E_POINTER;
    *cookie = 0;
    if (!sink)
        return E_POINTER;
    IUnknown* connected = nullptr;
    if (FAILED(sink->QueryInterface(iid, reinterpret_cast<void**>(&connected))) &&
        (!fallback ||
         FAILED(sink->QueryInterface(*fallback, reinterpret_cast<void**>(&connected)))))
        return CONNECT_E_CANNOTCONNECT;
    if (count == capacity) {
        int32_t grown = capacity ? capacity * 2 : 4;
        auto* larger = new (std::nothrow) CONNECTDATA[static_cast<size_t>(grown)];
        if (!larger) {
            connected->Release();
            return E_OUTOFMEMORY;
        }
        for (int32_t i = 0; i < count; ++i)
            larger[i] = connections[i];
        delete[] connections;
        connections = larger;
        capacity = grown;
    }
    // Cookies are never 0 and never reused while the object lives.
    connections[count].pUnk = connected;
    connections[count].dwCookie = ++lastCookie;
    ++count;
    *cookie = lastCookie;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ConnectionPoint::Unadvise(DWORD cookie) {
    for (int32_t i = 0; i < count; ++i) {
        if (connections[i].dwCookie != cookie)
            continue;
        IUnknown* sink = connections[i].pUnk;
        // Later connections move up so the connection order stays.
        for (int32_t j = i + 1; j < count; ++j)
            connections[j - 1] = connections[j];
        --count;
        sink->Release();
        return S_OK;
    }
    return CONNECT_E_NOCONNECTION;
}

HRESULT STDMETHODCALLTYPE ConnectionPoint::EnumConnections(IEnumConnections** result) {
    return CreateConnectionEnumerator(connections, count, result);
}

bool ConnectionPoint::Snapshot(SinkSnapshot& snapshot) const {
    if (count == 0)
        return true;
    snapshot.sinks = new (std::nothrow) IUnknown*[static_cast<size_t>(count)];
    if (!snapshot.sinks)
        return false;
    for (int32_t i = 0; i < count; ++i) {
        snapshot.sinks[i] = connections[i].pUnk;
        snapshot.sinks[i]->AddRef();
    }
    snapshot.count = count;
    return true;
}
