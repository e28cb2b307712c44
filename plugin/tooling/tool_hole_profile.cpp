// The tool-versus-hole profile: outlines, collision test and the coarse-to-fine axial searches. The five
// search steps (S0 coarsest) and t come from the tolerances of the part's units.
#include "plugin/services/tooling.h"
#include "plugin/tooling/tool_hole_profile.h"

#include <cmath>
#include <memory>

#include "plugin/base/globals.h"
#include "plugin/model/tree.h"

namespace {

constexpr double kDeg = M_PI / 180.0;
constexpr int kSearchTests = 110;

double contactTolerance() { return g_tolerances.tol004T; }
double searchStep(int k) { return g_tolerances.toolSearchStep[k]; }

// Half the drill tip-angle setting; its default when the setting is not there or could not make a point.
double drillHalfAngle() {
    double angle = g_globals.constructed() ? g_globals->settings.defaultTipAngle : 0;
    if (!(angle > 10 && angle < 180)) angle = 118;
    return angle / 2 * kDeg;
}

PROFILE_SEGMENT shifted(const PROFILE_SEGMENT& s, double p) {
    PROFILE_SEGMENT moved = s;
    if (s.kind == 1) {
        moved.cz += p;
    } else {
        moved.z1 += p;
        moved.z2 += p;
    }
    return moved;
}

// The reference point the intersection is given: a line's first point, an arc's centre.
void referenceOf(const PROFILE_SEGMENT& s, double ref[2]) {
    ref[0] = s.kind == 1 ? s.cx : s.x1;
    ref[1] = s.kind == 1 ? s.cz : s.z1;
}

// The segment as a line between its ends.
PROFILE_SEGMENT asLine(const PROFILE_SEGMENT& s) {
    double a[2], b[2];
    segmentStart(s, a);
    segmentEnd(s, b);
    return profileLine(a[0], a[1], b[0], b[1]);
}

}  // namespace

std::unique_ptr<CToolHoleProfile> makeToolHoleProfile() { return std::make_unique<ToolHoleSection>(); }

int ToolHoleSection::clearHole() {
    holeCount = 0;
    return 0;
}

int ToolHoleSection::addHole(const PROFILE_SEGMENT& segment, double endDiameter, double endZ, bool keepLast) {
    if (holeCount >= kMaxSegments) return 1;
    hole[holeCount++] = segment;
    if (!keepLast) {
        lastDiameter = endDiameter;
        lastZ = endZ;
    }
    return 0;
}

int ToolHoleSection::addHoleLine(double d1, double z1, double d2, double z2) {
    return addHole(profileLine(d1 / 2, z1, d2 / 2, z2), d2, z2, false);
}

int ToolHoleSection::addHoleFlat(double d1, double d2, double z) {
    return addHole(profileLine(d1 / 2, z, d2 / 2, z), d2, z, false);
}

int ToolHoleSection::addHoleArc(double cx, double cz, double radius, double start, double sweep) {
    const PROFILE_SEGMENT arc = profileArc(cx, cz, radius, start, sweep);
    double end[2];
    segmentEnd(arc, end);
    return addHole(arc, 2 * end[0], end[1], false);
}

int ToolHoleSection::addHoleCylinder(double d, double z1, double z2) {
    return addHole(profileLine(d / 2, z1, d / 2, z2), d, z2, false);
}

int ToolHoleSection::addHoleToricArc(const CYL_LIST& s) {
    const double start = std::atan2(s.zSup - s.zToric, s.rSup - s.rCtoric);
    const double sweep = std::atan2(s.zInf - s.zToric, s.rInf - s.rCtoric) - start;
    return addHole(profileArc(s.rCtoric, s.zToric, s.rToric, start, sweep), 0, 0, true);
}

double ToolHoleSection::holeTopZ() const {
    double p[2] = {0, 0};
    if (holeCount > 0) segmentStart(hole[0], p);
    return p[1];
}

double ToolHoleSection::holeEndZ() const {
    double p[2] = {0, 0};
    if (holeCount > 0) segmentEnd(hole[holeCount - 1], p);
    return p[1];
}

