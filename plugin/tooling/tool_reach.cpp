// Each tool's reach held against the part's solids before its operations are made. Heights are Z values in
// the hole's view, as the host operation takes them (host_operation.cpp); the host's column runs down the
// hole's axis from its point, t = the point's Z minus a height. The part is the finished part: the room a
// tool sweeps must be air, but for what its process takes (the cone of a spot drill, centre drill,
// countersink, chamfer or cone mill at the mouth; a thread's depth; a drill's point under a flat floor).
#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <unordered_set>
#include <vector>

#include "host/api.h"
#include "host/api_reach.h"
#include "plugin/base/globals.h"
#include "plugin/base/tool_types.h"
#include "plugin/model/ope_list.h"
#include "plugin/model/tool_records.h"
#include "plugin/model/tree.h"
#include "plugin/services/tooling.h"
#include "plugin/tooling/equal_holes.h"
#include "plugin/tooling/generation_terms.h"
#include "plugin/tooling/host_operation.h"

namespace {

namespace T = generation_terms;

constexpr double kPi = 3.141592653589793;
constexpr double kDrillPointAngle = 118;   // degrees, for a drill whose record gives none
// The bore a tap or thread mill enters is the thread's minor diameter, at least this share of the major one
// for the threads the tables hold; the material between is what the process takes.
constexpr double kMinorShare = 0.8;

enum class REACH { mouth, drill, bore };

REACH reachOf(std::uint32_t toolType) {
    switch (toolType) {
    case 1: case 2: case 9: case 12: case 15: case 17: return REACH::mouth;
    case 3: return REACH::drill;
    default: return REACH::bore;
    }
}

// The mouth tools that end in a point: centre and spot drills, countersinks and chamfer mills.
bool pointedMouth(std::uint32_t toolType) { return toolType == 1 || toolType == 2 || toolType == 9 || toolType == 12; }

struct SOLIDS {
    reach_solids* solids = reach_solids_make();
    ~SOLIDS() { reach_solids_free(solids); }
};

// What a tool's columns meet at one hole position: its first hit, if any.
struct ASKER {
    SOLIDS part;
    std::map<const VIEW_LIST*, double> planeZ;   // a view's tool plane origin, looked up once

    double zoOf(const OPE_LIST& op, VIEW_LIST& view) {
        const auto [it, made] = planeZ.try_emplace(&view, 0.0);
        if (made) it->second = toolPlaneZ(op, view);
        return it->second;
    }

    // One column from Z `from` down to `to` (view heights of the hole at `hole`), with a point below of which
    // `taken` up to its tip is not held.
    bool ask(const POINT_LIST& hole, const VIEW_LIST& view, double from, double to, double radius, double point,
             column_hit& hit, double taken = 0) {
        if (!(from > to) || !(radius > 0)) return false;
        tool_column c;
        std::copy(hole.ptUniv, hole.ptUniv + 3, c.axisPt);
        for (int i = 0; i < 3; ++i) c.axisDir[i] = -view.matrix[2][i];
        const double z = hole.ptView[2];
        c.top = z - from;
        c.bottom = z - to;
        c.radius = radius;
        c.pointLength = point;
        c.pointTaken = taken;
        c.tolerance = 2 * g_tolerances.tolT + 0.01 * radius;
        return reach_first_material(part.solids, &c, &hit) == 1;
    }

    // The first material the operation's tool meets at the hole, from the clearance plane down.
    bool meets(const OPE_LIST& op, const tp_tool& tool, POINT_LIST& hole, column_hit& hit) {
        VIEW_LIST* view = op.view ? op.view : hole.view;
        if (!view) return false;
        const PRM_SETTINGS& s = g_globals->settings;
        const double zo = zoOf(op, *view);
        // The operation's heights are its own hole's; an equal hole takes them from its own point.
        const double shift = hole.ptView[2] - T::referenceZ(op);
        const double top = T::topZ(op) + shift;
        const double from = std::max({zo + clearancePlane(op, zo), hole.ptView[2] + s.retractHeight, top});
        double tip = hole.ptView[2] + operationDepth(op, tool, 0);
        const double radius = tool.diameter / 2;
        switch (reachOf(op.toolType)) {
        case REACH::mouth: {
            // A pointed one reaches down to its depth in its cone, which takes what lies below the mouth.
            const double half = pointedMouth(op.toolType) ? toolHalfAngleRad(tool.type, tool.angle) : 0;
            if (!(half > 0 && half < kPi / 2)) return ask(hole, *view, from, top, radius, 0, hit);
            const double point = radius / std::tan(half);
            if (tip + point <= top) return ask(hole, *view, from, top, radius, 0, hit);
            return ask(hole, *view, from, tip + point, radius, point, hit, std::min(point, top - tip));
        }
        case REACH::drill: {
            const double angle = tool.angle > 0 && tool.angle < 180 ? tool.angle : 0;
            tip -= (T::tipCompensated(op) ? T::tipLength(op) : 0) +
                   (angle > 0 ? radius / std::tan(angle / 2 * kPi / 180) : 0);
            const double point = radius / std::tan((angle > 0 ? angle : kDrillPointAngle) / 2 * kPi / 180);
            // Under a flat floor the point goes where the process lets it.
            if (op.flat != 0 && !T::tipCompensated(op)) return ask(hole, *view, from, tip + point, radius, 0, hit);
            return ask(hole, *view, from, tip + point, radius, point, hit);
        }
        case REACH::bore: break;
        }
        tip += op.toolType == 11 || op.toolType == 16 || op.toolType == 19 ? op.cornerRadius : 0;
        const bool thread = op.toolType == 4 || op.toolType == 5 || op.threadCode != 0 || milledKindOf(op) == 4;
        if (milledKindOf(op) == 0) return ask(hole, *view, from, tip, thread ? kMinorShare * radius : radius, 0, hit);
        // A milled hole: the tool plunges to the hole's top, then sweeps the hole's circle down to its depth.
        const double swept = (thread ? kMinorShare : 1.0) * std::max(op.milledDiam / 2, radius);
        return ask(hole, *view, from, top, radius, 0, hit) || ask(hole, *view, top, tip, swept, 0, hit);
    }
};

}  // namespace

std::vector<BLOCKED_HOLE> holesToolsRunInto(std::vector<FULL_TOOLS_SEQ>& sequence, bool onlyOn) {
    std::vector<BLOCKED_HOLE> blocked;
    std::unique_ptr<ASKER> asker;
    std::unordered_set<const POINT_LIST*> told;
    for (FULL_TOOLS_SEQ& entry : sequence) {
        if (!entry.tools) continue;
        for (OPE_LIST* op : entry.opes) {
            if (!op || !op->active || !op->point || op->toolIndex < 0 ||
                static_cast<std::size_t>(op->toolIndex) >= entry.tools->size())
                continue;
            const tp_tool& tool = (*entry.tools)[static_cast<std::size_t>(op->toolIndex)];
            forEachEqualHole(op->point, [&](POINT_LIST& hole) {
                if ((onlyOn && !hole.selected2) || told.count(&hole)) return;
                if (!asker) asker = std::make_unique<ASKER>();
                column_hit hit;
                if (!asker->meets(*op, tool, hole, hit)) return;
                told.insert(&hole);
                blocked.push_back({&hole, tool.diameter, hit.solid, hit.at});
            });
        }
    }
    return blocked;
}

void leaveOutBlockedHoles(std::vector<FULL_TOOLS_SEQ>& sequence) {
    for (const BLOCKED_HOLE& b : holesToolsRunInto(sequence, true)) {
        b.hole->selected = 0;
        b.hole->selected2 = 0;
    }
}
