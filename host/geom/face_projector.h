// Line intersections with one face, with what they need built once per face: the surface (a plane, cylinder,
// cone, sphere or torus), the largest tolerance of its edges and vertices, its trims in (u, v) as exact segments
// and arcs (a first-degree B-spline as its segments), other trims as polylines with a bound of their distance
// to the edge, and the boxes of its wires, read on the first line that meets the face's box grown by its
// tolerances (a line that misses it misses the face); a polyline is read only when a point or ray first comes
// into the boxes of its curve's spans. The points on the surface are the kernel's own analytic ones (IntAna, as
// its intersector takes them); a hit inside a round hole, or farther than a few tolerances from every trim, is
// decided here. Any other line, and every line on a surface without an exact form that meets the box of one of
// its patches (B-spline and Bezier faces are boxed patch by patch), is left to the kernel's intersector: for a
// plane on the face cut down to its outer wire and the inner wires whose boxes hold the hit, which classifies
// it as the kernel does on the whole face; for a curved face on the whole face. Kernel side: host/geom only.
#pragma once
#include <GeomAdaptor_Surface.hxx>
#include <Geom2d_BSplineCurve.hxx>
#include <Geom2d_Curve.hxx>
#include <Geom_BSplineSurface.hxx>
#include <Geom_Surface.hxx>
#include <IntCurvesFace_Intersector.hxx>
#include <TopoDS_Face.hxx>
#include <TopoDS_Wire.hxx>
#include <gp_Lin.hxx>
#include <gp_Cone.hxx>
#include <gp_Cylinder.hxx>
#include <gp_Pln.hxx>
#include <gp_Sphere.hxx>
#include <gp_Torus.hxx>
// After the surfaces, which the kernel's quadric header uses without including them.
#include <IntAna_IntConicQuad.hxx>
#include <IntAna_IntLinTorus.hxx>
#include <IntAna_Quadric.hxx>
#include <gp_Trsf.hxx>

#include <array>
#include <cstdint>
#include <list>
#include <memory>
#include <utility>
#include <variant>
#include <vector>

#include "host/geom/face_geom.h"

namespace host {

// The reach of a line through a face's box: the hits that count lie within it of the line's origin. It is
// the origin's distance from the box's middle plus boxDiagonal(box) + 1, never less than the latter.
double lineReach(const Box3& box, const Vec3& origin);
double boxDiagonal(const Box3& box);

class FaceProjector {
public:
    // A face of the kind its FaceGeom knows, on its surface as placed in the world; `box` is the face's,
    // `range` its parameter box (BRepTools::UVBounds). The face, surface, box and range are the FaceGeom's,
    // which outlive the projector it keeps. The constructor and intersect throw the kernel's
    // Standard_Failure on a face it cannot read (intersect on the first line that meets the box, which
    // reads the rest).
    FaceProjector(const TopoDS_Face& face, const Handle(Geom_Surface)& surface, SurfaceKind kind, const Box3& box,
                  const UvBox& range);

    // The hits of the line within lineReach(box, origin) of its origin, as FaceGeom::intersectLine gives
    // them before sorting, added to `hits`. Not thread-safe: the caller serialises.
    void intersect(const gp_Lin& line, std::vector<FaceHit>& hits);

    // How the last hit test was decided, for tests: true when the kernel was asked.
    bool lastAskedKernel() const { return lastAskedKernel_; }

    // The kernel's unit direction of `direction` (not null), kept for the next line: the lines tried on a
    // face mostly run along one view's axis. Throws as gp_Dir does. Not thread-safe, as intersect.
    const gp_Dir& unitDirection(const Vec3& direction);

private:
    // A trim edge in (u, v): a segment from a to b, or an arc p(t) = c + r (cos t x + sin t y) for t in
    // [t0, t1] from a to b.
    struct PIECE {
        bool arc = false;
        bool fullTurn = false;    // an arc whose range holds every angle
        int later = -1;           // a trim (its index in trims_) whose polyline is not read yet, boxed in its place
        double slack = 0;         // a polyline's segment: the bound of its distance to the edge
        double a[2], b[2];
        double c[2], x[2], y[2], r = 0, t0 = 0, t1 = 0;
        double middle[2] = {1, 0}, halfCosine = 1;   // the range's middle direction, the cosine of half its span

