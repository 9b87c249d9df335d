#pragma once

#include <windows.h>

HRESULT FromRegistryStatus(LSTATUS status);

// An open registry key, closed when it goes.
class RegistryKey {
public:
    RegistryKey() = default;
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;
    ~RegistryKey() {
        if (key)
            RegCloseKey(key);
    }

    // Opens parent\path, creating what is missing.
    HRESULT Create(HKEY parent, const wchar_t* path, REGSAM access = KEY_READ | KEY_WRITE) {
        return FromRegistryStatus(
            RegCreateKeyExW(parent, path, 0, nullptr, 0, access, nullptr, &key, nullptr));
    }
    HRESULT Open(HKEY parent, const wchar_t* path, REGSAM access = KEY_READ) {
        return FromRegistryStatus(RegOpenKeyExW(parent, path, 0, access, &key));
    }
    HKEY Get() const { return key; }

private:
    HKEY key = nullptr;
};

// Sets a string value (the default one when name is null).
HRESULT SetRegistryText(HKEY key, const wchar_t* name, const wchar_t* text);
// Removes parent\path with all it holds; a key that is not there is no error.
HRESULT DeleteRegistryTree(HKEY parent, const wchar_t* path);
// Removes parent\path when it holds neither keys nor values.
void DeleteEmptyRegistryKey(HKEY parent, const wchar_t* path);
