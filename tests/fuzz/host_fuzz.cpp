// A container at random whose handlers call back, up to letting go of the control, which gets
// mouse, keys, scrolls, loads, levels, moves, widths and accessible calls. After every step
// capture, window, frame, bars, row, selection and caret agree with it. After a case
// nothing is left, and over the pass GDI handles do not leak; with --soak, memory neither.

#include "base/module_lock.h"
#include "base/owned_bstr.h"
#include "control/view_control.h"
#include "fuzz/fuzz_support.h"
#include "host/host_test_support.h"

#include <oleacc.h>

namespace {

// Wine answers GetGuiResources with 0: then the used entries of its GDI handle table count, found
// through the 64-bit process block (a 32-bit process has one too, its thread block tells where).
// Offsets of the 64-bit layouts, as Wine keeps them.
constexpr size_t wowTebOffsetField = 0xFDC;  // 32-bit thread block: where the 64-bit one is
constexpr size_t processBlockField = 0x60;   // thread block: the process block
constexpr size_t gdiHandleTableField = 0xF8; // process block: the shared GDI handle table
constexpr size_t gdiEntrySize = 24, gdiEntryTypeField = 14; // an entry; its type, 0 when free
constexpr size_t gdiTableEntries = 65536;

DWORD GdiHandles() {
    if (const DWORD count = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS))
        return count;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Warray-bounds" // the segment read of the thread block
    const BYTE* block = reinterpret_cast<const BYTE*>(NtCurrentTeb());
#pragma GCC diagnostic pop
    const LONG wow =
        sizeof(void*) == 4 ? *reinterpret_cast<const LONG*>(block + wowTebOffsetField) : 0;
    block = sizeof(void*) == 4 && !wow ? nullptr : block + wow;
    for (const size_t field : {processBlockField, gdiHandleTableField})
        block = block ? *reinterpret_cast<const BYTE* const*>(block + field) : nullptr;
    DWORD used = 0;
    for (size_t i = 0; block && i < gdiTableEntries; ++i)
        used += block[i * gdiEntrySize + gdiEntryTypeField] != 0;
    return used;
}

// The cases run, and the GDI handles after the warm-up ones.
const int warmUp = 5;
int cases = 0;
DWORD warmGdi = 0;

