#pragma once

// A short scripted session that works the control as a user would, with mouse and key
// messages sent to its window: group by two columns, sort, open a group, select a record and
// double-click it.

#include "norv_h.h"

#include <oleacc.h>
#include "session_plan.h"
#include "view_geometry.h"

#include <functional>
#include <string>
#include <vector>

struct StepOutcome {
    std::string name;
    bool tookEffect = false;
};

class DemoSession {
public:
    // pump runs the host's message loop until its queue is empty, so that posted keys take
    // the container's accelerator road; doubleClicks counts the OnItemDblClick events so far.
    DemoSession(HWND control, _View* view, std::function<void()> pump,
                std::function<int()> doubleClicks);

    std::vector<StepOutcome> Run(const SessionPlan& plan);

private:
    bool GroupLevels(int levels);
    bool MoveToGroupingEdge(LONG column);
    // Clicks the header and asks the accessible object that the column is sorted that way.
    bool SortBy(LONG column, bool ascending);
    bool ClickGlyph(int row, int level);
    bool ClickCaption(int row, int level);
    bool ClickRecord(int row);
    bool DoubleClickSelected();
    bool PressKey(UINT key);

    // Header geometry from the session's own record of the column order, in content x.
    int DisplayPosition(LONG column) const;
    int HeaderLeft(int position) const;
    int Width(LONG column) const;
    // Scrolls sideways, as the scroll bar does, so that content x lies in the window; returns
    // the scroll position now.
    int ScrollToShow(int left, int right);
    int ScrollTo(int x);
    int ClientWidth() const;
    // The control's accessible object (the caller releases it) and a header's description.
    IAccessible* Accessible() const;
    std::wstring HeaderDescription(int position) const;

    void Press(int x, int y);
    void MoveTo(int x, int y);
    void Release(int x, int y);
    void Click(int x, int y);
    // Whether the control looks different after the action.
    bool Changes(const std::function<void()>& action);
    void Settle();

    HWND control;
    _View* view;
    std::function<void()> pump;
    std::function<int()> doubleClicks;
    ViewGeometry geometry;
    std::vector<LONG> order; // display position -> column index, as the session believes it
    int levels = 0;
};
