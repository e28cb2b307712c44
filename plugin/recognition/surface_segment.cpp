// surfaceToSegment and classifySurface: a host surface sampled through eval_surf becomes a cylinder, cone
// or toric segment of a hole. Notation of surface_segment.h: a runs along the generator (axial index 0: a
// is u), c around the axis; M is the frame the host gives the axis, M2 the host view it is filed under.
#include <algorithm>
#include <cmath>
#include <numbers>
#include <optional>
#include <utility>

#include "platform/ui/message_box.h"
#include "plugin/base/globals.h"
#include "plugin/recognition/surface_segment.h"
#include "plugin/model/tree.h"
#include "plugin/base/vectors.h"

namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;
constexpr double kDegree = std::numbers::pi / 180;
constexpr std::int16_t kNoViewMessage = 140;
// A normal this near square to the radius tells no side.
constexpr double kSideCosine = 1e-3;

struct PARAM_RANGE {
    double from = 0, to = 0;
    double span() const { return to - from; }
};

// One end circle of the surface: its centre, radius and plane normal; an apex has radius 0 and no normal.
struct END_CIRCLE {
    double centre[3] = {};
    double radius = 0;
    double normal[3] = {};
};

bool endCircle(CSurfSampler& s, double a, const PARAM_RANGE& c, END_CIRCLE& end) {
    double p1[3], p2[3], p3[3];
    if (!s.at(a, c.from, p1) || !s.at(a, c.from + c.span() / 3, p2) || !s.at(a, c.from + 2 * c.span() / 3, p3))
        return false;
    const double t = g_tolerances.tolT;
    if (closerThan(p1, p3, t) && closerThan(p1, p2, t)) {
        for (int i = 0; i < 3; ++i) end.centre[i] = (p1[i] + p2[i] + p3[i]) / 3;
        end.radius = 0;
        return true;
    }
    return axisFromSurfPoints(p1, p2, p3, end.centre, &end.radius, end.normal);
}

// Whether the end is round within `tolerance`: the largest minus the smallest distance from the end's centre
// of five points spread over the whole turn is no more than it. False too where a point cannot be evaluated.
// The points' squared distances tell all but spreads within rounding of the tolerance; distance3 decides
// those, as it always did.
bool roundAt(CSurfSampler& s, double a, const PARAM_RANGE& c, const END_CIRCLE& end, double tolerance) {
    constexpr int kPoints = 5;
    double p[kPoints][3];
    double lowSquared = 0, highSquared = 0;
    for (int i = 0; i < kPoints; ++i) {
        if (!s.at(a, c.from + c.span() * i / kPoints, p[i])) return false;
        const double dx = p[i][0] - end.centre[0], dy = p[i][1] - end.centre[1], dz = p[i][2] - end.centre[2];
        const double squared = dx * dx + dy * dy + dz * dz;
        if (i == 0 || squared < lowSquared) lowSquared = squared;
        if (i == 0 || squared > highSquared) highSquared = squared;
    }
    if (highSquared > 1e-200 && highSquared < 1e200 && std::isfinite(tolerance)) {
        // Each distance lies far within this of the square root of its square.
        const double high = std::sqrt(highSquared), spread = high - std::sqrt(lowSquared);
        const double slack = 1e-12 * high;
        if (spread < tolerance - slack) return true;
        if (spread > tolerance + slack) return false;
    }
    double low = 0, high = 0;
    for (int i = 0; i < kPoints; ++i) {
        const double d = distance3(p[i], end.centre);
        if (i == 0 || d < low) low = d;
        if (i == 0 || d > high) high = d;
    }
    return !(high - low > tolerance);
}

// z along the frame's axis and the distance from the axis in its XY plane of a world point.
void heightAndRadius(const double frame[3][3], const double axisPointInFrame[3], const double world[3], double* z,
                     double* r) {
    double p[3];
    worldToFrame(frame, world, p);
    *z = p[2];
    *r = std::hypot(p[0] - axisPointInFrame[0], p[1] - axisPointInFrame[1]);
}

// A round face of revolution as the segment and the boss test both read it: the surface sampled (a trimmed
// surface's base), how its parameters run, its two end circles and the box of its trims' parameters.
struct REVOLVED {
    std::optional<ent> base;
    int kind = kSurfUnusable;
    int axialIndex = 0;
    PARAM_RANGE aRange, cRange, aBox, cBox;
    END_CIRCLE ends[2];
    std::optional<CSurfSampler> sampler;
    const END_CIRCLE& axisEnd() const { return ends[0].radius > ends[1].radius ? ends[0] : ends[1]; }
};