// Cycles of create, load, paint and destroy: from cycle 100 on, the private bytes grow by no more
// than Wine keeps for as many drawing resources' cursors, icons and image lists, and some slack.
int Soak(int cycles) {
    const HWND host = TestHost(340, 240);
    SIZE_T first = 0;
    int failures = 0;
    for (int cycle = 1; cycle <= cycles; ++cycle) {
        ViewControl* control = ViewControl::Create();
        if (!control)
            return failures + 1;
        failures += !control->CreateEngineWindow(host, ControlBounds(300, 200)) ||
                    LoadTable(static_cast<_View*>(control), 10 + cycle % 40, 1 + cycle % 5);
        control->SetGroupLevelsKeepingRow(cycle % 2); // grouped every other cycle
        RedrawWindow(control->hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        control->DestroyEngineWindow();
        static_cast<_View*>(control)->Release();
        Pump();
        first = cycle == 100 ? PrivateBytes() : first;
    }
    const SIZE_T last = PrivateBytes();
    for (int i = 100; i < cycles; ++i)
        delete new DrawResources;
    const SIZE_T platform = PrivateBytes() > last ? PrivateBytes() - last : 0;
    printf("soak: %d cycles, %zu KiB private after cycle 100, %zu at the end, %zu Wine's own\n",
           cycles, size_t(first / 1024), size_t(last / 1024), size_t(platform / 1024));
    return failures + (last > first + platform + 512 * 1024 && printf("FAILED: memory grew\n"));
}

// What the aim and the checks read of the control's state beyond what a host sees: one
// read-only look, taken afresh each time.
struct Look {
    explicit Look(ViewControl& c)
        : c(c), view(c.view), layout(c.layout), inPlace(c.inPlaceActive), uiActive(c.uiActive) {}
    int32_t X(int32_t content) const { return content - view.scrollX; } // in the window
    LONG Columns() const {
        LONG columns = 0;
        static_cast<_View*>(&c)->get_ColumnCount(&columns);
        return columns;
    }
    // The record of a row, -1 on a group header, -2 past the rows; it moves the cursor alone.
    int32_t RecordOfRow(int32_t row) const {
        RowCursor& cursor = c.store.cursor;
        return cursor.Seek(row) ? cursor.RecordAtCursor() : -2;
    }
    ViewControl& c;
    const ViewState& view;
    const Layout& layout;
    const bool inPlace, uiActive;
};

struct HostCase;
// Draws a step, among the first ones only in a handler.
void Draw(HostCase& c, bool inHandler);

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
        for (int i = 0; i < steps; ++i) {
            moved = false;
            if (!host->Control())
                NewForm();
            Draw(*this, false);
            Pump();
            Check();
        }
        quiet = true, held.Reset();
        fuzz.Step("close and release");
        host->Close(), host->LetGo();
        const ULONG siteReferences = (host->Site()->AddRef(), host->Site()->Release() - 1);
        delete host;
        DestroyWindow(container);
        Pump();
        fuzz.tally +=
            !(fuzz.Check(ModuleLockCount() == 0, "%ld objects left", ModuleLockCount()) &
              fuzz.Check(siteReferences == 0, "%lu site references left", siteReferences) &
              fuzz.Check(ThreadWindowCount() == windows, "windows left"));
        if (++cases == warmUp)
            warmGdi = GdiHandles();
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
        const int columns = random.Between(0, 5), revert = random.OneIn(5);
        fuzz.Step("load %d x %d%s", records, columns, revert ? " reverted" : "");
        if (ComRef<_View> view = Ask<_View>(IID__View))
            fuzz.Check(SUCCEEDED(view->SetData(ArrayOf(TextTable(records, columns).get()),
                                               flShortDate, flMonth, VARIANT_BOOL(-revert))),
                       "load refused");
    }
    ViewControl* Control() const { return host->Control() ? control : nullptr; }
    HWND Window() const { return Control() ? Control()->hwnd : nullptr; }
    template <typename T> ComRef<T> Ask(REFIID riid) {
        return ComRef<T>(host->Control() ? Query<T>(host->Control(), riid) : nullptr);
    }

    void Mouse(UINT message, int32_t x, int32_t y) {
        const WPARAM keys = message == WM_RBUTTONDOWN  ? MK_RBUTTON
                            : message == WM_MOUSEWHEEL ? MAKEWPARAM(0, random.Between(-3, 3) * 40)
                                                       : message != WM_LBUTTONUP;
        SendMessageA(Window(), message, keys,
                     message == WM_MOUSEACTIVATE ? MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN)
                                                 : MAKELPARAM(WORD(x), WORD(y)));
    }
    // Near a column edge, the splitter, a level button, a glyph; in the header, on a row; anywhere.
    POINT Target() {
        const Look look(*Control());
        int32_t edge = look.X(look.layout.ColumnsLeft(true));
        for (int32_t p = random.Between(0, look.Columns()); p > 0; --p)
            edge += look.layout.ColumnExtent(p - 1, true);
        const ViewState& view = look.view;
        const int32_t xs[] = {edge,
                              look.X(look.layout.SplitterRect().left),
                              random.Index(),
                              look.X(look.layout.LevelButtonRect(random.Below(3)).left),
                              random.Between(0, 3 * look.c.indentWidth),
                              random.Between(-20, view.clientWidth + 20)};
        const int32_t row = look.c.rowHeight, header = look.c.headerHeight;
        const int32_t ys[] = {random.Between(0, header - 1),
                              header + row * random.Between(0, view.pageRows) + 3,
                              random.Between(-10, view.clientHeight + 10), random.Index()};
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
    // On a child that may not exist: one that does answers, unless a handler acted meanwhile
    // (actions and moves may refuse; a disabled window takes no action).
    void AccessibleCall() {
        if (!held && (heldWindow = Window()))
            AccessibleObjectFromWindow(heldWindow, DWORD(OBJID_CLIENT), IID_IAccessible,
                                       held.ReceiveVoid());
        if (!held)
            return Verb();
        LONG count = 0, x, y, w, h;
        held->get_accChildCount(&count);
        VARIANT id = I4(random.Between(-1, count + 1)), out;
        BSTR text = nullptr;
        const uint32_t call = random.Below(7);
        fuzz.Step("accessible call %u on child %ld of %ld", call, V_I4(&id), count);
        const HRESULT hr = call == 0   ? held->get_accName(id, &text)
                           : call == 1 ? held->get_accDescription(id, &text)
                           : call == 2 ? held->get_accState(id, &out)
                           : call == 3 ? held->accLocation(&x, &y, &w, &h, id)
                           : call == 4 ? held->accNavigate(random.Between(0, 10), id, &out)
                           : call == 5 ? held->accSelect(random.Between(0, 3), id)
                                       : held->accDoDefaultAction(id);
        SysFreeString(text);
        const bool refused = (call >= 4 && (hr == E_INVALIDARG || hr == DISP_E_MEMBERNOTFOUND)) ||
                             (call >= 5 && hr == E_ACCESSDENIED && !IsWindowEnabled(heldWindow));
        fuzz.Check(moved || (V_I4(&id) >= 0 && V_I4(&id) <= count ? SUCCEEDED(hr) || refused
                                                                  : hr == E_INVALIDARG),
                   "answered 0x%lx", static_cast<unsigned long>(hr));
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
        Draw(*this, true);
        snprintf(fuzz.step, sizeof fuzz.step, "%s", outer.c_str());
        --depth;
    }

    void Check() {
        const HWND capture = GetCapture();
        if (LONG count; held && heldWindow != Window()) { // held past the window it was for
            fuzz.Check(IsWindow(heldWindow) ||
                           held->get_accChildCount(&count) == RPC_E_DISCONNECTED,
                       "an object of a gone window still answers");
            held.Reset();
        }
        if (!Control())
            return;
        ViewControl& c = *Control();
        const Look look(c);
        const ViewState& view = look.view;
        fuzz.Check(look.inPlace == (c.hwnd && IsWindow(c.hwnd)), "in place %d", look.inPlace);
        fuzz.Check(view.trackMode == TrackNone || (c.hwnd && capture == c.hwnd),
                   "tracking %d without the capture", view.trackMode);
        fuzz.Check((host->ActiveObject() != nullptr) == (look.uiActive && look.inPlace),
                   "the frame's active object while UI-active %d", look.uiActive);
        if (!c.hwnd)
            return;
        const int32_t rows = c.DisplayedRows();
        RECT client = {};
        GetClientRect(c.hwnd, &client);
        fuzz.Check(view.clientWidth == client.right && view.clientHeight == client.bottom,
                   "client area %d x %d, the window's %ld x %ld", view.clientWidth,
                   view.clientHeight, client.right, client.bottom);
        // The last row at least stays in view, and a pixel of the content; a bar's range cannot
        // end below its start: an empty one reads 0 .. 0.
        const int32_t bars[][4] = {{SB_VERT, view.topRow, rows, view.pageRows},
                                   {SB_HORZ, view.scrollX, view.contentWidth, view.clientWidth}};
        for (const auto& [bar, at, size, page] : bars) {
            SCROLLINFO info = {sizeof info, SIF_ALL, 0, 0, 0, 0, 0};
            GetScrollInfo(c.hwnd, bar, &info);
            fuzz.Check(at >= 0 && at <= std::max(0, size - std::max(1, page)) && info.nPos == at &&
                           info.nMax == (size > 0 ? size - 1 : 0),
                       "bar %d at %d of 0..%d, view at %d of %d, %d fit", bar, info.nPos, info.nMax,
                       at, size, page);
        }
        // The host's selected record is that of the current row.
        LONG selected = -2;
        static_cast<_View*>(&c)->get_SelectedRecord(&selected);
        fuzz.Check(view.currentRow >= -1 && view.currentRow < rows, "current row %d of %d",
                   view.currentRow, rows);
        const int32_t record = look.Columns() > 0 ? look.RecordOfRow(view.currentRow) : -2;
        fuzz.Check(record == -2 || record == selected, "selected record %ld, row's %d", selected,
                   record);
        // The caret: a row tall where its text starts, in the window.
        GUITHREADINFO thread = {sizeof thread, 0, 0, 0, 0, 0, 0, 0, {}};
        if (!view.hasFocus || !GetGUIThreadInfo(0, &thread) || thread.hwndCaret != c.hwnd)
            return;
        const RECT caret = thread.rcCaret;
        const int32_t x = look.X(c.RowTextLeft(view.currentRow));
        const int32_t visible = std::clamp(view.currentRow - view.topRow, 0, view.pageRows);
        fuzz.Check(caret.left == std::clamp(x, 0, view.clientWidth) &&
                       caret.top == c.headerHeight + c.rowHeight * visible &&
                       caret.bottom - caret.top == c.rowHeight,
                   "caret at %ld, %ld", caret.left, caret.top);
    }

    HWND frame = nullptr, container = nullptr, heldWindow = nullptr;
    ControlHost* host = nullptr;
    ViewControl* control = nullptr; // the last one embedded
    ComRef<IAccessible> held;       // from heldWindow, the control's window of then
    int depth = 0;                  // handlers running inside handlers
    bool quiet = false;             // handlers do nothing
    bool moved = false;             // a handler acted during the step
    bool lettingGo = false;         // the host lets go of the control without closing it
};

