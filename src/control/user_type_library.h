#pragma once

#include <windows.h>
#include <oleauto.h>

// The registration of a type library written under a classes key of one's choosing: the keys
// RegisterTypeLib writes under the machine's classes (TypeLib\{library}\{version} with its
// name, FLAGS, HELPDIR and the path of this platform, and Interface\{iid} of every interface
// a client may marshal), for a registration of one user. RegisterTypeLibForUser cannot stand
// in: Wine's writes to the machine's classes.
HRESULT RegisterTypeLibUnder(HKEY classes, ITypeLib* library, const wchar_t* path);
// Removes the interfaces' keys and this platform's path; the version's and the library's keys
// go once no other platform's path is left under them.
HRESULT UnregisterTypeLibUnder(HKEY classes, ITypeLib* library);
