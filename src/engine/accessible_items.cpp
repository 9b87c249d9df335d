#include "engine/accessible_items.h"

#include "engine/accessible_text.h"
#include "engine/view_engine.h"

#include <oleacc.h>

namespace {

const wchar_t collapseAction[] = L"Collapse";
const wchar_t expandAction[] = L"Expand";
const wchar_t doubleClickAction[] = L"Double Click";
const wchar_t clickAction[] = L"Click";
const wchar_t sortedAscending[] = L"sorted ascending";
const wchar_t sortedDescending[] = L"sorted descending";

// Far rows lie far outside the window, yet within a rectangle's coordinates.
LONG Clamped(int64_t value) {
    return static_cast<LONG>(value < INT32_MIN ? INT32_MIN : value > INT32_MAX ? INT32_MAX : value);
}

} // namespace

LONG AccessibleItems::Count() const {
    // A list without columns shows nothing but its placeholder.
    if (engine.store.columnCount == 0)
        return 0;
    return engine.store.columnCount + engine.DisplayedRows();
}

AccessibleItem AccessibleItems::Find(LONG child) const {
    AccessibleItem item;
    const int32_t columns = engine.store.columnCount;
    if (child == CHILDID_SELF) {
        item.kind = AccessibleItem::Self;
    } else if (child > 0 && child <= columns) {
        item.kind = AccessibleItem::Header;
        item.index = child - 1;
    } else if (child > columns && child <= Count()) {
        item.index = child - columns - 1;
        RowCursor& cursor = engine.store.cursor;
        if (cursor.Seek(item.index)) {
            item.level = cursor.RowGroupLevel();
            item.kind = item.level >= 0 ? AccessibleItem::GroupRow : AccessibleItem::RecordRow;
        }
    }
    return item;
}

bool AccessibleItems::SeekRow(const AccessibleItem& item) const {
    return (item.kind == AccessibleItem::GroupRow || item.kind == AccessibleItem::RecordRow) &&
           engine.store.cursor.Seek(item.index);
}

int32_t AccessibleItems::NameColumn() const {
    const int32_t levels = engine.store.groupLevelCount;
    return levels < engine.store.columnCount ? levels : 0;
}

LONG AccessibleItems::Role(const AccessibleItem& item) const {
    const bool grouped = engine.store.groupLevelCount > 0;
    switch (item.kind) {
    case AccessibleItem::Self:
        return grouped ? ROLE_SYSTEM_OUTLINE : ROLE_SYSTEM_LIST;
    case AccessibleItem::Header:
        return ROLE_SYSTEM_COLUMNHEADER;
    case AccessibleItem::GroupRow:
        return ROLE_SYSTEM_OUTLINEITEM;
    case AccessibleItem::RecordRow:
        return grouped ? ROLE_SYSTEM_OUTLINEITEM : ROLE_SYSTEM_LISTITEM;
    default:
        return 0;
    }
}

bool AccessibleItems::RowShown(int32_t row) const {
    const int64_t visible = int64_t{row} - engine.view.topRow;
    return visible >= 0 &&
           engine.headerHeight + visible * engine.rowHeight < engine.view.clientHeight;
}

LONG AccessibleItems::State(const AccessibleItem& item) const {
    const ViewState& view = engine.view;
    LONG state = engine.hwnd && !IsWindowEnabled(engine.hwnd) ? STATE_SYSTEM_UNAVAILABLE : 0;
    switch (item.kind) {
    case AccessibleItem::Self:
        return state | STATE_SYSTEM_FOCUSABLE | (view.hasFocus ? STATE_SYSTEM_FOCUSED : 0);
    case AccessibleItem::Header: {
        const RECT rect = HeaderRect(item.index);
        if (rect.right <= 0 || rect.left >= view.clientWidth)
            state |= STATE_SYSTEM_OFFSCREEN;
        return state;
    }
    default:
        break;
    }
    state |= STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_SELECTABLE;
    if (item.kind == AccessibleItem::GroupRow && SeekRow(item))
        state |=
            engine.store.cursor.node->expanded ? STATE_SYSTEM_EXPANDED : STATE_SYSTEM_COLLAPSED;
    if (item.index == view.currentRow)
        state |= STATE_SYSTEM_SELECTED | (view.hasFocus ? STATE_SYSTEM_FOCUSED : 0);
    if (!RowShown(item.index))
        state |= STATE_SYSTEM_OFFSCREEN;
    return state;
}