// A step is one of these, drawn in proportion to its weight: mostly mouse, keys and scrolls,
// and now and then what ends the control's place. Handlers call back with the first eight.
const struct {
    uint32_t weight;
    void (*act)(HostCase&);
} moves[] = {
    {2, [](HostCase& c) { c.Load(); }},
    {2,
     [](HostCase& c) {
         const bool group = random.OneIn(2);
         fuzz.Step(group ? "group: double click on the splitter" : "sort: click on a header");
         int32_t x = 0;
         if (c.Window()) {
             const Look look(*c.Control());
             x = look.X(group ? look.layout.SplitterRect().left + 1
                              : look.layout.ColumnsLeft(true) + random.Between(10, 40));
         }
         for (UINT message : {group ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN, WM_LBUTTONUP})
             c.Mouse(message, x, 2);
     }},
    {1,
     [](HostCase& c) {
         const bool enabled = !random.OneIn(3);
         fuzz.Step("enabled %d", enabled);
         if (ComRef<_View> view = c.Ask<_View>(IID__View))
             view->put_Enabled(VARIANT_BOOL(-enabled));
     }},
    {3, [](HostCase& c) { c.Verb(); }},
    {1,
     [](HostCase& c) {
         fuzz.Step("close");
         if (ComRef<IOleObject> object = c.Ask<IOleObject>(IID_IOleObject))
             object->Close(OLECLOSE_NOSAVE);
     }},
    {1,
     [](HostCase& c) {
         const bool ui = random.OneIn(2);
         fuzz.Step(ui ? "user-interface deactivate" : "in-place deactivate");
         if (ComRef<IOleInPlaceObject> inPlace = c.Ask<IOleInPlaceObject>(IID_IOleInPlaceObject))
             ui ? inPlace->UIDeactivate() : inPlace->InPlaceDeactivate();
     }},
    {1, [](HostCase& c) { fuzz.Step("destroy the control's window"), DestroyWindow(c.Window()); }},
    {1,
     [](HostCase& c) {
         const bool close = random.OneIn(2), held = c.host->Control();
         fuzz.Step(close ? "close and let go" : "let go");
         c.lettingGo = !close;
         close ? c.host->Close() : c.host->LetGo();
         c.lettingGo = false;
         // A handler runs inside a call out of the control, which holds itself across it.
         fuzz.Check(!held || c.depth == 0 || ModuleLockCount() > 0, "freed in its own call out");
     }},
    // Only as steps of their own from here on.
    {12,
     [](HostCase& c) {
         static const UINT messages[] = {
             WM_LBUTTONDOWN, WM_MOUSEMOVE, WM_MOUSEMOVE,  WM_LBUTTONUP,      WM_LBUTTONDBLCLK,
             WM_RBUTTONDOWN, WM_RBUTTONUP, WM_MOUSEWHEEL, WM_CAPTURECHANGED, WM_MOUSEACTIVATE};
         const UINT message = random.Pick(messages);
         if (!c.Window())
             return c.Verb();
         const POINT at = c.Target();
         fuzz.Step("mouse 0x%x at %ld, %ld", message, at.x, at.y);
         c.Mouse(message, at.x, at.y);
     }},
    {4,
     [](HostCase& c) {
         static const WPARAM keys[] = {
             VK_DOWN, VK_UP,       VK_PRIOR, VK_NEXT, VK_HOME,  VK_END,      VK_LEFT,   VK_RIGHT,
             VK_ADD,  VK_SUBTRACT, VK_F2,    'A',     VK_SPACE, VK_MULTIPLY, VK_RETURN, VK_TAB};
         const WPARAM key = random.Pick(keys);
         const bool translated = random.OneIn(2);
         fuzz.Step("key 0x%x%s", unsigned(key), translated ? " through the accelerators" : "");
         for (UINT message : {WM_KEYDOWN, WM_CHAR, WM_KEYUP}) {
             const LPARAM flags = message == WM_KEYUP ? LPARAM(0xC0000001) : 1;
             MSG msg = {c.Window(), message, message == WM_CHAR ? key | 0x20 : key, flags, 0, {}};
             if (!(translated && c.host->TranslateAccelerator(msg)))
                 DispatchMessageA(&msg);
         }
     }},
    {2,
     [](HostCase& c) {
         const bool in = random.OneIn(2);
         fuzz.Step("focus %s", in ? "in" : "out");
         SetFocus(in && c.Window() ? c.Window() : c.container);
     }},
    {2,
     [](HostCase& c) {
         static const LONG widths[] = {-5, 0, 1, 40, 300, 5000, 100000000, INT32_MAX};
         const LONG column = random.Between(-1, 6), width = random.Pick(widths);
         fuzz.Step("column %ld: width %ld and a label", column, width);
         if (ComRef<_View> view = c.Ask<_View>(IID__View)) {
             view->put_ColumnWidth(column, width);
             view->put_ColumnLabel(column, OwnedBstr(SysAllocString(L"Label")).Get());
         }
     }},
    {1,
     [](HostCase& c) {
         static const RECT rects[] = {{0, 0, 1, 1},
                                      {-32000, -32000, 32000, 32000},
                                      {300, 200, 10, 10},
                                      {-50, -20, 200, 150}};
         const RECT r = random.OneIn(2)
                            ? random.Pick(rects)
                            : RECT{0, 0, random.Between(0, 240), random.Between(0, 180)};
         fuzz.Step("rectangles %ld,%ld %ld,%ld", r.left, r.top, r.right, r.bottom);
         c.host->Move(r);
     }},
    {1,
     [](HostCase& c) {
         const bool none = random.OneIn(2);
         fuzz.Step("client site %s", none ? "none" : "again");
         if (ComRef<IOleObject> object = c.Ask<IOleObject>(IID_IOleObject))
             object->SetClientSite(none ? nullptr : c.host->Site());
     }},
    {1,
     [](HostCase& c) {
         fuzz.Step("destroy the container's window, make another");
         const HWND old = c.container;
         c.NewContainer(), c.host->SetWindow(c.container), DestroyWindow(old);
     }},
    {4,
     [](HostCase& c) { // scroll requests, and the system colours changed
         static const UINT messages[] = {WM_VSCROLL, WM_HSCROLL, WM_SYSCOLORCHANGE};
         const UINT message = random.Pick(messages);
         const WPARAM request = MAKEWPARAM(random.Below(10), random.Below(65536));
         fuzz.Step("message 0x%x request %u at %u", message, LOWORD(request), HIWORD(request));
         SendMessageA(c.Window(), message, request, 0);
     }},
    {3,
     [](HostCase& c) { // as the header handlers group, move or select, then paint
         const int32_t what = random.Below(3), rows = c.Window() ? c.Control()->DisplayedRows() : 0;
         const int32_t from = random.Between(-2, what == 2 ? rows + 1 : 6),
                       to = random.Between(-1, 6);
         static const char* const kinds[] = {"group levels", "move column", "select row"};
         fuzz.Step("%s %d (%d), then paint", kinds[what], from, to); // to, or expand if over 2
         if (!c.Window())
             return;
         ViewControl& v = *c.control; // held as a caller holds it, and followed as handlers do
         static_cast<_View*>(&v)->AddRef();
         what == 0   ? v.SetGroupLevelsKeepingRow(from)
         : what == 1 ? v.MoveColumnKeepingRow(from, to)
                     : v.SelectRow(from);
         v.EnsureRowVisible(Look(v).view.currentRow, false);
         v.SyncSelection();
         if (what == 0 && to > 2)
             ExpandAll(v);
         RedrawWindow(v.hwnd ? v.hwnd : c.frame, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
         static_cast<_View*>(&v)->Release();
     }},
    {3, [](HostCase& c) { c.AccessibleCall(); }},
};

void Draw(HostCase& c, bool inHandler) {
    uint32_t total = 0;
    for (size_t i = 0; i < (inHandler ? 8 : std::size(moves)); ++i)
        total += moves[i].weight;
    uint32_t drawn = random.Below(total);
    for (size_t i = 0;; drawn -= moves[i++].weight)
        if (drawn < moves[i].weight)
            return moves[i].act(c);
}

} // namespace

int main(int argc, char** argv) {
    // The soak runs in a process of its own: a fuzz pass before it leaves the heap uneven.
    if (argc > 1 && std::string(argv[1]) == "--soak") {
        OleInitialize(nullptr);
        return Soak(argc > 2 ? 10000 : 300);
    }
    fuzz.tallied = "cases leaked";
    int failures = RunFuzz<HostCase>(argc, argv, "host", 30, 5000, 100);
    if (cases <= warmUp) // a case replayed
        return failures;
    // A handle leaked by every control or case grows with them; a path first taken adds a few once.
    const DWORD gdi = GdiHandles();
    printf("host: %lu GDI handles after case %d, %lu after case %d\n", warmGdi, warmUp, gdi, cases);
    // A count of none would let every leak through, as it once did on x86.
    if (!warmGdi || gdi >= warmGdi + DWORD(cases - warmUp))
        failures += printf("FAILED: the GDI handles grew with the cases or read none\n") > 0;
    return failures;
}
