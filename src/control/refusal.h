#pragma once

#include <windows.h>
#include <oleauto.h>

// Failures of the automation surface carry no error object; a stale one of an earlier call
// must not be mistaken for theirs.
inline HRESULT Refuse(HRESULT hr) {
    SetErrorInfo(0, nullptr);
    return hr;
}

inline HRESULT Answer(HRESULT hr) {
    return FAILED(hr) ? Refuse(hr) : hr;
}
