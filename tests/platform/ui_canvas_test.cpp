// The canvas keeps device-context state the way drawing code expects (select returns the previous object,
// paths are built then used once) and the recording back-end writes each operation with that state.
#include <gtest/gtest.h>

#include "platform/ui/canvas.h"

namespace {

using plat::Point;
using plat::RecordingCanvas;

TEST(UiCanvas, SelectingReturnsThePreviousObjectAndLinesUseTheSelectedPen) {
    RecordingCanvas c;
    plat::Pen old = c.selectPen({plat::PenStyle::DashDot, 1, plat::rgb(255, 0, 0)});
    EXPECT_EQ(old.style, plat::PenStyle::Solid);
    c.moveTo({12, 40});
    c.lineTo({80, 40});
    c.lineTo({80, 60});
    c.selectPen(old);
    c.lineTo({0, 0});
    ASSERT_EQ(c.lines().size(), 3u);
    EXPECT_EQ(c.lines()[0], "line (12,40)-(80,40) pen=dashdot/1/#FF0000");
    EXPECT_EQ(c.lines()[1], "line (80,40)-(80,60) pen=dashdot/1/#FF0000") << "lineTo continues from the last end";
    EXPECT_EQ(c.lines()[2], "line (80,60)-(0,0) pen=solid/1/#000000");
}

TEST(UiCanvas, ArcsFollowTheArcDirectionAndLeaveTheCurrentPosition) {
    RecordingCanvas c;
    c.moveTo({5, 5});
    EXPECT_EQ(c.setArcDirection(plat::AD_CLOCKWISE), plat::AD_COUNTERCLOCKWISE);
    c.arc({0, 0, 20, 20}, {20, 10}, {0, 10});
    EXPECT_EQ(c.setArcDirection(7), 0) << "an unknown direction is refused";
    EXPECT_EQ(c.currentPosition().x, 5);
    EXPECT_EQ(c.lines().back(), "arc box=(0,0,20,20) from=(20,10) to=(0,10) cw pen=solid/1/#000000");
}

TEST(UiCanvas, PathIsBuiltWithoutDrawingAndFillingClosesItsFigures) {
    RecordingCanvas c;
    c.selectBrush(plat::Brush::solid(plat::rgb(206, 138, 0)));
    c.setPolyFillMode(plat::WINDING);
    c.beginPath();
    c.moveTo({0, 0});
    c.lineTo({10, 0});
    c.lineTo({10, 10});
    c.moveTo({20, 20});
    c.lineTo({30, 20});
    c.endPath();
    EXPECT_TRUE(c.lines().empty()) << "nothing is drawn while a path is built";
    c.fillPath();
    ASSERT_EQ(c.lines().size(), 1u);
    EXPECT_EQ(c.lines()[0], "path fill mode=winding brush=#CE8A00 {(0,0) (10,0) (10,10) close} {(20,20) (30,20) close}");
    c.fillPath();
    EXPECT_EQ(c.lines().size(), 1u) << "a path is used once";
}

TEST(UiCanvas, StrokeAndFillCarriesPenAndBrushAndAnUnfinishedPathDrawsNothing) {
    RecordingCanvas c;
    c.beginPath();
    c.moveTo({1, 1});
    c.lineTo({4, 1});
    c.strokeAndFillPath();  // before endPath
    EXPECT_TRUE(c.lines().empty());
    c.closeFigure();
    c.endPath();
    c.selectPen({plat::PenStyle::Solid, 3, 0});
    c.strokeAndFillPath();
    ASSERT_EQ(c.lines().size(), 1u);
    EXPECT_EQ(c.lines()[0], "path strokefill mode=alternate brush=#FFFFFF pen=solid/3/#000000 {(1,1) (4,1) close}");
}

TEST(UiCanvas, TextCarriesFontColourAlignmentAndClip) {
    RecordingCanvas c;
    c.selectFont({"Arial", 13, 400});
    c.setTextColor(plat::rgb(0, 0, 255));
    c.setTextAlign(plat::TA_CENTER | plat::TA_BASELINE);
    plat::Rect band{0, 0, 50, 20};
    c.extTextOut({25, 15}, plat::ETO_CLIPPED, &band, "\xD8 8");
    c.setTextAlign(plat::TA_RIGHT);
    EXPECT_EQ(c.setBkMode(plat::TRANSPARENT), plat::OPAQUE) << "text has an opaque white box unless told otherwise";
    c.selectFont({"Arial", 13, 700});
    c.textOut({3, 4}, "R");
    ASSERT_EQ(c.lines().size(), 2u);
    EXPECT_EQ(c.lines()[0],
              "text (25,15) \"\xC3\x98 8\" font=\"Arial\"/13 color=#0000FF bk=#FFFFFF align=center|baseline clip=(0,0,50,20)");
    EXPECT_EQ(c.lines()[1], "text (3,4) \"R\" font=\"Arial\"/13/700 color=#0000FF bk=none align=right|top");
}

TEST(UiCanvas, MetricsAreConsistentForBothHeightConventions) {
    RecordingCanvas c;
    for (int h : {13, -13, 12}) {
        c.selectFont({"Arial", h, 400});
        plat::TextMetrics m = c.textMetrics();
        EXPECT_EQ(m.ascent + m.descent, m.height) << h;
        EXPECT_GT(m.descent, 0) << h;
        if (h > 0) {
            EXPECT_EQ(m.height, h) << "a positive height is the cell height";
        } else {
            EXPECT_EQ(m.height - m.internalLeading, -h) << "character height excludes the leading";
        }
        EXPECT_EQ(c.textExtent("abcd").cy, m.height);
    }
    c.selectFont({"Arial", -13, 400});
    int charHeight = c.textMetrics().height;
    c.selectFont({"Arial", 13, 400});
    EXPECT_GT(charHeight, c.textMetrics().height) << "a character height of 13 needs a taller cell";
}

// Extents come from the font's glyphs: they grow with the text and the height, narrow letters take less
// room than wide ones, and a bold face is wider.
TEST(UiCanvas, TextExtentsFollowTheRealGlyphs) {
    RecordingCanvas c;
    c.selectFont({"Arial", 13, 400});
    EXPECT_EQ(c.textExtent("").cx, 0);
    int one = c.textExtent("Tiefe").cx, two = c.textExtent("Tiefe Tiefe").cx;
    EXPECT_GT(one, 0);
    EXPECT_GT(two, 2 * one) << "the second word and a blank";
    EXPECT_LT(c.textExtent("iiii").cx * 2, c.textExtent("WWWW").cx) << "a proportional face";
    int normal = c.textExtent("Diameter").cx;
    c.selectFont({"Arial", 26, 400});
    EXPECT_GT(c.textExtent("Diameter").cx, normal * 3 / 2);
    c.selectFont({"Arial", 13, 700});
    EXPECT_GT(c.textExtent("Diameter").cx, normal);
    EXPECT_GT(c.textExtent("\xD8 8").cx, c.textExtent(" 8").cx) << "a code-page letter is drawn, not dropped";
}

TEST(UiCanvas, ResetStateGivesAFreshDeviceContext) {
    RecordingCanvas c;
    c.selectPen({plat::PenStyle::Dot, 2, 1});
    c.setBkMode(plat::TRANSPARENT);
    c.setTextAlign(plat::TA_RIGHT);
    c.beginPath();
    c.moveTo({3, 3});
    c.resetState();
    EXPECT_FALSE(c.inPath());
    EXPECT_EQ(c.pen().style, plat::PenStyle::Solid);
    EXPECT_EQ(c.bkMode(), plat::OPAQUE);
    EXPECT_EQ(c.textAlign(), plat::TA_LEFT | plat::TA_TOP);
    EXPECT_EQ(c.currentPosition().x, 0);
}

TEST(UiCanvas, FillRectUsesItsOwnBrushNotTheSelectedOne) {
    RecordingCanvas c;
    c.selectBrush(plat::Brush::null());
    c.fillSolidRect({1, 2, 3, 4}, plat::rgb(255, 255, 204));
    EXPECT_EQ(c.lines().back(), "fillrect (1,2,3,4) brush=#FFFFCC");
}

}  // namespace
