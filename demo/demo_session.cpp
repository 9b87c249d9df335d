#include "demo_session.h"

#include "window_capture.h"

#include <oleacc.h>

#include <algorithm>

namespace {
LPARAM Point(int x, int y) {
    return MAKELPARAM(static_cast<WORD>(static_cast<SHORT>(x)),
                      static_cast<WORD>(static_cast<SHORT>(y)));
}
} // namespace

DemoSession::DemoSession(HWND controlWindow, _View* viewObject, std::function<void()> pumpLoop,
                         std::function<int()> doubleClickCount)
    : control(controlWindow), view(viewObject), pump(std::move(pumpLoop)),
      doubleClicks(std::move(doubleClickCount)), geometry(ViewGeometry::FromSystem()) {
    LONG count = 0;
    view->get_ColumnCount(&count);
    for (LONG c = 0; c < count; ++c)
        order.push_back(c);
}

std::vector<StepOutcome> DemoSession::Run(const SessionPlan& plan) {
    std::vector<StepOutcome> steps;
    auto step = [&](const std::string& name, bool tookEffect) {
        steps.push_back({name, tookEffect});
    };
    const LONG outer = plan.groupColumns[0];
    const LONG inner = plan.groupColumns[1];
    if (outer >= 0 && inner >= 0) {
        step("group by two levels: drag the splitter", GroupLevels(2));
        step("drag a column header onto the grouping edge", MoveToGroupingEdge(inner));
        step("drag another column header onto the grouping edge", MoveToGroupingEdge(outer));
    }
    if (plan.sortColumn >= 0) {
        step("sort: click a column header", SortBy(plan.sortColumn, true));
        step("sort largest first: click it again", SortBy(plan.sortColumn, false));
    }
    ScrollToShow(0, 0); // the rows' clicks aim at the tree and the first column
    // The tree, when grouped: row 0 is the first outer group, row 1 its first inner group.
    if (levels >= 2) {
        step("open a group: click its glyph", ClickGlyph(0, 0));
        step("select the group inside: click its caption", ClickCaption(1, 1));
        step("open it: Right arrow", PressKey(VK_RIGHT));
        step("select its first record: Down arrow", PressKey(VK_DOWN));
    } else {
        step("select a record: click it", ClickRecord(2));
        step("select the next record: Down arrow", PressKey(VK_DOWN));
    }
    step("show the record's cells: double-click it", DoubleClickSelected());
    return steps;
}

bool DemoSession::GroupLevels(int count) {
    // The splitter sits between the grouping area and the first column; dragging it right
    // widens the area, and every whole level button that fits is one grouping level.
    const int x = geometry.GroupingAreaWidth(levels) + geometry.splitterWidth / 2;
    const int y = geometry.HeaderMiddle();
    const int widthNow = geometry.GroupingAreaWidth(levels);
    const int target = geometry.GroupingAreaWidth(count) + geometry.levelButtonWidth / 2;
    const bool changed = Changes([&] {
        Press(x, y);
        MoveTo(x + (target - widthNow) / 2, y);
        MoveTo(x + target - widthNow, y);
        Release(x + target - widthNow, y);
    });
    if (changed)
        levels = count;
    return changed;
}

bool DemoSession::MoveToGroupingEdge(LONG column) {
    // A column beyond the window's edge goes left in steps: each drop lands on the leftmost
    // column edge in sight, until the first edge is in sight.
    for (int position = DisplayPosition(column); position > 0;) {
        const int left = HeaderLeft(position);
        const int width = Width(column);
        const int client = ClientWidth();
        const int scroll = ScrollTo(width < client ? std::max(0, left + width - client) : left);
        int target = 0;
        while (target < position && HeaderLeft(target) < scroll)
            ++target;
        if (target == position)
            return false;
        const int x = left + width / 2 - scroll;
        const int y = geometry.HeaderMiddle();
        const int edge = HeaderLeft(target) - scroll + 1; // nearest to its own edge
        const int threshold = GetSystemMetrics(SM_CXDRAG) + 1;
        const bool changed = Changes([&] {
            Press(x, y);
            MoveTo(x - threshold, y);
            MoveTo((x + edge) / 2, y);
            MoveTo(edge, y);
            Release(edge, y);
        });
        if (!changed)
            return false;
        order.erase(order.begin() + position);
        order.insert(order.begin() + target, column);
        position = target;
    }
    return true;
}

bool DemoSession::SortBy(LONG column, bool ascending) {
    const int position = DisplayPosition(column);
    if (position < 0)
        return false;
    const int left = HeaderLeft(position);
    const int right = left + Width(column);
    const int scroll = ScrollToShow(left, right);
    const int x = (left + std::min(right, scroll + ClientWidth())) / 2 - scroll;
    const wchar_t* wanted = ascending ? L"sorted ascending" : L"sorted descending";
    // A column sorted the other way already turns round on the second click.
    bool changed = Changes([&] { Click(x, geometry.HeaderMiddle()); });
    if (changed && HeaderDescription(position) != wanted)
        changed = Changes([&] { Click(x, geometry.HeaderMiddle()); });
    return changed && HeaderDescription(position) == wanted;
}

bool DemoSession::ClickGlyph(int row, int level) {
    const int x = level * geometry.indentWidth + geometry.indentWidth / 2;
    return Changes([&] { Click(x, geometry.RowMiddle(row)); });
}

