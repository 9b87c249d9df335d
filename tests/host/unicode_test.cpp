// Texts of every script through the automation interface and back: to the host, the reader,
// the grouping tip and the fitting of a column.

#include "accessible_reading.h"
#include "control/view_control.h"
#include "host_test_support.h"

#include <algorithm>

namespace {

class UnicodeTexts : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        control = ViewControl::Create();
        view = ComRef<_View>(control);
        ASSERT_EQ(S_OK, host->Embed(view.Get(), RECT{0, 0, 360, 240}));
        list = host->ControlWindow();
    }
    void TearDown() override {
        view.Reset();
        HostTest::TearDown();
    }
    void Mouse(UINT message, int x) {
        SendMessageW(list, message, message == WM_LBUTTONUP ? 0 : MK_LBUTTON,
                     MAKELPARAM(x, control->headerHeight / 2));
    }
    // The one record's text, as the cell reads it.
    std::wstring Read(HRESULT (STDMETHODCALLTYPE Cell::*read)(BSTR*)) {
        ComRef<Cell> cell;
        BSTR text = nullptr;
        view->get_Cell(0, 0, cell.Receive());
        return cell && SUCCEEDED((cell.Get()->*read)(&text)) ? Take(text) : L"(failed)";
    }
    // The tip listing the grouping columns while the splitter is dragged over one level.
    std::wstring GroupingTip() {
        Mouse(WM_LBUTTONDOWN, 1);
        Mouse(WM_MOUSEMOVE, 1 + control->levelButtonWidth + 2 * control->groupingMargin);
        wchar_t text[200] = L"(hidden)";
        TTTOOLINFOW tool = {};
        tool.cbSize = TTTOOLINFOW_V2_SIZE, tool.hwnd = list, tool.uId = HeaderTips::groupingToolId;
        tool.lpszText = text;
        for (HWND tip = nullptr; (tip = FindWindowExW(nullptr, tip, TOOLTIPS_CLASSW, nullptr));)
            if (IsWindowVisible(tip) &&
                GetWindowThreadProcessId(tip, nullptr) == GetCurrentThreadId())
                SendMessageW(tip, TTM_GETTEXTW, 200, LPARAM(&tool));
        Mouse(WM_MOUSEMOVE, 1), Mouse(WM_LBUTTONUP, 1);
        return text;
    }
    // The width a double click on column 0's edge gives it, less the wide call's measure.
    LONG FitBeyondMeasure(const std::wstring& text) {
        LONG width = -1;
        view->get_ColumnWidth(0, &width);
        for (UINT message : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP})
            Mouse(message, control->splitterWidth + width - 1); // column 0's edge, no grouping
        view->get_ColumnWidth(0, &width);
        HDC dc = GetDC(list);
        HGDIOBJ old = SelectObject(dc, control->listFont);
        RECT measured{};
        DrawTextW(dc, text.c_str(), -1, &measured, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
        ReleaseDC(list, (SelectObject(dc, old), dc));
        return width - measured.right;
    }

    ViewControl* control = nullptr;
    ComRef<_View> view;
    HWND list = nullptr;
};

} // namespace

// Each text is the label of column 0 and its one record's cell; up to the first NUL it is kept.
TEST_F(UnicodeTexts, EveryCodeUnitComesBackOnEveryPath) {
    const std::wstring texts[] = {L"x",
                                  L"Clef \U0001D11E",
                                  L"\u0627\u0644\u0639\u0631\u0628\u064a\u0629",
                                  L"\u4e2d\u6587\u5b57",
                                  {L'x', wchar_t(0xDC00), L'y'},
                                  std::wstring(L"ab\0cd", 5)};
    LONG margins = -1;
    for (const std::wstring& given : texts) {
        const std::wstring kept = given.c_str();
        SCOPED_TRACE(testing::Message() << &given - texts);
        const TestVariant text =
            TestVariant::Of(VT_BSTR, SysAllocStringLen(given.data(), UINT(given.size())));
        ASSERT_EQ(S_OK, LoadArray(view.Get(), MakeVariantTable({{text, TestVariant::I4(1)}})));
        ASSERT_EQ(S_OK, view->put_ColumnLabel(0, V_BSTR(&*text)));
        EXPECT_EQ(Read(&Cell::get_Text), kept);
        EXPECT_EQ(Read(&Cell::get_Tag), kept);
        const std::vector<std::wstring> read = ReadWindow(list);
        EXPECT_EQ(std::count_if(read.begin(), read.end(),
                                [&](const std::wstring& line) {
                                    return line.find(L"|" + kept + L"|") != std::wstring::npos;
                                }),
                  2) // the header and the row
            << kept.size();
        EXPECT_EQ(GroupingTip(), kept);
        if (margins < 0) // "x" first: the margins of a text the code page holds
            margins = FitBeyondMeasure(kept);
        EXPECT_EQ(FitBeyondMeasure(kept), margins);
    }
}
