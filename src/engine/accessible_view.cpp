#include "engine/accessible_view.h"

#include "engine/view_engine.h"
#include "base/com_object.h"
#include "base/owned_bstr.h"

#include <new>

namespace {

// The platform's accessibility type library (oleacc), version 1.1. Its identifiers are
// taken from the headers, not the libraries: uuid and oleacc both define them.
const GUID accessibilityLibrary = {
    0x1ea4dbf0, 0x3c3b, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

// The child a client names: CHILDID_SELF when it names none (an omitted optional argument).
bool ChildId(const VARIANT& child, LONG& id) {
    if (V_VT(&child) == VT_EMPTY ||
        (V_VT(&child) == VT_ERROR && V_ERROR(&child) == DISP_E_PARAMNOTFOUND)) {
        id = CHILDID_SELF;
        return true;
    }
    VARIANT converted;
    VariantInit(&converted);
    if (FAILED(VariantChangeType(&converted, const_cast<VARIANT*>(&child), 0, VT_I4)))
        return false;
    id = V_I4(&converted);
    return true;
}

AccessibleItem Resolve(const AccessibleItems& items, const VARIANT& child) {
    LONG id = 0;
    return ChildId(child, id) ? items.Find(id) : AccessibleItem{};
}

void SetChild(VARIANT* result, LONG child) {
    V_VT(result) = VT_I4;
    V_I4(result) = child;
}

// A clone of the children's enumeration: a position of its own over the same children.
class ChildEnumeration final : public ComObject<IEnumVARIANT> {
public:
    ChildEnumeration(AccessibleView& view, ULONG position) : position(position) {
        root.Assign(&view);
    }
    HRESULT STDMETHODCALLTYPE Next(ULONG count, VARIANT* children, ULONG* fetched) override {
        return root->NextChildren(position, count, children, fetched);
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
        return root->SkipChildren(position, count);
    }
    HRESULT STDMETHODCALLTYPE Reset() override {
        position = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT** copy) override {
        return root->CloneAt(position, copy);
    }

private:
    ComRef<AccessibleView> root;
    ULONG position;
};

} // namespace

// For the length of one call: the object, and the object that owns the engine, stay alive
// whatever the host does meanwhile. Engine() is null once the window or the control is gone,
// also when that happened during the call.
class AccessibleView::Call {
public:
    explicit Call(AccessibleView& view) : owner(view.engine) {
        self.Assign(&view);
        if (owner)
            owner->HoldOwner();
    }
    ~Call() {
        if (owner)
            owner->ReleaseOwner(); // may end the control, which disconnects the view
    }
    Call(const Call&) = delete;
    Call& operator=(const Call&) = delete;
    ViewEngine* Engine() const { return self->engine; }

private:
    ComRef<AccessibleView> self;
    ViewEngine* owner;
};

// A call about one child, answered while the engine is there and the child exists.
template <class Answer> HRESULT AccessibleView::AboutChild(const VARIANT& child, Answer answer) {
    Call call(*this);
    if (!call.Engine())
        return RPC_E_DISCONNECTED;
    const AccessibleItems items(*call.Engine());
    const AccessibleItem item = Resolve(items, child);
    if (item.kind == AccessibleItem::Missing)
        return E_INVALIDARG;
    return answer(*call.Engine(), items, item);
}

AccessibleView* AccessibleView::Create(ViewEngine& engine) {
    return new (std::nothrow) AccessibleView(engine);
}

AccessibleView::AccessibleView(ViewEngine& engine) : engine(&engine) {}

void AccessibleView::Disconnect() {
    if (!engine)
        return;
    engine = nullptr;
    // Clients in other processes let go of it through their stubs now.
    CoDisconnectObject(static_cast<IAccessible*>(this), 0);
}

// --- IDispatch ---

HRESULT AccessibleView::DualTypeInfo(ITypeInfo** info) {
    if (!typeInfo) {
        ComRef<ITypeLib> library;
        HRESULT hr = LoadRegTypeLib(accessibilityLibrary, 1, 1, LOCALE_NEUTRAL, library.Receive());
        if (FAILED(hr))
            hr = LoadTypeLib(L"oleacc.dll", library.Receive());
        if (SUCCEEDED(hr))
            hr = library->GetTypeInfoOfGuid(__uuidof(IAccessible), typeInfo.Receive());
        if (FAILED(hr))
            return hr;
    }
    typeInfo.CopyTo(info);
    return S_OK;
}

// --- IAccessible: what the list and its children are ---

HRESULT STDMETHODCALLTYPE AccessibleView::get_accParent(IDispatch** parent) {
    if (!parent)
        return E_POINTER;
    *parent = nullptr;
    Call call(*this);
    if (!call.Engine())
        return RPC_E_DISCONNECTED;
    return AccessibleObjectFromWindow(call.Engine()->hwnd, static_cast<DWORD>(OBJID_WINDOW),
                                      IID_IDispatch, reinterpret_cast<void**>(parent));
}

HRESULT STDMETHODCALLTYPE AccessibleView::get_accChildCount(LONG* count) {
    if (!count)
        return E_POINTER;
    *count = 0;
    Call call(*this);
    if (!call.Engine())
        return RPC_E_DISCONNECTED;
    *count = AccessibleItems(*call.Engine()).Count();
    return S_OK;
}

// The children are simple elements, not objects of their own.
HRESULT STDMETHODCALLTYPE AccessibleView::get_accChild(VARIANT child, IDispatch** object) {
    if (!object)
        return E_POINTER;
    *object = nullptr;
    return AboutChild(child, [](ViewEngine&, const AccessibleItems&, const AccessibleItem& item) {
        return item.kind == AccessibleItem::Self ? E_INVALIDARG : S_FALSE;
    });
}

HRESULT AccessibleView::Text(const VARIANT& child, BSTR* text, TextOf read) {
    if (!text)
        return E_POINTER;
    *text = nullptr;
    return AboutChild(
        child, [&](ViewEngine&, const AccessibleItems& items, const AccessibleItem& item) {
            OwnedBstr answer(read(items, item));
            if (!engine) // the container, asked for the list's name, let go of the window
                return RPC_E_DISCONNECTED;
            *text = answer.Detach();
            return *text ? S_OK : S_FALSE;
        });
}

HRESULT STDMETHODCALLTYPE AccessibleView::get_accName(VARIANT child, BSTR* name) {
    return Text(child, name, [](const AccessibleItems& items, const AccessibleItem& item) {
        return items.Name(item);
    });
}

HRESULT STDMETHODCALLTYPE AccessibleView::get_accValue(VARIANT child, BSTR* value) {
    return Text(child, value, [](const AccessibleItems& items, const AccessibleItem& item) {
        return items.Value(item);
    });
}

HRESULT STDMETHODCALLTYPE AccessibleView::get_accDescription(VARIANT child, BSTR* description) {
    return Text(child, description, [](const AccessibleItems& items, const AccessibleItem& item) {
        return items.Description(item);
    });
}

HRESULT STDMETHODCALLTYPE AccessibleView::get_accDefaultAction(VARIANT child, BSTR* action) {
    return Text(child, action, [](const AccessibleItems& items, const AccessibleItem& item) {
        const wchar_t* text = items.DefaultAction(item);
        return text ? SysAllocString(text) : nullptr;
    });
}

HRESULT STDMETHODCALLTYPE AccessibleView::get_accHelp(VARIANT child, BSTR* help) {
    return Text(child, help,
                [](const AccessibleItems&, const AccessibleItem&) -> BSTR { return nullptr; });
}

HRESULT STDMETHODCALLTYPE AccessibleView::get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) {
    return Text(child, shortcut,
                [](const AccessibleItems&, const AccessibleItem&) -> BSTR { return nullptr; });
}

