// Hole stacks by kind. The factories only assemble segments; the builder checks that a stack can be cut.
#include "host/builder/hole_kinds.h"

#include <cmath>
#include <numbers>

namespace host::builder {
namespace {

constexpr double kDeg = std::numbers::pi / 180.0;

double coneLength(double topDiameter, double bottomDiameter, double angleDeg) {
    return std::abs(topDiameter - bottomDiameter) / 2.0 / std::tan(angleDeg * kDeg / 2.0);
}

// The stack below an upper part of `upper` length: to `depth` from the entry, or through when 0.
HoleSpec& finish(HoleSpec& h, double d, double upper, double depth) {
    return depth == 0 ? h.throughCylinder(d) : h.cylinder(d, depth - upper);
}

}  // namespace

double HoleSegment::coneAngleDeg() const {
    if (isCylinder() || length <= 0) return 0;
    return 2.0 * std::atan(std::abs(topDiameter - bottomDiameter) / 2.0 / length) / kDeg;
}

double HoleSpec::depth() const {
    double sum = 0;
    for (const HoleSegment& s : segments) sum += s.length;
    return sum;
}

double HoleSpec::tipAngleDeg() const {
    if (segments.empty()) return 0;
    const HoleSegment& last = segments.back();
    return last.bottomDiameter == 0 && last.topDiameter > 0 ? last.coneAngleDeg() : 0;
}

HoleSpec& HoleSpec::cylinder(double diameter, double length) {
    segments.push_back({diameter, diameter, length});
    return *this;
}

HoleSpec& HoleSpec::cone(double topDiameter, double bottomDiameter, double length) {
    segments.push_back({topDiameter, bottomDiameter, length});
    return *this;
}

HoleSpec& HoleSpec::tip(double angleDeg) {
    double d = segments.empty() ? 0 : segments.back().bottomDiameter;
    segments.push_back({d, 0, coneLength(d, 0, angleDeg)});
    return *this;
}

HoleSpec& HoleSpec::chamfer(double topDiameter, double bottomDiameter, double angleDeg) {
    segments.push_back({topDiameter, bottomDiameter, coneLength(topDiameter, bottomDiameter, angleDeg)});
    return *this;
}

HoleSpec& HoleSpec::throughCylinder(double diameter) {
    segments.push_back({diameter, diameter, 0});
    through = true;
    return *this;
}

HoleSpec holeAt(std::string name, Vec3 entry, Vec3 direction) {
    HoleSpec h;
    h.name = std::move(name);
    h.entry = entry;
    h.direction = direction;
    return h;
}

HoleSpec throughHole(std::string name, Vec3 entry, Vec3 direction, double d) {
    return holeAt(std::move(name), entry, direction).throughCylinder(d);
}

HoleSpec blindFlat(std::string name, Vec3 entry, Vec3 direction, double d, double depth) {
    return holeAt(std::move(name), entry, direction).cylinder(d, depth);
}

HoleSpec blindTipped(std::string name, Vec3 entry, Vec3 direction, double d, double depth, double tipDeg) {
    return holeAt(std::move(name), entry, direction).cylinder(d, depth).tip(tipDeg);
}

HoleSpec counterbored(std::string name, Vec3 entry, Vec3 direction, double d, double cbD, double cbDepth,
                      double depth) {
    HoleSpec h = holeAt(std::move(name), entry, direction).cylinder(cbD, cbDepth);
    return finish(h, d, cbDepth, depth);
}

HoleSpec countersunk(std::string name, Vec3 entry, Vec3 direction, double d, double csD, double csAngleDeg,
                     double depth) {
    HoleSpec h = holeAt(std::move(name), entry, direction).chamfer(csD, d, csAngleDeg);
    return finish(h, d, h.depth(), depth);
}

HoleSpec farChamfer(std::string name, Vec3 entry, Vec3 direction, double d, double size) {
    return holeAt(std::move(name), entry, direction).chamfer(d + 2 * size, d, 90);
}

HoleSpec spotFaced(std::string name, Vec3 entry, Vec3 direction, double d, double spotD, double spotDepth,
                   double depth) {
    return counterbored(std::move(name), entry, direction, d, spotD, spotDepth, depth);
}

HoleSpec stepped(std::string name, Vec3 entry, Vec3 direction, const std::vector<std::pair<double, double>>& steps,
                 double tipDeg) {
    HoleSpec h = holeAt(std::move(name), entry, direction);
    for (const auto& [d, length] : steps) {
        if (length == 0)
            h.throughCylinder(d);
        else
            h.cylinder(d, length);
    }
    if (tipDeg > 0 && !h.through) h.tip(tipDeg);
    return h;
}

HoleSpec necked(std::string name, Vec3 entry, Vec3 direction, double d, double grooveD, double grooveTop,
                double grooveWidth, double depth) {
    HoleSpec h = holeAt(std::move(name), entry, direction).cylinder(d, grooveTop).cylinder(grooveD, grooveWidth);
    return finish(h, d, grooveTop + grooveWidth, depth);
}

}  // namespace host::builder
