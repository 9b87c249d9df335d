#pragma once

#include <windows.h>
#include <oleauto.h>

#include <cstdint>

// What the engine needs from the component that hosts it: the host's events and whether the
// host lets the user act. The engine knows nothing else of its host.
class EngineSink {
public:
    virtual void ShowAbout() = 0;
    virtual void SelectionChanged() = 0;
    virtual void ContextMenu(int32_t x, int32_t y, int32_t record) = 0;
    virtual void ItemDblClick(int32_t x, int32_t y, int32_t record) = 0;
    virtual int32_t EventsFrozen() = 0;
    virtual bool DesignModeOrUIDead() = 0;

    // The name the container gives the control (its ambient DisplayName), or null. The
    // caller frees it. An engine without a container has none.
    virtual BSTR DisplayName() { return nullptr; }
    // Keep the object that owns the engine alive across a call that may reach the host,
    // which may let go of it meanwhile. An engine that no reference counts owns itself.
    virtual void HoldOwner() {}
    virtual void ReleaseOwner() {}
    // The window is gone, whoever destroyed it; the engine holds no handle of it any more.
    virtual void WindowDestroyed() {}

protected:
    ~EngineSink() = default;
};

// Holds the sink's object for a scope; when the scope ends, the object may go.
class KeepAlive {
public:
    explicit KeepAlive(EngineSink& sink) : sink(sink) { sink.HoldOwner(); }
    ~KeepAlive() { sink.ReleaseOwner(); }
    KeepAlive(const KeepAlive&) = delete;
    KeepAlive& operator=(const KeepAlive&) = delete;

private:
    EngineSink& sink;
};
