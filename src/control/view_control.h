#pragma once

#include "control/com_ref.h"
#include "control/connection_point.h"
#include "engine/view_engine.h"
#include "norv_h.h"

#include <windows.h>
#include <objsafe.h>
#include <ocidl.h>
#include <olectl.h>

#include <cstdint>

// The component object of coclass View: the automation surface over the engine, its events,
// persistence and the parts of the control protocol that do not need in-place activation.
class ViewControl final : public ViewEngine,
                          public _View,
                          public IOleControl,
                          public IOleObject,
                          public IPersistStreamInit,
                          public ISupportErrorInfo,
                          public IConnectionPointContainer,
                          public ISpecifyPropertyPages,
                          public IPersistStorage,
                          public IProvideClassInfo2,
                          public IObjectSafety {
public:
    // A new object with one reference, or null when memory is short.
    static ViewControl* Create();

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IDispatch
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID locale,
                                            DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID locale, WORD flags,
                                     DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                                     UINT* argumentError) override;

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

    // The key events, raised by the keyboard translation of the hosting layer.
    void RaiseKeyDown(int32_t keyCode, int32_t shift);
    void RaiseKeyUp(int32_t keyCode, int32_t shift);
    void RaiseKeyPress(int32_t keyAscii);

    // The window is created disabled while Enabled is false.
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    // Type information of the library's interfaces, loaded once per object.
    HRESULT GetTypeInfoOf(REFGUID guid, ITypeInfo** info);

    int32_t enabled = 1;
    bool dirty = false;
    int32_t freezeCount = 0;
    int32_t pendingSelect = 0;
    // Set by in-place activation when the control is user-interface active.
    bool uiActive = false;

private:
    HRESULT AnswerCount(HRESULT (ViewEngine::*get)(int32_t*), LONG* result);
    ViewControl();
    ~ViewControl() override;

    void RaiseEvent(DISPID id, const int32_t* arguments, UINT count);
    // S_FALSE when a property-notification sink refuses the change.
    HRESULT RequestEdit(DISPID id);
    void NotifyChanged(DISPID id);
    void ApplyEnabled();
    void LeaveUIActiveState();
    bool GetAmbientBool(DISPID id, bool fallback);
    bool RunAboutDialog();
    HRESULT SaveProperties(IStream* stream);
    HRESULT ApplyLoadedEnabled(VARIANT& value);

    LONG references = 1;
    SIZEL extent = {5080, 5080};
    SIZEL naturalExtent = {5080, 5080};
    DWORD safetyOptions = 0;
    ComRef<IOleClientSite> clientSite;
    ComRef<IOleAdviseHolder> adviseHolder;
    ComRef<ITypeLib> typeLibrary;
    ComRef<ITypeInfo> viewInfo;
    ConnectionPoint eventPoint;
    ConnectionPoint notifyPoint;
};
