// A container at random: the control in place in a container window, with site, frame and
// event sink; mouse and keys over the header, column edges, splitter, level buttons, glyphs
// and rows, through the window and through accelerator translation; loads, widths, labels,
// Enabled, verbs, deactivation, rectangles, Close, SetClientSite and destroyed windows in
// between, also in the middle of drags. The host's event and site handlers call back at
// random, up to letting go of the control. Checked after every step: capture and focus rest
// on no dead window, a window belongs to an object in place, the frame holds the control
// exactly while it is active, a drag holds the capture, a showing verb gives a window in the
// site's window. After every case: no object, no site reference, no window is left.

#include "control/module_lock.h"
#include "control/view_control.h"
#include "control_host.h"
#include "engine/engine_test_support.h"
#include "fuzz/fuzz_support.h"

namespace {

uint64_t leaks = 0;

BOOL CALLBACK CountWindow(HWND, LPARAM count) {
    ++*reinterpret_cast<int*>(count);
    return TRUE;
}

int ThreadWindows() {
    int count = 0;
    EnumThreadWindows(GetCurrentThreadId(), CountWindow, reinterpret_cast<LPARAM>(&count));
    return count;
}

struct HostCase;
using Action = void (*)(HostCase&);

struct HostCase {
    explicit HostCase(uint64_t seed) : random(seed) {}

    void Run(int steps) {
        frame = TestHost(260, 200);
        const int windows = ThreadWindows();
        NewContainer();
        host = new ControlHost(container);
        host->onEvent = [this](const HostEvent&) { Answer(); };
        host->onSiteCall = [this](SiteCall) {
            fuzz.Check(!lettingGo, "a control called its site as the host let go of it");
            Answer();
        };
        for (int i = 0; i < steps; ++i) {
            moved = false;
            if (!host->Control())
                NewForm(); // the last one was let go of
            // Mostly mouse and keys; anything that ends the control's place now and then.
            static const uint8_t deck[] = {9,  9,  9,  9,  9,  9,  9,  9,  9,  9,  9,  9,
                                           10, 10, 10, 10, 11, 11, 12, 12, 13, 14, 15, 0,
                                           0,  1,  2,  3,  4,  4,  4,  5,  6,  7,  8};
            OneStep(random.Pick(deck));
            Drain();
            Check();
        }
        quiet = true;
        fuzz.Step("close and release");
        host->Close();
        host->LetGo();
        Drain();
        IOleClientSite* site = host->Site();
        site->AddRef();
        const ULONG siteReferences = site->Release() - 1;
        delete host;
        DestroyWindow(container);
        Drain();
        const bool clean =
            fuzz.Check(ModuleLockCount() == 0, "%ld objects left", ModuleLockCount()) &
            fuzz.Check(siteReferences == 0, "%lu site references left", siteReferences) &
            fuzz.Check(ThreadWindows() == windows, "windows left");
        leaks += !clean;
    }

    void NewContainer() {
        container = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 10, 10, 240, 180, frame,
                                    nullptr, nullptr, nullptr);
    }
    // A new control with data, in place: a form loaded anew.
    void NewForm() {
        host->LetGo(); // what its frame was handed by a control the host let go of
        ViewControl* created = ViewControl::Create();
        _View* view = created;
        SafeArrayBuilder table = TextTable(random.Between(0, 60), random.Between(1, 5));
        VARIANT data;
        VariantInit(&data);
        V_VT(&data) = VT_ARRAY | VT_VARIANT;
        V_ARRAY(&data) = table.get();
        view->SetData(data, flShortDate, flMonth, VARIANT_FALSE);
        control = created;
        host->Embed(view, RECT{0, 0, random.Between(40, 230), random.Between(30, 170)});
        view->Release();
    }
    // The control the host holds, while it holds one.
    ViewControl* Control() const { return host->Control() ? control : nullptr; }
    HWND Window() const { return Control() ? Control()->hwnd : nullptr; }
    template <typename T> T* Ask(REFIID riid) {
        T* result = nullptr;
        if (host->Control())
            host->Control()->QueryInterface(riid, reinterpret_cast<void**>(&result));
        return result;
    }
    _View* View() { return Ask<_View>(IID__View); }

