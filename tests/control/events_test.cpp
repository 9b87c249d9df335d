// Events and property notifications of a View object, raised through its connection points
// to host sinks, with the control linked in so the engine's sink can be driven directly.

#include "com_test_support.h"
#include "control/view_control.h"
#include "event_sinks.h"

#include <thread>

namespace {

class EventsTest : public ComTest {
protected:
    void SetUp() override {
        ComTest::SetUp();
        control = ViewControl::Create();
        ASSERT_NE(nullptr, control);
        view = control;
        ASSERT_EQ(S_OK, view->QueryInterface(IID_IConnectionPointContainer,
                                             reinterpret_cast<void**>(&container)));
        ASSERT_EQ(S_OK, container->FindConnectionPoint(DIID___View, &events));
        ASSERT_EQ(S_OK, container->FindConnectionPoint(IID_IPropertyNotifySink, &notify));
    }
    void TearDown() override {
        if (notify)
            notify->Release();
        if (events)
            events->Release();
        if (container)
            container->Release();
        if (view)
            view->Release();
        if (parent)
            DestroyWindow(parent);
        ComTest::TearDown();
    }

    void Load(LONG records) {
        VariantGrid grid(2, records);
        FillNumbers(grid, records, 2);
        ASSERT_EQ(S_OK, view->SetData(grid.AsVariant(), flShortDate, flMonth, VARIANT_FALSE));
    }
    void Empty() {
        VARIANT empty;
        VariantInit(&empty);
        ASSERT_EQ(S_OK, view->SetData(empty, flShortDate, flMonth, VARIANT_FALSE));
    }
    HWND CreateWindows() {
        parent = CreateWindowExA(0, "STATIC", "host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400,
                                 300, nullptr, nullptr, nullptr, nullptr);
        RECT bounds = {0, 0, 300, 200};
        return control->CreateEngineWindow(parent, bounds);
    }
    size_t Count(DISPID id) const {
        size_t count = 0;
        for (const EventCall& call : log)
            count += call.id == id;
        return count;
    }

    ViewControl* control = nullptr;
    _View* view = nullptr;
    IConnectionPointContainer* container = nullptr;
    IConnectionPoint* events = nullptr;
    IConnectionPoint* notify = nullptr;
    HWND parent = nullptr;
    std::vector<EventCall> log;
};

constexpr DISPID OnSelect = 1, OnContextMenu = 2, OnItemDblClick = 3, OnKeyDown = 4, OnKeyUp = 5,
                 OnKeyPress = 6;

// Disconnects itself from inside its first event.
class LeavingSink : public EventSink {
public:
    using EventSink::EventSink;
    void OnEvent(DISPID) override {
        if (point && cookie) {
            point->Unadvise(cookie);
            cookie = 0;
        }
    }
    IConnectionPoint* point = nullptr;
    DWORD cookie = 0;
};

// An ambient-property holder standing in for a container's site.
class Site : public IOleClientSite, public IDispatch {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (riid == IID_IUnknown || riid == IID_IOleClientSite)
            *object = static_cast<IOleClientSite*>(this);
        else if (riid == IID_IDispatch && ambient)
            *object = static_cast<IDispatch*>(this);
        else {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE SaveObject() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer**) override { return E_NOINTERFACE; }
    HRESULT STDMETHODCALLTYPE ShowObject() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result,
                                     EXCEPINFO*, UINT*) override {
        const VARIANT* value = id == DISPID_AMBIENT_USERMODE ? &userMode
                               : id == DISPID_AMBIENT_UIDEAD ? &uiDead
                                                             : nullptr;
        if (!value || V_VT(value) == VT_EMPTY)
            return DISP_E_MEMBERNOTFOUND;
        return VariantCopy(result, const_cast<VARIANT*>(value));
    }

    bool ambient = true;
    VARIANT userMode = {};
    VARIANT uiDead = {};
};

void SetBool(VARIANT& target, bool value) {
    V_VT(&target) = VT_BOOL;
    V_BOOL(&target) = value ? VARIANT_TRUE : VARIANT_FALSE;
}

} // namespace

