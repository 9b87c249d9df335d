#include "base/module_lock.h"

namespace {
LONG volatile lockCount = 0;
}

void LockModule() {
    InterlockedIncrement(&lockCount);
}

void UnlockModule() {
    InterlockedDecrement(&lockCount);
}

LONG ModuleLockCount() {
    return InterlockedCompareExchange(&lockCount, 0, 0);
}
