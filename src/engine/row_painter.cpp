#include "engine/view_engine.h"

#include "render/gdi_handles.h"
#include "render/text_alignment.h"

// The rows under the header: each composed in one strip buffer, one row tall, addressed in
// content x and row-relative y, then copied to the window. Rows past the end are blank strips.

namespace {
// "(count)" without the C runtime's formatting.
const wchar_t* CountText(int32_t count, wchar_t (&buffer)[16]) {
    wchar_t* p = buffer + 16;
    *--p = L'\0';
    *--p = L')';
    uint32_t value = count < 0 ? 0u - static_cast<uint32_t>(count) : static_cast<uint32_t>(count);
    do {
        *--p = static_cast<wchar_t>(L'0' + value % 10);
        value /= 10;
    } while (value);
    if (count < 0)
        *--p = L'-';
    *--p = L'(';
    return p;
}

void FillWithColour(HDC dc, RECT rect, int colour) {
    FillRect(dc, &rect, GetSysColorBrush(colour));
}
} // namespace

void ViewEngine::PaintRows(HDC paintDc, const RECT& update) {
    const ViewState& view = this->view; // painting only reads the view state
    const int32_t width = update.right - update.left;
    if (width <= 0)
        return;
    const int32_t first = (update.top > headerHeight ? update.top - headerHeight : 0) / rowHeight;
    const int32_t last =
        (update.bottom > headerHeight ? update.bottom - headerHeight : 0) / rowHeight;

    OwnedDc memory(CreateCompatibleDC(paintDc));
    GdiObject strip(CreateCompatibleBitmap(paintDc, width, rowHeight));
    if (!memory || !strip.Get())
        return;
    HDC dc = memory.Get();
    memory.SelectBitmap(strip.Get());
    SetWindowOrgEx(dc, view.scrollX + update.left, 0, nullptr);
    SetBkMode(dc, TRANSPARENT);
    memory.SelectFont(listFont);
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    const int32_t stripLeft = view.scrollX + update.left;
    const int32_t stripRight = view.scrollX + update.right;

    for (int32_t v = first; v <= last; ++v) {
        const int32_t row = view.topRow + v;
        const bool selected = row == view.currentRow;
        const bool focused = selected && view.hasFocus && view.trackMode != TrackSplitterDrag;
        FillWithColour(dc, RECT{0, 0, view.scrollX + update.right, rowHeight}, COLOR_WINDOW);
        RECT focusRect{};
        bool showFocus = false;
        if (store.cursor.Seek(row)) {
            const int32_t level = store.cursor.RowGroupLevel();
            if (level == -1)
                PaintRecordRow(dc, v, selected, focused, &focusRect, stripLeft, stripRight);
            else
                PaintGroupRow(dc, level, v, selected, focused, &focusRect);
            showFocus = focused;
        }
        const int32_t top = headerHeight + v * rowHeight;
        BitBlt(paintDc, update.left, top, width, rowHeight, dc, view.scrollX + update.left, 0,
               SRCCOPY);
        if (showFocus)
            DrawFocusRect(paintDc, &focusRect);
    }
}

void ViewEngine::PaintRecordRow(HDC dc, int32_t visibleIndex, bool selected, bool focused,
                                RECT* focusRect, int32_t stripLeft, int32_t stripRight) {
    const ViewState& view = this->view; // painting only reads the view state
    RowCursor& cursor = store.cursor;
    for (int32_t j = 1; j < store.groupLevelCount; ++j)
        if (cursor.HasFollowingSibling(j + 1))
            DrawLineGlyph(dc, j * indentWidth, 0);

    const int32_t x0 = layout.ColumnsLeft(false);
    const int32_t top = headerHeight + visibleIndex * rowHeight;
    if (focused)
        *focusRect =
            RECT{x0 - view.scrollX, top, view.contentWidth - view.scrollX, top + rowHeight};
    if (selected) {
        FillWithColour(dc, RECT{x0, 0, view.contentWidth, rowHeight},
                       focused ? COLOR_HIGHLIGHT : COLOR_BTNFACE);
        SetTextColor(dc, GetSysColor(focused ? COLOR_HIGHLIGHTTEXT : COLOR_BTNTEXT));
    }

    // Only the cells that reach into the strip are drawn; the others would be clipped whole.
    int32_t x = x0;
    for (int32_t p = 0; p < store.columnCount && x < stripRight; ++p) {
        const int32_t extent = layout.ColumnExtent(p, true);
        RECT cell{x + textMargin, 0, x + extent - textMargin, rowHeight};
        x += extent;
        if (x < stripLeft || cell.left >= cell.right)
            continue;
        const UINT flags =
            AlignmentFlag(store.AlignAt(p)) | DT_END_ELLIPSIS | singleDataLine | DT_VCENTER;
        DrawTextW(dc, cursor.CellText(p), -1, &cell, flags);
    }
    if (selected)
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
}

void ViewEngine::PaintGroupRow(HDC dc, int32_t level, int32_t visibleIndex, bool selected,
                               bool focused, RECT* focusRect) {
    const ViewState& view = this->view; // painting only reads the view state
    RowCursor& cursor = store.cursor;
    for (int32_t j = 1; j < level; ++j)
        if (cursor.HasFollowingSibling(j + 1))
            DrawLineGlyph(dc, j * indentWidth, 0);
    DrawFolderGlyph(dc, (level + 1) * indentWidth, 0, selected);
    DrawBoxGlyph(dc, level * indentWidth, 0, cursor.node->expanded != 0, level,
                 level != 0 && cursor.HasFollowingSibling(level + 1));

    const wchar_t* caption = cursor.GroupCaption();
    RECT text{(level + 2) * indentWidth, 0, view.contentWidth, rowHeight};
    DrawTextW(dc, caption, -1, &text, DT_NOCLIP | singleDataLine | DT_VCENTER);
    DrawTextW(dc, caption, -1, &text, DT_NOCLIP | singleDataLine | DT_VCENTER | DT_CALCRECT);
    const int32_t captionWidth = text.right - text.left;

    if (focused) {
        const int32_t left = text.left - edgeX - view.scrollX;
        const int32_t top = headerHeight + visibleIndex * rowHeight;
        *focusRect = RECT{left, top, left + captionWidth + 2 * edgeX + 1, top + rowHeight};
    }

    wchar_t buffer[16];
    const int32_t countX = text.right + 2 * edgeX;
    RECT count{countX, 0, countX, rowHeight};
    SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
    DrawTextW(dc, CountText(cursor.node->count, buffer), -1, &count,
              DT_NOCLIP | DT_SINGLELINE | DT_VCENTER);
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
}
