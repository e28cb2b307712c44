// The check a machinist makes of the processes Execute gave a part's holes, before any of them reaches a
// machine: every step of a hole is cut to its bottom by a tool of its diameter, no tool is wider than a
// step it enters, nothing goes deeper than the hole's bottom and what breaking through needs or below the
// part, a spot drill stays within its cone and the first step, every tool reaches what it must and a made
// one not much farther, and no operation works on a boss. Each fault is one remark naming the part, the
// hole, the step and the operation, e.g.
//   holes_plate: hole (65, 45, 12) of view 1 [Stepped S12-8-5]: step 3 (Ø5, Z 4 to 0) is cut to Z 4 only,
//   by op 2 (Drill Ø5, Z 12 to 4)
// The geometry is the part's own solid, not what recognition made of it, so a fault of recognition shows
// as a fault of the process it led to.
#pragma once
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <map>
#include <string>
#include <vector>

#include "host/api.h"
#include "host/geom/face_geom.h"
#include "plugin/base/globals.h"
#include "plugin/model/ope_list.h"
#include "plugin/model/tree.h"

namespace process_check {

// What the check knows of the part besides its tree.
struct PART {
    std::string name;                      // how the remarks name the part
    std::vector<host::SolidGeom> solids;   // its material, in part units
    std::vector<tp_tool> library;          // the tool library the run chose from
};

// The user's settings the check holds the processes to, in part units.
struct RULES {
    double tol = 0.025;                    // length tolerance
    bool breakthroughByRatio = false;      // breaking through: a ratio of the diameter or a length
    double breakthroughLength = 1, breakthroughRatio = 0;
    int lengthKind = 1;                    // a tool reaches with its 0 overall, 1 shoulder or 2 flute length
    double clearance = 1;                  // a made tool reaches past its need by this many diameters
    double window = 8;                     // a library tool is too long past the clearance and this many more
    double margin = 3;                     // and by this much more at most
    double fluteClearance = 1;             // flutes past the deepest cut by this many diameters, < 0 any
};

// The solids of the open part.
inline std::vector<host::SolidGeom> partSolids() {
    std::vector<host::SolidGeom> solids;
    db_ptr at = db_start();
    for (;;) {
        ent e{};
        char found = 0;
        get_ent(at, 1, kEntSolid, &e, &at, &found);
        if (!found) break;
        if (e.solid.geom) solids.push_back(*e.solid.geom);
    }
    return solids;
}

// The rules of the plug-in's settings as they stand.
inline RULES settingsRules() {
    const PRM_SETTINGS& s = g_globals->settings;
    RULES r;
    r.tol = g_tolerances.tolT;
    r.breakthroughByRatio = s.breakthroughMode != 0;
    r.breakthroughLength = s.breakthroughLength;
    r.breakthroughRatio = s.breakthroughRatio;
    r.lengthKind = s.toolLengthKind;
    r.clearance = s.minToolLengthFactor;
    r.window = s.maxToolLengthFactor;
    r.fluteClearance = s.checkFluteLength ? s.minFluteLengthFactor : -1;
    r.margin = g_globals->isMetric() ? 3.0 : 0.12;
    return r;
}

namespace detail {

using host::Vec3;

constexpr double kPi = 3.14159265358979323846;

inline Vec3 add(const Vec3& a, const Vec3& b, double k = 1) {
    return {a[0] + k * b[0], a[1] + k * b[1], a[2] + k * b[2]};
}
inline double dot(const Vec3& a, const Vec3& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
inline Vec3 row(const double m[3][3], int i) { return {m[i][0], m[i][1], m[i][2]}; }

// A length as a drawing gives it: `digits` decimals at most, no trailing zeros.
inline std::string num(double v, int digits) {
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", digits, std::fabs(v) < 0.5 * std::pow(10.0, -digits) ? 0.0 : v);
    std::string s = text;
    while (s.back() == '0') s.pop_back();
    if (s.back() == '.') s.pop_back();
    return s;
}

inline const char* typeName(std::uint32_t type) {
    switch (type) {
    case 0: return "Profile";
    case 1: return "Centre drill";
    case 2: return "Spot drill";
    case 3: return "Drill";
    case 4: return "Tap";
    case 5: return "Left tap";
    case 6: return "Reamer";
    case 7: return "Boring bar";
    case 8: return "Counterbore";
    case 9: return "Chamfer drill";
    case 10: return "Flat mill";
    case 11: return "Ball mill";
    case 12: return "Chamfer mill";
    case 15: return "Radius mill";
    case 17: return "Conical mill";
    case 19: return "Toroidal mill";
    default: return "Tool";
    }
}
inline bool isSpot(std::uint32_t type) { return type == 1 || type == 2; }
inline bool isTap(std::uint32_t type) { return type == 4 || type == 5; }
// Tools that cut a cone, whose width depends on how deep they go.
inline bool cutsCone(std::uint32_t type) { return type == 9 || type == 12 || type == 17; }

// The part's material: where a point lies and how far it reaches along a direction.
class MATERIAL {
public:
    explicit MATERIAL(const std::vector<host::SolidGeom>& solids) {
        for (const host::SolidGeom& solid : solids)
            for (const host::FaceGeom& face : solid.faces()) faces_.push_back({face, face.boundingBox()});
    }
    bool empty() const { return faces_.empty(); }

    // Inside when most of three skew rays from the point cross the boundary an odd number of times (a ray
    // that grazes an edge may count a crossing twice).
    bool inside(const Vec3& p) const {
        static const Vec3 kRays[3] = {{0.267261, 0.534522, 0.801784}, {-0.615457, 0.492366, 0.615457},
                                      {0.408248, -0.816497, 0.408248}};
        int odd = 0;
        for (const Vec3& d : kRays) odd += crossings(p, d) % 2;
        return odd >= 2;
    }
    // The walls of revolution about the line p + t d (d a unit vector) whose material lies outside them (a
    // hole's walls, not a boss's), as ranges [from, to] of t: cylinders and cones, and the spline faces some
    // systems write them as.
    std::vector<std::pair<double, double>> wallsAbout(const Vec3& p, const Vec3& d) const {
        std::vector<std::pair<double, double>> walls;
        for (const FACE& f : faces_) {
            const host::SurfaceKind kind = f.geom.kind();
            if (kind == host::SurfaceKind::Plane || kind == host::SurfaceKind::Sphere || !revolvesAbout(f.geom, p, d))
                continue;
            double least = 0, most = 0;
            if (f.geom.extentAlong(d, least, most)) walls.push_back({least - dot(p, d), most - dot(p, d)});
        }
        return walls;
    }

    // The highest and lowest point of the material along a direction.
    double highest(const Vec3& d) const { return extreme(d, 1); }
    double lowest(const Vec3& d) const { return -extreme(d, -1); }

private:
    struct FACE {
        host::FaceGeom geom;
        host::Box3 box;
    };
    int crossings(const Vec3& p, const Vec3& d) const {
        int n = 0;
        for (const FACE& f : faces_) {
            if (!rayMeetsBox(p, d, f.box)) continue;
            for (const host::FaceHit& hit : f.geom.intersectLine(p, d)) n += hit.lineParam > 1e-9;
        }
        return n;
    }
    // At points across the face, its normal lies in the plane of the line (the line's point within 0.025) and
    // points towards the line.
    static bool revolvesAbout(const host::FaceGeom& face, const Vec3& p, const Vec3& d) {
        const host::UvBox uv = face.uvRange();
        for (const double su : {0.1, 0.5, 0.9})
            for (const double sv : {0.1, 0.9}) {
                const double u = uv.uMin + su * (uv.uMax - uv.uMin), v = uv.vMin + sv * (uv.vMax - uv.vMin);
                const Vec3 at = face.eval(u, v);
                Vec3 n;
                if (!face.normalAt(u, v, n)) return false;
                const Vec3 radial = add(add(at, p, -1), d, -dot(add(at, p, -1), d));
                const double r = std::sqrt(dot(radial, radial));
                const Vec3 across{d[1] * radial[2] - d[2] * radial[1], d[2] * radial[0] - d[0] * radial[2],
                                  d[0] * radial[1] - d[1] * radial[0]};
                if (r < 1e-6 || std::fabs(dot(n, across)) > 0.025 || dot(n, radial) >= 0) return false;
            }
        return true;
    }
    static bool rayMeetsBox(const Vec3& p, const Vec3& d, const host::Box3& box) {
        double t0 = 0, t1 = std::numeric_limits<double>::max();
        for (int k = 0; k < 3; ++k) {
            const double lo = box.min[k] - 1e-6, hi = box.max[k] + 1e-6;
            if (std::fabs(d[k]) < 1e-12) {
                if (p[k] < lo || p[k] > hi) return false;
                continue;
            }
            double a = (lo - p[k]) / d[k], b = (hi - p[k]) / d[k];
            if (a > b) std::swap(a, b);
            t0 = std::max(t0, a);
            t1 = std::min(t1, b);
            if (t0 > t1) return false;
        }
        return true;
    }
    double extreme(const Vec3& d, double sign) const {
        double best = -std::numeric_limits<double>::max();
        for (const FACE& f : faces_)
            for (int corner = 0; corner < 8; ++corner) {
                const Vec3 c{corner & 1 ? f.box.max[0] : f.box.min[0], corner & 2 ? f.box.max[1] : f.box.min[1],
                             corner & 4 ? f.box.max[2] : f.box.min[2]};
                best = std::max(best, sign * dot(c, d));
            }
        return best;
    }
    std::vector<FACE> faces_;
};

// One step of a hole as a machinist reads it off the part: a coaxial segment, top above bottom (view z).
struct STEP {
    int number = 0;            // from 1, top down
    const CYL_LIST* seg = nullptr;
    double top = 0, bottom = 0, diameter = 0;   // the narrow end's diameter for a cone
    bool cylinder = false, rounded = false, tip = false, undercut = false;
    double threadDiameter = 0;  // a threaded step's nominal diameter
};

inline std::vector<STEP> stepsOf(const POINT_LIST& hole, double tol) {
    std::vector<STEP> steps;
    double narrowest = std::numeric_limits<double>::max();
    int n = 0;
    for (const CYL_LIST* c = hole.firstCyl; c; c = c->next) {
        STEP s;
        s.number = ++n;
        s.seg = c;
        s.top = c->zSup;
        s.bottom = c->zInf;
        s.diameter = 2 * std::min(c->rSup, c->rInf);
        s.cylinder = std::fabs(c->rSup - c->rInf) <= tol / 2;
        s.rounded = c->rToric > tol / 2;
        s.tip = !c->next && c->rInf <= tol / 2;
        s.undercut = s.diameter > narrowest + tol;   // wider than a step above: no tool from above cuts it
        s.threadDiameter = c->isTap ? c->threadDiam : 0;
        narrowest = std::min(narrowest, s.diameter);
        steps.push_back(s);
    }
    return steps;
}

// One operation moved to the hole it is checked on (a chain's operations hang on its first hole).
struct OP {
    int number = 0;            // from 1, in the hole's order
    const OPE_LIST* ope = nullptr;
    const tp_tool* tool = nullptr;   // null without a tool
    double top = 0, bottom = 0;      // zSup and zInf on this hole
    double width = 0;          // the diameter it cuts: the tool's, or the milled diameter
    double deepest = 0;        // where the tool's end goes, breaking through and drill tip included
    double allowance = 0;      // what breaking through needs past a through hole's bottom
};

class CHECKER {
public:
    CHECKER(const std::vector<tp_tool>& tools, const PART& part, const RULES& rules)
        : tools_(tools), part_(part), rules_(rules), material_(part.solids), digits_(rules.tol < 0.005 ? 4 : 3) {}

    std::vector<std::string> run(const VIEW_LIST* tree) {
        for (const VIEW_LIST* view = tree; view; view = view->next)
            for (const POINT_LIST* head = view->firstPoint; head; head = head->next) {
                if (head->chainMember || !head->opeList) continue;
                // A chain's equal holes mostly draw the same remarks: said once, with how many share them.
                const std::vector<std::string> first = checkHole(*view, *head, *head);
                const std::string headPrefix = prefix_;
                std::vector<int> shared(first.size(), 0);
                std::int64_t left = head->chainCount;
                for (const POINT_LIST* m = head->nextEqual; m && left > 0; m = m->nextEqual, --left)
                    for (const std::string& r : checkHole(*view, *head, *m)) {
                        const auto same = std::find(first.begin(), first.end(), r);
                        if (same != first.end()) ++shared[static_cast<std::size_t>(same - first.begin())];
                        else remarks_.push_back(prefix_ + r);
                    }
                for (std::size_t i = 0; i < first.size(); ++i)
                    remarks_.push_back(headPrefix + first[i] +
                                       (shared[i] ? " (also on " + std::to_string(shared[i]) + " equal holes)" : ""));
            }
        checkMadeTools();
        return remarks_;
    }

private:
    void remark(const std::string& text) { hole_.push_back(text); }
    std::string num(double v) const { return detail::num(v, digits_); }

    std::string describe(const OP& o) const {
        std::string s = "op " + std::to_string(o.number) + " (" + typeName(o.ope->toolType) + " Ø" + num(o.width);
        if (isSpot(o.ope->toolType) || cutsCone(o.ope->toolType)) s += " " + num(o.ope->angle * 180 / kPi) + "°";
        return s + ", Z " + num(o.top) + " to " + num(o.bottom) + ")";
    }
    std::string describe(const STEP& s) const {
        return "step " + std::to_string(s.number) + " (Ø" + num(s.diameter) + ", Z " + num(s.top) + " to " +
               num(s.bottom) + ")";
    }
    std::string toolText(const tp_tool& t) const { return "'" + std::string(t.name) + "'"; }
    double reach(const tp_tool& t) const {
        return rules_.lengthKind == 0 ? t.overallLength : rules_.lengthKind == 2 ? t.fluteLength : t.shoulderLength;
    }
    double breakthrough(double width) const {
        return rules_.breakthroughByRatio ? rules_.breakthroughRatio * width : rules_.breakthroughLength;
    }

    OP opOn(const OPE_LIST& o, int number, double shift) const {
        OP op;
        op.number = number;
        op.ope = &o;
        if (o.toolIndex >= 0 && static_cast<std::size_t>(o.toolIndex) < tools_.size())
            op.tool = &tools_[static_cast<std::size_t>(o.toolIndex)];
        op.top = o.zSup + shift;
        op.bottom = o.zInf + shift;
        op.width = o.milledDiam > rules_.tol ? o.milledDiam : op.tool ? op.tool->diameter : o.toolDiam;
        const double tipAngle = o.angle > 0.01 ? o.angle : 118 * kPi / 180;
        const double tip = o.toolType == 3 ? op.width / 2 / std::tan(tipAngle / 2) : 0;
        const bool pastBottom = o.toolType == 3 || o.toolType == 6 || o.toolType == 7 || isTap(o.toolType);
        const bool breaksThrough = pastBottom && o.through;
        op.deepest = op.bottom - tip - (breaksThrough ? o.brkthr : 0);
        op.allowance = tip + (breaksThrough ? breakthrough(op.width) : 0);
        return op;
    }

    // The remarks on one hole, without the hole's name (left in prefix_).
    std::vector<std::string> checkHole(const VIEW_LIST& view, const POINT_LIST& head, const POINT_LIST& hole) {
        hole_.clear();
        if (!hole.firstCyl || !head.firstCyl) return hole_;
        const double tol = rules_.tol;
        const Vec3 up = row(view.matrix, 2);
        const Vec3 top{hole.ptUniv[0], hole.ptUniv[1], hole.ptUniv[2]};
        prefix_ = part_.name + ": hole (" + num(top[0]) + ", " + num(top[1]) + ", " + num(top[2]) + ") of view " +
                  std::to_string(view.viewNumber) + " [" + fieldText(head.tableName) + " " + fieldText(head.rowName) +
                  "]: ";
        const double holeTop = hole.firstCyl->zSup;
        const double shift = holeTop - head.firstCyl->zSup;
        const std::vector<STEP> steps = stepsOf(hole, tol);
        std::vector<OP> ops;
        int number = 0;
        for (const OPE_LIST* o = head.opeList; o; o = o->next) ops.push_back(opOn(*o, ++number, shift));

        // Its process is the one it would have could it be reached; whether it is made is the user's answer.
        // So is a hole another part of the assembly fills (a pin pressed in), which has material inside its
        // wall as a boss has.
        if (hole.notAccessible) return hole_;
        if (!material_.empty() && isBoss(steps)) {
            remark("is a boss (material inside its wall), yet it has " + std::to_string(ops.size()) + " operations");
            return hole_;
        }

        double bottom = holeTop;
        for (const STEP& s : steps) bottom = std::min(bottom, s.bottom);
        const Vec3 below = add(top, up, bottom - holeTop - 4 * tol);
        const bool through = material_.empty() ? throughByDescription(head) : !material_.inside(below);
        const double partLow = material_.empty() ? bottom : material_.lowest(up);
        const double partTop = material_.empty() ? holeTop : std::max(holeTop, material_.highest(up));

        for (const STEP& s : steps) checkCut(s, steps, ops);
        for (const OP& o : ops) {
            checkWidth(o, steps);
            checkDepth(o, holeTop, bottom, through, partLow);
            if (isSpot(o.ope->toolType)) checkSpot(o, holeTop, steps);
            checkReach(o, holeTop, partTop);
        }
        return hole_;
    }

    // Material just inside the wall of any straight step: the hole is the outside of a boss.
    bool isBoss(const std::vector<STEP>& steps) const {
        for (const STEP& s : steps) {
            if (s.rounded || s.tip || s.diameter < 4 * rules_.tol) continue;
            const CYL_LIST& c = *s.seg;
            const double r = s.diameter / 2 - std::min(s.diameter / 8, 4 * rules_.tol);
            const double a = c.Ai + c.Asw / 2;
            const Vec3 axis = add(Vec3{c.cUniv[0], c.cUniv[1], c.cUniv[2]}, row(c.matrix, 2), (s.bottom - s.top) / 2);
            const Vec3 p = add(add(axis, row(c.matrix, 0), r * std::cos(a)), row(c.matrix, 1), r * std::sin(a));
            if (material_.inside(p)) return true;
        }
        return false;
    }

    static bool throughByDescription(const POINT_LIST& head) {
        return head.descCount > 0 && head.descs[head.descCount - 1].Through != 0;
    }

    // A straight step is cut to its bottom by an operation of its diameter, no wider.
    void checkCut(const STEP& s, const std::vector<STEP>& steps, const std::vector<OP>& ops) {
        if (s.undercut || s.rounded || s.tip) return;
        const double tol = rules_.tol, widest = s.diameter + tol / 2;
        if (!s.cylinder) {
            // A countersink or chamfer: a cone tool down to its narrow end.
            if (s.seg->rSup < s.seg->rInf || &s == &steps.back()) return;
            const OP* deepest = nullptr;
            for (const OP& o : ops)
                if (cutsCone(o.ope->toolType) && (!deepest || o.bottom < deepest->bottom)) deepest = &o;
            if (!deepest)
                remark(describe(s) + ", a cone, is cut by no cone tool");
            else if (deepest->bottom > s.bottom + tol)
                remark(describe(s) + ", a cone, is cut to Z " + num(deepest->bottom) + " only, by " +
                       describe(*deepest));
            return;
        }
        const double fits = s.diameter - std::max(tol, 0.01 * s.diameter);
        const OP* full = nullptr;      // the deepest operation of the step's diameter
        const OP* narrower = nullptr;  // else the widest that fits
        for (const OP& o : ops) {
            const std::uint32_t type = o.ope->toolType;
            if (isSpot(type) || isTap(type) || cutsCone(type) || o.width > widest) continue;
            if (o.width >= fits) {
                if (!full || o.bottom < full->bottom) full = &o;
            } else if (!narrower || o.width > narrower->width) {
                narrower = &o;
            }
        }
        if (!full)
            remark(describe(s) + " is cut by no operation of its diameter" +
                   (narrower ? " (the widest that fits is " + describe(*narrower) + ")" : std::string()));
        else if (full->bottom > s.bottom + tol)
            remark(describe(s) + " is cut to Z " + num(full->bottom) + " only, by " + describe(*full));
    }

    // No tool enters a step narrower than itself (a tap is held to the thread's diameter).
    void checkWidth(const OP& o, const std::vector<STEP>& steps) {
        const std::uint32_t type = o.ope->toolType;
        if (isSpot(type) || cutsCone(type)) return;
        for (const STEP& s : steps) {
            if (!s.cylinder || s.tip || s.rounded || s.top <= o.bottom + rules_.tol) continue;
            // A made tool is no wider than the step at all; a library tool by no more than a drawing rounds.
            const double over = o.tool && !o.ope->newTool ? rules_.tol / 2 : rules_.tol / 1000;
            const double allowed = (isTap(type) && s.threadDiameter > 0 ? s.threadDiameter : s.diameter) + over;
            if (o.width > allowed) {
                remark(describe(o) + " is wider than " + describe(s) +
                       (o.tool ? ", its tool " + toolText(*o.tool) : ""));
                return;
            }
        }
    }

    void checkDepth(const OP& o, double holeTop, double bottom, bool through, double partLow) {
        const double tol = rules_.tol;
        if (o.bottom >= holeTop - tol) {
            remark(describe(o) + " cuts nothing: it stays above the hole's top Z " + num(holeTop));
            return;
        }
        const double allowance = through ? o.allowance : 0;
        if (o.deepest < partLow - o.allowance - tol)
            remark(describe(o) + " goes to Z " + num(o.deepest) + ", below the part (its lowest Z " + num(partLow) +
                   ")");
        else if (o.deepest < bottom - allowance - tol)
            remark(describe(o) + " goes to Z " + num(o.deepest) + ", past the hole's bottom Z " + num(bottom) +
                   (through ? " by more than breaking through needs (" + num(allowance) + ")" : std::string()));
    }

    // A spot drill marks the hole: no deeper than its cone, never past the first straight step (a chamfer or
    // a rounded edge above it is no step of its own).
    void checkSpot(const OP& o, double holeTop, const std::vector<STEP>& steps) {
        const auto straight =
            std::find_if(steps.begin(), steps.end(), [](const STEP& s) { return s.cylinder && !s.rounded; });
        const STEP& first = straight != steps.end() ? *straight : steps.front();
        const double tol = rules_.tol;
        const double angle = o.ope->angle > 0.01 ? o.ope->angle : kPi / 2;
        const double cone = o.width / 2 / std::tan(angle / 2);
        const double depth = holeTop - o.bottom;
        if (depth > cone + tol) remark(describe(o) + " is " + num(depth) + " deep, past its cone (" + num(cone) + ")");
        if (o.bottom < first.bottom - tol) remark(describe(o) + " goes past the bottom of " + describe(first));
    }

    // A tool reaches from the hole's top down to where it goes.
    void checkReach(const OP& o, double holeTop, double partTop) {
        if (!o.tool) return;
        const tp_tool& t = *o.tool;
        const double has = reach(t), needs = holeTop - o.deepest;
        if (has < needs - rules_.tol)
            remark(describe(o) + ": its tool " + toolText(t) + " reaches " + num(has) + " where it needs " + num(needs) +
                   " (from Z " + num(holeTop) + " to " + num(o.deepest) + ")");
        if (!o.ope->newTool) return;
        MADE& made = made_[o.ope->toolIndex];
        made.cut = std::max(made.cut, needs);
        made.depth = std::max(made.depth, holeTop - o.bottom);
        const double most = partTop - o.deepest;
        if (made.uses == 0 || most > made.most) {
            made.most = most;
            made.from = partTop;
            made.to = o.deepest;
            made.width = o.width;
            made.where = prefix_ + describe(o);
        }
        ++made.uses;
    }

    // A made tool reaches no farther than its deepest use needs from the part's top there, and the set
    // clearance and margin more; and it is made only when the library has none of its kind that reaches so
    // far with flutes long enough for its deepest cut (the settings' clearances both), yet no longer than
    // the length window takes (the clearance and the window's width past the depth).
    void checkMadeTools() {
        for (const auto& [index, made] : made_) {
            const tp_tool& t = tools_[static_cast<std::size_t>(index)];
            const double has = reach(t), enough = made.most + rules_.clearance * made.width;
            const double tooLong = made.depth + (rules_.clearance + rules_.window) * made.width;
            const double clearance = rules_.clearance * made.width + rules_.margin;
            if (has > made.most + clearance + rules_.tol)
                remarks_.push_back(made.where + ": its made tool " + toolText(t) + " reaches " + num(has) + " where " +
                                   num(made.most) + " (from Z " + num(made.from) + " to " + num(made.to) + ") and " +
                                   num(clearance) + " of clearance would do");
            for (const tp_tool& l : part_.library) {
                const bool sameAngle = t.angle <= 0 || l.angle <= 0 || std::fabs(l.angle - t.angle) < 0.5;
                if (l.type == t.type && std::fabs(l.diameter - made.width) < rules_.tol / 10 && sameAngle &&
                    reach(l) >= enough + rules_.tol && reach(l) < tooLong - rules_.tol && fluted(l, made)) {
                    remarks_.push_back(made.where + ": its tool " + toolText(t) + " was made although the library's " +
                                       toolText(l) + " reaches " + num(reach(l)));
                    break;
                }
            }
        }
    }

    // The deepest use of a made tool.
    struct MADE {
        int uses = 0;
        double most = 0, from = 0, to = 0, width = 0;
        double cut = 0;     // the deepest cut from a hole's top
        double depth = 0;   // the deepest bottom below a hole's top
        std::string where;
    };
    // Flutes long enough for the tool's deepest cut, as the settings ask.
    bool fluted(const tp_tool& t, const MADE& made) const {
        return rules_.fluteClearance < 0 || t.fluteLength >= made.cut + rules_.fluteClearance * made.width + rules_.tol;
    }

    const std::vector<tp_tool>& tools_;
    const PART& part_;
    RULES rules_;
    MATERIAL material_;
    int digits_;                         // decimals of the lengths told: 3 in millimetres, 4 in inches
    std::string prefix_;
    std::vector<std::string> hole_;      // the remarks on the hole being checked
    std::map<std::int32_t, MADE> made_;  // by tool index
    std::vector<std::string> remarks_;
};

}  // namespace detail

// Every remark on the processes of the tree's holes (empty: a machinist would take them); `tools` is the
// tool array the operations' tool indexes point into.
inline std::vector<std::string> checkProcesses(const VIEW_LIST* tree, const std::vector<tp_tool>& tools,
                                               const PART& part, const RULES& rules) {
    return detail::CHECKER(tools, part, rules).run(tree);
}

// The remarks one a line, for a test's failure message.
inline std::string joined(const std::vector<std::string>& remarks) {
    std::string out;
    for (const std::string& r : remarks) out += "\n  " + r;
    return out;
}

}  // namespace process_check
