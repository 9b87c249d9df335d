#include "safe_array_builder.h"
#include "store/cell_text.h"
#include "store/record_store.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

std::string Text(const RecordStore& store, int32_t record, int32_t column) {
    return DisplayText(store.Cell(record, column));
}

std::wstring Label(RecordStore& store, int32_t position) {
    return store.LabelAt(position);
}

// Data(1 To 3, 1 To 5) as a host builds it: element (i, j) holds 10 * i + j.
SafeArrayBuilder NumberedArray(LONG lower1, ULONG count1, LONG lower2, ULONG count2) {
    SafeArrayBuilder b(VT_VARIANT, lower1, count1, lower2, count2);
    for (LONG i = lower1; i < lower1 + static_cast<LONG>(count1); ++i)
        for (LONG j = lower2; j < lower2 + static_cast<LONG>(count2); ++j)
            b.Put(i, j, TestVariant::I4(10 * i + j));
    return b;
}

// A descriptor built by hand, with the given features and element size and no type stored.
SafeArrayBuilder HandMadeArray(USHORT features, ULONG elementSize, ULONG count1, ULONG count2,
                               bool allocateData = true) {
    SAFEARRAY* array = nullptr;
    if (FAILED(SafeArrayAllocDescriptor(2, &array)))
        return SafeArrayBuilder(nullptr);
    array->fFeatures = features;
    array->cbElements = elementSize;
    array->rgsabound[0].lLbound = 0;
    array->rgsabound[0].cElements = count2;
    array->rgsabound[1].lLbound = 0;
    array->rgsabound[1].cElements = count1;
    if (allocateData && FAILED(SafeArrayAllocData(array))) {
        SafeArrayDestroyDescriptor(array);
        return SafeArrayBuilder(nullptr);
    }
    return SafeArrayBuilder(array);
}

void ExpectIdentityViews(const RecordStore& store) {
    EXPECT_EQ(store.groupLevelCount, 0);
    EXPECT_EQ(store.sortPosition, 0);
    EXPECT_EQ(store.anchorRecord, -1);
    for (int32_t c = 0; c < store.columnCount; ++c) {
        EXPECT_EQ(store.columnOrder[c], c);
        EXPECT_EQ(store.sortPriority[c], c);
        EXPECT_EQ(store.sortAscending[c], 1);
        EXPECT_EQ(store.groupAscending[c], 1);
    }
}

// ---------------------------------------------------------------------------------------------
// Shape and orientation

TEST(LoadShape, WithoutRevertDimensionOneIndexesColumns) {
    RecordStore store;
    SafeArrayBuilder data = NumberedArray(1, 3, 1, 5);
    ASSERT_TRUE(store.SetData(data.get(), datetime::flShortDate, datetime::flDay, false));
    ASSERT_EQ(store.columnCount, 3);
    ASSERT_EQ(store.recordCount, 5);
    for (int32_t r = 0; r < 5; ++r)
        for (int32_t c = 0; c < 3; ++c) {
            const int expected = 10 * (1 + c) + (1 + r);
            EXPECT_EQ(store.Cell(r, c).value.vt, VT_I4);
            EXPECT_EQ(store.Cell(r, c).value.lVal, expected) << r << "," << c;
            EXPECT_EQ(Text(store, r, c), std::to_string(expected));
        }
}

TEST(LoadShape, WithRevertDimensionOneIndexesRecords) {
    RecordStore store;
    SafeArrayBuilder data = NumberedArray(1, 3, 1, 5);
    ASSERT_TRUE(store.SetData(data.get(), datetime::flShortDate, datetime::flDay, true));
    ASSERT_EQ(store.columnCount, 5);
    ASSERT_EQ(store.recordCount, 3);
    for (int32_t r = 0; r < 3; ++r)
        for (int32_t c = 0; c < 5; ++c)
            EXPECT_EQ(store.Cell(r, c).value.lVal, 10 * (1 + r) + (1 + c)) << r << "," << c;
}

