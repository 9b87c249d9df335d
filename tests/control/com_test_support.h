#pragma once

// Helpers of the control's COM tests: the built module and real safe arrays.

#include "norv_h.h"
#include "store/safe_array_builder.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <ocidl.h>
#include <olectl.h>
#include <oleauto.h>

#include <string>
#include <vector>

// The module under test, as Wine sees the build tree (drive Z: is the Unix root).
inline std::wstring ModuleWindowsPath() {
    std::wstring path = L"Z:";
    for (const char* c = NORV_DLL_PATH; *c; ++c)
        path += *c == '/' ? L'\\' : static_cast<wchar_t>(*c);
    return path;
}

// The module, loaded once per program, and its entry points by name.
inline HMODULE NorvHandle() {
    static HMODULE handle = LoadLibraryW(ModuleWindowsPath().c_str());
    return handle;
}
using GetClassObjectFn = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
template <typename F> F Entry(const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(NorvHandle(), name)));
}

// A View object made by the module's class factory, as the interface asked; null on failure.
template <typename T = _View> T* NewView(REFIID riid = IID__View) {
    IClassFactory* factory = nullptr;
    void* object = nullptr;
    if (SUCCEEDED(Entry<GetClassObjectFn>("DllGetClassObject")(
            CLSID_View, IID_IClassFactory, reinterpret_cast<void**>(&factory)))) {
        factory->CreateInstance(nullptr, riid, &object);
        factory->Release();
    }
    return static_cast<T*>(object);
}

// An entry point without arguments (DllCanUnloadNow, DllRegisterServer...) called by name.
inline HRESULT CallEntry(const char* name) {
    const auto entry = Entry<HRESULT(STDAPICALLTYPE*)()>(name);
    return entry ? entry() : E_FAIL;
}

template <typename T> T* Query(IUnknown* from, REFIID riid) {
    void* result = nullptr;
    return SUCCEEDED(from->QueryInterface(riid, &result)) ? static_cast<T*>(result) : nullptr;
}

// The text of a string the caller owned, which is freed.
inline std::wstring Take(BSTR text) {
    std::wstring result = text ? text : L"";
    SysFreeString(text);
    return result;
}

inline VARIANT I4(LONG value) {
    VARIANT v = {};
    V_VT(&v) = VT_I4;
    V_I4(&v) = value;
    return v;
}

// A memory stream holding the bytes, read from their start.
inline IStream* StreamOf(const std::vector<BYTE>& bytes) {
    IStream* stream = nullptr;
    if (SUCCEEDED(CreateStreamOnHGlobal(nullptr, TRUE, &stream))) {
        stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), nullptr);
        stream->Seek({}, STREAM_SEEK_SET, nullptr);
    }
    return stream;
}

// All that a stream holds; the stream is released.
inline std::vector<BYTE> BytesOf(IStream* stream) {
    STATSTG stat = {};
    if (!stream || FAILED(stream->Stat(&stat, STATFLAG_NONAME)))
        stat.cbSize.QuadPart = 0;
    std::vector<BYTE> bytes(static_cast<size_t>(stat.cbSize.QuadPart));
    if (stream) {
        stream->Seek({}, STREAM_SEEK_SET, nullptr);
        stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), nullptr);
        stream->Release();
    }
    return bytes;
}

// A compound file that goes with its last reference, as a document's object storage.
inline IStorage* TemporaryStorage() {
    IStorage* storage = nullptr;
    const DWORD mode = STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE | STGM_DELETEONRELEASE;
    return SUCCEEDED(StgCreateDocfile(nullptr, mode, 0, &storage)) ? storage : nullptr;
}

// A View and its persistence interfaces (null when none was made); Saved is empty when Save
// fails.
struct Persisted {
    // Holds the reference it is given: a new View's by default.
    explicit Persisted(_View* held = NewView()) : view(held) {
        if (!view)
            return;
        stream = Query<IPersistStreamInit>(view, IID_IPersistStreamInit);
        storage = Query<IPersistStorage>(view, IID_IPersistStorage);
        object = Query<IOleObject>(view, IID_IOleObject);
    }
    ~Persisted() {
        for (IUnknown* held : {static_cast<IUnknown*>(object), static_cast<IUnknown*>(storage),
                               static_cast<IUnknown*>(stream), static_cast<IUnknown*>(view)})
            if (held)
                held->Release();
    }
    std::vector<BYTE> Saved(BOOL clearDirty = TRUE) {
        IStream* saved = StreamOf({});
        const bool ok = saved && SUCCEEDED(stream->Save(saved, clearDirty));
        const std::vector<BYTE> bytes = BytesOf(saved);
        return ok ? bytes : std::vector<BYTE>{};
    }
    HRESULT Load(const std::vector<BYTE>& bytes) {
        IStream* source = StreamOf(bytes);
        const HRESULT hr = source ? stream->Load(source) : E_FAIL;
        if (source)
            source->Release();
        return hr;
    }
    _View* view;
    IPersistStreamInit* stream = nullptr;
    IPersistStorage* storage = nullptr;
    IOleObject* object = nullptr;
};

class ComTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr))); }
    void TearDown() override { OleUninitialize(); }
};

// An array handed over in a variant, as hosts pass it.
inline VARIANT ArrayOf(SAFEARRAY* array) {
    VARIANT v = {};
    V_VT(&v) = VT_ARRAY | VT_VARIANT;
    V_ARRAY(&v) = array;
    return v;
}

// A two-dimensional array of variants, indexed (first, second), lower bounds 0 unless given.
struct VariantGrid : SafeArrayBuilder {
    VariantGrid(LONG first, LONG second, LONG firstLower = 0, LONG secondLower = 0)
        : SafeArrayBuilder(VT_VARIANT, firstLower, ULONG(first), secondLower, ULONG(second)) {}
    void Set(LONG i, LONG j, VARIANT value) {
        LONG indices[2] = {i, j};
        SafeArrayPutElement(get(), indices, &value);
    }
    VARIANT AsVariant() const { return ArrayOf(get()); }
};

// `records` records of `columns` columns in the usual Data(column, record) orientation,
// cell (r, c) holding r * 100 + c.
struct NumberGrid : VariantGrid {
    NumberGrid(LONG records, LONG columns) : VariantGrid(columns, records) {
        for (LONG r = 0; r < records; ++r)
            for (LONG c = 0; c < columns; ++c)
                Set(c, r, I4(r * 100 + c));
    }
};