BSTR AccessibleItems::Name(const AccessibleItem& item) const {
    AccessibleText name;
    switch (item.kind) {
    case AccessibleItem::Self:
        return engine.DisplayName();
    case AccessibleItem::Header:
        name.Append(engine.store.LabelAt(item.index));
        break;
    case AccessibleItem::GroupRow:
        if (!SeekRow(item))
            return nullptr;
        name.Append(engine.store.cursor.GroupCaption());
        break;
    case AccessibleItem::RecordRow:
        if (!SeekRow(item))
            return nullptr;
        name.Append(engine.store.cursor.CellText(NameColumn()));
        break;
    default:
        return nullptr;
    }
    return name.Take();
}

BSTR AccessibleItems::Description(const AccessibleItem& item) const {
    RecordStore& store = engine.store;
    AccessibleText text;
    if (item.kind == AccessibleItem::Header) {
        if (item.index != store.sortPosition)
            return nullptr;
        text.Append(store.sortAscending[store.columnOrder[item.index]] ? sortedAscending
                                                                       : sortedDescending);
    } else if (item.kind == AccessibleItem::GroupRow && SeekRow(item)) {
        const int32_t count = store.cursor.node->count;
        text.Append(store.LabelAt(item.level)).Append(L", ").AppendNumber(count);
        text.Append(count == 1 ? L" record" : L" records");
    } else if (item.kind == AccessibleItem::RecordRow && SeekRow(item)) {
        // The other shown columns as "Label: text", in display order.
        const int32_t first =
            store.groupLevelCount < store.columnCount ? NameColumn() + 1 : store.columnCount;
        for (int32_t position = first; position < store.columnCount; ++position) {
            if (!text.Empty())
                text.Append(L", ");
            const wchar_t* label = store.LabelAt(position);
            if (label && *label)
                text.Append(label).Append(L": ");
            text.Append(store.cursor.CellText(position));
        }
        if (text.Empty())
            return nullptr;
    } else {
        return nullptr;
    }
    return text.Take();
}

BSTR AccessibleItems::Value(const AccessibleItem& item) const {
    // Screen readers read the level of a tree item from its value.
    const int32_t levels = engine.store.groupLevelCount;
    AccessibleText text;
    if (item.kind == AccessibleItem::GroupRow)
        text.AppendNumber(item.level);
    else if (item.kind == AccessibleItem::RecordRow && levels > 0)
        text.AppendNumber(levels);
    else
        return nullptr;
    return text.Take();
}

const wchar_t* AccessibleItems::DefaultAction(const AccessibleItem& item) const {
    switch (item.kind) {
    case AccessibleItem::Header:
        return clickAction;
    case AccessibleItem::GroupRow:
        if (!SeekRow(item))
            return nullptr;
        return engine.store.cursor.node->expanded ? collapseAction : expandAction;
    case AccessibleItem::RecordRow:
        return doubleClickAction;
    default:
        return nullptr;
    }
}

RECT AccessibleItems::HeaderRect(int32_t position) const {
    const Layout& layout = engine.layout;
    int32_t x = layout.ColumnsLeft(true);
    RECT rect{};
    for (int32_t p = 0; p <= position; ++p)
        rect = layout.ColumnHeaderRect(p, x);
    OffsetRect(&rect, -engine.view.scrollX, 0);
    return rect;
}

// The extent the row paints and the mouse hits: the cells of a record row, the glyphs and
// caption of a group row.
RECT AccessibleItems::ClientRect(const AccessibleItem& item) const {
    const ViewState& view = engine.view;
    if (item.kind == AccessibleItem::Header)
        return HeaderRect(item.index);
    RECT rect{};
    if (!SeekRow(item))
        return rect;
    const int64_t top =
        engine.headerHeight + (int64_t{item.index} - view.topRow) * engine.rowHeight;
    rect.top = Clamped(top);
    rect.bottom = Clamped(top + engine.rowHeight);
    if (item.kind == AccessibleItem::RecordRow) {
        rect.left = engine.layout.ColumnsLeft(true);
        rect.right = view.contentWidth;
    } else {
        const int32_t indent = engine.indentWidth;
        rect.left = item.level * indent;
        rect.right = (item.level + 2) * indent + engine.edgeX +
                     engine.LineWidth(engine.store.cursor.GroupCaption());
    }
    OffsetRect(&rect, -view.scrollX, 0);
    return rect;
}

