#pragma once

#include <windows.h>
#include <oleauto.h>

#include <cstdint>

class ViewEngine;

// What a child id of the control's accessible object stands for.
struct AccessibleItem {
    enum Kind { Missing, Self, Header, GroupRow, RecordRow };
    Kind kind = Missing;
    int32_t index = -1; // display position of a header item, display row of a row
    int32_t level = -1; // level of a group row
};

// The children the control shows to assistive technology: ids 1..C are the header items in
// display order, C+1..C+D the displayed rows in walk order, CHILDID_SELF the list itself.
// Everything is answered from the store, the layout and the view state as they are now;
// nothing is kept per child, and a row costs one seek of the row cursor.
class AccessibleItems {
public:
    explicit AccessibleItems(ViewEngine& engine) : engine(engine) {}

    static constexpr LONG noChild = -1;

    LONG Count() const;
    AccessibleItem Find(LONG child) const;

    LONG Role(const AccessibleItem& item) const;
    LONG State(const AccessibleItem& item) const;
    // Null when the item has none; the caller frees the string.
    BSTR Name(const AccessibleItem& item) const;
    BSTR Description(const AccessibleItem& item) const;
    BSTR Value(const AccessibleItem& item) const;
    const wchar_t* DefaultAction(const AccessibleItem& item) const;

    // In screen coordinates. An item scrolled out of view lies outside the client area.
    RECT Location(const AccessibleItem& item) const;
    // A client point inside a row, where a click on it would land.
    POINT ClickPoint(int32_t row) const;
    // The child under a screen point; CHILDID_SELF on the window but on no child, noChild
    // off the window.
    LONG ChildAt(POINT screen) const;
    // noChild where the direction leads nowhere; false for a direction not known.
    bool Navigate(const AccessibleItem& from, LONG direction, LONG& to) const;

private:
    // The row cursor on a row item's row, for what the row shows.
    bool SeekRow(const AccessibleItem& item) const;
    // Client rectangle, unclipped.
    RECT ClientRect(const AccessibleItem& item) const;
    RECT HeaderRect(int32_t position) const;
    bool RowShown(int32_t row) const;
    // The record name column and the first described one.
    int32_t NameColumn() const;

    ViewEngine& engine;
};
