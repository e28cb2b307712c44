// Test and example parts: a stock block (or bar) with more blocks, bosses, holes, fillets and boxes cut out,
// built with the kernel's primitives and booleans in the order given (blocks and bosses first, then holes,
// then fillets, then the cuts). The built
// part knows each hole's description and which of its faces belong to which hole. The stock box runs from
// `origin` to origin + size, in part units.
#pragma once
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "host/builder/hole_kinds.h"
#include "host/geom/face_geom.h"

namespace host::builder {

struct BossSpec {
    Vec3 base{};             // centre of the boss's foot on the face it stands on
    Vec3 direction{0, 0, 1}; // out of the material
    double diameter = 0;
    double height = 0;
    double rootFillet = 0;   // radius rounding the foot's edge, 0 for a sharp edge
};

struct BuiltPart {
    SolidGeom solid;                          // empty when the build failed
    std::string error;                        // why it failed
    std::vector<HoleSpec> holes;              // through lengths resolved
    std::vector<std::vector<int>> holeFaces;  // per hole: indices into solid.faces(), ascending
    bool ok() const { return !solid.empty(); }
};

class PartBuilder {
public:
    static PartBuilder block(Vec3 size, Vec3 origin = {0, 0, 0});
    // A round bar as the stock instead of a block (a pin, a shaft): its foot's centre, its axis out of the
    // foot, its diameter and length. The stock colour and more boxes, bosses and holes apply as to a block.
    static PartBuilder bar(const BossSpec& bar);

    // More stock joined to the block (an upright, an arm over the block): the box from `origin` to
    // origin + size.
    PartBuilder& box(Vec3 size, Vec3 origin);
    PartBuilder& boss(const BossSpec& boss);
    // A box cut out of the part after the holes (a slot, a pocket): from `origin` to origin + size.
    PartBuilder& cut(Vec3 size, Vec3 origin);
    PartBuilder& hole(HoleSpec hole);
    PartBuilder& stockColour(int colour);
    // Every edge of the stock block rounded with `radius` before the bosses and holes, as most parts
    // leave a CAD system: a hole near an edge then cuts the rounding.
    PartBuilder& roundStockEdges(double radius);
    // Every cone's surface referenced at the middle of its face (its circle of reference there, the
    // parameter along the generator running both ways from it), as many CAD systems write cones: the
    // kernel's own revolutions reference a cone at an end of its generator.
    PartBuilder& conesReferencedMidFace();

    BuiltPart build() const;

private:
    Vec3 size_{}, origin_{};
    std::optional<BossSpec> bar_;
    bool conesMidFace_ = false;
    int stockColour_ = kNoColour;
    std::vector<std::pair<Vec3, Vec3>> boxes_;   // size, origin
    std::vector<std::pair<Vec3, Vec3>> cuts_;    // size, origin
    double stockRounding_ = 0;
    std::vector<BossSpec> bosses_;
    std::vector<HoleSpec> holes_;
};

// The part placed as an assembly places one of its parts: turned by `angle` (radians) about the axis
// through `point` along `axis`, then moved by `shift`. Its faces keep their geometry under a location, as
// the instances of a STEP assembly do; its holes move with it.
BuiltPart placedPart(const BuiltPart& part, const Vec3& point, const Vec3& axis, double angle, const Vec3& shift = {});

// A ball, and a ring (a torus about `axis`: the circle of its tube's centres of radius `major`, the tube of
// radius `minor`), each a part of its own to stand in or on another part of an assembly.
BuiltPart ballPart(const Vec3& centre, double diameter);
BuiltPart ringPart(const Vec3& centre, const Vec3& axis, double major, double minor);

// Named example parts (the ones shipped in data/examples as STEP), each with its builder.
struct ExamplePart {
    std::string name;   // file title: data/examples/<name>.step
    PartBuilder builder;
};
std::vector<ExamplePart> exampleParts();

// Named test parts (shipped with the tests as STEP in tests/data/repros), each one or more solids as an
// assembly holds them, with the shapes that real parts showed and the examples do not.
struct TestPart {
    std::string name;                                        // file title: <name>.stp
    std::vector<std::pair<std::string, PartBuilder>> solids;  // each solid's name and builder
};
std::vector<TestPart> testParts();

}  // namespace host::builder
