#include "engine/view_engine.h"

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
    view.trackMode = TrackPress;
    view.pressedLook = 1;
    InvalidateHeader(true);
    BeginCapture();
}

void ViewEngine::StartResize() {
    view.liveSize = layout.ColumnExtent(view.pressIndex, false);
    view.trackMode = TrackResize;
    InvalidateHeader(true);
    BeginCapture();
}

void ViewEngine::StartSplitterDrag() {
    view.liveSize = layout.GroupingAreaWidth(false);
    view.trackMode = TrackSplitterDrag;
    // The current row loses its focused look while the grouping is in question.
    InvalidateRow(view.currentRow - view.topRow, true);
    ShowGroupingTip();
    BeginCapture();
}

void ViewEngine::StartColumnDrag(POINT point) {
    view.trackMode = TrackColumnDrag;
    int32_t sliceLeft = 0;
    view.dragImage = CreateHeaderDragImage(sliceLeft);
    NearestColumnEdge(point.x);
    InvalidateHeader(true);
    if (!view.dragImage)
        return; // the drop works the same without a picture
    const POINT at = ClientToWindowPoint(point);
    ImageList_BeginDrag(view.dragImage, 0, view.pressOffset - sliceLeft, 0);
    ImageList_DragEnter(hwnd, at.x, at.y);
}

bool ViewEngine::IsOverPressedItem(int32_t x, int32_t y) {
    int32_t index = -1;
    return HitTest(x, y, &index, nullptr) == view.pressHit && index == view.pressIndex;
}

bool ViewEngine::NearestColumnEdge(int32_t x) {
    int32_t best = 0x7FFFFFFF, edge = -1;
    int32_t left = layout.ColumnsLeft(true) - view.scrollX;
    for (int32_t p = 0; p < store.columnCount; ++p) {
        const int32_t right = left + layout.ColumnExtent(p, true);
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
    const bool changed = edge != view.dropIndex;
    view.dropIndex = edge;
    return changed;
}

void ViewEngine::GroupingColumnsText(TipText& text) {
    const int32_t levels = layout.VisibleLevelCount();
    for (int32_t p = 0; p < levels; ++p) {
        if (p > 0)
            text.Append(L"\n");
        text.Append(store.LabelAt(p));
    }
}

void ViewEngine::ShowGroupingTip() {
    TipText text;
    GroupingColumnsText(text);
    headerTips.ShowGroupingTip(layout.VisibleLevelCount(), text.Get());
}

void ViewEngine::TrackPressTo(POINT point) {
    if (view.pressHit == HitLevelButton || store.columnCount < 2) {
        // Buttons that cannot be dragged pop up while the pointer is away from them.
        const int32_t over = IsOverPressedItem(point.x, point.y) ? 1 : 0;
        if (over != view.pressedLook) {
            view.pressedLook = over;
            InvalidateHeader(true);
        }
        return;
    }
    if (abs(view.pressX - (point.x + view.scrollX)) >= dragX || abs(view.pressY - point.y) >= dragY)
        StartColumnDrag(point);
}

void ViewEngine::DragColumnTo(POINT point) {
    const POINT at = ClientToWindowPoint(point);
    if (!NearestColumnEdge(point.x)) {
        if (view.dragImage)
            ImageList_DragMove(at.x, at.y);
        return;
    }
    // The picture is hidden while the header repaints the moved marker under it.
    if (view.dragImage)
        ImageList_DragLeave(hwnd);
    InvalidateHeader(true);
    if (view.dragImage)
        ImageList_DragEnter(hwnd, at.x, at.y);
}

void ViewEngine::ResizeColumnTo(int32_t contentX) {
    int32_t width = layout.ColumnExtent(view.pressIndex, false) + (contentX - view.pressX);
    if (width < 0)
        width = 0;
    if (width == view.liveSize)
        return;
    ScrollColumnsAfterResize(view.pressIndex, width); // it still sees the previous live width
    view.liveSize = width;
    UpdateContentWidth(true);
    ScrollTo(view.scrollX, view.topRow);
    InvalidateHeader(true);
}

void ViewEngine::DragSplitterTo(int32_t contentX) {
    int32_t width = layout.GroupingAreaWidth(false) + (contentX - view.pressX);
    const int32_t widest = layout.MaxGroupingAreaWidth();
    if (width > widest)
        width = widest;
    if (width < 0)
        width = 0;
    view.liveSize = width;
    UpdateContentWidth(true);
    ScrollTo(view.scrollX, view.topRow);
    InvalidateHeader(true);
    ShowGroupingTip();
}

void ViewEngine::OnLeftButtonUp() {
    switch (view.trackMode) {
    case TrackPress:
        if (!view.pressedLook)
            break; // released away from the button
        if (view.pressHit == HitLevelButton)
            ReverseGroupOrder(view.pressIndex);
        else
            SortRowsByColumn(view.pressIndex);
        ShowCurrentRowAfterChange();
        break;
    case TrackResize:
        SetColumnExtent(view.pressIndex, view.liveSize); // releases the capture before it stores
        break;
    case TrackColumnDrag:
        if (MoveColumnKeepingRow(view.pressIndex, view.dropIndex))
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
    const int32_t levels = layout.VisibleLevelCount(); // read while the live width still counts
    if (SetGroupLevelsKeepingRow(levels)) {
        if (store.groupLevelCount != 0)
            view.rememberedLevels = store.groupLevelCount;
        EnsureRowVisible(view.currentRow, false);
    } else {
        UpdateContentWidth(false);
        ScrollTo(view.scrollX, view.topRow);
    }
    SyncSelection();
}

void ViewEngine::ToggleGrouping() {
    int32_t count = 0;
    if (store.groupLevelCount == 0)
        count =
            view.rememberedLevels < store.columnCount ? view.rememberedLevels : store.columnCount;
    if (!SetGroupLevelsKeepingRow(count))
        return;
    EnsureRowVisible(view.currentRow, false);
    if (hwnd)
        UpdateWindow(hwnd);
    SyncSelection();
}

// An order or grouping change keeps the current row on its record or group, which may now
// lie elsewhere, or be a group header instead of a record.
void ViewEngine::ShowCurrentRowAfterChange() {
    EnsureRowVisible(view.currentRow, false);
    SyncSelection();
}

void ViewEngine::OnCaptureChanged() {
    const int32_t ended = view.trackMode;
    view.trackMode = TrackNone;
    headerTips.HideGroupingTip();
    if (view.dragImage) {
        ImageList_DragLeave(hwnd);
        ImageList_EndDrag();
        ImageList_Destroy(view.dragImage);
        view.dragImage = nullptr;
    }
    if (!hwnd)
        return;
    InvalidateRect(hwnd, nullptr, FALSE);
    // The bars were not drawn during the drag; they show the committed layout again now.
    if (ended == TrackResize || ended == TrackSplitterDrag) {
        UpdateContentWidth(false);
        ScrollTo(view.scrollX, view.topRow);
    }
}