// A hole's wall has its material outside it, away from the axis. A face of a solid whose normal at the
// middle of its box points away from the axis has its material inside (a boss, a post): no hole wall.
// A free surface tells no side and stays a wall, as does a face whose normal there runs along the axis.
bool materialInside(const ent& face, const REVOLVED& r) {
    if (!face.surf.solidFace) return false;
    const double a = (r.aBox.from + r.aBox.to) / 2, c = (r.cBox.from + r.cBox.to) / 2;
    const double u = r.axialIndex == 0 ? a : c, v = r.axialIndex == 0 ? c : a;
    const END_CIRCLE& axis = r.axisEnd();
    p_3d normal, point;
    if (!surf_normal(&face, u, v, &normal) || !eval_surf(&face, u, v, 0, &point)) return false;
    double radial[3] = {point.x - axis.centre[0], point.y - axis.centre[1], point.z - axis.centre[2]};
    const double along = radial[0] * axis.normal[0] + radial[1] * axis.normal[1] + radial[2] * axis.normal[2];
    for (int i = 0; i < 3; ++i) radial[i] -= along * axis.normal[i];
    const double length = std::hypot(radial[0], radial[1], radial[2]);
    const double outward = normal.x * radial[0] + normal.y * radial[1] + normal.z * radial[2];
    return length > g_tolerances.tol04T && outward / length > kSideCosine;
}

void noViewMessage() {
    plat::messageBox(nullptr, errorMessage(kNoViewMessage), errorMessage(1), plat::MB_OK | plat::MB_ICONERROR);
}

// The grid lines that classifySurface tells apart: g[i][j] is the point at u fraction i, v fraction j. A
// line at constant u lies whole in g[i]; one at constant v is gathered only for the toric fit, the edge
// kinds read its points in place.
struct GRID {
    double g[3][3][3];
    void uLine(int j, double out[3][3]) const {
        for (int i = 0; i < 3; ++i)
            for (int k = 0; k < 3; ++k) out[i][k] = g[i][j][k];
    }
    int uLineKind(int j) const { return distPointLine(g[0][j], g[1][j], g[2][j]); }
    int vLineKind(int i) const { return distPointLine(g[i][0], g[i][1], g[i][2]); }
};

AXIS_FRAMES axisFrames(int view, double angleTolerance) {
    AXIS_FRAMES frames;
    frames.view = view;
    frames.known = get_view_matrix(view, frames.m) != 0;
    if (!frames.known) return frames;
    frames.filedView = viewNumberOfMatrix(frames.m, angleTolerance, &frames.key);
    frames.filedKnown = frames.filedView != 0 && get_view_matrix(frames.filedView, frames.m2);
    return frames;
}

}  // namespace

int classifySurface(const ent* surface, int* axialIndex, int* apexEnd, double surfaceTolerance) {
    const ent_surface& s = surface->surf;
    static constexpr double kFractions[3] = {0.1, 0.5, 0.9};
    GRID grid;
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            p_3d p;
            if (!eval_surf(surface, s.uMin + kFractions[i] * (s.uMax - s.uMin),
                           s.vMin + kFractions[j] * (s.vMax - s.vMin), 0, &p))
                return kSurfUnusable;
            double* point = grid.g[i][j];
            point[0] = p.x, point[1] = p.y, point[2] = p.z;
        }
    }
    const int e1 = grid.uLineKind(0);
    const int e2 = grid.vLineKind(2);
    const int e3 = grid.uLineKind(2);
    const int e4 = grid.vLineKind(0);

    auto result = [&](int kind, int axial, int apex) {
        if (axialIndex) *axialIndex = axial;
        if (apexEnd && kind == kSurfApexCone) *apexEnd = apex;
        return kind;
    };
    constexpr int D = kEdgeDegenerate, S = kEdgeStraight, C = kEdgeCurved;
    if (e1 == D && e2 == S && e4 == S && e3 == C) return result(kSurfApexCone, 1, 0);
    if (e2 == D && e1 == S && e3 == S && e4 == C) return result(kSurfApexCone, 0, 1);
    if (e3 == D && e2 == S && e4 == S && e1 == C) return result(kSurfApexCone, 1, 1);
    if (e4 == D && e1 == S && e3 == S && e2 == C) return result(kSurfApexCone, 0, 0);
    if (e1 == C && e2 == S && e4 == S && e3 == C) return result(kSurfStraight, 1, 0);
    if (e2 == C && e1 == S && e3 == S && e4 == C) return result(kSurfStraight, 0, 0);
    if (e1 == S && e2 == S && e3 == S && e4 == S && is_surf_planar(surface, nullptr, nullptr))
        return result(kSurfPlanar, 0, 0);

    const int uMiddle = grid.uLineKind(1);
    const int vMiddle = grid.vLineKind(1);
    if (e1 == C && e2 == C && e3 == C && e4 == C && uMiddle == C && vMiddle == C) {
        if (fitCircleOrLine(grid.g[0], grid.g[1], surfaceTolerance) &&
            fitCircleOrLine(grid.g[0], grid.g[2], surfaceTolerance))
            return result(kSurfToric, 1, 0);
        double first[3][3], middle[3][3], last[3][3];
        grid.uLine(0, first);
        grid.uLine(1, middle);
        grid.uLine(2, last);
        if (fitCircleOrLine(first, middle, surfaceTolerance) && fitCircleOrLine(first, last, surfaceTolerance))
            return result(kSurfToric, 0, 0);
    }
    return kSurfUnusable;
}

