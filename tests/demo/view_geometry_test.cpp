#include "view_geometry.h"

#include "render/draw_resources.h"

#include <gtest/gtest.h>

// The demo aims its scripted clicks with its own reckoning of the control's layout; it must
// agree with the metrics the control draws and hit-tests with.
TEST(ViewGeometry, AgreesWithTheControlsMetrics) {
    const DrawResources c;
    const ViewGeometry d = ViewGeometry::FromSystem();
    EXPECT_EQ((std::vector<int>{d.headerHeight, d.rowHeight, d.indentWidth, d.levelButtonWidth,
                                d.groupingMargin, d.splitterWidth, d.textMargin}),
              (std::vector<int>{c.headerHeight, c.rowHeight, c.indentWidth, c.levelButtonWidth,
                                c.groupingMargin, c.splitterWidth, c.textMargin}));
}