TEST_F(EventsTest, LoadsRaiseOnSelectToEverySinkInConnectionOrder) {
    EventSink first(1, log), second(2, log), third(3, log);
    DWORD cookies[3] = {};
    ASSERT_EQ(S_OK, events->Advise(&first, &cookies[0]));
    ASSERT_EQ(S_OK, events->Advise(&second, &cookies[1]));
    ASSERT_EQ(S_OK, events->Advise(&third, &cookies[2]));
    second.result = E_FAIL; // a failing sink does not stop the others

    Load(3);
    ASSERT_EQ(3u, log.size());
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(i + 1, log[i].sink);
        EXPECT_EQ(OnSelect, log[i].id);
        EXPECT_TRUE(log[i].arguments.empty());
    }
    LONG selected = -1;
    ASSERT_EQ(S_OK, view->get_SelectedRecord(&selected));
    EXPECT_EQ(0, selected);

    // Emptying changes the selection to none: one more OnSelect each.
    ASSERT_EQ(S_OK, events->Unadvise(cookies[1]));
    Empty();
    ASSERT_EQ(5u, log.size());
    EXPECT_EQ(1, log[3].sink);
    EXPECT_EQ(3, log[4].sink);
    EXPECT_EQ(CONNECT_E_NOCONNECTION, events->Unadvise(cookies[1]));
    EXPECT_EQ(S_OK, events->Unadvise(cookies[0]));
    EXPECT_EQ(S_OK, events->Unadvise(cookies[2]));
    EXPECT_EQ(0, first.references);
    EXPECT_EQ(0, third.references);
}

TEST_F(EventsTest, MouseEventsCarryTheirArgumentsLastFirstOnTheWire) {
    EventSink sink(1, log);
    DWORD cookie = 0;
    ASSERT_EQ(S_OK, events->Advise(&sink, &cookie));
    control->ContextMenu(5, -7, 3);
    control->ItemDblClick(40, 50, -1);
    control->RaiseKeyDown(65, 3);
    control->RaiseKeyUp(65, 0);
    control->RaiseKeyPress(97);
    ASSERT_EQ(5u, log.size());
    EXPECT_EQ(OnContextMenu, log[0].id);
    EXPECT_EQ((std::vector<LONG>{5, -7, 3}), log[0].arguments);
    EXPECT_EQ(OnItemDblClick, log[1].id);
    EXPECT_EQ((std::vector<LONG>{40, 50, -1}), log[1].arguments);
    EXPECT_EQ(OnKeyDown, log[2].id);
    EXPECT_EQ((std::vector<LONG>{65, 3}), log[2].arguments);
    EXPECT_EQ(OnKeyUp, log[3].id);
    EXPECT_EQ(OnKeyPress, log[4].id);
    EXPECT_EQ((std::vector<LONG>{97}), log[4].arguments);
    ASSERT_EQ(S_OK, events->Unadvise(cookie));
}

TEST_F(EventsTest, FrozenEventsHoldBackOneOnSelectUntilThawed) {
    EventSink sink(1, log);
    DWORD cookie = 0;
    ASSERT_EQ(S_OK, events->Advise(&sink, &cookie));
    auto* ole = Query<IOleControl>(view, IID_IOleControl);
    ASSERT_NE(nullptr, ole);

    ASSERT_EQ(S_OK, ole->FreezeEvents(TRUE));
    ASSERT_EQ(S_OK, ole->FreezeEvents(TRUE));
    EXPECT_NE(0, control->EventsFrozen());
    Load(3);
    Empty();
    Load(2);
    EXPECT_TRUE(log.empty());
    ASSERT_EQ(S_OK, ole->FreezeEvents(FALSE));
    EXPECT_TRUE(log.empty()); // still frozen once
    ASSERT_EQ(S_OK, ole->FreezeEvents(FALSE));
    ASSERT_EQ(1u, log.size());
    EXPECT_EQ(OnSelect, log[0].id);
    EXPECT_EQ(0, control->pendingSelect);

    // Thawing with nothing held back raises nothing.
    ASSERT_EQ(S_OK, ole->FreezeEvents(TRUE));
    ASSERT_EQ(S_OK, ole->FreezeEvents(FALSE));
    EXPECT_EQ(1u, log.size());

    // An unbalanced thaw counts as frozen until a freeze brings the count back.
    ASSERT_EQ(S_OK, ole->FreezeEvents(FALSE));
    EXPECT_NE(0, control->EventsFrozen());
    Empty();
    EXPECT_EQ(1u, log.size());
    ASSERT_EQ(S_OK, ole->FreezeEvents(TRUE));
    EXPECT_EQ(2u, log.size());
    ole->Release();
    ASSERT_EQ(S_OK, events->Unadvise(cookie));
}