int ToolHoleSection::buildTool(std::int16_t type, double d, double a, double r, double d2, double h) {
    toolCount = 0;
    // The tool's length comes from the hole: without a hole outline there is nothing to build it from.
    if (holeCount < 1) return 1;
    const double t = contactTolerance();
    double w = type == 17 ? M_PI / 2 : a;
    if (std::fabs(w) < 5 * kDeg) {
        switch (type) {
        case 1: case 2: case 9: case 12:
            w = 45 * kDeg;
            break;
        case 4: case 5: case 6: case 7: case 8: case 10: case 11: case 15: case 17: case 19:
            w = 90 * kDeg;
            break;
        default:
            w = drillHalfAngle();
            break;
        }
    }
    const double L = 2 * (std::fabs(holeEndZ() - holeTopZ()) + 12);
    toolLength = L;
    const double R = d / 2, Rp = d / 2 - t;
    auto line = [&](double x1, double z1, double x2, double z2) { tool[toolCount++] = profileLine(x1, z1, x2, z2); };
    switch (type) {
    case 1: case 2: case 9:
        line(R, L, R, R / std::tan(w));
        line(R, R / std::tan(w), 0, 0);
        break;
    case 4: case 5: case 6: case 7: case 8: case 10:
        line(Rp, L, Rp, 0);
        line(Rp, 0, 0, 0);
        break;
    case 11: case 19:
        line(Rp, L, Rp, r);
        tool[toolCount++] = profileArc(Rp - r, r, r, 0, -M_PI / 2);
        line(Rp - r, 0, 0, 0);
        break;
    case 12: {
        const double z = (R - d2 / 2) / std::tan(w);
        line(R, L, R, z);
        line(R, z, d2 / 2, 0);
        if (d2 / 2 > t) line(d2 / 2, 0, 0, 0);
        break;
    }
    case 15: {
        const double Ro = d / 2 + r - t;
        const double Rb = Ro - r / std::cos(3 * kDeg) - t;
        line(Ro, L, Ro, 0);
        const PROFILE_SEGMENT arc = profileArc(Ro, -r, r, M_PI / 2, 1.5184364492350662);
        tool[toolCount++] = arc;
        double end[2];
        segmentEnd(arc, end);
        line(end[0], end[1], Rb, -r);
        line(Rb, -r, 0, -r);
        break;
    }
    case 17: {
        const double Rt = R + h * std::tan(a);
        line(Rt, h + L, Rt, h);
        line(Rt, h, R, 0);
        line(R, 0, 0, 0);
        break;
    }
    default:
        line(Rp, L, Rp, 0);
        line(Rp, 0, 0, -Rp / std::tan(w));
        break;
    }
    return 0;
}

int ToolHoleSection::touchesHole(double p) const {
    const double t = contactTolerance();
    for (int i = 0; i < toolCount; ++i) {
        const PROFILE_SEGMENT moved = shifted(tool[i], p);
        for (int j = 0; j < holeCount; ++j) {
            double ref[2], at[2];
            referenceOf(hole[j], ref);
            if (intersectSegments(moved, hole[j], ref, t, at) > 0) return 1;
        }
    }
    return 0;
}

double ToolHoleSection::stepSearch(Want wanted, double start, double step) const {
    const int want = wanted == Want::Touch ? 1 : 0;
    double position = start;
    for (int k = 0; k < kSearchTests; ++k) {
        if (touchesHole(position) == want) return position;
        position += step;
    }
    return start + kSearchTests * step;
}

int ToolHoleSection::isAboveHole(double p) const {
    if (toolCount < 1 || holeCount < 1) return 0;
    double tip[2];
    segmentEnd(tool[toolCount - 1], tip);
    return tip[1] + p > holeTopZ() ? 1 : 0;
}

int ToolHoleSection::isBelowHole(double p) const {
    if (toolCount < 1 || holeCount < 1) return 0;
    double shank[2];
    segmentStart(tool[0], shank);
    return shank[1] + p < holeEndZ() ? 1 : 0;
}

