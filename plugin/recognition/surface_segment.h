// One host surface to one coaxial segment (CYL_LIST), and the small geometry that decides it: the surface
// is sampled only through eval_surf (and, for a trimmed surface, its trimming points), never by its kind.
// Notation: a frame or view matrix has rows X, Y, Z in world coordinates; a world point p goes into it as
// transpose(M) p and back as M p (mul_mat_vector). T = g_tolerances.tolT; S = the roundness tolerance
// (settings ProcessMach 52); angles in radians. "c" is the parameter around the axis, "a" the one along it.
#pragma once
#include <bit>
#include <cstdint>
#include <vector>

#include "host/api.h"

struct CYL_LIST;

// ---- surface to segment ----------------------------------------------------------------------------------
// The frames a segment is measured and filed in, by the host view of its axis (find_view_k): its matrix
// M, and the view it is filed under (viewNumberOfMatrix of M) with that view's matrix M2.
struct AXIS_FRAMES {
    int view = 0;
    bool known = false;            // the host gave M
    double m[3][3] = {};
    int filedView = 0;
    std::int16_t key = 0;
    bool filedKnown = false;       // filedView is a view the host gave M2 for
    double m2[3][3] = {};
};

// The frames of the views a run of surfaceToSegment meets: the segments of one direction all ask for the
// same. A view's matrix stays what it is while the part is open, and the views a segment may be filed
// under are only added to: the frames are asked again when that list grows or the tolerance differs.
// For one run over the part's surfaces.
class CAxisFramesKept {
public:
    // Valid until the next call.
    const AXIS_FRAMES& of(int view, double angleTolerance);

private:
    std::vector<AXIS_FRAMES> kept_;
    std::size_t namedViews_ = 0;
    double tolerance_ = 0;
};

// Fills the zero-filled `segment` from the surface entity `entity`: 1 filled; 0 no hole surface (ignore
// the segment; so is a face of a solid with its material inside it, a boss or a post); -1 after the
// message "ErrorMessages" 140 when the host has no view for the axis (the caller ends its whole run). Heights, radii, start angle and sweep are all measured in the frame the
// segment carries (`matrix`, host view `viewNumber`); an axis along -Z is filed in view 1.
[[nodiscard]] int surfaceToSegment(CYL_LIST* segment, db_ptr entity);
// The same for the entity's record at hand, taking the frames from `frames` when given.
[[nodiscard]] int surfaceToSegment(CYL_LIST* segment, const ent& surface, CAxisFramesKept* frames = nullptr);

// A face of a solid with its material inside it (a boss, a post, a pin, a screw's shank): its axis from the
// lower to the higher end along the axis's sense (world), and its wider end's radius. False for any other
// surface: no surface of revolution, a free surface, or a face with its material outside (a hole's wall).
struct BOSS_AXIS {
    double from[3], to[3];
    double radius;
};
[[nodiscard]] bool bossAxis(const ent& face, BOSS_AXIS& boss);

// Kinds of classifySurface.
constexpr int kSurfUnusable = 0;
constexpr int kSurfApexCone = 1;     // straight generator ending in an apex
constexpr int kSurfStraight = 2;     // straight generator: cylinder or cone without apex
constexpr int kSurfPlanar = 3;
constexpr int kSurfToric = 4;        // curved generator

// What kind of surface of revolution `surface` is, from a 3 x 3 grid of its points. `axialIndex` 0 when u
// runs along the generator, 1 when v does; `apexEnd` (0 start, 1 end) is set for kSurfApexCone only.
// Either output may be null.
int classifySurface(const ent* surface, int* axialIndex, int* apexEnd, double surfaceTolerance);

// Kinds of the edge a-b-c (b its middle point).
constexpr int kEdgeDegenerate = 0;
constexpr int kEdgeStraight = 1;
constexpr int kEdgeCurved = 2;
int distPointLine(const double a[3], const double b[3], const double c[3]);

// True when the triangles p and q (three points each) are congruent within `tolerance`, side by side;
// false when a first or second side of either is shorter than the tolerance.
bool fitCircleOrLine(const double p[3][3], const double q[3][3], double tolerance);

