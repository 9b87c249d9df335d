// _View and Cell through the built module: vtable calls with real safe arrays, and the same
// members late-bound through IDispatch as a script host calls them.

#include "com_test_support.h"

#include <olectl.h>

namespace {

class AutomationTest : public ComTest {
protected:
    void SetUp() override {
        ComTest::SetUp();
        ASSERT_EQ(S_OK, CreateViewObject(IID__View, reinterpret_cast<void**>(&view)));
    }
    void TearDown() override {
        if (view)
            view->Release();
        ComTest::TearDown();
    }

    void Load(LONG records, LONG columns) {
        VariantGrid grid(columns, records);
        FillNumbers(grid, records, columns);
        ASSERT_EQ(S_OK, view->SetData(grid.AsVariant(), flShortDate, flMonth, VARIANT_FALSE));
    }
    LONG Records() {
        LONG count = -1;
        EXPECT_EQ(S_OK, view->get_RecordCount(&count));
        return count;
    }
    LONG Columns() {
        LONG count = -1;
        EXPECT_EQ(S_OK, view->get_ColumnCount(&count));
        return count;
    }
    LONG ValueAt(LONG record, LONG column) {
        Cell* cell = nullptr;
        EXPECT_EQ(S_OK, view->get_Cell(record, column, &cell));
        if (!cell)
            return -1;
        VARIANT value;
        VariantInit(&value);
        EXPECT_EQ(S_OK, cell->get_Value(&value));
        cell->Release();
        EXPECT_EQ(S_OK, VariantChangeType(&value, &value, 0, VT_I4));
        return V_I4(&value);
    }

    // Late-bound call of member id with arguments given first to last.
    HRESULT Call(DISPID id, WORD flags, std::initializer_list<VARIANT> arguments, VARIANT* result) {
        VARIANTARG reversed[4];
        UINT count = 0;
        for (auto it = arguments.end(); it != arguments.begin();)
            reversed[count++] = *--it;
        DISPID named = DISPID_PROPERTYPUT;
        DISPPARAMS params = {count ? reversed : nullptr, nullptr, count, 0};
        if (flags & DISPATCH_PROPERTYPUT) {
            params.rgdispidNamedArgs = &named;
            params.cNamedArgs = 1;
        }
        EXCEPINFO exception = {};
        UINT argumentError = 0;
        HRESULT hr = view->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result,
                                  &exception, &argumentError);
        if (hr == DISP_E_EXCEPTION) {
            // The member's own failure, as a script host reports it.
            SysFreeString(exception.bstrSource);
            SysFreeString(exception.bstrDescription);
            SysFreeString(exception.bstrHelpFile);
            return exception.scode;
        }
        return hr;
    }

    _View* view = nullptr;
};

VARIANT I4(LONG value) {
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = VT_I4;
    V_I4(&v) = value;
    return v;
}

} // namespace

TEST_F(AutomationTest, LoadsEitherOrientationWithAnyLowerBounds) {
    // Data(1 To 3, 1 To 5): three columns and five records, cell (r, c) = Data(1 + c, 1 + r).
    VariantGrid grid(3, 5, 1, 1);
    for (LONG i = 1; i <= 3; ++i)
        for (LONG j = 1; j <= 5; ++j)
            grid.SetI4(i, j, i * 10 + j);
    ASSERT_EQ(S_OK, view->SetData(grid.AsVariant(), flShortDate, flMonth, VARIANT_FALSE));
    EXPECT_EQ(5, Records());
    EXPECT_EQ(3, Columns());
    EXPECT_EQ(1 * 10 + 1, ValueAt(0, 0));
    EXPECT_EQ(3 * 10 + 2, ValueAt(1, 2));

    ASSERT_EQ(S_OK, view->SetData(grid.AsVariant(), flShortDate, flMonth, VARIANT_TRUE));
    EXPECT_EQ(3, Records());
    EXPECT_EQ(5, Columns());
    EXPECT_EQ(2 * 10 + 4, ValueAt(1, 3));

    // Only the automation true value reverts; 1 does not.
    ASSERT_EQ(S_OK, view->SetData(grid.AsVariant(), flShortDate, flMonth, 1));
    EXPECT_EQ(5, Records());
}

