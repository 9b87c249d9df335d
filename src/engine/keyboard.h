#pragma once

#include <windows.h>

#include <cstdint>

// The modifier keys held now: 1 for Shift, plus 2 for Ctrl, plus 4 for Alt.
int32_t KeyboardShiftState();

// The ten keys the control keeps for itself: arrows, Page Up/Down, Home, End, keypad + and -.
bool IsNavigationKey(WPARAM virtualKey);
