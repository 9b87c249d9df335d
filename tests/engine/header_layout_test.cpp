#include "engine/engine_test_support.h"

// The header while the mouse works on it: live splitter, pressed buttons, the drop marker.

namespace {

class HeaderLayout : public EngineWindowTest {
protected:
    void SetUp() override {
        Open(400, 120);
        ASSERT_TRUE(Load(TextTable(3, 3)));
    }
    Pixels Header() {
        engine.InvalidateHeader(false);
        return Pixels::OfWindow(engine.hwnd);
    }
    const COLORREF face = GetSysColor(COLOR_BTNFACE), light = GetSysColor(COLOR_BTNHIGHLIGHT);
};

} // namespace

TEST_F(HeaderLayout, GroupingAreaFollowsTheLevelsAndTheDraggedSplitter) {
    ASSERT_TRUE(engine.SetGroupLevelsKeepingRow(1));
    // While the splitter is dragged the live width counts, never below zero buttons.
    engine.view.trackMode = TrackSplitterDrag;
    engine.view.liveSize = 20;
    EXPECT_EQ(engine.layout.VisibleLevelCount(), 0);
    engine.view.liveSize = 2 * 18 + 2 * 20 + 5;
    EXPECT_EQ(engine.layout.VisibleLevelCount(), 2);
    EXPECT_EQ(engine.layout.ColumnsLeft(true), engine.view.liveSize + engine.splitterWidth);
    EXPECT_EQ(engine.layout.ColumnsLeft(false), 62) << "the rows keep the committed layout";
    engine.view.trackMode = TrackNone;

    // Every column grouped: the area reaches its maximum and the chevron goes.
    ASSERT_TRUE(engine.SetGroupLevelsKeepingRow(3));
    const int right = engine.layout.GroupingAreaWidth(true);
    ASSERT_EQ(right, engine.layout.MaxGroupingAreaWidth());
    EXPECT_EQ(Header().Count(RECT{right - 12, 2, right - 2, 9}, face), 70);
}

TEST_F(HeaderLayout, PressedButtonShiftsItsLabelAndDragMarksTheDropEdge) {
    const Pixels normal = Header();
    engine.view.trackMode = TrackPress;
    engine.view.pressHit = HitHeader;
    engine.view.pressIndex = 1;
    engine.view.pressedLook = 1;
    const Pixels pressed = Header();
    engine.view.pressedLook = 0;
    EXPECT_TRUE(Header().data == normal.data) << "the pointer left the button";
    // Button 1 spans 106..205: flat edge, label one pixel right and down, others untouched.
    EXPECT_EQ(normal.At(106, 8), light);
    EXPECT_NE(pressed.At(106, 8), light);
    int same = 0, shifted = 0;
    for (int y = 3; y < 14; ++y)
        for (int x = 112; x < 170; ++x) {
            same += pressed.At(x, y) == normal.At(x, y);
            shifted += pressed.At(x + 1, y + 1) == normal.At(x, y);
        }
    EXPECT_EQ(shifted, 58 * 11);
    EXPECT_LT(same, shifted);

    engine.view.trackMode = TrackColumnDrag;
    engine.view.pressIndex = 0;
    engine.view.pressedLook = 1;
    LOGBRUSH mark{};
    GetObjectA(engine.markBrush, sizeof mark, &mark);
    for (int drop : {3, 1}) { // right of the last column at 306; between 0 and 1 at 106
        engine.view.dropIndex = drop;
        const Pixels p = Header();
        const int edge = 6 + 100 * drop;
        EXPECT_EQ(p.Count(RECT{edge - 1, 0, edge + 1, 17}, mark.lbColor), 2 * 17) << drop;
        EXPECT_EQ(p.Count(RECT{edge + 1, 0, edge + 3, 17}, mark.lbColor), 0) << drop;
        EXPECT_NE(p.At(6, 8), light) << "the dragged button stays pressed";
    }
    engine.view.trackMode = TrackNone;
    EXPECT_EQ(Header().Count(RECT{0, 0, 400, 17}, mark.lbColor), 0);
}

TEST_F(HeaderLayout, FittingAColumnCountsAmpersandsAsText) {
    // Data is shown as it is: an ampersand is not a mnemonic prefix that hides itself.
    ASSERT_EQ(engine.PutColumnLabel(0, L""), S_OK);
    auto fitted = [&](const wchar_t* text) {
        EXPECT_TRUE(Load(TableOf({{text, L"x", L"y"}})));
        engine.AutoFitColumn(0);
        return engine.store.WidthAt(0);
    };
    const int32_t four = fitted(L"&&&&"), eight = fitted(L"&&&&&&&&");
    HDC dc = GetDC(engine.hwnd);
    HGDIOBJ old = SelectObject(dc, engine.listFont);
    SIZE extent{};
    GetTextExtentPoint32A(dc, "&&&&", 4, &extent);
    SelectObject(dc, old);
    ReleaseDC(engine.hwnd, dc);
    EXPECT_GT(extent.cx, 0);
    EXPECT_EQ(eight - four, extent.cx);
}
