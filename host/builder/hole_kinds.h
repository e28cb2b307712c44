// What a built hole is by construction: its axis, its entry point and the stack of coaxial segments from
// the entry down. Lengths along the axis and diameters in part units; cone angles are full included
// angles in degrees. A shoulder (a flat ring) lies wherever one segment's bottom diameter differs from the
// next one's top diameter.
#pragma once
#include <string>
#include <vector>

#include "host/geom/face_geom.h"

namespace host::builder {

struct HoleSegment {
    double topDiameter = 0;
    double bottomDiameter = 0;
    double length = 0;

    bool isCylinder() const { return topDiameter == bottomDiameter; }
    // Full included angle of the cone this segment lies on; 0 for a cylinder.
    double coneAngleDeg() const;
};

struct HoleSpec {
    std::string name;
    Vec3 entry{};                 // axis point on the entry face
    Vec3 direction{0, 0, -1};     // into the material; normalised by the builder
    std::vector<HoleSegment> segments;
    bool through = false;         // the last segment leaves the part; the builder fills in its length
    bool splitWall = false;       // every wall made of two half faces (two half-turn cuts)
    double entryFillet = 0;       // radius rounding the edge where the hole meets its entry face
    int colour = kNoColour;       // host colour number of the hole's faces

    double depth() const;         // along the axis, entry to the deepest point
    // Full angle of the drill tip at the bottom, 0 when the hole does not end in a point.
    double tipAngleDeg() const;

    // Fluent stack building, top to bottom.
    HoleSpec& cylinder(double diameter, double length);
    HoleSpec& cone(double topDiameter, double bottomDiameter, double length);
    // A cone from the last diameter down to a point with the given full angle.
    HoleSpec& tip(double angleDeg = 118.0);
    // A cone from `topDiameter` down to the next segment's diameter with the given full angle.
    HoleSpec& chamfer(double topDiameter, double bottomDiameter, double angleDeg);
    // A last segment that runs out of the part.
    HoleSpec& throughCylinder(double diameter);
};

HoleSpec holeAt(std::string name, Vec3 entry, Vec3 direction);

// The usual kinds. `depth` is measured from the entry to the bottom of the cylindrical walls (a tip adds
// to it); `depth` 0 means through.
HoleSpec throughHole(std::string name, Vec3 entry, Vec3 direction, double d);
HoleSpec blindFlat(std::string name, Vec3 entry, Vec3 direction, double d, double depth);
HoleSpec blindTipped(std::string name, Vec3 entry, Vec3 direction, double d, double depth, double tipDeg = 118.0);
HoleSpec counterbored(std::string name, Vec3 entry, Vec3 direction, double d, double cbD, double cbDepth,
                      double depth = 0);
HoleSpec countersunk(std::string name, Vec3 entry, Vec3 direction, double d, double csD, double csAngleDeg = 90.0,
                     double depth = 0);
// A shallow counterbore that only cleans the face around the hole.
HoleSpec spotFaced(std::string name, Vec3 entry, Vec3 direction, double d, double spotD, double spotDepth = 0.5,
                   double depth = 0);
// The chamfer of a through hole's far end, cut from that end (`entry` on it, `direction` into the material):
// a 90 degree cone from d + 2 * size down to the hole's diameter d.
HoleSpec farChamfer(std::string name, Vec3 entry, Vec3 direction, double d, double size);
// Cylinders of the given diameters and lengths, ending flat, in a tip (tipDeg > 0) or through (last
// length 0).
HoleSpec stepped(std::string name, Vec3 entry, Vec3 direction, const std::vector<std::pair<double, double>>& steps,
                 double tipDeg = 0);
// A hole with an internal groove: diameter d, a wider groove of `grooveD` from `grooveTop` over
// `grooveWidth` along the axis; `depth` 0 means through.
HoleSpec necked(std::string name, Vec3 entry, Vec3 direction, double d, double grooveD, double grooveTop,
                double grooveWidth, double depth = 0);

}  // namespace host::builder
