// The interference section of a hole and the Z limits of its process definitions in three passes: from the
// associations, from the next operation's diameter, and clear of the hole's profile.
#include "plugin/engine/operation_zlimits.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <numbers>

#include "platform/ui/message_box.h"
#include "plugin/base/globals.h"
#include "plugin/base/utilities.h"
#include "plugin/engine/engine_state.h"
#include "plugin/engine/operation_values.h"
#include "plugin/base/text_fill.h"
#include "plugin/model/ope_list.h"
#include "plugin/model/process_ope.h"
#include "plugin/model/tab_cols_desc.h"
#include "plugin/model/tree.h"
#include "plugin/services/tooling.h"

namespace {

namespace C = process_calc;
namespace TT = tool_type;
using namespace process_ope;

constexpr int kMsgProfileFull = 69, kCaption = 1;
constexpr double kDeg = std::numbers::pi / 180;

double allowance() {
    const PRM_SETTINGS& s = g_globals->settings;
    return s.allowOversizeTools ? s.oversizeLimit : 0;
}
double defaultHalfAngle() { return g_globals->settings.defaultTipAngle / 2 * kDeg; }
// The diameter at the top of a descriptor's side.
double topDiameter(const CIL_DESC& c, double a) {
    return roundToTolerance(c.D) + a + 2 * c.L2 * std::tan(c.coneAngle);
}
// Where a descriptor's bottom radius ends (the arc's end), and where it starts.
void bottomArcEnd(const CIL_DESC& c, bool atStart, double* r, double* z) {
    const double radius = c.bottomRound;
    const double angle = c.bottomArcStart + (atStart ? 0 : c.bottomArcSweep);
    *r = c.bottomRoundCentreR + radius * std::cos(angle);
    *z = c.bottomRoundCentreZ + radius * std::sin(angle);
}

// Adds segments until the profile is full; then tells it once.
struct SECTION {
    CToolHoleProfile& p;
    bool full = false;
    bool ok(int result) {
        if (result != 0 && !full) {
            full = true;
            plat::messageBox(nullptr, fillText(errorMessage(kMsgProfileFull), {long{CToolHoleProfile::kMaxSegments}}), errorMessage(kCaption),
                             plat::MB_OK);
        }
        return !full;
    }
    // The outline goes on from where it ends down to a wall's top (diameter d, height z). Between two walls
    // of a hole there may be faces that are no surface of revolution (a hex socket between the cones of a
    // screw's drive, a cross hole): left open, the outline lets a tool that fits no wall below slip through
    // the gap, and every search sends it down into the air beneath the hole. The straight line is the
    // narrowest the stretch can be.
    bool joinTo(double d, double z) {
        const int n = p.holeSegmentCount();
        if (n == 0) return true;
        double end[2];
        segmentEnd(p.holeSegment(n - 1), end);
        if (end[1] - z <= g_tolerances.tol004T) return true;
        return ok(p.addHoleLine(2 * end[0], end[1], d, z));
    }
};

bool drawWall(SECTION& s, const CIL_DESC& c, double a) {
    const double zTop = c.zTop, zBottom = c.zBottom;
    const double Di = roundToTolerance(c.D) + a;
    double d = topDiameter(c, a) + a, z = zTop;
    if (c.topChamfer) {
        const double cd = c.chamferDiameter + a;
        const double slope = std::tan(c.chamferAngle) - std::tan(c.coneAngle);
        if (std::fabs(slope) > 1e-9) {
            const double dz = (cd - d) / 2 / slope;
            const double meetD = d - 2 * dz * std::tan(c.coneAngle), meetZ = zTop - dz;
            if (!s.joinTo(cd, zTop) || !s.ok(s.p.addHoleLine(cd, zTop, meetD, meetZ))) return false;
            d = meetD;
            z = meetZ;
        } else if (!s.joinTo(d, z)) {
            return false;
        }
    } else if (c.topRound) {
        const double start = c.topRoundStart, sweep = c.topRoundSweep;
        const double cr = c.topRoundTorus[1] + a / 2, cz = c.topRoundTorus[2];
        const double radius = c.topRoundTorus[0];
        if (!s.joinTo(2 * (cr + radius * std::cos(start)), cz + radius * std::sin(start))) return false;
        if (!s.ok(s.p.addHoleArc(cr, cz, radius, start, sweep))) return false;
        d = 2 * (cr + radius * std::cos(start + sweep));
        z = cz + radius * std::sin(start + sweep);
    } else if (!s.joinTo(d, z)) {
        return false;
    }
    if (c.bottomRound == 0) return s.ok(s.p.addHoleLine(d, z, Di, zBottom));
    double r = 0, rz = 0;
    bottomArcEnd(c, true, &r, &rz);
    if (!s.ok(s.p.addHoleLine(d, z, 2 * r, rz))) return false;
    return s.ok(s.p.addHoleArc(c.bottomRoundCentreR, c.bottomRoundCentreZ, c.bottomRound, c.bottomArcStart,
                               c.bottomArcSweep));
}

void logSection(const CToolHoleProfile& p) {
    std::FILE* log = g_engine->processLog;
    if (!log) return;
    std::fprintf(log, "Seccion taladro para interferencias\n");
    for (int k = 0; k < p.holeSegmentCount(); ++k) {
        const PROFILE_SEGMENT& g = p.holeSegment(k);
        double a[2], b[2];
        segmentStart(g, a);
        segmentEnd(g, b);
        if (g.kind == 0)
            std::fprintf(log, "    (%.3f %.3f) (%.3f %.3f)\n", a[0], a[1], b[0], b[1]);
        else
            std::fprintf(log, "    (%.3f %.3f) (%.3f %.3f) c(%.3f %.3f) r=%.3f sa=%.3f\xBA sw=%.3f\xBA\n", a[0], a[1],
                         b[0], b[1], g.cx, g.cz, g.radius, g.start / kDeg, g.sweep / kDeg);
    }
}

// The outline's side lies t inside the radius it is given and contact counts within t, so a silhouette of
// the hole's own diameter would touch the wall along its whole length and lift every bottom to the top of
// the hole. Silhouettes are built t narrower, as the tools' own depth fit builds them.
void buildSilhouette(CToolHoleProfile& p, std::uint32_t type, double diameter, double halfAngle, double corner,
                     double tipDiameter, double height) {
    const double t = g_tolerances.tol004T;
    p.buildTool(static_cast<std::int16_t>(type), diameter - t, halfAngle, corner,
                tipDiameter > t ? tipDiameter - t : tipDiameter, height);
}

// The silhouette of the first pass.
void firstPassTool(CToolHoleProfile& p, const PROCESS_OPE& d) {
    const std::uint32_t type = opeGet(d, operationType);
    const double profileR = opeGet(d, C::calcProfileRadius);
    const double corner = profileR > g_tolerances.tol004T ? profileR : opeGet(d, C::calcCornerRadius);
    if (type == TT::rightTap || type == TT::leftTap)
        buildSilhouette(p, type, roundToTolerance(opeGet(d, C::calcCylDiam)), 0, 0, 0, 0);
    else
        buildSilhouette(p, type, roundToTolerance(opeGet(d, C::calcToolDiam)), opeGet(d, C::calcHalfAngle), corner,
                        roundToTolerance(opeGet(d, C::calcCylDiam)), 0);
}

double topZ(const CTabColsDesc& t, const PROCESS_OPE& d) {
    double z = opeGet(d, zSup);
    if (opeGet(d, zSupAssoc) != 1) return z;
    const int cyl = opeGet(d, zSupCyl);
    const CIL_DESC& c = entryCil(t, cyl);
    z = opeGet(d, zSupZPl) == 0 ? c.zTop : c.zBottom;
    if (opeGet(d, operationType) == TT::conicalMill) {
        const CIL_DESC& owner = opeGet(d, zSupZPl) == 0 ? entryCil(t, cyl - 1) : c;
        if (owner.bottomRound > g_tolerances.tol04T) {
            double r = 0;
            bottomArcEnd(owner, false, &r, &z);
        }
    }
    return z;
}

void firstPass(const CTabColsDesc& t, CToolHoleProfile& p, PROCESS_OPE& d) {
    const PRM_SETTINGS& s = g_globals->settings;
    std::uint8_t flat = 1, through = 0, tip = 1;
    const double toolD = opeGet(d, C::calcToolDiam);
    opeSet(d, C::calcBrkthr, s.breakthroughMode ? s.breakthroughRatio * toolD : s.breakthroughLength);
    double zInfValue = opeGet(d, zInf);
    const int cyl = opeGet(d, zInfCyl);
    const CIL_DESC& c = entryCil(t, cyl);
    const bool last = cyl == static_cast<int>(t.cilEntries.size()) - 1;
    const double plane = opeGet(d, zInfZPl) == 0 ? c.zTop : c.zBottom;
    switch (opeGet(d, zInfAssoc)) {
    case 0:
        if (opeGet(d, lineInt19)) zInfValue += entryCil(t, 0).zTop;
        break;
    case 1:
        flat = c.Flat;
        through = c.Through;
        tip = c.TipTool;
        if (last && !through && opeGet(d, zInfZPl) == 1 && opeGet(d, operationType) != TT::userProfile) {
            firstPassTool(p, d);
            zInfValue = p.findLastFreePosition(0);
        } else {
            zInfValue = plane;
        }
        break;
    case 2:
        through = c.Through;
        firstPassTool(p, d);
        zInfValue = p.findLastFreePosition(0);
        break;
    // A depth below the operation's top that the second pass gives; its stored value is no height.
    case 3: zInfValue = opeGet(d, C::calcZSup); break;
    default: break;
    }
    opeSet(d, C::calcZInf, zInfValue);
    opeSet(d, C::bottomFlat, flat);
    opeSet(d, C::bottomThrough, through);
    opeSet(d, C::bottomTipTool, tip);
}

// The silhouette diameter of the third pass.
double clearanceDiameter(const CTabColsDesc& t, const PROCESS_OPE& d) {
    const std::uint32_t type = opeGet(d, operationType);
    double diameter = roundToTolerance(type == TT::rightTap || type == TT::leftTap ? opeGet(d, C::calcCylDiam) : opeGet(d, C::calcToolDiam));
    const CIL_DESC& tied = entryCil(t, tiedEntry(t, opeGet(d, cylDiamCyl), opeGet(d, cylDiamZPl)));
    switch (opeGet(d, milledKind)) {
    case 1: diameter = opeGet(d, cylDiamAssoc) ? tied.D : opeGet(d, cylDiam); break;
    case 2:
        diameter = tied.D;
        if (tied.bottomRound > g_tolerances.tol004T) {
            double r = 0, z = 0;
            bottomArcEnd(tied, true, &r, &z);
            diameter = 2 * r;
        }
        if (type == TT::edgeRadiusMill)
            diameter = 2 * (tied.topRoundTorus[1] - tied.topRoundTorus[0]);
        break;
    default: break;
    }
    return diameter;
}

// The hole's own end: the bottom of a through hole's last wall (breaking through is added to a tool that
// goes through), else the deepest point of its outline, the bottom of its tip or flat.
double holeEnd(const CTabColsDesc& t, const CToolHoleProfile& p) {
    if (t.cilEntries.empty()) return -std::numeric_limits<double>::max();
    const CIL_DESC& last = entryCil(t, static_cast<int>(t.cilEntries.size()) - 1);
    if (last.Through || p.holeSegmentCount() == 0) return last.zBottom;
    double end[2];
    segmentEnd(p.holeSegment(p.holeSegmentCount() - 1), end);
    return std::min(end[1], last.zBottom);
}

void thirdPass(const CTabColsDesc& t, CToolHoleProfile& p, PROCESS_OPE& d) {
    const std::uint32_t type = opeGet(d, operationType);
    // Whatever a definition asks (a depth typed into its table, an association to a wall the tool cannot
    // reach), no operation goes below the hole's own end: past it lies the part's material or air.
    double zInfValue = std::max(opeGet(d, C::calcZInf), holeEnd(t, p));
    double zSupValue = opeGet(d, C::calcZSup);
    if (type == TT::userProfile) {
        if (opeGet(d, bottomStockOn)) opeSet(d, C::calcZInf, zInfValue + opeGet(d, bottomStock));
        return;
    }
    {
        const double diameter = clearanceDiameter(t, d);
        double cutTop = zSupValue;
        if (type == TT::conicalMill) {
            const CIL_DESC& above = entryCil(t, opeGet(d, zSupCyl) - 1);
            if (above.bottomRound > g_tolerances.tol004T) {
                double r = 0;
                bottomArcEnd(above, false, &r, &cutTop);
            }
        }
        const double cutting = cutTop - zInfValue;
        opeSet(d, C::cuttingLength, cutting);
        const double profileR = opeGet(d, C::calcProfileRadius);
        const double corner = profileR > g_tolerances.tol004T ? profileR : opeGet(d, C::calcCornerRadius);
        const double tipD = opeGet(d, milledKind) ? diameter : roundToTolerance(opeGet(d, C::calcCylDiam));
        const double half = opeGet(d, C::calcHalfAngle);
        buildSilhouette(p, type, diameter, half, corner, tipD, cutting);
        const double free = p.findFreePosition(zInfValue);
        if (zInfValue < free - g_tolerances.tol02T) {
            zInfValue = free;
            opeSet<std::uint8_t>(d, C::bottomThrough, 0);
        }
        if (type == TT::conicalMill && std::tan(half) > 0) {
            const double w = 10 * g_tolerances.tol4T + 2 * g_globals->settings.maxDiameter;
            const double x = diameter / 2 - g_tolerances.tol004T;
            double points[2][2] = {{2 * (x + w), zInfValue + g_tolerances.tol004T + w / std::tan(half)},
                                   {0, zInfValue - x / std::tan(half)}};
            for (auto& point : points) {
                double met[2];
                if (p.intersectHole(x, zInfValue, point[0] / 2, point[1], met, 0)) {
                    point[0] = 2 * met[0];
                    point[1] = met[1];
                }
            }
            opeSet(d, C::profileD1, points[0][0]);
            opeSet(d, C::profileZ1, points[0][1]);
            opeSet(d, C::profileD2, points[1][0]);
            opeSet(d, C::profileZ2, points[1][1]);
        }
    }
    if (zSupValue < zInfValue) zSupValue = zInfValue;
    if (opeGet(d, bottomStockOn)) zInfValue += opeGet(d, bottomStock);
    opeSet(d, C::calcZSup, zSupValue);
    opeSet(d, C::calcZInf, zInfValue);
}

// The segment of the hole an operation starting at `top` enters first: the first that reaches below it;
// -1 when none does.
int segmentEntered(const CTabColsDesc& t, double top) {
    for (int i = 0; i < static_cast<int>(t.cilEntries.size()); ++i)
        if (entryCil(t, i).zBottom < top - g_tolerances.tolT) return i;
    return -1;
}

// A depth given as a share of the next operation's tool diameter. The last operation has none to take: a
// spot drill alone in a process marks the hole, so its share is of the diameter of the segment it enters
// (none below a top under the hole).
void depthByShare(const CTabColsDesc& t, int count, PROCESS_OPE* defs, int i) {
    PROCESS_OPE& d = defs[i];
    const double p = opeGet(d, lineValue20) / 100;
    if (p <= g_tolerances.tol04T) return;
    double base = 0;
    if (i + 1 < count) {
        base = opeGet(defs[i + 1], C::calcToolDiam);
    } else if (const int entered = segmentEntered(t, opeGet(d, C::calcZSup)); entered >= 0) {
        base = roundToTolerance(entryCil(t, entered).D);
    }
    opeSet(d, C::calcZInf, opeGet(d, C::calcZSup) - p * base);
}

// A spot or centre drill cuts with its cone only: deeper, its body would widen the hole's mouth. Nor does
// it go below the segment it starts in, which for a thin part is the part itself.
void boundSpotDepth(const CTabColsDesc& t, PROCESS_OPE& d) {
    const double top = opeGet(d, C::calcZSup);
    double bottom = opeGet(d, C::calcZInf);
    const double half = opeGet(d, C::calcHalfAngle);
    if (std::tan(half) > 0) {
        const double cone = roundToTolerance(opeGet(d, C::calcToolDiam)) / 2 / std::tan(half);
        bottom = std::max(bottom, top - cone);
    }
    if (const int entered = segmentEntered(t, top); entered >= 0)
        bottom = std::max(bottom, entryCil(t, entered).zBottom);
    opeSet(d, C::calcZInf, bottom);
}

void logPass(std::FILE* log, int i, const PROCESS_OPE& d) {
    if (log) std::fprintf(log, "    Op %i: %f", i + 1, opeGet(d, C::calcZInf));
}

void closingLog(const CTabColsDesc& t, int count, const PROCESS_OPE* defs) {
    std::FILE* log = g_engine->processLog;
    if (!log) return;
    for (int i = 0; i < count; ++i) {
        const PROCESS_OPE& d = defs[i];
        std::fprintf(log, "Op %i ToolDiam.zCyl %i\n", i + 1, opeGet(d, toolDiamCyl));
        std::fprintf(log, "    zSup: Assoc %i Col %i zPl %i Zsup %.2f\n", opeGet(d, zSupAssoc), opeGet(d, zSupCol),
                     opeGet(d, zSupZPl), opeGet(d, zSup));
        std::fprintf(log, "    zInf: Assoc %i Col %i zPl %i Zinf %.2f\n", opeGet(d, zInfAssoc), opeGet(d, zInfCol),
                     opeGet(d, zInfZPl), opeGet(d, zInf));
        if (!opeGet(d, milledKind)) continue;
        std::fprintf(log, "    specCycle %i Assoc %i:\n", opeGet(d, milledKind), opeGet(d, cylDiamAssoc));
        const double diameter =
            opeGet(d, cylDiamAssoc) ? entryCil(t, opeGet(d, cylDiamCyl) + opeGet(d, cylDiamZPl)).D : opeGet(d, cylDiam);
        std::fprintf(log, "        cylDiam %.4f\n", diameter);
    }
}

}  // namespace

