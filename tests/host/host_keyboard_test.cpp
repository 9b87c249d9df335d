// Keys through a container, offered to the active control first (the accelerator road) or
// dispatched straight to its window (the plain road): each reported to the host once.

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
        if (road == Plain || !host->TranslateAccelerator(msg))
            DispatchMessageA(&msg);
    }
    void InPlaceOnly() {
        ASSERT_EQ(S_OK, host->Deactivate());
        ASSERT_EQ(S_OK, host->DoVerb(OLEIVERB_INPLACEACTIVATE));
        control = host->ControlWindow();
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

// Design mode or a dead UI report no keys but move; frozen, nothing moves or is reported. A
// container that answers no ambient property runs the control in user mode.
TEST_F(HostKeyboard, KeysOnEitherRoadRunningInDesignModeDeadAndFrozen) {
    const char* running = "Select() KeyUp(40,0) KeyDown(65,0) KeyPress(97) KeyUp(65,0) ";
    const struct {
        const char* name;
        bool ambients, userMode, uiDead, frozen; // the last three as it would answer them
        const char* reports;
    } states[] = {
        {"running", true, true, false, false, running},
        {"no ambient properties", false, false, true, false, running},
        {"design mode", true, false, false, false, "Select() "},
        {"UI dead", true, true, true, false, "Select() "},
        {"frozen", true, true, false, true, ""},
    };
    ComRef<IOleControl> ole(Query<IOleControl>(host->Control(), IID_IOleControl));
    for (Road road : {Accelerators, Plain})
        for (const auto& s : states) {
            SCOPED_TRACE(std::string(s.name) +
                         (road == Accelerators ? ", accelerator road" : ", plain road"));
            host->Record().ambients = s.ambients;
            host->SetAmbient(s.userMode, s.uiDead);
            if (s.frozen)
                ole->FreezeEvents(TRUE);
            events.clear();
            const LONG before = SelectedRecordOf(host->Control());
            Stroke(road, VK_DOWN);
            EXPECT_EQ(SelectedRecordOf(host->Control()) != before, !s.frozen);
            Stroke(road, 'A', 'a');
            EXPECT_EQ(Reports(), s.reports);
            if (s.frozen)
                ole->FreezeEvents(FALSE);
        }
}

TEST_F(HostKeyboard, ControlSiteGetsOtherKeysWithTheShiftState) {
    BYTE keys[256];
    GetKeyboardState(keys);
    for (const auto& [key, bit] : {std::pair{VK_SHIFT, 1u}, {VK_CONTROL, 2u}, {VK_MENU, 4u}}) {
        keys[key] = 0x80;
        SetKeyboardState(keys);
        Send(Accelerators, WM_KEYDOWN, VK_F2);
        EXPECT_EQ(host->Record().lastModifiers, (bit << 1) - 1) << "the shift states add up";
    }
    keys[VK_SHIFT] = keys[VK_CONTROL] = keys[VK_MENU] = 0;
    SetKeyboardState(keys);
    for (int key : {VK_PRIOR, VK_DOWN, VK_ADD, VK_SUBTRACT})
        Send(Accelerators, WM_KEYDOWN, key);
    EXPECT_EQ(host->Record().accelerators, 3) << "navigation keys stay with the control";
    EXPECT_EQ(Reports(), "KeyDown(113,1) KeyDown(113,3) KeyDown(113,7) Select() ");

    // A site that takes the key: the message is not dispatched, yet reported once.
    events.clear();
    host->Record().acceleratorAnswer = S_OK;
    Stroke(Accelerators, 'B', 'b');
    EXPECT_EQ(Reports(), "KeyDown(66,0) KeyPress(98) KeyUp(66,0) ");

    // A key the container neither takes nor dispatches, sent again later: a key of its own.
    events.clear();
    host->Record().acceleratorAnswer = S_FALSE;
    MSG key = {control, WM_CHAR, 'c', 1, 0, {}};
    EXPECT_FALSE(host->TranslateAccelerator(key));
    Pump();
    DispatchMessageA(&key);
    EXPECT_EQ(Reports(), "KeyPress(99) KeyPress(99) ");
}

TEST_F(HostKeyboard, FocusAndMouseActivation) {
    InPlaceOnly();
    SetFocus(window);
    EXPECT_FALSE(host->Record().uiActive);
    const int gained = host->Record().focusGained;
    SetFocus(control); // focus makes the control UI-active and tells the site
    EXPECT_TRUE(host->Record().uiActive);
    EXPECT_EQ(host->Record().focusGained, gained + 1);
    SetFocus(window);
    EXPECT_EQ(host->Record().focusLost, 1);

    InPlaceOnly();
    for (bool userMode : {false, true}) { // in design mode a click does not activate
        host->SetAmbient(userMode, false);
        SendMessageA(control, WM_MOUSEACTIVATE, WPARAM(window),
                     MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN));
        EXPECT_EQ(host->Record().uiActive, userMode);
    }
    EXPECT_EQ(GetFocus(), control);
}
