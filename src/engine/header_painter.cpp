#include "engine/view_engine.h"

#include "render/gdi_handles.h"
#include "render/text_alignment.h"

// The header strip: grouping area with its level buttons, splitter, one button per column,
// filler and the drop marker, composed in one buffer addressed in content x.

namespace {
HBITMAP CreateCheckerPattern() {
    static const WORD rows[8] = {0xAAAA, 0x5555, 0xAAAA, 0x5555, 0xAAAA, 0x5555, 0xAAAA, 0x5555};
    return CreateBitmap(16, 8, 1, 1, rows);
}

void Edge(HDC dc, RECT rect, UINT edge, UINT flags) {
    DrawEdge(dc, &rect, edge, flags);
}
} // namespace

bool ViewEngine::ButtonShownPressed(ButtonKind kind, int32_t index) const {
    if (view.trackMode != TrackPress && view.trackMode != TrackColumnDrag)
        return false;
    if (!view.pressedLook || view.pressIndex != index)
        return false;
    return view.pressHit == (kind == LevelButton ? HitLevelButton : HitHeader);
}

void ViewEngine::PaintHeader(HDC paintDc, const RECT& update) {
    const ViewState& view = this->view; // painting only reads the view state
    const int32_t width = update.right - update.left;
    if (width <= 0 || update.top > headerHeight)
        return;
    OwnedDc memory(CreateCompatibleDC(paintDc));
    GdiObject bitmap(CreateCompatibleBitmap(paintDc, width, headerHeight));
    if (!memory || !bitmap.Get())
        return;
    HDC dc = memory.Get();
    memory.SelectBitmap(bitmap.Get());
    SetWindowOrgEx(dc, update.left + view.scrollX, 0, nullptr);
    memory.SelectFont(listFont);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    SetBkMode(dc, TRANSPARENT);
    const int32_t visibleLeft = update.left + view.scrollX;
    const int32_t visibleRight = update.right + view.scrollX;

    const RECT area = layout.GroupingAreaRect();
    Edge(dc, area, BDR_RAISEDINNER, BF_BOTTOM | BF_MIDDLE);
    if (layout.GroupingAreaWidth(true) < layout.MaxGroupingAreaWidth())
        DrawMoreLevelsMark(dc, area);
    const int32_t levels = layout.VisibleLevelCount();
    for (int32_t i = 0; i < levels; ++i)
        DrawHeaderButton(dc, nullptr, layout.LevelButtonRect(i), LevelButton, i, false);

    const RECT splitter = layout.SplitterRect();
    Edge(dc, splitter, EDGE_RAISED, BF_RECT | BF_SOFT | BF_MIDDLE);
    int32_t x = splitter.right;
    Edge(dc, RECT{x, 0, visibleRight, headerHeight}, EDGE_RAISED,
         BF_TOP | BF_BOTTOM | BF_SOFT | BF_MIDDLE);

    int32_t dropX = x;
    for (int32_t p = 0; p < store.columnCount; ++p) {
        const RECT button = layout.ColumnHeaderRect(p, x);
        // Buttons outside the buffer would be clipped away whole.
        if (button.right >= visibleLeft && button.left < visibleRight)
            DrawHeaderButton(dc, nullptr, button, ColumnButton, p, false);
        if (view.dropIndex == p)
            dropX = button.left;
        if (view.dropIndex == p + 1)
            dropX = button.right;
    }
    Edge(dc, RECT{x, 0, visibleRight, headerHeight}, EDGE_RAISED,
         BF_LEFT | BF_TOP | BF_BOTTOM | BF_SOFT);

    if (view.trackMode == TrackColumnDrag) {
        RECT marker{dropX - markerHalf, 0, dropX + markerHalf, headerHeight};
        FillRect(dc, &marker, markBrush);
    }

    BitBlt(paintDc, update.left, update.top, width, headerHeight - update.top, dc, visibleLeft,
           update.top, SRCCOPY);
}