TEST(LoadShape, AnyLowerBoundsOnlyTheirSpanCounts) {
    RecordStore store;
    SafeArrayBuilder data = NumberedArray(-2, 3, 7, 2); // Data(-2 To 0, 7 To 8)
    ASSERT_TRUE(store.SetData(data.get(), 0, 0, false));
    ASSERT_EQ(store.columnCount, 3);
    ASSERT_EQ(store.recordCount, 2);
    EXPECT_EQ(store.Cell(0, 0).value.lVal, 10 * -2 + 7);
    EXPECT_EQ(store.Cell(1, 2).value.lVal, 10 * 0 + 8);
    ASSERT_TRUE(store.SetData(data.get(), 0, 0, true));
    ASSERT_EQ(store.columnCount, 2);
    ASSERT_EQ(store.recordCount, 3);
    EXPECT_EQ(store.Cell(2, 1).value.lVal, 10 * 0 + 8);
    EXPECT_EQ(store.Cell(0, 1).value.lVal, 10 * -2 + 8);
}

TEST(LoadShape, EmptyRecordDimensionKeepsTheColumns) {
    RecordStore store;
    SafeArrayBuilder data(VT_VARIANT, 0, 4, 1, 0); // four columns, no records
    ASSERT_NE(data.get(), nullptr);
    ASSERT_TRUE(store.SetData(data.get(), 0, 0, false));
    EXPECT_EQ(store.columnCount, 4);
    EXPECT_EQ(store.recordCount, 0);
    EXPECT_EQ(Label(store, 3), L"COLUMN 3");
    ExpectIdentityViews(store);
}

TEST(LoadShape, NullSourceEmptiesTheStoreButKeepsColumnInformation) {
    RecordStore store;
    SafeArrayBuilder data = NumberedArray(0, 2, 0, 2);
    ASSERT_TRUE(store.SetData(data.get(), 0, 0, false));
    store.columnInfo[1].width = 42;
    ASSERT_TRUE(store.SetData(nullptr, 0, 0, false));
    EXPECT_EQ(store.columnCount, 0);
    EXPECT_EQ(store.recordCount, 0);
    EXPECT_EQ(store.cells, nullptr);
    EXPECT_GE(store.columnInfoCount, 2);
    EXPECT_EQ(store.WidthAt(1), 42);
}

TEST(LoadShape, ReloadResetsEveryViewArray) {
    RecordStore store;
    SafeArrayBuilder data = NumberedArray(0, 3, 0, 4);
    ASSERT_TRUE(store.SetData(data.get(), 0, 0, false));
    store.columnOrder[0] = 2;
    store.columnOrder[2] = 0;
    store.sortPriority[0] = 1;
    store.sortPriority[1] = 0;
    store.sortAscending[1] = 0;
    store.groupAscending[2] = 0;
    store.groupLevelCount = 2;
    store.sortPosition = 2;
    store.anchorRecord = 3;
    ASSERT_TRUE(store.SetData(data.get(), 0, 0, false));
    ExpectIdentityViews(store);
    bool seen[4] = {};
    for (int32_t p = 0; p < store.recordCount; ++p) {
        ASSERT_GE(store.recordOrder[p], 0);
        ASSERT_LT(store.recordOrder[p], 4);
        seen[store.recordOrder[p]] = true;
    }
    EXPECT_TRUE(seen[0] && seen[1] && seen[2] && seen[3]);
}

// ---------------------------------------------------------------------------------------------
// Element types of typed arrays

struct TypedCase {
    const char* name;
    VARTYPE type;
    void (*put)(SafeArrayBuilder&);
    const char* text;
};

