// Texts of every script through the automation interface and back: to the host, the reader,
// the header's tip and the measuring of a column.

#include "accessible_reading.h"
#include "control/com_ref.h"
#include "control/view_control.h"
#include "host_test_support.h"

#include <algorithm>

namespace {

// What a narrow code page would lose, and what the control keeps of it: up to the first NUL.
const struct {
    const char* what;
    std::wstring given, kept;
} texts[] = {
    {"surrogate pair", L"Clef \U0001D11E", L"Clef \U0001D11E"},
    {"combining sequence", L"Cafe\u0301 n\u0303", L"Cafe\u0301 n\u0303"},
    {"Arabic", L"\u0627\u0644\u0639\u0631\u0628\u064a\u0629",
     L"\u0627\u0644\u0639\u0631\u0628\u064a\u0629"},
    {"Hebrew", L"\u05e2\u05d1\u05e8\u05d9\u05ea", L"\u05e2\u05d1\u05e8\u05d9\u05ea"},
    {"CJK", L"\u4e2d\u6587\u5b57", L"\u4e2d\u6587\u5b57"},
    {"lone surrogate", {L'x', wchar_t(0xDC00), L'y'}, {L'x', wchar_t(0xDC00), L'y'}},
    {"embedded NUL", std::wstring(L"ab\0cd", 5), L"ab"},
};

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
    // One record: the text and a number.
    HRESULT LoadText(const std::wstring& text) {
        VariantGrid grid(2, 1);
        VARIANT string = {};
        V_VT(&string) = VT_BSTR;
        V_BSTR(&string) = SysAllocStringLen(text.data(), UINT(text.size()));
        grid.Set(0, 0, string);
        grid.Set(1, 0, I4(1));
        VariantClear(&string);
        return view->SetData(grid.AsVariant(), flShortDate, flMonth, VARIANT_FALSE);
    }
    std::wstring CellText(HRESULT (STDMETHODCALLTYPE Cell::*read)(BSTR*)) {
        ComRef<Cell> cell;
        BSTR text = nullptr;
        if (FAILED(view->get_Cell(0, 0, cell.Receive())) || FAILED((cell.Get()->*read)(&text)))
            return L"(failed)";
        return Take(text);
    }
    // The names of the rows and headers as a reader hears them.
    std::vector<std::wstring> Names() {
        std::vector<std::wstring> names;
        for (const std::wstring& line : ReadWindow(list)) {
            const size_t start = line.find(L'|') + 1;
            names.push_back(line.substr(start, line.find(L'|', start) - start));
        }
        return names;
    }
    // The tip that lists the grouping columns while the splitter is dragged over one level.
    std::wstring GroupingTip() {
        const int y = control->headerHeight / 2, to = 1 + control->levelButtonWidth;
        SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, y));
        SendMessageW(list, WM_MOUSEMOVE, MK_LBUTTON,
                     MAKELPARAM(to + 2 * control->groupingMargin, y));
        wchar_t text[200] = L"(hidden)";
        TTTOOLINFOW tool = {TTTOOLINFOW_V2_SIZE,
                            0,
                            list,
                            HeaderTips::groupingToolId,
                            {},
                            nullptr,
                            text,
                            0,
                            nullptr};
        if (IsWindowVisible(control->headerTips.tipWindow))
            SendMessageW(control->headerTips.tipWindow, TTM_GETTEXTW, 200, LPARAM(&tool));
        SendMessageW(list, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(1, y));
        SendMessageW(list, WM_LBUTTONUP, 0, MAKELPARAM(1, y));
        return text;
    }
    // The width a double click on the column's right edge gives, less the width the wide call
    // measures of the text in the list's font.
    LONG FitBeyondMeasure(const std::wstring& text) {
        const int edge = control->layout.ColumnsLeft(true) + control->layout.ColumnExtent(0, true);
        for (UINT message : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP})
            SendMessageW(list, message, message == WM_LBUTTONUP ? 0 : MK_LBUTTON,
                         MAKELPARAM(edge - 1, control->headerHeight / 2));
        LONG width = -1;
        view->get_ColumnWidth(0, &width);
        HDC dc = GetDC(list);
        HGDIOBJ old = SelectObject(dc, control->listFont);
        RECT measured{};
        DrawTextW(dc, text.c_str(), -1, &measured, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
        SelectObject(dc, old);
        ReleaseDC(list, dc);
        return width - (measured.right - measured.left);
    }

    ViewControl* control = nullptr;
    ComRef<_View> view;
    HWND list = nullptr;
};

} // namespace

TEST_F(UnicodeTexts, EveryCodeUnitComesBackOnEveryPath) {
    ASSERT_EQ(S_OK, LoadText(L"x"));
    ASSERT_EQ(S_OK, view->put_ColumnLabel(0, const_cast<BSTR>(L"x")));
    const LONG margins = FitBeyondMeasure(L"x");
    for (const auto& [what, given, kept] : texts) {
        SCOPED_TRACE(what);
        ASSERT_EQ(S_OK, LoadText(given));
        EXPECT_EQ(CellText(&Cell::get_Text), kept);
        EXPECT_EQ(CellText(&Cell::get_Tag), kept);
        const std::vector<std::wstring> names = Names();
        EXPECT_EQ(std::count(names.begin(), names.end(), kept), 1) << "the record's row";
        BSTR label = SysAllocStringLen(given.data(), UINT(given.size()));
        ASSERT_EQ(S_OK, view->put_ColumnLabel(0, label));
        SysFreeString(label);
        EXPECT_EQ(GroupingTip(), kept);
        EXPECT_EQ(FitBeyondMeasure(kept), margins);
    }
}
