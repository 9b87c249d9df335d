#pragma once

// Test helpers that build real two-dimensional SAFEARRAYs the way an automation host does, and
// own the variants put into them.
//
//   TestVariant: a VARIANT that clears itself (Str, I4, R8, Date, Cy, Bool, Null, ...).
//   SafeArrayBuilder: a 2-D array of any element type with any lower bounds; Put/PutRaw/PutObject
//   take
//     subscripts in dimension order (dimension 1 first, as Data(i, j) in a host language).
//   Table(...): records x columns in either orientation; PutCell takes (record, column).
//   MakeVariantTable(rows, revert, ...): a VARIANT array from rows of values.

#include <windows.h>
#include <oleauto.h>

#include <cstdint>
#include <initializer_list>
#include <utility>
#include <vector>

class TestVariant {
public:
    TestVariant() { VariantInit(&v); }
    TestVariant(const TestVariant& other) {
        VariantInit(&v);
        VariantCopy(&v, const_cast<VARIANT*>(&other.v));
    }
    TestVariant& operator=(const TestVariant& other) {
        if (this != &other)
            VariantCopy(&v, const_cast<VARIANT*>(&other.v));
        return *this;
    }
    ~TestVariant() { VariantClear(&v); }

    static TestVariant Empty() { return TestVariant(); }
    static TestVariant Null() {
        TestVariant t;
        t.v.vt = VT_NULL;
        return t;
    }
    static TestVariant Str(const wchar_t* text) {
        TestVariant t;
        t.v.vt = VT_BSTR;
        t.v.bstrVal = SysAllocString(text);
        return t;
    }
    // A string with embedded NULs: the whole length counts.
    static TestVariant StrLen(const wchar_t* text, UINT length) {
        TestVariant t;
        t.v.vt = VT_BSTR;
        t.v.bstrVal = SysAllocStringLen(text, length);
        return t;
    }
    static TestVariant NullStr() {
        TestVariant t;
        t.v.vt = VT_BSTR;
        t.v.bstrVal = nullptr;
        return t;
    }
    static TestVariant I1(signed char x) {
        return Make(VT_I1, [&](VARIANT& v) { v.cVal = static_cast<CHAR>(x); });
    }
    static TestVariant UI1(BYTE x) {
        return Make(VT_UI1, [&](VARIANT& v) { v.bVal = x; });
    }
    static TestVariant I2(SHORT x) {
        return Make(VT_I2, [&](VARIANT& v) { v.iVal = x; });
    }
    static TestVariant UI2(USHORT x) {
        return Make(VT_UI2, [&](VARIANT& v) { v.uiVal = x; });
    }
    static TestVariant I4(LONG x) {
        return Make(VT_I4, [&](VARIANT& v) { v.lVal = x; });
    }
    static TestVariant UI4(ULONG x) {
        return Make(VT_UI4, [&](VARIANT& v) { v.ulVal = x; });
    }
    static TestVariant Int(INT x) {
        return Make(VT_INT, [&](VARIANT& v) { v.intVal = x; });
    }
    static TestVariant UInt(UINT x) {
        return Make(VT_UINT, [&](VARIANT& v) { v.uintVal = x; });
    }
    static TestVariant I8(LONGLONG x) {
        return Make(VT_I8, [&](VARIANT& v) { v.llVal = x; });
    }
    static TestVariant UI8(ULONGLONG x) {
        return Make(VT_UI8, [&](VARIANT& v) { v.ullVal = x; });
    }
    static TestVariant R4(float x) {
        return Make(VT_R4, [&](VARIANT& v) { v.fltVal = x; });
    }
    static TestVariant R8(double x) {
        return Make(VT_R8, [&](VARIANT& v) { v.dblVal = x; });
    }
    static TestVariant Date(double x) {
        return Make(VT_DATE, [&](VARIANT& v) { v.date = x; });
    }
    // Currency in ten-thousandths.
    static TestVariant Cy(LONGLONG x) {
        return Make(VT_CY, [&](VARIANT& v) { v.cyVal.int64 = x; });
    }
    static TestVariant Bool(bool x) {
        return Make(VT_BOOL, [&](VARIANT& v) { v.boolVal = x ? VARIANT_TRUE : VARIANT_FALSE; });
    }
    static TestVariant Error(SCODE x) {
        return Make(VT_ERROR, [&](VARIANT& v) { v.scode = x; });
    }
    static TestVariant Decimal(LONGLONG x, BYTE scale) {
        TestVariant t;
        DECIMAL d{};
        d.scale = scale;
        d.sign = x < 0 ? DECIMAL_NEG : 0;
        d.Lo64 = x < 0 ? 0ULL - static_cast<ULONGLONG>(x) : static_cast<ULONGLONG>(x);
        t.v.decVal = d;
        t.v.vt = VT_DECIMAL;
        return t;
    }
    // A calendar moment as an automation date (SystemTimeToVariantTime rounds nothing here).
    static double DateOf(int year, int month, int day, int hour = 0, int minute = 0,
                         int second = 0) {
        SYSTEMTIME st{};
        st.wYear = static_cast<WORD>(year);
        st.wMonth = static_cast<WORD>(month);
        st.wDay = static_cast<WORD>(day);
        st.wHour = static_cast<WORD>(hour);
        st.wMinute = static_cast<WORD>(minute);
        st.wSecond = static_cast<WORD>(second);
        double date = 0;
        SystemTimeToVariantTime(&st, &date);
        return date;
    }

