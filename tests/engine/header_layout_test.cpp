#include "engine/engine_test_support.h"

// Geometry of the header strip and the rows, and the header's looks while the mouse works on
// it: pressed buttons, the drop marker, the splitter's live width and the drag image.

namespace {

class HeaderLayout : public EngineWindowTest {
protected:
    void LoadThreeColumns() {
        Open(400, 120);
        ASSERT_TRUE(Load(TextTable(3, 3)));
    }
    Pixels Header() {
        engine.InvalidateHeader(false);
        return Pixels::OfWindow(engine.hwnd);
    }
};

const COLORREF face = GetSysColor(COLOR_BTNFACE);

} // namespace

TEST_F(HeaderLayout, GroupingAreaSplitterAndColumnsFollowTheLevelCount) {
    Open(400, 120);
    EXPECT_EQ(engine.MaxGroupingAreaWidth(), 0) << "no columns";
    ASSERT_TRUE(Load(TextTable(3, 3)));
    EXPECT_EQ(engine.GroupingAreaWidth(true), 0);
    RECT splitter = engine.SplitterRect();
    EXPECT_EQ(splitter.left, 0);
    EXPECT_EQ(splitter.right, engine.splitterWidth);
    int32_t x = splitter.right;
    const RECT first = engine.ColumnHeaderRect(0, x);
    EXPECT_EQ(first.left, engine.splitterWidth);
    EXPECT_EQ(first.right, engine.splitterWidth + 100);
    EXPECT_EQ(x, first.right);
    EXPECT_EQ(engine.MaxGroupingAreaWidth(), 3 * 20 + 2 * 18);

    ASSERT_TRUE(engine.SetGroupLevelsKeepingRow(1));
    EXPECT_EQ(engine.GroupingAreaWidth(false), 56);
    EXPECT_EQ(engine.ColumnsLeft(false), 62);
    const RECT level = engine.LevelButtonRect(0);
    EXPECT_EQ(level.left, 18);
    EXPECT_EQ(level.right, 38);
    EXPECT_EQ(level.top, 1);
    EXPECT_EQ(level.bottom, 15);
    EXPECT_EQ(engine.VisibleLevelCount(), 1);
    EXPECT_EQ(engine.contentWidth, 62 + 300);

    // While the splitter is dragged the live width counts, never below zero buttons.
    engine.trackMode = TrackSplitterDrag;
    engine.liveSize = 20;
    EXPECT_EQ(engine.VisibleLevelCount(), 0);
    engine.liveSize = 2 * 18 + 2 * 20 + 5;
    EXPECT_EQ(engine.VisibleLevelCount(), 2);
    EXPECT_EQ(engine.ColumnsLeft(true), engine.liveSize + engine.splitterWidth);
    EXPECT_EQ(engine.ColumnsLeft(false), 62) << "the rows keep the committed layout";
    engine.trackMode = TrackNone;
}

TEST_F(HeaderLayout, RowsAndPagesOfTheClientArea) {
    Open(300, 10); // lower than the header
    EXPECT_EQ(engine.pageRows, 0);
    engine.DestroyEngineWindow();
    Open(300, 200);
    ASSERT_TRUE(Load(TextTable(3, 1)));
    RECT row{};
    EXPECT_EQ(engine.pageRows, (200 - 17) / 16);
    for (int v = 0; v < 3; ++v) {
        ASSERT_TRUE(engine.RowRect(v, &row)) << v;
        EXPECT_EQ(row.top, 17 + v * 16);
        EXPECT_EQ(row.bottom, row.top + 16);
        EXPECT_EQ(row.right, engine.clientWidth);
    }
    EXPECT_FALSE(engine.RowRect(3, &row));
    EXPECT_FALSE(engine.RowRect(-1, &row));
}

TEST_F(HeaderLayout, PressedButtonShiftsItsLabelAndLosesItsRaisedEdge) {
    LoadThreeColumns();
    const Pixels normal = Header();
    engine.trackMode = TrackPress;
    engine.pressHit = HitHeader;
    engine.pressIndex = 1;
    engine.pressedLook = 1;
    const Pixels pressed = Header();
    engine.pressedLook = 0;
    const Pixels left = Header(); // the pointer left the button
    engine.trackMode = TrackNone;

    // Button 1 spans 106..205: flat edge, label one pixel right and down.
    EXPECT_EQ(normal.At(106, 8), GetSysColor(COLOR_BTNHIGHLIGHT));
    EXPECT_NE(pressed.At(106, 8), GetSysColor(COLOR_BTNHIGHLIGHT));
    int same = 0, shifted = 0;
    for (int y = 3; y < 14; ++y)
        for (int x = 112; x < 170; ++x) {
            same += pressed.At(x, y) == normal.At(x, y);
            shifted += pressed.At(x + 1, y + 1) == normal.At(x, y);
        }
    EXPECT_EQ(shifted, 58 * 11);
    EXPECT_LT(same, shifted);
    EXPECT_TRUE(left.data == normal.data);
    // Other buttons are untouched.
    EXPECT_EQ(pressed.At(6, 8), GetSysColor(COLOR_BTNHIGHLIGHT));
}

