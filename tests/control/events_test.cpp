// Events and property notifications of a View object, raised through its connection points
// to host sinks, with the control linked in so the engine's sink can be driven directly.

#include "com_test_support.h"
#include "control/view_control.h"

#include <functional>

namespace {

struct EventCall {
    int sink;
    DISPID id;                   // -1 when not called the way events are raised
    std::vector<LONG> arguments; // first to last, as declared
};

// A host's sink owned by its test: logs events (shared by several sinks), edit requests and
// changes, refusing edits while veto is set; `references` counts what the control holds.
class Sink : public IDispatch, public IPropertyNotifySink {
public:
    Sink(int name, std::vector<EventCall>& log) : name(name), log(log) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (riid == IID_IPropertyNotifySink)
            *object = static_cast<IPropertyNotifySink*>(this);
        else if (riid == IID_IUnknown || riid == IID_IDispatch || riid == DIID___View)
            *object = static_cast<IDispatch*>(this);
        else
            *object = nullptr;
        return *object ? (AddRef(), S_OK) : E_NOINTERFACE;
    }
    operator IUnknown*() { return static_cast<IDispatch*>(this); } // what a host hands over
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++references); }
    ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--references); }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params,
                                     VARIANT*, EXCEPINFO*, UINT*) override {
        bool event = riid == IID_NULL && flags == DISPATCH_METHOD && params->cNamedArgs == 0;
        EventCall call{name, event ? id : -1, {}};
        for (UINT i = params->cArgs; i-- > 0;) // rgvarg holds the arguments last first
            call.arguments.push_back(V_VT(&params->rgvarg[i]) == VT_I4 ? V_I4(&params->rgvarg[i])
                                                                       : -99999);
        log.push_back(call);
        if (onEvent)
            onEvent();
        return result;
    }
    HRESULT STDMETHODCALLTYPE OnChanged(DISPID id) override {
        changed.push_back(id);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnRequestEdit(DISPID id) override {
        requested.push_back(id);
        return veto ? S_FALSE : S_OK;
    }

    int name;
    std::vector<EventCall>& log;
    std::function<void()> onEvent;
    HRESULT result = S_OK;
    bool veto = false;
    std::vector<DISPID> requested, changed;
    long references = 0;
};

// Every test starts with `sink` (named 1) connected to the event connection point.
class EventsTest : public ComTest {
protected:
    void SetUp() override {
        ComTest::SetUp();
        view = control = ViewControl::Create();
        ASSERT_NE(nullptr, control);
        auto* container = Query<IConnectionPointContainer>(view, IID_IConnectionPointContainer);
        ASSERT_NE(nullptr, container);
        container->FindConnectionPoint(DIID___View, &events);
        container->FindConnectionPoint(IID_IPropertyNotifySink, &notify);
        container->Release();
        ASSERT_TRUE(events && notify);
        ASSERT_EQ(S_OK, events->Advise(sink, &cookie));
    }
    void TearDown() override {
        if (cookie)
            events->Unadvise(cookie);
        for (IUnknown* held : {static_cast<IUnknown*>(notify), static_cast<IUnknown*>(events),
                               static_cast<IUnknown*>(view)})
            if (held)
                held->Release();
        ComTest::TearDown();
    }

    void Load(LONG records) {
        NumberGrid grid(records, 2);
        VARIANT empty;
        VariantInit(&empty);
        ASSERT_EQ(S_OK, view->SetData(records ? grid.AsVariant() : empty, flShortDate, flMonth,
                                      VARIANT_FALSE));
    }
    // The sinks that received OnSelect without arguments, in order; -1 for other calls.
    std::vector<int> Selects() const {
        std::vector<int> sinks;
        for (const EventCall& call : log)
            sinks.push_back(call.id == 1 && call.arguments.empty() ? call.sink : -1);
        return sinks;
    }

    ViewControl* control = nullptr;
    _View* view = nullptr;
    IConnectionPoint* events = nullptr;
    IConnectionPoint* notify = nullptr;
    std::vector<EventCall> log;
    Sink sink{1, log};
    DWORD cookie = 0;
};

} // namespace

TEST_F(EventsTest, LoadsRaiseOnSelectToEverySinkInConnectionOrder) {
    Sink second(2, log), third(3, log);
    DWORD cookies[2] = {};
    ASSERT_EQ(S_OK, events->Advise(second, &cookies[0]));
    ASSERT_EQ(S_OK, events->Advise(third, &cookies[1]));
    second.result = E_FAIL; // a failing sink does not stop the others
    Load(3);
    EXPECT_EQ((std::vector<int>{1, 2, 3}), Selects());
    LONG selected = -1;
    ASSERT_EQ(S_OK, view->get_SelectedRecord(&selected));
    EXPECT_EQ(0, selected);

    // Emptying changes the selection to none: one more OnSelect each.
    ASSERT_EQ(S_OK, events->Unadvise(cookies[0]));
    Load(0);
    EXPECT_EQ((std::vector<int>{1, 2, 3, 1, 3}), Selects());
    EXPECT_EQ(CONNECT_E_NOCONNECTION, events->Unadvise(cookies[0]));
    EXPECT_EQ(S_OK, events->Unadvise(cookies[1]));
    EXPECT_EQ(S_OK, events->Unadvise(cookie));
    cookie = 0;
    EXPECT_EQ(0, sink.references + second.references + third.references);
}

