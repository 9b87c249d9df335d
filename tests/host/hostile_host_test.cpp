// Hosts that are not polite: they let go of the control, close, reactivate or disable it from
// inside its events and site calls, and destroy its window from outside. Run with Wine's
// freed-memory fill, so that any use of a released object faults.

#include "control/module_lock.h"
#include "control/view_control.h"
#include "host_test_support.h"

namespace {

enum Trigger { Message, Focus, Verb };

class Hostile : public HostTest {
protected:
    // A container window of its own in the host window.
    void NewContainer() {
        container = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 0, 0, 350, 250, window,
                                    nullptr, nullptr, nullptr);
        host->SetWindow(container);
    }
    // 5 x 2 records in place in a new container, whose host holds the only references.
    void Embed() {
        NewContainer();
        engine = ViewControl::Create();
        _View* view = engine;
        ASSERT_EQ(S_OK, LoadTable(view, 5, 2));
        ASSERT_EQ(S_OK, host->Embed(view, RECT{0, 0, 300, 200}));
        view->Release();
        control = host->ControlWindow();
    }
    // Nothing of the control is left: no object, no window, nothing the frame holds.
    void ExpectGone() {
        EXPECT_EQ(ModuleLockCount(), 0);
        EXPECT_FALSE(IsWindow(control));
        EXPECT_EQ(host->ActiveObject(), nullptr);
    }
    void TearDown() override {
        DestroyWindow(container);
        HostTest::TearDown();
    }
    ViewControl* engine = nullptr; // while the host holds it
    HWND container = nullptr, control = nullptr;
};

} // namespace

// Every event, and every site call a window message or a verb raises, may be the host's last
// word: it lets go of the control there, or closes it and lets go (a form unloading).
TEST_F(Hostile, TheHostLetsGoInsideEveryEventAndSiteCall) {
    const struct {
        const char* name;
        DISPID event;
        SiteCall call;
        Trigger trigger;
        UINT message;
        WPARAM wParam;
        LPARAM lParam; // for a click, the row clicked
    } cases[] = {
        {"OnSelect", 1, {}, Message, WM_RBUTTONDOWN, MK_RBUTTON, 2},
        {"OnContextMenu", 2, {}, Message, WM_RBUTTONDOWN, MK_RBUTTON, 0},
        {"OnItemDblClick", 3, {}, Message, WM_LBUTTONDBLCLK, MK_LBUTTON, 0},
        {"OnKeyDown", 4, {}, Message, WM_KEYDOWN, VK_F2, 1},
        {"OnKeyUp", 5, {}, Message, WM_KEYUP, VK_F2, LPARAM(0xC0000001)},
        {"OnKeyPress", 6, {}, Message, WM_CHAR, 'a', 1},
        {"OnUIActivate", 0, SiteCall::UIActivate, Message, WM_MOUSEACTIVATE, 0, HTCLIENT},
        {"OnFocus", 0, SiteCall::Focus, Focus, 0, 0, 0},
        {"OnInPlaceActivate", 0, SiteCall::InPlaceActivate, Verb, 0, 0, 0},
    };
    for (const auto& c : cases)
        for (bool close : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (close ? ", closing" : ""));
            Embed();
            const int y = engine->headerHeight + engine->rowHeight * int(c.lParam) + 2;
            const LPARAM lParam = c.message >= WM_MOUSEFIRST && c.message <= WM_MOUSELAST
                                      ? MAKELPARAM(engine->layout.ColumnsLeft(false) + 5, y)
                                      : c.lParam;
            if (c.trigger == Verb) {
                ASSERT_EQ(S_OK, host->Deactivate());
            }
            int heard = 0;
            LONG living = 0; // objects alive once the host has let go
            auto leave = [&](bool now) {
                if (now && ++heard == 1) {
                    close ? host->Close() : host->LetGo();
                    living = ModuleLockCount();
                }
            };
            host->onEvent = [&](const HostEvent& e) { leave(c.event == e.id); };
            host->onSiteCall = [&](SiteCall call) { leave(!c.event && call == c.call); };
            if (c.trigger == Message)
                SendMessageA(control, c.message, c.wParam, lParam);
            else if (c.trigger == Focus)
                SetFocus(control);
            else
                host->DoVerb(OLEIVERB_SHOW);
            EXPECT_EQ(std::make_pair(heard, living), std::make_pair(1, 1L))
                << "heard once, and alive until the call out of it has returned";
            host->LetGo(); // what the frame was handed after the host let go
            ExpectGone();
            host->onEvent = nullptr;
            host->onSiteCall = nullptr;
            DestroyWindow(container);
        }
}

// Containers that reactivate or disable the control while they activate or deactivate it,
// take the focus back from a dying window, or destroy the control's window or their own:
// every showing verb ends with a window in the site's window, and after the host's close
// and last release nothing is left.
TEST_F(Hostile, ReentrantActivationAndWindowsDestroyedFromOutside) {
    IOleObject* object = nullptr;
    auto show = [&] {
        RECT bounds{0, 0, 300, 200};
        return object->DoVerb(OLEIVERB_SHOW, nullptr, host->Site(), 0, container, &bounds);
    };
    const struct {
        const char* name;
        SiteCall call;
        std::function<void()> answer, act;
    } cases[] = {
        {"shown again while it closes", SiteCall::UIDeactivate, show,
         [&] { show(), object->Close(OLECLOSE_NOSAVE); }},
        {"disabled while it takes the user interface", SiteCall::UIActivate,
         [&] { engine->put_Enabled(VARIANT_FALSE); }, show},
        {"its window destroyed", {}, {}, [&] { DestroyWindow(control); }},
        {"the container's window destroyed",
         {},
         {},
         [&] {
             HWND old = container;
             NewContainer();
             DestroyWindow(old);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Embed();
        object = Query<IOleObject>(host->Control(), IID_IOleObject);
        host->onSiteCall = [&](SiteCall call) {
            if (call == c.call && c.answer)
                c.answer();
        };
        c.act();
        host->onSiteCall = nullptr;
        EXPECT_EQ(host->ActiveObject() != nullptr, engine->uiActive && engine->inPlaceActive)
            << "the frame holds the control exactly while it is active";
        EXPECT_EQ(S_OK, show());
        EXPECT_TRUE(IsWindowVisible(host->ControlWindow()) &&
                    GetParent(host->ControlWindow()) == container);
        host->Close();
        object->Release();
        ExpectGone();
        DestroyWindow(container);
    }

    // A dialog-style container would put the focus back on the window that the released
    // control destroys, and hand it the user interface again: a dying control tells it nothing.
    Embed();
    object = Query<IOleObject>(host->Control(), IID_IOleObject);
    ASSERT_EQ(S_OK, show());
    auto* inPlace = Query<IOleInPlaceObject>(object, IID_IOleInPlaceObject);
    inPlace->UIDeactivate();
    inPlace->Release();
    object->Release();
    int told = 0;
    host->onSiteCall = [&](SiteCall call) {
        if (++told && call == SiteCall::Blur)
            SetFocus(control);
    };
    host->LetGo();
    host->onSiteCall = nullptr;
    EXPECT_EQ(told, 0);
    ExpectGone();
}
