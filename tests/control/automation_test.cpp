// _View and Cell through the built module's vtables with real safe arrays; what script hosts
// do (late binding, both orientations, refusals) is driven by a real host in automation.vbs.

#include "com_test_support.h"

#include <utility>

namespace {

// A call made over the error object of an earlier, unrelated failure, which it must clear.
template <typename Call> HRESULT OverAnEarlierError(Call call) {
    ICreateErrorInfo* create = nullptr;
    EXPECT_EQ(S_OK, CreateErrorInfo(&create));
    SetErrorInfo(0, Query<IErrorInfo>(create, IID_IErrorInfo));
    create->Release();
    const HRESULT hr = call();
    IErrorInfo* left = nullptr;
    EXPECT_EQ(S_FALSE, GetErrorInfo(0, &left)) << "the refusal inherited that error";
    return hr;
}

class AutomationTest : public ComTest {
protected:
    void SetUp() override {
        ComTest::SetUp();
        ASSERT_NE(nullptr, view = NewView());
    }
    void TearDown() override {
        view->Release();
        ComTest::TearDown();
    }

    HRESULT Load(VARIANT data, VARIANT_BOOL revert = VARIANT_FALSE) {
        return view->SetData(data, flShortDate, flMonth, revert);
    }

    _View* view = nullptr;
};

} // namespace

// A cell answers while a load holds its record and its column, and fails while one does not.
TEST_F(AutomationTest, CellsFollowReloadsAndFailOutsideThem) {
    Cell* cell = nullptr;
    EXPECT_EQ(E_INVALIDARG, view->get_Cell(0, 0, &cell));
    NumberGrid five(5, 2), tenByOne(10, 1), three(3, 2), ten(10, 2);
    ASSERT_EQ(S_OK, Load(five.AsVariant(), 1)); // only the automation true value reverts
    LONG records = 0, columns = 0;
    ASSERT_EQ(S_OK, view->get_RecordCount(&records));
    ASSERT_EQ(S_OK, view->get_ColumnCount(&columns));
    EXPECT_EQ(std::make_pair(5L, 2L), std::make_pair(records, columns));
    ASSERT_EQ(S_OK, view->get_Cell(4, 1, &cell));
    auto* errors = Query<ISupportErrorInfo>(cell, IID_ISupportErrorInfo);
    EXPECT_EQ(S_OK, errors->InterfaceSupportsErrorInfo(IID_Cell));
    errors->Release();

    VARIANT value = I4(0);
    BSTR text = reinterpret_cast<BSTR>(1);
    for (NumberGrid* without : {&three, &tenByOne}) {
        ASSERT_EQ(S_OK, Load(without->AsVariant()));
        EXPECT_EQ(E_FAIL, OverAnEarlierError([&] { return cell->get_Value(&value); }));
        EXPECT_EQ(E_FAIL, cell->get_Text(&text));
        EXPECT_EQ(nullptr, text);
        EXPECT_EQ(E_FAIL, cell->get_Tag(&text));
    }
    EXPECT_EQ(E_POINTER, cell->get_Value(nullptr));

    ASSERT_EQ(S_OK, Load(ten.AsVariant()));
    ASSERT_EQ(S_OK, cell->get_Value(&value));
    EXPECT_EQ(401, V_I4(&value));
    ASSERT_EQ(S_OK, cell->get_Tag(&text));
    EXPECT_EQ(L"401", Take(text));
    EXPECT_EQ(nullptr, Query<_View>(cell, IID__View)); // a cell is not its control
    cell->Release();
}

