#pragma once

// Two-dimensional SAFEARRAYs as a host builds them; Put takes subscripts as Data(i, j) does.

#include <windows.h>
#include <oleauto.h>

#include <cstring>
#include <functional>
#include <string>
#include <utility>
#include <vector>

class TestVariant {
public:
    TestVariant() { VariantInit(&v); }
    TestVariant(const TestVariant& other) : TestVariant() { VariantCopy(&v, &other.Mutable()); }
    TestVariant& operator=(const TestVariant&) = delete;
    ~TestVariant() { VariantClear(&v); }

    // Any scalar or pointer payload: every such member of a VARIANT starts where llVal does.
    template <typename T> static TestVariant Of(VARTYPE type, T x) {
        TestVariant t;
        t.v.llVal = 0;
        std::memcpy(&t.v.llVal, &x, sizeof x);
        t.v.vt = type;
        return t;
    }
    static TestVariant Str(const wchar_t* text) { return Of(VT_BSTR, SysAllocString(text)); }
    static TestVariant I2(SHORT x) { return Of(VT_I2, x); }
    static TestVariant I4(LONG x) { return Of(VT_I4, x); }
    static TestVariant R8(double x) { return Of(VT_R8, x); }
    static TestVariant Date(double x) { return Of(VT_DATE, x); }
    static TestVariant Cy(LONGLONG tenThousandths) { return Of(VT_CY, tenThousandths); }
    static TestVariant Bool(bool x) { return Of(VT_BOOL, VARIANT_BOOL(x ? -1 : 0)); }
    static TestVariant Error(SCODE x) { return Of(VT_ERROR, x); }
    // Any type converted from its English (United States) text, the string when that fails; a
    // null, or an error of the code the text gives.
    static TestVariant As(VARTYPE type, const wchar_t* text) {
        if (type == VT_NULL || type == VT_ERROR)
            return Of(type, SCODE(_wtoi(text)));
        TestVariant t = Str(text);
        VariantChangeTypeEx(&t.v, &t.v, MAKELCID(0x409, SORT_DEFAULT), 0, type);
        return t;
    }
    static double DateOf(int year, int month, int day, int hour = 0, int minute = 0,
                         int second = 0) {
        SYSTEMTIME st{WORD(year),   WORD(month),  0, WORD(day), WORD(hour),
                      WORD(minute), WORD(second), 0};
        double date = 0;
        SystemTimeToVariantTime(&st, &date);
        return date;
    }

    const VARIANT& operator*() const { return v; }
    VARIANT& Mutable() const { return const_cast<VARIANT&>(v); } // for APIs without const

private:
    VARIANT v;
};

class SafeArrayBuilder {
public:
    // Dimension 1: lower1 .. lower1 + count1 - 1; dimension 2 likewise.
    SafeArrayBuilder(VARTYPE type, LONG lower1, ULONG count1, LONG lower2, ULONG count2) {
        SAFEARRAYBOUND bounds[2] = {{count1, lower1}, {count2, lower2}};
        array = SafeArrayCreate(type, 2, bounds);
    }
    explicit SafeArrayBuilder(SAFEARRAY* adopted) : array(adopted) {}
    SafeArrayBuilder(SafeArrayBuilder&& other) noexcept
        : array(std::exchange(other.array, nullptr)) {}
    ~SafeArrayBuilder() { SafeArrayDestroy(array); }

    // As an element of the array's type: the variant, the pointer or the payload.
    HRESULT Put(LONG index1, LONG index2, const TestVariant& value) {
        LONG indices[2] = {index1, index2};
        VARTYPE type = VT_EMPTY;
        SafeArrayGetVartype(array, &type);
        VARIANT* v = &value.Mutable();
        const bool whole = type == VT_VARIANT || type == VT_DECIMAL; // a decimal fills it all
        const bool pointer = type == VT_BSTR || type == VT_DISPATCH;
        return SafeArrayPutElement(array, indices, whole ? v : pointer ? v->byref : &v->llVal);
    }

    SAFEARRAY* get() const { return array; }

private:
    SAFEARRAY* array = nullptr;
};

inline SafeArrayBuilder MakeVariantTable(const std::vector<std::vector<TestVariant>>& rows) {
    const ULONG columns = rows.empty() ? 0 : static_cast<ULONG>(rows[0].size());
    SafeArrayBuilder b(VT_VARIANT, 0, columns, 0, static_cast<ULONG>(rows.size()));
    for (size_t r = 0; r < rows.size(); ++r)
        for (size_t c = 0; c < rows[r].size(); ++c)
            b.Put(static_cast<LONG>(c), static_cast<LONG>(r), rows[r][c]);
    return b;
}

// 65536 x 65536 variants, the descriptor alone: more cells than 32 bits count.
inline SafeArrayBuilder UnholdableArray() {
    SAFEARRAY* array = nullptr;
    SafeArrayAllocDescriptorEx(VT_VARIANT, 2, &array);
    array->rgsabound[0].cElements = array->rgsabound[1].cElements = 65536;
    return SafeArrayBuilder(array);
}

inline SafeArrayBuilder MakeColumn(const std::vector<TestVariant>& values) {
    std::vector<std::vector<TestVariant>> rows;
    for (const TestVariant& v : values)
        rows.push_back({v});
    return MakeVariantTable(rows);
}

// Tables of strings, given or "r<record>c<column>".
inline SafeArrayBuilder TableOf(const std::vector<std::vector<std::wstring>>& texts) {
    std::vector<std::vector<TestVariant>> rows(texts.size());
    for (size_t r = 0; r < texts.size(); ++r)
        for (const std::wstring& text : texts[r])
            rows[r].push_back(TestVariant::Str(text.c_str()));
    return MakeVariantTable(rows);
}
inline SafeArrayBuilder TextTable(int records, int columns) {
    std::vector<std::vector<std::wstring>> texts(static_cast<size_t>(records));
    for (int r = 0; r < records; ++r)
        for (int c = 0; c < columns; ++c)
            texts[r].push_back(L"r" + std::to_wstring(r) + L"c" + std::to_wstring(c));
    return TableOf(texts);
}

// Counts its references (never frees itself); its default property runs host code.
struct HostObject : IDispatch {
    explicit HostObject(std::function<void()> onRead, std::wstring value = L"middle")
        : onRead(std::move(onRead)), value(std::move(value)) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        *out = riid == IID_IUnknown || riid == IID_IDispatch ? this : nullptr;
        return *out ? (AddRef(), S_OK) : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override { return --references; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result,
                                     EXCEPINFO*, UINT*) override {
        if (id != DISPID_VALUE || !result)
            return DISP_E_MEMBERNOTFOUND;
        onRead();
        result->vt = VT_BSTR;
        result->bstrVal = SysAllocStringLen(value.data(), UINT(value.size()));
        return result->bstrVal ? S_OK : E_OUTOFMEMORY;
    }
    ULONG references = 1;

    std::function<void()> onRead;
    std::wstring value;
};