TEST_F(AutomationTest, RefusedLoadsLeaveTheDataAlone) {
    Load(4, 2);
    VARIANT empty;
    VariantInit(&empty);
    EXPECT_EQ(E_INVALIDARG,
              view->SetData(empty, static_cast<DateTimeFormat>(6), flMonth, VARIANT_FALSE));
    EXPECT_EQ(E_INVALIDARG,
              view->SetData(empty, static_cast<DateTimeFormat>(-1), flMonth, VARIANT_FALSE));
    EXPECT_EQ(E_INVALIDARG, view->SetData(empty, flLongDateLongTime,
                                          static_cast<DateTimeGrouping>(5), VARIANT_FALSE));
    EXPECT_EQ(4, Records());

    VARIANT text;
    VariantInit(&text);
    V_VT(&text) = VT_BSTR;
    V_BSTR(&text) = SysAllocString(L"not an array");
    EXPECT_EQ(E_INVALIDARG, view->SetData(text, flShortDate, flMonth, VARIANT_FALSE));
    VariantClear(&text);
    EXPECT_EQ(E_INVALIDARG, view->SetData(I4(7), flShortDate, flMonth, VARIANT_FALSE));

    // An array variant without an array.
    VARIANT missing;
    VariantInit(&missing);
    V_VT(&missing) = VT_ARRAY | VT_VARIANT;
    V_ARRAY(&missing) = nullptr;
    EXPECT_EQ(E_INVALIDARG, view->SetData(missing, flShortDate, flMonth, VARIANT_FALSE));

    // One and three dimensions are refused by the store.
    SAFEARRAYBOUND line = {3, 0};
    SAFEARRAY* vector = SafeArrayCreate(VT_VARIANT, 1, &line);
    VARIANT one;
    VariantInit(&one);
    V_VT(&one) = VT_ARRAY | VT_VARIANT;
    V_ARRAY(&one) = vector;
    EXPECT_EQ(E_INVALIDARG, view->SetData(one, flShortDate, flMonth, VARIANT_FALSE));
    SafeArrayDestroy(vector);

    EXPECT_EQ(4, Records());
    EXPECT_EQ(2, Columns());
    EXPECT_EQ(301, ValueAt(3, 1));
}

TEST_F(AutomationTest, ByReferenceFollowsOneLevelOnly) {
    VariantGrid grid(2, 3);
    FillNumbers(grid, 3, 2);
    VARIANT inner = grid.AsVariant();
    VARIANT reference;
    VariantInit(&reference);
    V_VT(&reference) = VT_BYREF | VT_VARIANT;
    V_VARIANTREF(&reference) = &inner;
    ASSERT_EQ(S_OK, view->SetData(reference, flShortDate, flMonth, VARIANT_FALSE));
    EXPECT_EQ(3, Records());

    // A reference to the array itself, as a parenthesised script expression arrives.
    SAFEARRAY* array = grid.array;
    VARIANT arrayReference;
    VariantInit(&arrayReference);
    V_VT(&arrayReference) = VT_BYREF | VT_ARRAY | VT_VARIANT;
    V_ARRAYREF(&arrayReference) = &array;
    ASSERT_EQ(S_OK, view->SetData(arrayReference, flShortDate, flMonth, VARIANT_TRUE));
    EXPECT_EQ(2, Records());

    VARIANT twice;
    VariantInit(&twice);
    V_VT(&twice) = VT_BYREF | VT_VARIANT;
    V_VARIANTREF(&twice) = &reference;
    EXPECT_EQ(E_INVALIDARG, view->SetData(twice, flShortDate, flMonth, VARIANT_FALSE));
    EXPECT_EQ(2, Records());

    // A reference to nothing is refused, not followed.
    VARIANT dangling;
    VariantInit(&dangling);
    V_VT(&dangling) = VT_BYREF | VT_VARIANT;
    V_VARIANTREF(&dangling) = nullptr;
    EXPECT_EQ(E_INVALIDARG, view->SetData(dangling, flShortDate, flMonth, VARIANT_FALSE));

    // Empty and null values empty the control and keep labels.
    ASSERT_EQ(S_OK, view->put_ColumnLabel(1, const_cast<BSTR>(L"Kept")));
    VARIANT null;
    VariantInit(&null);
    V_VT(&null) = VT_NULL;
    ASSERT_EQ(S_OK, view->SetData(null, flShortDate, flMonth, VARIANT_FALSE));
    EXPECT_EQ(0, Records());
    EXPECT_EQ(0, Columns());
    LONG selected = 0;
    ASSERT_EQ(S_OK, view->get_SelectedRecord(&selected));
    EXPECT_EQ(-1, selected);
    BSTR label = nullptr;
    ASSERT_EQ(S_OK, view->get_ColumnLabel(1, &label));
    EXPECT_EQ(L"Kept", Text(label));
    SysFreeString(label);
}

