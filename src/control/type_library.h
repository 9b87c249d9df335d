#pragma once

#include <windows.h>
#include <oleauto.h>

// The type library NORV, read from the module's own TYPELIB resource.
HRESULT LoadModuleTypeLib(HINSTANCE module, ITypeLib** library);
// Records the library under HKEY_CLASSES_ROOT\TypeLib with the module's path.
HRESULT RegisterModuleTypeLib(HINSTANCE module);
// Removes that record. Skipped without failing where the runtime lacks the entry point.
HRESULT UnregisterModuleTypeLib(HINSTANCE module);
