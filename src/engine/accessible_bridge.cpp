#include "engine/accessible_view.h"
#include "engine/view_engine.h"

#include <utility>

// The window's side of assistive technology: the accessible object handed out for the client
// area, the WinEvents of the changes it reports, and the user's actions it may ask for.

LRESULT ViewEngine::OnGetObject(const WindowMessage& m) {
    // Other objects (the window, its scroll bars, the caret) are the platform's.
    if (static_cast<DWORD>(m.lParam) != static_cast<DWORD>(OBJID_CLIENT))
        return m.Default();
    if (!accessibleObject)
        accessibleObject = ComRef<AccessibleView>(AccessibleView::Create(*this));
    if (!accessibleObject)
        return m.Default();
    return LresultFromObject(__uuidof(IAccessible), m.wParam,
                             static_cast<IAccessible*>(accessibleObject.Get()));
}

void ViewEngine::DisconnectAccessible() {
    ComRef<AccessibleView> object = std::move(accessibleObject);
    if (!object)
        return;
    announcedRow = -1;
    object->Disconnect();
}

void ViewEngine::NotifyAccessible(DWORD event, LONG child) {
    if (hwnd)
        NotifyWinEvent(event, hwnd, OBJID_CLIENT, child);
}

void ViewEngine::AnnounceReorder(bool contentMoved) {
    if (contentMoved)
        announcedRow = -2;
    NotifyAccessible(EVENT_OBJECT_REORDER, CHILDID_SELF);
}

void ViewEngine::AnnounceCurrentRow() {
    const int32_t row = view.currentRow;
    if (row == announcedRow)
        return;
    announcedRow = row;
    if (row < 0 || store.columnCount == 0)
        return;
    NotifyAccessible(EVENT_OBJECT_SELECTION, RowChild(row));
    if (view.hasFocus)
        NotifyAccessible(EVENT_OBJECT_FOCUS, RowChild(row));
}

bool ViewEngine::AcceptsUserAction() {
    if (hwnd && !IsWindowEnabled(hwnd))
        return false; // a disabled window gets no input either
    return !InputRefused();
}

void ViewEngine::ClickHeader(int32_t position) {
    SortRowsByColumn(position);
    InvalidateAll(false);
    ShowCurrentRowAfterChange();
}