// The circle through three points in space: centre, radius and the unit normal of its plane (the sense of
// (p1 - p0) x (p2 - p0)). False, outputs untouched, when the points lie on one line (no plane, no circle).
[[nodiscard]] bool axisFromSurfPoints(const double p0[3], const double p1[3], const double p2[3], double centre[3],
                                      double* radius, double normal[3]);

// The circle through three points of a plane (x and y used; the centre takes a's z). Two points closer
// than 0.04T count as one. False, outputs untouched, when three separate points lie on one line.
[[nodiscard]] bool circleThrough3Pts(const double a[3], const double b[3], const double c[3], double centre[3],
                                     double* radius);

// A surface sampled along (a) and around (c) its axis: `axialIndex` 0 when a is u. The points on the
// generator at c = `cFirst` are evaluated once however often they are asked for: surfaceToSegment asks for
// an end's first point again for the end's roundness, its heights and its sweep.
class CSurfSampler {
public:
    CSurfSampler(const ent* surface, int axialIndex, double cFirst)
        : surface_(surface), axialIndex_(axialIndex), cFirst_(cFirst) {}
    // The point at (a, c) in world coordinates: true when evaluated, else `out` as eval_surf left it. Inline:
    // most points are asked for once, and the call would cost more than the look.
    bool at(double a, double c, double out[3]) {
        // The very same parameters are asked again, so their bits decide.
        if (std::bit_cast<std::uint64_t>(c) != std::bit_cast<std::uint64_t>(cFirst_)) return evaluate(a, c, out);
        return known(a, out);
    }

private:
    struct KNOWN {
        double a;
        double point[3];
        bool ok;
    };
    bool evaluate(double a, double c, double out[3]) const;
    bool known(double a, double out[3]);
    const ent* surface_;
    int axialIndex_;
    double cFirst_;
    KNOWN known_[8];
    int count_ = 0;
};

// The start angle (in [0, 2 pi)) and the signed sweep about the axis of the surface's end circle at
// axial parameter `axialParam`, c running from `cStart` to `cEnd`; `circIndex` 0 when c is u, 1 when v.
// Angles are taken in the XY plane of `frame` about `axisPointInFrame` (frame coordinates).
void sweepAtEnd(const ent* surface, const double axisPointInFrame[3], double axialParam, double cStart,
                double cEnd, int circIndex, const double frame[3][3], double* startAngle, double* sweep);
// The same on the points of a sampler.
void sweepAtEnd(CSurfSampler& surface, const double axisPointInFrame[3], double axialParam, double cStart,
                double cEnd, const double frame[3][3], double* startAngle, double* sweep);

// The point given in frame A expressed in frame B: transpose(B) (A point).
void transformZBetweenFrames(const double point[3], const double frameA[3][3], const double frameB[3][3],
                             double out[3]);

// The host view whose axis matches the matrix's Z row within `angleTolerance`: named views from the
// seventh on, same or opposite sense (key = the low 16 bits of the view's id); else the standard axes in
// the same sense, +Z and -Z both giving view 1 (key 0); else 0 (key 0). `key` may be null.
int viewNumberOfMatrix(const double matrix[3][3], double angleTolerance, std::int16_t* key = nullptr);

// Projects the world point `point` onto the surface (inside its trims) along host view `view`'s Z axis,
// as starts from a 4 x 4 grid of its parameter ranges would, the first start that succeeds giving the hit.
// 1 with the projected point (world) and, when asked, its parameters; 0 when the line misses the face.
int projectGridOntoSurf(const ent* surface, int view, const double point[3], double out[3], double* u = nullptr,
                        double* v = nullptr);

// A host view's Z axis, read once by a stage that projects many points along it; `known` is false when the
// host has no such view (every projection along it then misses).
struct VIEW_AXIS {
    bool known = false;
    double z[3] = {0, 0, 0};
};
VIEW_AXIS viewAxis(int view);
// projectGridOntoSurf along an axis read before.
int projectGridOntoSurf(const ent* surface, const VIEW_AXIS& axis, const double point[3], double out[3],
                        double* u = nullptr, double* v = nullptr);
