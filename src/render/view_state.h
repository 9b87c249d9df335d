#pragma once

#include "render/track_state.h"

#include <windows.h>
#include <commctrl.h>

#include <cstdint>

// Everything the window shows besides the data: the current row, the scroll position, the
// client size, the focus and the mouse-tracking state. The window object owns it and changes
// it; painting and the layout only read it. Rows are display rows, positions display
// positions; -1 means none.
struct ViewState {
    // Current row and selection.
    int32_t currentRow = -1;
    int32_t selectedRecord = -1; // record of the current row as the host sees it

    // Scrolling and size.
    int32_t topRow = 0;   // display row shown first under the header
    int32_t scrollX = 0;  // content x = window x + scrollX
    int32_t pageRows = 0; // whole rows that fit under the header
    int32_t clientWidth = 0, clientHeight = 0;
    int32_t contentWidth = 0; // grouping area, splitter and every column

    int32_t hasFocus = 0;

    // Header tracking. The press fields keep the last press until the next one.
    int32_t trackMode = TrackNone;
    int32_t pressX = 0; // content x
    int32_t pressY = 0; // window y
    int32_t pressHit = HitNone;
    int32_t pressIndex = -1;
    int32_t pressOffset = 0; // x of the press inside the pressed header item
    int32_t pressedLook = 0;
    int32_t dropIndex = -1; // column edge marked during a column drag: 0 .. columnCount
    int32_t liveSize = 0;   // width of the column being resized or of the dragged grouping area
    int32_t rememberedLevels = 1;   // last non-zero level count a splitter drag set
    HIMAGELIST dragImage = nullptr; // owned by the engine from drag start to capture loss
};