const AXIS_FRAMES& CAxisFramesKept::of(int view, double angleTolerance) {
    if (NamedViews.size() != namedViews_ || std::bit_cast<std::uint64_t>(angleTolerance) !=
                                                std::bit_cast<std::uint64_t>(tolerance_)) {
        kept_.clear();
        namedViews_ = NamedViews.size();
        tolerance_ = angleTolerance;
    }
    for (const AXIS_FRAMES& frames : kept_)
        if (frames.view == view) return frames;
    return kept_.emplace_back(axisFrames(view, angleTolerance));
}

int surfaceToSegment(CYL_LIST* segment, db_ptr entity) {
    ent original{};
    if (!get_ent_from_eptr(entity, &original)) return 0;
    return surfaceToSegment(segment, original);
}

namespace {

// False when `original` is no round face of revolution (a plane among them). `r` is not to be moved: its
// sampler points at its base.
bool readRevolved(const ent& original, REVOLVED& r) {
    const double surfaceTolerance = g_globals->settings.roundnessTolerance;
    if (original.type != kEntSurface) return false;
    // Only a trimmed surface's record needs a second one, and a record is large to clear and free.
    const bool trimmed = original.surf.typeCode == kSurfTrimmed;
    if (trimmed && (!get_ent_from_eptr(original.surf.base, &r.base.emplace()) || r.base->type != kEntSurface))
        return false;
    const ent& surface = trimmed ? *r.base : original;
    // A plane's grid lines are straight: it classifies as planar, or unusable where its box is degenerate,
    // and is no segment either way.
    if (surface.surf.typeCode == kSurfPlane) return false;

    r.kind = classifySurface(&surface, &r.axialIndex, nullptr, surfaceTolerance);
    if (r.kind == kSurfUnusable || r.kind == kSurfPlanar) return false;
    const ent_surface& s = surface.surf;
    const PARAM_RANGE uRange{s.uMin, s.uMax}, vRange{s.vMin, s.vMax};
    r.aRange = r.axialIndex == 0 ? uRange : vRange;
    r.cRange = r.axialIndex == 0 ? vRange : uRange;
    CSurfSampler& sampler = r.sampler.emplace(&surface, r.axialIndex, r.cRange.from);

    // The end circles. Three points of an end on a line span no plane: no surface of revolution, where a
    // circle through them would divide by zero.
    END_CIRCLE(&ends)[2] = r.ends;
    if (!endCircle(sampler, r.aRange.from, r.cRange, ends[0]) || !endCircle(sampler, r.aRange.to, r.cRange, ends[1]))
        return false;
    const double t04 = g_tolerances.tol04T;
    if (ends[0].radius < t04 && ends[1].radius < t04) return false;
    if (ends[0].radius == 0) copyVector(ends[0].normal, ends[1].normal);
    if (ends[1].radius == 0) copyVector(ends[1].normal, ends[0].normal);

    // Both ends round within S.
    const double endParams[2] = {r.aRange.from, r.aRange.to};
    for (int i = 0; i < 2; ++i)
        if (!roundAt(sampler, endParams[i], r.cRange, ends[i], surfaceTolerance)) return false;

    // The parameter box: a trimmed surface's boundary points when it has any.
    PARAM_RANGE uBox = uRange, vBox = vRange;
    if (trimmed && !original.surf.trimPoints.empty()) {
        const uv_pt& p0 = original.surf.trimPoints.front();
        uBox = {p0.u, p0.u};
        vBox = {p0.v, p0.v};
        for (const uv_pt& p : original.surf.trimPoints) {
            uBox = {std::min(uBox.from, p.u), std::max(uBox.to, p.u)};
            vBox = {std::min(vBox.from, p.v), std::max(vBox.to, p.v)};
        }
    }
    r.aBox = r.axialIndex == 0 ? uBox : vBox;
    r.cBox = r.axialIndex == 0 ? vBox : uBox;
    return true;
}

}  // namespace

