// Line and arc intersections of the tool-versus-hole profile. Crossings are found exactly (line-line,
// line-circle, circle-circle) and kept when they lie on both pieces within the tolerance; pieces that do
// not cross but pass within the tolerance meet at their closest approach, found among the end points and
// the points where a circle comes nearest to the other piece.
#include "plugin/tooling/planar_intersect.h"
#include "plugin/services/tooling.h"

#include <algorithm>
#include <cmath>
#include <vector>

PROFILE_SEGMENT profileLine(double x1, double z1, double x2, double z2) {
    PROFILE_SEGMENT s;
    s.kind = 0;
    s.x1 = x1, s.z1 = z1, s.x2 = x2, s.z2 = z2;
    return s;
}

PROFILE_SEGMENT profileArc(double cx, double cz, double radius, double start, double sweep) {
    PROFILE_SEGMENT s;
    s.kind = 1;
    s.cx = cx, s.cz = cz, s.radius = radius, s.start = start, s.sweep = sweep;
    return s;
}

void segmentStart(const PROFILE_SEGMENT& s, double p[2]) {
    if (s.kind == 1) {
        p[0] = s.cx + s.radius * std::cos(s.start);
        p[1] = s.cz + s.radius * std::sin(s.start);
    } else {
        p[0] = s.x1;
        p[1] = s.z1;
    }
}

void segmentEnd(const PROFILE_SEGMENT& s, double p[2]) {
    if (s.kind == 1) {
        p[0] = s.cx + s.radius * std::cos(s.start + s.sweep);
        p[1] = s.cz + s.radius * std::sin(s.start + s.sweep);
    } else {
        p[0] = s.x2;
        p[1] = s.z2;
    }
}

