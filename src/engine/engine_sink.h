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

protected:
    ~EngineSink() = default;
};