const TypedCase typedCases[] = {
    {"UI1", VT_UI1, [](SafeArrayBuilder& b) { b.PutRaw<BYTE>(0, 0, 200); }, "200"},
    {"I1", VT_I1, [](SafeArrayBuilder& b) { b.PutRaw<CHAR>(0, 0, -5); }, "-5"},
    {"I2", VT_I2, [](SafeArrayBuilder& b) { b.PutRaw<SHORT>(0, 0, -300); }, "-300"},
    {"UI2", VT_UI2, [](SafeArrayBuilder& b) { b.PutRaw<USHORT>(0, 0, 65535); }, "65535"},
    {"I4", VT_I4, [](SafeArrayBuilder& b) { b.PutRaw<LONG>(0, 0, -2147483647 - 1); },
     "-2147483648"},
    {"UI4", VT_UI4, [](SafeArrayBuilder& b) { b.PutRaw<ULONG>(0, 0, 4294967295u); }, "4294967295"},
    {"INT", VT_INT, [](SafeArrayBuilder& b) { b.PutRaw<INT>(0, 0, 77); }, "77"},
    {"UINT", VT_UINT, [](SafeArrayBuilder& b) { b.PutRaw<UINT>(0, 0, 78); }, "78"},
    {"I8", VT_I8, [](SafeArrayBuilder& b) { b.PutRaw<LONGLONG>(0, 0, -9000000000LL); },
     "-9000000000"},
    {"UI8", VT_UI8, [](SafeArrayBuilder& b) { b.PutRaw<ULONGLONG>(0, 0, 18000000000ULL); },
     "18000000000"},
    {"R4", VT_R4, [](SafeArrayBuilder& b) { b.PutRaw<float>(0, 0, 1.5f); }, "1.5"},
    {"R8", VT_R8, [](SafeArrayBuilder& b) { b.PutRaw<double>(0, 0, 0.1 + 0.2); }, "0.3"},
    {"CY", VT_CY, [](SafeArrayBuilder& b) { b.PutRaw<LONGLONG>(0, 0, 12345); }, "$1.23"},
    {"DATE", VT_DATE, [](SafeArrayBuilder& b) { b.PutRaw<double>(0, 0, 45365.0); }, "3/14/2024"},
    {"BSTR", VT_BSTR, [](SafeArrayBuilder& b) { b.Put(0, 0, TestVariant::Str(L"abc")); }, "abc"},
    {"BOOL", VT_BOOL, [](SafeArrayBuilder& b) { b.PutRaw<VARIANT_BOOL>(0, 0, VARIANT_TRUE); },
     "-1"},
    {"DECIMAL", VT_DECIMAL,
     [](SafeArrayBuilder& b) {
         DECIMAL d = (*TestVariant::Decimal(-12345, 2)).decVal;
         b.PutRaw<DECIMAL>(0, 0, d);
     },
     "-123.45"},
    {"VARIANT", VT_VARIANT, [](SafeArrayBuilder& b) { b.Put(0, 0, TestVariant::R8(2.5)); }, "2.5"},
};

class TypedArrays : public ::testing::TestWithParam<TypedCase> {};

TEST_P(TypedArrays, EveryAcceptedElementTypeLoadsItsValueAndText) {
    const TypedCase& c = GetParam();
    for (bool revert : {false, true}) {
        SafeArrayBuilder data(c.type, 0, 1, 0, 1);
        ASSERT_NE(data.get(), nullptr) << c.name;
        c.put(data);
        RecordStore store;
        ASSERT_TRUE(store.SetData(data.get(), datetime::flShortDate, datetime::flDay, revert))
            << c.name;
        ASSERT_EQ(store.recordCount, 1);
        ASSERT_EQ(store.columnCount, 1);
        const VARTYPE stored = c.type == VT_VARIANT ? static_cast<VARTYPE>(VT_R8) : c.type;
        EXPECT_EQ(store.Cell(0, 0).value.vt, stored) << c.name;
        EXPECT_EQ(Text(store, 0, 0), c.text) << c.name;
    }
}

