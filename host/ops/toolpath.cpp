// The host's regeneration: the moves of an operation from its record and geometry (points attached
// through associations, chains), as host/ops/toolpath.h describes them.
#include "host/ops/toolpath.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

#include "host/ops/op_store.h"

namespace host::ops {
namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kTiny = 1e-9;

template <class T>
T blockValue(const std::uint8_t* block, std::size_t at) {
    T value{};
    std::memcpy(&value, block + at, sizeof value);
    return value;
}

struct Frame {
    double m[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    double o[3] = {};

    void toPlane(const p_3d& world, double out[3]) const {
        const double d[3] = {world.x - o[0], world.y - o[1], world.z - o[2]};
        for (int i = 0; i < 3; ++i) out[i] = m[i][0] * d[0] + m[i][1] * d[1] + m[i][2] * d[2];
    }
};

Frame frameOf(const operation& op) {
    Frame f;
    if (!op.toolPlaneOn) return f;
    std::memcpy(f.m, op.toolPlaneMatrix, sizeof f.m);
    std::memcpy(f.o, op.planeOrigin, sizeof f.o);
    return f;
}

// The points attached to the operation (kind 2 associations to point entities), in the order they were
// attached: the database keeps that order.
std::vector<p_3d> attachedPoints(std::int32_t opId) {
    std::vector<p_3d> points;
    for (const ent& a : attachedAssociations(opId)) {
        ent target{};
        if (a.assoc.target && get_ent_from_eptr(a.assoc.target, &target) && target.type != kEntPoint) continue;
        points.push_back(a.assoc.pt);
    }
    return points;
}

class Builder {
public:
    Builder(const operation& op, Toolpath& path) : op_(op), path_(path) {
        feed_ = op.toolFeeds[0] > 0 ? op.toolFeeds[0] : op.toolFeeds[1];
        plunge_ = op.toolFeeds[1] > 0 ? op.toolFeeds[1] : feed_;
        retractFeed_ = op.toolFeeds[2] > 0 ? op.toolFeeds[2] : feed_;
    }

    void rapid(double x, double y, double z) { add(PathMove::kRapid, x, y, z, 0); }
    void rapidZ(double z) { rapid(at_[0], at_[1], z); }
    void feed(double x, double y, double z, double f) { add(PathMove::kFeed, x, y, z, f); }
    void feedZ(double z, double f) { feed(at_[0], at_[1], z, f); }
    void dwell(double seconds) {
        if (seconds <= 0) return;
        PathMove m = here(PathMove::kDwell);
        m.value = seconds;
        path_.moves.push_back(m);
    }
    void mark(PathMove::Kind kind) { path_.moves.push_back(here(kind)); }
    // An arc about (cx, cy) from where the tool is to (x, y, z): counter-clockwise when `ccw`.
    void arc(bool ccw, double cx, double cy, double x, double y, double z, double f) {
        PathMove m;
        m.kind = ccw ? PathMove::kArcCcw : PathMove::kArcCw;
        m.centre = static_cast<std::uint32_t>(path_.centres.size());
        path_.centres.push_back({cx, cy, at_[2]});
        set(m, x, y, z, f);
    }
    // How many steps of `step` go down (or up) `height`, whole steps rounded up, at least one; 0 when they
    // are more than a hole takes, the path then refused with the range of the value (`what`, e.g. "peck").
    // Counted at once, before a move is made, so that no value sets how long a loop runs.
    long steps(double height, double step, const char* what, const char* unit) {
        if (!why_.empty()) return 0;
        const double n = std::ceil(height / step - 1e-9);
        if (step > 0 && n <= kMostSteps) return std::max(1L, static_cast<long>(n));
        char text[320];
        if (!std::isfinite(height) || !std::isfinite(step))
            std::snprintf(text, sizeof text, "its %s %g or the height %g of hole %zu is not a number", what, step,
                          height, path_.points.size());
        else if (step <= 0)
            std::snprintf(text, sizeof text, "its %s %g is out of range: it is above 0, and over a height of %g at "
                          "hole %zu at least %g", what, step, height, path_.points.size(), height / kMostSteps);
        else
            std::snprintf(text, sizeof text,
                          "its %s %g is out of range: over a height of %g at hole %zu it makes more than the %d %s "
                          "a hole takes, so it is at least %g there",
                          what, step, height, path_.points.size(), kMostSteps, unit, height / kMostSteps);
        why_ = text;
        return 0;
    }
    // Why the path cannot be made, "" while it can.
    const std::string& refused() const { return why_; }

