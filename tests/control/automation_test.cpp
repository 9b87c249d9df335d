// _View and Cell through the built module's vtables with real safe arrays; what script hosts
// do (late binding, both orientations, refusals) is driven by a real host in automation.vbs.

#include "com_test_support.h"

#include <utility>

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

    HRESULT Load(VARIANT data, VARIANT_BOOL revert = VARIANT_FALSE) {
        return view->SetData(data, flShortDate, flMonth, revert);
    }
    std::pair<LONG, LONG> Shape() {
        std::pair<LONG, LONG> shape = {-1, -1};
        EXPECT_EQ(S_OK, view->get_RecordCount(&shape.first));
        EXPECT_EQ(S_OK, view->get_ColumnCount(&shape.second));
        return shape;
    }
    LONG ValueAt(LONG record, LONG column) {
        Cell* cell = nullptr;
        VARIANT value = I4(-1);
        EXPECT_EQ(S_OK, view->get_Cell(record, column, &cell));
        if (cell) {
            EXPECT_EQ(S_OK, cell->get_Value(&value));
            cell->Release();
        }
        return V_VT(&value) == VT_I4 ? V_I4(&value) : -1;
    }

    _View* view = nullptr;
};

} // namespace

TEST_F(AutomationTest, LoadsEitherOrientationWithAnyLowerBounds) {
    // Data(1 To 3, 1 To 5): three columns and five records, cell (r, c) = Data(1 + c, 1 + r).
    VariantGrid grid(3, 5, 1, 1);
    for (LONG i = 1; i <= 3; ++i)
        for (LONG j = 1; j <= 5; ++j)
            grid.Set(i, j, I4(i * 10 + j));
    ASSERT_EQ(S_OK, Load(grid.AsVariant()));
    EXPECT_EQ(std::make_pair(5L, 3L), Shape());
    EXPECT_EQ(11, ValueAt(0, 0));
    EXPECT_EQ(32, ValueAt(1, 2));

    ASSERT_EQ(S_OK, Load(grid.AsVariant(), VARIANT_TRUE));
    EXPECT_EQ(24, ValueAt(1, 3));
    ASSERT_EQ(S_OK, Load(grid.AsVariant(), 1)); // only the automation true value reverts
    EXPECT_EQ(5, Shape().first);
}

TEST_F(AutomationTest, CellsFollowReloadsAndFailOutsideThem) {
    Cell* cell = nullptr;
    EXPECT_EQ(E_INVALIDARG, view->get_Cell(0, 0, &cell));
    EXPECT_EQ(nullptr, cell);
    NumberGrid five(5, 2), three(3, 2), ten(10, 2);
    ASSERT_EQ(S_OK, Load(five.AsVariant()));
    ASSERT_EQ(S_OK, view->get_Cell(4, 1, &cell));

    ASSERT_EQ(S_OK, Load(three.AsVariant()));
    VARIANT value = I4(0);
    BSTR text = reinterpret_cast<BSTR>(1);
    EXPECT_EQ(E_FAIL, cell->get_Value(&value));
    EXPECT_EQ(E_FAIL, cell->get_Text(&text));
    EXPECT_EQ(nullptr, text);
    EXPECT_EQ(E_FAIL, cell->get_Tag(&text));
    EXPECT_EQ(E_POINTER, cell->get_Value(nullptr));

    ASSERT_EQ(S_OK, Load(ten.AsVariant()));
    ASSERT_EQ(S_OK, cell->get_Value(&value));
    EXPECT_EQ(401, V_I4(&value));
    ASSERT_EQ(S_OK, cell->get_Text(&text));
    EXPECT_EQ(L"401", Take(text));
    ASSERT_EQ(S_OK, cell->get_Tag(&text));
    EXPECT_EQ(L"401", Take(text));

    EXPECT_EQ(nullptr, Query<_View>(cell, IID__View)); // a cell is not its control
    cell->Release();
}

TEST_F(AutomationTest, PointerAndIndexChecksRunInTheirOrder) {
    NumberGrid grid(2, 2);
    ASSERT_EQ(S_OK, Load(grid.AsVariant()));
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

TEST_F(AutomationTest, RefusalsLeaveNoStaleErrorAndFollowNoDanglingReference) {
    NumberGrid grid(2, 2);
    ASSERT_EQ(S_OK, Load(grid.AsVariant()));
    ICreateErrorInfo* create = nullptr;
    ASSERT_EQ(S_OK, CreateErrorInfo(&create));
    SetErrorInfo(0, Query<IErrorInfo>(create, IID_IErrorInfo)); // an earlier call's error
    create->Release();
    VARIANT dangling;
    V_VT(&dangling) = VT_BYREF | VT_VARIANT;
    V_VARIANTREF(&dangling) = nullptr;
    EXPECT_EQ(E_INVALIDARG, Load(dangling));
    IErrorInfo* left = nullptr;
    EXPECT_EQ(S_FALSE, GetErrorInfo(0, &left)) << "the refusal must not inherit that error";
    EXPECT_EQ(std::make_pair(2L, 2L), Shape());
}
