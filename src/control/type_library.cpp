#include "control/type_library.h"

#include "base/com_ref.h"
#include "base/owned_bstr.h"
#include "control/module_path.h"
#include "control/user_type_library.h"

HRESULT LoadModuleTypeLib(HINSTANCE module, ITypeLib** library) {
    if (!library)
        return E_POINTER;
    *library = nullptr;
    wchar_t path[MAX_PATH];
    if (!GetModulePath(module, path))
        return HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);
    return LoadTypeLibEx(path, REGKIND_NONE, library);
}

HRESULT RegisterModuleTypeLib(HINSTANCE module, HKEY classes) {
    wchar_t path[MAX_PATH];
    if (!GetModulePath(module, path))
        return HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);
    ComRef<ITypeLib> library;
    HRESULT hr = LoadTypeLibEx(path, REGKIND_NONE, library.Receive());
    if (FAILED(hr))
        return hr;
    if (classes != HKEY_CLASSES_ROOT)
        return RegisterTypeLibUnder(classes, library.Get(), path);
    return RegisterTypeLib(library.Get(), path, nullptr);
}

HRESULT UnregisterModuleTypeLib(HINSTANCE module, HKEY classes) {
    if (classes != HKEY_CLASSES_ROOT) {
        ComRef<ITypeLib> library;
        HRESULT hr = LoadModuleTypeLib(module, library.Receive());
        return FAILED(hr) ? hr : UnregisterTypeLibUnder(classes, library.Get());
    }
    using UnregisterFunction = HRESULT(WINAPI*)(REFGUID, WORD, WORD, LCID, SYSKIND);
    HMODULE automation = GetModuleHandleA("oleaut32.dll");
    if (!automation)
        return S_OK;
    auto unregister = reinterpret_cast<UnregisterFunction>(
        reinterpret_cast<void*>(GetProcAddress(automation, "UnRegisterTypeLib")));
    if (!unregister)
        return S_OK;
    ComRef<ITypeLib> library;
    HRESULT hr = LoadModuleTypeLib(module, library.Receive());
    if (FAILED(hr))
        return hr;
    TLIBATTR* attributes = nullptr;
    hr = library->GetLibAttr(&attributes);
    if (FAILED(hr))
        return hr;
    // A library that is not registered is already what we want.
    OwnedBstr registeredPath;
    if (SUCCEEDED(QueryPathOfRegTypeLib(attributes->guid, attributes->wMajorVerNum,
                                        attributes->wMinorVerNum, attributes->lcid,
                                        registeredPath.Receive()))) {
        hr = unregister(attributes->guid, attributes->wMajorVerNum, attributes->wMinorVerNum,
                        attributes->lcid, attributes->syskind);
    }
    library->ReleaseTLibAttr(attributes);
    return hr;
}
