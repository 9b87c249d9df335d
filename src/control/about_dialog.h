#pragma once

#include <windows.h>

// The modal About dialog with the control's version. False when it could not be shown.
bool ShowAboutDialog(HWND owner);