TEST_F(EventsTest, FreezingEndsHeaderTracking) {
    HWND window = CreateWindows();
    ASSERT_NE(nullptr, window);
    SetCapture(window);
    control->trackMode = TrackColumnDrag;
    ASSERT_EQ(window, GetCapture());
    ASSERT_EQ(S_OK, control->FreezeEvents(TRUE));
    EXPECT_NE(window, GetCapture());
    ASSERT_EQ(S_OK, control->FreezeEvents(FALSE));
}

TEST_F(EventsTest, SinkLeavingDuringAnEventDoesNotDisturbTheOthers) {
    LeavingSink leaving(1, log);
    EventSink staying(2, log);
    leaving.point = events;
    ASSERT_EQ(S_OK, events->Advise(&leaving, &leaving.cookie));
    DWORD cookie = 0;
    ASSERT_EQ(S_OK, events->Advise(&staying, &cookie));
    Load(2);
    ASSERT_EQ(2u, log.size());
    EXPECT_EQ(2, log[1].sink);
    Empty();
    ASSERT_EQ(3u, log.size());
    EXPECT_EQ(2, log[2].sink);
    EXPECT_EQ(0, leaving.references);
    ASSERT_EQ(S_OK, events->Unadvise(cookie));
}

TEST_F(EventsTest, ConnectionPointsAreFoundAndEnumerated) {
    IConnectionPoint* none = reinterpret_cast<IConnectionPoint*>(1);
    EXPECT_EQ(CONNECT_E_NOCONNECTION, container->FindConnectionPoint(IID_IDispatch, &none));
    EXPECT_EQ(nullptr, none);

    IEnumConnectionPoints* points = nullptr;
    ASSERT_EQ(S_OK, container->EnumConnectionPoints(&points));
    IConnectionPoint* found[3] = {};
    ULONG fetched = 0;
    EXPECT_EQ(S_FALSE, points->Next(3, found, &fetched));
    ASSERT_EQ(2u, fetched);
    IID iid;
    ASSERT_EQ(S_OK, found[0]->GetConnectionInterface(&iid));
    EXPECT_EQ(DIID___View, iid);
    ASSERT_EQ(S_OK, found[1]->GetConnectionInterface(&iid));
    EXPECT_EQ(IID_IPropertyNotifySink, iid);
    IConnectionPointContainer* owner = nullptr;
    ASSERT_EQ(S_OK, found[1]->GetConnectionPointContainer(&owner));
    EXPECT_EQ(container, owner);
    owner->Release();
    found[0]->Release();
    found[1]->Release();
    points->Release();

    // A sink that answers neither interface cannot connect.
    PropertySink wrongKind;
    DWORD cookie = 7;
    EXPECT_EQ(CONNECT_E_CANNOTCONNECT, events->Advise(&wrongKind, &cookie));
    EXPECT_EQ(0u, cookie);
    EXPECT_EQ(0, wrongKind.references);

    EventSink a(1, log), b(2, log);
    DWORD cookies[2] = {};
    ASSERT_EQ(S_OK, events->Advise(&a, &cookies[0]));
    ASSERT_EQ(S_OK, events->Advise(&b, &cookies[1]));
    EXPECT_NE(cookies[0], cookies[1]);
    IEnumConnections* connections = nullptr;
    ASSERT_EQ(S_OK, events->EnumConnections(&connections));
    CONNECTDATA data[2] = {};
    ASSERT_EQ(S_OK, connections->Next(2, data, &fetched));
    EXPECT_EQ(cookies[0], data[0].dwCookie);
    EXPECT_EQ(cookies[1], data[1].dwCookie);
    data[0].pUnk->Release();
    data[1].pUnk->Release();
    connections->Release();
    ASSERT_EQ(S_OK, events->Unadvise(cookies[0]));
    ASSERT_EQ(S_OK, events->Unadvise(cookies[1]));
    EXPECT_EQ(0, a.references);
    EXPECT_EQ(0, b.references);
}

