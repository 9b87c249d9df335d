#pragma once

// A small control container of our own: one control, in place in a window of the caller,
// with the sites a control expects (client site, in-place site and frame, control site with
// accelerator translation, ambient properties through IDispatch) and a sink for its events.

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <functional>
#include <vector>

class HostSite;

struct HostEvent {
    DISPID id;
    std::vector<LONG> arguments; // first to last, as declared
};

// What the control told its container.
struct HostRecord {
    bool inPlaceActive = false;
    bool uiActive = false;
    int focusGained = 0, focusLost = 0;
    int viewChanges = 0, dataChanges = 0; // as the site's advise sink
    int accelerators = 0;                 // calls of the control site's TranslateAccelerator
    DWORD lastModifiers = 0;              // their last modifier argument
    HRESULT acceleratorAnswer = S_FALSE;  // what the control site answers them
    bool ambients = true;                 // whether the site answers ambient properties
};

// The site's calls that a host may answer with calls of its own.
enum class SiteCall { InPlaceActivate, UIActivate, UIDeactivate, InPlaceDeactivate, Focus, Blur };

class ControlHost {
public:
    // window: the container window the control lives in.
    explicit ControlHost(HWND window);
    ~ControlHost(); // closes the control and releases it
    ControlHost(const ControlHost&) = delete;
    ControlHost& operator=(const ControlHost&) = delete;

    // Creates the control from a module through its class factory (no registration needed),
    // then embeds it as below.
    HRESULT CreateFromModule(const wchar_t* modulePath, REFCLSID clsid, const RECT& bounds,
                             bool quickActivate = false);
    // Sites an object, initialises it when it was not yet, connects its events and activates
    // it in place at bounds (client coordinates of the window).
    HRESULT Embed(IUnknown* control, const RECT& bounds, bool quickActivate = false);
    // Closes and releases the control.
    void Close();
    // Drops every reference to the control without closing it: a host that simply lets go.
    void LetGo();
    // The container window is another one now; the control finds it at its next activation.
    void SetWindow(HWND window);

    IOleClientSite* Site() const;
    IDispatch* Control() const; // the control's automation interface, or null
    HWND ControlWindow() const; // the control's own window while active in place, or null
    IOleInPlaceActiveObject* ActiveObject() const; // what the frame holds as active, or null

    HRESULT DoVerb(LONG verb);
    HRESULT Deactivate();             // in-place deactivation
    HRESULT Move(const RECT& bounds); // new position rectangle
    HRESULT Move(const RECT& bounds, const RECT& clip);
    // Ambient UserMode and UIDead; the control is told of the change.
    void SetAmbient(bool userMode, bool uiDead);
    // Ambient DisplayName, the container's name for the control; none while empty.
    void SetDisplayName(const wchar_t* name);
    // The container's part of a message loop: true when the active control took the message
    // through its accelerator translation (then it must not be dispatched).
    bool TranslateAccelerator(MSG& message);

    std::function<void(const HostEvent&)> onEvent;
    std::function<void(SiteCall)> onSiteCall;
    HostRecord& Record();

private:
    HRESULT QuickActivate(IQuickActivate* quick);
    void ConnectEvents(bool advise);
    void AmbientChanged(DISPID id);

    HostSite* site;
    HMODULE module = nullptr;
};
