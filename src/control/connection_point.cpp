#include "control/connection_point.h"

#include "base/interface_table.h"
#include "control/enumerators.h"

#include <new>
#include <utility>

SinkSnapshot::~SinkSnapshot() {
    delete[] sinks;
}

ConnectionPoint::ConnectionPoint(IConnectionPointContainer* owner, REFIID iid, const IID* fallback)
    : owner(owner), iid(iid), fallback(fallback) {}

ConnectionPoint::~ConnectionPoint() {
    DisconnectAll();
}

void ConnectionPoint::DisconnectAll() {
    // The sinks go after the point has forgotten them: one may call back as it goes.
    Connection* old = connections;
    connections = nullptr;
    count = capacity = 0;
    delete[] old;
}

HRESULT STDMETHODCALLTYPE ConnectionPoint::QueryInterface(REFIID riid, void** object) {
    IConnectionPoint* point = this;
    const InterfaceEntry table[] = {{IID_IUnknown, point}, {IID_IConnectionPoint, point}};
    return AnswerInterface(table, riid, object);
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

bool ConnectionPoint::Grow() {
    const int32_t grown = capacity ? capacity * 2 : 4;
    auto* larger = new (std::nothrow) Connection[static_cast<size_t>(grown)];
    if (!larger)
        return false;
    for (int32_t i = 0; i < count; ++i)
        larger[i] = std::move(connections[i]);
    delete[] connections;
    connections = larger;
    capacity = grown;
    return true;
}

HRESULT STDMETHODCALLTYPE ConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) {
    if (!cookie)
        return E_POINTER;
    *cookie = 0;
    if (!sink)
        return E_POINTER;
    ComRef<IUnknown> connected;
    if (FAILED(sink->QueryInterface(iid, connected.ReceiveVoid())) &&
        (!fallback || FAILED(sink->QueryInterface(*fallback, connected.ReceiveVoid()))))
        return CONNECT_E_CANNOTCONNECT;
    if (count == capacity && !Grow())
        return E_OUTOFMEMORY;
    // Cookies are never 0 and never reused while the object lives.
    connections[count].sink = std::move(connected);
    connections[count].cookie = ++lastCookie;
    ++count;
    *cookie = lastCookie;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ConnectionPoint::Unadvise(DWORD cookie) {
    for (int32_t i = 0; i < count; ++i) {
        if (connections[i].cookie != cookie)
            continue;
        // Let go of after the list is whole again: the sink may call back as it goes.
        const ComRef<IUnknown> sink = std::move(connections[i].sink);
        // Later connections move up so the connection order stays.
        for (int32_t j = i + 1; j < count; ++j)
            connections[j - 1] = std::move(connections[j]);
        --count;
        return S_OK;
    }
    return CONNECT_E_NOCONNECTION;
}

HRESULT STDMETHODCALLTYPE ConnectionPoint::EnumConnections(IEnumConnections** result) {
    if (!result)
        return E_POINTER;
    *result = nullptr;
    // The enumerator takes references of its own to the sinks listed here.
    CONNECTDATA* listed = nullptr;
    if (count > 0 && !(listed = new (std::nothrow) CONNECTDATA[static_cast<size_t>(count)]))
        return E_OUTOFMEMORY;
    for (int32_t i = 0; i < count; ++i)
        listed[i] = CONNECTDATA{connections[i].sink.Get(), connections[i].cookie};
    const HRESULT hr = CreateConnectionEnumerator(listed, count, result);
    delete[] listed;
    return hr;
}

bool ConnectionPoint::Snapshot(SinkSnapshot& snapshot) const {
    if (count == 0)
        return true;
    snapshot.sinks = new (std::nothrow) ComRef<IUnknown>[static_cast<size_t>(count)];
    if (!snapshot.sinks)
        return false;
    for (int32_t i = 0; i < count; ++i)
        snapshot.sinks[i].Assign(connections[i].sink.Get());
    snapshot.count = count;
    return true;
}