    // Whole turns about (cx, cy) at the tool's radius from it, falling (or rising) `pitch` per turn to z; one
    // level turn without a `what`. A pitch the user gave is taken as given: one not above 0 refuses the path.
    void turns(bool ccw, double cx, double cy, double z, double pitch, double f, const char* what = nullptr) {
        const double height = std::fabs(z - at_[2]);
        const long n = what ? steps(height, pitch, what, "turns") : 1;
        const double start = at_[2];
        const double x = at_[0], y = at_[1];
        // Each turn in two halves, so that no arc of the listing is a whole circle.
        const double ox = 2 * cx - x, oy = 2 * cy - y;
        for (long i = 1; i <= n; ++i) {
            const double zEnd = start + (z - start) * i / n;
            const double zHalf = start + (z - start) * (i - 0.5) / n;
            arc(ccw, cx, cy, ox, oy, zHalf, f);
            arc(ccw, cx, cy, x, y, zEnd, f);
        }
    }
    const double* at() const { return at_; }
    double feedRate() const { return feed_; }
    double plungeRate() const { return plunge_; }
    double retractRate() const { return retractFeed_; }

    void startPoint(CyclePoint& c) {
        c.firstMove = path_.moves.size();
        path_.points.push_back(c);
    }
    void endPoint() {
        CyclePoint& c = path_.points.back();
        c.moveCount = path_.moves.size() - c.firstMove;
    }

    // To (x, y) at the travel height: up first when the tool is below it, across, then down to `z`.
    void travelTo(double x, double y, double travel, double z, bool first) {
        if (first) {
            rapid(x, y, travel);
        } else {
            if (at_[2] < travel - kTiny) rapidZ(travel);
            rapid(x, y, std::max(at_[2], travel));
        }
        if (std::fabs(at_[2] - z) > kTiny) rapidZ(z);
    }

private:
    PathMove here(PathMove::Kind kind) const {
        PathMove m;
        m.kind = kind;
        std::memcpy(m.to, at_, sizeof m.to);
        return m;
    }
    void add(PathMove::Kind kind, double x, double y, double z, double f) {
        PathMove m;
        m.kind = kind;
        set(m, x, y, z, f);
    }
    void set(PathMove& m, double x, double y, double z, double f) {
        m.to[0] = x;
        m.to[1] = y;
        m.to[2] = z;
        m.value = f;
        at_[0] = x;
        at_[1] = y;
        at_[2] = z;
        path_.moves.push_back(m);
    }

