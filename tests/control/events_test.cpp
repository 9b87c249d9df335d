// Events and property notifications through the connection points; the control is linked in,
// so that its engine-side calls can be driven directly.

#include "com_test_support.h"
#include "base/com_ref.h"
#include "control/view_control.h"

#include <functional>
#include <string>

namespace {

using Log = std::vector<std::string>;

// Logs "name:id arguments" per event ("name:?" when not raised as events are), "name asks id"
// (refused while veto), "name changed id". A script engine's sink answers IDispatch alone.
class Sink : public IDispatch, public IPropertyNotifySink {
public:
    Sink(int name, Log& log) : name(std::to_string(name)), log(log) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        *object =
            riid == IID_IPropertyNotifySink ? static_cast<IPropertyNotifySink*>(this)
            : riid == IID_IUnknown || riid == IID_IDispatch || (riid == DIID___View && !script)
                ? static_cast<void*>(static_cast<IDispatch*>(this))
                : nullptr;
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
        std::string call = name + ":" + (event ? std::to_string(id) : "?");
        for (UINT i = params->cArgs; i-- > 0;) { // rgvarg holds the arguments last first
            const VARIANT& v = params->rgvarg[i];
            call += V_VT(&v) == VT_I4 ? " " + std::to_string(V_I4(&v)) : " ?";
        }
        Note(call);
        return result;
    }
    HRESULT STDMETHODCALLTYPE OnChanged(DISPID id) override {
        log.push_back(name + " changed " + std::to_string(id));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnRequestEdit(DISPID id) override {
        Note(name + " asks " + std::to_string(id));
        return veto ? S_FALSE : S_OK;
    }
    void Note(const std::string& line) {
        log.push_back(line);
        if (onEvent)
            onEvent();
    }

    std::string name;
    Log& log;
    std::function<void()> onEvent;
    HRESULT result = S_OK;
    bool veto = false, script = false;
    long references = 0;
};

// Every test starts with `sink` (named 1) connected to the event connection point.
class EventsTest : public ComTest {
protected:
    void SetUp() override {
        ComTest::SetUp();
        view = control = ViewControl::Create();
        ASSERT_NE(nullptr, control);
        ComRef<IConnectionPointContainer> points(
            Query<IConnectionPointContainer>(view, IID_IConnectionPointContainer));
        ASSERT_TRUE(points);
        points->FindConnectionPoint(DIID___View, events.Receive());
        points->FindConnectionPoint(IID_IPropertyNotifySink, notify.Receive());
        IConnectionPoint* none = nullptr;
        EXPECT_EQ(CONNECT_E_NOCONNECTION, points->FindConnectionPoint(IID_IDispatch, &none));
        ASSERT_TRUE(events && notify);
        ASSERT_EQ(S_OK, events->Advise(sink, &cookie));
        host = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 200, 200, nullptr,
                               nullptr, nullptr, nullptr);
        ASSERT_NE(nullptr, control->CreateEngineWindow(host, RECT{0, 0, 200, 200}));
    }
    void TearDown() override {
        LetGo();
        DestroyWindow(host);
        ComTest::TearDown();
    }

    // What a host holds of the control, let go.
    void LetGo() {
        if (cookie)
            events->Unadvise(cookie);
        cookie = 0;
        notify.Reset();
        events.Reset();
        if (view)
            view->Release();
        view = nullptr;
    }

    void Load(LONG records) {
        NumberGrid grid(records, 2);
        const VARIANT data = records ? grid.AsVariant() : VARIANT{};
        ASSERT_EQ(S_OK, view->SetData(data, flShortDate, flMonth, VARIANT_FALSE));
    }

    ViewControl* control = nullptr;
    _View* view = nullptr;
    ComRef<IConnectionPoint> events, notify;
    Log log;
    Sink sink{1, log};
    DWORD cookie = 0;
    HWND host = nullptr;
};

} // namespace

