#pragma once

// Where things lie in the control's window, worked out the way the control lays itself out:
// from the system metrics and the text metrics of the icon-title font it lists with. The
// scripted session aims its clicks with it; the demo sizes its columns with the same font.

#include <windows.h>

struct ViewGeometry {
    int headerHeight = 17;
    int rowHeight = 16;
    int indentWidth = 20;
    int levelButtonWidth = 20;
    int groupingMargin = 18;
    int splitterWidth = 6;
    int textMargin = 6;

    static ViewGeometry FromSystem();

    // Width of the grouping area with this many grouping levels.
    int GroupingAreaWidth(int levels) const;
    // Window x where the first column starts (nothing scrolled sideways).
    int ColumnsLeft(int levels) const { return GroupingAreaWidth(levels) + splitterWidth; }
    // Window y of the middle of a displayed row (counted from the top row shown).
    int RowMiddle(int visibleRow) const {
        return headerHeight + visibleRow * rowHeight + rowHeight / 2;
    }
    int HeaderMiddle() const { return headerHeight / 2; }
};

// The font the control lists with; the caller deletes it.
HFONT CreateListFont();
