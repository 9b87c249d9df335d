// The window's WM_KEYDOWN: ten keys move the current row, open and close groups, or with
// Ctrl scroll without moving the current row. Every key repeats by its repeat count.

#include "engine/keyboard.h"
#include "engine/view_engine.h"

#include <climits>

namespace {

// Repeat counts multiply steps; the product stays a row or pixel number however large.
int32_t Clamped(int64_t value) {
    if (value < INT_MIN)
        return INT_MIN;
    if (value > INT_MAX)
        return INT_MAX;
    return static_cast<int32_t>(value);
}

// A page moves by one row less than it shows (one row of the old page stays in view), and
// by at least one row when hardly a row fits.
int32_t PageStep(const ViewEngine& engine) {
    return engine.view.pageRows > 1 ? engine.view.pageRows - 1 : 1;
}

int32_t PageHeight(const ViewEngine& engine) {
    return engine.view.pageRows > 0 ? engine.view.pageRows : 1;
}

void SelectBy(ViewEngine& engine, int64_t delta) {
    engine.SelectRow(Clamped(engine.view.currentRow + delta));
}

void ScrollRowsBy(ViewEngine& engine, int64_t delta) {
    engine.ScrollTo(engine.view.scrollX, Clamped(engine.view.topRow + delta));
}

void ScrollSidewaysBy(ViewEngine& engine, int64_t delta) {
    engine.ScrollTo(Clamped(engine.view.scrollX + delta), engine.view.topRow);
}

// First to the top edge of the page, then a page at a time.
void PageUp(ViewEngine& engine, int32_t n) {
    const int32_t top = engine.view.topRow, current = engine.view.currentRow;
    if (n == 1 && top < current && current < top + engine.view.pageRows)
        engine.SelectRow(top);
    else
        SelectBy(engine, -int64_t{PageStep(engine)} * n);
}

// First to the bottom edge of the page, then a page at a time.
void PageDown(ViewEngine& engine, int32_t n) {
    const int32_t top = engine.view.topRow, current = engine.view.currentRow;
    if (n == 1 && top <= current && current < top + engine.view.pageRows - 1)
        engine.SelectRow(top + engine.view.pageRows - 1);
    else
        SelectBy(engine, int64_t{PageStep(engine)} * n);
}

// Left arrow: closes the open group under the current row, else selects the header of the
// group that holds the current row.
void GoToParent(ViewEngine& engine, int32_t) {
    RowCursor& cursor = engine.store.cursor;
    if (engine.store.groupLevelCount == 0 || !cursor.Seek(engine.view.currentRow))
        return;
    int32_t level = cursor.RowGroupLevel();
    if (level != -1 && cursor.node->expanded) {
        engine.CollapseRow(engine.view.currentRow);
        return;
    }
    if (level == 0)
        return;
    if (level == -1)
        level = engine.store.groupLevelCount;
    int32_t row = engine.view.currentRow;
    while (cursor.RowGroupLevel() == -1 || cursor.RowGroupLevel() > level - 1) {
        if (!cursor.Seek(--row))
            return;
    }
    engine.SelectRow(row);
}

// Right arrow: opens a closed group, or enters an open one at its first row.
void OpenOrEnterGroup(ViewEngine& engine, int32_t) {
    RowCursor& cursor = engine.store.cursor;
    if (!cursor.Seek(engine.view.currentRow) || cursor.RowGroupLevel() == -1)
        return;
    if (cursor.node->expanded)
        engine.SelectRow(engine.view.currentRow + 1);
    else
        engine.ExpandRow(engine.view.currentRow);
}

struct KeyAction {
    WPARAM key;
    void (*plain)(ViewEngine&, int32_t n);
    void (*withCtrl)(ViewEngine&, int32_t n);
};

const KeyAction keyActions[] = {
    {VK_UP, [](ViewEngine& e, int32_t n) { SelectBy(e, -int64_t{n}); },
     [](ViewEngine& e, int32_t n) { ScrollRowsBy(e, -int64_t{n}); }},
    {VK_DOWN, [](ViewEngine& e, int32_t n) { SelectBy(e, n); },
     [](ViewEngine& e, int32_t n) { ScrollRowsBy(e, n); }},
    {VK_PRIOR, PageUp,
     [](ViewEngine& e, int32_t n) { ScrollRowsBy(e, -int64_t{PageHeight(e)} * n); }},
    {VK_NEXT, PageDown,
     [](ViewEngine& e, int32_t n) { ScrollRowsBy(e, int64_t{PageHeight(e)} * n); }},
    {VK_HOME, [](ViewEngine& e, int32_t) { e.SelectRow(0); },
     [](ViewEngine& e, int32_t) { e.ScrollTo(e.view.scrollX, 0); }},
    {VK_END, [](ViewEngine& e, int32_t) { e.SelectRow(e.DisplayedRows() - 1); },
     [](ViewEngine& e, int32_t) { e.ScrollTo(e.view.scrollX, e.DisplayedRows()); }},
    {VK_LEFT, GoToParent,
     [](ViewEngine& e, int32_t n) { ScrollSidewaysBy(e, -int64_t{e.indentWidth} * n); }},
    {VK_RIGHT, OpenOrEnterGroup,
     [](ViewEngine& e, int32_t n) { ScrollSidewaysBy(e, int64_t{e.indentWidth} * n); }},
    {VK_ADD, [](ViewEngine& e, int32_t) { e.ExpandRow(e.view.currentRow); },
     [](ViewEngine& e, int32_t) { e.ExpandRow(e.view.currentRow); }},
    {VK_SUBTRACT, [](ViewEngine& e, int32_t) { e.CollapseRow(e.view.currentRow); },
     [](ViewEngine& e, int32_t) { e.CollapseRow(e.view.currentRow); }},
};

} // namespace

void ViewEngine::OnKeyDown(WPARAM key, LPARAM lParam) {
    if (InputRefused())
        return;
    const int32_t n = LOWORD(lParam);
    const bool ctrl = GetKeyState(VK_CONTROL) < 0;
    for (const KeyAction& action : keyActions)
        if (action.key == key) {
            (ctrl ? action.withCtrl : action.plain)(*this, n);
            return;
        }
}