namespace {

struct P {
    double x, z;
};

P operator-(P a, P b) { return {a.x - b.x, a.z - b.z}; }
P operator+(P a, P b) { return {a.x + b.x, a.z + b.z}; }
P operator*(double k, P a) { return {k * a.x, k * a.z}; }
double dot(P a, P b) { return a.x * b.x + a.z * b.z; }
double cross(P a, P b) { return a.x * b.z - a.z * b.x; }
double norm(P a) { return std::sqrt(dot(a, a)); }

P startOf(const PROFILE_SEGMENT& s) {
    double p[2];
    segmentStart(s, p);
    return {p[0], p[1]};
}
P endOf(const PROFILE_SEGMENT& s) {
    double p[2];
    segmentEnd(s, p);
    return {p[0], p[1]};
}

// True when the angle of `p` about the arc's centre lies within its sweep, widened by `slack` radians.
bool onArcSweep(const PROFILE_SEGMENT& arc, P p, double slack) {
    const double full = 2 * M_PI;
    if (std::fabs(arc.sweep) >= full - slack) return true;
    const double a0 = arc.sweep >= 0 ? arc.start : arc.start + arc.sweep;
    double offset = std::fmod(std::atan2(p.z - arc.cz, p.x - arc.cx) - a0, full);
    if (offset < 0) offset += full;
    const double span = std::fabs(arc.sweep);
    return offset <= span + slack || offset >= full - slack;
}

// The point of the segment nearest to `p`, and its distance.
double nearestOn(const PROFILE_SEGMENT& s, P p, P& at) {
    if (s.kind == 1) {
        const P c{s.cx, s.cz};
        const P d = p - c;
        const double r = norm(d);
        if (r > 0 && onArcSweep(s, p, 0)) {
            at = c + (s.radius / r) * d;
            return std::fabs(r - s.radius);
        }
        const P a = startOf(s), b = endOf(s);
        const double da = norm(p - a), db = norm(p - b);
        at = da <= db ? a : b;
        return std::min(da, db);
    }
    const P a{s.x1, s.z1}, b{s.x2, s.z2};
    const P u = b - a;
    const double len2 = dot(u, u);
    double k = len2 > 0 ? dot(p - a, u) / len2 : 0;
    k = std::clamp(k, 0.0, 1.0);
    at = a + k * u;
    return norm(p - at);
}

// Points of the unbounded line through a, b on the circle (c, r), as line parameters.
std::vector<double> lineCircle(P a, P b, P c, double r) {
    const P u = b - a, w = a - c;
    const double A = dot(u, u), B = 2 * dot(u, w), C = dot(w, w) - r * r;
    std::vector<double> t;
    if (A <= 0) return t;
    const double disc = B * B - 4 * A * C;
    if (disc < 0) return t;
    const double root = std::sqrt(disc);
    t.push_back((-B - root) / (2 * A));
    if (root > 0) t.push_back((-B + root) / (2 * A));
    return t;
}

void crossings(const PROFILE_SEGMENT& a, const PROFILE_SEGMENT& b, double tol, std::vector<P>& out) {
    if (a.kind == 0 && b.kind == 0) {
        const P p{a.x1, a.z1}, u = P{a.x2, a.z2} - p;
        const P q{b.x1, b.z1}, v = P{b.x2, b.z2} - q;
        const double den = cross(u, v);
        const double lu = norm(u), lv = norm(v);
        if (den == 0 || lu == 0 || lv == 0) return;
        const double s = cross(q - p, v) / den, t = cross(q - p, u) / den;
        if (s >= -tol / lu && s <= 1 + tol / lu && t >= -tol / lv && t <= 1 + tol / lv) out.push_back(p + s * u);
        return;
    }
    if (a.kind == 1 && b.kind == 1) {
        const P c1{a.cx, a.cz}, c2{b.cx, b.cz};
        const double d = norm(c2 - c1);
        if (d == 0 || d > a.radius + b.radius || d < std::fabs(a.radius - b.radius)) return;
        const double k = (d * d + a.radius * a.radius - b.radius * b.radius) / (2 * d);
        const double h = std::sqrt(std::max(0.0, a.radius * a.radius - k * k));
        const P e = (1 / d) * (c2 - c1);
        const P base = c1 + k * e, n{-e.z, e.x};
        for (const P p : {base + h * n, base - h * n})
            if (onArcSweep(a, p, tol / a.radius) && onArcSweep(b, p, tol / b.radius)) out.push_back(p);
        return;
    }
    const PROFILE_SEGMENT& line = a.kind == 0 ? a : b;
    const PROFILE_SEGMENT& arc = a.kind == 0 ? b : a;
    const P p{line.x1, line.z1}, u = P{line.x2, line.z2} - p;
    const double lu = norm(u);
    if (lu == 0 || arc.radius <= 0) return;
    for (const double t : lineCircle(p, P{line.x2, line.z2}, P{arc.cx, arc.cz}, arc.radius)) {
        const P at = p + t * u;
        if (t >= -tol / lu && t <= 1 + tol / lu && onArcSweep(arc, at, tol / arc.radius)) out.push_back(at);
    }
}

// The closest approach of two segments that do not cross: a point between them and the gap.
double closestApproach(const PROFILE_SEGMENT& a, const PROFILE_SEGMENT& b, P& at) {
    double best = INFINITY;
    auto consider = [&](const PROFILE_SEGMENT& from, P p) {
        P q{};
        const double d = nearestOn(from, p, q);
        if (d < best) {
            best = d;
            at = 0.5 * (p + q);
        }
    };
    for (const P p : {startOf(a), endOf(a)}) consider(b, p);
    for (const P p : {startOf(b), endOf(b)}) consider(a, p);
    // Where a circle comes nearest to the other piece: along the line through the centres, or along the
    // perpendicular from the centre to a line.
    for (const PROFILE_SEGMENT* arc : {&a, &b}) {
        if (arc->kind != 1) continue;
        const PROFILE_SEGMENT& other = arc == &a ? b : a;
        const P c{arc->cx, arc->cz};
        P foot{other.cx, other.cz};
        if (other.kind == 0) nearestOn(other, c, foot);
        const P d = foot - c;
        const double r = norm(d);
        if (r == 0) continue;
        for (const double sign : {1.0, -1.0}) {
            const P p = c + (sign * arc->radius / r) * d;
            if (onArcSweep(*arc, p, 0)) consider(other, p);
        }
    }
    return best;
}

}  // namespace

int intersectSegments(const PROFILE_SEGMENT& a, const PROFILE_SEGMENT& b, const double reference[2],
                      double tolerance, double first[2]) {
    std::vector<P> points;
    crossings(a, b, tolerance, points);
    if (points.empty()) {
        P at{};
        if (closestApproach(a, b, at) <= tolerance) points.push_back(at);
    }
    if (points.empty()) return 0;
    const P ref{reference[0], reference[1]};
    const P nearest = *std::min_element(points.begin(), points.end(),
                                        [&](P x, P y) { return norm(x - ref) < norm(y - ref); });
    first[0] = nearest.x;
    first[1] = nearest.z;
    return static_cast<int>(points.size());
}

bool intersectUnboundedLines(const double p1[2], const double p2[2], const double q1[2], const double q2[2],
                             double point[2]) {
    const P p{p1[0], p1[1]}, u = P{p2[0], p2[1]} - p;
    const P q{q1[0], q1[1]}, v = P{q2[0], q2[1]} - q;
    const double den = cross(u, v);
    if (den == 0 || !std::isfinite(den)) return false;
    const double s = cross(q - p, v) / den;
    const P at = p + s * u;
    if (!std::isfinite(at.x) || !std::isfinite(at.z)) return false;
    point[0] = at.x;
    point[1] = at.z;
    return true;
}
