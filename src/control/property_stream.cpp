#include "control/property_stream.h"

#include "store/value_size.h"

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

// Bytes of a value of the type in the stream; -1 for a string (a byte count comes first), -2
// for a type without a stream form.
int ValueBytes(VARTYPE type) {
    if (type == VT_EMPTY || type == VT_NULL)
        return 0;
    if (type == VT_BSTR)
        return -1;
    const ULONG bytes = ScalarBytes(type);
    return bytes ? static_cast<int>(bytes) : -2;
}

// A string longer than any spelling of a Boolean is no Enabled value.
constexpr ULONG maxStringBytes = 256;

HRESULT ReadExactly(IStream* stream, void* into, ULONG size) {
    ULONG read = 0;
    const HRESULT hr = stream->Read(into, size, &read);
    if (FAILED(hr))
        return hr;
    return read == size ? S_OK : E_FAIL;
}

// The string form: a byte count including the terminating NUL (0 for no string), then the
// characters and the NUL.
HRESULT ReadString(IStream* stream, VARIANT& value) {
    BYTE count[4];
    HRESULT hr = ReadExactly(stream, count, 4);
    if (FAILED(hr))
        return hr;
    const ULONG bytes = GetU32(count);
    V_VT(&value) = VT_BSTR;
    V_BSTR(&value) = nullptr;
    if (bytes == 0)
        return S_OK;
    if (bytes % sizeof(OLECHAR) != 0 || bytes > maxStringBytes)
        return E_FAIL;
    OLECHAR text[maxStringBytes / sizeof(OLECHAR)];
    hr = ReadExactly(stream, text, bytes);
    if (FAILED(hr))
        return hr;
    V_BSTR(&value) = SysAllocStringLen(text, bytes / sizeof(OLECHAR) - 1);
    return V_BSTR(&value) ? S_OK : E_OUTOFMEMORY;
}

} // namespace

HRESULT WriteProperties(IStream* stream, const PersistedProperties& properties) {
    if (!stream)
        return E_POINTER;
    if (V_VT(&properties.enabled.Get()) != VT_BOOL)
        return DISP_E_TYPEMISMATCH;
    BYTE bytes[propertyStreamSize];
    PutU32(bytes, propertyStreamVersion);
    PutU32(bytes + 4, properties.width);
    PutU32(bytes + 8, properties.height);
    PutU16(bytes + 12, VT_BOOL);
    PutU16(bytes + 14, static_cast<uint16_t>(V_BOOL(&properties.enabled.Get())));
    ULONG written = 0;
    HRESULT hr = stream->Write(bytes, propertyStreamSize, &written);
    if (FAILED(hr))
        return hr;
    return written == propertyStreamSize ? S_OK : STG_E_MEDIUMFULL;
}

HRESULT ReadProperties(IStream* stream, PersistedProperties& properties) {
    if (!stream)
        return E_POINTER;
    BYTE bytes[14];
    // The version first: a newer stream may be of another length altogether.
    HRESULT hr = ReadExactly(stream, bytes, 4);
    if (FAILED(hr))
        return hr;
    if (GetU32(bytes) > propertyStreamVersion)
        return E_FAIL;
    hr = ReadExactly(stream, bytes + 4, 10);
    if (FAILED(hr))
        return hr;
    const VARTYPE type = GetU16(bytes + 12);
    const int size = ValueBytes(type);
    if (size == -2)
        return E_FAIL;
    OwnedVariant read;
    VARIANT& value = read.Get();
    if (size == -1) {
        hr = ReadString(stream, value);
    } else {
        V_VT(&value) = type;
        value.llVal = 0;
        hr = size > 0 ? ReadExactly(stream, &value.llVal, static_cast<ULONG>(size)) : S_OK;
    }
    if (FAILED(hr))
        return hr;
    properties.width = GetU32(bytes + 4);
    properties.height = GetU32(bytes + 8);
    properties.enabled.Take(read);
    return S_OK;
}
