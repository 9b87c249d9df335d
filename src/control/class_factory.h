#pragma once

#include <windows.h>
#include <unknwn.h>

// Creates View objects. A factory counts as a live object while it exists, so the module
// stays loaded under it.
HRESULT CreateViewClassFactory(REFIID riid, void** factory);
