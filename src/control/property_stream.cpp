#include "control/property_stream.h"

namespace {

void PutU32(BYTE* at, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<BYTE>(value >> (8 * i));
}

void PutU16(BYTE* at, uint16_t value) {
    at[0] = static_cast<BYTE>(value);
    at[1] = static_cast<BYTE>(value >> 8);
}

uint32_t GetU32(const BYTE* at) {
    return static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 |
           static_cast<uint32_t>(at[2]) << 16 | static_cast<uint32_t>(at[3]) << 24;
}

uint16_t GetU16(const BYTE* at) {
    return static_cast<uint16_t>(at[0] | at[1] << 8);
}

} // namespace

HRESULT WriteProperties(IStream* stream, const PersistedProperties& properties) {
    if (!stream)
        return E_POINTER;
    BYTE bytes[propertyStreamSize];
    PutU32(bytes, propertyStreamVersion);
    PutU32(bytes + 4, properties.width);
    PutU32(bytes + 8, properties.height);
    PutU16(bytes + 12, properties.enabledType);
    PutU16(bytes + 14, static_cast<uint16_t>(properties.enabledValue));
    ULONG written = 0;
    HRESULT hr = stream->Write(bytes, propertyStreamSize, &written);
    if (FAILED(hr))
        return hr;
    return written == propertyStreamSize ? S_OK : STG_E_MEDIUMFULL;
}

HRESULT ReadProperties(IStream* stream, PersistedProperties& properties) {
    if (!stream)
        return E_POINTER;
    BYTE bytes[propertyStreamSize];
    ULONG read = 0;
    // The version first: a newer stream may be of another length altogether.
    HRESULT hr = stream->Read(bytes, 4, &read);
    if (FAILED(hr))
        return hr;
    if (read != 4 || GetU32(bytes) > propertyStreamVersion)
        return E_FAIL;
    hr = stream->Read(bytes + 4, propertyStreamSize - 4, &read);
    if (FAILED(hr))
        return hr;
    if (read != propertyStreamSize - 4)
        return E_FAIL;
    // Enabled is a Boolean; a 2-byte integer carries the same values.
    VARTYPE type = GetU16(bytes + 12);
    if (type != VT_BOOL && type != VT_I2)
        return E_FAIL;
    properties.width = GetU32(bytes + 4);
    properties.height = GetU32(bytes + 8);
    properties.enabledType = type;
    properties.enabledValue = static_cast<int16_t>(GetU16(bytes + 14));
    return S_OK;
}
