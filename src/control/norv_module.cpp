// The entry points of norv.dll.

#include "control/class_factory.h"
#include "control/registry_script.h"
#include "control/type_library.h"
#include "engine/view_engine.h"
#include "norv_h.h"
#include "store/module_instance.h"
#include "engine/module_lock.h"

#include <windows.h>

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) {
        // Resources (strings, cursors, dialogs, the type library) come from this module.
        SetModuleInstance(instance);
        DisableThreadLibraryCalls(instance);
    } else if (reason == DLL_PROCESS_DETACH && !reserved) {
        // Unloaded while the process goes on: a class left registered would point at freed
        // code when the module is loaded again at another address.
        ViewEngine::UnregisterEngineClass();
    }
    return TRUE;
}

STDAPI DllCanUnloadNow() {
    return ModuleLockCount() == 0 ? S_OK : S_FALSE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, void** object) {
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (clsid != CLSID_View)
        return CLASS_E_CLASSNOTAVAILABLE;
    return CreateViewClassFactory(riid, object);
}

STDAPI DllRegisterServer() {
    HRESULT hr = RunModuleRegistryScript(ModuleInstance(), ScriptAction::Register);
    if (FAILED(hr))
        return hr;
    return RegisterModuleTypeLib(ModuleInstance());
}

STDAPI DllUnregisterServer() {
    // Both steps run; the first failure is reported.
    HRESULT keys = RunModuleRegistryScript(ModuleInstance(), ScriptAction::Unregister);
    HRESULT library = UnregisterModuleTypeLib(ModuleInstance());
    return FAILED(keys) ? keys : library;
}

} // extern "C"
