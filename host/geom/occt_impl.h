// The kernel side of FaceGeom and SolidGeom, for host/geom, host/builder and the STEP code only: it pulls in
// OpenCASCADE headers, which nothing outside host/ may include. A FaceGeom holds a face in the orientation
// it has in its solid, so its normal points out of the material.
#pragma once
#include <BRepTopAdaptor_FClass2d.hxx>
#include <Geom_Surface.hxx>
#include <IntCurvesFace_Intersector.hxx>
#include <TopoDS_Face.hxx>
#include <TopoDS_Shape.hxx>
#include <gp_Ax3.hxx>
#include <gp_Dir.hxx>
#include <gp_Pnt.hxx>

#include <atomic>
#include <memory>
#include <optional>
#include <mutex>

#include "host/geom/face_geom.h"
#include "host/geom/face_projector.h"

namespace host {

// Length tolerance of the kernel's classifications and intersections, in part units.
constexpr double kGeomTol = 1e-6;

struct FaceGeom::Impl {
    TopoDS_Face face;
    Handle(Geom_Surface) surface;   // located: evaluates in world coordinates
    SurfaceKind kind = SurfaceKind::Other;
    UvBox range;
    Box3 box;
    double trimTolerance = 0;
    // The axes (and radius, and a cone's half-angle's sine and cosine) of a surface of the kernel's own
    // plane, cylinder or cone class, which the host evaluates with the kernel's own arithmetic rather than
    // through its calls: recognition evaluates such faces hundreds of times each. None for every other
    // surface.
    std::optional<gp_Ax3> axes;
    double radius = 0;
    double halfAngleSine = 0, halfAngleCosine = 1;

    // The kernel's classifier and line intersector carry state of their own; they are built on first use
    // and guarded so that a shared face stays usable from any thread.
    mutable std::mutex lock;
    mutable std::unique_ptr<BRepTopAdaptor_FClass2d> classifier;
    mutable std::unique_ptr<IntCurvesFace_Intersector> intersector;
    // The face's projector, built on the first projection (null when the kernel could not read it).
    mutable std::unique_ptr<FaceProjector> projector;
    mutable bool projectorTried = false;
    // isPlanar's answer, worked out on first asking: the kernel's planarity test builds a plane each time.
    struct Planarity {
        bool planar = false;
        Vec3 normal{}, point{};
    };
    mutable std::optional<Planarity> planarity;
};

struct SolidGeom::Impl {
    TopoDS_Shape shape;
    std::vector<FaceGeom> faces;
    std::vector<int> colours;
    bool everyFace = false;   // faces holds every face of the shape
    // Known once the shape's text is (SolidGeom::fileText); kept by whichever thread saves.
    mutable std::atomic<std::shared_ptr<const std::string>> fileText;
};

// Empty when the shape is null or not a face. `box`, when given, is the face's box as boxOf gives it,
// worked out already (by the STEP reader process on the same face).
FaceGeom makeFaceGeom(const TopoDS_Shape& face, const Box3* box = nullptr);
// Every face of the shape, in TopExp::MapShapes order; empty when the shape is null or has no face.
// `faceBoxes`, when it holds one box for each face in that order, gives the faces their boxes.
SolidGeom makeSolidGeom(const TopoDS_Shape& shape, std::vector<int> colours = {},
                        const std::vector<Box3>* faceBoxes = nullptr);

const TopoDS_Face& occtFace(const FaceGeom& face);
const TopoDS_Shape& occtShape(const SolidGeom& solid);

inline gp_Pnt toPnt(const Vec3& p) { return gp_Pnt(p[0], p[1], p[2]); }
inline Vec3 toVec3(const gp_Pnt& p) { return {p.X(), p.Y(), p.Z()}; }
inline Vec3 toVec3(const gp_Dir& d) { return {d.X(), d.Y(), d.Z()}; }

}  // namespace host
