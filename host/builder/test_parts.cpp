// The test parts shipped in tests/data/repros; a test checks that the files still match these definitions
// (and rewrites them when FX_WRITE_TEST_PARTS names a folder). Millimetres, away from the origin as real
// parts lie.
#include <cmath>
#include <numbers>

#include "host/builder/part_builder.h"

namespace host::builder {
namespace {

// Centre marks, cones without a bore, as other systems write them: each cone in two half faces, its
// reference circle in the middle of the face. A 90 degree D3 x 1.5 cone on the axis of a boss under the
// block, and a 120 degree D0.515 x 0.15 cone on the end of a pin, a solid of its own, pressed into a D1.55
// hole in the block's front; a D6 through hole beside them.
TestPart centreMarks() {
    PartBuilder block = PartBuilder::block({60, 40, 20}, {100, 40, 20});
    block.boss({{115, 60, 20}, {0, 0, -1}, 12, 8, 0});
    HoleSpec bossMark = holeAt("boss centre", {115, 60, 12}, {0, 0, 1});
    bossMark.cone(3, 0, 1.5);
    bossMark.splitWall = true;
    block.hole(bossMark);
    block.hole(blindFlat("pin hole", {145, 40, 30}, {0, 1, 0}, 1.55, 4));
    block.hole(throughHole("d6", {130, 60, 40}, {0, 0, -1}, 6));
    block.conesReferencedMidFace();
    PartBuilder pin = PartBuilder::bar({{145, 44, 30}, {0, -1, 0}, 1.55, 6, 0});
    HoleSpec pinMark = holeAt("pin centre", {145, 38, 30}, {0, 1, 0});
    pinMark.cone(0.515, 0, 0.15);
    pinMark.splitWall = true;
    pin.hole(pinMark);
    pin.conesReferencedMidFace();
    return {"centre_marks", {{"block", block}, {"pin", pin}}};
}

// A D8 through hole with a D10.2 x 4 counterbore from the far side, whose wall a slot across the bottom
// cuts into two faces of 156 degrees, beside a second D8 through hole.
TestPart slottedCounterbore() {
    PartBuilder plate = PartBuilder::block({40, 30, 12}, {150, 30, -60});
    plate.hole(counterbored("far counterbore", {170, 45, -60}, {0, 0, 1}, 8, 10.2, 4));
    plate.hole(throughHole("beside", {160, 45, -48}, {0, 0, -1}, 8));
    const double width = 2 * 5.1 * std::sin(12 * std::numbers::pi / 180);
    plate.cut({40, width, 4}, {150, 45 - width / 2, -60});
    return {"slotted_counterbore", {{"plate", plate}}};
}

// An assembly's housing with two D17.1 x 11.8 bores that its cover closes: walls closed at both ends.
TestPart coveredBores() {
    PartBuilder housing = PartBuilder::block({60, 30, 20}, {-80, 20, 10});
    housing.hole(blindFlat("left bore", {-65, 35, 30}, {0, 0, -1}, 17.1, 11.8));
    housing.hole(blindFlat("right bore", {-35, 35, 30}, {0, 0, -1}, 17.1, 11.8));
    return {"covered_bores", {{"housing", housing}, {"cover", PartBuilder::block({60, 30, 5}, {-80, 20, 30})}}};
}

}  // namespace

std::vector<TestPart> testParts() { return {centreMarks(), slottedCounterbore(), coveredBores()}; }

}  // namespace host::builder
