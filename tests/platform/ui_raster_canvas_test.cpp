// The raster canvas puts pixels where the drawing API's rules put them (probed where the geometry fixes
// them), keeps recording what it draws, and writes a PNG that reads back the same.
#include <gtest/gtest.h>

#include "platform/sys/files.h"
#include "platform/ui/png_image.h"
#include "platform/ui/raster_canvas.h"
#include "support/temp_dir.h"

namespace {

using plat::Point;
using plat::RasterCanvas;
using plat::rgb;

constexpr plat::Color kWhite = 0xFFFFFF, kRed = rgb(255, 0, 0), kBlue = rgb(0, 0, 255), kSection = rgb(206, 138, 0);

struct Probe {
    Point at;
    plat::Color want;
    const char* what;
};

// Text is antialiased: a glyph pixel is one nearer the text colour (red) than anything else here.
bool reddish(plat::Color c) { return (c & 0xFF) > 180 && ((c >> 8) & 0xFF) < 128 && ((c >> 16) & 0xFF) < 128; }

void expectPixels(const RasterCanvas& c, std::initializer_list<Probe> probes) {
    for (const Probe& p : probes)
        EXPECT_EQ(c.pixel(p.at), p.want) << p.what << " at (" << p.at.x << "," << p.at.y << ")";
}

TEST(UiRasterCanvas, RectanglesAndLinesCoverThePixelsTheirEdgesFix) {
    RasterCanvas c(60, 40);
    c.fillSolidRect({10, 5, 20, 15}, kSection);
    c.selectPen({plat::PenStyle::Solid, 1, kRed});
    c.moveTo({5, 30});
    c.lineTo({25, 30});
    c.moveTo({40, 5});
    c.lineTo({40, 25});
    c.selectPen({plat::PenStyle::Solid, 3, kBlue});
    c.moveTo({45, 35});
    c.lineTo({55, 35});
    c.selectBrush(plat::Brush::solid(kRed));
    c.beginPath();  // a filled square path, no outline
    c.moveTo({50, 2});
    c.lineTo({58, 2});
    c.lineTo({58, 10});
    c.lineTo({50, 10});
    c.endPath();
    c.fillPath();
    expectPixels(c, {
        {{10, 5}, kSection, "rectangle's top-left pixel"},
        {{19, 14}, kSection, "rectangle's last pixel inside"},
        {{20, 10}, kWhite, "right edge excluded"},
        {{15, 15}, kWhite, "bottom edge excluded"},
        {{9, 10}, kWhite, "left of it"},
        {{5, 30}, kRed, "a line's first pixel"},
        {{24, 30}, kRed, "the pixel before its end"},
        {{25, 30}, kWhite, "a line's end pixel is left out"},
        {{15, 29}, kWhite, "one pixel wide: above"},
        {{15, 31}, kWhite, "one pixel wide: below"},
        {{40, 5}, kRed, "vertical line's first pixel"},
        {{40, 24}, kRed, "vertical line before its end"},
        {{40, 25}, kWhite, "vertical line's end pixel"},
        {{50, 34}, kBlue, "three pixels wide: above the middle"},
        {{50, 36}, kBlue, "three pixels wide: below the middle"},
        {{50, 37}, kWhite, "and no wider"},
        {{55, 35}, kBlue, "a wide pen reaches its end point"},
        {{50, 2}, kRed, "a filled path's top-left corner"},
        {{57, 9}, kRed, "its last pixel inside"},
        {{58, 5}, kWhite, "its right edge excluded"},
        {{54, 10}, kWhite, "its bottom edge excluded"},
    });
    EXPECT_EQ(c.lines().size(), 5u) << "the raster canvas still records";
    EXPECT_EQ(c.lines()[1], "line (5,30)-(25,30) pen=solid/1/#FF0000");
}

TEST(UiRasterCanvas, DashDotLinesHaveGapsAndNullPensDrawNothing) {
    RasterCanvas c(80, 10);
    c.selectPen({plat::PenStyle::DashDot, 1, kRed});
    c.moveTo({0, 2});
    c.lineTo({80, 2});
    int red = 0;
    for (int x = 0; x < 80; ++x) red += c.pixel({x, 2}) == kRed;
    EXPECT_GT(red, 20);
    EXPECT_LT(red, 70) << "a dash-dot line is broken";
    c.selectPen({plat::PenStyle::Null, 1, kRed});
    c.moveTo({0, 6});
    c.lineTo({80, 6});
    EXPECT_EQ(c.pixel({40, 6}), kWhite);
}

// An arrowhead the way the form sketches draw it: a three-point path, stroked and filled.
TEST(UiRasterCanvas, FilledSectorsTakeTheirInsideAndNotTheirOutside) {
    RasterCanvas c(60, 60);
    c.selectPen({plat::PenStyle::Solid, 1, kRed});
    c.selectBrush(plat::Brush::solid(kRed));
    c.setPolyFillMode(plat::WINDING);
    c.beginPath();
    c.moveTo({10, 30});
    c.lineTo({40, 20});
    c.lineTo({40, 40});
    c.lineTo({10, 30});
    c.endPath();
    c.strokeAndFillPath();
    // A pie: centre, out along +x, counter-clockwise a quarter turn up, back to the centre.
    c.selectBrush(plat::Brush::solid(kBlue));
    c.selectPen({plat::PenStyle::Null, 1, 0});
    c.beginPath();
    c.moveTo({45, 15});
    c.lineTo({55, 15});
    c.arc({35, 5, 56, 26}, {55, 15}, {45, 5});
    c.closeFigure();
    c.endPath();
    c.fillPath();
    expectPixels(c, {
        {{30, 30}, kRed, "inside the arrowhead"},
        {{10, 30}, kRed, "its tip"},
        {{39, 22}, kRed, "near a corner"},
        {{20, 22}, kWhite, "above its upper side"},
        {{45, 30}, kWhite, "beyond its base"},
        {{50, 10}, kBlue, "inside the pie's quarter"},
        {{40, 10}, kWhite, "the quarter to its left"},
        {{50, 20}, kWhite, "the quarter below"},
    });
}

TEST(UiRasterCanvas, ArcsRunInTheArcDirection) {
    for (int dir : {plat::AD_COUNTERCLOCKWISE, plat::AD_CLOCKWISE}) {
        RasterCanvas c(40, 40);
        c.selectPen({plat::PenStyle::Solid, 1, kBlue});
        c.setArcDirection(dir);
        // Radius 10 around (20, 20); from the ray to the right to the ray to the left.
        c.arc({10, 10, 31, 31}, {30, 20}, {10, 20});
        bool top = c.pixel({20, 10}) == kBlue, bottom = c.pixel({20, 30}) == kBlue;
        EXPECT_EQ(top, dir == plat::AD_COUNTERCLOCKWISE) << dir;
        EXPECT_EQ(bottom, dir == plat::AD_CLOCKWISE) << dir;
        EXPECT_EQ(c.pixel({20, 20}), kWhite) << "an arc is not filled";
    }
}

TEST(UiRasterCanvas, AlternateFillLeavesOverlapsEmptyWindingFillsThem) {
    for (int mode : {plat::ALTERNATE, plat::WINDING}) {
        RasterCanvas c(40, 40);
        c.selectBrush(plat::Brush::solid(kSection));
        c.setPolyFillMode(mode);
        c.beginPath();
        for (int off : {0, 10}) {
            c.moveTo({5 + off, 5 + off});
            c.lineTo({25 + off, 5 + off});
            c.lineTo({25 + off, 25 + off});
            c.lineTo({5 + off, 25 + off});
            c.closeFigure();
        }
        c.endPath();
        c.fillPath();
        EXPECT_EQ(c.pixel({8, 8}), kSection) << mode;
        EXPECT_EQ(c.pixel({20, 20}), mode == plat::WINDING ? kSection : kWhite) << "the overlap, mode " << mode;
    }
}

TEST(UiRasterCanvas, TextIsDrawnInItsColourOnItsBackgroundWithinTheClip) {
    RasterCanvas c(120, 40, rgb(125, 117, 125));
    c.selectFont({"Arial", 13, 400});
    c.setTextColor(kRed);
    plat::Size ext = c.textExtent("MMMM");
    plat::TextMetrics m = c.textMetrics();
    c.textOut({5, 5}, "MMMM");  // the default background: an opaque white box
    c.setBkMode(plat::TRANSPARENT);
    c.setTextAlign(plat::TA_CENTER | plat::TA_BASELINE);
    plat::Rect band{70, 0, 90, 40};
    c.extTextOut({80, 30}, plat::ETO_CLIPPED, &band, "MMMMMMMM");

    int red = 0, white = 0;
    for (int y = 5; y < 5 + m.height; ++y)
        for (int x = 5; x < 5 + ext.cx; ++x) {
            red += reddish(c.pixel({x, y}));
            white += c.pixel({x, y}) == kWhite;
        }
    EXPECT_GT(red, 10) << "glyph pixels in the text colour";
    EXPECT_GT(white, 10) << "the opaque box around them";
    EXPECT_EQ(c.pixel({5 + ext.cx + 1, 5}), rgb(125, 117, 125)) << "the box is as wide as the text";
    EXPECT_EQ(c.pixel({5, 5 + m.height}), rgb(125, 117, 125)) << "and as high as the font's cell";

    int clippedInside = 0;
    for (int y = 30 - m.ascent; y < 30; ++y) {
        for (int x = 70; x < 90; ++x) clippedInside += c.pixel({x, y}) != rgb(125, 117, 125);
        EXPECT_EQ(c.pixel({69, y}), rgb(125, 117, 125)) << "nothing left of the clip band, row " << y;
        EXPECT_EQ(c.pixel({90, y}), rgb(125, 117, 125)) << "nothing right of it, row " << y;
    }
    EXPECT_GT(clippedInside, 10);
    EXPECT_EQ(c.pixel({80, 31}), rgb(125, 117, 125)) << "transparent: no box below the baseline";
}

TEST(UiRasterCanvas, PngReadsBackWithItsSizeAndPixels) {
    TempDir dir;
    RasterCanvas c(33, 21);
    c.fillSolidRect({0, 0, 10, 10}, kSection);
    c.selectPen({plat::PenStyle::Solid, 1, kBlue});
    c.moveTo({0, 20});
    c.lineTo({33, 20});
    std::string path = dir.path() + "/p.png";
    ASSERT_TRUE(c.writePng(path));
    std::optional<plat::PngImage> img = plat::readPng(path);
    ASSERT_TRUE(img);
    EXPECT_EQ(img->width, 33);
    EXPECT_EQ(img->height, 21);
    EXPECT_EQ(img->pixel({9, 9}), kSection);
    EXPECT_EQ(img->pixel({10, 10}), kWhite);
    EXPECT_EQ(img->pixel({32, 20}), kBlue);
    EXPECT_EQ(img->alpha({32, 20}), 255);
    EXPECT_FALSE(c.writePng(dir.path() + "/no/such/folder/p.png"));
    EXPECT_FALSE(plat::readPng(dir.path() + "/missing.png"));

    // A disk that fills while the picture is written: no file is left, and one there before stays whole.
    const std::string before = plat::readFile(path).value();
    plat::failNextWriteAfter(40);
    EXPECT_FALSE(c.writePng(dir.path() + "/full.png"));
    EXPECT_FALSE(plat::fileExists(dir.path() + "/full.png"));
    plat::failNextWriteAfter(40);
    EXPECT_FALSE(c.writePng(path));
    EXPECT_EQ(plat::readFile(path), before);
}

TEST(UiRasterCanvas, ALayerWithoutBackgroundIsDrawnOverAnotherImage) {
    RasterCanvas layer(20, 20, std::nullopt);
    layer.fillSolidRect({5, 5, 10, 10}, kRed);
    EXPECT_EQ(layer.alpha({0, 0}), 0);
    EXPECT_EQ(layer.alpha({5, 5}), 255);
    RasterCanvas base(20, 20, kBlue);
    layer.drawOnto(base);
    EXPECT_EQ(base.pixel({0, 0}), kBlue);
    EXPECT_EQ(base.pixel({7, 7}), kRed);
}

}  // namespace
