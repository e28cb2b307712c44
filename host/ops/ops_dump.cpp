// The text dumps of groups and operations for tests and hostcam, and the small set-up and query helpers
// of host/state_ops.h.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <sstream>

#include "host/internal.h"
#include "host/ops/op_store.h"
#include "host/state.h"

namespace host {
namespace {

using detail::number;

std::string triple(const double v[3]) { return number(v[0]) + "/" + number(v[1]) + "/" + number(v[2]); }
std::string point(const p_3d& p) { return "(" + number(p.x) + "," + number(p.y) + "," + number(p.z) + ")"; }

std::string matrix(const double m[3][3]) {
    std::string s;
    for (int i = 0; i < 3; ++i) s += (i ? ";" : "") + triple(m[i]);
    return s;
}

// The non-zero bytes of a block as "offset:hex" runs, so that a golden text shows every byte set.
std::string block(const std::uint8_t* b, std::size_t n) {
    std::string s;
    char buf[8];
    for (std::size_t i = 0; i < n; ++i) {
        if (b[i] == 0) continue;
        const bool joins = i > 0 && b[i - 1] != 0;
        if (!joins) s += (s.empty() ? "" : " ") + std::to_string(i) + ":";
        std::snprintf(buf, sizeof buf, "%02x", b[i]);
        s += buf;
    }
    return s.empty() ? "-" : s;
}

void dumpChains(std::ostringstream& o, const ops::StoredOp& s) {
    for (std::size_t i = 0; i < s.chains.size(); ++i) {
        const ops::ChainRec& c = s.chains[i];
        o << "  chain " << i + 1 << " closed=" << int(c.closed) << '\n';
        for (const ops::ChainEntRec& e : c.ents) {
            const std::uint32_t id = ops::chainEntityId(e);
            o << "    ";
            const ent& g = e.curve;
            switch (g.type) {
            case kEntPoint: o << "point " << id << ' ' << point(g.pt.pt); break;
            case kEntLine: o << "line " << id << ' ' << point(g.ln.ln.e1) << '-' << point(g.ln.ln.e2); break;
            case kEntArc:
                o << "arc " << id << " view=" << g.arc.view << " c=" << point(g.arc.c) << " r=" << number(g.arc.r)
                  << " sa=" << number(g.arc.sa) << " sw=" << number(g.arc.sw);
                break;
            default: o << "type " << g.type << ' ' << id; break;
            }
            o << (e.reversed ? " reversed" : "") << '\n';
        }
    }
}

// The geometry attached through associations (kind 2), in database order.
void dumpAttached(std::ostringstream& o, std::int32_t opId) {
    for (const ent& a : ops::attachedAssociations(opId)) {
        ent target{};
        const bool has = a.assoc.target && get_ent_from_eptr(a.assoc.target, &target);
        if (has && target.type == kEntSurface)
            o << "  surface " << a.assoc.targetId << " uv=" << number(a.assoc.u) << '/' << number(a.assoc.v);
        else
            o << "  point " << a.assoc.targetId << ' ' << point(a.assoc.pt);
        o << " limits=" << number(a.assoc.limits[0]) << '/' << number(a.assoc.limits[1]) << '\n';
    }
}

// Toolpath numbers to 4 decimals, trailing zeros cut: the last bits of a computed coordinate are noise.
std::string fixed(double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.4f", std::fabs(v) < 5e-5 ? 0.0 : v);
    std::string t = buf;
    while (t.back() == '0') t.pop_back();
    if (t.back() == '.') t.pop_back();
    return t;
}
std::string at(const double p[3]) { return "(" + fixed(p[0]) + "," + fixed(p[1]) + "," + fixed(p[2]) + ")"; }

void dumpToolpath(std::ostringstream& o, ops::StoredOp& s) {
    const ops::Toolpath* path = ops::currentToolpath(s);
    if (!path) return;
    o << "  toolpath points=" << path->points.size() << " moves=" << path->moves.size();
    if (!path->remark.empty()) o << ' ' << detail::quote(path->remark);
    o << '\n';
    std::size_t point = 0;
    for (std::size_t i = 0; i < path->moves.size(); ++i) {
        for (; point < path->points.size() && path->points[point].firstMove == i; ++point) {
            const ops::CyclePoint& c = path->points[point];
            o << "    hole " << point + 1 << " (" << fixed(c.x) << ',' << fixed(c.y) << ',' << fixed(c.z0)
              << ") clearance=" << fixed(c.clearance) << " retract=" << fixed(c.retract) << " top=" << fixed(c.top)
              << " bottom=" << fixed(c.bottom) << '\n';
        }
        const ops::PathMove& m = path->moves[i];
        o << "      ";
        switch (m.kind) {
        case ops::PathMove::kRapid: o << "rapid " << at(m.to); break;
        case ops::PathMove::kFeed: o << "feed " << at(m.to) << " f=" << fixed(m.value); break;
        case ops::PathMove::kArcCw:
        case ops::PathMove::kArcCcw:
            o << (m.kind == ops::PathMove::kArcCw ? "arc cw " : "arc ccw ") << at(m.to)
              << " centre=" << at(path->centres[m.centre].data()) << " f=" << fixed(m.value);
            break;
        case ops::PathMove::kDwell: o << "dwell " << fixed(m.value) << "s"; break;
        case ops::PathMove::kSpindleStop: o << "spindle stop"; break;
        case ops::PathMove::kSpindleReverse: o << "spindle reverse"; break;
        }
        o << '\n';
    }
}

void dumpOne(std::ostringstream& o, ops::StoredOp& s) {
    const operation& op = s.op;
    o << "op " << op.id << " code=" << int(op.code) << '/' << int(op.subCode) << " group=" << op.groupId << ' '
      << detail::quote(std::string(op.comment, strnlen(op.comment, sizeof op.comment))) << " selected=" << int(op.selected)
      << " keep=" << int(op.keep) << '\n';
    o << "  tool slot=" << op.toolSlot << " number=" << op.toolNumber << " type=" << op.toolType
      << " d=" << number(op.toolDiameter) << " r=" << number(op.toolCornerRadius) << " angle=" << number(op.toolAngle)
      << " pitch=" << number(op.toolPitch) << " spindle=" << op.toolSpindle << " feeds=" << triple(op.toolFeeds)
      << " offsets=" << op.lengthOffset << '/' << op.diameterOffset << ' '
      << detail::quote(std::string(op.toolName, strnlen(op.toolName, sizeof op.toolName))) << '\n';
    o << "  planes tool=" << int(op.toolPlaneOn) << ':' << op.toolPlaneView << ':' << matrix(op.toolPlaneMatrix)
      << " constr=" << int(op.constrPlaneOn) << ':' << op.constrPlaneView << ':' << matrix(op.constrPlaneMatrix)
      << " origin=" << triple(op.planeOrigin) << " wcs=" << int(op.wcsOn) << ':' << matrix(op.wcsMatrix) << ':'
      << triple(op.wcsOrigin) << " level=" << int(op.levelOriginOn) << ':' << op.originLevel << ':'
      << triple(op.levelOrigin) << '\n';
    o << "  heights clearance=" << int(op.clearanceOn) << ':' << number(op.clearance) << " retract=" << int(op.retractOn)
      << ':' << number(op.retract) << " top=" << int(op.topOfStockOn) << '/' << int(op.topOfStockIncremental) << ':'
      << number(op.topOfStock) << " depth=" << number(op.depth) << " firstHeight=" << int(op.firstHeight)
      << " atEnds=" << int(op.clearanceAtEnds) << '\n';
    o << "  cycle=" << op.cycle << " tip=" << int(op.tipOn) << ':' << number(op.tipValue) << " pecks=" << triple(op.pecks)
      << '/' << number(op.pecks[3]) << " extra=" << number(op.peckExtra[0]) << '/' << number(op.peckExtra[1])
      << " dwell=" << number(op.dwell) << " options=" << int(op.toolOptions[0]) << '/' << int(op.toolOptions[1])
      << " millOffset=" << number(op.millOffset) << " fiveAxis=" << op.fiveAxis[0] << ',' << op.fiveAxis[1] << ','
      << op.fiveAxis[2] << ',' << op.fiveAxis[3] << ',' << op.fiveAxis[4] << '\n';
    o << "  single=" << op.singlePointOn << ':' << op.singlePointCount << ':' << triple(op.singlePointCentre) << ':'
      << number(op.singlePointValues[0]) << '/' << number(op.singlePointValues[1]) << " counts=" << op.geomEntities << '/'
      << op.geomPoints << '/' << op.chainCount << '/' << op.chainCurves << " regenerated=" << op.regenCount
      << " nci=" << int(op.nciValid) << '\n';
    o << "  extra " << block(op.extra, sizeof op.extra) << '\n';
    o << "  compensation " << block(op.compensation, sizeof op.compensation) << '\n';
    o << "  depthCuts " << block(op.depthCuts, sizeof op.depthCuts) << '\n';
    o << "  radialPasses " << block(op.radialPasses, sizeof op.radialPasses) << '\n';
    o << "  leadInOut " << block(op.leadInOut, sizeof op.leadInOut) << '\n';
    o << "  kindBlock " << block(op.kindBlock, sizeof op.kindBlock) << '\n';
    dumpAttached(o, op.id);
    dumpChains(o, s);
    dumpToolpath(o, s);
}

}  // namespace

void setStock(const double size[3], const double origin[3], int anchor) {
    for (int k = 0; k < 3; ++k) {
        job_setup.stockSize[k] = size[k];
        job_setup.stockOrigin[k] = origin[k];
    }
    job_setup.anchor = static_cast<std::uint8_t>(anchor);
    if (op_group* g = GroupsMachineGroup(nullptr)) {
        for (int k = 0; k < 3; ++k) {
            g->machine.stock.size[k] = size[k];
            g->machine.stock.origin[k] = origin[k];
        }
        g->machine.stock.anchor = static_cast<std::int16_t>(anchor);
    }
}

std::string dumpGroups() {
    std::ostringstream o;
    const ops::GroupState& gs = ops::groupState();
    for (const auto& g : gs.list) {
        o << "group " << g->id << ' ' << detail::quote(g->name) << " parent=" << g->parentId
          << (g->id == gs.activeId ? " active" : "") << (g->isMachineGroup ? " machine" : "") << '\n';
        if (!g->isMachineGroup) continue;
        const machine_group& m = g->machine;
        o << "  machine post=" << detail::quote(m.postPath) << " material=" << detail::quote(m.materialName)
          << " feedMode=" << m.feedMode << " numbering=" << m.toolNumbering << " offsets=" << m.lengthOffsetBase << '/'
          << m.diameterOffsetBase << " spindle=" << number(m.defaultSpindle) << " feeds=" << triple(m.defaultFeeds)
          << " rapid=" << number(m.rapidRate) << " def=" << m.machineDefId << '\n';
        o << "  stock size=" << triple(m.stock.size) << " origin=" << triple(m.stock.origin)
          << " anchor=" << m.stock.anchor << " flags=" << m.stock.flags << " axes=" << matrix(m.stock.matrix) << '\n';
    }
    return o.str();
}

std::string dumpOperations() {
    std::ostringstream o;
    for (const auto& s : ops::opState().list) dumpOne(o, *s);
    return o.str();
}

std::string dumpOperation(std::int32_t id) {
    ops::StoredOp* s = ops::findOp(id);
    if (!s) return {};
    std::ostringstream o;
    dumpOne(o, *s);
    return o.str();
}

bool opManagerRefreshOn() { return ops::opState().refreshOn != 0; }
int opManagerRefreshCount() { return ops::opState().refreshCount; }

}  // namespace host
