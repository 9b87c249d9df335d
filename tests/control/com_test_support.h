#pragma once

// Helpers of the control's COM tests: the built module, real safe arrays and small sinks.

#include "norv_h.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <ocidl.h>
#include <oleauto.h>

#include <string>

// The module under test, as Wine sees the build tree (drive Z: is the Unix root).
inline std::wstring ModuleWindowsPath() {
    std::string unixPath = NORV_DLL_PATH;
    std::wstring path = L"Z:";
    for (char c : unixPath)
        path += c == '/' ? L'\\' : static_cast<wchar_t>(c);
    return path;
}

// The module loaded once per test program, its entry points looked up by name.
struct NorvModule {
    using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    using CanUnloadNow = HRESULT(STDAPICALLTYPE*)();

    static NorvModule& Get() {
        static NorvModule module;
        return module;
    }

    HMODULE handle = nullptr;
    GetClassObject getClassObject = nullptr;
    CanUnloadNow canUnloadNow = nullptr;

private:
    NorvModule() {
        handle = LoadLibraryW(ModuleWindowsPath().c_str());
        if (!handle)
            return;
        getClassObject = reinterpret_cast<GetClassObject>(
            reinterpret_cast<void*>(GetProcAddress(handle, "DllGetClassObject")));
        canUnloadNow = reinterpret_cast<CanUnloadNow>(
            reinterpret_cast<void*>(GetProcAddress(handle, "DllCanUnloadNow")));
    }
};

// A new View object from the module's class factory, asked for riid.
inline HRESULT CreateViewObject(REFIID riid, void** object) {
    NorvModule& module = NorvModule::Get();
    if (!module.getClassObject)
        return E_FAIL;
    IClassFactory* factory = nullptr;
    HRESULT hr =
        module.getClassObject(CLSID_View, IID_IClassFactory, reinterpret_cast<void**>(&factory));
    if (FAILED(hr))
        return hr;
    hr = factory->CreateInstance(nullptr, riid, object);
    factory->Release();
    return hr;
}

template <typename T> T* Query(IUnknown* from, REFIID riid) {
    T* result = nullptr;
    if (FAILED(from->QueryInterface(riid, reinterpret_cast<void**>(&result))))
        return nullptr;
    return result;
}

// Per test: COM initialised on the thread for the test's duration.
class ComTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr))); }
    void TearDown() override { OleUninitialize(); }
};

// A two-dimensional array of variants, indexed (first, second) with lower bounds 0 unless
// given; element (i, j) is filled by the caller.
class VariantGrid {
public:
    VariantGrid(LONG first, LONG second, LONG firstLower = 0, LONG secondLower = 0) {
        SAFEARRAYBOUND bounds[2];
        // Dimension 1 (the first subscript) first.
        bounds[0].cElements = static_cast<ULONG>(first);
        bounds[0].lLbound = firstLower;
        bounds[1].cElements = static_cast<ULONG>(second);
        bounds[1].lLbound = secondLower;
        array = SafeArrayCreate(VT_VARIANT, 2, bounds);
    }
    ~VariantGrid() {
        if (array)
            SafeArrayDestroy(array);
    }
    VariantGrid(const VariantGrid&) = delete;
    VariantGrid& operator=(const VariantGrid&) = delete;

    void SetI4(LONG i, LONG j, LONG value) {
        VARIANT v;
        VariantInit(&v);
        V_VT(&v) = VT_I4;
        V_I4(&v) = value;
        Put(i, j, v);
    }
    void SetText(LONG i, LONG j, const wchar_t* text) {
        VARIANT v;
        VariantInit(&v);
        V_VT(&v) = VT_BSTR;
        V_BSTR(&v) = SysAllocString(text);
        Put(i, j, v);
        VariantClear(&v);
    }
    void SetDate(LONG i, LONG j, double date) {
        VARIANT v;
        VariantInit(&v);
        V_VT(&v) = VT_DATE;
        V_DATE(&v) = date;
        Put(i, j, v);
    }
    // The array by value in a variant (the variant does not own it).
    VARIANT AsVariant() const {
        VARIANT v;
        VariantInit(&v);
        V_VT(&v) = VT_ARRAY | VT_VARIANT;
        V_ARRAY(&v) = array;
        return v;
    }

    SAFEARRAY* array = nullptr;

private:
    void Put(LONG i, LONG j, VARIANT& value) {
        LONG indices[2] = {i, j};
        SafeArrayPutElement(array, indices, &value);
    }
};

// A grid of `records` records and `columns` columns in the host's usual Data(column, record)
// orientation, cell (r, c) holding r * 100 + c.
inline void FillNumbers(VariantGrid& grid, LONG records, LONG columns) {
    for (LONG r = 0; r < records; ++r)
        for (LONG c = 0; c < columns; ++c)
            grid.SetI4(c, r, r * 100 + c);
}

inline std::wstring Text(BSTR text) {
    return text ? std::wstring(text) : std::wstring();
}
