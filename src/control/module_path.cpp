#include "control/module_path.h"

bool GetModulePath(HINSTANCE module, wchar_t (&path)[MAX_PATH]) {
    DWORD length = GetModuleFileNameW(module, path, MAX_PATH);
    // A full buffer means the path was cut short.
    return length > 0 && length < MAX_PATH;
}