INSTANTIATE_TEST_SUITE_P(Load, TypedArrays, ::testing::ValuesIn(typedCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(LoadTyped, ValuesKeepTheirBitsAcrossBothOrientationsAndBounds) {
    for (bool revert : {false, true}) {
        SafeArrayBuilder data = SafeArrayBuilder::Table(VT_I2, 4, 3, revert, -1, 5);
        for (LONG r = 0; r < 4; ++r)
            for (LONG c = 0; c < 3; ++c)
                ASSERT_EQ(data.PutCellRaw<SHORT>(r, c, static_cast<SHORT>(100 * r + c)), S_OK);
        RecordStore store;
        ASSERT_TRUE(store.SetData(data.get(), 0, 0, revert));
        ASSERT_EQ(store.recordCount, 4);
        ASSERT_EQ(store.columnCount, 3);
        for (int32_t r = 0; r < 4; ++r)
            for (int32_t c = 0; c < 3; ++c) {
                EXPECT_EQ(store.Cell(r, c).value.vt, VT_I2);
                EXPECT_EQ(store.Cell(r, c).value.iVal, 100 * r + c);
            }
    }
}

TEST(LoadTyped, StringArrayCopiesEachStringAndANullStringHasNoText) {
    SafeArrayBuilder data(VT_BSTR, 0, 1, 0, 2);
    data.Put(0, 0, TestVariant::Str(L"first"));
    RecordStore store;
    ASSERT_TRUE(store.SetData(data.get(), 0, 0, false));
    ASSERT_EQ(store.recordCount, 2);
    const VARIANT& first = store.Cell(0, 0).value;
    ASSERT_EQ(first.vt, VT_BSTR);
    EXPECT_STREQ(first.bstrVal, L"first");
    EXPECT_EQ(Text(store, 0, 0), "first");
    // The stored string is the store's own: changing the host's array does not reach it.
    data.Put(0, 0, TestVariant::Str(L"changed"));
    EXPECT_STREQ(store.Cell(0, 0).value.bstrVal, L"first");
    EXPECT_EQ(store.Cell(1, 0).value.vt, VT_BSTR);
    EXPECT_EQ(store.Cell(1, 0).text, nullptr);
}

TEST(LoadTyped, UntypedArraysAreReadByElementSize) {
    struct {
        ULONG size;
        VARTYPE type;
    } cases[] = {{1, VT_UI1}, {2, VT_I2}, {4, VT_I4}};
    for (const auto& c : cases) {
        SafeArrayBuilder data = HandMadeArray(0, c.size, 2, 1);
        ASSERT_NE(data.get(), nullptr);
        RecordStore store;
        ASSERT_TRUE(store.SetData(data.get(), 0, 0, false)) << c.size;
        ASSERT_EQ(store.columnCount, 2);
        ASSERT_EQ(store.recordCount, 1);
        EXPECT_EQ(store.Cell(0, 1).value.vt, c.type);
        EXPECT_EQ(Text(store, 0, 1), "0");
    }
}

// ---------------------------------------------------------------------------------------------
// Refused arrays leave the previous load as it was

class RefusedArrays : public ::testing::Test {
protected:
    void SetUp() override {
        SafeArrayBuilder data = NumberedArray(0, 2, 0, 3);
        ASSERT_TRUE(store.SetData(data.get(), 0, 0, false));
        store.groupLevelCount = 1;
        store.columnOrder[0] = 1;
        store.columnOrder[1] = 0;
        cellsBefore = store.cells;
    }
    void ExpectUnchanged() {
        EXPECT_EQ(store.cells, cellsBefore);
        ASSERT_EQ(store.columnCount, 2);
        ASSERT_EQ(store.recordCount, 3);
        EXPECT_EQ(store.groupLevelCount, 1);
        EXPECT_EQ(store.columnOrder[0], 1);
        for (int32_t r = 0; r < 3; ++r)
            for (int32_t c = 0; c < 2; ++c) {
                EXPECT_EQ(store.Cell(r, c).value.lVal, 10 * c + r);
                EXPECT_EQ(Text(store, r, c), std::to_string(10 * c + r));
            }
    }
    RecordStore store;
    const CellEntry* cellsBefore = nullptr;
};

TEST_F(RefusedArrays, OneDimension) {
    SAFEARRAYBOUND bound{3, 0};
    SafeArrayBuilder data(SafeArrayCreate(VT_VARIANT, 1, &bound));
    EXPECT_FALSE(store.SetData(data.get(), 0, 0, false));
    EXPECT_FALSE(store.SetData(data.get(), 0, 0, true));
    ExpectUnchanged();
}

TEST_F(RefusedArrays, ThreeDimensions) {
    SAFEARRAYBOUND bounds[3] = {{2, 0}, {2, 0}, {2, 0}};
    SafeArrayBuilder data(SafeArrayCreate(VT_VARIANT, 3, bounds));
    EXPECT_FALSE(store.SetData(data.get(), 0, 0, false));
    ExpectUnchanged();
}

TEST_F(RefusedArrays, InterfacePointers) {
    SafeArrayBuilder data(VT_UNKNOWN, 0, 2, 0, 2);
    ASSERT_NE(data.get(), nullptr);
    EXPECT_FALSE(store.SetData(data.get(), 0, 0, false));
    ExpectUnchanged();
}

TEST_F(RefusedArrays, Records) {
    // A record array of four-byte records must not pass as an array of integers.
    SafeArrayBuilder data = HandMadeArray(0, 4, 2, 2);
    ASSERT_NE(data.get(), nullptr);
    data.get()->fFeatures = FADF_RECORD;
    EXPECT_FALSE(store.SetData(data.get(), 0, 0, false));
    data.get()->fFeatures = 0; // there is no record description to release
    ExpectUnchanged();
}

TEST_F(RefusedArrays, UntypedElementsOfAnotherSize) {
    SafeArrayBuilder data = HandMadeArray(0, 8, 2, 2);
    ASSERT_NE(data.get(), nullptr);
    EXPECT_FALSE(store.SetData(data.get(), 0, 0, false));
    ExpectUnchanged();
}

TEST_F(RefusedArrays, ElementSizeThatContradictsTheStoredType) {
    SafeArrayBuilder data(VT_I4, 0, 2, 0, 2);
    ASSERT_NE(data.get(), nullptr);
    data.get()->cbElements = 64; // would overrun the fetched value
    EXPECT_FALSE(store.SetData(data.get(), 0, 0, false));
    data.get()->cbElements = 4;
    ExpectUnchanged();
}

// ---------------------------------------------------------------------------------------------
// Sizes that cannot be held

TEST(LoadLimits, CellCountBeyondThirtyTwoBitsGivesAnEmptyStore) {
    RecordStore store;
    SafeArrayBuilder old = NumberedArray(0, 2, 0, 2);
    ASSERT_TRUE(store.SetData(old.get(), 0, 0, false));
    // 65536 x 65536 elements: the descriptor alone, no data behind it.
    SafeArrayBuilder data = HandMadeArray(FADF_VARIANT, sizeof(VARIANT), 65536, 65536, false);
    ASSERT_NE(data.get(), nullptr);
    EXPECT_TRUE(store.SetData(data.get(), 0, 0, false));
    EXPECT_EQ(store.columnCount, 0);
    EXPECT_EQ(store.recordCount, 0);
    EXPECT_EQ(store.cells, nullptr);
    EXPECT_EQ(store.rowCount, 1);
}

// ---------------------------------------------------------------------------------------------
// Cell values

TEST(LoadValues, EmptyAndNullVariantsAreValuesNotFailures) {
    RecordStore store;
    SafeArrayBuilder data = MakeColumn({TestVariant::Empty(), TestVariant::Null()});
    ASSERT_TRUE(store.SetData(data.get(), 0, 0, false));
    EXPECT_EQ(store.Cell(0, 0).value.vt, VT_EMPTY);
    EXPECT_EQ(Text(store, 0, 0), "<EMPTY>");
    EXPECT_EQ(store.Cell(1, 0).value.vt, VT_NULL);
    EXPECT_EQ(Text(store, 1, 0), "<NULL>");
}

TEST(LoadValues, ByReferenceElementIsStoredAsTheValueItRefersTo) {
    LONG hostValue = 42;
    TestVariant reference;
    reference.get()->vt = VT_BYREF | VT_I4;
    reference.get()->plVal = &hostValue;
    SafeArrayBuilder data = MakeColumn({reference});
    RecordStore store;
    ASSERT_TRUE(store.SetData(data.get(), 0, 0, false));
    hostValue = 7;
    EXPECT_EQ(store.Cell(0, 0).value.vt, VT_I4);
    EXPECT_EQ(store.Cell(0, 0).value.lVal, 42);
    EXPECT_EQ(Text(store, 0, 0), "42");
}

TEST(LoadValues, NestedArrayIsCopiedAndHasNoText) {
    SAFEARRAYBOUND bound{2, 0};
    TestVariant nested;
    nested.get()->vt = VT_ARRAY | VT_I4;
    nested.get()->parray = SafeArrayCreate(VT_I4, 1, &bound);
    SafeArrayBuilder data = MakeColumn({nested});
    RecordStore store;
    ASSERT_TRUE(store.SetData(data.get(), 0, 0, false));
    const VARIANT& stored = store.Cell(0, 0).value;
    EXPECT_EQ(stored.vt, VT_ARRAY | VT_I4);
    EXPECT_NE(stored.parray, (*nested).parray);
    EXPECT_EQ(store.Cell(0, 0).text, nullptr);
}

TEST(LoadValues, StringWithEmbeddedNulKeepsTheValueAndShowsTheFirstPart) {
    SafeArrayBuilder data = MakeColumn({TestVariant::StrLen(L"ab\0cd", 5)});
    RecordStore store;
    ASSERT_TRUE(store.SetData(data.get(), 0, 0, false));
    EXPECT_EQ(SysStringLen(store.Cell(0, 0).value.bstrVal), 5u);
    EXPECT_EQ(Text(store, 0, 0), "ab");
}

TEST(LoadValues, ReloadReplacesEveryCell) {
    RecordStore store;
    SafeArrayBuilder first = MakeVariantTable({{TestVariant::Str(L"a"), TestVariant::I4(1)},
                                               {TestVariant::Str(L"b"), TestVariant::I4(2)}});
    SafeArrayBuilder second = MakeColumn({TestVariant::Str(L"z")});
    ASSERT_TRUE(store.SetData(first.get(), 0, 0, false));
    ASSERT_TRUE(store.SetData(second.get(), 0, 0, false));
    ASSERT_EQ(store.columnCount, 1);
    ASSERT_EQ(store.recordCount, 1);
    EXPECT_EQ(Text(store, 0, 0), "z");
    EXPECT_STREQ(store.Cell(0, 0).value.bstrVal, L"z");
}

// ---------------------------------------------------------------------------------------------
// Objects: referenced while loaded, shown through their default property

class ValueObject : public IDispatch {
public:
    explicit ValueObject(const wchar_t* defaultValue) : value(defaultValue) {}
    // Host code run when the control asks for the default value.
    std::function<void()> onRead;
    LONG References() const { return references; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out)
            return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch)) {
            *out = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++references); }
    ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--references); }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return DISP_E_UNKNOWNNAME;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result,
                                     EXCEPINFO*, UINT*) override {
        if (onRead)
            onRead();
        if (id != DISPID_VALUE || !value)
            return DISP_E_MEMBERNOTFOUND;
        if (result) {
            VariantInit(result);
            result->vt = VT_BSTR;
            result->bstrVal = SysAllocString(value);
        }
        return S_OK;
    }

