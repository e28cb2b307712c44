// The box of a shape as the host keeps it for faces and solids, on the kernel (host/ only). The kernel's
// tightest box searches a torus, a sphere or a spline numerically and takes milliseconds a face; a torus or
// sphere face is boxed in closed form instead, a plane, cylinder or cone face by its edges, and a spline by
// cutting its Bezier pieces.
#pragma once
#include <optional>

#include "host/geom/face_geom.h"

class TopoDS_Face;
class TopoDS_Shape;

namespace host {

// The tightest box of the shape; empty when the kernel finds nothing to box. May throw the kernel's
// failures, as the kernel's own box does.
Box3 boxOf(const TopoDS_Shape& shape);

// The kernel's own tightest box, for the tests that hold the closed form to it.
Box3 boxByKernel(const TopoDS_Shape& shape);

// A torus as the kernel parametrises it: P(u, v) = centre + (major + minor cos v)(cos u x + sin u y)
// + minor sin v axis.
struct TorusFrame {
    Vec3 centre, x, y, axis;
    double major = 0, minor = 0;
};

// The box of the torus's points over the rectangle of (u, v), a rectangle no more than two turns wide:
// exact, as a ring torus (major above minor) has no other places for a coordinate's extremes.
Box3 torusPatchBox(const TorusFrame& torus, const UvBox& rect);

// The least and greatest of a linear function over a face's points.
struct Extent {
    double least = 0, most = 0;
};

// The extent of direction . p over the face's points p, from the face itself rather than its box, which a
// direction across the world's axes inflates. A plane, cylinder, cone or extrusion is ruled: a height
// stationary inside the face stays so along the ruling out to an edge, so the edges hold the extremes
// (lines and arcs of circles and ellipses in closed form, B-spline and Bezier edges by their poles, any
// other by the corners of its box). A sphere or torus takes the surface over the face's parameter box
// `range`, as torusPatchBox does; a B-spline or Bezier surface the hull of its poles. Nullopt for any
// other surface. May throw the kernel's failures.
std::optional<Extent> extentAlong(const TopoDS_Face& face, const UvBox& range, const Vec3& direction);

}  // namespace host
