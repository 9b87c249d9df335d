#include "module_instance.h"

namespace {
HINSTANCE moduleInstance = nullptr;
}

HINSTANCE ModuleInstance() {
    return moduleInstance ? moduleInstance : GetModuleHandleA(nullptr);
}

void SetModuleInstance(HINSTANCE instance) {
    moduleInstance = instance;
}
