// The control as assistive technology reads and works it, in our own container.

#include "accessible_reading.h"
#include "control/view_control.h"
#include "host_test_support.h"
#include "base/module_lock.h"

#include <process.h>

#include <algorithm>
#include <functional>
#include <tuple>

namespace {

const wchar_t* const labels[] = {L"Region", L"Country", L"Item", L"Amount"};

// The WinEvents of one window's client object, as "kind child: states", resolved on arrival.
HWND watched = nullptr;
std::vector<std::string> heard;

void CALLBACK Hear(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child, DWORD, DWORD) {
    if (window != watched || object != OBJID_CLIENT)
        return;
    std::string line = event == EVENT_OBJECT_FOCUS         ? "focus"
                       : event == EVENT_OBJECT_SELECTION   ? "selection"
                       : event == EVENT_OBJECT_STATECHANGE ? "state"
                       : event == EVENT_OBJECT_REORDER     ? "reorder"
                       : event == EVENT_OBJECT_NAMECHANGE  ? "name"
                                                           : std::to_string(event);
    line += " " + std::to_string(child) + ":";
    IAccessible* source = nullptr;
    VARIANT id;
    if (SUCCEEDED(AccessibleObjectFromEvent(window, OBJID_CLIENT, child, &source, &id))) {
        const std::wstring read = ReadChild(source, V_I4(&id));
        line += std::string(read.begin() + read.rfind(L'|') + 1, read.end()); // the states
        source->Release();
    }
    heard.push_back(line);
}

// WinEvents out of context arrive as messages, a moment later.
void Settle() {
    for (int i = 0; i < 3; ++i, Sleep(20))
        Pump();
}

class Accessible : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        SetUpControl(TableOf({{L"A", L"x", L"a1", L"10"},
                              {L"A", L"x", L"a2", L"20"},
                              {L"A", L"y", L"a3", L"30"},
                              {L"B", L"x", L"b1", L"40"}}));
    }
    // A new control of these records in place, active, and its accessible object.
    void SetUpControl(const SafeArrayBuilder& table) {
        object.Reset();
        control = ViewControl::Create();
        view = ComRef<_View>(control);
        ASSERT_EQ(S_OK, LoadArray(view.Get(), table));
        for (LONG c = 0; c < 4; ++c)
            view->put_ColumnLabel(c, const_cast<BSTR>(labels[c])), view->put_ColumnWidth(c, 60);
        ASSERT_EQ(S_OK, host->Embed(view.Get(), RECT{0, 0, 360, 240}));
        ASSERT_EQ(S_OK, host->DoVerb(OLEIVERB_UIACTIVATE));
        list = watched = host->ControlWindow();
        ASSERT_EQ(S_OK, AccessibleObjectFromWindow(list, static_cast<DWORD>(OBJID_CLIENT),
                                                   __uuidof(IAccessible), object.ReceiveVoid()));
    }
    void TearDown() override {
        object.Reset();
        view.Reset();
        HostTest::TearDown();
    }
    void Key(WPARAM key) { SendMessageA(list, WM_KEYDOWN, key, 1); }
    // Pressed at one point, released at another of the same height.
    void Drag(int x, int y, int toX) {
        SendMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        SendMessageA(list, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(toX, y));
        SendMessageA(list, WM_LBUTTONUP, 0, MAKELPARAM(toX, y));
    }
    // The tree as the reader program reads it; its calls arrive as messages of this apartment.
    std::vector<std::wstring> ReadInAnotherProcess() {
        char path[MAX_PATH], file[MAX_PATH];
        GetModuleFileNameA(nullptr, path, MAX_PATH);
        strcpy(strrchr(path, '\\') + 1, "accessible_client.exe");
        GetTempFileNameA(".", "acc", 0, file);
        HANDLE process = reinterpret_cast<HANDLE>(_spawnl(
            _P_NOWAIT, path, "client", std::to_string(INT_PTR(list)).c_str(), file, nullptr));
        while (MsgWaitForMultipleObjects(1, &process, FALSE, 30000, QS_ALLINPUT) ==
               WAIT_OBJECT_0 + 1)
            Pump();
        CloseHandle(process);
        std::vector<std::wstring> lines;
        std::ifstream in(file);
        for (std::string line; std::getline(in, line);)
            lines.push_back(std::wstring(line.begin(), line.end())); // all ASCII here
        in.close();
        DeleteFileA(file);
        return lines;
    }
    RECT Place(LONG child) {
        LONG x = 0, y = 0, w = 0, h = 0;
        EXPECT_EQ(S_OK, object->accLocation(&x, &y, &w, &h, I4(child)));
        return RECT{x, y, x + w, y + h};
    }

    ViewControl* control = nullptr;
    ComRef<_View> view;
    HWND list = nullptr;
    ComRef<IAccessible> object;
};

} // namespace