private:
    const wchar_t* value;
    LONG references = 1; // the test's own
};

TEST(LoadObjects, DispatchArrayKeepsOneReferenceAndShowsTheDefaultValue) {
    ValueObject withValue(L"from the object");
    ValueObject withoutValue(nullptr);
    {
        SafeArrayBuilder data(VT_DISPATCH, 0, 1, 0, 2);
        ASSERT_EQ(data.PutObject(0, 0, &withValue), S_OK);
        ASSERT_EQ(data.PutObject(0, 1, &withoutValue), S_OK);
        const LONG inArray = withValue.References();
        {
            RecordStore store;
            ASSERT_TRUE(store.SetData(data.get(), 0, 0, false));
            ASSERT_EQ(store.recordCount, 2);
            EXPECT_EQ(store.Cell(0, 0).value.vt, VT_DISPATCH);
            EXPECT_EQ(store.Cell(0, 0).value.pdispVal, &withValue);
            EXPECT_EQ(Text(store, 0, 0), "from the object");
            EXPECT_EQ(store.Cell(1, 0).text, nullptr);
            EXPECT_EQ(withValue.References(), inArray + 1);
            // A reload releases what the previous load held.
            ASSERT_TRUE(store.SetData(nullptr, 0, 0, false));
            EXPECT_EQ(withValue.References(), inArray);
            ASSERT_TRUE(store.SetData(data.get(), 0, 0, true));
        }
        EXPECT_EQ(withValue.References(), inArray);
        EXPECT_EQ(withoutValue.References(), inArray);
    }
    EXPECT_EQ(withValue.References(), 1);
}

