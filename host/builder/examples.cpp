// The example parts shipped as STEP in data/examples; a test checks that the files still match these
// definitions (and rewrites them when FX_WRITE_EXAMPLES names a folder). Millimetres; the stock's top
// face is at z = its height, holes from the top run along -Z.
#include "host/builder/part_builder.h"

#include <cmath>
#include <numbers>

namespace host::builder {
namespace {

constexpr Vec3 kDown{0, 0, -1};

PartBuilder holesPlate() {
    PartBuilder b = PartBuilder::block({120, 80, 12});
    b.stockColour(7);
    b.hole(throughHole("through d8", {15, 15, 12}, kDown, 8));
    b.hole(blindFlat("blind flat d10", {40, 15, 12}, kDown, 10, 6));
    b.hole(blindTipped("tipped d8.5", {65, 15, 12}, kDown, 8.5, 8));
    b.hole(counterbored("counterbore M6", {90, 15, 12}, kDown, 6.6, 11, 6.8));
    b.hole(countersunk("countersink M6", {15, 45, 12}, kDown, 6.6, 13, 90));
    b.hole(spotFaced("spot face d9", {40, 45, 12}, kDown, 9, 18, 0.5));
    b.hole(stepped("stepped 12/8/5", {65, 45, 12}, kDown, {{12, 4}, {8, 4}, {5, 0}}));
    b.hole(necked("necked d10", {95, 45, 12}, kDown, 10, 14, 4, 3));
    HoleSpec halves = throughHole("two halves d12", {15, 68, 12}, kDown, 12);
    halves.splitWall = true;
    b.hole(halves);
    HoleSpec rounded = blindTipped("rounded entry d5", {40, 68, 12}, kDown, 5, 9);
    rounded.entryFillet = 1;
    b.hole(rounded);
    HoleSpec coloured = blindFlat("coloured d6", {65, 68, 12}, kDown, 6, 5);
    coloured.colour = 12;
    b.hole(coloured);
    return b;
}

PartBuilder directionsBlock() {
    PartBuilder b = PartBuilder::block({80, 60, 50});
    b.hole(blindTipped("down d8 crossed", {40, 30, 50}, kDown, 8, 30));
    b.hole(throughHole("side +X d10 crossing", {80, 30, 25}, {-1, 0, 0}, 10));
    b.hole(blindFlat("side -Y d6", {20, 0, 15}, {0, 1, 0}, 6, 20));
    double s = std::sin(20.0 * std::numbers::pi / 180.0), c = std::cos(20.0 * std::numbers::pi / 180.0);
    b.hole(throughHole("inclined 20deg d6", {62, 12, 50}, {s, 0, -c}, 6));
    b.hole(counterbored("from below M5", {20, 45, 0}, {0, 0, 1}, 5.5, 10, 5.4, 15));
    b.hole(stepped("side -X stepped tipped", {0, 45, 35}, {1, 0, 0}, {{10, 6}, {6, 12}}, 118));
    return b;
}

PartBuilder bossPart() {
    PartBuilder b = PartBuilder::block({60, 60, 15});
    b.boss({{30, 30, 15}, {0, 0, 1}, 24, 10, 2});
    b.hole(counterbored("through boss M8", {30, 30, 25}, kDown, 9, 14, 4));
    b.hole(blindTipped("near the boss fillet d5", {30, 48, 15}, kDown, 5, 10));
    HoleSpec rounded = throughHole("rounded entry d10", {10, 10, 15}, kDown, 10);
    rounded.entryFillet = 1.5;
    b.hole(rounded);
    return b;
}

// A bracket whose arm runs over a counterbore of its foot: no tool reaches that counterbore from above, and
// from below it is blind.
PartBuilder armBracket() {
    PartBuilder b = PartBuilder::block({80, 40, 10});
    b.box({15, 40, 35}, {65, 0, 10});   // the upright
    b.box({55, 16, 6}, {10, 12, 39});   // the arm
    b.hole(counterbored("counterbore under the arm", {25, 20, 10}, kDown, 6.6, 11, 4, 8));
    b.hole(throughHole("beside the arm d8", {45, 5, 10}, kDown, 8));
    return b;
}

// A 1.5 sheet with a 10 thick flange: countersunk screw holes in the sheet, their cones nearly its
// thickness; in the flange through holes chamfered at both ends, one under a counterbore, which the
// recognition cuts into two halves drilled from both sides.
PartBuilder sheetFlange() {
    constexpr double sheet = 1.5, flange = 10;
    PartBuilder b = PartBuilder::block({100, 40, sheet});
    b.box({40, 40, flange - sheet}, {60, 0, sheet});
    for (double x : {10.0, 25.0, 40.0}) b.hole(countersunk("countersunk d2.4", {x, 20, sheet}, kDown, 2.4, 4.4, 90));
    for (double x : {70.0, 80.0}) {
        b.hole(holeAt("chamfered d3.3", {x, 12, flange}, kDown).chamfer(4.3, 3.3, 90).throughCylinder(3.3));
        b.hole(farChamfer("chamfered d3.3 below", {x, 12, 0}, {0, 0, 1}, 3.3, 0.5));
    }
    b.hole(counterbored("counterbore d3.35", {90, 28, flange}, kDown, 3.35, 6.3, 3));
    b.hole(farChamfer("counterbore d3.35 below", {90, 28, 0}, {0, 0, 1}, 3.35, 0.5));
    return b;
}

}  // namespace

std::vector<ExamplePart> exampleParts() {
    return {{"holes_plate", holesPlate()},
            {"directions_block", directionsBlock()},
            {"boss_part", bossPart()},
            {"arm_bracket", armBracket()},
            {"sheet_flange", sheetFlange()}};
}

}  // namespace host::builder
