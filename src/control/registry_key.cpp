#include "control/registry_key.h"

#include <cwchar>

HRESULT FromRegistryStatus(LSTATUS status) {
    return status == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(static_cast<DWORD>(status));
}

HRESULT SetRegistryText(HKEY key, const wchar_t* name, const wchar_t* text) {
    DWORD bytes = static_cast<DWORD>((wcslen(text) + 1) * sizeof(wchar_t));
    return FromRegistryStatus(
        RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), bytes));
}

HRESULT DeleteRegistryTree(HKEY parent, const wchar_t* path) {
    LSTATUS status = RegDeleteTreeW(parent, path);
    if (status == ERROR_FILE_NOT_FOUND || status == ERROR_PATH_NOT_FOUND)
        return S_OK;
    if (status != ERROR_SUCCESS)
        return FromRegistryStatus(status);
    // RegDeleteTree empties the key; the key itself goes here.
    status = RegDeleteKeyW(parent, path);
    if (status == ERROR_FILE_NOT_FOUND)
        return S_OK;
    return FromRegistryStatus(status);
}

void DeleteEmptyRegistryKey(HKEY parent, const wchar_t* path) {
    RegistryKey key;
    DWORD keys = 0, values = 0;
    if (FAILED(key.Open(parent, path, KEY_QUERY_VALUE)) ||
        RegQueryInfoKeyW(key.Get(), nullptr, nullptr, nullptr, &keys, nullptr, nullptr, &values,
                         nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS ||
        keys || values)
        return;
    RegDeleteKeyW(parent, path);
}
