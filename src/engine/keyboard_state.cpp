#include "engine/keyboard.h"

namespace {

bool KeyIsDown(int virtualKey) {
    return GetKeyState(virtualKey) < 0;
}

} // namespace

int32_t KeyboardShiftState() {
    return (KeyIsDown(VK_SHIFT) ? 1 : 0) | (KeyIsDown(VK_CONTROL) ? 2 : 0) |
           (KeyIsDown(VK_MENU) ? 4 : 0);
}

bool IsNavigationKey(WPARAM virtualKey) {
    return (virtualKey >= VK_PRIOR && virtualKey <= VK_DOWN) || virtualKey == VK_ADD ||
           virtualKey == VK_SUBTRACT;
}
