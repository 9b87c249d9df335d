#include "engine/view_engine.h"

// The mouse on the rows and the header: pointer shapes, selection, expanding and collapsing,
// double clicks and context-menu requests for the host, and the presses that start tracking.

namespace {
// Client coordinates of a mouse message, signed: left of or above a window that holds the
// capture they are negative.
POINT MousePoint(LPARAM lParam) {
    return POINT{static_cast<int16_t>(LOWORD(lParam)), static_cast<int16_t>(HIWORD(lParam))};
}
} // namespace

bool ViewEngine::InputRefused() {
    if (EventsFrozen() <= 0)
        return false;
    Beep();
    return true;
}

bool ViewEngine::OnSetCursor(LPARAM lParam) {
    if (LOWORD(lParam) != HTCLIENT)
        return false;
    const DWORD position = GetMessagePos();
    POINT point{static_cast<int16_t>(LOWORD(position)), static_cast<int16_t>(HIWORD(position))};
    ScreenToClient(hwnd, &point);
    HCURSOR cursor = nullptr;
    switch (HitTest(point.x, point.y, nullptr, nullptr)) {
    case HitSplitter:
        cursor = sizeCursor;
        break;
    case HitColumnEdge:
        cursor = resizeCursor;
        break;
    case HitHiddenColumnEdge:
        cursor = splitCursor;
        break;
    case HitGroupGlyph:
        cursor = handCursor;
        break;
    default:
        return false;
    }
    SetCursor(cursor);
    return true;
}

void ViewEngine::OnLeftButtonDown(LPARAM lParam) {
    if (InputRefused() || view.trackMode != TrackNone)
        return;
    const POINT point = MousePoint(lParam);
    view.pressX = point.x + view.scrollX;
    view.pressY = point.y;
    view.pressHit = HitTest(point.x, point.y, &view.pressIndex, &view.pressOffset);
    switch (view.pressHit) {
    case HitLevelButton:
    case HitHeader:
        StartPress();
        break;
    case HitSplitter:
        StartSplitterDrag();
        break;
    case HitColumnEdge:
    case HitHiddenColumnEdge:
        StartResize();
        break;
    case HitGroupGlyph:
        ToggleRow(view.pressIndex);
        break;
    case HitGroupCaption:
    case HitRecord:
        SelectRow(view.pressIndex);
        break;
    default:
        break;
    }
}

void ViewEngine::OnLeftDoubleClick(LPARAM lParam) {
    if (InputRefused() || view.trackMode != TrackNone)
        return;
    const POINT point = MousePoint(lParam);
    view.pressHit = HitTest(point.x, point.y, &view.pressIndex, &view.pressOffset);
    switch (view.pressHit) {
    case HitLevelButton:
    case HitHeader:
        StartPress();
        break;
    case HitSplitter:
        ToggleGrouping();
        break;
    case HitColumnEdge:
    case HitHiddenColumnEdge:
        AutoFitColumn(view.pressIndex);
        break;
    case HitGroupGlyph:
    case HitGroupCaption:
        ToggleRow(view.pressIndex);
        break;
    case HitRecord: {
        const HWND window = hwnd;
        SelectRow(view.pressIndex);
        if (hwnd == window) // not when the host closed the control on the selection
            ItemDblClick(point.x, point.y, view.selectedRecord);
        break;
    }
    default:
        break;
    }
}

void ViewEngine::OnRightButtonDown(LPARAM lParam) {
    if (view.trackMode != TrackNone) {
        ReleaseTracking(); // abandons the operation, and that is all
        return;
    }
    if (InputRefused())
        return;
    const POINT point = MousePoint(lParam);
    const HWND window = hwnd;
    int32_t record = -1;
    if (HitTest(point.x, point.y, &view.pressIndex, nullptr) == HitRecord) {
        SelectRow(view.pressIndex);
        record = view.selectedRecord;
    }
    if (hwnd == window) // not when the host closed the control on the selection
        ContextMenu(point.x, point.y, record);
}

void ViewEngine::OnMouseMove(LPARAM lParam) {
    const POINT point = MousePoint(lParam);
    switch (view.trackMode) {
    case TrackPress:
        TrackPressTo(point);
        break;
    case TrackColumnDrag:
        DragColumnTo(point);
        break;
    case TrackResize:
        ResizeColumnTo(point.x + view.scrollX);
        break;
    case TrackSplitterDrag:
        DragSplitterTo(point.x + view.scrollX);
        break;
    default:
        break;
    }
}