TEST_F(AutomationTest, CellsReadTheCurrentLoadAndFailOutsideIt) {
    Cell* cell = nullptr;
    EXPECT_EQ(E_INVALIDARG, view->get_Cell(0, 0, &cell));
    EXPECT_EQ(nullptr, cell);

    Load(5, 2);
    ASSERT_EQ(S_OK, view->get_Cell(4, 1, &cell));
    VARIANT value;
    VariantInit(&value);
    ASSERT_EQ(S_OK, cell->get_Value(&value));
    EXPECT_EQ(401, V_I4(&value));

    Load(3, 2);
    BSTR text = reinterpret_cast<BSTR>(1);
    EXPECT_EQ(E_FAIL, cell->get_Value(&value));
    EXPECT_EQ(E_FAIL, cell->get_Text(&text));
    EXPECT_EQ(nullptr, text);
    EXPECT_EQ(E_FAIL, cell->get_Tag(&text));
    EXPECT_EQ(E_POINTER, cell->get_Value(nullptr));

    Load(10, 2);
    ASSERT_EQ(S_OK, cell->get_Value(&value));
    EXPECT_EQ(401, V_I4(&value));
    ASSERT_EQ(S_OK, cell->get_Text(&text));
    EXPECT_EQ(L"401", Text(text));
    SysFreeString(text);
    ASSERT_EQ(S_OK, cell->get_Tag(&text));
    EXPECT_EQ(L"401", Text(text));
    SysFreeString(text);

    // A cell answers Cell, IDispatch and ISupportErrorInfo, and nothing of its control.
    auto* errors = Query<ISupportErrorInfo>(cell, IID_ISupportErrorInfo);
    ASSERT_NE(nullptr, errors);
    EXPECT_EQ(S_OK, errors->InterfaceSupportsErrorInfo(IID_Cell));
    EXPECT_EQ(S_FALSE, errors->InterfaceSupportsErrorInfo(IID__View));
    errors->Release();
    void* other = nullptr;
    EXPECT_EQ(E_NOINTERFACE, cell->QueryInterface(IID__View, &other));
    EXPECT_EQ(E_NOINTERFACE, cell->QueryInterface(IID_IConnectionPointContainer, &other));
    auto* dispatch = Query<IDispatch>(cell, IID_IDispatch);
    ASSERT_NE(nullptr, dispatch);
    EXPECT_EQ(static_cast<IUnknown*>(cell), static_cast<IUnknown*>(dispatch));
    dispatch->Release();

    // Each call hands out a new object.
    Cell* again = nullptr;
    ASSERT_EQ(S_OK, view->get_Cell(4, 1, &again));
    EXPECT_NE(cell, again);
    again->Release();
    cell->Release();
}

