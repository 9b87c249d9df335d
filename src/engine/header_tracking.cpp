#include "engine/view_engine.h"

#include "render/narrow_text.h"

#include <cstdlib>

// Operations on the header strip that follow the mouse while it holds the capture: a press on
// a button that sorts or reverses a level, dragging a column to another place, resizing a
// column, and dragging the splitter that sets the grouping levels. Every operation ends when
// the capture is lost, whoever took it; the release only applies what was tracked first.

bool ViewEngine::BeginCapture() {
    SetCapture(hwnd);
    if (GetCapture() == hwnd)
        return true;
    OnCaptureChanged(); // without the capture nothing may be tracked
    return false;
}

void ViewEngine::StartPress() {
    trackMode = TrackPress;
    pressedLook = 1;
    InvalidateHeader(true);
    BeginCapture();
}

void ViewEngine::StartResize() {
    liveSize = ColumnExtent(pressIndex, false);
    trackMode = TrackResize;
    InvalidateHeader(true);
    BeginCapture();
}

void ViewEngine::StartSplitterDrag() {
    liveSize = GroupingAreaWidth(false);
    trackMode = TrackSplitterDrag;
    // The current row loses its focused look while the grouping is in question.
    InvalidateRow(currentRow - topRow, true);
    ShowGroupingTip();
    BeginCapture();
}

void ViewEngine::StartColumnDrag(POINT point) {
    trackMode = TrackColumnDrag;
    dragImage = CreateHeaderDragImage();
    NearestColumnEdge(point.x);
    InvalidateHeader(true);
    if (!dragImage)
        return; // the drop works the same without a picture
    const POINT at = ClientToWindowPoint(point);
    ImageList_BeginDrag(dragImage, 0, pressOffset, 0);
    ImageList_DragEnter(hwnd, at.x, at.y);
}

bool ViewEngine::IsOverPressedItem(int32_t x, int32_t y) {
    int32_t index = -1;
    return HitAt(x, y, &index, nullptr) == pressHit && index == pressIndex;
}

bool ViewEngine::NearestColumnEdge(int32_t x) {
    int32_t best = 0x7FFFFFFF, edge = -1;
    int32_t left = ColumnsLeft(true) - scrollX;
    for (int32_t p = 0; p < store.columnCount; ++p) {
        const int32_t right = left + ColumnExtent(p, true);
        // Ties keep the earlier edge: at a zero-width column its own position wins.
        if (abs(x - left) < best) {
            best = abs(x - left);
            edge = p;
        }
        if (abs(x - right) < best) {
            best = abs(x - right);
            edge = p + 1;
        }
        left = right;
    }
    const bool changed = edge != dropIndex;
    dropIndex = edge;
    return changed;
}

void ViewEngine::GroupingColumnsText(TipText& text) {
    const int32_t levels = VisibleLevelCount();
    for (int32_t p = 0; p < levels; ++p) {
        if (p > 0)
            text.Append("\n");
        text.Append(NarrowText(store.LabelAt(p)).Get());
    }
}

void ViewEngine::ShowGroupingTip() {
    TipText text;
    GroupingColumnsText(text);
    headerTips.ShowGroupingTip(VisibleLevelCount(), text.Get());
}

void ViewEngine::TrackPressTo(POINT point) {
    if (pressHit == HitLevelButton || store.columnCount < 2) {
        // Buttons that cannot be dragged pop up while the pointer is away from them.
        const int32_t over = IsOverPressedItem(point.x, point.y) ? 1 : 0;
        if (over != pressedLook) {
            pressedLook = over;
            InvalidateHeader(true);
        }
        return;
    }
    if (abs(pressX - (point.x + scrollX)) >= GetSystemMetrics(SM_CXDRAG) ||
        abs(pressY - point.y) >= GetSystemMetrics(SM_CYDRAG))
        StartColumnDrag(point);
}

