// Hosts that are not polite, under Wine's freed-memory fill: a use of a released object faults.

#include "base/module_lock.h"
#include "control/view_control.h"
#include "host_test_support.h"

namespace {

// Events are heard by their DISPID, site calls from 100 on.
constexpr int Heard(SiteCall call) {
    return 100 + int(call);
}

class Hostile : public HostTest {
protected:
    void NewContainer() {
        host->SetWindow(container = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 0, 0,
                                                    350, 250, window, nullptr, nullptr, nullptr));
    }
    // A new control of 5 x 2 records in place in a new container; the host holds the only
    // references.
    void EmbedNew() {
        NewContainer();
        _View* view = engine = ViewControl::Create();
        LoadTable(view, 5, 2);
        host->Embed(view, RECT{0, 0, 300, 200});
        view->Release();
        control = host->ControlWindow();
    }
    void Send(UINT message, WPARAM wParam, LPARAM lParam) {
        SendMessageA(control, message, wParam, lParam);
    }
    LPARAM Row(int row) const {
        return MAKELPARAM(engine->splitterWidth + 5, // no grouping area
                          engine->headerHeight + engine->rowHeight * row + 2);
    }
    ViewControl* engine = nullptr;
    HWND container = nullptr, control = nullptr;
};

} // namespace

// Whatever the host does in an event or site call, the object outlives its calls out.
TEST_F(Hostile, LettingGoReenteringAndDestroyingWindowsFromEventsAndSiteCalls) {
    using Answers = std::vector<std::function<void()>>;
    const std::function<void()> show = [&] { host->DoVerb(OLEIVERB_SHOW); }, leave;
    const Answers leaving{[&] { host->LetGo(); }, [&] { host->Close(); }};
    // Heard is negative where the answer is ready but the call must not come.
    const struct {
        const char* name;
        int heard;
        std::function<void()> answer, act;
    } cases[] = {
        {"OnSelect", 1, leave, [&] { Send(WM_RBUTTONDOWN, MK_RBUTTON, Row(2)); }},
        {"OnContextMenu", 2, leave, [&] { Send(WM_RBUTTONDOWN, MK_RBUTTON, Row(0)); }},
        {"OnItemDblClick", 3, leave, [&] { Send(WM_LBUTTONDBLCLK, MK_LBUTTON, Row(0)); }},
        {"OnKeyDown", 4, leave, [&] { Send(WM_KEYDOWN, VK_F2, 1); }},
        {"OnKeyUp", 5, leave, [&] { Send(WM_KEYUP, VK_F2, LPARAM(0xC0000001)); }},
        {"OnKeyPress", 6, leave, [&] { Send(WM_CHAR, 'a', 1); }},
        {"OnUIActivate", Heard(SiteCall::UIActivate), leave,
         [&] { Send(WM_MOUSEACTIVATE, 0, HTCLIENT); }},
        {"OnFocus", Heard(SiteCall::Focus), leave, [&] { SetFocus(control); }},
        {"OnInPlaceActivate", Heard(SiteCall::InPlaceActivate), leave,
         [&] { host->Deactivate(), host->DoVerb(OLEIVERB_SHOW); }},
        {"shown again while it closes", Heard(SiteCall::UIDeactivate), show,
         [&] { host->DoVerb(OLEIVERB_SHOW), engine->Close(OLECLOSE_NOSAVE); }},
        {"disabled while it takes the user interface", Heard(SiteCall::UIActivate),
         [&] { engine->put_Enabled(VARIANT_FALSE); }, show},
        {"the focus taken back as the released control dies", -Heard(SiteCall::Blur),
         [&] { SetFocus(control); },
         [&] { host->DoVerb(OLEIVERB_SHOW), engine->UIDeactivate(), host->LetGo(); }},
        {"its window destroyed", 0, {}, [&] { DestroyWindow(control); }},
        {"its container destroyed", 0, {}, [&] { DestroyWindow(container), NewContainer(); }},
    };
    for (const auto& c : cases)
        for (const auto& answer : c.answer || !c.heard ? Answers{c.answer} : leaving) {
            SCOPED_TRACE(c.name);
            EmbedNew();
            int heard = 0;
            LONG living = 0; // objects alive right after the answer
            auto hear = [&](int what) {
                if (what == abs(c.heard) && ++heard == 1)
                    answer(), living = ModuleLockCount();
            };
            host->onEvent = [&](const HostEvent& e) { hear(e.id); };
            host->onSiteCall = [&](SiteCall call) { hear(Heard(call)); };
            c.act();
            host->onEvent = nullptr, host->onSiteCall = nullptr;
            EXPECT_EQ(std::make_pair(heard, living),
                      std::make_pair(int(c.heard > 0), LONG(c.heard > 0)));
            if (host->Control()) {
                EXPECT_EQ(host->ActiveObject() != nullptr, host->Record().uiActive);
                EXPECT_EQ(S_OK, host->DoVerb(OLEIVERB_SHOW));
                EXPECT_TRUE(IsWindowVisible(host->ControlWindow()) &&
                            IsChild(container, host->ControlWindow()));
            }
            host->Close();
            host->LetGo(); // what the frame was handed after the host let go
            EXPECT_TRUE(!ModuleLockCount() && !IsWindow(control) && !host->ActiveObject())
                << "nothing of the control is left";
            DestroyWindow(container);
        }
}

