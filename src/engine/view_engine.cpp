#include "engine/view_engine.h"

#include "render/gdi_handles.h"
#include "store/module_instance.h"

#include <olectl.h>

#ifndef WM_DPICHANGED_AFTERPARENT
#define WM_DPICHANGED_AFTERPARENT 0x02E3
#endif

namespace {
const char engineClassName[] = "NorvView";
constexpr DWORD engineStyle = WS_CHILD | WS_VISIBLE | WS_HSCROLL | WS_VSCROLL;
constexpr DWORD engineExStyle = WS_EX_CLIENTEDGE;
} // namespace

ViewEngine::ViewEngine() {
    // Column widths by default are those of the classic DPI, scaled like the glyphs.
    store.columnInfo.ScaleWidths(dpi, DpiMetrics::baseDpi);
}

ViewEngine::~ViewEngine() {
    // The window must not outlive the object its procedure points at.
    DestroyEngineWindow();
    DisconnectAccessible();
}

bool ViewEngine::RegisterEngineClass() {
    HINSTANCE instance = ModuleInstance();
    WNDCLASSEXA existing = {};
    existing.cbSize = sizeof existing;
    if (GetClassInfoExA(instance, engineClassName, &existing))
        return true;
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
    wc.lpszClassName = engineClassName;
    return RegisterClassExA(&wc) != 0;
}

bool ViewEngine::UnregisterEngineClass() {
    return UnregisterClassA(engineClassName, ModuleInstance()) != 0;
}

HWND ViewEngine::CreateEngineWindow(HWND parent, const RECT& bounds) {
    if (hwnd)
        return hwnd;
    if (!RegisterEngineClass())
        return nullptr;
    return CreateWindowExA(engineExStyle, engineClassName, nullptr, engineStyle, bounds.left,
                           bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top,
                           parent, nullptr, ModuleInstance(), this);
}

void ViewEngine::DestroyEngineWindow() {
    if (hwnd)
        DestroyWindow(hwnd);
}

LRESULT CALLBACK ViewEngine::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    ViewEngine* engine;
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        engine = static_cast<ViewEngine*>(create->lpCreateParams);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(engine));
        if (engine)
            engine->hwnd = window;
    } else {
        engine = reinterpret_cast<ViewEngine*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    }
    if (!engine)
        return DefWindowProcA(window, message, wParam, lParam);
    // Released last, after the engine is done with the message.
    KeepAlive alive(*engine);
    const LRESULT result = engine->HandleMessage(message, wParam, lParam);
    // From its destruction on, the window's messages no longer reach the engine, and its host
    // learns that the window is gone while nothing holds the dying handle.
    if (message == WM_DESTROY && engine->hwnd == window) {
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        engine->hwnd = nullptr;
        engine->DisconnectAccessible();
        engine->WindowDestroyed();
    }
    return result;
}

LRESULT ViewEngine::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    // The window as it was before the handler: a handler may destroy it.
    return Dispatch(WindowMessage{hwnd, message, wParam, lParam});
}

bool IsReflectedMessage(UINT message) {
    switch (message) {
    case OCM_DRAWITEM:
    case OCM_MEASUREITEM:
    case OCM_DELETEITEM:
    case OCM_VKEYTOITEM:
    case OCM_CHARTOITEM:
    case OCM_COMPAREITEM:
    case OCM_NOTIFY:
    case OCM_COMMAND:
    case OCM_HSCROLL:
    case OCM_VSCROLL:
    case OCM_CTLCOLORMSGBOX:
    case OCM_CTLCOLOREDIT:
    case OCM_CTLCOLORLISTBOX:
    case OCM_CTLCOLORBTN:
    case OCM_CTLCOLORDLG:
    case OCM_CTLCOLORSCROLLBAR:
    case OCM_CTLCOLORSTATIC:
    case OCM_PARENTNOTIFY:
        return true;
    default:
        return false;
    }
}

