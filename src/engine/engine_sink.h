#pragma once

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

    // The object behind the sink outlives the handling of every message of its window: the
    // host may let go of its last reference in an event raised there. An engine alone has
    // nothing to hold.
    virtual void Hold() {}
    virtual void Unhold() {}
    // The window is gone, whoever destroyed it; the engine holds no handle of it any more.
    virtual void WindowDestroyed() {}

protected:
    ~EngineSink() = default;
};

// Holds the sink's object for a scope; when the scope ends, the object may go.
class KeepAlive {
public:
    explicit KeepAlive(EngineSink& sink) : sink(sink) { sink.Hold(); }
    ~KeepAlive() { sink.Unhold(); }
    KeepAlive(const KeepAlive&) = delete;
    KeepAlive& operator=(const KeepAlive&) = delete;

private:
    EngineSink& sink;
};
