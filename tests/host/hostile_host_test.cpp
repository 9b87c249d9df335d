// Hosts that are not polite, run with Wine's freed-memory fill so that any use of a released
// object faults.

#include "control/module_lock.h"
#include "control/view_control.h"
#include "host_test_support.h"

namespace {

constexpr int OnSite = 100; // site calls are heard as OnSite + the call, events by DISPID

class Hostile : public HostTest {
protected:
    void NewContainer() {
        container = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 0, 0, 350, 250, window,
                                    nullptr, nullptr, nullptr);
        host->SetWindow(container);
    }
    // 5 x 2 records in place in a new container; the host holds the only references.
    void Embed() {
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
        return MAKELPARAM(engine->layout.ColumnsLeft(false) + 5,
                          engine->headerHeight + engine->rowHeight * row + 2);
    }
    ViewControl* engine = nullptr;
    HWND container = nullptr, control = nullptr;
};

} // namespace

// The host lets go of the control in every event and in every site call that a window message
// or a verb raises, or closes it and lets go (a form unloading); it shows the control again
// while closing it, disables it while it takes the user interface, would take the focus back
// for the window a released control destroys, destroys the control's window or its own. The
// object lives until the call out of it returns; the frame holds it exactly while it is
// active; showing gives a window in the site's window; a dying control tells the host nothing;
// after the host's close nothing of the control is left.
TEST_F(Hostile, LettingGoReenteringAndDestroyingWindowsFromEventsAndSiteCalls) {
    using Answers = std::vector<std::function<void()>>;
    const std::function<void()> show = [&] { host->DoVerb(OLEIVERB_SHOW); }, leave;
    const Answers leaving{[&] { host->LetGo(); }, [&] { host->Close(); }};
    const struct {
        const char* name;
        int heard, hears;
        std::function<void()> answer, act;
    } cases[] = {
        {"OnSelect", 1, 1, leave, [&] { Send(WM_RBUTTONDOWN, MK_RBUTTON, Row(2)); }},
        {"OnContextMenu", 2, 1, leave, [&] { Send(WM_RBUTTONDOWN, MK_RBUTTON, Row(0)); }},
        {"OnItemDblClick", 3, 1, leave, [&] { Send(WM_LBUTTONDBLCLK, MK_LBUTTON, Row(0)); }},
        {"OnKeyDown", 4, 1, leave, [&] { Send(WM_KEYDOWN, VK_F2, 1); }},
        {"OnKeyUp", 5, 1, leave, [&] { Send(WM_KEYUP, VK_F2, LPARAM(0xC0000001)); }},
        {"OnKeyPress", 6, 1, leave, [&] { Send(WM_CHAR, 'a', 1); }},
        {"OnUIActivate", OnSite + int(SiteCall::UIActivate), 1, leave,
         [&] { Send(WM_MOUSEACTIVATE, 0, HTCLIENT); }},
        {"OnFocus", OnSite + int(SiteCall::Focus), 1, leave, [&] { SetFocus(control); }},
        {"OnInPlaceActivate", OnSite + int(SiteCall::InPlaceActivate), 1, leave,
         [&] { host->Deactivate(), host->DoVerb(OLEIVERB_SHOW); }},
        {"shown again while it closes", OnSite + int(SiteCall::UIDeactivate), 1, show,
         [&] { host->DoVerb(OLEIVERB_SHOW), engine->Close(OLECLOSE_NOSAVE); }},
        {"disabled while it takes the user interface", OnSite + int(SiteCall::UIActivate), 1,
         [&] { engine->put_Enabled(VARIANT_FALSE); }, show},
        {"the focus taken back as the released control dies", OnSite + int(SiteCall::Blur), 0,
         [&] { SetFocus(control); },
         [&] { host->DoVerb(OLEIVERB_SHOW), engine->UIDeactivate(), host->LetGo(); }},
        {"its window destroyed", 0, 0, {}, [&] { DestroyWindow(control); }},
        {"the container's window destroyed",
         0,
         0,
         {},
         [&] { DestroyWindow(container), NewContainer(); }},
    };
    for (const auto& c : cases)
        for (const auto& answer : c.answer || !c.heard ? Answers{c.answer} : leaving) {
            SCOPED_TRACE(c.name);
            Embed();
            int heard = 0;
            LONG living = 0; // objects alive right after the answer
            auto hear = [&](int what) {
                if (what == c.heard && ++heard == 1)
                    answer(), living = ModuleLockCount();
            };
            host->onEvent = [&](const HostEvent& e) { hear(e.id); };
            host->onSiteCall = [&](SiteCall call) { hear(OnSite + int(call)); };
            c.act();
            host->onEvent = nullptr, host->onSiteCall = nullptr;
            EXPECT_EQ(std::make_pair(heard, living), std::make_pair(c.hears, LONG(c.hears)));
            if (host->Control()) {
                EXPECT_EQ(host->ActiveObject() != nullptr,
                          engine->uiActive && engine->inPlaceActive);
                EXPECT_EQ(S_OK, host->DoVerb(OLEIVERB_SHOW));
                EXPECT_TRUE(IsWindowVisible(host->ControlWindow()) &&
                            IsChild(container, host->ControlWindow()));
            }
            host->Close();
            host->LetGo(); // what the frame was handed after the host let go
            EXPECT_EQ(ModuleLockCount(), 0);
            EXPECT_FALSE(IsWindow(control));
            EXPECT_EQ(host->ActiveObject(), nullptr);
            DestroyWindow(container);
        }
}