TEST(LoadObjects, ObjectInAVariantArray) {
    ValueObject object(L"42");
    {
        TestVariant element;
        element.get()->vt = VT_DISPATCH;
        element.get()->pdispVal = &object;
        object.AddRef();
        SafeArrayBuilder data = MakeColumn({element, TestVariant::I4(7)});
        RecordStore store;
        ASSERT_TRUE(store.SetData(data.get(), 0, 0, false));
        EXPECT_EQ(Text(store, 0, 0), "42");
        EXPECT_EQ(store.Cell(0, 0).value.vt, VT_DISPATCH);
    }
    EXPECT_EQ(object.References(), 1);
}

TEST(LoadObjects, HostCodeRunDuringTheLoadCannotPullTheCellsAway) {
    RecordStore store;
    SafeArrayBuilder other = NumberedArray(0, 1, 0, 1);
    ValueObject object(L"middle");
    bool called = false;
    object.onRead = [&] {
        called = true;
        // A second load from inside the first is refused; the store it sees is consistent.
        EXPECT_FALSE(store.SetData(other.get(), 0, 0, false));
        EXPECT_EQ(store.recordCount, 3);
        EXPECT_EQ(store.columnCount, 1);
        for (int32_t p = 0; p < store.recordCount; ++p)
            EXPECT_EQ(store.recordOrder[p], p);
        EXPECT_EQ(Text(store, 0, 0), "first");
        EXPECT_EQ(store.Cell(2, 0).value.vt, VT_EMPTY); // not read yet
    };
    TestVariant element;
    element.get()->vt = VT_DISPATCH;
    element.get()->pdispVal = &object;
    object.AddRef();
    {
        SafeArrayBuilder data =
            MakeColumn({TestVariant::Str(L"first"), element, TestVariant::Str(L"last")});
        ASSERT_TRUE(store.SetData(data.get(), 0, 0, false));
    }
    EXPECT_TRUE(called);
    ASSERT_EQ(store.recordCount, 3);
    EXPECT_EQ(Text(store, 1, 0), "middle");
    EXPECT_EQ(Text(store, 2, 0), "last");
    EXPECT_TRUE(store.SetData(other.get(), 0, 0, false)); // accepted again afterwards
}