LRESULT ViewEngine::Dispatch(const WindowMessage& m) {
    // clang-format off
    switch (m.message) {
    case WM_CREATE: return ThenDefault(m, [&] { OnCreate(); });
    case WM_SIZE: return ThenDefault(m, [&] { OnSize(); });
    case WM_SYSCOLORCHANGE: return ThenDefault(m, [&] { ApplyDisplaySettings(); });
    case WM_THEMECHANGED: return ThenDefault(m, [&] { ApplyDisplaySettings(); });
    case WM_DPICHANGED_AFTERPARENT: return ThenDefault(m, [&] { ApplyDisplaySettings(); });
    case WM_SETTINGCHANGE: return ThenDefault(m, [&] { OnSettingChange(m.wParam, m.lParam); });
    case WM_HSCROLL: return ThenDefault(m, [&] { OnScroll(SB_HORZ, m.wParam); });
    case WM_VSCROLL: return ThenDefault(m, [&] { OnScroll(SB_VERT, m.wParam); });
    case WM_ERASEBKGND: return OnEraseBackground(reinterpret_cast<HDC>(m.wParam));
    case WM_PAINT: return ThenDefault(m, [&] { OnPaint(); });
    case WM_SETFOCUS: return ThenDefault(m, [&] { OnSetFocus(); });
    case WM_KILLFOCUS: return ThenDefault(m, [&] { OnKillFocus(); });
    case WM_KEYDOWN: return ThenDefault(m, [&] { OnKeyDown(m.wParam, m.lParam); });
    case WM_DESTROY: return ThenDefault(m, [&] { OnDestroy(); });
    case WM_GETOBJECT: return OnGetObject(m);
    // What list and tree controls want in a dialog: Tab and Enter stay with the dialog.
    case WM_GETDLGCODE: return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_SETCURSOR: return OnSetCursor(m.lParam) ? TRUE : m.Default();
    case WM_LBUTTONDOWN: return ThenDefault(m, [&] { OnLeftButtonDown(m.lParam); });
    case WM_LBUTTONDBLCLK: return ThenDefault(m, [&] { OnLeftDoubleClick(m.lParam); });
    case WM_MOUSEMOVE: return ThenDefault(m, [&] { OnMouseMove(m.lParam); });
    case WM_LBUTTONUP: return ThenDefault(m, [&] { OnLeftButtonUp(); });
    case WM_RBUTTONDOWN: return ThenDefault(m, [&] { OnRightButtonDown(m.lParam); });
    case WM_CAPTURECHANGED: return ThenDefault(m, [&] { OnCaptureChanged(); });
    case WM_NOTIFYFORMAT: return OnNotifyFormat(m);
    case WM_NOTIFY: return OnNotify(m);
    case WM_MOUSEWHEEL: return OnMouseWheel(m.wParam, false) ? 0 : m.Default();
    case WM_MOUSEHWHEEL: return OnMouseWheel(m.wParam, true) ? 0 : m.Default();
    default: return IsReflectedMessage(m.message) ? OnReflected(m) : m.Default();
    }
    // clang-format on
}

// A reflected notification is answered as the original message would be.
LRESULT ViewEngine::OnReflected(const WindowMessage& m) {
    return DefWindowProcA(m.window, m.message - OCM__BASE, m.wParam, m.lParam);
}

// The window class stays narrow; the tips ask for their texts in wide characters.
LRESULT ViewEngine::OnNotifyFormat(const WindowMessage& m) {
    const HWND tips = headerTips.tipWindow;
    if (m.lParam == NF_QUERY && tips && reinterpret_cast<HWND>(m.wParam) == tips)
        return NFR_UNICODE;
    return m.Default();
}

LRESULT ViewEngine::OnNotify(const WindowMessage& m) {
    const auto* header = reinterpret_cast<const NMHDR*>(m.lParam);
    if (!header || header->code != TTN_NEEDTEXTW)
        return m.Default();
    OnLevelTipText(static_cast<int32_t>(m.wParam), reinterpret_cast<NMTTDISPINFOW*>(m.lParam));
    return 0;
}

