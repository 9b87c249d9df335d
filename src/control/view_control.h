#pragma once

#include "base/com_ref.h"
#include "base/dispatch_object.h"
#include "base/owned_variant.h"
#include "control/advise_connections.h"
#include "control/connection_point.h"
#include "engine/view_engine.h"
#include "norv_h.h"

#include <windows.h>
#include <objsafe.h>
#include <ocidl.h>
#include <olectl.h>

#include <cstdint>

// The platform header declares IID_IObjectSafety but gives the interface no __uuidof.
__CRT_UUID_DECL(IObjectSafety, 0xcb5bdc81, 0x93c1, 0x11cf, 0x8f, 0x20, 0x00, 0x80, 0x5f, 0x2c, 0xd0,
                0x64)

// The component object of coclass View: the automation surface over the engine, its events,
// persistence, in-place activation in a container, drawing for the container and data transfer.
class ViewControl final
    : public ViewEngine,
      public DispatchObject<_View, IViewObjectEx, IOleInPlaceObjectWindowless,
                            IOleInPlaceActiveObject, IOleControl, IOleObject, IPersistStreamInit,
                            ISupportErrorInfo, IConnectionPointContainer, ISpecifyPropertyPages,
                            IQuickActivate, IPersistStorage, IDataObject, IProvideClassInfo2,
                            IObjectSafety> {
public:
    // A new object with one reference, or null when memory is short.
    static ViewControl* Create();

    // IUnknown: the interfaces of the control, with those they derive from
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;

    // _View
    HRESULT STDMETHODCALLTYPE get_Cell(LONG record, LONG column, ::Cell** cell) override;
    HRESULT STDMETHODCALLTYPE SetData(VARIANT data, DateTimeFormat format,
                                      DateTimeGrouping grouping, VARIANT_BOOL revert) override;
    HRESULT STDMETHODCALLTYPE get_ColumnLabel(LONG column, BSTR* label) override;
    HRESULT STDMETHODCALLTYPE put_ColumnLabel(LONG column, BSTR label) override;
    HRESULT STDMETHODCALLTYPE get_ColumnWidth(LONG column, LONG* width) override;
    HRESULT STDMETHODCALLTYPE put_ColumnWidth(LONG column, LONG width) override;
    HRESULT STDMETHODCALLTYPE get_ColumnAlign(LONG column, ::ColumnAlign* align) override;
    HRESULT STDMETHODCALLTYPE put_ColumnAlign(LONG column, ::ColumnAlign align) override;
    HRESULT STDMETHODCALLTYPE get_ColumnCount(LONG* count) override;
    HRESULT STDMETHODCALLTYPE get_RecordCount(LONG* count) override;
    HRESULT STDMETHODCALLTYPE get_SelectedRecord(LONG* record) override;
    HRESULT STDMETHODCALLTYPE get_Enabled(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE put_Enabled(VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE AboutBox() override;

    // IViewObject, IViewObject2, IViewObjectEx
    HRESULT STDMETHODCALLTYPE Draw(DWORD aspect, LONG index, void* aspectInfo,
                                   DVTARGETDEVICE* target, HDC targetInfo, HDC dc, LPCRECTL bounds,
                                   LPCRECTL metafileBounds,
                                   BOOL(STDMETHODCALLTYPE* keepGoing)(ULONG_PTR),
                                   ULONG_PTR keepGoingArgument) override;
    HRESULT STDMETHODCALLTYPE GetColorSet(DWORD aspect, LONG index, void* aspectInfo,
                                          DVTARGETDEVICE* target, HDC targetInfo,
                                          LOGPALETTE** colors) override;
    HRESULT STDMETHODCALLTYPE Freeze(DWORD aspect, LONG index, void* aspectInfo,
                                     DWORD* cookie) override;
    HRESULT STDMETHODCALLTYPE Unfreeze(DWORD cookie) override;
    HRESULT STDMETHODCALLTYPE SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) override;
    HRESULT STDMETHODCALLTYPE GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) override;
    HRESULT STDMETHODCALLTYPE GetExtent(DWORD aspect, LONG index, DVTARGETDEVICE* target,
                                        LPSIZEL size) override;
    HRESULT STDMETHODCALLTYPE GetRect(DWORD aspect, LPRECTL rect) override;
    HRESULT STDMETHODCALLTYPE GetViewStatus(DWORD* status) override;
    HRESULT STDMETHODCALLTYPE QueryHitPoint(DWORD aspect, LPCRECT bounds, POINT location,
                                            LONG closeHint, DWORD* hit) override;
    HRESULT STDMETHODCALLTYPE QueryHitRect(DWORD aspect, LPCRECT bounds, LPCRECT location,
                                           LONG closeHint, DWORD* hit) override;
    HRESULT STDMETHODCALLTYPE GetNaturalExtent(DWORD aspect, LONG index, DVTARGETDEVICE* target,
                                               HDC targetInfo, DVEXTENTINFO* info,
                                               LPSIZEL size) override;

    // IOleWindow, IOleInPlaceObject, IOleInPlaceObjectWindowless
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override;
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL enterMode) override;
    HRESULT STDMETHODCALLTYPE InPlaceDeactivate() override;
    HRESULT STDMETHODCALLTYPE UIDeactivate() override;
    HRESULT STDMETHODCALLTYPE SetObjectRects(LPCRECT position, LPCRECT clip) override;
    HRESULT STDMETHODCALLTYPE ReactivateAndUndo() override;
    HRESULT STDMETHODCALLTYPE OnWindowMessage(UINT message, WPARAM wParam, LPARAM lParam,
                                              LRESULT* result) override;
    HRESULT STDMETHODCALLTYPE GetDropTarget(IDropTarget** target) override;

    // IOleInPlaceActiveObject
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG message) override;
    HRESULT STDMETHODCALLTYPE OnFrameWindowActivate(BOOL activate) override;
    HRESULT STDMETHODCALLTYPE OnDocWindowActivate(BOOL activate) override;
    HRESULT STDMETHODCALLTYPE ResizeBorder(LPCRECT border, IOleInPlaceUIWindow* window,
                                           BOOL frameWindow) override;
    HRESULT STDMETHODCALLTYPE EnableModeless(BOOL enable) override;

    // IOleControl
    HRESULT STDMETHODCALLTYPE GetControlInfo(CONTROLINFO* info) override;
    HRESULT STDMETHODCALLTYPE OnMnemonic(MSG* message) override;
    HRESULT STDMETHODCALLTYPE OnAmbientPropertyChange(DISPID id) override;
    HRESULT STDMETHODCALLTYPE FreezeEvents(BOOL freeze) override;

    // IOleObject
    HRESULT STDMETHODCALLTYPE SetClientSite(IOleClientSite* site) override;
    HRESULT STDMETHODCALLTYPE GetClientSite(IOleClientSite** site) override;
    HRESULT STDMETHODCALLTYPE SetHostNames(LPCOLESTR application, LPCOLESTR object) override;
    HRESULT STDMETHODCALLTYPE Close(DWORD saveOption) override;
    HRESULT STDMETHODCALLTYPE SetMoniker(DWORD which, IMoniker* moniker) override;
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD assign, DWORD which, IMoniker** moniker) override;
    HRESULT STDMETHODCALLTYPE InitFromData(IDataObject* data, BOOL creation,
                                           DWORD reserved) override;
    HRESULT STDMETHODCALLTYPE GetClipboardData(DWORD reserved, IDataObject** data) override;
    HRESULT STDMETHODCALLTYPE DoVerb(LONG verb, LPMSG message, IOleClientSite* site, LONG index,
                                     HWND parent, LPCRECT bounds) override;
    HRESULT STDMETHODCALLTYPE EnumVerbs(IEnumOLEVERB** verbs) override;
    HRESULT STDMETHODCALLTYPE Update() override;
    HRESULT STDMETHODCALLTYPE IsUpToDate() override;
    HRESULT STDMETHODCALLTYPE GetUserClassID(CLSID* clsid) override;
    HRESULT STDMETHODCALLTYPE GetUserType(DWORD form, LPOLESTR* name) override;
    HRESULT STDMETHODCALLTYPE SetExtent(DWORD aspect, SIZEL* size) override;
    HRESULT STDMETHODCALLTYPE GetExtent(DWORD aspect, SIZEL* size) override;
    HRESULT STDMETHODCALLTYPE Advise(IAdviseSink* sink, DWORD* connection) override;
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD connection) override;
    HRESULT STDMETHODCALLTYPE EnumAdvise(IEnumSTATDATA** advises) override;
    HRESULT STDMETHODCALLTYPE GetMiscStatus(DWORD aspect, DWORD* status) override;
    HRESULT STDMETHODCALLTYPE SetColorScheme(LOGPALETTE* palette) override;

    // IQuickActivate
    HRESULT STDMETHODCALLTYPE QuickActivate(QACONTAINER* container, QACONTROL* control) override;
    HRESULT STDMETHODCALLTYPE SetContentExtent(LPSIZEL size) override;
    HRESULT STDMETHODCALLTYPE GetContentExtent(LPSIZEL size) override;

    // IDataObject
    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override;
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC* format, STGMEDIUM* medium) override;
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override;
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC* format,
                                                    FORMATETC* canonical) override;
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) override;
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** formats) override;
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC* format, DWORD flags, IAdviseSink* sink,
                                      DWORD* connection) override;
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD connection) override;
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA** advises) override;

    // IPersist, IPersistStreamInit, IPersistStorage
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID* clsid) override;
    HRESULT STDMETHODCALLTYPE IsDirty() override;
    HRESULT STDMETHODCALLTYPE Load(IStream* stream) override;
    HRESULT STDMETHODCALLTYPE Save(IStream* stream, BOOL clearDirty) override;
    HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER* size) override;
    HRESULT STDMETHODCALLTYPE InitNew() override;
    HRESULT STDMETHODCALLTYPE InitNew(IStorage* storage) override;
    HRESULT STDMETHODCALLTYPE Load(IStorage* storage) override;
    HRESULT STDMETHODCALLTYPE Save(IStorage* storage, BOOL sameAsLoad) override;
    HRESULT STDMETHODCALLTYPE SaveCompleted(IStorage* storage) override;
    HRESULT STDMETHODCALLTYPE HandsOffStorage() override;

    // ISupportErrorInfo
    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID riid) override;

    // IConnectionPointContainer
    HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** points) override;
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID riid, IConnectionPoint** point) override;

    // ISpecifyPropertyPages
    HRESULT STDMETHODCALLTYPE GetPages(CAUUID* pages) override;

    // IProvideClassInfo, IProvideClassInfo2
    HRESULT STDMETHODCALLTYPE GetClassInfo(ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetGUID(DWORD kind, GUID* guid) override;

    // IObjectSafety
    HRESULT STDMETHODCALLTYPE GetInterfaceSafetyOptions(REFIID riid, DWORD* supported,
                                                        DWORD* enabledOptions) override;
    HRESULT STDMETHODCALLTYPE SetInterfaceSafetyOptions(REFIID riid, DWORD mask,
                                                        DWORD options) override;

    // EngineSink
    void ShowAbout() override;
    void SelectionChanged() override;
    void ContextMenu(int32_t x, int32_t y, int32_t record) override;
    void ItemDblClick(int32_t x, int32_t y, int32_t record) override;
    int32_t EventsFrozen() override;
    bool DesignModeOrUIDead() override;
    BSTR DisplayName() override;
    void HoldOwner() override { AddRef(); }
    void ReleaseOwner() override { Release(); }
    void WindowDestroyed() override;

    // The key events, raised by the keyboard translation of the hosting layer.
    void RaiseKeyDown(int32_t keyCode, int32_t shift);
    void RaiseKeyUp(int32_t keyCode, int32_t shift);
    void RaiseKeyPress(int32_t keyAscii);

    // The hosting layer's part of the window's messages: activation by focus and mouse, the
    // key events of hosts that do not translate accelerators; the window is created disabled
    // while Enabled is false.
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    // Type information of the library's interfaces, loaded once per object.
    HRESULT GetTypeInfoOf(REFGUID guid, ITypeInfo** info);

    int32_t enabled = 1;
    bool dirty = false;
    int32_t freezeCount = 0;
    int32_t pendingSelect = 0;
    bool inPlaceActive = false;
    bool uiActive = false;
    // An activation or deactivation is under way, or the object is dying: no activation may
    // start inside it.
    bool placeChanging = false;

private:
    // No activation starts while one lives: a deactivation, an unsiting or a close is under
    // way. Nested ones leave the flag as they found it.
    class PlaceChange {
    public:
        explicit PlaceChange(ViewControl& control)
            : control(control), before(control.placeChanging) {
            control.placeChanging = true;
        }
        ~PlaceChange() { control.placeChanging = before; }
        PlaceChange(const PlaceChange&) = delete;
        PlaceChange& operator=(const PlaceChange&) = delete;

    private:
        ViewControl& control;
        const bool before;
    };

    HRESULT AnswerCount(HRESULT (ViewEngine::*get)(int32_t*), LONG* result);
    ViewControl();
    ~ViewControl() override;
    HRESULT DualTypeInfo(ITypeInfo** info) override;
    HRESULT CheckCall(ITypeInfo* info, DISPID id, WORD flags, DISPPARAMS* params,
                      UINT* argumentError) override;

    void RaiseEvent(DISPID id, const int32_t* arguments, UINT count);
    // S_FALSE when a property-notification sink refuses the change.
    HRESULT RequestEdit(DISPID id);
    void NotifyChanged(DISPID id);
    void ApplyEnabled();
    // In-place activation with the control's own window; with ui, user-interface activation
    // as well.
    HRESULT ActivateInPlace(bool ui);
    HRESULT OpenInPlaceSite();
    HRESULT CreateWindowInSite();
    HRESULT ActivateUI();
    bool InPlaceWith(IOleInPlaceSite* site) const;
    void ClipWindow(const RECT& position, const RECT& clip);
    void TellSiteOfFocus(bool focus);
    bool DesignMode();
    // The placeholder look changed: view and data advise sinks hear of it.
    void LookChanged();
    HRESULT RenderEnhancedMetafile(STGMEDIUM* medium);
    HRESULT RenderMetafilePicture(STGMEDIUM* medium);
    SIZE ExtentInPixels() const;
    // Key events of the accelerator road; the same message reaching the window later is
    // not reported again.
    void RaiseKeyEvent(const MSG& message);
    bool CameThroughAccelerators(UINT message, WPARAM wParam, LPARAM lParam);
    // The container's ambient property; false, with value empty, when it has none.
    bool GetAmbient(DISPID id, OwnedVariant& value);
    bool GetAmbientBool(DISPID id, bool fallback);
    bool RunAboutDialog();
    HRESULT SaveProperties(IStream* stream);
    HRESULT ApplyLoadedEnabled(VARIANT& value);

    // Two inches square, in the HIMETRIC units of OLE extents, until the host sizes it.
    static constexpr SIZEL defaultExtent = {5080, 5080};

    SIZEL extent = defaultExtent;
    SIZEL naturalExtent = defaultExtent;
    DWORD safetyOptions = 0;
    ComRef<IOleClientSite> clientSite;
    AdviseConnections<IOleAdviseHolder> adviseHolder{CreateOleAdviseHolder};
    AdviseConnections<IDataAdviseHolder> dataAdviseHolder{CreateDataAdviseHolder};
    ComRef<IAdviseSink> viewSink;
    DWORD viewSinkAspects = 0;
    DWORD viewSinkFlags = 0;
    ComRef<IOleInPlaceSite> inPlaceSite;
    ComRef<IOleInPlaceFrame> inPlaceFrame;
    ComRef<IOleInPlaceUIWindow> inPlaceDocument;
    RECT positionRect = {};
    // The last key message the accelerator road reported and left to the container, marked
    // until the container's loop takes its next message (the mark's expiry is posted).
    MSG translatedKey = {};
    bool keyTranslated = false;
    static constexpr UINT keyMarkExpired = WM_USER + 1;
    ComRef<ITypeLib> typeLibrary;
    ComRef<ITypeInfo> viewInfo;
    ConnectionPoint eventPoint;
    ConnectionPoint notifyPoint;
};