TEST_F(HeaderLayout, ColumnDragMarksTheDropEdgeAndKeepsTheButtonPressed) {
    LoadThreeColumns();
    engine.trackMode = TrackColumnDrag;
    engine.pressHit = HitHeader;
    engine.pressIndex = 0;
    engine.pressedLook = 1;
    engine.dropIndex = 3; // right of the last column, x = 306
    Pixels p = Header();
    LOGBRUSH mark{};
    GetObjectA(engine.markBrush, sizeof mark, &mark);
    EXPECT_EQ(p.Count(RECT{305, 0, 307, engine.headerHeight}, mark.lbColor), 2 * 17);
    EXPECT_EQ(p.Count(RECT{307, 0, 309, engine.headerHeight}, mark.lbColor), 0);
    EXPECT_NE(p.At(6, 8), GetSysColor(COLOR_BTNHIGHLIGHT)) << "dragged button stays pressed";
    engine.dropIndex = 1; // between columns 0 and 1, x = 106
    p = Header();
    EXPECT_EQ(p.Count(RECT{105, 0, 107, engine.headerHeight}, mark.lbColor), 2 * 17);
    engine.trackMode = TrackNone;
    p = Header();
    EXPECT_EQ(p.Count(RECT{0, 0, 400, engine.headerHeight}, mark.lbColor), 0);
}

TEST_F(HeaderLayout, ChevronShowsWhileMoreColumnsCouldBeGrouped) {
    LoadThreeColumns();
    ASSERT_TRUE(engine.SetGroupLevelsKeepingRow(1));
    const RECT chevron{44, 2, 54, 9};
    EXPECT_LT(Header().Count(chevron, face), 70);
    // Every column grouped: the area reaches its maximum and the chevron goes.
    ASSERT_TRUE(engine.SetGroupLevelsKeepingRow(3));
    ASSERT_EQ(engine.GroupingAreaWidth(true), engine.MaxGroupingAreaWidth());
    const int right = engine.GroupingAreaWidth(true);
    const Pixels full = Header();
    EXPECT_EQ(full.Count(RECT{right - 12, 2, right - 2, 9}, face), 70);
    // Three level buttons, each with its mark.
    for (int i = 0; i < 3; ++i) {
        const RECT b = engine.LevelButtonRect(i);
        EXPECT_LT(full.Count(RECT{b.right - 13, 4, b.right - 7, 10}, face), 36) << i;
    }
}

TEST_F(HeaderLayout, DragImageIsTheShadowedButtonWithoutEdge) {
    LoadThreeColumns();
    engine.pressIndex = 0;
    HIMAGELIST image = engine.CreateHeaderDragImage();
    ASSERT_NE(image, nullptr);
    int width = 0, height = 0;
    ImageList_GetIconSize(image, &width, &height);
    EXPECT_EQ(width, 100);
    EXPECT_EQ(height, engine.headerHeight);
    EXPECT_EQ(ImageList_GetImageCount(image), 1);
    Canvas canvas(100, engine.headerHeight, RGB(1, 2, 3));
    ImageList_Draw(image, 0, canvas.dc, 0, 0, ILD_NORMAL);
    ImageList_Destroy(image);
    const Pixels p = canvas.Read();
    const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
    EXPECT_EQ(p.Count(RECT{0, 0, 100, engine.headerHeight}, RGB(1, 2, 3)), 0) << "opaque";
    EXPECT_EQ(p.Count(RECT{0, 0, 100, 1}, shadow), 100) << "no edge";
    EXPECT_GT(p.Count(RECT{6, 2, 60, 15}, GetSysColor(COLOR_BTNTEXT)), 10) << "label";
    EXPECT_LT(p.Count(RECT{87, 5, 93, 11}, shadow), 36) << "sort mark of the sorted column";
}

TEST_F(HeaderLayout, SystemColourChangeRebuildsAndRepaintsEverything) {
    LoadThreeColumns();
    UpdateWindow(engine.hwnd);
    const Pixels before = Pixels::OfWindow(engine.hwnd);
    SendMessageA(engine.hwnd, WM_SYSCOLORCHANGE, 0, 0);
    RECT pending{};
    ASSERT_TRUE(GetUpdateRect(engine.hwnd, &pending, FALSE));
    EXPECT_EQ(pending.right - pending.left, engine.clientWidth);
    EXPECT_EQ(pending.bottom - pending.top, engine.clientHeight);
    EXPECT_EQ(engine.rowHeight, 16);
    EXPECT_EQ(ImageList_GetImageCount(engine.glyphs), 9);
    EXPECT_TRUE(Pixels::OfWindow(engine.hwnd).data == before.data);
}