TEST_F(EventsTest, OnSelectReachesEverySinkInOrderThoughOneFailsAndLeavesDuringIt) {
    Sink leaving(2, log), staying(3, log);
    DWORD cookies[2] = {};
    leaving.result = E_FAIL;
    staying.script = true;
    leaving.onEvent = [&] { EXPECT_EQ(S_OK, events->Unadvise(cookies[0])); };
    ASSERT_EQ(S_OK, events->Advise(leaving, &cookies[0]));
    ASSERT_EQ(S_OK, events->Advise(staying, &cookies[1]));
    Load(3);
    LONG selected = -1;
    ASSERT_EQ(S_OK, view->get_SelectedRecord(&selected));
    EXPECT_EQ(0, selected);
    Load(0); // emptying changes the selection to none
    EXPECT_EQ((Log{"1:1", "2:1", "3:1", "1:1", "3:1"}), log);
    EXPECT_EQ(CONNECT_E_NOCONNECTION, events->Unadvise(cookies[0]));
    EXPECT_EQ(S_OK, events->Unadvise(cookies[1]));
    EXPECT_EQ(S_OK, events->Unadvise(cookie));
    cookie = 0;
    EXPECT_EQ(0, sink.references + leaving.references + staying.references);
}

// The key events' arguments are seen by the host tests through a real container.
TEST_F(EventsTest, MouseEventsCarryTheirArgumentsInOrder) {
    control->ContextMenu(5, -7, 3);
    control->ItemDblClick(40, 50, -1);
    EXPECT_EQ((Log{"1:2 5 -7 3", "1:3 40 50 -1"}), log);
}

TEST_F(EventsTest, FreezingEndsHeaderTrackingAndHoldsBackOneOnSelectUntilThawed) {
    Load(3); // a press on the first column's header, which a drag would follow
    SendMessageA(control->hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(40, 2));
    ASSERT_EQ(control->hwnd, GetCapture());
    log.clear();
    ComRef<IOleControl> ole(Query<IOleControl>(view, IID_IOleControl));
    ASSERT_TRUE(ole);
    ASSERT_EQ(S_OK, ole->FreezeEvents(TRUE));
    EXPECT_NE(control->hwnd, GetCapture()) << "a drop would act while the host does not listen";
    ASSERT_EQ(S_OK, ole->FreezeEvents(TRUE));
    Load(3);
    Load(0);
    ASSERT_EQ(S_OK, ole->FreezeEvents(FALSE));
    EXPECT_TRUE(log.empty()); // still frozen once
    ASSERT_EQ(S_OK, ole->FreezeEvents(FALSE));
    EXPECT_EQ((Log{"1:1"}), log); // one OnSelect for all held back
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
}

TEST_F(EventsTest, PropertySinksObserveAndCanVetoEnabled) {
    Sink observer(4, log), guard(5, log);
    DWORD cookies[2] = {};
    ASSERT_EQ(S_OK, notify->Advise(observer, &cookies[0]));
    ComRef<IPersistStreamInit> persist(Query<IPersistStreamInit>(view, IID_IPersistStreamInit));
    ASSERT_EQ(S_OK, view->put_Enabled(VARIANT_FALSE));
    EXPECT_EQ(S_OK, persist->IsDirty());
    ASSERT_EQ(S_OK, persist->Save(ComRef<IStream>(StreamOf({})).Get(), TRUE));
    guard.veto = true;
    ASSERT_EQ(S_OK, notify->Advise(guard, &cookies[1]));
    EXPECT_EQ(S_FALSE, view->put_Enabled(VARIANT_TRUE));
    VARIANT_BOOL enabled = VARIANT_TRUE;
    ASSERT_EQ(S_OK, view->get_Enabled(&enabled));
    EXPECT_EQ(VARIANT_FALSE, enabled);
    EXPECT_EQ(S_FALSE, persist->IsDirty());

    ASSERT_EQ(S_OK, notify->Unadvise(cookies[1]));
    ASSERT_EQ(S_OK, view->put_Enabled(VARIANT_TRUE));
    EXPECT_EQ((Log{"4 asks -514", "4 changed -514", "4 asks -514", "5 asks -514", // refused
                   "4 asks -514", "4 changed -514"}),
              log);

    // The host lets go of the control when asked: it holds itself to the end of the change.
    persist.Reset();
    observer.onEvent = [this] { LetGo(); };
    _View* held = view;
    EXPECT_EQ(S_OK, held->put_Enabled(VARIANT_FALSE));
    EXPECT_EQ(0, observer.references);
}