TEST_F(EventsTest, MouseAndKeyEventsCarryTheirArgumentsInOrder) {
    control->ContextMenu(5, -7, 3);
    control->ItemDblClick(40, 50, -1);
    control->RaiseKeyDown(65, 3);
    control->RaiseKeyUp(66, 0);
    control->RaiseKeyPress(97);
    const EventCall expected[] = {
        {1, 2, {5, -7, 3}}, {1, 3, {40, 50, -1}}, {1, 4, {65, 3}}, {1, 5, {66, 0}}, {1, 6, {97}}};
    ASSERT_EQ(5u, log.size());
    for (size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(expected[i].id, log[i].id) << i;
        EXPECT_EQ(expected[i].arguments, log[i].arguments) << i;
    }
}

TEST_F(EventsTest, FrozenEventsHoldBackOneOnSelectUntilThawed) {
    auto* ole = Query<IOleControl>(view, IID_IOleControl);
    ASSERT_NE(nullptr, ole);
    ASSERT_EQ(S_OK, ole->FreezeEvents(TRUE));
    ASSERT_EQ(S_OK, ole->FreezeEvents(TRUE));
    Load(3);
    Load(0);
    ASSERT_EQ(S_OK, ole->FreezeEvents(FALSE));
    EXPECT_TRUE(log.empty()); // still frozen once
    ASSERT_EQ(S_OK, ole->FreezeEvents(FALSE));
    EXPECT_EQ((std::vector<int>{1}), Selects()); // one OnSelect for all held back
    // Thawing with nothing held back raises nothing.
    ASSERT_EQ(S_OK, ole->FreezeEvents(TRUE));
    ASSERT_EQ(S_OK, ole->FreezeEvents(FALSE));
    EXPECT_EQ(1u, log.size());
    // An unbalanced thaw counts as frozen until a freeze brings the count back.
    ASSERT_EQ(S_OK, ole->FreezeEvents(FALSE));
    Load(2);
    EXPECT_EQ(1u, log.size());
    ASSERT_EQ(S_OK, ole->FreezeEvents(TRUE));
    EXPECT_EQ(2u, log.size());
    ole->Release();
}

TEST_F(EventsTest, FreezingEndsHeaderTracking) {
    HWND host = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 200, 200, nullptr, nullptr,
                                nullptr, nullptr);
    ASSERT_NE(nullptr, control->CreateEngineWindow(host, RECT{0, 0, 200, 200}));
    SetCapture(control->hwnd);
    control->view.trackMode = TrackColumnDrag;
    ASSERT_EQ(control->hwnd, GetCapture());
    ASSERT_EQ(S_OK, control->FreezeEvents(TRUE));
    EXPECT_NE(control->hwnd, GetCapture());
    ASSERT_EQ(S_OK, control->FreezeEvents(FALSE));
    DestroyWindow(host);
}

TEST_F(EventsTest, SinkLeavingDuringAnEventDoesNotDisturbTheOthers) {
    Sink leaving(2, log), staying(3, log);
    DWORD cookies[2] = {};
    leaving.onEvent = [&] { // disconnects from inside its first event
        if (cookies[0])
            events->Unadvise(cookies[0]);
        cookies[0] = 0;
    };
    ASSERT_EQ(S_OK, events->Advise(leaving, &cookies[0]));
    ASSERT_EQ(S_OK, events->Advise(staying, &cookies[1]));
    Load(2);
    Load(0);
    EXPECT_EQ((std::vector<int>{1, 2, 3, 1, 3}), Selects());
    EXPECT_EQ(0, leaving.references);
    ASSERT_EQ(S_OK, events->Unadvise(cookies[1]));
}

TEST_F(EventsTest, PropertySinksObserveAndCanVetoEnabled) {
    Sink observer(0, log), guard(0, log);
    DWORD observerCookie = 0, guardCookie = 0;
    ASSERT_EQ(S_OK, notify->Advise(observer, &observerCookie));
    ASSERT_EQ(S_OK, view->put_Enabled(VARIANT_FALSE));
    EXPECT_EQ((std::vector<DISPID>{DISPID_ENABLED}), observer.requested);
    EXPECT_EQ((std::vector<DISPID>{DISPID_ENABLED}), observer.changed);
    EXPECT_TRUE(control->dirty);

    control->dirty = false;
    guard.veto = true;
    ASSERT_EQ(S_OK, notify->Advise(guard, &guardCookie));
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