        // Whether the arc's range holds the angle atan2(across, along) of a point in its axes.
        bool holdsAngle(double across, double along) const;
    };
    // A run of a wire's pieces, pieces_[first, end), with a box that holds them grown by the margin and
    // their slack: a point or ray that keeps clear of the box keeps clear of them.
    struct CHUNK {
        UvBox box;
        std::uint32_t first = 0, end = 0;
    };
    // A trim's curve in (u, v) over its edge's range.
    struct TRIM {
        Handle(Geom2d_Curve) curve;
        double first = 0, last = 0;
        // A polyline's: the boxes of its curve's spans grown by twice the margin, and their box; they hold
        // the curve and the polyline.
        std::vector<UvBox> spans;
        UvBox box;
    };
    // A face's wires keep their pieces, the pieces' boxes and their runs in three tables of the face, a
    // stretch of each: a face of thousands of holes holds no tables per wire.
    struct WIRE {
        TopoDS_Wire wire;
        bool exact = true;        // every edge a segment, an arc or a polyline of it
        bool kept = false;        // always in a reduced face: its tolerances are the face's largest
        UvBox box;                // grown by the margin
        std::uint32_t pieceFrom = 0, pieceEnd = 0;   // its pieces in pieces_, their boxes in boxes_
        std::uint32_t chunkFrom = 0, chunkEnd = 0;   // its runs in chunks_
    };
    // On: on a segment or arc of the trims, well within the band about it that the kernel takes as on the
    // face.
    enum class Side { In, Out, Near, On };

    Side side(double u, double v, std::vector<int>& holders);
    Side sideOfWires(double u, double v, const std::vector<int>& wires);
    // The crossings of the wire by the ray from (u, v) along (du, dv); -1 when the ray passes through a
    // trim vertex or touches an arc, where counting is not sure.
    bool onPiece(const PIECE& piece, const double p[2]) const;
    int crossings(WIRE& w, double u, double v, double du, double dv);
    template <bool kAlongU>
    int countCrossings(WIRE& w, double u, double v, double du, double dv);
    void askKernel(const gp_Lin& line, double reach, std::vector<int>& wires, std::vector<FaceHit>& hits);
    void askKernelAnew(const gp_Lin& line, double reach, std::vector<int>& wires, std::vector<FaceHit>& hits);
    void askKernelWhole(const gp_Lin& line, double reach, std::vector<FaceHit>& hits);
    // Reads the wires and their tolerances; the largest tolerance of the face, its edges and vertices.
    double readTolerances();
    void readWires(double margin);
    // The wire's pieces at the end of pieces_, from its trims; the trims of polylines not read yet go to
    // trims_.
    void readPieces(WIRE& w, std::vector<TRIM>& trims);
    // The boxes of the wire's pieces at the end of boxes_, and its runs at the end of chunks_.
    void chunkPieces(WIRE& w);
    void chunkBoxes(WIRE& w);
    // No point within the margin and slack of the piece lies outside its box.
    UvBox pieceBox(const PIECE& p) const;
    // Puts the polyline of the trim that waits at piece k in its place: the wire's pieces, boxes and runs
    // move to the ends of their tables.
    void readPolyline(WIRE& w, std::size_t k);
    // The first piece within the margin (and its slack) of p, reading the polylines whose boxes hold p; -1
    // when none.
    std::ptrdiff_t nearPiece(WIRE& w, const double p[2]);
    void boxTrim(TRIM& t) const;
    // A trim that is neither a segment nor an arc, as a polyline through points of it (its pieces' slack).
    static void addPolyline(std::vector<PIECE>& pieces, const Handle(Geom2d_Curve)& curve, double first,
                            double last, double target);
    // A B-spline trim neither rational nor periodic as chords whose slack bounds their distance to it; false
    // for any other, which addPolyline takes.
    static bool addBezierChords(std::vector<PIECE>& pieces, const Handle(Geom2d_BSplineCurve)& spline, double first,
                                double last, double target);
    void intersectPlane(const gp_Lin& line, std::vector<FaceHit>& hits);
    void intersectCurved(const gp_Lin& line, std::vector<FaceHit>& hits);
    // The (u, v) of a surface point as the kernel's intersector takes it into the face's parameter box;
    // Side::Near when it lies within a hair of the box, where the kernel's own test decides.
    Side inBounds(double& u, double& v) const;
    bool meetsBox(const gp_Lin& line) const;
    // Whether the line meets the box of a span of a B-spline or Bezier face within the face's range; true
    // for any other face.
    bool meetsSpans(const gp_Lin& line);
    // A B-spline or Bezier face's surface, as a B-spline not periodic, and the boxes of its spans.
    void readSpline(const GeomAdaptor_Surface& surface);
    // A span of a B-spline face over its range: the box of the poles that weigh on it, and once a line has
    // met that, the boxes of the patches it is cut into.
    struct SPAN {
        Box3 box;
        int u0, v0;   // its first poles (from 1)
        bool cut = false;
        std::vector<Box3> patches;
    };
    // What a B-spline or Bezier face keeps: its surface, not periodic, its spans' boxes grown as the face's
    // box, and the face's range a little wider, within the surface.
    struct SPLINE {
        Handle(Geom_BSplineSurface) surface;
        std::vector<SPAN> spans;
        double uRange[2] = {0, 0}, vRange[2] = {0, 0};
        bool uPeriodic = false, vPeriodic = false;
    };
    void boxSpans();
    void cutSpan(SPAN& span) const;
    // What a face's box is grown by in space: no hit lies farther outside it.
    double boxGrowth() const;
    // The box grown by the face's largest tolerance; the rest is read on the first line that meets it.
    void boxFace(double tolerance);
    void prepare();

