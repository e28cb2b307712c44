// Planar lines and arcs meeting within a tolerance: what the tool-versus-hole profile needs of a host's
// intersection routines. Coordinates are (x, z); arc angles in radians from +x towards +z, a positive sweep
// counter-clockwise.
#pragma once
#include <cstdint>
#include "plugin/services/tooling.h"

PROFILE_SEGMENT profileLine(double x1, double z1, double x2, double z2);
PROFILE_SEGMENT profileArc(double cx, double cz, double radius, double start, double sweep);


// The points where the two segments meet, segments closer than `tolerance` counting as meeting at their
// closest approach. Returns their number (0 when they do not meet); `first` receives the one nearest to
// `reference`.
int intersectSegments(const PROFILE_SEGMENT& a, const PROFILE_SEGMENT& b, const double reference[2],
                      double tolerance, double first[2]);

// The crossing of the unbounded lines through p1, p2 and q1, q2; false for parallel or degenerate lines.
[[nodiscard]] bool intersectUnboundedLines(const double p1[2], const double p2[2], const double q1[2],
                                           const double q2[2], double point[2]);
