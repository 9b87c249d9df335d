#pragma once

#include <windows.h>

// The count of live objects and server locks that decides whether the module may unload.
// Changed with interlocked operations: a host may ask from any thread.
void LockModule();
void UnlockModule();
LONG ModuleLockCount();
