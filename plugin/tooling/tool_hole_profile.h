// How far a tool goes down a hole before its silhouette touches the wall. Both outlines lie in the half
// plane of the hole's axis: x the distance from the axis, z along it; the hole's top at the z of its first
// point, the hole going towards negative z, the tool pointing down with its tip at z 0 before it is moved by
// an axial position p. Angles in radians. t is the contact tolerance, 0.04 T.
#pragma once
#include <cstdint>

#include "plugin/services/tooling.h"
#include "plugin/tooling/planar_intersect.h"

struct CYL_LIST;

class ToolHoleSection final : public CToolHoleProfile {
public:
    std::int16_t toolCount = 0;
    std::int16_t holeCount = 0;
    double toolLength = 0;
    double lastDiameter = 0, lastZ = 0;   // end of the hole segment added last, as a diameter
    PROFILE_SEGMENT tool[kMaxSegments];
    PROFILE_SEGMENT hole[kMaxSegments];

    // Hole outline, from the top face down. Each returns 0, or 1 without change when it is full.
    int clearHole() override;
    int addHoleLine(double d1, double z1, double d2, double z2) override;
    int addHoleFlat(double d1, double d2, double z) override;
    int addHoleArc(double cx, double cz, double radius, double start, double sweep) override;
    int addHoleCylinder(double d, double z1, double z2);
    int addHoleToricArc(const CYL_LIST& segment);
    int holeSegmentCount() const override { return holeCount; }
    const PROFILE_SEGMENT& holeSegment(int index) const override { return hole[index]; }

    // Replaces the tool outline; its length comes from the hole's depth. 0, or 1 with no tool outline when
    // the hole has no outline yet.
    int buildTool(std::int16_t toolType, double diameter, double halfAngle, double cornerRadius, double tipDiameter,
                  double taperHeight) override;

    [[nodiscard]] int touchesHole(double position) const;
    // A free position at or above `start`.
    double findFreePosition(double start) const override;
    // The deepest free position at the hole's end; with `stopAtEnd` the end itself when the tool is free there.
    double findLastFreePosition(std::uint8_t stopAtEnd) const override;
    // A touching position near `start`.
    double findContactPosition(double start) const;
    // 1 and the first contact of the line with the hole outline, walking it from the top (or from the end
    // when `backwards`); 0 when the line meets none.
    int intersectHole(double x1, double z1, double x2, double z2, double point[2],
                      std::int16_t backwards) const override;
    // 1 when a tool segment taken as a line (an arc as its chord), moved by p, crosses a hole segment taken
    // as a line, both within their ends.
    [[nodiscard]] int linesTouchHole(double position) const;

    // What a search is after.
    enum class Want { Free, Touch };
    double stepSearch(Want wanted, double start, double step) const;
    [[nodiscard]] int isAboveHole(double position) const;
    [[nodiscard]] int isBelowHole(double position) const;

private:
    int addHole(const PROFILE_SEGMENT& segment, double endDiameter, double endZ, bool keepLast);
    double holeTopZ() const;
    double holeEndZ() const;
    double refineUpwards(double touching) const;
};