    const TopoDS_Face& face_;
    const Handle(Geom_Surface)& surfaceOfFace_;   // placed in the world
    const UvBox& bounds_;           // the face's parameter box, as the kernel's restricted surface has it
    const Box3& box_;
    SurfaceKind kind_;
    // The surface of the kind, once prepared (a plane's at once).
    std::variant<gp_Pln, gp_Cylinder, gp_Cone, gp_Sphere, gp_Torus> surface_;
    // Of the cylinder, cone or sphere, as the kernel makes it for each line; none on other faces.
    std::unique_ptr<IntAna_Quadric> quadric_;
    bool exactHits_ = false;        // the surface's points come from IntAna
    bool prepared_ = false;         // the surface and the trims read
    bool uPeriodic_ = false, vPeriodic_ = false;
    bool tight_ = false;            // every tolerance of the face within the kernel's least
    bool boxed_ = false;            // the box holds the face: a line that misses grownBox_ misses it
    bool kernelOnly_ = false;       // no usable outer wire: the whole face goes to the kernel
    bool lastAskedKernel_ = false;
    double tolerance_ = 0;          // the face's largest
    double uPeriod_ = 0, vPeriod_ = 0;
    Box3 grownBox_;                 // the box grown by the margin in space: no hit lies outside it
    std::unique_ptr<SPLINE> spline_;   // a B-spline or Bezier face's
    double nearReach_;              // never more than lineReach(box_, any origin)
    gp_Trsf toPlane_;               // world to the plane's or cylinder's axes, as the kernel's parameters take it
    double margin_ = 0;
    int outer_ = -1;
    std::vector<WIRE> wires_;
    std::vector<PIECE> pieces_;     // the wires' pieces, a stretch of each wire's
    std::vector<UvBox> boxes_;      // each piece's box, as its run's box takes it in
    std::vector<CHUNK> chunks_;
    std::vector<TRIM> trims_;       // the trims whose polylines are not read yet
    // Inner wires by the cells of a grid over the outer box that their boxes cover, cell after cell in one
    // table with each wire's box beside it: a hit test reads one stretch of memory. An inner wire that is
    // one whole circle bounds a round hole: a point clearly inside it (closer to its centre than
    // `clearSquared` allows, the margin and a slack for rounding kept) is off the face whatever the other
    // wires; most points tried on a face of holes are in a hole.
    struct CELL_WIRE {
        UvBox box;
        int wire;
        double centre[2] = {0, 0};
        double clearSquared = -1;   // none when negative
    };
    UvBox outerBox_{};
    double perCellU_ = 1, perCellV_ = 1;   // cells per unit of u and v
    int cellsU_ = 1, cellsV_ = 1;
    std::vector<std::size_t> cellStart_;   // cell c's wires are cellWires_[cellStart_[c] .. cellStart_[c + 1])
    std::vector<CELL_WIRE> cellWires_;
    // What asking the kernel keeps, made when it is first asked, as most faces never ask it: the wires
    // always in a reduced face, the reduced faces' intersectors, most recent first (a few suffice, as
    // queries come by hole), and the kernel's answers to the last lines it was asked, by the line's origin
    // and direction to the bit.
    struct ASKED {
        std::array<double, 6> line{};
        std::vector<FaceHit> hits;
    };
    struct KERNEL {
        std::vector<int> keptWires;
        std::list<std::pair<std::vector<int>, std::unique_ptr<IntCurvesFace_Intersector>>> reduced;
        std::array<ASKED, 8> asked;
        std::size_t askedCount = 0, askedNext = 0;
    };
    std::unique_ptr<KERNEL> kernel_;
    // The direction unitDirection was last asked for, bit for bit, and its unit direction; at first +X,
    // the kernel's default direction, which is its own.
    Vec3 direction_{1, 0, 0};
    gp_Dir unit_;
    std::vector<int> holders_;      // the wires a hit test looks at, kept between tests
};

}  // namespace host