// ---------------------------------------------------------------------------------------------
// Column information

TEST(ColumnInfo, DefaultsComeFromTheStringResource) {
    RecordStore store;
    EXPECT_EQ(store.columnInfoCount, 0);
    EXPECT_EQ(Label(store, 0), L"COLUMN 0");
    EXPECT_EQ(Label(store, 11), L"COLUMN 11");
    EXPECT_EQ(store.columnInfoCount, 12);
    EXPECT_EQ(store.WidthAt(5), 100);
    EXPECT_EQ(store.AlignAt(5), 0);
}

TEST(ColumnInfo, GrowsButNeverShrinksAndKeepsEarlierSettings) {
    RecordStore store;
    ASSERT_TRUE(store.EnsureColumnInfo(3));
    SysFreeString(store.columnInfo[1].label);
    store.columnInfo[1].label = SysAllocString(L"Name");
    store.columnInfo[1].align = 7;
    SysFreeString(store.columnInfo[2].label);
    store.columnInfo[2].label = nullptr; // an absent label reads as empty
    ASSERT_TRUE(store.EnsureColumnInfo(10));
    EXPECT_EQ(store.columnInfoCount, 10);
    ASSERT_TRUE(store.EnsureColumnInfo(2));
    EXPECT_EQ(store.columnInfoCount, 10);
    EXPECT_EQ(Label(store, 1), L"Name");
    EXPECT_EQ(store.AlignAt(1), 7);
    EXPECT_EQ(Label(store, 2), L"");
    EXPECT_EQ(Label(store, 9), L"COLUMN 9");
}

