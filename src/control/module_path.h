#pragma once

#include <windows.h>

// The full path of a loaded module, for registration and for loading its own type library.
// False when the path does not fit.
bool GetModulePath(HINSTANCE module, wchar_t (&path)[MAX_PATH]);
