// Keys through a container: the accelerator road (the container offers each key message to
// the active control first) and the plain road (messages dispatched straight to the window),
// each key reported to the host once.

#include "host_test_support.h"

namespace {

enum Road { Accelerators, Plain };

class HostKeyboard : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        ASSERT_EQ(S_OK, Create(RECT{0, 0, 300, 200}));
        ASSERT_EQ(S_OK, LoadTable(host->Control(), 20, 2));
        ASSERT_EQ(S_OK, host->DoVerb(OLEIVERB_UIACTIVATE));
        control = host->ControlWindow();
        events.clear();
    }
    // One key message the way the container's loop handles it on the given road.
    void Send(Road road, UINT message, WPARAM key) {
        MSG msg = {control, message, key, message == WM_KEYUP ? LPARAM(0xC0000001) : 1, 0, {}};
        if (road == Accelerators && host->TranslateAccelerator(msg))
            return;
        DispatchMessageA(&msg);
    }
    // Down, character when given, up.
    void Stroke(Road road, WPARAM key, WPARAM character = 0) {
        Send(road, WM_KEYDOWN, key);
        if (character)
            Send(road, WM_CHAR, character);
        Send(road, WM_KEYUP, key);
    }
    // The events as "name(arguments)", in order.
    std::string Reports() const {
        static const char* const names[] = {"", "Select", "", "", "KeyDown", "KeyUp", "KeyPress"};
        std::string all;
        for (const HostEvent& e : events) {
            all += std::string(names[e.id]) + "(";
            for (size_t i = 0; i < e.arguments.size(); ++i)
                all += (i ? "," : "") + std::to_string(e.arguments[i]);
            all += ") ";
        }
        return all;
    }

    HWND control = nullptr;
};

} // namespace

TEST_F(HostKeyboard, EachKeyIsReportedOnceOnEitherRoad) {
    for (Road road : {Accelerators, Plain}) {
        SCOPED_TRACE(road == Accelerators ? "accelerator road" : "plain window road");
        events.clear();
        const LONG before = SelectedRecordOf(host->Control());
        Stroke(road, VK_DOWN);
        EXPECT_NE(SelectedRecordOf(host->Control()), before) << "Down moved the selection";
        EXPECT_EQ(Reports(), "Select() KeyUp(40,0) ")
            << "no OnKeyDown for a navigation key, but its release";
        events.clear();
        Stroke(road, 'A', 'a');
        EXPECT_EQ(Reports(), "KeyDown(65,0) KeyPress(97) KeyUp(65,0) ");
    }
}

TEST_F(HostKeyboard, ControlSiteGetsOtherKeysWithTheShiftState) {
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_SHIFT] = keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    Send(Accelerators, WM_KEYDOWN, VK_F2);
    keys[VK_SHIFT] = keys[VK_CONTROL] = 0;
    SetKeyboardState(keys);
    EXPECT_EQ(host->Record().accelerators, 1);
    EXPECT_EQ(host->Record().lastModifiers, 3u);
    EXPECT_EQ(Reports(), "KeyDown(113,3) ");
    Send(Accelerators, WM_KEYDOWN, VK_DOWN);
    EXPECT_EQ(host->Record().accelerators, 1) << "navigation keys stay with the control";

    // A site that takes the key: the message is not dispatched, yet reported once.
    events.clear();
    host->Record().acceleratorAnswer = S_OK;
    Stroke(Accelerators, 'B', 'b');
    EXPECT_EQ(Reports(), "KeyDown(66,0) KeyPress(98) KeyUp(66,0) ");
}

TEST_F(HostKeyboard, DesignModeAndFrozenEvents) {
    host->SetAmbient(false, false); // design mode: no key events, navigation still works
    LONG before = SelectedRecordOf(host->Control());
    Stroke(Accelerators, VK_DOWN);
    Stroke(Accelerators, 'A', 'a');
    Stroke(Plain, 'A', 'a');
    EXPECT_NE(SelectedRecordOf(host->Control()), before);
    EXPECT_EQ(Reports(), "Select() ");
    host->SetAmbient(true, true); // UI dead: the same
    events.clear();
    Stroke(Accelerators, 'A', 'a');
    EXPECT_TRUE(events.empty());
    host->SetAmbient(true, false);

    auto* ole = Query<IOleControl>(host->Control(), IID_IOleControl);
    ole->FreezeEvents(TRUE); // frozen: nothing moves and nothing is reported
    before = SelectedRecordOf(host->Control());
    for (Road road : {Accelerators, Plain}) {
        Stroke(road, VK_DOWN);
        Stroke(road, VK_END);
        Stroke(road, 'A', 'a');
    }
    EXPECT_EQ(SelectedRecordOf(host->Control()), before);
    EXPECT_TRUE(events.empty());
    ole->FreezeEvents(FALSE);
    ole->Release();
}

TEST_F(HostKeyboard, FocusAndMouseActivation) {
    ASSERT_EQ(S_OK, host->Deactivate());
    ASSERT_EQ(S_OK, host->DoVerb(OLEIVERB_INPLACEACTIVATE));
    control = host->ControlWindow();
    SetFocus(window);
    EXPECT_FALSE(host->Record().uiActive);
    const int gained = host->Record().focusGained;
    SetFocus(control); // focus makes the control UI-active and tells the site
    EXPECT_TRUE(host->Record().uiActive);
    EXPECT_EQ(host->Record().focusGained, gained + 1);
    SetFocus(window);
    EXPECT_EQ(host->Record().focusLost, 1);

    ASSERT_EQ(S_OK, host->Deactivate());
    ASSERT_EQ(S_OK, host->DoVerb(OLEIVERB_INPLACEACTIVATE));
    control = host->ControlWindow();
    host->SetAmbient(false, false);
    SendMessageA(control, WM_MOUSEACTIVATE, WPARAM(window), MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN));
    EXPECT_FALSE(host->Record().uiActive) << "design mode: a click does not activate";
    host->SetAmbient(true, false);
    SendMessageA(control, WM_MOUSEACTIVATE, WPARAM(window), MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN));
    EXPECT_TRUE(host->Record().uiActive);
    EXPECT_EQ(GetFocus(), control);
}