void ViewEngine::DragColumnTo(POINT point) {
    const POINT at = ClientToWindowPoint(point);
    if (!NearestColumnEdge(point.x)) {
        if (dragImage)
            ImageList_DragMove(at.x, at.y);
        return;
    }
    // The picture is hidden while the header repaints the moved marker under it.
    if (dragImage)
        ImageList_DragLeave(hwnd);
    InvalidateHeader(true);
    if (dragImage)
        ImageList_DragEnter(hwnd, at.x, at.y);
}

void ViewEngine::ResizeColumnTo(int32_t contentX) {
    int32_t width = ColumnExtent(pressIndex, false) + (contentX - pressX);
    if (width < 0)
        width = 0;
    if (width == liveSize)
        return;
    ScrollColumnsAfterResize(pressIndex, width); // it still sees the previous live width
    liveSize = width;
    UpdateContentWidth(true);
    ScrollTo(scrollX, topRow);
    InvalidateHeader(true);
}

void ViewEngine::DragSplitterTo(int32_t contentX) {
    int32_t width = GroupingAreaWidth(false) + (contentX - pressX);
    const int32_t widest = MaxGroupingAreaWidth();
    if (width > widest)
        width = widest;
    if (width < 0)
        width = 0;
    liveSize = width;
    UpdateContentWidth(true);
    ScrollTo(scrollX, topRow);
    InvalidateHeader(true);
    ShowGroupingTip();
}

void ViewEngine::OnLeftButtonUp() {
    switch (trackMode) {
    case TrackPress:
        if (!pressedLook)
            break; // released away from the button
        if (pressHit == HitLevelButton)
            ReverseGroupOrder(pressIndex);
        else
            SortRowsByColumn(pressIndex);
        ShowCurrentRowAfterChange();
        break;
    case TrackResize:
        SetColumnExtent(pressIndex, liveSize); // releases the capture before it stores
        break;
    case TrackColumnDrag:
        if (MoveColumnKeepingRow(pressIndex, dropIndex))
            ShowCurrentRowAfterChange();
        break;
    case TrackSplitterDrag:
        EndSplitterDrag();
        break;
    default:
        return;
    }
    ReleaseTracking();
}

void ViewEngine::EndSplitterDrag() {
    const int32_t levels = VisibleLevelCount(); // read while the live width still counts
    if (SetGroupLevelsKeepingRow(levels)) {
        if (store.groupLevelCount != 0)
            rememberedLevels = store.groupLevelCount;
        EnsureRowVisible(currentRow, false);
    } else {
        UpdateContentWidth(false);
        ScrollTo(scrollX, topRow);
    }
    SyncSelection();
}

void ViewEngine::ToggleGrouping() {
    int32_t count = 0;
    if (store.groupLevelCount == 0)
        count = rememberedLevels < store.columnCount ? rememberedLevels : store.columnCount;
    if (!SetGroupLevelsKeepingRow(count))
        return;
    EnsureRowVisible(currentRow, false);
    if (hwnd)
        UpdateWindow(hwnd);
    SyncSelection();
}

// An order or grouping change keeps the current row on its record or group, which may now
// lie elsewhere, or be a group header instead of a record.
void ViewEngine::ShowCurrentRowAfterChange() {
    EnsureRowVisible(currentRow, false);
    SyncSelection();
}

void ViewEngine::OnCaptureChanged() {
    const int32_t ended = trackMode;
    trackMode = TrackNone;
    headerTips.HideGroupingTip();
    if (dragImage) {
        ImageList_DragLeave(hwnd);
        ImageList_EndDrag();
        ImageList_Destroy(dragImage);
        dragImage = nullptr;
    }
    if (!hwnd)
        return;
    InvalidateRect(hwnd, nullptr, FALSE);
    // The bars were not drawn during the drag; they show the committed layout again now.
    if (ended == TrackResize || ended == TrackSplitterDrag) {
        UpdateContentWidth(false);
        ScrollTo(scrollX, topRow);
    }
}
