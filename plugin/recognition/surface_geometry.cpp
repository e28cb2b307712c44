// The geometric helpers of surface-to-segment: edge kinds, congruent triangles, circles through three
// points, end sweeps, frame changes, the host view of an axis and the grid projection.
// Frames: rows X, Y, Z in world coordinates; world into a frame by transpose(M) p (surface_segment.h).
#include <algorithm>
#include <cmath>
#include <iterator>
#include <numbers>

#include "plugin/base/globals.h"
#include "plugin/base/directions.h"
#include "plugin/recognition/surface_segment.h"
#include "plugin/base/vectors.h"

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kTwoPi = 2 * std::numbers::pi;

double distance2(const double a[3], const double b[3]) { return std::hypot(a[0] - b[0], a[1] - b[1]); }

// Whether distance2(a, b) >= limit, told by the square where it can tell (squareAgainst).
bool atLeast2(const double a[3], const double b[3], double limit) {
    const double dx = a[0] - b[0], dy = a[1] - b[1];
    const int side = squareAgainst(dx * dx + dy * dy, limit);
    return side != 0 ? side > 0 : distance2(a, b) >= limit;
}

// The angle of `p` about `centre` in the frame's XY plane, in [0, 2 pi).
double angleAbout(const double frame[3][3], const double centre[3], const double world[3]) {
    double p[3];
    worldToFrame(frame, world, p);
    double angle = std::atan2(p[1] - centre[1], p[0] - centre[0]);
    if (angle < 0) angle += kTwoPi;
    return angle;
}

}  // namespace

int distPointLine(const double a[3], const double b[3], const double c[3]) {
    const double t08 = g_tolerances.tol08T;
    if (closerThan(a, b, t08) && closerThan(a, c, t08)) return kEdgeDegenerate;
    const p_3d pb{b[0], b[1], b[2]};
    const l_3d line{{a[0], a[1], a[2]}, {c[0], c[1], c[2]}};
    const double d = dist_pt_l_3d(&pb, &line);
    return 5 * g_tolerances.tol0004T > d ? kEdgeStraight : kEdgeCurved;
}

bool fitCircleOrLine(const double p[3][3], const double q[3][3], double tolerance) {
    const double sp[3] = {distance3(p[0], p[1]), distance3(p[1], p[2]), distance3(p[0], p[2])};
    const double sq[3] = {distance3(q[0], q[1]), distance3(q[1], q[2]), distance3(q[0], q[2])};
    if (sp[0] < tolerance || sp[1] < tolerance || sq[0] < tolerance || sq[1] < tolerance) return false;
    for (int i = 0; i < 3; ++i)
        if (!(std::abs(sp[i] - sq[i]) < tolerance)) return false;
    return true;
}

bool circleThrough3Pts(const double a[3], const double b[3], const double c[3], double centre[3], double* radius) {
    const double near = g_tolerances.tol004T;
    if (atLeast2(a, b, near) && atLeast2(b, c, near) && atLeast2(c, a, near)) {
        const double m1[2] = {(a[0] + b[0]) / 2, (a[1] + b[1]) / 2};
        const double m2[2] = {(b[0] + c[0]) / 2, (b[1] + c[1]) / 2};
        const double l = std::hypot(m2[0] - m1[0], m2[1] - m1[1]);
        const double theta1 = std::atan2(b[1] - a[1], b[0] - a[0]);
        const double theta2 = std::atan2(c[1] - b[1], c[0] - b[0]) - theta1;
        const double phi = std::atan2(m2[1] - m1[1], m2[0] - m1[0]);
        const double beta = theta1 + kPi / 2;
        // Three separate points on one line have parallel bisectors: no centre, and sin(theta2) is 0 (or
        // rounding noise that would put the centre a light year away).
        const double s = std::sin(theta2);
        if (std::abs(s) < 1e-12) return false;
        const double rho = std::sin(kPi - theta2 - (beta - phi)) * l / s;
        const double x = m1[0] + rho * std::cos(beta), y = m1[1] + rho * std::sin(beta);
        setVector(x, y, a[2], centre);
        *radius = std::hypot(x - b[0], y - b[1]);
        return true;
    }
    // Two points in one: the third lies across the circle from them.
    const double dab = distance2(a, b), dbc = distance2(b, c), dca = distance2(c, a);
    const double *separate, *first;
    double sum;
    if (dab < near) separate = c, first = a, sum = dca + dbc;
    else if (dbc < near) separate = a, first = b, sum = dab + dca;
    else separate = b, first = c, sum = dab + dbc;
    setVector((separate[0] + first[0]) / 2, (separate[1] + first[1]) / 2, a[2], centre);
    *radius = sum / 4;
    return true;
}

bool axisFromSurfPoints(const double p0[3], const double p1[3], const double p2[3], double centre[3], double* radius,
                        double normal[3]) {
    double u[3], w[3], n[3];
    subtractVector(p1, p0, u);
    subtractVector(p2, p0, w);
    normalizeVector(u, u);
    normalizeVector(w, w);
    if (!v_normal_3d(u, w, n)) return false;   // collinear or coincident points span no plane
    double frame[3][3];
    if (!make_view_k(n, frame)) return false;
    double q0[3], q1[3], q2[3], c[3], r = 0;
    worldToFrame(frame, p0, q0);
    worldToFrame(frame, p1, q1);
    worldToFrame(frame, p2, q2);
    if (!circleThrough3Pts(q0, q1, q2, c, &r)) return false;
    frameToWorld(frame, c, centre);
    *radius = r;
    copyVector(normal, n);
    return true;
}