TEST(ColumnInfo, LabelSetBeforeAnyLoadAppliesToLaterLoads) {
    RecordStore store;
    ASSERT_TRUE(store.EnsureColumnInfo(8));
    SysFreeString(store.columnInfo[7].label);
    store.columnInfo[7].label = SysAllocString(L"Total");
    EXPECT_EQ(Label(store, 3), L"COLUMN 3");
    SafeArrayBuilder data(VT_VARIANT, 0, 10, 0, 1); // ten columns, one record
    ASSERT_TRUE(store.SetData(data.get(), 0, 0, false));
    EXPECT_EQ(store.columnCount, 10);
    EXPECT_EQ(Label(store, 7), L"Total");
}

TEST(ColumnInfo, WidthAndAlignSurviveReloadsAndFollowTheDisplayOrder) {
    RecordStore store;
    SafeArrayBuilder data = NumberedArray(0, 3, 0, 2);
    ASSERT_TRUE(store.SetData(data.get(), 0, 0, false));
    store.SetWidthAt(2, 0);
    store.SetWidthAt(1, 250);
    store.columnInfo[1].align = 2;
    store.columnOrder[0] = 2;
    store.columnOrder[2] = 0;
    EXPECT_EQ(store.WidthAt(0), 0); // column 2 is shown first
    EXPECT_EQ(Label(store, 0), L"COLUMN 2");
    ASSERT_TRUE(store.SetData(data.get(), 0, 0, false));
    EXPECT_EQ(store.WidthAt(0), 100);
    EXPECT_EQ(store.WidthAt(1), 250);
    EXPECT_EQ(store.WidthAt(2), 0);
    EXPECT_EQ(store.AlignAt(1), 2);
}

TEST(ColumnInfo, PositionsPastTheLoadedColumnsAddressColumnIndices) {
    RecordStore store;
    SafeArrayBuilder data = NumberedArray(0, 2, 0, 1);
    ASSERT_TRUE(store.SetData(data.get(), 0, 0, false));
    store.SetWidthAt(20, 33);
    EXPECT_EQ(store.columnInfoCount, 21);
    EXPECT_EQ(store.columnInfo[20].width, 33);
    EXPECT_EQ(Label(store, -1), L"");
    EXPECT_EQ(store.WidthAt(-1), 100);
}

} // namespace