int buildInterferenceSection(const CTabColsDesc& t, CToolHoleProfile& profile) {
    SECTION s{profile};
    profile.clearHole();
    const int n = static_cast<int>(t.cilEntries.size());
    if (n == 0) return 0;
    const double a = allowance(), T = g_tolerances.tolT;
    const CIL_DESC& first = entryCil(t, 0);
    double top = topDiameter(first, a);
    if (first.topChamfer) top = roundToTolerance(first.chamferDiameter);
    if (first.topRound) top = 2 * first.topRoundTorus[1];
    if (!s.ok(profile.addHoleFlat(10 * top, top, first.zTop))) return 1;
    for (int i = 0; i < n; ++i) {
        const CIL_DESC& c = entryCil(t, i);
        const bool last = i == n - 1;
        const double Di = roundToTolerance(c.D) + a, zBottom = c.zBottom;
        if (!drawWall(s, c, a)) break;
        double half = c.tipAngle / 2;
        if (half < 5 * kDeg) half = defaultHalfAngle();
        // The tip length counts only below a tip; a flat step that is not the last starts at the bottom.
        double tip = 0;
        if (c.TipTool) {
            double next = 0;
            if (!last) {
                next = topDiameter(entryCil(t, i + 1), 0);
                if (next > g_tolerances.tol4T) next += a;
            }
            tip = ((Di - next) / 2) / std::tan(half);
            if (!s.ok(profile.addHoleLine(Di, zBottom, next, zBottom - tip))) break;
        }
        if (c.Flat && !last) {
            const CIL_DESC& next = entryCil(t, i + 1);
            const double to =
                next.topChamfer ? next.chamferDiameter + a : topDiameter(next, a) + a;
            if (!s.ok(profile.addHoleFlat(Di, to, zBottom - tip))) break;
        }
        if (!last) continue;
        if (c.Flat) {
            const double w = c.flatInnerDiameter;
            if (!s.ok(profile.addHoleFlat(Di, w, zBottom - tip))) break;
            if (w > T && !s.ok(profile.addHoleLine(w, zBottom - tip, 0, zBottom - (w / 2) / std::tan(half)))) break;
        }
        if (c.Through) {
            const double exit = Di / 2 + (Di / 2) / std::tan(defaultHalfAngle());
            if (!s.ok(profile.addHoleLine(Di, zBottom, Di, zBottom - exit))) break;
        }
    }
    logSection(profile);
    return s.full ? 1 : 0;
}

