// The entry points of norv.dll.

#include "control/class_factory.h"
#include "control/registry_key.h"
#include "control/registry_script.h"
#include "control/type_library.h"
#include "engine/view_engine.h"
#include "norv_h.h"
#include "store/module_instance.h"
#include "base/module_lock.h"

#include <windows.h>

#include <initializer_list>

namespace {

// The machine's registration (HKEY_CLASSES_ROOT) or a user's (the user's classes key).
HRESULT Register(HKEY classes) {
    HRESULT hr = RunModuleRegistryScript(ModuleInstance(), ScriptAction::Register, classes);
    if (FAILED(hr))
        return hr;
    return RegisterModuleTypeLib(ModuleInstance(), classes);
}

HRESULT Unregister(HKEY classes) {
    // Both steps run; the first failure is reported.
    HRESULT keys = RunModuleRegistryScript(ModuleInstance(), ScriptAction::Unregister, classes);
    HRESULT library = UnregisterModuleTypeLib(ModuleInstance(), classes);
    return FAILED(keys) ? keys : library;
}

} // namespace

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
    return Register(HKEY_CLASSES_ROOT);
}

STDAPI DllUnregisterServer() {
    return Unregister(HKEY_CLASSES_ROOT);
}

// regsvr32 /n /i:user (and /u /n /i:user): the same registration for the current user only,
// under HKEY_CURRENT_USER\Software\Classes, which needs no administrator. Without a command
// line it is the machine's registration.
STDAPI DllInstall(BOOL install, LPCWSTR commandLine) {
    if (!commandLine || !*commandLine)
        return install ? DllRegisterServer() : DllUnregisterServer();
    if (_wcsicmp(commandLine, L"user") != 0)
        return E_INVALIDARG;
    RegistryKey classes;
    HRESULT hr = classes.Create(HKEY_CURRENT_USER, L"Software\\Classes", KEY_ALL_ACCESS);
    if (FAILED(hr))
        return hr;
    if (install)
        return Register(classes.Get());
    hr = Unregister(classes.Get());
    // The folders of all classes that the registration may have made go too, once empty.
    for (const wchar_t* folder : {L"CLSID", L"Interface", L"TypeLib"})
        DeleteEmptyRegistryKey(classes.Get(), folder);
    return hr;
}

} // extern "C"
