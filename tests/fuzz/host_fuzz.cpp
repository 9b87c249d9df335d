// A container at random whose handlers call back, up to letting go of the control. After every
// step capture, focus, window and frame agree with the control; after a case nothing is left.

#include "engine/module_lock.h"
#include "control/view_control.h"
#include "fuzz/fuzz_support.h"
#include "host/host_test_support.h"

namespace {

struct HostCase {
    void Run(int steps) {
        frame = TestHost(260, 200);
        const DWORD windows = ThreadWindowCount();
        NewContainer();
        host = new ControlHost(container);
        host->onEvent = [this](const HostEvent&) { Answer(); };
        host->onSiteCall = [this](SiteCall) {
            fuzz.Check(!lettingGo, "a control called its site as the host let go of it");
            Answer();
        };
        // Mostly mouse and keys; what ends the control's place now and then.
        static const uint8_t deck[] = {9,  9,  9,  9,  9,  9,  9,  9,  9,  9,  9,  9,
                                       10, 10, 10, 10, 11, 11, 12, 12, 13, 14, 15, 0,
                                       0,  1,  2,  3,  4,  4,  4,  5,  6,  7,  8};
        for (int i = 0; i < steps; ++i) {
            moved = false;
            if (!host->Control())
                NewForm();
            actions[random.Pick(deck)](*this);
            Pump();
            Check();
        }
        quiet = true;
        fuzz.Step("close and release");
        host->Close(), host->LetGo();
        IOleClientSite* site = host->Site();
        site->AddRef();
        const ULONG siteReferences = site->Release() - 1;
        delete host;
        DestroyWindow(container);
        Pump();
        fuzz.tally +=
            !(fuzz.Check(ModuleLockCount() == 0, "%ld objects left", ModuleLockCount()) &
              fuzz.Check(siteReferences == 0, "%lu site references left", siteReferences) &
              fuzz.Check(ThreadWindowCount() == windows, "windows left"));
    }

    void NewContainer() {
        container = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 10, 10, 240, 180, frame,
                                    nullptr, nullptr, nullptr);
    }
    void NewForm() {
        host->LetGo(); // what its frame was handed by a control the host let go of
        _View* view = control = ViewControl::Create();
        host->Embed(view, RECT{0, 0, random.Between(40, 230), random.Between(30, 170)});
        view->Release();
        Load();
    }
    void Load() {
        const int records = random.OneIn(5) ? 0 : random.Between(1, 80);
        const int columns = random.Between(0, 5);
        fuzz.Step("load %d x %d", records, columns);
        if (host->Control())
            LoadTable(host->Control(), records, columns);
    }
    ViewControl* Control() const { return host->Control() ? control : nullptr; }
    HWND Window() const { return Control() ? Control()->hwnd : nullptr; }
    template <typename T> T* Ask(REFIID riid) {
        return host->Control() ? Query<T>(host->Control(), riid) : nullptr;
    }

    void Mouse(UINT message, int32_t x, int32_t y) {
        const WPARAM keys = message == WM_RBUTTONDOWN ? MK_RBUTTON : message != WM_LBUTTONUP;
        SendMessageA(Window(), message, keys,
                     message == WM_MOUSEACTIVATE ? MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN)
                                                 : MAKELPARAM(WORD(x), WORD(y)));
    }
    // Near a column edge, the splitter, a level button, a glyph; in the header, on a row; anywhere.
    POINT Target() {
        const ViewControl& c = *Control();
        const int32_t left = -c.view.scrollX;
        int32_t edge = left + c.layout.ColumnsLeft(true);
        for (int32_t p = random.Between(0, c.store.columnCount); p > 0; --p)
            edge += c.layout.ColumnExtent(p - 1, true);
        const int32_t xs[] = {edge, left + c.layout.SplitterRect().left,
                              left + c.layout.LevelButtonRect(random.Below(3)).left,
                              random.Between(0, 3 * c.indentWidth),
                              random.Between(-20, c.view.clientWidth + 20)};
        const int32_t ys[] = {random.Between(0, c.headerHeight - 1),
                              c.headerHeight + c.rowHeight * random.Between(0, c.view.pageRows) + 3,
                              random.Between(-10, c.view.clientHeight + 10)};
        return POINT{random.Pick(xs) + random.Between(-4, 40), random.Pick(ys)};
    }
    void Verb() {
        // Show, in place, UI-activate, primary, hide, open, one of its own, properties.
        static const LONG verbs[] = {-1, -5, -4, 0, -3, -2, 1, -7};
        const LONG verb = random.Pick(verbs);
        fuzz.Step("verb %ld", verb);
        const bool showing = verb != OLEIVERB_HIDE && verb != OLEIVERB_PROPERTIES;
        // Unless a handler acted meanwhile, or this verb runs in one.
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
        const std::string outer = fuzz.step; // the step the handler runs in
        actions[random.Below(handlerActions)](*this);
        snprintf(fuzz.step, sizeof fuzz.step, "%s", outer.c_str());
        --depth;
    }

    void Check() {
        const HWND capture = GetCapture(), focus = GetFocus();
        fuzz.Check(!capture || IsWindow(capture), "capture on a dead window");
        fuzz.Check(!focus || IsWindow(focus), "focus on a dead window");
        if (const ViewControl* c = Control()) {
            fuzz.Check(c->inPlaceActive == (c->hwnd && IsWindow(c->hwnd)),
                       "in place %d with window %p", c->inPlaceActive, (void*)c->hwnd);
            fuzz.Check(c->view.trackMode == TrackNone || (c->hwnd && capture == c->hwnd),
                       "tracking %d without the capture", c->view.trackMode);
            fuzz.Check((host->ActiveObject() != nullptr) == (c->uiActive && c->inPlaceActive),
                       "the frame %s the control while it is %sactive",
                       host->ActiveObject() ? "holds" : "does not hold", c->uiActive ? "" : "not ");
        }
    }

    using Action = void (*)(HostCase&);
    static const Action actions[];
    static const uint32_t handlerActions = 9; // the first ones, which handlers call back with

    HWND frame = nullptr, container = nullptr;
    ControlHost* host = nullptr;
    ViewControl* control = nullptr; // the last one embedded
    int depth = 0;                  // handlers running inside handlers
    bool quiet = false;             // handlers do nothing
    bool moved = false;             // a handler acted during the step
    bool lettingGo = false;         // the host lets go of the control without closing it
};