bool DemoSession::ClickCaption(int row, int level) {
    // On the folder glyph, which belongs to the caption even when its text is empty.
    const int x = (level + 1) * geometry.indentWidth + geometry.indentWidth / 2;
    return Changes([&] { Click(x, geometry.RowMiddle(row)); });
}

bool DemoSession::ClickRecord(int row) {
    const int x = geometry.ColumnsLeft(levels) + geometry.textMargin * 2;
    return Changes([&] { Click(x, geometry.RowMiddle(row)); });
}

bool DemoSession::DoubleClickSelected() {
    // Where the selected row lies, as a screen reader learns it.
    IAccessible* accessible = Accessible();
    VARIANT selected;
    VariantInit(&selected);
    LONG left = 0, top = 0, width = 0, height = 0;
    const bool found = accessible && SUCCEEDED(accessible->get_accSelection(&selected)) &&
                       V_VT(&selected) == VT_I4 &&
                       SUCCEEDED(accessible->accLocation(&left, &top, &width, &height, selected));
    if (accessible)
        accessible->Release();
    POINT middle = {left, top + height / 2};
    if (!found || !ScreenToClient(control, &middle))
        return false;
    const int x = geometry.ColumnsLeft(levels) + geometry.textMargin * 2;
    const int y = middle.y;
    const int before = doubleClicks();
    Changes([&] {
        Click(x, y);
        SendMessageW(control, WM_LBUTTONDBLCLK, MK_LBUTTON, Point(x, y));
        Release(x, y);
    });
    return doubleClicks() > before;
}

bool DemoSession::PressKey(UINT key) {
    const UINT scan = MapVirtualKeyW(key, 0);
    const LPARAM extended = (key >= VK_PRIOR && key <= VK_DOWN) ? (1 << 24) : 0;
    const LPARAM down = 1 | (static_cast<LPARAM>(scan) << 16) | extended;
    const LPARAM up = down | (static_cast<LPARAM>(3) << 30);
    return Changes([&] {
        PostMessageW(control, WM_KEYDOWN, key, down);
        PostMessageW(control, WM_KEYUP, key, up);
        pump();
    });
}

int DemoSession::DisplayPosition(LONG column) const {
    for (size_t p = 0; p < order.size(); ++p)
        if (order[p] == column)
            return static_cast<int>(p);
    return -1;
}

int DemoSession::HeaderLeft(int position) const {
    int x = geometry.ColumnsLeft(levels);
    for (int p = 0; p < position; ++p)
        x += Width(order[static_cast<size_t>(p)]);
    return x;
}

int DemoSession::ClientWidth() const {
    RECT client = {};
    GetClientRect(control, &client);
    return client.right;
}

int DemoSession::ScrollToShow(int left, int right) {
    const int scroll = GetScrollPos(control, SB_HORZ);
    const int wanted = right - scroll > ClientWidth() ? right - ClientWidth() : scroll;
    return ScrollTo(std::min(left, wanted));
}

int DemoSession::ScrollTo(int x) {
    if (x != GetScrollPos(control, SB_HORZ)) {
        SendMessageW(control, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, std::max(x, 0)), 0);
        Settle();
    }
    return GetScrollPos(control, SB_HORZ);
}

IAccessible* DemoSession::Accessible() const {
    IAccessible* accessible = nullptr;
    // __uuidof: the import library's IID_IAccessible is not the interface the control answers.
    if (FAILED(AccessibleObjectFromWindow(control, static_cast<DWORD>(OBJID_CLIENT),
                                          __uuidof(IAccessible),
                                          reinterpret_cast<void**>(&accessible))))
        return nullptr;
    return accessible;
}

std::wstring DemoSession::HeaderDescription(int position) const {
    IAccessible* accessible = Accessible();
    std::wstring text;
    if (!accessible)
        return text;
    VARIANT child;
    VariantInit(&child);
    V_VT(&child) = VT_I4;
    V_I4(&child) = position + 1; // the headers come first, in display order
    BSTR description = nullptr;
    if (SUCCEEDED(accessible->get_accDescription(child, &description)) && description)
        text.assign(description, SysStringLen(description));
    SysFreeString(description);
    accessible->Release();
    return text;
}

int DemoSession::Width(LONG column) const {
    LONG width = 0;
    view->get_ColumnWidth(column, &width);
    return width;
}

void DemoSession::Press(int x, int y) {
    SendMessageW(control, WM_MOUSEMOVE, 0, Point(x, y));
    SendMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, Point(x, y));
}

void DemoSession::MoveTo(int x, int y) {
    SendMessageW(control, WM_MOUSEMOVE, MK_LBUTTON, Point(x, y));
}

void DemoSession::Release(int x, int y) {
    SendMessageW(control, WM_LBUTTONUP, 0, Point(x, y));
}

void DemoSession::Click(int x, int y) {
    Press(x, y);
    Release(x, y);
}

void DemoSession::Settle() {
    pump();
    UpdateWindow(control);
    GdiFlush();
}

bool DemoSession::Changes(const std::function<void()>& action) {
    Settle();
    std::vector<BYTE> before, after;
    int w0 = 0, h0 = 0, w1 = 0, h1 = 0;
    const bool captured = CaptureWindowPixels(control, before, w0, h0);
    LONG selectedBefore = -1, selectedAfter = -1;
    view->get_SelectedRecord(&selectedBefore);
    action();
    Settle();
    view->get_SelectedRecord(&selectedAfter);
    if (selectedAfter != selectedBefore)
        return true;
    return captured && CaptureWindowPixels(control, after, w1, h1) && before != after;
}