void ViewEngine::OnCreate() {
    horizontalBar = verticalBar = ScrollBarRequest{};
    // Made for the system DPI, or for where the last window was.
    if (WindowDpi() != dpi)
        ApplyDisplaySettings();
    // The window works whether or not the tooltip window could be made.
    headerTips.Create(hwnd, LevelTipMetrics());
}

LevelToolMetrics ViewEngine::LevelTipMetrics() const {
    LevelToolMetrics metrics;
    metrics.buttonWidth = levelButtonWidth;
    metrics.buttonTop = levelButtonTop;
    metrics.buttonHeight = levelButtonHeight;
    metrics.margin = groupingMargin;
    metrics.headerHeight = headerHeight;
    return metrics;
}

// A level tool asks for its label; tools left over from a grouping that a load removed stay
// silent.
void ViewEngine::OnLevelTipText(int32_t id, NMTTDISPINFOW* request) {
    if (id < 0 || id >= store.groupLevelCount)
        return;
    HeaderTips::WriteLevelTipText(request, store.LabelAt(id));
}

void ViewEngine::OnDestroy() {
    ReleaseTracking(); // a drag ends with its window, through the capture's loss
    headerTips.Destroy();
}

void ViewEngine::OnSize() {
    // Not WM_SIZE's 16-bit words: a host may make the window more than 32767 pixels wide.
    RECT client = {};
    GetClientRect(hwnd, &client);
    view.clientWidth = client.right;
    view.clientHeight = client.bottom;
    UpdatePageRows();
    if (store.columnCount == 0)
        InvalidateAll(false);
    ScrollTo(view.scrollX, view.topRow);
}

namespace {
// Where a scroll bar's request takes one axis: positions in pixels across, in rows down.
struct ScrollAxis {
    int32_t position, line, page, end;
};

// False for a request that moves nothing (SB_ENDSCROLL). The codes of the two bars are the
// same numbers: SB_LINELEFT is SB_LINEUP, SB_RIGHT is SB_BOTTOM.
bool ScrollTarget(WPARAM wParam, const ScrollAxis& axis, int32_t& target) {
    switch (LOWORD(wParam)) {
    case SB_LINEUP:
        target = axis.position - axis.line;
        return true;
    case SB_LINEDOWN:
        target = axis.position + axis.line;
        return true;
    case SB_PAGEUP:
        target = axis.position - axis.page;
        return true;
    case SB_PAGEDOWN:
        target = axis.position + axis.page;
        return true;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK:
        target = HIWORD(wParam);
        return true;
    case SB_TOP:
        target = 0;
        return true;
    case SB_BOTTOM:
        target = axis.end;
        return true;
    default:
        return false;
    }
}

constexpr int32_t scrollLinePixels = 10; // a line of the horizontal bar
} // namespace

void ViewEngine::OnScroll(int bar, WPARAM wParam) {
    const bool across = bar == SB_HORZ;
    const ScrollAxis axis =
        across ? ScrollAxis{view.scrollX, scrollLinePixels, view.clientWidth, view.contentWidth}
               : ScrollAxis{view.topRow, 1, view.pageRows, DisplayedRows()};
    int32_t target;
    if (!ScrollTarget(wParam, axis, target))
        return;
    if (across)
        ScrollTo(target, view.topRow);
    else
        ScrollTo(view.scrollX, target);
}

LRESULT ViewEngine::OnEraseBackground(HDC dc) {
    // Every pixel comes from the paint buffers; erasing would only flicker.
    RECT box;
    if (GetClipBox(dc, &box) != ERROR)
        InvalidateRect(hwnd, &box, FALSE);
    return 1; // erased
}

void ViewEngine::PaintArea(HDC dc, const RECT& update) {
    if (update.top <= headerHeight)
        PaintHeader(dc, update);
    if (update.bottom > headerHeight)
        PaintRows(dc, update);
}