    // A point over a part of the control picked at random, in its window's pixels.
    POINT Target() {
        const ViewControl& c = *Control();
        const Layout& layout = c.layout;
        const int32_t columns = c.store.columnCount, x0 = -c.view.scrollX;
        int32_t x = random.Between(-20, c.view.clientWidth + 20);
        int32_t y = random.Between(-10, c.view.clientHeight + 10);
        const int32_t header = random.Between(0, c.headerHeight - 1);
        const int32_t position = random.Between(0, columns > 0 ? columns - 1 : 0);
        int32_t edge = x0 + layout.ColumnsLeft(true);
        for (int32_t p = 0; p < position; ++p)
            edge += layout.ColumnExtent(p, true);
        switch (random.Below(7)) {
        case 0: // a header button, or its edge
            return POINT{edge + random.Between(-4, layout.ColumnExtent(position, true) + 4),
                         header};
        case 1: // the splitter
            return POINT{x0 + layout.SplitterRect().left + random.Between(-3, 3), header};
        case 2: { // a level button
            const RECT r = layout.LevelButtonRect(random.Below(4));
            return POINT{x0 + random.Between(r.left, r.right), random.Between(r.top, r.bottom)};
        }
        case 3: // a glyph or caption of a group row
            x = random.Between(0, c.indentWidth * 4);
            [[fallthrough]];
        case 4: // a row
            y = c.headerHeight + c.rowHeight * random.Between(0, c.view.pageRows) + 3;
            break;
        default:
            break;
        }
        return POINT{x, y};
    }
    void Mouse(UINT message, POINT at) {
        const WPARAM buttons = message == WM_RBUTTONDOWN ? MK_RBUTTON : MK_LBUTTON;
        SendMessageA(Window(), message, message == WM_LBUTTONUP ? 0 : buttons,
                     MAKELPARAM(static_cast<WORD>(at.x), static_cast<WORD>(at.y)));
    }
    void Key(UINT message, WPARAM key, bool translated) {
        MSG msg = {Window(), message, key, message == WM_KEYUP ? LPARAM(0xC0000001) : 1, 0, {}};
        if (!(translated && host->TranslateAccelerator(msg)))
            DispatchMessageA(&msg);
    }
    void Load() {
        const int records = random.OneIn(5) ? 0 : random.Between(1, 80);
        const int columns = random.Between(random.OneIn(5) ? 0 : 1, 5);
        fuzz.Step("load %d x %d", records, columns);
        SafeArrayBuilder table = TextTable(records, columns);
        VARIANT data;
        VariantInit(&data);
        if (records && columns) {
            V_VT(&data) = VT_ARRAY | VT_VARIANT;
            V_ARRAY(&data) = table.get();
        }
        if (_View* view = View()) {
            view->SetData(data, flShortDate, flMonth, VARIANT_FALSE);
            view->Release();
        }
    }
    void Verb() {
        static const LONG verbs[] = {OLEIVERB_SHOW,
                                     OLEIVERB_INPLACEACTIVATE,
                                     OLEIVERB_UIACTIVATE,
                                     OLEIVERB_PRIMARY,
                                     OLEIVERB_HIDE,
                                     OLEIVERB_OPEN,
                                     1,
                                     OLEIVERB_PROPERTIES};
        const LONG verb = random.Pick(verbs);
        fuzz.Step("verb %ld", verb);
        const bool showing = verb != OLEIVERB_HIDE && verb != OLEIVERB_PROPERTIES;
        // Unless a handler changed the control's place meanwhile, or this verb runs in one.
        if (host->DoVerb(verb) == S_OK && showing && depth == 0 && !moved && Control())
            fuzz.Check(IsWindowVisible(Window()) && IsChild(container, Window()),
                       "a showing verb left no window in the site's window");
    }