// Each change is told to readers; every child reads, lies and acts as its row shows.
TEST_F(Accessible, TreeReadsAsTheRowsOnScreenAndEventsTellEachChange) {
    HWINEVENTHOOK hook = SetWinEventHook(EVENT_MIN, EVENT_MAX, nullptr, Hear, GetCurrentProcessId(),
                                         0, WINEVENT_OUTOFCONTEXT);
    Settle();
    const int h = control->headerHeight, rh = control->rowHeight, glyph = control->indentWidth / 2;
    const struct {
        std::function<void()> act;
        std::vector<std::string> events;
    } steps[] = {
        {[&] { // the splitter over two level buttons: by region and country
             Drag(1, h / 2, 1 + 2 * control->levelButtonWidth + 2 * control->groupingMargin);
         },
         {"reorder 0: focused", "selection 5: collapsed selected focused",
          "focus 5: collapsed selected focused"}},
        {[&] { Key(VK_RIGHT); }, {"state 5: expanded selected focused", "reorder 0: focused"}},
        {[&] { Key(VK_DOWN); },
         {"selection 6: collapsed selected focused", "focus 6: collapsed selected focused"}},
        {[&] { Key(VK_RIGHT); }, {"state 6: expanded selected focused", "reorder 0: focused"}},
        {[&] { Drag(glyph, h + 5 * rh + rh / 2, glyph); }, // B's glyph
         {"state 10: expanded", "reorder 0: focused"}},
        {[&] {
             RECT item = Place(3);
             MapWindowPoints(nullptr, list, reinterpret_cast<POINT*>(&item), 2);
             Drag(item.left + 9, item.top + 2, item.left + 9); // a click on Item sorts
         },
         {"reorder 0: focused", "selection 6: expanded selected focused",
          "focus 6: expanded selected focused"}},
        {[&] { view->put_ColumnLabel(3, const_cast<BSTR>(L"Sum")); }, {"name 4:"}},
        {[&] { host->SetDisplayName(L"Sales"); }, {"name 0: focused"}},
        // Without the focus: the selection moves, and the focus is nowhere in the list.
        {[&] {
             SetFocus(window), Key(VK_DOWN), Key(VK_UP);
             VARIANT focus;
             EXPECT_EQ(S_FALSE, object->get_accFocus(&focus));
         },
         {"selection 7:", "selection 6: expanded selected"}},
        // The platform's own focus event for the window first, then the row's.
        {[&] { SetFocus(window), SetFocus(list); },
         {"focus 0: focused", "focus 6: expanded selected focused"}},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.events.front());
        heard.clear();
        step.act();
        Settle();
        EXPECT_EQ(heard, step.events);
    }
    UnhookWinEvent(hook);

    ASSERT_EQ(S_OK, host->Move(RECT{0, 0, 360, 2 * GetSystemMetrics(SM_CYEDGE) + h + 6 * rh}));
    EXPECT_EQ(ReadChild(object.Get(), 11),
              L"outline item|x|1|Country, 1 record|Expand| collapsed offscreen")
        << "the row below the last whole row";
    SendMessageA(list, WM_VSCROLL, SB_LINEDOWN, 0); // six rows of seven shown
    // Rows of both levels, the first one scrolled away (the other combinations: the test below).
    const std::vector<std::wstring> read = ReadTree(object.Get());
    ASSERT_EQ(read.size(), 12u);
    EXPECT_EQ(std::vector(read.begin() + 5, read.begin() + 8),
              (std::vector<std::wstring>{
                  L"outline item|A|0|Region, 3 records|Collapse| expanded offscreen",
                  L"outline item|x|1|Country, 2 records|Collapse| expanded selected focused",
                  L"outline item|a1|2|Sum: 10|Double Click|"}));
    // A reader in another process gets the same through the marshalled interfaces.
    EXPECT_EQ(ReadInAnotherProcess(), read);
    // Late-bound readers get the same through the platform's type information.
    VARIANT argument = I4(9), name;
    DISPPARAMS params = {&argument, nullptr, 1, 0};
    ASSERT_EQ(S_OK, object->Invoke(DISPID_ACC_NAME, IID_NULL, 0, DISPATCH_PROPERTYGET, &params,
                                   &name, nullptr, nullptr));
    EXPECT_EQ(Take(V_BSTR(&name)), L"y");

    LONG count = 0;
    ASSERT_EQ(S_OK, object->get_accChildCount(&count));
    ASSERT_EQ(count, 4 + control->DisplayedRows());
    RECT client;
    GetClientRect(list, &client);
    MapWindowPoints(list, nullptr, reinterpret_cast<POINT*>(&client), 2);
    for (LONG child = 1; child <= count; ++child) {
        SCOPED_TRACE(child);
        const RECT place = Place(child);
        const LONG row = child - 5, top = GetScrollPos(list, SB_VERT);
        EXPECT_EQ(place.top, client.top + (row < 0 ? 0 : h + (row - top) * rh));
        EXPECT_EQ(place.bottom - place.top, row < 0 ? h : rh);
        VARIANT hit, next;
        ASSERT_EQ(S_OK, object->accHitTest((place.left + place.right) / 2,
                                           (place.top + place.bottom) / 2, &hit));
        EXPECT_EQ(V_I4(&hit), row >= 0 && row < top ? CHILDID_SELF : child) << "under the header";
        // A row's last pixels are its own, the ones past them another's.
        for (const auto& [x, y, inside] : {std::tuple{place.right - 1, place.bottom - 1, true},
                                           {place.right, place.top, false},
                                           {place.left, place.bottom, false}})
            if (row >= top) {
                object->accHitTest(x, y, &hit);
                EXPECT_EQ(V_VT(&hit) == VT_I4 && V_I4(&hit) == child, inside) << x << ", " << y;
            }
        EXPECT_EQ(object->accNavigate(NAVDIR_NEXT, I4(child), &next),
                  child < count ? S_OK : S_FALSE);
        EXPECT_EQ(V_VT(&next) == VT_I4 ? V_I4(&next) : 0, child < count ? child + 1 : 0);
    }
    const std::tuple<LONG, LONG, LONG> moves[] = {
        {NAVDIR_DOWN, 2, 6},                     // from the header to the first row shown
        {NAVDIR_UP, 6, 5},    {NAVDIR_UP, 5, 0}, // never up into the header
        {NAVDIR_RIGHT, 3, 4}, {NAVDIR_RIGHT, 4, 0}, {NAVDIR_LEFT, 1, 0}, {NAVDIR_LEFT, 5, 0}};
    for (const auto& [direction, from, want] : moves) {
        VARIANT to;
        EXPECT_EQ(object->accNavigate(direction, I4(from), &to), want ? S_OK : S_FALSE);
        EXPECT_EQ(V_VT(&to) == VT_I4 ? V_I4(&to) : 0, want) << direction << " from " << from;
    }
    ComRef<IEnumVARIANT> children(Query<IEnumVARIANT>(object.Get(), IID_IEnumVARIANT));
    ASSERT_TRUE(children);
    EXPECT_EQ(S_OK, children->Reset());
    EXPECT_EQ(S_OK, children->Skip(ULONG(count))) << "to the end";
    EXPECT_EQ(S_FALSE, children->Skip(1)) << "past it";
    VARIANT to;
    EXPECT_EQ(S_OK, object->get_accFocus(&to));
    EXPECT_EQ(V_I4(&to), 6);

    EXPECT_EQ(S_OK, object->accDoDefaultAction(I4(8)));
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back().id, 3) << "OnItemDblClick";
    EXPECT_EQ(events.back().arguments.back(), 1) << "of a2";
}