TEST_F(AutomationTest, DateCellTagIsItsGroupingCaption) {
    VariantGrid grid(2, 1);
    grid.SetDate(0, 0, 45365.395833); // 14 March 2024, 9:30
    grid.SetI4(1, 0, 12);
    ASSERT_EQ(S_OK, view->SetData(grid.AsVariant(), flShortDate, flYear, VARIANT_FALSE));
    Cell* date = nullptr;
    ASSERT_EQ(S_OK, view->get_Cell(0, 0, &date));
    BSTR text = nullptr, tag = nullptr;
    ASSERT_EQ(S_OK, date->get_Text(&text));
    ASSERT_EQ(S_OK, date->get_Tag(&tag));
    EXPECT_EQ(L"3/14/2024", Text(text));
    EXPECT_EQ(L"2024", Text(tag));
    SysFreeString(text);
    SysFreeString(tag);
    date->Release();

    Cell* number = nullptr;
    ASSERT_EQ(S_OK, view->get_Cell(0, 1, &number));
    ASSERT_EQ(S_OK, number->get_Text(&text));
    ASSERT_EQ(S_OK, number->get_Tag(&tag));
    EXPECT_EQ(Text(text), Text(tag));
    SysFreeString(text);
    SysFreeString(tag);
    number->Release();
}

TEST_F(AutomationTest, PointerAndIndexChecksRunInTheirOrder) {
    Load(2, 2);
    // Cell: pointer first, then record, then column.
    EXPECT_EQ(E_POINTER, view->get_Cell(-1, -1, nullptr));
    Cell* cell = nullptr;
    EXPECT_EQ(E_INVALIDARG, view->get_Cell(2, 0, &cell));
    EXPECT_EQ(E_INVALIDARG, view->get_Cell(0, 2, &cell));
    EXPECT_EQ(E_INVALIDARG, view->get_Cell(0, -1, &cell));

    // Label and alignment getters check the pointer first, the width getter the index.
    EXPECT_EQ(E_POINTER, view->get_ColumnLabel(-1, nullptr));
    EXPECT_EQ(E_POINTER, view->get_ColumnAlign(-1, nullptr));
    EXPECT_EQ(E_INVALIDARG, view->get_ColumnWidth(-1, nullptr));
    EXPECT_EQ(E_POINTER, view->get_ColumnWidth(0, nullptr));

    EXPECT_EQ(E_INVALIDARG, view->put_ColumnLabel(-1, const_cast<BSTR>(L"x")));
    EXPECT_EQ(E_INVALIDARG, view->put_ColumnWidth(-1, 10));
    EXPECT_EQ(E_INVALIDARG, view->put_ColumnWidth(0, -1));
    EXPECT_EQ(E_INVALIDARG, view->put_ColumnAlign(-1, flRight));
    EXPECT_EQ(E_POINTER, view->get_ColumnCount(nullptr));
    EXPECT_EQ(E_POINTER, view->get_RecordCount(nullptr));
    EXPECT_EQ(E_POINTER, view->get_SelectedRecord(nullptr));
    EXPECT_EQ(E_POINTER, view->get_Enabled(nullptr));
}

TEST_F(AutomationTest, ColumnPropertiesOutliveLoads) {
    BSTR label = nullptr;
    ASSERT_EQ(S_OK, view->put_ColumnLabel(7, const_cast<BSTR>(L"Seventh")));
    ASSERT_EQ(S_OK, view->get_ColumnLabel(7, &label));
    EXPECT_EQ(L"Seventh", Text(label));
    SysFreeString(label);
    ASSERT_EQ(S_OK, view->get_ColumnLabel(3, &label));
    EXPECT_EQ(L"COLUMN 3", Text(label));
    SysFreeString(label);

    ASSERT_EQ(S_OK, view->put_ColumnWidth(2, 0));
    ASSERT_EQ(S_OK, view->put_ColumnAlign(2, static_cast<ColumnAlign>(7)));
    Load(3, 10);
    LONG width = -1;
    ASSERT_EQ(S_OK, view->get_ColumnWidth(2, &width));
    EXPECT_EQ(0, width);
    ColumnAlign align = flLeft;
    ASSERT_EQ(S_OK, view->get_ColumnAlign(2, &align));
    EXPECT_EQ(7, align);
    ASSERT_EQ(S_OK, view->get_ColumnLabel(7, &label));
    EXPECT_EQ(L"Seventh", Text(label));
    SysFreeString(label);
    ASSERT_EQ(S_OK, view->get_ColumnWidth(9, &width));
    EXPECT_EQ(100, width);
}