TEST_F(EventsTest, PropertySinksObserveAndCanVetoEnabled) {
    PropertySink observer, guard;
    DWORD observerCookie = 0, guardCookie = 0;
    ASSERT_EQ(S_OK, notify->Advise(&observer, &observerCookie));
    ASSERT_EQ(S_OK, view->put_Enabled(VARIANT_FALSE));
    EXPECT_EQ((std::vector<DISPID>{DISPID_ENABLED}), observer.requested);
    EXPECT_EQ((std::vector<DISPID>{DISPID_ENABLED}), observer.changed);
    EXPECT_TRUE(control->dirty);

    control->dirty = false;
    guard.veto = true;
    ASSERT_EQ(S_OK, notify->Advise(&guard, &guardCookie));
    EXPECT_EQ(S_FALSE, view->put_Enabled(VARIANT_TRUE));
    VARIANT_BOOL enabled = VARIANT_TRUE;
    ASSERT_EQ(S_OK, view->get_Enabled(&enabled));
    EXPECT_EQ(VARIANT_FALSE, enabled);
    EXPECT_FALSE(control->dirty);
    EXPECT_EQ(1u, observer.changed.size()); // nobody heard of a change
    EXPECT_EQ(1u, guard.requested.size());

    ASSERT_EQ(S_OK, notify->Unadvise(guardCookie));
    ASSERT_EQ(S_OK, view->put_Enabled(VARIANT_TRUE));
    EXPECT_EQ(2u, observer.changed.size());
    ASSERT_EQ(S_OK, notify->Unadvise(observerCookie));
}

TEST_F(EventsTest, WindowFollowsEnabled) {
    ASSERT_EQ(S_OK, view->put_Enabled(VARIANT_FALSE));
    HWND window = CreateWindows();
    ASSERT_NE(nullptr, window);
    EXPECT_FALSE(IsWindowEnabled(window));
    ASSERT_EQ(S_OK, view->put_Enabled(VARIANT_TRUE));
    EXPECT_TRUE(IsWindowEnabled(window));
    ASSERT_EQ(S_OK, view->put_Enabled(VARIANT_FALSE));
    EXPECT_FALSE(IsWindowEnabled(window));
    control->DestroyEngineWindow();
    EXPECT_EQ(nullptr, control->hwnd);
}

TEST_F(EventsTest, DesignModeAndDeadInterfaceComeFromTheSite) {
    EXPECT_FALSE(control->DesignModeOrUIDead()); // no site: user mode, alive
    Site site;
    ASSERT_EQ(S_OK, control->SetClientSite(&site));
    EXPECT_FALSE(control->DesignModeOrUIDead()); // the site supplies neither
    SetBool(site.userMode, false);
    EXPECT_TRUE(control->DesignModeOrUIDead());
    SetBool(site.userMode, true);
    EXPECT_FALSE(control->DesignModeOrUIDead());
    SetBool(site.uiDead, true);
    EXPECT_TRUE(control->DesignModeOrUIDead());
    site.ambient = false; // a site without ambient properties
    EXPECT_FALSE(control->DesignModeOrUIDead());
    IOleClientSite* current = nullptr;
    ASSERT_EQ(S_OK, control->GetClientSite(&current));
    EXPECT_EQ(&site, current);
    ASSERT_EQ(S_OK, control->SetClientSite(nullptr));
}

TEST_F(EventsTest, AboutBoxShowsTheVersionModally) {
    HWND window = CreateWindows();
    ASSERT_NE(nullptr, window);
    char seen[128] = {};
    DWORD thread = GetCurrentThreadId();
    // Another thread finds the dialog of this thread, reads its version and closes it.
    std::thread closer([&] {
        for (int attempt = 0; attempt < 200; ++attempt) {
            Sleep(25);
            HWND dialog = FindWindowA(nullptr, "About Norvik Control");
            if (!dialog || GetWindowThreadProcessId(dialog, nullptr) != thread)
                continue;
            GetDlgItemTextA(dialog, 402, seen, sizeof seen);
            PostMessageA(dialog, WM_COMMAND, IDOK, 0);
            return;
        }
    });
    HRESULT hr = view->AboutBox();
    closer.join();
    EXPECT_EQ(S_OK, hr);
    EXPECT_STREQ("Version 1.0.0.0", seen);
}