// A column resize leaves two thin areas far apart (the column and the uncovered edge); their
// bounding box would compose most of the window. A few separate areas are painted one by
// one, each clipped to itself so that the focus rectangle is drawn once.
int ViewEngine::UpdateAreas(RECT* areas, int capacity) const {
    GdiObject region(CreateRectRgn(0, 0, 0, 0));
    if (!region.Get() ||
        GetUpdateRgn(hwnd, static_cast<HRGN>(region.Get()), FALSE) != COMPLEXREGION)
        return 0;
    struct {
        RGNDATAHEADER header;
        RECT rects[4];
    } data;
    const DWORD size = GetRegionData(static_cast<HRGN>(region.Get()), sizeof data,
                                     reinterpret_cast<RGNDATA*>(&data));
    if (size == 0 || size > sizeof data || data.header.nCount > 4 ||
        static_cast<int>(data.header.nCount) > capacity)
        return 0;
    for (DWORD i = 0; i < data.header.nCount; ++i)
        areas[i] = data.rects[i];
    return static_cast<int>(data.header.nCount);
}

void ViewEngine::OnPaint() {
    RECT client;
    GetClientRect(hwnd, &client);
    RECT areas[4];
    const int count = store.columnCount > 0 ? UpdateAreas(areas, 4) : 0;
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    if (!dc)
        return;
    if (store.columnCount == 0) {
        DrawPlaceholder(dc, client, false);
    } else if (count == 0) {
        PaintArea(dc, ps.rcPaint);
    } else {
        for (int i = 0; i < count; ++i) {
            const int saved = SaveDC(dc);
            IntersectClipRect(dc, areas[i].left, areas[i].top, areas[i].right, areas[i].bottom);
            PaintArea(dc, areas[i]);
            RestoreDC(dc, saved);
        }
    }
    EndPaint(hwnd, &ps);
}

void ViewEngine::OnSetFocus() {
    view.hasFocus = 1;
    // As tall as a row: programs that follow the caret (magnifiers) show the whole row.
    CreateCaret(hwnd, nullptr, 0, rowHeight);
    // A new caret stands at the window's corner; programs that follow it must find the
    // current row at once, not after the next move.
    PlaceCaret();
    InvalidateCurrentRow();
    announcedRow = view.currentRow;
    NotifyAccessible(EVENT_OBJECT_FOCUS, view.currentRow >= 0 && store.columnCount > 0
                                             ? RowChild(view.currentRow)
                                             : CHILDID_SELF);
}

void ViewEngine::OnKillFocus() {
    view.hasFocus = 0;
    DestroyCaret();
    InvalidateCurrentRow();
}

void ViewEngine::InvalidateCurrentRow() {
    if (view.currentRow >= 0)
        InvalidateRow(view.currentRow - view.topRow, false);
}

void ViewEngine::InvalidateAll(bool erase) {
    if (hwnd)
        InvalidateRect(hwnd, nullptr, erase ? TRUE : FALSE);
}

void ViewEngine::PlaceCaret() {
    if (!view.hasFocus)
        return;
    int32_t visible = view.currentRow - view.topRow;
    if (visible < 0)
        visible = 0;
    if (visible > view.pageRows)
        visible = view.pageRows;
    // Where the row's text starts, kept within the window like the row itself.
    int32_t x = RowTextLeft(view.currentRow) - view.scrollX;
    if (x > view.clientWidth)
        x = view.clientWidth;
    SetCaretPos(x < 0 ? 0 : x, headerHeight + rowHeight * visible);
}

int32_t ViewEngine::RowTextLeft(int32_t row) const {
    // A cursor of its own: the caret moves in the middle of order changes, whose anchor
    // lives in the shared one.
    RowCursor probe = store.cursor;
    const int32_t level = row >= 0 && probe.Seek(row) ? probe.RowGroupLevel() : -1;
    if (level >= 0)
        return (level + 2) * indentWidth;
    return layout.ColumnsLeft(false) + textMargin;
}

void ViewEngine::ReleaseTracking() {
    if (view.trackMode != TrackNone)
        ReleaseCapture();
}

void ViewEngine::DrawPlaceholder(HDC dc, const RECT& bounds) {
    DrawPlaceholder(dc, bounds, true);
}
