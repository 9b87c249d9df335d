#pragma once

#include "engine/engine_sink.h"
#include "engine/header_tips.h"
#include "engine/track_state.h"
#include "engine/wheel_steps.h"
#include "render/draw_resources.h"
#include "store/record_store.h"

#include <windows.h>

#include <cstdint>

// The control's window: holds the data, the view state and the drawing resources, paints,
// scrolls and keeps the current row. The hosting layer derives from it and implements the sink.
class ViewEngine : public DrawResources, public EngineSink {
public:
    ViewEngine();
    virtual ~ViewEngine();
    ViewEngine(const ViewEngine&) = delete;
    ViewEngine& operator=(const ViewEngine&) = delete;

    HWND hwnd = nullptr; // the control's window; null while none exists
    RecordStore store;
    HeaderTips headerTips;

    // Header tracking (mouse operations on the header strip).
    int32_t trackMode = TrackNone;
    int32_t pressHit = HitNone;
    int32_t pressIndex = -1;
    int32_t pressedLook = 0;
    int32_t dropIndex = -1;
    int32_t liveSize = 0;
    int32_t pressX = 0, pressY = 0, pressOffset = 0;
    int32_t rememberedLevels = 1; // the last grouping a splitter drag made, for the toggle
    HIMAGELIST dragImage = nullptr;

    int32_t currentRow = -1, selectedRecord = -1, topRow = 0, scrollX = 0, pageRows = 0;
    int32_t clientWidth = 0, clientHeight = 0, contentWidth = 0;
    int32_t hasFocus = 0;

    // Creates the control's window as a child of parent (class with CS_DBLCLKS, arrow cursor,
    // window-colour background; WS_CHILD|WS_VISIBLE|WS_HSCROLL|WS_VSCROLL, WS_EX_CLIENTEDGE).
    HWND CreateEngineWindow(HWND parent, const RECT& bounds);
    void DestroyEngineWindow();
    // For the module's unload: the class names this module's window procedure. False while a
    // window of the class still exists.
    static bool UnregisterEngineClass();

    // Every message of the window arrives here. Returns the message result.
    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    void ReleaseTracking();

    // Fronts of the store for the automation layer.
    bool SetData(SAFEARRAY* source, int32_t format, int32_t grouping, bool revert);
    HRESULT GetColumnLabel(int32_t column, BSTR* label);
    HRESULT PutColumnLabel(int32_t column, const wchar_t* text);
    HRESULT GetColumnWidth(int32_t column, int32_t* width);
    HRESULT PutColumnWidth(int32_t column, int32_t width);
    HRESULT GetColumnAlign(int32_t column, int32_t* align);
    HRESULT PutColumnAlign(int32_t column, int32_t align);
    HRESULT GetColumnCount(int32_t* count);
    HRESULT GetRecordCount(int32_t* count);
    HRESULT GetSelectedRecord(int32_t* record);

    // The placeholder look with a frame, into a foreign context.
    void DrawPlaceholder(HDC dc, const RECT& bounds);
    using DrawResources::DrawPlaceholder;

    // --- layout ---
    int32_t DisplayedRows() const { return store.rowCount - 1; }
    int32_t GroupingAreaWidth(bool live) const;
    int32_t MaxGroupingAreaWidth() const;
    int32_t ColumnsLeft(bool live) const;
    int32_t ColumnExtent(int32_t position, bool live);
    int32_t VisibleLevelCount() const;
    void UpdateContentWidth(bool live);
    RECT GroupingAreaRect() const;
    RECT LevelButtonRect(int32_t level) const;
    RECT SplitterRect() const;
    // The button of a display position starting at x; x moves on to its right edge.
    RECT ColumnHeaderRect(int32_t position, int32_t& x);
    bool RowRect(int32_t visibleIndex, RECT* rect) const;
    void UpdatePageRows();
    void InvalidateHeader(bool update);
    void InvalidateRow(int32_t visibleIndex, bool update);
    POINT ClientToWindowPoint(POINT point) const;
    void SetColumnExtent(int32_t position, int32_t width);
    void AutoFitColumn(int32_t position);

    // --- painting ---
    enum ButtonKind { LevelButton, ColumnButton };
    void PaintHeader(HDC paintDc, const RECT& update);
    void DrawHeaderButton(HDC dc, HDC mask, const RECT& rect, ButtonKind kind, int32_t index,
                          bool asDragImage);
    bool ButtonShownPressed(ButtonKind kind, int32_t index) const;
    HIMAGELIST CreateHeaderDragImage();
    void PaintRows(HDC paintDc, const RECT& update);