bool CSurfSampler::evaluate(double a, double c, double out[3]) const {
    p_3d p;
    const bool ok = axialIndex_ == 0 ? eval_surf(surface_, a, c, 0, &p) : eval_surf(surface_, c, a, 0, &p);
    setVector(p.x, p.y, p.z, out);
    return ok;
}

bool CSurfSampler::known(double a, double out[3]) {
    for (int i = 0; i < count_; ++i)
        if (std::bit_cast<std::uint64_t>(known_[i].a) == std::bit_cast<std::uint64_t>(a)) {
            copyVector(out, known_[i].point);
            return known_[i].ok;
        }
    const bool ok = evaluate(a, cFirst_, out);
    if (count_ < static_cast<int>(std::size(known_))) {
        KNOWN& k = known_[count_++];
        k.a = a, k.ok = ok;
        copyVector(k.point, out);
    }
    return ok;
}

void sweepAtEnd(const ent* surface, const double axisPointInFrame[3], double axialParam, double cStart, double cEnd,
                int circIndex, const double frame[3][3], double* startAngle, double* sweep) {
    CSurfSampler sampler(surface, 1 - circIndex, cStart);
    sweepAtEnd(sampler, axisPointInFrame, axialParam, cStart, cEnd, frame, startAngle, sweep);
}

void sweepAtEnd(CSurfSampler& surface, const double axisPointInFrame[3], double axialParam, double cStart, double cEnd,
                const double frame[3][3], double* startAngle, double* sweep) {
    double p[3];
    // A point the host cannot evaluate stays at the origin: the angles are then merely wrong, which the
    // end's radius test has already made unlikely (the same points were evaluated there).
    surface.at(axialParam, cStart, p);
    const double a0 = angleAbout(frame, axisPointInFrame, p);
    surface.at(axialParam, cStart + 0.1 * (cEnd - cStart), p);
    const double a1 = angleAbout(frame, axisPointInFrame, p);
    double d = a1 - a0;
    if (std::abs(d) > kPi) d = a0 - a1;
    const int sense = d >= 0 ? 1 : -1;
    surface.at(axialParam, cEnd, p);
    const double a2 = angleAbout(frame, axisPointInFrame, p);
    double sw = a2 - a0;
    if (sw < 0 && sense == 1) sw += kTwoPi;
    else if (sw > 0 && sense == -1) sw -= kTwoPi;
    // A face that runs a hair past a full turn (some systems write a modelled thread as bands of 360.05
    // degrees) ends just past its start: its middle, half way round, lies farther on than its end.
    if (std::abs(sw) >= 0.0001 && std::abs(sw) < kPi / 2) {
        surface.at(axialParam, cStart + 0.5 * (cEnd - cStart), p);
        double half = angleAbout(frame, axisPointInFrame, p) - a0;
        if (half < 0 && sense == 1) half += kTwoPi;
        else if (half > 0 && sense == -1) half -= kTwoPi;
        if (std::abs(half) > std::abs(sw)) sw = sense * kTwoPi;
    }
    *startAngle = a0;
    *sweep = sw;
}

void transformZBetweenFrames(const double point[3], const double frameA[3][3], const double frameB[3][3],
                             double out[3]) {
    double world[3];
    frameToWorld(frameA, point, world);
    worldToFrame(frameB, world, out);
}

int viewNumberOfMatrix(const double matrix[3][3], double angleTolerance, std::int16_t* key) {
    if (key) *key = 0;
    for (std::size_t i = 6; i < NamedViews.size(); ++i) {
        const view_ent& v = NamedViews[i];
        if (compareDirections(v.matrix[2], matrix[2], angleTolerance) != 0) {
            if (key) *key = static_cast<std::int16_t>(v.id & 0xFFFF);
            return v.number;
        }
    }
    struct STANDARD_AXIS {
        double z[3];
        int view;
    };
    // -Z answers view 1, not 4: holes drilled from below are measured along +Z like the rest.
    static constexpr STANDARD_AXIS kAxes[] = {{{0, 0, 1}, 1},  {{0, 0, -1}, 1}, {{0, -1, 0}, 2},
                                              {{0, 1, 0}, 3},  {{1, 0, 0}, 5},  {{-1, 0, 0}, 6}};
    for (const STANDARD_AXIS& axis : kAxes)
        if (compareDirections(axis.z, matrix[2], angleTolerance) == kSameSense) return axis.view;
    return 0;
}

VIEW_AXIS viewAxis(int view) {
    VIEW_AXIS axis;
    double m[3][3];
    if (!get_view_matrix(view, m)) return axis;
    axis.known = true;
    copyVector(axis.z, m[2]);
    return axis;
}

int projectGridOntoSurf(const ent* surface, const VIEW_AXIS& axis, const double point[3], double out[3], double* u,
                        double* v) {
    if (!axis.known) return 0;
    return project_pt_along_dir(surface, axis.z, point, surface->surf.uMin, surface->surf.vMin, out, u, v);
}

int projectGridOntoSurf(const ent* surface, int view, const double point[3], double out[3], double* u, double* v) {
    // The grid's first start is (u min, v min). The host's projection meets the face or misses it whatever
    // its start, and when it meets it takes the hit nearest the start: the first start gives what the whole
    // 4 x 4 grid would, and the other fifteen could only repeat a miss. This runs for every surface, hole
    // and ray of the flat and opaque checks, where misses are the rule.
    return project_pt_onto_surf(surface, view, point, surface->surf.uMin, surface->surf.vMin, out, u, v);
}
