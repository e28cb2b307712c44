// Faces and solids of the host's geometry kernel, held behind a shared immutable handle so that entity
// records copy them cheaply and no kernel header leaks out of host/geom. World units are the part's
// (mm or inch); (u, v) are the surface's own parameters, angles in radians. A face keeps its surface and
// its trims: evaluation ignores the trims, classification and projection respect them.
#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace host {

using Vec3 = std::array<double, 3>;

struct UV {
    double u = 0, v = 0;
};

struct UvBox {
    double uMin = 0, uMax = 0, vMin = 0, vMax = 0;
};

struct Box3 {
    Vec3 min{}, max{};
};

struct Sphere3 {
    Vec3 centre{};
    double radius = 0;
};

// The kernel's kind of the face's underlying surface (after unwrapping trimmed and offset surfaces).
enum class SurfaceKind { Plane, Cylinder, Cone, Sphere, Torus, Revolution, Extrusion, BSpline, Bezier, Other };
const char* surfaceKindName(SurfaceKind kind);

// One closed trimming loop in (u, v): a polyline whose last point repeats its first. Curved edges are
// sampled finely enough that the polyline stays within the sampling tolerance of the edge.
struct TrimLoop {
    bool outer = false;
    std::vector<UV> points;
};

// A hit of a line on a face, inside its trims.
struct FaceHit {
    Vec3 point{};
    UV uv;
    double lineParam = 0;   // signed distance from the line's origin along its (unit) direction
};

class FaceGeom {
public:
    struct Impl;

    FaceGeom() = default;
    explicit FaceGeom(std::shared_ptr<const Impl> impl) : impl_(std::move(impl)) {}

    bool empty() const { return !impl_; }
    SurfaceKind kind() const;

    // The face's parameter box: the bounds of its trims.
    UvBox uvRange() const;
    // The surface's period in u and in v (2 pi for the angle of a cylinder), 0 when it has none.
    double uPeriod() const;
    double vPeriod() const;
    // Evaluation on the underlying surface; points outside the trims are evaluated all the same.
    Vec3 eval(double u, double v) const;
    // The kernel's own evaluation, which eval must give to the bit.
    Vec3 evalByKernel(double u, double v) const;
    // Point and first derivatives; false where the surface cannot give them (a degenerate point).
    bool evalDerivatives(double u, double v, Vec3& point, Vec3& du, Vec3& dv) const;
    // The unit normal at (u, v) in the face's own sense: d/du x d/dv, reversed for a face reversed in its
    // shape, so that a face of a solid has it pointing out of the material. False where it is undefined.
    bool normalAt(double u, double v, Vec3& normal) const;
    // Outer loop first, then the inner loops in the kernel's order, each of three points or more. Empty for
    // a face without wires. The loops end with the one whose points take their count past `maxPoints`.
    std::vector<TrimLoop> trimLoops(std::size_t maxPoints = SIZE_MAX) const;
    // Every loop with each curved edge sampled and each wire walked by the kernel itself, to check trimLoops
    // against.
    std::vector<TrimLoop> trimLoopsByKernel() const;
    // The largest tolerance of the trim edges and their vertices (0 without trims).
    double trimTolerance() const;
    // Whether (u, v) lies inside the trims or on them (within the kernel's tolerance).
    bool containsUv(UV uv) const;

    // A planar face: true with the unit normal (pointing out of the material for a face of a solid)
    // and a point of the plane (the evaluation at the middle of the parameter box).
    bool isPlanar(Vec3* normal = nullptr, Vec3* point = nullptr) const;

    // Every point where the unbounded line through `origin` along `direction` meets the face inside its
    // trims, ordered by line parameter.
    // Most hits are decided without the kernel's intersector (host/geom/face_projector.h).
    std::vector<FaceHit> intersectLine(const Vec3& origin, const Vec3& direction) const;
    // The same into `hits`, whose room is kept from one line to the next.
    void intersectLine(const Vec3& origin, const Vec3& direction, std::vector<FaceHit>& hits) const;
    // The same from the kernel's intersector on the whole face: what intersectLine must agree with.
    std::vector<FaceHit> intersectLineByKernel(const Vec3& origin, const Vec3& direction) const;
    // Whether intersectLine left its last line to the kernel, for tests.
    bool lastLineAskedKernel() const;

    // The least and greatest of direction . p over the face's points p: true where the host works them out
    // from the face itself (host/geom/face_box.h, extentAlong), a bound as tight as the face's box is
    // along a world axis; false for a face it has no closed form for.
    bool extentAlong(const Vec3& direction, double& least, double& most) const;

    Box3 boundingBox() const;
    // The kernel's own search for the same box, to check boundingBox against.
    Box3 boundingBoxByKernel() const;
    // The sphere around the bounding box: the box's centre, half its diagonal.
    Sphere3 boundingSphere() const;
    double area() const;

    // The same surface over the whole parameter box, without the trims: the base surface a trimmed
    // surface entity points to.
    FaceGeom untrimmed() const;
    // The face converted to a NURBS surface with the same trims.
    FaceGeom toNurbs() const;

    // Surface of revolution of the segment a-b about the axis (point, direction), from `startAngle` over
    // `sweep`; empty when the segment lies on the axis or the axis has no direction.
    static FaceGeom revolvedSegment(const Vec3& a, const Vec3& b, const Vec3& axisPoint, const Vec3& axisDir,
                                    double startAngle, double sweep);
    // Bilinear patch: u runs from p00 to p01, v from p00 to p10; empty when the corners coincide.
    static FaceGeom patchFrom4Points(const Vec3& p00, const Vec3& p01, const Vec3& p10, const Vec3& p11);

    const std::shared_ptr<const Impl>& impl() const { return impl_; }

private:
    // The kernel intersector's hits inside the trims, unsorted; the caller holds the face's lock.
    std::vector<FaceHit> kernelHits(const Vec3& origin, const Vec3& direction) const;

    std::shared_ptr<const Impl> impl_;
};

// Face colours of a solid are host colour numbers; kNoColour marks a face the source left uncoloured.
constexpr int kNoColour = -1;

class SolidGeom {
public:
    struct Impl;

    SolidGeom() = default;
    explicit SolidGeom(std::shared_ptr<const Impl> impl) : impl_(std::move(impl)) {}

    bool empty() const { return !impl_; }
    // The faces in the kernel's explorer order, which is stable for one shape (and after a BRep text
    // round trip).
    const std::vector<FaceGeom>& faces() const;
    // One entry per face, kNoColour for an uncoloured face.
    const std::vector<int>& faceColours() const;
    SolidGeom withFaceColours(std::vector<int> colours) const;

    // The least and greatest of direction . p over the face's points p: true where the host works them out
    // from the face itself (host/geom/face_box.h, extentAlong), a bound as tight as the face's box is
    // along a world axis; false for a face it has no closed form for.
    bool extentAlong(const Vec3& direction, double& least, double& most) const;

    Box3 boundingBox() const;
    double volume() const;
    // The kernel's validity check.
    bool isValid() const;

    // The shape's BRep text as a part file keeps it (host/db/geometry_seal.h's packSealedGeometry), once it
    // is known: read with the shape from a part file or a STEP file's reader, or made by a save. Saving
    // writes it again instead of making the text anew. Null until then; the face colours are not in it.
    std::shared_ptr<const std::string> fileText() const;
    void keepFileText(std::shared_ptr<const std::string> text) const;

    const std::shared_ptr<const Impl>& impl() const { return impl_; }

private:
    std::shared_ptr<const Impl> impl_;
};

}  // namespace host
