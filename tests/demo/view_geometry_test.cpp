#include "view_geometry.h"

#include "render/draw_resources.h"

#include <gtest/gtest.h>

// The demo aims its scripted clicks with its own reckoning of the control's layout; it must
// agree with the metrics the control draws and hit-tests with.
TEST(ViewGeometry, AgreesWithTheControlsMetrics) {
    const DrawResources control;
    const ViewGeometry demo = ViewGeometry::FromSystem();
    EXPECT_EQ(demo.headerHeight, control.headerHeight);
    EXPECT_EQ(demo.rowHeight, control.rowHeight);
    EXPECT_EQ(demo.indentWidth, control.indentWidth);
    EXPECT_EQ(demo.levelButtonWidth, control.levelButtonWidth);
    EXPECT_EQ(demo.groupingMargin, control.groupingMargin);
    EXPECT_EQ(demo.splitterWidth, control.splitterWidth);
    EXPECT_EQ(demo.textMargin, control.textMargin);
}
