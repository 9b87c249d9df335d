#pragma once

#include <windows.h>

#include <cstddef>

// Runs the module's registry script against a classes key: HKEY_CLASSES_ROOT for the machine,
// HKEY_CURRENT_USER\Software\Classes for one user.
//
// One statement a line; '#' starts a comment line. Paths are relative to the classes key,
// texts are in double quotes, and %MODULE% in a text stands for the module's full path.
//   key   PATH ["default text"]       create the key, optionally with its default value
//   fresh PATH ["default text"]       remove the key with all it holds, then create it
//   value PATH NAME "text"            a named string value of an existing key
// Unregistration removes, last line first, every key that a key or fresh line names;
// keys that no line names (such as CLSID itself) are never removed.
enum class ScriptAction { Register, Unregister };

HRESULT RunRegistryScript(const char* text, size_t length, const wchar_t* modulePath,
                          ScriptAction action, HKEY classes = HKEY_CLASSES_ROOT);

// The script of resource REGISTRY 102 of the module, with the module's own path.
HRESULT RunModuleRegistryScript(HINSTANCE module, ScriptAction action,
                                HKEY classes = HKEY_CLASSES_ROOT);