TEST_F(AutomationTest, ArgumentChecksRunInTheirOrder) {
    NumberGrid grid(2, 2);
    ASSERT_EQ(S_OK, Load(grid.AsVariant()));
    Cell* cell = nullptr;
    ITypeInfo* info = nullptr;
    DISPID id = 0;
    LPOLESTR name = const_cast<LPOLESTR>(L"Cell");
    // Cell checks pointer, record, column; label and alignment getters the pointer first, the
    // width getter the index.
    const std::pair<HRESULT, HRESULT> checks[] = {
        {E_POINTER, view->get_Cell(-1, -1, nullptr)},
        {E_INVALIDARG, view->get_Cell(-1, 0, &cell)},
        {E_INVALIDARG, view->get_Cell(2, 0, &cell)},
        {E_INVALIDARG, view->get_Cell(0, 2, &cell)},
        {E_INVALIDARG, view->get_Cell(0, -1, &cell)},
        {E_POINTER, view->get_ColumnLabel(-1, nullptr)},
        {E_POINTER, view->get_ColumnAlign(-1, nullptr)},
        {E_INVALIDARG, view->get_ColumnWidth(-1, nullptr)},
        {E_POINTER, view->get_ColumnWidth(0, nullptr)},
        {E_INVALIDARG, view->put_ColumnLabel(-1, const_cast<BSTR>(L"x"))},
        {E_INVALIDARG, view->put_ColumnWidth(-1, 10)},
        {E_INVALIDARG, view->put_ColumnWidth(0, -1)},
        {E_INVALIDARG, view->put_ColumnAlign(-1, flRight)},
        {E_POINTER, view->get_RecordCount(nullptr)},
        {E_POINTER, view->get_SelectedRecord(nullptr)},
        {DISP_E_BADINDEX, view->GetTypeInfo(1, 0, &info)},
        {DISP_E_UNKNOWNINTERFACE, view->GetIDsOfNames(IID__View, &name, 1, 0, &id)},
        {S_OK, view->GetIDsOfNames(IID_NULL, &name, 1, 0, &id)},
        {E_INVALIDARG,
         view->Invoke(5, IID_NULL, 0, DISPATCH_PROPERTYGET, nullptr, nullptr, nullptr, nullptr)},
        // The last format and grouping are in range.
        {S_OK, view->SetData(grid.AsVariant(), flLongDateLongTime, flYear, VARIANT_FALSE)}};
    for (size_t i = 0; i < std::size(checks); ++i)
        EXPECT_EQ(checks[i].first, checks[i].second) << i;
    EXPECT_EQ(nullptr, cell);
}

// The runtime follows references and passes surplus arguments on to a result's default member
// unchecked: the control refuses both first, with the dispatch error and the argument's index.
TEST_F(AutomationTest, InvokeRefusesReferencesToNothingAndSurplusArguments) {
    HostObject object([] {});
    VariantGrid grid(1, 1);
    VARIANT objectValue = {};
    V_VT(&objectValue) = VT_DISPATCH;
    V_DISPATCH(&objectValue) = &object;
    grid.Set(0, 0, objectValue);
    const ULONG unloaded = object.references;
    ASSERT_EQ(S_OK, Load(grid.AsVariant()));
    Cell* cell = nullptr;
    ASSERT_EQ(S_OK, view->get_Cell(0, 0, &cell));
    VARIANT nothing = {}, format = I4(flLongDate), data = grid.AsVariant();
    V_VT(&nothing) = VT_BYREF | VT_I4; // a reference to nothing
    const WORD get = DISPATCH_PROPERTYGET;
    const struct {
        IDispatch* target;
        DISPID id;
        WORD flags;
        std::vector<VARIANT> arguments; // in the order of DISPPARAMS, last argument first
        HRESULT expected;
        UINT argumentError;
    } cases[] = {
        {view, 1, DISPATCH_METHOD, {nothing, data}, DISP_E_TYPEMISMATCH, 0},
        {view, 1, DISPATCH_METHOD, {format, nothing}, DISP_E_TYPEMISMATCH, 1},
        {view, 1, DISPATCH_METHOD, {format, data}, S_OK, 99},
        {cell, DISPID_VALUE, get, {I4(1)}, DISP_E_BADPARAMCOUNT, 99},
        {view, DISPID_VALUE, get, {I4(0), I4(0)}, S_OK, 99},
        {view, DISPID_VALUE, get, {I4(0), I4(0), I4(0)}, DISP_E_BADPARAMCOUNT, 99},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.id << " with " << c.arguments.size());
        std::vector<VARIANT> arguments = c.arguments;
        DISPPARAMS params = {arguments.data(), nullptr, static_cast<UINT>(arguments.size()), 0};
        VARIANT result = {};
        UINT argumentError = 99;
        EXPECT_EQ(c.expected, c.target->Invoke(c.id, IID_NULL, 0, c.flags, &params, &result,
                                               nullptr, &argumentError));
        EXPECT_EQ(c.argumentError, argumentError);
        VariantClear(&result);
    }
    cell->Release();
    ASSERT_EQ(S_OK, Load(VARIANT{})); // the copied reference goes with the data
    EXPECT_EQ(unloaded, object.references);
}