    // The handlers of the host: now and then they call back.
    void Answer() {
        if (quiet || depth >= 2 || !random.OneIn(3))
            return;
        ++depth;
        moved = true;
        if (fuzz.verbose)
            printf("%*sa handler calls back:\n", depth * 2, "");
        char outer[sizeof fuzz.step];
        memcpy(outer, fuzz.step, sizeof outer);
        OneStep(random.Below(handlerActions));
        memcpy(fuzz.step, outer, sizeof outer);
        --depth;
    }

    void OneStep(uint32_t pick) { actions[pick](*this); }

    void Check() {
        const HWND capture = GetCapture(), focus = GetFocus();
        fuzz.Check(!capture || IsWindow(capture), "capture on a dead window");
        fuzz.Check(!focus || IsWindow(focus), "focus on a dead window");
        const ViewControl* c = Control();
        if (!c)
            return;
        fuzz.Check(!c->hwnd || (IsWindow(c->hwnd) && c->inPlaceActive),
                   "a window without the in-place state");
        fuzz.Check(!c->inPlaceActive || c->hwnd, "in place without a window");
        fuzz.Check(c->view.trackMode == TrackNone || (c->hwnd && capture == c->hwnd),
                   "tracking %d without the capture", c->view.trackMode);
        fuzz.Check((host->ActiveObject() != nullptr) == (c->uiActive && c->inPlaceActive),
                   "the frame %s the control while it is %sactive",
                   host->ActiveObject() ? "holds" : "does not hold", c->uiActive ? "" : "not ");
    }

    static const Action actions[];
    static const uint32_t handlerActions; // the first ones, which handlers call back with

    FuzzRandom random;
    HWND frame = nullptr, container = nullptr;
    ControlHost* host = nullptr;
    ViewControl* control = nullptr; // the last one embedded
    int depth = 0;                  // handlers running inside handlers
    bool quiet = false;             // handlers do nothing
    bool moved = false;             // a handler acted during the step
    bool lettingGo = false;         // the host lets go of the control without closing it
};

