#pragma once

#include <windows.h>
#include <objidl.h>

#include <cstdint>

// The persisted state of the control: format version, extent in HIMETRIC and the Enabled
// property as a variant (type code and value). 16 bytes in all.
constexpr uint32_t propertyStreamVersion = 0x300;
constexpr ULONG propertyStreamSize = 16;

struct PersistedProperties {
    uint32_t width = 0;  // _cx
    uint32_t height = 0; // _cy
    VARTYPE enabledType = VT_BOOL;
    int16_t enabledValue = VARIANT_TRUE;
};

// Writes all 16 bytes or returns the stream's failure.
HRESULT WriteProperties(IStream* stream, const PersistedProperties& properties);
// Reads and checks all 16 bytes before anything is handed back: a newer version, a short
// stream or a variant type this format does not carry fails and leaves properties alone.
HRESULT ReadProperties(IStream* stream, PersistedProperties& properties);
