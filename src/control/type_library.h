#pragma once

#include <windows.h>
#include <oleauto.h>

// The type library NORV, read from the module's own TYPELIB resource.
HRESULT LoadModuleTypeLib(HINSTANCE module, ITypeLib** library);
// Records the library under classes\TypeLib with the module's path: through the runtime for
// HKEY_CLASSES_ROOT, by writing the same keys for another classes key (a user's).
HRESULT RegisterModuleTypeLib(HINSTANCE module, HKEY classes = HKEY_CLASSES_ROOT);
// Removes that record. The machine's is skipped without failing where the runtime lacks the
// entry point.
HRESULT UnregisterModuleTypeLib(HINSTANCE module, HKEY classes = HKEY_CLASSES_ROOT);