void ViewEngine::DrawHeaderButton(HDC dc, HDC mask, const RECT& rect, ButtonKind kind,
                                  int32_t index, bool asDragImage) {
    if (asDragImage)
        FillRect(dc, &rect, GetSysColorBrush(COLOR_BTNSHADOW));
    if (mask) {
        // Half the pixels of the drag image show through, inside an opaque border.
        GdiObject pattern(CreateCheckerPattern());
        GdiObject brush(pattern.Get() ? CreatePatternBrush(static_cast<HBITMAP>(pattern.Get()))
                                      : nullptr);
        if (brush.Get())
            FillRect(mask, &rect, static_cast<HBRUSH>(brush.Get()));
        RECT border = rect;
        InflateRect(&border, -borderX, -borderY);
        FrameRect(mask, &border, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    }

    const bool pressed = ButtonShownPressed(kind, index);
    RECT text = rect;
    if (pressed)
        OffsetRect(&text, borderX, borderY);
    if (!asDragImage && rect.right - rect.left > minEdgeWidth) {
        RECT edge = rect;
        DrawEdge(dc, &edge, EDGE_RAISED, BF_RECT | BF_SOFT | (pressed ? BF_FLAT : 0));
    }

    const bool known = index >= 0 && index < store.columnCount;
    int32_t rightInset = textMargin;
    if (kind == LevelButton || index == store.sortPosition) {
        if (known) {
            const int32_t column = store.columnOrder[index];
            const bool ascending = (kind == LevelButton ? store.groupAscending[column]
                                                        : store.sortAscending[column]) != 0;
            DrawSortMark(dc, text, ascending, asDragImage);
            if (mask)
                DrawSortMark(mask, text, ascending, asDragImage);
        }
        rightInset = sortMarkMargin;
    }
    text.left += textMargin;
    text.right -= rightInset;

    if (kind != ColumnButton || text.left >= text.right)
        return;
    const wchar_t* label = store.LabelAt(index);
    if (!*label)
        return;
    const UINT flags =
        AlignmentFlag(store.AlignAt(index)) | DT_END_ELLIPSIS | singleDataLine | DT_VCENTER;
    DrawTextW(dc, label, -1, &text, flags);
    if (mask)
        DrawTextW(mask, label, -1, &text, flags);
}

HIMAGELIST ViewEngine::CreateHeaderDragImage(int32_t& sliceLeft) {
    const ViewState& view = this->view; // painting only reads the view state
    // No wider than the screen: a column may be far wider than anything that could show it,
    // and the image would cost its full width in memory. Such a column gives the slice around
    // the press, so that the pointer still holds the image where it grabbed the button.
    const int32_t screen = GetSystemMetrics(SM_CXVIRTUALSCREEN);
    const int32_t extent = layout.ColumnExtent(view.pressIndex, true);
    const int32_t width = screen > 0 && extent > screen ? screen : extent;
    if (width <= 0 || headerHeight <= 0)
        return nullptr;
    sliceLeft = view.pressOffset - width / 2;
    if (sliceLeft > extent - width)
        sliceLeft = extent - width;
    if (sliceLeft < 0)
        sliceLeft = 0;
    const RECT rect{0, 0, width, headerHeight};
    // The button in the image's pixels, cut to a width beyond each side that keeps the
    // drawing coordinates small.
    const RECT button{sliceLeft > width ? -width : -sliceLeft, 0,
                      extent - sliceLeft > 2 * width ? 2 * width : extent - sliceLeft,
                      headerHeight};
    OwnedDc info(CreateDisplayInfoDc());
    if (!info)
        return nullptr;
    GdiObject image(CreateCompatibleBitmap(info.Get(), width, headerHeight));
    GdiObject maskBits(CreateBitmap(width, headerHeight, 1, 1, nullptr));
    if (!image.Get() || !maskBits.Get())
        return nullptr;

    bool opaque = GetDeviceCaps(info.Get(), BITSPIXEL) >= 9;
    if (opaque) {
        HMODULE common = LoadLibraryA("comctl32.dll");
        if (common) {
            opaque = GetProcAddress(common, "DllGetVersion") != nullptr;
            FreeLibrary(common);
        }
    }
    {
        OwnedDc memory(CreateCompatibleDC(info.Get()));
        OwnedDc mask(CreateCompatibleDC(info.Get()));
        if (!memory || !mask)
            return nullptr;
        memory.SelectBitmap(image.Get());
        memory.SelectFont(listFont);
        SetBkMode(memory.Get(), TRANSPARENT);
        SetTextColor(memory.Get(), GetSysColor(COLOR_BTNTEXT));
        mask.SelectBitmap(maskBits.Get());
        if (opaque) {
            FillRect(mask.Get(), &rect, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
            DrawHeaderButton(memory.Get(), nullptr, button, ColumnButton, view.pressIndex, true);
        } else {
            mask.SelectFont(listFont);
            SetBkMode(mask.Get(), TRANSPARENT);
            DrawHeaderButton(memory.Get(), mask.Get(), button, ColumnButton, view.pressIndex, true);
        }
    }
    HIMAGELIST list = ImageList_Create(width, headerHeight, ILC_MASK | ILC_COLORDDB, 1, 0);
    if (list && ImageList_Add(list, static_cast<HBITMAP>(image.Get()),
                              static_cast<HBITMAP>(maskBits.Get())) < 0) {
        ImageList_Destroy(list);
        list = nullptr;
    }
    return list;
}