const HostCase::Action HostCase::actions[] = {
    [](HostCase& c) { c.Load(); },
    [](HostCase& c) {
        fuzz.Step("group: double click on the splitter");
        if (c.Window())
            c.Mouse(WM_LBUTTONDBLCLK,
                    c.Control()->layout.SplitterRect().left - c.Control()->view.scrollX + 1, 2);
    },
    [](HostCase& c) {
        fuzz.Step("sort: click on a header");
        const int32_t x = c.Window() ? c.Control()->layout.ColumnsLeft(true) -
                                           c.Control()->view.scrollX + random.Between(10, 40)
                                     : 0;
        c.Mouse(WM_LBUTTONDOWN, x, 2), c.Mouse(WM_LBUTTONUP, x, 2);
    },
    [](HostCase& c) {
        const bool enabled = !random.OneIn(3);
        fuzz.Step("enabled %d", enabled);
        if (_View* view = c.Ask<_View>(IID__View))
            view->put_Enabled(enabled ? VARIANT_TRUE : VARIANT_FALSE), view->Release();
    },
    [](HostCase& c) { c.Verb(); },
    [](HostCase& c) {
        fuzz.Step("close");
        if (auto* object = c.Ask<IOleObject>(IID_IOleObject))
            object->Close(OLECLOSE_NOSAVE), object->Release();
    },
    [](HostCase& c) {
        const bool ui = random.OneIn(2);
        fuzz.Step(ui ? "user-interface deactivate" : "in-place deactivate");
        if (auto* inPlace = c.Ask<IOleInPlaceObject>(IID_IOleInPlaceObject))
            (ui ? inPlace->UIDeactivate() : inPlace->InPlaceDeactivate()), inPlace->Release();
    },
    [](HostCase& c) {
        fuzz.Step("destroy the control's window");
        DestroyWindow(c.Window());
    },
    [](HostCase& c) {
        const bool close = random.OneIn(2), held = c.host->Control();
        fuzz.Step(close ? "close and let go" : "let go");
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
        const UINT message = random.Pick(messages);
        if (!c.Window())
            return c.Verb();
        const POINT at = c.Target();
        fuzz.Step("mouse 0x%x at %ld, %ld", message, at.x, at.y);
        c.Mouse(message, at.x, at.y);
    },
    [](HostCase& c) {
        static const WPARAM keys[] = {VK_DOWN,  VK_UP,  VK_NEXT, VK_END, VK_LEFT,
                                      VK_RIGHT, VK_ADD, VK_F2,   'A',    VK_RETURN};
        const WPARAM key = random.Pick(keys);
        const bool translated = random.OneIn(2);
        fuzz.Step("key 0x%x%s", unsigned(key), translated ? " through the accelerators" : "");
        for (UINT message : {WM_KEYDOWN, WM_CHAR, WM_KEYUP}) {
            const LPARAM flags = message == WM_KEYUP ? LPARAM(0xC0000001) : 1;
            MSG msg = {c.Window(), message, message == WM_CHAR ? key | 0x20 : key, flags, 0, {}};
            if (!(translated && c.host->TranslateAccelerator(msg)))
                DispatchMessageA(&msg);
        }
    },
    [](HostCase& c) { MoveFocus(c.Window(), c.container); },
    [](HostCase& c) {
        static const LONG widths[] = {-5, 0, 1, 40, 300, 5000, 100000000};
        const LONG column = random.Between(-1, 6), width = random.Pick(widths);
        fuzz.Step("column %ld: width %ld and a label", column, width);
        if (_View* view = c.Ask<_View>(IID__View)) {
            BSTR label = SysAllocString(L"Label");
            view->put_ColumnWidth(column, width), view->put_ColumnLabel(column, label);
            SysFreeString(label), view->Release();
        }
    },
    [](HostCase& c) {
        static const RECT rects[] = {
            {0, 0, 1, 1}, {-32000, -32000, 32000, 32000}, {300, 200, 10, 10}, {-50, -20, 200, 150}};
        const RECT r = random.OneIn(2) ? random.Pick(rects)
                                       : RECT{0, 0, random.Between(0, 240), random.Between(0, 180)};
        fuzz.Step("rectangles %ld,%ld %ld,%ld", r.left, r.top, r.right, r.bottom);
        c.host->Move(r);
    },
    [](HostCase& c) {
        const bool none = random.OneIn(2);
        fuzz.Step("client site %s", none ? "none" : "again");
        if (auto* object = c.Ask<IOleObject>(IID_IOleObject))
            object->SetClientSite(none ? nullptr : c.host->Site()), object->Release();
    },
    [](HostCase& c) {
        fuzz.Step("destroy the container's window, make another");
        const HWND old = c.container;
        c.NewContainer();
        c.host->SetWindow(c.container);
        DestroyWindow(old);
    },
};

} // namespace

int main(int argc, char** argv) {
    fuzz.tallied = "cases leaked";
    return RunFuzz<HostCase>(argc, argv, "host", 30, 5000, 100);
}