    VARIANT* get() { return &v; }
    const VARIANT& operator*() const { return v; }

private:
    template <typename F> static TestVariant Make(VARTYPE type, F set) {
        TestVariant t;
        set(t.v);
        t.v.vt = type;
        return t;
    }
    VARIANT v;
};

class SafeArrayBuilder {
public:
    // dimension 1: lower1 .. lower1 + count1 - 1; dimension 2 likewise.
    SafeArrayBuilder(VARTYPE type, LONG lower1, ULONG count1, LONG lower2, ULONG count2) {
        SAFEARRAYBOUND bounds[2];
        bounds[0].lLbound = lower1;
        bounds[0].cElements = count1;
        bounds[1].lLbound = lower2;
        bounds[1].cElements = count2;
        array = SafeArrayCreate(type, 2, bounds);
    }
    // A records x columns table: without revert dimension 1 holds the columns (Data(column,
    // record)), with revert the records (Data(record, column)).
    static SafeArrayBuilder Table(VARTYPE type, ULONG records, ULONG columns, bool revert = false,
                                  LONG recordLower = 0, LONG columnLower = 0) {
        SafeArrayBuilder b =
            revert ? SafeArrayBuilder(type, recordLower, records, columnLower, columns)
                   : SafeArrayBuilder(type, columnLower, columns, recordLower, records);
        b.revert = revert;
        b.recordLower = recordLower;
        b.columnLower = columnLower;
        return b;
    }
    // Adopts an array built by hand (descriptor tricks); destroys it like the others.
    explicit SafeArrayBuilder(SAFEARRAY* adopted) : array(adopted) {}

    SafeArrayBuilder(SafeArrayBuilder&& other) noexcept
        : array(std::exchange(other.array, nullptr)), revert(other.revert),
          recordLower(other.recordLower), columnLower(other.columnLower) {}
    SafeArrayBuilder(const SafeArrayBuilder&) = delete;
    SafeArrayBuilder& operator=(const SafeArrayBuilder&) = delete;
    ~SafeArrayBuilder() {
        if (array)
            SafeArrayDestroy(array);
    }

    // Subscripts in dimension order; for VARIANT arrays the variant, for BSTR arrays its string.
    HRESULT Put(LONG index1, LONG index2, const TestVariant& value) {
        LONG indices[2] = {index1, index2};
        VARTYPE type = VT_EMPTY;
        SafeArrayGetVartype(array, &type);
        if (type == VT_BSTR)
            return SafeArrayPutElement(array, indices, (*value).bstrVal);
        return SafeArrayPutElement(array, indices, const_cast<VARIANT*>(&*value));
    }
    // Arrays of objects take the pointer itself; the array adds its own reference.
    HRESULT PutObject(LONG index1, LONG index2, IUnknown* object) {
        LONG indices[2] = {index1, index2};
        return SafeArrayPutElement(array, indices, object);
    }
    template <typename T> HRESULT PutRaw(LONG index1, LONG index2, T value) {
        LONG indices[2] = {index1, index2};
        return SafeArrayPutElement(array, indices, &value);
    }
    HRESULT PutCell(LONG record, LONG column, const TestVariant& value) {
        LONG i1, i2;
        CellIndices(record, column, i1, i2);
        return Put(i1, i2, value);
    }
    template <typename T> HRESULT PutCellRaw(LONG record, LONG column, T value) {
        LONG i1, i2;
        CellIndices(record, column, i1, i2);
        return PutRaw(i1, i2, value);
    }

    SAFEARRAY* get() const { return array; }

private:
    void CellIndices(LONG record, LONG column, LONG& i1, LONG& i2) const {
        if (revert) {
            i1 = recordLower + record;
            i2 = columnLower + column;
        } else {
            i1 = columnLower + column;
            i2 = recordLower + record;
        }
    }

    SAFEARRAY* array = nullptr;
    bool revert = false;
    LONG recordLower = 0;
    LONG columnLower = 0;
};

// A VARIANT table from rows of values (one row a record), in the chosen orientation.
inline SafeArrayBuilder MakeVariantTable(const std::vector<std::vector<TestVariant>>& rows,
                                         bool revert = false, LONG recordLower = 0,
                                         LONG columnLower = 0) {
    const ULONG records = static_cast<ULONG>(rows.size());
    const ULONG columns = rows.empty() ? 0 : static_cast<ULONG>(rows[0].size());
    SafeArrayBuilder b =
        SafeArrayBuilder::Table(VT_VARIANT, records, columns, revert, recordLower, columnLower);
    for (ULONG r = 0; r < records; ++r)
        for (ULONG c = 0; c < columns && c < rows[r].size(); ++c)
            b.PutCell(static_cast<LONG>(r), static_cast<LONG>(c), rows[r][c]);
    return b;
}

// One column of values, one record each.
inline SafeArrayBuilder MakeColumn(const std::vector<TestVariant>& values) {
    std::vector<std::vector<TestVariant>> rows;
    for (const TestVariant& v : values)
        rows.push_back({v});
    return MakeVariantTable(rows);
}