TEST_F(AutomationTest, EnabledReadsBackAsAutomationBoolean) {
    VARIANT_BOOL value = 0;
    ASSERT_EQ(S_OK, view->get_Enabled(&value));
    EXPECT_EQ(VARIANT_TRUE, value);
    ASSERT_EQ(S_OK, view->put_Enabled(VARIANT_FALSE));
    ASSERT_EQ(S_OK, view->get_Enabled(&value));
    EXPECT_EQ(VARIANT_FALSE, value);
    ASSERT_EQ(S_OK, view->put_Enabled(1));
    ASSERT_EQ(S_OK, view->get_Enabled(&value));
    EXPECT_EQ(VARIANT_TRUE, value);
}

TEST_F(AutomationTest, LateBoundCallsFillInDefaultsAndDefaultMembers) {
    DISPID id = 0;
    LPOLESTR name = const_cast<LPOLESTR>(L"setdata");
    ASSERT_EQ(S_OK, view->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id));
    EXPECT_EQ(1, id);
    name = const_cast<LPOLESTR>(L"NoSuchMember");
    EXPECT_EQ(DISP_E_UNKNOWNNAME,
              view->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id));

    // SetData with the array alone: the optional arguments take their defaults.
    VariantGrid grid(2, 3);
    FillNumbers(grid, 3, 2);
    ASSERT_EQ(S_OK, Call(1, DISPATCH_METHOD, {grid.AsVariant()}, nullptr));
    EXPECT_EQ(3, Records());
    ASSERT_EQ(S_OK, Call(1, DISPATCH_METHOD, {grid.AsVariant(), I4(1), I4(4), I4(-1)}, nullptr));
    EXPECT_EQ(2, Records());
    EXPECT_EQ(E_INVALIDARG, Call(1, DISPATCH_METHOD, {grid.AsVariant(), I4(6)}, nullptr));

    // View(r, c) is Cell(r, c), and a cell's default member is its value.
    VARIANT cell;
    VariantInit(&cell);
    ASSERT_EQ(S_OK, Call(DISPID_VALUE, DISPATCH_PROPERTYGET, {I4(1), I4(0)}, &cell));
    ASSERT_EQ(VT_DISPATCH, V_VT(&cell));
    VARIANT value;
    VariantInit(&value);
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    ASSERT_EQ(S_OK,
              V_DISPATCH(&cell)->Invoke(DISPID_VALUE, IID_NULL, LOCALE_USER_DEFAULT,
                                        DISPATCH_PROPERTYGET, &none, &value, nullptr, nullptr));
    EXPECT_EQ(VT_I4, V_VT(&value));
    EXPECT_EQ(1, V_I4(&value)); // reverted: record 1, column 0 holds Data(1, 0)
    VariantClear(&cell);

    EXPECT_EQ(E_INVALIDARG, Call(DISPID_VALUE, DISPATCH_PROPERTYGET, {I4(9), I4(0)}, &cell));
    ASSERT_EQ(S_OK, Call(3, DISPATCH_PROPERTYPUT, {I4(0), I4(55)}, nullptr));
    VARIANT width;
    VariantInit(&width);
    ASSERT_EQ(S_OK, Call(3, DISPATCH_PROPERTYGET, {I4(0)}, &width));
    EXPECT_EQ(55, V_I4(&width));
    EXPECT_EQ(DISP_E_UNKNOWNINTERFACE,
              view->Invoke(5, IID_IDispatch, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none,
                           &width, nullptr, nullptr));
}

TEST_F(AutomationTest, FailuresLeaveNoStaleErrorObject) {
    ICreateErrorInfo* create = nullptr;
    ASSERT_EQ(S_OK, CreateErrorInfo(&create));
    create->SetDescription(const_cast<LPOLESTR>(L"someone else's failure"));
    IErrorInfo* stale = Query<IErrorInfo>(create, IID_IErrorInfo);
    create->Release();
    ASSERT_EQ(S_OK, SetErrorInfo(0, stale));
    stale->Release();
    EXPECT_EQ(E_INVALIDARG, view->put_ColumnWidth(0, -1));
    IErrorInfo* after = nullptr;
    EXPECT_EQ(S_FALSE, GetErrorInfo(0, &after));
    EXPECT_EQ(nullptr, after);
}