double ToolHoleSection::refineUpwards(double q) const {
    // Climbing from the contact finds the first free place above it. Jumping clear of the hole first and
    // coming down again would stop where a tool barely narrower than the bore grazes the edge of its mouth
    // on the way in, and leave the tool at the top of the hole it should cut.
    const double climbed = stepSearch(Want::Free, q, searchStep(1));
    if (!touchesHole(climbed)) {
        q = stepSearch(Want::Touch, climbed, -searchStep(2));
        q = stepSearch(Want::Free, q, searchStep(3));
        q = stepSearch(Want::Touch, q, -searchStep(4));
        return stepSearch(Want::Free, q, searchStep(4));
    }
    q = stepSearch(Want::Free, q, searchStep(0));
    q = stepSearch(Want::Touch, q, -searchStep(1));
    q = stepSearch(Want::Free, q, searchStep(2));
    q = stepSearch(Want::Touch, q, -searchStep(3));
    return stepSearch(Want::Free, q, searchStep(4));
}

double ToolHoleSection::findFreePosition(double start) const {
    if (holeCount < 1 || isAboveHole(start)) return start;
    double q = start;
    if (isBelowHole(start)) {
        q = holeEndZ();
        if (!touchesHole(q)) q = stepSearch(Want::Touch, q, -1.0);
    }
    if (!touchesHole(q)) return q;
    return refineUpwards(q);
}

double ToolHoleSection::findLastFreePosition(std::uint8_t stopAtEnd) const {
    if (holeCount < 1) return 0;
    double q = holeEndZ();
    if (touchesHole(q)) return refineUpwards(q);
    if (stopAtEnd) return q;
    q = stepSearch(Want::Touch, q, -searchStep(0));
    q = stepSearch(Want::Free, q, searchStep(1));
    q = stepSearch(Want::Touch, q, -searchStep(2));
    q = stepSearch(Want::Free, q, searchStep(3));
    q = stepSearch(Want::Touch, q, -searchStep(4));
    return stepSearch(Want::Free, q, searchStep(4));
}

double ToolHoleSection::findContactPosition(double start) const {
    if (holeCount < 1) return start;
    double q = start;
    if (touchesHole(q)) q = stepSearch(Want::Free, q, 1.0) + 1.0;
    q = stepSearch(Want::Touch, q, -searchStep(1));
    q = stepSearch(Want::Free, q, searchStep(2));
    return stepSearch(Want::Touch, q, -searchStep(3));
}

int ToolHoleSection::intersectHole(double x1, double z1, double x2, double z2, double point[2],
                                    std::int16_t backwards) const {
    const PROFILE_SEGMENT probe = profileLine(x1, z1, x2, z2);
    for (int k = 0; k < holeCount; ++k) {
        const PROFILE_SEGMENT& s = hole[backwards ? holeCount - 1 - k : k];
        double ref[2], at[2];
        referenceOf(s, ref);
        if (intersectSegments(probe, s, ref, contactTolerance(), at) > 0) {
            point[0] = at[0];
            point[1] = at[1];
            return 1;
        }
    }
    return 0;
}

int ToolHoleSection::linesTouchHole(double p) const {
    for (int i = 0; i < toolCount; ++i) {
        const PROFILE_SEGMENT a = asLine(shifted(tool[i], p));
        for (int j = 0; j < holeCount; ++j) {
            const PROFILE_SEGMENT b = asLine(hole[j]);
            double ref[2] = {b.x1, b.z1}, at[2];
            if (intersectSegments(a, b, ref, 0, at) > 0) return 1;
        }
    }
    return 0;
}

int coneLinesIntersection(double d1, double h, double a1, double d2, double a2, double* d, double* z) {
    const double k = 2 * h / std::cos(a1);
    const double p1[2] = {d1 / 2, -h}, p2[2] = {d1 / 2 + k * std::sin(a1), -h + k * std::cos(a1)};
    const double q1[2] = {d2 / 2, 0}, q2[2] = {d2 / 2 - k * std::sin(a2), -k * std::cos(a2)};
    double at[2];
    if (std::isfinite(k) && intersectUnboundedLines(p1, p2, q1, q2, at)) {
        *d = 2 * at[0];
        *z = at[1];
        return 0;
    }
    *d = d1;
    *z = 0;
    return 1;
}
