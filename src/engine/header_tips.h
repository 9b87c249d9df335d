#pragma once

#include <windows.h>

// Tooltips of the grouping-level buttons. The tooltip window itself arrives with the
// interaction work; until then this object creates nothing and every call does nothing, as
// the control behaves when the tooltip window could not be created.
class HeaderTips {
public:
    bool Create(HWND owner) {
        ownerWindow = owner;
        return false;
    }
    bool Destroy() {
        ownerWindow = nullptr;
        return true;
    }
    void MoveLevelTools(int scrollX) { (void)scrollX; }

    HWND ownerWindow = nullptr;
    HWND tipWindow = nullptr;
};
