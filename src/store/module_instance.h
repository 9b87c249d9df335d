#pragma once

#include <windows.h>

// The module whose resources (strings, cursors, icons) the control loads: the DLL once its
// entry point has run, otherwise the program that links the control statically.
HINSTANCE ModuleInstance();
void SetModuleInstance(HINSTANCE instance);
