#pragma once

#include <windows.h>
#include <oleauto.h>

// Whether a by-reference variant refers to nothing: its pointer is null, or it refers to a
// variant that is itself a reference to nothing or to a further variant. The runtime follows
// such references unchecked and would read address 0.
inline bool RefersToNothing(const VARIANT& value) {
    const VARIANT* at = &value;
    for (int depth = 0; at->vt & VT_BYREF; ++depth) {
        if (!at->byref)
            return true;
        if (at->vt != (VT_BYREF | VT_VARIANT))
            return false;
        if (depth == 1)
            return true;
        at = at->pvarVal;
    }
    return false;
}
