#pragma once

#include "base/com_ref.h"
#include "base/dispatch_object.h"
#include "engine/accessible_items.h"

#include <windows.h>
#include <oleacc.h>

#include <cstdint>

class ViewEngine;

// The control's window as assistive technology sees it: the list (or outline) with its header
// items and rows as simple children (see AccessibleItems). It does not own the engine: the
// engine holds it while the window lives and disconnects it when the window or the engine
// goes; from then on every call answers RPC_E_DISCONNECTED, however long a client holds it.
class AccessibleView final : public DispatchObject<IAccessible, IEnumVARIANT> {
public:
    // One reference, the caller's; null when memory is short.
    static AccessibleView* Create(ViewEngine& engine);
    void Disconnect();

    // IAccessible
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override;
    HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override;
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override;
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override;
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override;
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override;
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override;
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override;
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override;
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) override;
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override;
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override;
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override;
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override;
    HRESULT STDMETHODCALLTYPE accSelect(LONG flags, VARIANT child) override;
    HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height,
                                          VARIANT child) override;
    HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* end) override;
    HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* child) override;
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override;
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override;
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override;

    // IEnumVARIANT: the child ids, as VT_I4
    HRESULT STDMETHODCALLTYPE Next(ULONG count, VARIANT* children, ULONG* fetched) override;
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override;
    HRESULT STDMETHODCALLTYPE Reset() override;
    HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT** copy) override;

    // The child enumeration from a position, shared with the clones.
    HRESULT NextChildren(ULONG& position, ULONG count, VARIANT* children, ULONG* fetched);
    HRESULT SkipChildren(ULONG& position, ULONG count);
    HRESULT CloneAt(ULONG position, IEnumVARIANT** copy);

private:
    explicit AccessibleView(ViewEngine& engine);
    // IDispatch, through the platform's type information of IAccessible.
    HRESULT DualTypeInfo(ITypeInfo** info) override;
    class Call;
    template <class Answer> HRESULT AboutChild(const VARIANT& child, Answer answer);
    using TextOf = BSTR (*)(const AccessibleItems& items, const AccessibleItem& item);
    // A string property of a child: S_FALSE and null where it has none.
    HRESULT Text(const VARIANT& child, BSTR* text, TextOf read);
    using NumberOf = LONG (AccessibleItems::*)(const AccessibleItem& item) const;
    // A number of a child (role, state), as VT_I4.
    HRESULT Number(const VARIANT& child, VARIANT* number, NumberOf read);
    HRESULT CurrentChild(VARIANT* child, bool focus);

    ViewEngine* engine; // null once disconnected
    ULONG enumPosition = 0;
    ComRef<ITypeInfo> typeInfo;
};
