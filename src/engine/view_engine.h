#pragma once

#include "base/com_ref.h"
#include "engine/accessible_view.h"
#include "engine/engine_sink.h"
#include "engine/header_tips.h"
#include "engine/wheel_steps.h"
#include "render/draw_resources.h"
#include "render/layout.h"
#include "render/view_state.h"
#include "store/record_store.h"

#include <windows.h>

#include <cstdint>

class AccessibleView;

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

    ViewState view;
    // The geometry of the metrics, the store and the view state; the window invalidates and
    // scrolls by what it answers.
    Layout layout{store, *this, view};

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
    // The DPI the window shows at; the system's while there is no window.
    virtual int32_t WindowDpi() const;

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

    // --- layout: the geometry is asked of layout; these keep the view state in step ---
    int32_t DisplayedRows() const { return layout.DisplayedRows(); }
    void UpdateContentWidth(bool live);
    void UpdatePageRows();
    void InvalidateHeader(bool update);
    void InvalidateRow(int32_t visibleIndex, bool update);
    POINT ClientToWindowPoint(POINT point) const;
    void SetColumnExtent(int32_t position, int32_t width);
    void AutoFitColumn(int32_t position);
    // What lies under a window point, group captions measured with the list font.
    HitKind HitTest(int32_t x, int32_t y, int32_t* index = nullptr, int32_t* offset = nullptr);

    // --- painting ---
    enum ButtonKind { LevelButton, ColumnButton };
    void PaintHeader(HDC paintDc, const RECT& update);
    void DrawHeaderButton(HDC dc, HDC mask, const RECT& rect, ButtonKind kind, int32_t index,
                          bool asDragImage);
    bool ButtonShownPressed(ButtonKind kind, int32_t index) const;
    // The pressed column's button as a drag image; sliceLeft is the button x of its left edge.
    HIMAGELIST CreateHeaderDragImage(int32_t& sliceLeft);
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
    // Content x where the text of a display row starts: the caption of a group row, the first
    // cell of a record row (also for no row).
    int32_t RowTextLeft(int32_t row) const;

    // --- assistive technology ---
    // Child id of a display row: the header items come first.
    LONG RowChild(int32_t row) const { return store.columnCount + row + 1; }
    // A WinEvent about the client object or one of its children; nothing without a window.
    void NotifyAccessible(DWORD event, LONG child);
    // The rows were rebuilt or reordered; with contentMoved the current row is announced
    // again even where its number stayed.
    void AnnounceReorder(bool contentMoved);
    // Selection, and focus while focused, when the current row is not the one last announced.
    void AnnounceCurrentRow();
    // The accessible object answers the disconnected error from now on.
    void DisconnectAccessible();
    // False, with the beep of refused input when events are frozen, where the user could not
    // act now: assistive technology acts under the same rules.
    bool AcceptsUserAction();
    // What a click on the header button of a position applies.
    void ClickHeader(int32_t position);
    // Width of a text in the list font, as a row draws it.
    int32_t LineWidth(const wchar_t* text) { return textMeasurer.LineWidth(text); }

    // --- mouse ---
    bool IsOverPressedItem(int32_t x, int32_t y);
    // Marks the column edge nearest to window x as the drop place; true when it moved.
    bool NearestColumnEdge(int32_t x);
    // The labels of the levels the live grouping area shows, one a line.
    void GroupingColumnsText(TipText& text);

protected:
    // A message to the window, with the window as it was when the message came.
    struct WindowMessage {
        HWND window;
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        // What the default window procedure answers.
        LRESULT Default() const { return DefWindowProcA(window, message, wParam, lParam); }
    };
    // One handler a message, each answering it.
    LRESULT Dispatch(const WindowMessage& m);
    // A handler after which the default procedure runs too and answers.
    template <typename Handler>
    static LRESULT ThenDefault(const WindowMessage& m, Handler handler) {
        handler();
        return m.Default();
    }
    // The sound of refused input.
    virtual void Beep() { MessageBeep(0xFFFFFFFF); }

private:
    struct ScrollBarRequest {
        bool made;
        int32_t maximum, page, position;
    };
    ScrollBarRequest horizontalBar{}, verticalBar{};
    // Texts measured as the list font draws them. Its context lives with the engine: making
    // one costs far more than a hit test may.
    FontTextMeasurer textMeasurer{listFont};
    void SetBar(int bar, ScrollBarRequest& last, int32_t maximum, int32_t page, int32_t position);
    // One pass of ScrollTo; a bar it sets may run a nested ScrollTo through WM_SIZE. False
    // when the bars shown afterwards are not those the pass planned with.
    bool ScrollOnce(int32_t x, int32_t y);
    int32_t scrollDepth = 0;
    bool barsReset = false; // a nested ScrollTo set the bars from the positions then stored

    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static bool RegisterEngineClass();

    void OnCreate();
    void OnDestroy();
    void OnSize();
    void OnSettingChange(WPARAM action, LPARAM area);
    // Drawing resources and layout for the window's DPI and the system's settings now.
    void ApplyDisplaySettings();
    // WM_HSCROLL (bar SB_HORZ) and WM_VSCROLL (SB_VERT).
    void OnScroll(int bar, WPARAM wParam);
    LRESULT OnEraseBackground(HDC dc);
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
    void OnLevelTipText(int32_t id, NMTTDISPINFOW* request);
    // False when the list is at its end in the wheel's direction: the host may scroll.
    bool OnMouseWheel(WPARAM wParam, bool sideways);
    WheelSteps wheelRows, wheelColumns;
    int32_t LastScrollPosition(int bar) const;
    void OnSetFocus();
    void OnKillFocus();
    void OnKeyDown(WPARAM key, LPARAM lParam);
    LRESULT OnGetObject(const WindowMessage& m);
    LRESULT OnReflected(const WindowMessage& m);
    LRESULT OnNotifyFormat(const WindowMessage& m);
    LRESULT OnNotify(const WindowMessage& m);
    ComRef<AccessibleView> accessibleObject; // made at the first request, gone with the window
    int32_t announcedRow = -1;               // -2: to be announced whatever it is
    void InvalidateAll(bool erase);
    void InvalidateCurrentRow();
    void FinishOrderChange();
    int32_t MeasureColumnTexts(int32_t position);
    void PaintRecordRow(HDC dc, int32_t visibleIndex, bool selected, bool focused, RECT* focusRect,
                        int32_t stripLeft, int32_t stripRight);
    void PaintGroupRow(HDC dc, int32_t level, int32_t visibleIndex, bool selected, bool focused,
                       RECT* focusRect);
};

// Reflected notifications (OCM_*): a container hands these back to the child, which answers
// them as it would the original message.
bool IsReflectedMessage(UINT message);
