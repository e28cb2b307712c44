// The host's vector, line and planar intersection helpers. Lines are unbounded unless a function says
// otherwise; "parallel" means the sine of the angle between the directions is below kParallel.
#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <vector>

#include "host/api.h"

namespace {

constexpr double kParallel = 1e-12;
constexpr double kTwoPi = 2.0 * std::numbers::pi;

using V3 = std::array<double, 3>;

V3 sub(const p_3d& a, const p_3d& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
double dot(const V3& a, const V3& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
V3 cross(const V3& a, const V3& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
double norm(const V3& a) { return std::sqrt(dot(a, a)); }

// ---- planar elements ----

struct P2 {
    double x = 0, y = 0;
};
P2 operator-(P2 a, P2 b) { return {a.x - b.x, a.y - b.y}; }
P2 operator+(P2 a, P2 b) { return {a.x + b.x, a.y + b.y}; }
P2 operator*(double k, P2 a) { return {k * a.x, k * a.y}; }
double dot2(P2 a, P2 b) { return a.x * b.x + a.y * b.y; }
double cross2(P2 a, P2 b) { return a.x * b.y - a.y * b.x; }
double len2(P2 a) { return std::hypot(a.x, a.y); }
P2 p2(const p_2d& p) { return {p.x, p.y}; }

double distToSegment(P2 p, P2 a, P2 b) {
    P2 d = b - a;
    double l2 = dot2(d, d);
    double t = l2 > 0 ? std::clamp(dot2(p - a, d) / l2, 0.0, 1.0) : 0.0;
    return len2(p - (a + t * d));
}

bool fullCircle(const gt_rec& g) { return std::abs(g.sw) >= kTwoPi - 1e-12; }

bool angleOnArc(const gt_rec& g, double angle) {
    if (fullCircle(g)) return true;
    double delta = std::fmod(angle - g.sa, kTwoPi);
    constexpr double eps = 1e-12;
    if (g.sw >= 0) {
        if (delta < 0) delta += kTwoPi;
        return delta <= g.sw + eps || delta >= kTwoPi - eps;
    }
    if (delta > 0) delta -= kTwoPi;
    return delta >= g.sw - eps || delta <= -kTwoPi + eps;
}

std::vector<P2> ends(const gt_rec& g) {
    if (g.kind == 'L') return {p2(g.e1), p2(g.e2)};
    if (fullCircle(g)) return {};
    P2 c = p2(g.c);
    return {c + g.r * P2{std::cos(g.sa), std::sin(g.sa)}, c + g.r * P2{std::cos(g.sa + g.sw), std::sin(g.sa + g.sw)}};
}

double distToElement(P2 p, const gt_rec& g) {
    if (g.kind == 'L') return distToSegment(p, p2(g.e1), p2(g.e2));
    P2 c = p2(g.c);
    P2 d = p - c;
    double dist = len2(d);
    if (dist == 0 || angleOnArc(g, std::atan2(d.y, d.x))) return std::abs(dist - g.r);
    double best = 1e300;
    for (P2 e : ends(g)) best = std::min(best, len2(p - e));
    return best;
}

// Intersections of the carriers (infinite line, whole circle), near misses within tol included.
std::vector<P2> carrierPoints(const gt_rec& a, const gt_rec& b, double tol) {
    std::vector<P2> pts;
    if (a.kind == 'L' && b.kind == 'L') {
        P2 p = p2(a.e1), d1 = p2(a.e2) - p, q = p2(b.e1), d2 = p2(b.e2) - q;
        double c = cross2(d1, d2);
        if (std::abs(c) > kParallel * len2(d1) * len2(d2)) pts.push_back(p + (cross2(q - p, d2) / c) * d1);
        return pts;
    }
    if (a.kind == 'A' && b.kind == 'L') return carrierPoints(b, a, tol);
    if (a.kind == 'L') {
        P2 p = p2(a.e1), d = p2(a.e2) - p, c = p2(b.c);
        double l = len2(d);
        if (l == 0) return pts;
        P2 u = (1.0 / l) * d;
        P2 foot = p + dot2(c - p, u) * u;
        double h = len2(c - foot);
        if (h < b.r) {
            double s = std::sqrt(b.r * b.r - h * h);
            pts.push_back(foot - s * u);
            pts.push_back(foot + s * u);
        } else if (h <= b.r + tol) {
            pts.push_back(foot);
        }
        return pts;
    }
    P2 c1 = p2(a.c), c2 = p2(b.c);
    double dist = len2(c2 - c1);
    if (dist < 1e-12) return pts;   // concentric: only the arcs' ends can meet
    if (dist > a.r + b.r + tol || dist < std::abs(a.r - b.r) - tol) return pts;
    P2 u = (1.0 / dist) * (c2 - c1);
    P2 n{-u.y, u.x};
    double along = (a.r * a.r - b.r * b.r + dist * dist) / (2 * dist);
    double h2 = a.r * a.r - along * along;
    P2 base = c1 + along * u;
    if (h2 <= 0) {
        pts.push_back(base);
    } else {
        double h = std::sqrt(h2);
        pts.push_back(base + h * n);
        pts.push_back(base - h * n);
    }
    return pts;
}

bool validRecord(const gt_rec& g) {
    if (g.kind == 'L') return len2(p2(g.e2) - p2(g.e1)) > 0;
    if (g.kind == 'A') return g.r > 0 && g.sw != 0;
    return false;
}

}  // namespace

void mul_mat_vector(const double m[3][3], const double v[3], double out[3]) {
    double r[3];
    for (int i = 0; i < 3; ++i) r[i] = v[0] * m[0][i] + v[1] * m[1][i] + v[2] * m[2][i];
    std::copy(r, r + 3, out);
}

void transpose_matrix_33(const double m[3][3], double out[3][3]) {
    double t[3][3];
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) t[i][j] = m[j][i];
    for (int i = 0; i < 3; ++i) std::copy(t[i], t[i] + 3, out[i]);
}

int v_normal_3d(const double a[3], const double b[3], double out[3]) {
    V3 n = cross({a[0], a[1], a[2]}, {b[0], b[1], b[2]});
    double l = norm(n);
    double la = std::hypot(a[0], a[1], a[2]), lb = std::hypot(b[0], b[1], b[2]);
    if (l <= kParallel * la * lb || l == 0) {
        out[0] = out[1] = out[2] = 0;
        return 0;
    }
    for (int i = 0; i < 3; ++i) out[i] = n[i] / l;
    return 1;
}

double dist_pt_l(const p_2d* pt, const l_2d* line) {
    P2 a = p2(line->e1), d = p2(line->e2) - a, p = p2(*pt);
    double l = len2(d);
    if (l == 0) return len2(p - a);
    return std::abs(cross2(d, p - a)) / l;
}

double dist_pt_l_3d(const p_3d* pt, const l_3d* line) {
    V3 d = sub(line->e2, line->e1), w = sub(*pt, line->e1);
    double l = norm(d);
    if (l == 0) return norm(w);
    return norm(cross(d, w)) / l;
}

int l_ints(const l_2d* a, const l_2d* b, p_2d* pt) {
    gt_rec ga, gb;
    ga.e1 = a->e1, ga.e2 = a->e2, gb.e1 = b->e1, gb.e2 = b->e2;
    if (!validRecord(ga) || !validRecord(gb)) return 0;
    std::vector<P2> pts = carrierPoints(ga, gb, 0);
    if (pts.empty()) return 0;
    *pt = {pts[0].x, pts[0].y};
    return 1;
}

void lp_ints(const double normal[3], const double planePt[3], const l_3d* line, double pt[3], double* t, char* ok) {
    V3 n{normal[0], normal[1], normal[2]};
    V3 d = sub(line->e2, line->e1);
    double denom = dot(n, d);
    *ok = 0;
    if (norm(d) == 0 || std::abs(denom) <= kParallel * norm(n) * norm(d)) return;
    V3 w{planePt[0] - line->e1.x, planePt[1] - line->e1.y, planePt[2] - line->e1.z};
    double s = dot(n, w) / denom;
    *t = s;
    pt[0] = line->e1.x + s * d[0];
    pt[1] = line->e1.y + s * d[1];
    pt[2] = line->e1.z + s * d[2];
    *ok = 1;
}

int ll_ints_3d(const l_3d* a, const l_3d* b, double pa[3], double pb[3]) {
    V3 d1 = sub(a->e2, a->e1), d2 = sub(b->e2, b->e1), r = sub(a->e1, b->e1);
    double aa = dot(d1, d1), bb = dot(d1, d2), cc = dot(d2, d2), dd = dot(d1, r), ee = dot(d2, r);
    double den = aa * cc - bb * bb;
    if (aa == 0 || cc == 0 || den <= kParallel * aa * cc) return 0;
    double s = (bb * ee - cc * dd) / den;
    double t = (aa * ee - bb * dd) / den;
    pa[0] = a->e1.x + s * d1[0], pa[1] = a->e1.y + s * d1[1], pa[2] = a->e1.z + s * d1[2];
    pb[0] = b->e1.x + t * d2[0], pb[1] = b->e1.y + t * d2[1], pb[2] = b->e1.z + t * d2[2];
    return 1;
}

int ints_on_gt(const gt_rec* a, const gt_rec* b, const p_2d* ref, double tol, int* count, p_2d pts[2]) {
    *count = 0;
    if (!validRecord(*a) || !validRecord(*b)) return 0;
    tol = std::max(tol, 0.0);
    std::vector<P2> candidates = carrierPoints(*a, *b, tol);
    for (P2 e : ends(*a)) candidates.push_back(e);
    for (P2 e : ends(*b)) candidates.push_back(e);
    std::vector<P2> found;
    double same = std::max(tol, 1e-9);
    for (P2 p : candidates) {
        if (distToElement(p, *a) > tol + 1e-12 || distToElement(p, *b) > tol + 1e-12) continue;
        if (std::any_of(found.begin(), found.end(), [&](P2 q) { return len2(q - p) <= same; })) continue;
        found.push_back(p);
    }
    P2 r = p2(*ref);
    std::stable_sort(found.begin(), found.end(), [&](P2 x, P2 y) { return len2(x - r) < len2(y - r); });
    *count = static_cast<int>(std::min<std::size_t>(found.size(), 2));
    for (int i = 0; i < *count; ++i) pts[i] = {found[i].x, found[i].y};
    return 1;
}

int in_polygon(const p_2d* pt, const p_2d* poly, int n, double tol) {
    if (n < 3) return -1;
    P2 p = p2(*pt);
    for (int i = 0; i < n; ++i)
        if (distToSegment(p, p2(poly[i]), p2(poly[(i + 1) % n])) <= tol) return 0;
    bool inside = false;
    for (int i = 0, j = n - 1; i < n; j = i++) {
        P2 a = p2(poly[i]), b = p2(poly[j]);
        if ((a.y > p.y) != (b.y > p.y) && p.x < (b.x - a.x) * (p.y - a.y) / (b.y - a.y) + a.x) inside = !inside;
    }
    return inside ? 1 : -1;
}