bool bossAxis(const ent& face, BOSS_AXIS& boss) {
    REVOLVED r;
    if (!face.surf.solidFace || !readRevolved(face, r)) return false;
    const END_CIRCLE& axisEnd = r.axisEnd();
    if (!materialInside(face, r)) return false;
    // The ends' heights along the axis; a toric end may not lie on the axis's line through the other's centre.
    const double* n = axisEnd.normal;
    auto height = [n](const double p[3]) { return p[0] * n[0] + p[1] * n[1] + p[2] * n[2]; };
    const double h0 = height(r.ends[0].centre), h1 = height(r.ends[1].centre), along = height(axisEnd.centre);
    for (int i = 0; i < 3; ++i) {
        boss.from[i] = axisEnd.centre[i] + (std::min(h0, h1) - along) * n[i];
        boss.to[i] = axisEnd.centre[i] + (std::max(h0, h1) - along) * n[i];
    }
    boss.radius = axisEnd.radius;
    return true;
}

int surfaceToSegment(CYL_LIST* segment, const ent& original, CAxisFramesKept* kept) {
    const double t = g_tolerances.tolT;
    const double axisTolerance = g_globals->settings.axisAngleTolerance * kDegree;
    const db_ptr entity = original.eptr;

    REVOLVED revolved;
    if (!readRevolved(original, revolved)) return 0;
    const int kind = revolved.kind;
    CSurfSampler& sampler = *revolved.sampler;
    const PARAM_RANGE& aRange = revolved.aRange;
    const PARAM_RANGE& cRange = revolved.cRange;
    const PARAM_RANGE& aBox = revolved.aBox;
    const PARAM_RANGE& cBox = revolved.cBox;
    const END_CIRCLE& axisEnd = revolved.axisEnd();

    // M: the host's frame of the axis; M2 below.
    int view = 0;
    char found = 0;
    const bool viewFound = find_view_k(axisEnd.normal, &view, 1, &found) && found;
    const AXIS_FRAMES frames = !viewFound ? AXIS_FRAMES{} : kept ? kept->of(view, axisTolerance)
                                                                 : axisFrames(view, axisTolerance);
    if (!frames.known) {
        noViewMessage();
        return -1;
    }
    const double(&m)[3][3] = frames.m;
    double axisPoint[3];
    worldToFrame(m, axisEnd.centre, axisPoint);

    // The generating arc of a toric surface (centre in world coordinates).
    double arcCentre[3] = {}, arcRadius = 0;
    if (kind == kSurfToric) {
        double q1[3], q2[3], q3[3], arcNormal[3];
        if (!sampler.at(aRange.from, cRange.from, q1) || !sampler.at(aRange.from + aRange.span() / 3, cRange.from, q2) ||
            !sampler.at(aRange.from + 2 * aRange.span() / 3, cRange.from, q3))
            return 0;
        if (closerThan(q1, q2, t) && closerThan(q1, q3, t)) copyVector(arcCentre, q1);
        else if (!axisFromSurfPoints(q1, q2, q3, arcCentre, &arcRadius, arcNormal))
            return 0;
    }

    if (materialInside(original, revolved)) return 0;

    // Heights and radii of the two ends in M, taken on one generator.
    double first[3], second[3];
    if (!sampler.at(aBox.from, cBox.from, first) || !sampler.at(aBox.to, cBox.from, second)) return 0;
    double z1, r1, z2, r2;
    heightAndRadius(m, axisPoint, first, &z1, &r1);
    heightAndRadius(m, axisPoint, second, &z2, &r2);
    if (std::abs(r1 - r2) < t && std::abs(z1 - z2) < t) return 0;

    // Start angle and sweep from the wider-swept end; no sweep over a wide box is a closed surface. An end
    // that is a point (a cone's apex) has no angles, only the rounding of its points about the axis, which
    // in a slanted view sweeps at random: it is measured only when neither end is a circle.
    double ai = 0, asw = 0;
    if (r1 > t || r2 <= t) sweepAtEnd(sampler, axisPoint, aBox.from, cBox.from, cBox.to, m, &ai, &asw);
    if (r2 > t) {
        double ai2 = 0, asw2 = 0;
        sweepAtEnd(sampler, axisPoint, aBox.to, cBox.from, cBox.to, m, &ai2, &asw2);
        if (r1 <= t || std::abs(asw2) > std::abs(asw)) ai = ai2, asw = asw2;
    }
    if (std::abs(asw) < 0.0001 && cBox.span() > 0.001) asw = kTwoPi;

    // The entity entry, while there is room.
    if (segment->entCount < kMaxCylEnts) {
        CYL_ENT& e = segment->ents[segment->entCount++];
        e.level = original.level;
        e.colour = static_cast<std::uint16_t>(original.color);
        e.id = static_cast<std::int32_t>(original.id);
        e.entry = entity;
    }

    // The higher end is the top; on equal heights the second end.
    segment->Ai = ai;
    segment->Asw = asw;
    if (z1 > z2) {
        segment->zSup = z1, segment->rSup = r1, segment->zInf = z2, segment->rInf = r2;
    } else {
        segment->zSup = z2, segment->rSup = r2, segment->zInf = z1, segment->rInf = r1;
    }
    const double top[3] = {axisPoint[0], axisPoint[1], segment->zSup};
    frameToWorld(m, top, segment->cUniv);

    // The toric arc in M.
    double arcInFrame[3] = {};
    if (kind == kSurfToric) {
        worldToFrame(m, arcCentre, arcInFrame);
        segment->rToric = arcRadius;
        segment->rCtoric = std::hypot(arcInFrame[0] - axisPoint[0], arcInFrame[1] - axisPoint[1]);
        segment->zToric = arcInFrame[2];
    }

    // M2: the host view the segment is filed under; its heights follow that view's axis.
    const int filedView = frames.filedView;
    const std::int16_t key = frames.key;
    const double(&m2)[3][3] = frames.m2;
    if (!frames.filedKnown) {
        segment->viewNumber = static_cast<std::uint16_t>(view);
        segment->viewIdn = 0;
        copyMatrix33(segment->matrix, m);
    } else {
        auto reexpress = [&](double z) {
            const double p[3] = {axisPoint[0], axisPoint[1], z};
            double q[3];
            transformZBetweenFrames(p, m, m2, q);
            return q[2];
        };
        segment->zSup = reexpress(segment->zSup);
        segment->zInf = reexpress(segment->zInf);
        if (kind == kSurfToric) segment->zToric = reexpress(segment->zToric);
        // The angles follow the frame too. Left in M while the segment carries M2, an open arc of a hole
        // drilled along -Z (M the bottom view, M2 the top view) came out mirrored, and the later stages
        // that probe beside the middle of the arc looked on the wrong side of the hole.
        const double startDir[3] = {std::cos(segment->Ai), std::sin(segment->Ai), 0};
        double world[3], inM2[3];
        frameToWorld(m, startDir, world);
        worldToFrame(m2, world, inM2);
        segment->Ai = std::atan2(inM2[1], inM2[0]);
        if (segment->Ai < 0) segment->Ai += kTwoPi;
        if (m[2][0] * m2[2][0] + m[2][1] * m2[2][1] + m[2][2] * m2[2][2] < 0) segment->Asw = -segment->Asw;
        if (segment->zSup < segment->zInf) {
            std::swap(segment->zSup, segment->zInf);
            std::swap(segment->rSup, segment->rInf);
            double c[3];
            worldToFrame(m2, segment->cUniv, c);
            c[2] = segment->zSup;
            frameToWorld(m2, c, segment->cUniv);
        }
        segment->viewNumber = static_cast<std::uint16_t>(filedView);
        segment->viewIdn = key;
        copyMatrix33(segment->matrix, m2);
    }

    segment->secAng = std::atan2(segment->rSup - segment->rInf, segment->zSup - segment->zInf);
    return 1;
}
