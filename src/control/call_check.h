#pragma once

#include <windows.h>
#include <oaidl.h>

// What a host's late-bound call of the control's interfaces must pass before the runtime
// sees it: a sound parameter block, no reference to nothing among the arguments, and no more
// arguments than the member takes.
HRESULT CheckAutomationCall(ITypeInfo* info, DISPID id, WORD flags, DISPPARAMS* params,
                            UINT* argumentError);