HRESULT STDMETHODCALLTYPE AccessibleView::get_accHelpTopic(BSTR* file, VARIANT, LONG* topic) {
    if (file)
        *file = nullptr;
    if (topic)
        *topic = -1;
    return engine ? DISP_E_MEMBERNOTFOUND : RPC_E_DISCONNECTED;
}

HRESULT AccessibleView::Number(const VARIANT& child, VARIANT* number, NumberOf read) {
    if (!number)
        return E_POINTER;
    VariantInit(number);
    return AboutChild(child,
                      [&](ViewEngine&, const AccessibleItems& items, const AccessibleItem& item) {
                          SetChild(number, (items.*read)(item));
                          return S_OK;
                      });
}

HRESULT STDMETHODCALLTYPE AccessibleView::get_accRole(VARIANT child, VARIANT* role) {
    return Number(child, role, &AccessibleItems::Role);
}

HRESULT STDMETHODCALLTYPE AccessibleView::get_accState(VARIANT child, VARIANT* state) {
    return Number(child, state, &AccessibleItems::State);
}

// The current row: the selection, and the focus while the list has it (the list itself
// when no row is current).
HRESULT AccessibleView::CurrentChild(VARIANT* child, bool focus) {
    if (!child)
        return E_POINTER;
    VariantInit(child);
    Call call(*this);
    ViewEngine* live = call.Engine();
    if (!live)
        return RPC_E_DISCONNECTED;
    const bool row = live->view.currentRow >= 0 && AccessibleItems(*live).Count() > 0;
    if (focus ? !live->view.hasFocus : !row)
        return S_FALSE;
    SetChild(child, row ? live->RowChild(live->view.currentRow) : CHILDID_SELF);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE AccessibleView::get_accFocus(VARIANT* child) {
    return CurrentChild(child, true);
}

HRESULT STDMETHODCALLTYPE AccessibleView::get_accSelection(VARIANT* children) {
    return CurrentChild(children, false);
}

// --- IAccessible: where the children are ---

HRESULT STDMETHODCALLTYPE AccessibleView::accLocation(LONG* left, LONG* top, LONG* width,
                                                      LONG* height, VARIANT child) {
    if (!left || !top || !width || !height)
        return E_POINTER;
    *left = *top = *width = *height = 0;
    return AboutChild(child,
                      [&](ViewEngine&, const AccessibleItems& items, const AccessibleItem& item) {
                          const RECT rect = items.Location(item);
                          *left = rect.left;
                          *top = rect.top;
                          *width = rect.right - rect.left;
                          *height = rect.bottom - rect.top;
                          return S_OK;
                      });
}

HRESULT STDMETHODCALLTYPE AccessibleView::accNavigate(LONG direction, VARIANT start, VARIANT* end) {
    if (!end)
        return E_POINTER;
    VariantInit(end);
    return AboutChild(start,
                      [&](ViewEngine&, const AccessibleItems& items, const AccessibleItem& from) {
                          LONG to = AccessibleItems::noChild;
                          if (!items.Navigate(from, direction, to))
                              return E_INVALIDARG;
                          if (to == AccessibleItems::noChild)
                              return S_FALSE;
                          SetChild(end, to);
                          return S_OK;
                      });
}

HRESULT STDMETHODCALLTYPE AccessibleView::accHitTest(LONG x, LONG y, VARIANT* child) {
    if (!child)
        return E_POINTER;
    VariantInit(child);
    Call call(*this);
    if (!call.Engine())
        return RPC_E_DISCONNECTED;
    const LONG hit = AccessibleItems(*call.Engine()).ChildAt(POINT{x, y});
    if (hit == AccessibleItems::noChild)
        return S_FALSE;
    SetChild(child, hit);
    return S_OK;
}

// --- IAccessible: acting as the user would, under the same rules and with the same events ---

HRESULT STDMETHODCALLTYPE AccessibleView::accDoDefaultAction(VARIANT child) {
    return AboutChild(
        child, [this](ViewEngine& live, const AccessibleItems& items, const AccessibleItem& item) {
            if (item.kind == AccessibleItem::Self)
                return DISP_E_MEMBERNOTFOUND;
            if (!live.AcceptsUserAction())
                return E_ACCESSDENIED;
            if (item.kind == AccessibleItem::Header) {
                live.ClickHeader(item.index);
            } else if (item.kind == AccessibleItem::GroupRow) {
                live.ToggleRow(item.index); // as the keys open and close it
            } else {
                // A double click: the row is selected, then the host hears of the double click.
                live.SelectRow(item.index);
                if (!engine)
                    return RPC_E_DISCONNECTED;
                const POINT at = items.ClickPoint(live.view.currentRow);
                live.ItemDblClick(at.x, at.y, live.view.selectedRecord);
            }
            return S_OK;
        });
}

HRESULT STDMETHODCALLTYPE AccessibleView::accSelect(LONG flags, VARIANT child) {
    return AboutChild(
        child, [this, flags](ViewEngine& live, const AccessibleItems&, const AccessibleItem& item) {
            const LONG known = SELFLAG_TAKEFOCUS | SELFLAG_TAKESELECTION;
            if (item.kind == AccessibleItem::Header || flags == 0 || (flags & ~known) != 0 ||
                (item.kind == AccessibleItem::Self && flags != SELFLAG_TAKEFOCUS))
                return E_INVALIDARG; // one row at most is selected; headers are not
            if (!IsWindowEnabled(live.hwnd))
                return E_ACCESSDENIED;
            // As a click: the focus first, which the container may answer in any way.
            if ((flags & SELFLAG_TAKEFOCUS) && GetFocus() != live.hwnd) {
                SetFocus(live.hwnd);
                if (!engine)
                    return RPC_E_DISCONNECTED;
            }
            if (item.kind == AccessibleItem::Self)
                return S_OK;
            if (!live.AcceptsUserAction())
                return E_ACCESSDENIED;
            live.SelectRow(item.index);
            return S_OK;
        });
}

HRESULT STDMETHODCALLTYPE AccessibleView::put_accName(VARIANT, BSTR) {
    return engine ? DISP_E_MEMBERNOTFOUND : RPC_E_DISCONNECTED;
}

HRESULT STDMETHODCALLTYPE AccessibleView::put_accValue(VARIANT, BSTR) {
    return engine ? DISP_E_MEMBERNOTFOUND : RPC_E_DISCONNECTED;
}

// --- IEnumVARIANT ---

HRESULT AccessibleView::NextChildren(ULONG& position, ULONG count, VARIANT* children,
                                     ULONG* fetched) {
    if (fetched)
        *fetched = 0;
    if (!children && count > 0)
        return E_POINTER;
    if (!fetched && count > 1)
        return E_INVALIDARG;
    Call call(*this);
    if (!call.Engine())
        return RPC_E_DISCONNECTED;
    const ULONG total = static_cast<ULONG>(AccessibleItems(*call.Engine()).Count());
    ULONG n = 0;
    for (; n < count && position < total; ++n, ++position) {
        VariantInit(&children[n]);
        SetChild(&children[n], static_cast<LONG>(position + 1));
    }
    if (fetched)
        *fetched = n;
    return n == count ? S_OK : S_FALSE;
}

HRESULT AccessibleView::SkipChildren(ULONG& position, ULONG count) {
    Call call(*this);
    if (!call.Engine())
        return RPC_E_DISCONNECTED;
    const ULONG total = static_cast<ULONG>(AccessibleItems(*call.Engine()).Count());
    const ULONG left = position < total ? total - position : 0;
    position += count < left ? count : left;
    return count <= left ? S_OK : S_FALSE;
}

HRESULT AccessibleView::CloneAt(ULONG position, IEnumVARIANT** copy) {
    if (!copy)
        return E_POINTER;
    *copy = nullptr;
    if (!engine)
        return RPC_E_DISCONNECTED;
    *copy = new (std::nothrow) ChildEnumeration(*this, position);
    return *copy ? S_OK : E_OUTOFMEMORY;
}

HRESULT STDMETHODCALLTYPE AccessibleView::Next(ULONG count, VARIANT* children, ULONG* fetched) {
    return NextChildren(enumPosition, count, children, fetched);
}

HRESULT STDMETHODCALLTYPE AccessibleView::Skip(ULONG count) {
    return SkipChildren(enumPosition, count);
}

HRESULT STDMETHODCALLTYPE AccessibleView::Reset() {
    enumPosition = 0;
    return engine ? S_OK : RPC_E_DISCONNECTED;
}

HRESULT STDMETHODCALLTYPE AccessibleView::Clone(IEnumVARIANT** copy) {
    return CloneAt(enumPosition, copy);
}