// Held past the control the host let go of in an action's event: calls answer disconnected.
TEST_F(Accessible, HeldObjectAnswersDisconnectedOnceTheControlIsGone) {
    const LONG locks = ModuleLockCount();
    host->onEvent = [this](const HostEvent&) { host->Close(); }; // at the double click's OnSelect
    view.Reset();
    EXPECT_EQ(RPC_E_DISCONNECTED, object->accDoDefaultAction(I4(7)));
    LONG count;
    VARIANT v;
    ComRef<IEnumVARIANT> children(Query<IEnumVARIANT>(object.Get(), IID_IEnumVARIANT));
    EXPECT_EQ(RPC_E_DISCONNECTED, object->get_accChildCount(&count));
    EXPECT_EQ(RPC_E_DISCONNECTED, children->Next(1, &v, nullptr)) << "its enumerator too";
    children.Reset();
    object.Reset();
    EXPECT_EQ(ModuleLockCount(), locks - 2) << "the control and its object are gone";
}

// Every child in every combination of sorting, grouping, opening, focus and availability reads
// as a model of the rows says.
TEST_F(Accessible, EveryChildReadsAsTheModelInEveryCombinationOfStates) {
    using Record = std::vector<std::wstring>;
    const std::vector<Record> table = {
        {L"B", L"x", L"b2", L"40"}, {L"A", L"y", L"a3", L"30"}, {L"A", L"x", L"a1", L"10"}};
    host->SetDisplayName(L"Sales");
    for (int combination = 0; combination < 48; ++combination) {
        const int sort = combination % 3; // by Region as loaded, by Item either way
        const bool grouped = combination / 3 % 2, expanded = combination / 6 % 2,
                   focused = combination / 12 % 2, enabled = combination / 24 % 2;
        SCOPED_TRACE(combination);
        SetUpControl(TableOf(table));
        ASSERT_FALSE(HasFatalFailure());
        for (int click = 0; click < sort; ++click)
            ASSERT_EQ(S_OK, object->accDoDefaultAction(I4(3)));
        if (grouped)
            Drag(1, control->headerHeight / 2,
                 1 + control->levelButtonWidth + 2 * control->groupingMargin);
        if (grouped && expanded) {
            ASSERT_EQ(S_OK, object->accDoDefaultAction(I4(5)));
        }
        ASSERT_EQ(S_OK, object->accSelect(SELFLAG_TAKEFOCUS | SELFLAG_TAKESELECTION, I4(5)));
        SetFocus(focused ? list : window);
        view->put_Enabled(enabled ? VARIANT_TRUE : VARIANT_FALSE);

        // The model: records by Item as sorted, under their regions in order when grouped.
        std::vector<Record> records = table;
        std::stable_sort(records.begin(), records.end(), [&](const Record& a, const Record& b) {
            return sort == 0 ? a[0] < b[0] : sort == 1 ? a[2] < b[2] : a[2] > b[2];
        });
        const bool focus = focused && enabled; // a disabled window loses the focus
        const std::wstring off = enabled ? L"" : L" unavailable";
        std::vector<std::wstring> rows;
        auto state = [&](bool current) {
            return current ? (focus ? L" selected focused" : L" selected") : L"";
        };
        auto record = [&](const Record& r) {
            const int first = grouped ? 1 : 0;
            std::wstring description;
            for (int c = first + 1; c < 4; ++c)
                description +=
                    (c > first + 1 ? L", " : L"") + std::wstring(labels[c]) + L": " + r[c];
            return std::wstring(grouped ? L"outline item|" : L"list item|") + r[first] + L"|" +
                   (grouped ? L"1" : L"") + L"|" + description + L"|Double Click|" +
                   state(rows.empty()) + off;
        };
        for (const wchar_t* region : {L"A", L"B"}) {
            if (!grouped) {
                for (const Record& r : records)
                    rows.push_back(record(r));
                break;
            }
            const auto count = std::count_if(records.begin(), records.end(),
                                             [&](const Record& r) { return r[0] == region; });
            const bool open = expanded && region[0] == L'A';
            rows.push_back(std::wstring(L"outline item|") + region + L"|0|Region, " +
                           std::to_wstring(count) + (count > 1 ? L" records|" : L" record|") +
                           (open ? L"Collapse| expanded" : L"Expand| collapsed") +
                           state(rows.empty()) + off);
            for (const Record& r : records)
                if (r[0] == region && open)
                    rows.push_back(record(r));
        }
        std::vector<std::wstring> expected = {std::wstring(grouped ? L"outline" : L"list") +
                                              L"|Sales||||" + (focus ? L" focused" : L"") + off};
        for (int c = 0; c < 4; ++c)
            expected.push_back(
                std::wstring(L"column header|") + labels[c] + L"||" +
                (c == 2 * !!sort ? (sort != 2 ? L"sorted ascending" : L"sorted descending") : L"") +
                L"|Click|" + off);
        expected.insert(expected.end(), rows.begin(), rows.end());
        EXPECT_EQ(ReadTree(object.Get()), expected);
    }
}