    const operation& op_;
    Toolpath& path_;
    double at_[3] = {};
    double feed_ = 0, plunge_ = 0, retractFeed_ = 0;
    std::string why_;
};

// The planes of one point.
CyclePoint planesAt(const operation& op, const double p[3], bool withTip) {
    CyclePoint c;
    c.x = p[0];
    c.y = p[1];
    c.z0 = p[2];
    const bool inc = op.topOfStockIncremental != 0;
    c.top = op.topOfStockOn ? (inc ? c.z0 + op.topOfStock : op.topOfStock) : c.z0;
    c.retract = op.retractOn ? (inc ? c.z0 + op.retract : op.retract) : c.top;
    c.bottom = inc ? c.z0 + op.depth : op.depth;
    if (withTip && op.tipOn) c.bottom -= op.tipValue + toolTipLength(op);
    c.retract = std::max(c.retract, c.top);
    c.clearance = std::max(op.clearanceOn ? op.clearance : c.retract, c.retract);
    return c;
}

// The canned cycle's moves below the retract plane, ending back at it.
void cycleMoves(Builder& b, const operation& op, const CyclePoint& c) {
    const double eps = 1e-6;
    const double q1 = op.pecks[0], q2 = op.pecks[1] > eps ? op.pecks[1] : op.pecks[0];
    const double back = op.pecks[2], chip = op.pecks[3];
    const double f = b.feedRate();
    switch (op.cycle) {
    case 1:   // peck: out to the retract plane after each peck, back down to the peck clearance above it
    case 2: { // chip break: back by the chip-break retract after each peck
        double level = c.retract - q1;
        if (q1 <= eps || level <= c.bottom) {
            b.feedZ(c.bottom, f);
            break;
        }
        const double q = q2 > eps ? q2 : q1;
        const long most = b.steps(c.retract - c.bottom, q, "peck", "pecks");   // no fewer than the pecks
        for (long made = 0; made <= most && level > c.bottom + eps; ++made) {
            b.feedZ(level, f);
            if (op.cycle == 1) {
                b.rapidZ(c.retract);
                b.rapidZ(level + back);
            } else {
                b.rapidZ(level + chip);
            }
            level -= q;
        }
        b.feedZ(c.bottom, f);
        break;
    }
    default:
        b.feedZ(c.bottom, f);
        break;
    }
    b.dwell(op.dwell);
    switch (op.cycle) {
    case 3:   // tap: the spindle turns back and the tap feeds out
        b.mark(PathMove::kSpindleReverse);
        b.feedZ(c.retract, f);
        b.mark(PathMove::kSpindleReverse);
        break;
    case 4:   // bore, feed out
        b.feedZ(c.retract, b.retractRate());
        break;
    case 5:   // bore, spindle stop, rapid out
        b.mark(PathMove::kSpindleStop);
        b.rapidZ(c.retract);
        break;
    case 6: { // fine bore: shifted off the wall, out, back
        const double shift = op.peckExtra[0];
        b.mark(PathMove::kSpindleStop);
        if (shift > eps) b.rapid(c.x + shift, c.y, c.bottom);
        b.rapidZ(c.retract);
        if (shift > eps) b.rapid(c.x, c.y, c.retract);
        break;
    }
    default:
        if (op.cycle >= 7) b.feedZ(c.retract, b.retractRate());
        else b.rapidZ(c.retract);
        break;
    }
}

// Rapid to the clearance (or, between points with the clearance at the ends only, to the retract plane),
// the point's own moves, and back up.
template <class Moves>
void eachPoint(Builder& b, const operation& op, const std::vector<CyclePoint>& planes, Moves moves) {
    const bool atEnds = op.clearanceAtEnds != 0;
    for (std::size_t i = 0; i < planes.size() && b.refused().empty(); ++i) {
        CyclePoint c = planes[i];
        const bool first = i == 0, last = i + 1 == planes.size();
        b.startPoint(c);
        const double travel = first || !atEnds ? c.clearance : c.retract;
        b.travelTo(c.x, c.y, travel, c.retract, first);
        moves(c);
        if (last || !atEnds) b.rapidZ(c.clearance);
        b.endPoint();
    }
}

bool ccwOf(const operation& op) { return op.compensation[op_comp_layout::side] != 2; }

// The path radius of a circle of diameter `d` cut by the operation's tool inside it.
double insideRadius(const operation& op, double d) {
    return (d - op.toolDiameter) / 2 - op.millOffset;
}

// Down to `bottom` on a circle of radius r about the point: a helix when the pitch allows one, else a
// plunge at the centre and a line out; one whole turn at the bottom, back to the centre.
void circleDown(Builder& b, const CyclePoint& c, double r, double pitch, bool helix, bool ccw) {
    b.feedZ(c.top, b.plungeRate());
    if (r <= 1e-6) {
        b.feedZ(c.bottom, b.plungeRate());
        b.feedZ(c.retract, b.retractRate());
        return;
    }
    if (helix && pitch > 1e-6) {
        b.feed(c.x + r, c.y, c.top, b.feedRate());
        b.turns(ccw, c.x, c.y, c.bottom, pitch, b.feedRate(), "helix pitch");
    } else {
        b.feedZ(c.bottom, b.plungeRate());
        b.feed(c.x + r, c.y, c.bottom, b.feedRate());
    }
    b.turns(ccw, c.x, c.y, c.bottom, 0, b.feedRate());
    b.feed(c.x, c.y, c.bottom, b.feedRate());
    b.rapidZ(c.retract);
}

void circleMill(Builder& b, const operation& op, const std::vector<CyclePoint>& planes) {
    const std::uint8_t* k = op.kindBlock;
    const double diameter =
        op.singlePointOn ? op.singlePointValues[0] : blockValue<double>(k, op_circle_layout::circleDiameter);
    const double r = insideRadius(op, diameter);
    const double pitch = blockValue<double>(k, op_circle_layout::helixPitch);
    const bool helix = k[op_circle_layout::helixOn] != 0;
    eachPoint(b, op, planes, [&](const CyclePoint& c) { circleDown(b, c, r, pitch, helix, ccwOf(op)); });
}

void helixBore(Builder& b, const operation& op, const std::vector<CyclePoint>& planes) {
    const std::uint8_t* k = op.kindBlock;
    const double r = insideRadius(op, blockValue<double>(k, op_helix_layout::boreDiameter));
    const double rough = blockValue<double>(k, op_helix_layout::roughPitch);
    const double finish = blockValue<double>(k, op_helix_layout::finishPitch);
    const bool finishOn = k[op_helix_layout::finishOn] != 0;
    const bool ccw = ccwOf(op);
    eachPoint(b, op, planes, [&](const CyclePoint& c) {
        b.feedZ(c.top, b.plungeRate());
        if (r <= 1e-6) {
            b.feedZ(c.bottom, b.plungeRate());
        } else {
            b.feed(c.x + r, c.y, c.top, b.feedRate());
            b.turns(ccw, c.x, c.y, c.bottom, rough, b.feedRate(), "rough pitch");
            b.turns(ccw, c.x, c.y, c.bottom, 0, b.feedRate());
            if (finishOn)   // a finish pitch of 0, none given, climbs at the rough pitch
                b.turns(ccw, c.x, c.y, c.top, finish != 0 ? finish : rough, b.feedRate(), "finish pitch");
            b.feed(c.x, c.y, b.at()[2], b.feedRate());
        }
        b.rapidZ(c.retract);
    });
}

void threadMill(Builder& b, const operation& op, const std::vector<CyclePoint>& planes) {
    const std::uint8_t* k = op.kindBlock;
    const double major = blockValue<double>(k, op_thread_layout::threadDiameter);
    const double pitch = blockValue<double>(k, op_thread_layout::pitch);
    const bool internal = blockValue<std::int16_t>(k, op_thread_layout::side) == 0;
    const bool right = k[op_thread_layout::hand] == 0;
    const double r = internal ? (major - op.toolDiameter) / 2 : (major + op.toolDiameter) / 2;
    // Climb milling from the bottom up: a right-hand internal thread turns counter-clockwise.
    const bool ccw = internal == right;
    eachPoint(b, op, planes, [&](const CyclePoint& c) {
        b.feedZ(c.bottom, b.plungeRate());
        if (r > 1e-6) {
            b.feed(c.x + r, c.y, c.bottom, b.feedRate());
            b.turns(ccw, c.x, c.y, c.top, pitch, b.feedRate(), "thread pitch");
            b.feed(c.x, c.y, c.top, b.feedRate());
        }
        b.rapidZ(c.retract);
    });
}

// A contour of the chain's arcs about its first point: down in depth steps, the radius following the
// wall's taper; a chamfer (mode 2) at the chamfer tip's depth, the width further out.
void contour(Builder& b, const StoredOp& s, const Frame& f, Toolpath& path) {
    const operation& op = s.op;
    if (s.chains.empty() || s.chains.front().ents.empty()) {
        path.remark = "no chain";
        return;
    }
    std::vector<CyclePoint> planes;
    std::vector<double> radii;
    for (const ChainRec& chain : s.chains) {
        const ent& first = chain.ents.front().curve;
        const ent* arcEnt = nullptr;
        for (const ChainEntRec& e : chain.ents)
            if (e.curve.type == kEntArc) arcEnt = &e.curve;
        if (!arcEnt) continue;
        p_3d startWorld = first.pt.pt;
        double centreView[3] = {arcEnt->arc.c.x, arcEnt->arc.c.y, arcEnt->arc.c.z}, centreWorld[3];
        view_to_world_pt(centreView, arcEnt->arc.view, centreWorld);
        if (first.type != kEntPoint) startWorld = {centreWorld[0], centreWorld[1], centreWorld[2]};
        double p[3], c[3];
        f.toPlane(startWorld, p);
        f.toPlane({centreWorld[0], centreWorld[1], centreWorld[2]}, c);
        CyclePoint plane = planesAt(op, p, false);
        plane.x = c[0];
        plane.y = c[1];
        planes.push_back(plane);
        radii.push_back(arcEnt->arc.r);
    }
    const std::uint8_t* k = op.kindBlock;
    const std::uint8_t* cuts = op.depthCuts;
    const std::int16_t mode = blockValue<std::int16_t>(k, op_contour_layout::mode);
    const double step = cuts[op_depth_cuts_layout::on] ? blockValue<double>(cuts, op_depth_cuts_layout::maxRough) : 0;
    const double taper =
        cuts[op_depth_cuts_layout::taperOn] ? blockValue<double>(cuts, op_depth_cuts_layout::taperAngle) : 0;
    const bool ccw = ccwOf(op);
    std::size_t at = 0;
    eachPoint(b, op, planes, [&](const CyclePoint& c) {
        const double arcR = radii[at++];
        std::vector<std::pair<double, double>> levels;   // z, path radius
        if (mode == 2) {
            const double z = c.top - blockValue<double>(k, op_contour_layout::chamferTip);
            levels.emplace_back(z, arcR + blockValue<double>(k, op_contour_layout::chamferWidth) - op.toolDiameter / 2);
        } else {
            const double height = c.top - c.bottom;
            const long n = step > 1e-6 && height > step ? b.steps(height, step, "depth step", "depth cuts") : 1;
            for (long i = 1; i <= n; ++i) {
                const double z = c.top - height * i / n;
                levels.emplace_back(z, arcR - std::tan(taper) * (c.z0 - z) - op.toolDiameter / 2 - op.millOffset);
            }
        }
        b.feedZ(c.top, b.plungeRate());
        for (const auto& [z, r] : levels) {
            b.feed(c.x, c.y, z, b.plungeRate());
            if (r > 1e-6) {
                b.feed(c.x + r, c.y, z, b.feedRate());
                b.turns(ccw, c.x, c.y, z, 0, b.feedRate());
                b.feed(c.x, c.y, z, b.feedRate());
            }
        }
        b.rapidZ(c.retract);
    });
}

// A refused path holds no moves, only why.
void keepRefusal(const Builder& b, Toolpath& path) {
    if (b.refused().empty()) return;
    path.points.clear();
    path.moves.clear();
    path.centres.clear();
    path.remark = b.refused();
    path.refused = true;
}

}  // namespace

double toolTipLength(const operation& op) {
    const double angle = op.toolAngle;
    if (!(angle > 0 && angle < 180) || op.toolDiameter <= 0) return 0;
    return op.toolDiameter / 2 / std::tan(angle / 2 * kPi / 180);
}

Toolpath computeToolpath(const StoredOp& s) {
    const operation& op = s.op;
    Toolpath path;
    path.code = op.code;
    path.cycle = op.cycle;
    const Frame f = frameOf(op);
    std::memcpy(path.matrix, f.m, sizeof path.matrix);
    std::memcpy(path.origin, f.o, sizeof path.origin);
    Builder b(op, path);
    if (op.code == 1) {
        contour(b, s, f, path);
        keepRefusal(b, path);
        return path;
    }
    if (op.code == 28) {
        path.remark = "five-axis drilling";
        return path;
    }
    std::vector<CyclePoint> planes;
    const bool drill = op.code == 2;
    for (const p_3d& world : attachedPoints(op.id)) {
        double p[3];
        f.toPlane(world, p);
        planes.push_back(planesAt(op, p, drill));
    }
    if (op.singlePointOn && op.singlePointCount > 0 && planes.empty()) {
        double p[3];
        f.toPlane({op.singlePointCentre[0], op.singlePointCentre[1], op.singlePointCentre[2]}, p);
        planes.push_back(planesAt(op, p, drill));
    }
    if (planes.empty()) {
        path.remark = "no points";
        return path;
    }
    switch (op.code) {
    case 2: eachPoint(b, op, planes, [&](const CyclePoint& c) { cycleMoves(b, op, c); }); break;
    case 18:
    case 47: circleMill(b, op, planes); break;
    case 106: helixBore(b, op, planes); break;
    case 100: threadMill(b, op, planes); break;
    default: path.remark = "no path for code " + std::to_string(op.code); break;
    }
    keepRefusal(b, path);
    return path;
}

}  // namespace host::ops