// Handlers call back with the first ones: loads, grouping, sorting, Enabled, verbs, Close,
// deactivation, destroyed windows and letting go.
const Action HostCase::actions[] = {
    [](HostCase& c) { c.Load(); },
    [](HostCase& c) {
        fuzz.Step("group: double click on the splitter");
        if (c.Window())
            c.Mouse(
                WM_LBUTTONDBLCLK,
                POINT{c.Control()->layout.SplitterRect().left - c.Control()->view.scrollX + 1, 2});
    },
    [](HostCase& c) {
        fuzz.Step("sort: click on a header");
        if (c.Window()) {
            const POINT at{c.Control()->layout.ColumnsLeft(true) - c.Control()->view.scrollX +
                               c.random.Between(10, 40),
                           2};
            c.Mouse(WM_LBUTTONDOWN, at), c.Mouse(WM_LBUTTONUP, at);
        }
    },
    [](HostCase& c) {
        const bool enabled = !c.random.OneIn(3);
        fuzz.Step("enabled %d", enabled);
        if (_View* view = c.View()) {
            view->put_Enabled(enabled ? VARIANT_TRUE : VARIANT_FALSE);
            view->Release();
        }
    },
    [](HostCase& c) { c.Verb(); },
    [](HostCase& c) {
        fuzz.Step("close");
        if (IOleObject* object = c.Ask<IOleObject>(IID_IOleObject)) {
            object->Close(OLECLOSE_NOSAVE);
            object->Release();
        }
    },
    [](HostCase& c) {
        const bool ui = c.random.OneIn(2);
        fuzz.Step(ui ? "user-interface deactivate" : "in-place deactivate");
        if (auto* inPlace = c.Ask<IOleInPlaceObject>(IID_IOleInPlaceObject)) {
            ui ? inPlace->UIDeactivate() : inPlace->InPlaceDeactivate();
            inPlace->Release();
        }
    },
    [](HostCase& c) {
        fuzz.Step("destroy the control's window");
        DestroyWindow(c.Window());
    },
    [](HostCase& c) {
        const bool close = c.random.OneIn(2);
        fuzz.Step(close ? "close and let go" : "let go");
        const bool held = c.host->Control() != nullptr;
        c.lettingGo = !close;
        close ? c.host->Close() : c.host->LetGo();
        c.lettingGo = false;
        // A handler runs inside a call out of the control, which holds itself across it.
        fuzz.Check(!held || c.depth == 0 || ModuleLockCount() > 0, "freed in its own call out");
    },
    // Only as steps of their own from here on.
    [](HostCase& c) {
        static const UINT messages[] = {WM_LBUTTONDOWN,  WM_MOUSEMOVE,     WM_MOUSEMOVE,
                                        WM_LBUTTONUP,    WM_LBUTTONDBLCLK, WM_RBUTTONDOWN,
                                        WM_MOUSEACTIVATE};
        const UINT message = c.random.Pick(messages);
        if (!c.Window())
            return c.Verb();
        const POINT at = c.Target();
        fuzz.Step("mouse 0x%x at %ld, %ld", message, at.x, at.y);
        if (message == WM_MOUSEACTIVATE)
            SendMessageA(c.Window(), message, WPARAM(c.frame),
                         MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN));
        else
            c.Mouse(message, at);
    },
    [](HostCase& c) {
        static const WPARAM keys[] = {VK_DOWN,  VK_UP,  VK_NEXT, VK_END, VK_LEFT,
                                      VK_RIGHT, VK_ADD, VK_F2,   'A',    VK_RETURN};
        const WPARAM key = c.random.Pick(keys);
        const bool translated = c.random.OneIn(2);
        fuzz.Step("key 0x%x%s", unsigned(key), translated ? " through the accelerators" : "");
        c.Key(WM_KEYDOWN, key, translated);
        if (key == 'A')
            c.Key(WM_CHAR, 'a', translated);
        c.Key(WM_KEYUP, key, translated);
    },
    [](HostCase& c) {
        const bool in = c.random.OneIn(2);
        fuzz.Step("focus %s", in ? "in" : "out");
        SetFocus(in && c.Window() ? c.Window() : c.container);
    },
    [](HostCase& c) {
        const LONG column = c.random.Between(-1, 6);
        static const LONG widths[] = {-5, 0, 1, 40, 300, 5000, 100000000};
        const LONG width = c.random.Pick(widths);
        fuzz.Step("column %ld: width %ld and a label", column, width);
        if (_View* view = c.View()) {
            view->put_ColumnWidth(column, width);
            BSTR label = SysAllocString(L"Label");
            view->put_ColumnLabel(column, label);
            SysFreeString(label);
            view->Release();
        }
    },
    [](HostCase& c) {
        static const RECT rects[] = {
            {0, 0, 1, 1}, {-32000, -32000, 32000, 32000}, {300, 200, 10, 10}, {-50, -20, 200, 150}};
        const RECT r = c.random.OneIn(2)
                           ? c.random.Pick(rects)
                           : RECT{0, 0, c.random.Between(0, 240), c.random.Between(0, 180)};
        fuzz.Step("rectangles %ld,%ld %ld,%ld", r.left, r.top, r.right, r.bottom);
        c.host->Move(r);
    },
    [](HostCase& c) {
        const bool none = c.random.OneIn(2);
        fuzz.Step("client site %s", none ? "none" : "again");
        if (IOleObject* object = c.Ask<IOleObject>(IID_IOleObject)) {
            object->SetClientSite(none ? nullptr : c.host->Site());
            object->Release();
        }
    },
    [](HostCase& c) {
        fuzz.Step("destroy the container's window, make another");
        const HWND old = c.container;
        c.NewContainer();
        c.host->SetWindow(c.container);
        DestroyWindow(old);
    },
};
const uint32_t HostCase::handlerActions = 9;

} // namespace

int main(int argc, char** argv) {
    OleInitialize(nullptr);
    const int failures = RunFuzz<HostCase>(argc, argv, "host", 30, 4000, 100);
    printf("host: %llu cases leaked\n", (unsigned long long)leaks);
    OleUninitialize();
    return failures;
}