    // --- scrolling ---
    void ScrollTo(int32_t x, int32_t y);
    void ScrollColumnsAfterResize(int32_t position, int32_t newWidth);

    // --- current row and selection ---
    bool SelectRow(int32_t row);
    void EnsureRowVisible(int32_t row, bool update);
    bool ToggleRow(int32_t row);
    bool ExpandRow(int32_t row);
    bool CollapseRow(int32_t row);
    void SyncSelection();
    void ResetView();
    // Order and grouping changes that keep the current row on the same record or group.
    void SortRowsByColumn(int32_t position);
    void ReverseGroupOrder(int32_t level);
    bool MoveColumnKeepingRow(int32_t from, int32_t to);
    bool SetGroupLevelsKeepingRow(int32_t count);

    void PlaceCaret();

    // --- mouse ---
    // What lies under a window point; index and offset, when given, receive what the kind
    // sets and are left alone otherwise.
    HitKind HitAt(int32_t x, int32_t y, int32_t* index, int32_t* offset);
    bool IsOverPressedItem(int32_t x, int32_t y);
    // Marks the column edge nearest to window x as the drop place; true when it moved.
    bool NearestColumnEdge(int32_t x);
    // The labels of the levels the live grouping area shows, one a line.
    void GroupingColumnsText(TipText& text);

protected:
    // The dispatch: handled starts true; a handler that lets the default procedure run too
    // sets it to false.
    LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    // The sound of refused input.
    virtual void Beep() { MessageBeep(0xFFFFFFFF); }

private:
    struct ScrollBarRequest {
        bool made;
        int32_t maximum, page, position;
    };
    ScrollBarRequest horizontalBar{}, verticalBar{};
    void SetBar(int bar, ScrollBarRequest& last, int32_t maximum, int32_t page, int32_t position);

    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static bool RegisterEngineClass();

    void OnCreate();
    void OnDestroy();
    void OnSize(LPARAM lParam);
    void OnSysColorChange();
    void OnHScroll(WPARAM wParam);
    void OnVScroll(WPARAM wParam);
    void OnEraseBackground(HDC dc);
    void OnPaint();
    void PaintArea(HDC dc, const RECT& update);
    int UpdateAreas(RECT* areas, int capacity) const;
    bool InputRefused();
    bool OnSetCursor(LPARAM lParam);
    void OnLeftButtonDown(LPARAM lParam);
    void OnLeftDoubleClick(LPARAM lParam);
    void OnRightButtonDown(LPARAM lParam);
    void OnMouseMove(LPARAM lParam);
    void OnLeftButtonUp();
    void OnCaptureChanged();
    bool BeginCapture();
    void StartPress();
    void StartResize();
    void StartSplitterDrag();
    void StartColumnDrag(POINT point);
    void TrackPressTo(POINT point);
    void DragColumnTo(POINT point);
    void ResizeColumnTo(int32_t contentX);
    void DragSplitterTo(int32_t contentX);
    void EndSplitterDrag();
    void ToggleGrouping();
    void ShowCurrentRowAfterChange();
    void ShowGroupingTip();
    LevelToolMetrics LevelTipMetrics() const;
    void OnLevelTipText(int32_t id, NMTTDISPINFOA* request);
    // False when the list is at its end in the wheel's direction: the host may scroll.
    bool OnMouseWheel(WPARAM wParam, bool sideways);
    WheelSteps wheelRows, wheelColumns;
    int32_t LastScrollPosition(int bar) const;
    void OnSetFocus();
    void OnKillFocus();
    void InvalidateAll(bool erase);
    void InvalidateCurrentRow();
    void FinishOrderChange();
    int32_t MeasureColumnTexts(int32_t position);
    void PaintRecordRow(HDC dc, int32_t visibleIndex, bool selected, bool focused, RECT* focusRect);
    int32_t stripLeft = 0, stripRight = 0; // content x covered by the row strip being painted
    void PaintGroupRow(HDC dc, int32_t level, int32_t visibleIndex, bool selected, bool focused,
                       RECT* focusRect);
};

// Reflected notifications: a parent hands these back to the child, offset by this amount.
constexpr UINT ReflectedMessageOffset = 0x2000;
bool IsReflectedMessage(UINT message);