void setProcessZLimits(const CTabColsDesc& t, int count, PROCESS_OPE* defs, POINT_LIST&) {
    const PRM_SETTINGS& s = g_globals->settings;
    std::FILE* log = g_engine->processLog;
    const auto section = makeToolHoleProfile();
    CToolHoleProfile& profile = *section;
    buildInterferenceSection(t, profile);
    for (int i = 0; i < count; ++i) opeSet(defs[i], C::calcZSup, topZ(t, defs[i]));
    if (log) std::fprintf(log, "Z inf 1a pasada: ");
    for (int i = 0; i < count; ++i) {
        firstPass(t, profile, defs[i]);
        logPass(log, i, defs[i]);
    }
    if (log) std::fprintf(log, "\nZ inf 2a pasada: ");
    for (int i = 0; i < count; ++i)
        if (opeGet(defs[i], zInfAssoc) == 3) depthByShare(t, count, defs, i);
    for (int i = 0; i < count; ++i) {
        PROCESS_OPE& d = defs[i];
        const std::uint32_t type = opeGet(d, operationType);
        if (type != TT::centreDrill && type != TT::spotDrill) {
            logPass(log, i, d);
            continue;
        }
        if (s.overrideSpotDrill) opeSet(d, C::calcZInf, opeGet(d, C::calcZSup) - std::fabs(s.spotDepthValue));
        boundSpotDepth(t, d);
        logPass(log, i, d);
    }
    if (log) std::fprintf(log, "\nZ inf evitando tocar perfil: ");
    for (int i = 0; i < count; ++i) {
        if (opeGet(defs[i], disabled)) continue;
        thirdPass(t, profile, defs[i]);
        logPass(log, i, defs[i]);
    }
    if (log) std::fprintf(log, "\n");
    closingLog(t, count, defs);
}
