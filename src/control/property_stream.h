#pragma once

#include "base/owned_variant.h"

#include <windows.h>
#include <objidl.h>

#include <cstdint>

// The persisted state of the control: format version, extent in HIMETRIC and the Enabled
// property as a variant (type code, then the value in its natural width). This control
// writes Enabled as a Boolean, 16 bytes in all; a stream from elsewhere may carry another
// type, which the property converts when it is set.
constexpr uint32_t propertyStreamVersion = 0x300;
constexpr ULONG propertyStreamSize = 16;

struct PersistedProperties {
    uint32_t width = 0;  // _cx
    uint32_t height = 0; // _cy
    OwnedVariant enabled;
};

// Writes all 16 bytes or returns the stream's failure; Enabled must be a Boolean.
HRESULT WriteProperties(IStream* stream, const PersistedProperties& properties);
// Reads and checks the whole stream before anything is handed back: a newer version, a short
// stream or a variant type without a stream form fails and leaves properties alone.
HRESULT ReadProperties(IStream* stream, PersistedProperties& properties);