// The host shows or activates the control again from the site calls of its deactivation while
// it unsites, resites, closes or deactivates it: the outer call still leaves the control
// inactive, without a window in the old site and let go by the frame.
TEST_F(Hostile, NoActivationStartsInsideADeactivation) {
    ControlHost other(window); // the other site
    const std::pair<const char*, SiteCall> hooks[] = {
        {"OnInPlaceDeactivate", SiteCall::InPlaceDeactivate},
        {"OnUIDeactivate", SiteCall::UIDeactivate}};
    const std::pair<const char*, std::function<void()>> outers[] = {
        {"unsite", [&] { engine->SetClientSite(nullptr); }},
        {"other site", [&] { engine->SetClientSite(other.Site()); }},
        {"close", [&] { engine->Close(OLECLOSE_NOSAVE); }},
        {"InPlaceDeactivate", [&] { host->Deactivate(); }}};
    const std::pair<const char*, LONG> verbs[] = {{"show", OLEIVERB_SHOW},
                                                  {"UI-activate", OLEIVERB_UIACTIVATE},
                                                  {"in-place-activate", OLEIVERB_INPLACEACTIVATE}};
    for (const auto& [hookName, hook] : hooks)
        for (const auto& [outerName, outer] : outers)
            for (const auto& [verbName, verb] : verbs) {
                SCOPED_TRACE(std::string(hookName) + " " + outerName + " " + verbName);
                EmbedNew();
                ASSERT_EQ(S_OK, host->DoVerb(OLEIVERB_UIACTIVATE));
                int heard = 0;
                HRESULT answered = S_OK;
                host->onSiteCall = [&, hook = hook, verb = verb](SiteCall call) {
                    if (call == hook && ++heard == 1)
                        answered = host->DoVerb(verb);
                };
                outer();
                host->onSiteCall = nullptr;
                EXPECT_EQ(1, heard);
                EXPECT_TRUE(FAILED(answered));
                EXPECT_EQ(nullptr, host->ControlWindow());
                EXPECT_EQ(nullptr, GetWindow(container, GW_CHILD)) << "a window in the old site";
                EXPECT_EQ(nullptr, host->ActiveObject()) << "held by the frame";
                EXPECT_FALSE(host->Record().inPlaceActive || host->Record().uiActive);
                host->Close();
                EXPECT_EQ(0, ModuleLockCount()) << "nothing of the control is left";
                DestroyWindow(container);
            }
}