RECT AccessibleItems::Location(const AccessibleItem& item) const {
    RECT rect{};
    if (item.kind == AccessibleItem::Self) {
        GetWindowRect(engine.hwnd, &rect);
        return rect;
    }
    rect = ClientRect(item);
    MapWindowPoints(engine.hwnd, nullptr, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

POINT AccessibleItems::ClickPoint(int32_t row) const {
    AccessibleItem item = Find(engine.RowChild(row));
    const RECT rect = ClientRect(item);
    POINT point{rect.left > 0 ? rect.left : 0, (rect.top + rect.bottom) / 2};
    if (point.x >= engine.view.clientWidth)
        point.x = engine.view.clientWidth > 0 ? engine.view.clientWidth - 1 : 0;
    return point;
}

LONG AccessibleItems::ChildAt(POINT screen) const {
    RECT window;
    if (!GetWindowRect(engine.hwnd, &window) || !PtInRect(&window, screen))
        return noChild;
    POINT point = screen;
    ScreenToClient(engine.hwnd, &point);
    const ViewState& view = engine.view;
    if (point.x < 0 || point.y < 0 || point.x >= view.clientWidth || point.y >= view.clientHeight ||
        Count() == 0)
        return CHILDID_SELF;
    if (point.y < engine.headerHeight) {
        for (int32_t p = 0; p < engine.store.columnCount; ++p) {
            const RECT rect = HeaderRect(p);
            if (PtInRect(&rect, point))
                return p + 1;
        }
        return CHILDID_SELF;
    }
    int32_t row = -1;
    switch (engine.HitTest(point.x, point.y, &row, nullptr)) {
    case HitRecord:
    case HitGroupGlyph:
    case HitGroupCaption: {
        // The mouse takes a row up to its right edge too; a reader is told of the row only
        // inside the rectangle it reads for it.
        const LONG child = engine.RowChild(row);
        const RECT rect = ClientRect(Find(child));
        return PtInRect(&rect, point) ? child : CHILDID_SELF;
    }
    default:
        return CHILDID_SELF;
    }
}

bool AccessibleItems::Navigate(const AccessibleItem& from, LONG direction, LONG& to) const {
    const LONG count = Count(), columns = engine.store.columnCount;
    const LONG child = from.kind == AccessibleItem::Self     ? CHILDID_SELF
                       : from.kind == AccessibleItem::Header ? from.index + 1
                                                             : engine.RowChild(from.index);
    const bool isRow = child > columns;
    LONG next = noChild;
    switch (direction) {
    case NAVDIR_FIRSTCHILD:
    case NAVDIR_LASTCHILD:
        if (child == CHILDID_SELF && count > 0)
            next = direction == NAVDIR_FIRSTCHILD ? 1 : count;
        break;
    case NAVDIR_NEXT:
    case NAVDIR_PREVIOUS:
        if (child != CHILDID_SELF)
            next = child + (direction == NAVDIR_NEXT ? 1 : -1);
        break;
    case NAVDIR_DOWN:
        // From the header into the first row shown, down the rows.
        if (isRow)
            next = child + 1;
        else if (child != CHILDID_SELF && count > columns)
            next = engine.RowChild(engine.view.topRow);
        break;
    case NAVDIR_UP:
        if (isRow && child - 1 > columns)
            next = child - 1;
        break;
    case NAVDIR_LEFT:
    case NAVDIR_RIGHT:
        if (child != CHILDID_SELF && !isRow)
            next = child + (direction == NAVDIR_RIGHT ? 1 : -1);
        if (next > columns)
            next = noChild;
        break;
    default:
        return false;
    }
    to = next >= 1 && next <= count ? next : noChild;
    return true;
}
