#include "control/user_type_library.h"

#include "base/com_ref.h"
#include "base/owned_bstr.h"
#include "control/registry_key.h"

#include <cwchar>
#include <initializer_list>
#include <iterator>

namespace {

// The proxies of oleaut32 that marshal automation interfaces and plain dispinterfaces.
constexpr wchar_t automationProxy[] = L"{00020424-0000-0000-C000-000000000046}";
constexpr wchar_t dispatchProxy[] = L"{00020420-0000-0000-C000-000000000046}";

// The names of a library's keys: TypeLib\{library}\{major.minor} and, below it,
// {lcid}\{platform}, as RegisterTypeLib spells them.
struct LibraryKeys {
    wchar_t guid[40] = {};
    wchar_t version[64] = {};
    wchar_t platform[96] = {};
    wchar_t versionText[16] = {};
    wchar_t flags[16] = {};
};

HRESULT NameLibraryKeys(ITypeLib* library, LibraryKeys& keys) {
    TLIBATTR* attributes = nullptr;
    HRESULT hr = library->GetLibAttr(&attributes);
    if (FAILED(hr))
        return hr;
    const wchar_t* platform = attributes->syskind == SYS_WIN64   ? L"win64"
                              : attributes->syskind == SYS_WIN32 ? L"win32"
                                                                 : L"win16";
    StringFromGUID2(attributes->guid, keys.guid, std::size(keys.guid));
    swprintf(keys.versionText, std::size(keys.versionText), L"%x.%x", attributes->wMajorVerNum,
             attributes->wMinorVerNum);
    swprintf(keys.version, std::size(keys.version), L"TypeLib\\%ls\\%ls", keys.guid,
             keys.versionText);
    swprintf(keys.platform, std::size(keys.platform), L"%ls\\%lx\\%ls", keys.version,
             static_cast<unsigned long>(attributes->lcid), platform);
    swprintf(keys.flags, std::size(keys.flags), L"%u", attributes->wLibFlags);
    library->ReleaseTLibAttr(attributes);
    return S_OK;
}

// Each interface a client may marshal, with the proxy RegisterTypeLib would name for it.
template <typename Visit> HRESULT ForEachMarshalledInterface(ITypeLib* library, Visit visit) {
    const UINT count = library->GetTypeInfoCount();
    for (UINT index = 0; index < count; ++index) {
        ComRef<ITypeInfo> info;
        HRESULT hr = library->GetTypeInfo(index, info.Receive());
        TYPEATTR* attributes = nullptr;
        if (SUCCEEDED(hr))
            hr = info->GetTypeAttr(&attributes);
        if (FAILED(hr))
            return hr;
        const bool automation =
            (attributes->wTypeFlags & (TYPEFLAG_FOLEAUTOMATION | TYPEFLAG_FDUAL)) != 0;
        const bool marshalled = attributes->typekind == TKIND_DISPATCH ||
                                (attributes->typekind == TKIND_INTERFACE && automation);
        wchar_t key[64] = L"Interface\\";
        StringFromGUID2(attributes->guid, key + 10, 40);
        info->ReleaseTypeAttr(attributes);
        if (!marshalled)
            continue;
        OwnedBstr name;
        hr = library->GetDocumentation(static_cast<INT>(index), name.Receive(), nullptr, nullptr,
                                       nullptr);
        if (SUCCEEDED(hr))
            hr = visit(key, name.Get() ? name.Get() : L"",
                       automation ? automationProxy : dispatchProxy);
        if (FAILED(hr))
            return hr;
    }
    return S_OK;
}

// Creates parent\path and sets its default value (and one named value, when name is given).
HRESULT WriteKey(HKEY parent, const wchar_t* path, const wchar_t* text,
                 const wchar_t* name = nullptr, const wchar_t* named = nullptr) {
    RegistryKey key;
    HRESULT hr = key.Create(parent, path, KEY_SET_VALUE);
    if (SUCCEEDED(hr))
        hr = SetRegistryText(key.Get(), nullptr, text);
    if (SUCCEEDED(hr) && name)
        hr = SetRegistryText(key.Get(), name, named);
    return hr;
}

HRESULT WriteInterface(HKEY classes, const wchar_t* key, const wchar_t* name, const wchar_t* proxy,
                       const LibraryKeys& keys) {
    RegistryKey interfaceKey;
    HRESULT hr = interfaceKey.Create(classes, key, KEY_ALL_ACCESS);
    if (SUCCEEDED(hr))
        hr = SetRegistryText(interfaceKey.Get(), nullptr, name);
    for (const wchar_t* proxyKey : {L"ProxyStubClsid", L"ProxyStubClsid32"}) {
        if (SUCCEEDED(hr))
            hr = WriteKey(interfaceKey.Get(), proxyKey, proxy);
    }
    if (SUCCEEDED(hr))
        hr = WriteKey(interfaceKey.Get(), L"TypeLib", keys.guid, L"Version", keys.versionText);
    return hr;
}

// True when parent\path holds subkeys other than the ones named.
bool HoldsOtherKeys(HKEY parent, const wchar_t* path, const wchar_t* first = nullptr,
                    const wchar_t* second = nullptr) {
    RegistryKey key;
    if (FAILED(key.Open(parent, path, KEY_ENUMERATE_SUB_KEYS)))
        return false;
    wchar_t name[256];
    for (DWORD index = 0;; ++index) {
        DWORD length = 256;
        if (RegEnumKeyExW(key.Get(), index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            return false;
        if ((!first || _wcsicmp(name, first)) && (!second || _wcsicmp(name, second)))
            return true;
    }
}

} // namespace

HRESULT RegisterTypeLibUnder(HKEY classes, ITypeLib* library, const wchar_t* path) {
    if (!library || !path)
        return E_POINTER;
    LibraryKeys keys;
    HRESULT hr = NameLibraryKeys(library, keys);
    if (FAILED(hr))
        return hr;
    // The help folder is the module's own, as RegisterTypeLib takes it when none is given.
    wchar_t folder[MAX_PATH];
    wcsncpy(folder, path, MAX_PATH - 1);
    folder[MAX_PATH - 1] = 0;
    if (wchar_t* slash = wcsrchr(folder, L'\\'))
        *slash = 0;
    OwnedBstr text;
    library->GetDocumentation(-1, nullptr, text.Receive(), nullptr, nullptr);
    RegistryKey version;
    hr = version.Create(classes, keys.version, KEY_ALL_ACCESS);
    if (SUCCEEDED(hr))
        hr = SetRegistryText(version.Get(), nullptr, text.Get() ? text.Get() : L"");
    if (SUCCEEDED(hr))
        hr = WriteKey(version.Get(), L"FLAGS", keys.flags);
    if (SUCCEEDED(hr))
        hr = WriteKey(version.Get(), L"HELPDIR", folder);
    if (SUCCEEDED(hr))
        hr = WriteKey(classes, keys.platform, path);
    if (FAILED(hr))
        return hr;
    return ForEachMarshalledInterface(
        library, [&](const wchar_t* key, const wchar_t* name, const wchar_t* proxy) {
            return WriteInterface(classes, key, name, proxy, keys);
        });
}

HRESULT UnregisterTypeLibUnder(HKEY classes, ITypeLib* library) {
    if (!library)
        return E_POINTER;
    LibraryKeys keys;
    HRESULT hr = NameLibraryKeys(library, keys);
    if (SUCCEEDED(hr))
        hr = ForEachMarshalledInterface(library,
                                        [&](const wchar_t* key, const wchar_t*, const wchar_t*) {
                                            return DeleteRegistryTree(classes, key);
                                        });
    if (SUCCEEDED(hr))
        hr = DeleteRegistryTree(classes, keys.platform);
    if (FAILED(hr))
        return hr;
    // The lcid's key, then the version's and the library's, once nothing of another platform
    // is left in them.
    wchar_t* lcid = wcsrchr(keys.platform, L'\\');
    *lcid = 0;
    if (!HoldsOtherKeys(classes, keys.platform))
        hr = DeleteRegistryTree(classes, keys.platform);
    if (SUCCEEDED(hr) && !HoldsOtherKeys(classes, keys.version, L"FLAGS", L"HELPDIR"))
        hr = DeleteRegistryTree(classes, keys.version);
    *wcsrchr(keys.version, L'\\') = 0;
    if (SUCCEEDED(hr) && !HoldsOtherKeys(classes, keys.version))
        hr = DeleteRegistryTree(classes, keys.version);
    return hr;
}
