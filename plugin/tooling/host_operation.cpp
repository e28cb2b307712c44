// The host operations of a run of one tool's points (see host_operation.h). Frames: the tool plane's origin
// is a world point; its Z in the view (zo) is what the clearance is measured against.
#include "plugin/tooling/host_operation.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <numbers>
#include <string>

#include "platform/ui/message_box.h"
#include "plugin/base/cycle_names.h"
#include "plugin/base/directions.h"
#include "plugin/base/entity_utils.h"
#include "plugin/base/globals.h"
#include "plugin/base/text_fill.h"
#include "plugin/base/utilities.h"
#include "plugin/model/host_blocks.h"
#include "plugin/model/ope_list.h"
#include "plugin/model/process_ope.h"
#include "plugin/model/tree.h"
#include "plugin/model/work_records.h"
#include "plugin/services/tooling.h"
#include "plugin/tooling/equal_holes.h"
#include "plugin/tooling/generation_terms.h"
#include "plugin/tooling/reports.h"
#include "plugin/tooling/tool_dialogs.h"

namespace {

namespace T = generation_terms;
using namespace process_ope;

constexpr int kDrillPointColour = 12;
constexpr int kMsgCaption = 1, kMsgTwinNotDrilled = 144;   // "ErrorMessages"
constexpr double kLeastTaper = 0.0008726646259971645;       // 0.05 degree
constexpr std::size_t kCommentLength = 119;

double rounded(double x) { return roundToStep(x, g_tolerances.tol004T); }

double distance(const double a[3], const double b[3]) {
    return std::sqrt((a[0] - b[0]) * (a[0] - b[0]) + (a[1] - b[1]) * (a[1] - b[1]) + (a[2] - b[2]) * (a[2] - b[2]));
}

// The Z of a world point in the view.
double viewZ(const VIEW_LIST& view, const double world[3]) {
    const double* z = view.matrix[2];
    return z[0] * world[0] + z[1] * world[1] + z[2] * world[2];
}

POINT_LIST* holeWithId(std::int32_t id) {
    for (VIEW_LIST* v = g_records->viewsTree; v; v = v->next)
        for (POINT_LIST* p = v->firstPoint; p; p = p->next)
            if (p->id == id) return p;
    return nullptr;
}

void storeDrillPoint(POINT_LIST& hole) {
    ent e{};
    e.type = kEntPoint;
    e.pt.pt = {hole.ptUniv[0], hole.ptUniv[1], hole.ptUniv[2]};
    db_ptr entry = 0;
    char ok = 0;
    const std::uint32_t id = store_ent(&e, &entry, 0, kDrillPointColour, g_globals->settings.formsLevel, main_attrib, &ok);
    if (!ok) return;
    hole.drillPointEntity = entry;
    hole.drillPointId = id;
}

// The tool plane of R's operations: a named view with the view's matrix and the origin wanted, found or
// made. The origin is the view's named view's, a group note's or a level point's.
struct PLANE {
    std::int32_t namedId = 0;
    double origin[3] = {};
    double zo = 0;
};

// The origin R's tool plane takes, `named` the view's named view (or null).
PLANE planeOrigin(const OPE_LIST& R, VIEW_LIST& view, const view_ent*& named) {
    named = nullptr;
    for (const view_ent& v : NamedViews) {
        const bool match = view.idn != 0 ? static_cast<std::int16_t>(v.id & 0xFFFF) == view.idn
                                         : v.number == view.viewNumber;
        if (match) {
            named = &v;
            break;
        }
    }
    PLANE plane;
    if (named) {
        plane.origin[0] = named->origin.x;
        plane.origin[1] = named->origin.y;
        plane.origin[2] = named->origin.z;
    }
    double at[3];
    if (findGroupNotes(&view, at) > 0) std::copy(at, at + 3, plane.origin);
    if (g_globals->settings.originFromLevelPoint == 1 && findLevelPoint(T::originLevel(R), at))
        std::copy(at, at + 3, plane.origin);
    plane.zo = viewZ(view, plane.origin);
    return plane;
}

PLANE planeFor(const OPE_LIST& R, VIEW_LIST& view) {
    const double tolerance = g_tolerances.tol004T;
    const view_ent* named = nullptr;
    PLANE plane = planeOrigin(R, view, named);
    const auto originOf = [](const view_ent& v) {
        return std::array<double, 3>{v.origin.x, v.origin.y, v.origin.z};
    };
    const double zero[3] = {};
    bool fits = named ? distance(originOf(*named).data(), plane.origin) < tolerance : distance(zero, plane.origin) < tolerance;
    if (!fits) {
        named = nullptr;
        for (const view_ent& v : NamedViews)
            if (compareViewMatrices(v.matrix, view.matrix, g_tolerances.axisAngle) &&
                distance(originOf(v).data(), plane.origin) < tolerance) {
                named = &v;
                break;
            }
        fits = named != nullptr;
    }
    if (!fits) {
        std::uint32_t highest = 0;
        std::string base = "Forantix";
        bool baseFound = false;
        for (const view_ent& v : NamedViews) {
            highest = std::max(highest, v.id);
            if (!baseFound && compareViewMatrices(v.matrix, view.matrix, g_tolerances.axisAngle)) {
                base = v.name;
                baseFound = true;
            }
        }
        view_ent made{};
        std::memcpy(made.matrix, view.matrix, sizeof made.matrix);
        made.origin = {plane.origin[0], plane.origin[1], plane.origin[2]};
        std::snprintf(made.name, sizeof made.name, "%s - TP origin %u", base.c_str(), static_cast<unsigned>(highest + 1));
        char ok = 0;
        named_view_manager(&made, 1, "", &ok);
        if (ok) plane.namedId = static_cast<std::int32_t>(made.id);
    } else if (named) {
        plane.namedId = static_cast<std::int32_t>(named->id);
    }
    plane.zo = viewZ(view, plane.origin);
    return plane;
}

// Why the diameter, the hole and the operation's name, joined by " - " (a part that is empty is left out
// with its separator).
std::string operationComment(const OPE_LIST& R) {
    std::string why;
    if (const int line = T::whyCode(R); line != 0) {
        CTextSection texts;
        (void)texts.load(g_globals->uiTextFile, "drillOperationWhy", false);
        why = texts.getText(line);
    }
    std::string text;
    for (const std::string& part : {why, R.point ? fieldText(R.point->description) : std::string(), fieldText(R.name)}) {
        if (part.empty()) continue;
        if (!text.empty()) text += " - ";
        text += part;
    }
    if (text.size() > kCommentLength) text.resize(kCommentLength);
    return text;
}

void takeTool(operation& op, const tp_tool& tool) {
    op.toolSlot = tool.slot;
    op.toolNumber = tool.number;
    op.toolType = tool.type;
    op.toolFlutes = tool.flutes;
    op.toolSpindle = tool.spindle;
    op.toolDiameter = tool.diameter;
    op.toolCornerRadius = tool.cornerRadius;
    op.toolAngle = tool.angle;
    op.toolPitch = tool.pitch;
    std::copy(std::begin(tool.feeds), std::end(tool.feeds), op.toolFeeds);
    op.lengthOffset = tool.offsetNumbers[0];
    op.diameterOffset = tool.offsetNumbers[1];
    std::memset(op.toolName, 0, sizeof op.toolName);
    std::memcpy(op.toolName, tool.name, std::min(sizeof op.toolName - 1, strnlen(tool.name, sizeof tool.name)));
}

// The milled kind's blocks of the definition into the operation.
void takeMilledBlocks(operation& op, const OPE_LIST& R, const PROCESS_OPE& def, std::int16_t kind, double clearance) {
    const BLOCK_PLACE block = kindBlockPlace(kind);
    std::memset(op.kindBlock, 0, sizeof op.kindBlock);
    std::memcpy(op.kindBlock, def.bytes + block.at, block.size);
    if (kind == kContour) {
        std::int16_t mode = 0;
        std::memcpy(&mode, op.kindBlock + host_places::contourMode, sizeof mode);
        if (mode == 2) op.depth = op.topOfStock;
    }
    if (kind == kThreadMill) {
        const double diameter = R.milledDiam, depth = op.depth;
        std::memcpy(op.kindBlock + host_places::threadDiameter, &diameter, sizeof diameter);
        std::memcpy(op.kindBlock + host_places::threadDepth, &depth, sizeof depth);
        op.kindBlock[host_places::threadInside] = 1;
        std::memcpy(op.kindBlock + host_places::threadClearance, &clearance, sizeof clearance);
    }
    std::memcpy(op.compensation, def.bytes + hostBlock6, kBlock6);
    std::memcpy(op.depthCuts, def.bytes + hostBlock64, kBlock64);
    std::memcpy(op.radialPasses, def.bytes + hostBlock40, kBlock40);
    std::memcpy(op.leadInOut, def.bytes + hostBlock168, kBlock168);
    op.millOffset = opeGet(def, hostValue);
    if (R.toolType == 17) op.depthCuts[0] = 1;
}

// The report entries of the run: each hole's point in the tool plane (plane matrix = the view's), linked in
// order.
std::vector<REPORT_POINT> reportPoints(std::vector<PTS_TL_SEQ>& run, const operation* op) {
    std::vector<REPORT_POINT> entries;
    for (std::size_t i = 0; i < run.size(); ++i) {
        REPORT_POINT e;
        POINT_LIST* hole = run[i].hole;
        double world[3] = {hole->ptUniv[0], hole->ptUniv[1], hole->ptUniv[2]};
        if (op) {
            for (int k = 0; k < 3; ++k) world[k] -= op->planeOrigin[k];
            mul_mat_vector(op->toolPlaneMatrix, world, e.point);
        } else {
            std::copy(world, world + 3, e.point);
        }
        e.hole = hole;
        e.operation = run[i].operation;
        e.depth = run[i].depth;
        e.next = i + 1 < run.size() ? static_cast<std::int32_t>(i + 1) : -1;
        entries.push_back(e);
    }
    return entries;
}

// Stores an association of the operation's and counts it as one more entity and point of its geometry.
bool storeAssociation(operation& record, ent& a) {
    db_ptr entry = 0;
    char ok = 0;
    store_ent_assoc(&a, &entry, main_level, main_attrib, &ok);
    if (!ok) return false;
    ++record.geomEntities;
    ++record.geomPoints;
    return true;
}

bool attachPoint(operation& record, const POINT_LIST& hole, std::uint8_t multiView, double depth) {
    ent point{};
    if (!hole.drillPointEntity || !get_ent_from_eptr(hole.drillPointEntity, &point)) return false;
    ent a{};
    a.type = kEntAssoc;
    a.assoc.kind = 2;
    a.assoc.opId = record.id;
    a.assoc.target = hole.drillPointEntity;
    a.assoc.pt = point.pt.pt;
    if (multiView) a.assoc.limits[0] = depth;
    return storeAssociation(record, a);
}

// The contour's circle at R's top, the wall's taper taken off its diameter, chained after the drill point.
bool attachContour(operation& record, const OPE_LIST& R, const POINT_LIST& hole) {
    ent point{};
    if (!hole.drillPointEntity || !get_ent_from_eptr(hole.drillPointEntity, &point)) return false;
    double d = R.milledDiam;
    if (T::taperHalfRad(R) > kLeastTaper) d = R.milledDiam - std::tan(T::taperHalfRad(R)) * 2 * (T::referenceZ(R) - T::topZ(R));
    ent arc{};
    arc.type = kEntArc;
    arc.arc.view = hole.view ? hole.view->viewNumber : 1;
    arc.arc.c = {hole.ptView[0], hole.ptView[1], T::topZ(R)};
    arc.arc.r = d / 2;
    arc.arc.sa = 0;
    arc.arc.sw = 2 * std::numbers::pi;
    db_ptr entry = 0;
    char ok = 0;
    store_ent(&arc, &entry, 0, kDrillPointColour, g_globals->settings.formsLevel, main_attrib, &ok);
    if (!ok) return false;
    CHAIN* chain = nullptr;
    CHAIN* list = nullptr;
    alloc_chain(&chain);
    append_chain_ent(chain, &point);
    append_chain_ent(chain, &arc);
    append_chain(&list, chain);
    const bool given = chain_manager(list, record.id, 1) == 1;
    if (given) {
        record.geomEntities += 2;
        record.chainCurves += 4;
        record.chainCount += 2;
    }
    free_chains(&list);
    return given;
}

// A square surface at the hole facing out of it and a line along its axis, made once per hole, the surface
// attached to the operation.
bool attachSurface(operation& record, POINT_LIST& hole) {
    const VIEW_LIST* view = hole.view;
    if (!view) return false;
    const std::int32_t level = g_globals->settings.formsLevel;
    if (!hole.surfaceEnt) {
        const double out[3] = {-view->matrix[2][0], -view->matrix[2][1], -view->matrix[2][2]};
        const double edge = g_globals->metric() ? 1.0 : 1.0 * 0.03937007874015748;
        hole.surfaceEnt = createSquareSurface(hole.ptUniv, out, edge, level, kDrillPointColour);
        const CYL_LIST* last = lastCyl(&hole);
        const double length = last && hole.firstCyl ? last->zInf - hole.firstCyl->zSup : 0;
        createLineEnt(hole.ptUniv, view->matrix[2], length, level, kDrillPointColour);
    }
    if (!hole.surfaceEnt) return false;
    ent a{};
    a.type = kEntAssoc;
    a.assoc.kind = 2;
    a.assoc.opId = record.id;
    a.assoc.target = hole.surfaceEnt;
    a.assoc.u = 0.5;
    a.assoc.v = 0.5;
    return storeAssociation(record, a);
}

}  // namespace

std::int16_t milledKindOf(const OPE_LIST& operation) {
    const OP_CYCLE_LIST& cycles = g_globals->cycleNames;
    if (operation.cycle >= static_cast<std::uint32_t>(cycles.count)) return 0;
    const OP_CYCLE_LIST::ENTRY& entry = cycles.entries[operation.cycle];
    return entry.milled ? static_cast<std::int16_t>(entry.number + 1) : 0;
}

std::uint8_t isOperationKindEnabled(std::int32_t t) {
    const PRM_SETTINGS& s = g_globals->settings;
    if (s.machiningExtent == 1 && t != 1 && t != 2) return 0;
    if (s.machiningExtent == 2 && t != 1 && t != 2 && t != 3) return 0;
    if (s.skipReaming != 0 && (t == 6 || t == 7)) return 0;
    if (s.skipTapping != 0 && (t == 4 || t == 5)) return 0;
    return 1;
}

void writeHostOperation(const operation& record) {
    TpPartOpList& ops = TpMainOpMgr().GetMainOpList();
    ops.UpdateAt(record.id, record);
    operation stored{};
    if (ops.DatabaseRetrieve(record.dbEntity, &stored)) ops.DatabaseUpdate(record.dbEntity, &record);
}

double toolPlaneZ(const OPE_LIST& R, VIEW_LIST& view) {
    const view_ent* named = nullptr;
    return planeOrigin(R, view, named).zo;
}

double clearancePlane(const OPE_LIST& R, double zo) {
    const PRM_SETTINGS& s = g_globals->settings;
    double clearance = s.initialHeight;
    if (clearance + zo < T::clearanceTop(R) + s.clearanceAddition) clearance = T::clearanceTop(R) + s.clearanceAddition - zo;
    return rounded(clearance);
}

std::int32_t createHostDrillOperation(OPE_LIST& R, operation& record, double depth, const tp_tool& tool,
                                      std::int16_t kind, std::int16_t millAsCycle, std::uint8_t multiView) {
    const PRM_SETTINGS& s = g_globals->settings;
    operation op{};
    op.code = multiView ? 28 : 2;
    if (millAsCycle == 0) {
        static constexpr std::uint8_t kMilledCodes[5] = {0, 18, 1, 106, 100};
        if (kind >= 1 && kind <= 4) op.code = kMilledCodes[kind];
    }
    op.cycle = static_cast<std::int16_t>(R.cycle);
    db_ptr entry = 0;
    char fail = 0;
    operation_manager(&op, 10, &entry, &fail);
    const std::string comment = operationComment(R);
    std::memset(op.comment, 0, sizeof op.comment);
    std::memcpy(op.comment, comment.data(), comment.size());
    op.groupId = R.groupId;
    const std::int32_t id = TpMainOpMgr().GetMainOpList().DatabaseAdd(&op);
    if (id == 0) return 0;

    takeTool(op, tool);
    VIEW_LIST* view = R.view ? R.view : (R.point ? R.point->view : nullptr);
    PLANE plane;
    if (view) plane = planeFor(R, *view);
    if (!multiView && view) {
        op.toolPlaneOn = 1;
        op.constrPlaneOn = 1;
        std::memcpy(op.toolPlaneMatrix, view->matrix, sizeof op.toolPlaneMatrix);
        std::memcpy(op.constrPlaneMatrix, view->matrix, sizeof op.constrPlaneMatrix);
        op.toolPlaneView = static_cast<std::int16_t>(plane.namedId);
        op.constrPlaneView = static_cast<std::int16_t>(plane.namedId);
    } else {
        op.toolPlaneOn = 0;
        op.constrPlaneOn = 0;
    }
    std::copy(plane.origin, plane.origin + 3, op.planeOrigin);
    op.wcsOn = 1;
    std::memcpy(op.wcsMatrix, WCS.matrix, sizeof op.wcsMatrix);
    op.wcsOrigin[0] = WCS.origin.x;
    op.wcsOrigin[1] = WCS.origin.y;
    op.wcsOrigin[2] = WCS.origin.z;
    if (s.originFromLevelPoint == 1) {
        op.levelOriginOn = 1;
        op.originLevel = T::originLevel(R);
        std::copy(plane.origin, plane.origin + 3, op.levelOrigin);
    }
    op.clearance = clearancePlane(R, plane.zo);
    op.clearanceOn = 1;
    op.retract = s.retractHeight;
    op.retractOn = 1;
    op.topOfStock = rounded(T::topZ(R) - T::referenceZ(R));
    op.topOfStockOn = 1;
    op.topOfStockIncremental = 1;
    op.toolOptions[0] = static_cast<std::uint8_t>(s.subprogramsOn);
    op.toolOptions[1] = static_cast<std::uint8_t>(s.subprogramsIncremental);
    op.clearanceAtEnds = view ? view->clearanceStartEnd : 0;
    if (std::fabs(T::referenceZ(R) - T::topZ(R)) > g_tolerances.tolT) op.clearanceAtEnds = 0;
    op.depth = depth;
    op.cycle = static_cast<std::int16_t>(kind != 0 && millAsCycle != 0 ? millAsCycle + 6 : R.cycle);

    switch (R.toolType) {
    case 0:
        op.clearance += T::zShift(R);
        op.topOfStock += T::zShift(R);
        op.tipOn = 0;
        break;
    case 3:
        op.tipOn = 1;
        op.tipValue = T::tipCompensated(R) ? T::tipLength(R) : 0;
        if (R.point) R.point->drilled = 1;
        break;
    case 11: op.clearance += R.cornerRadius; break;
    case 15: op.topOfStock = rounded(T::topZ(R) - T::referenceZ(R) + R.cornerRadius); break;
    default: op.tipOn = 0; break;
    }
    if (R.toolType >= 1 && R.toolType <= 9) {
        for (int i = 0; i < 4; ++i) op.pecks[i] = tool.diameter * tool.peckPercent[i] / 100;
        op.peckExtra[0] = tool.peckValues[0];
        if (R.toolType == 7) op.peckExtra[1] = tool.peckValues[1];
    }
    if (multiView) {
        const std::int16_t axes[5] = {2, 0, 1, 0, 0};
        std::copy(axes, axes + 5, op.fiveAxis);
        op.depth = 0;
    }
    if (kind != 0 && millAsCycle == 0 && R.processOpe) takeMilledBlocks(op, R, *R.processOpe, kind, op.clearance);
    if (kind != 0 && millAsCycle != 0 && R.processOpe)
        op.pecks[1] = R.processOpe->get<double>(circleMillBlock + host_places::secondPeckFromCircle);
    if (op.retract < op.depth) op.retract = op.depth;
    record = op;
    return id;
}

std::int32_t createSequenceHostOps(OPE_LIST& R, std::vector<PTS_TL_SEQ>& run, const tp_tool& tool,
                                   std::uint8_t multiView, std::vector<std::int32_t>* made) {
    if (!R.active || run.empty()) return 0;
    const PRM_SETTINGS& s = g_globals->settings;
    const std::int16_t kind = milledKindOf(R), mill = T::millAsCycle(R);
    // The reamed end of a hole split for reaming waits for the drill of its other half.
    if ((R.toolType == 6 || R.toolType == 7) && R.point && R.point->reamPart != 0) {
        const POINT_LIST* twin = holeWithId(R.point->reamPartnerId);
        if (twin && !twin->drilled) {
            plat::messageBox(nullptr, fillText(errorMessage(kMsgTwinNotDrilled), {fieldText(R.point->description)}),
                             errorMessage(kMsgCaption), plat::MB_OK);
            return 0;
        }
    }
    const std::uint8_t enabled = isOperationKindEnabled(static_cast<std::int32_t>(R.toolType));
    // The points come first, so that the drilling list finds them.
    if (enabled)
        for (PTS_TL_SEQ& p : run)
            if (p.hole && !p.hole->drillPointEntity) storeDrillPoint(*p.hole);
    const int n = static_cast<int>(run.size());
    if (s.drillingListOn != 0) {
        const std::vector<REPORT_POINT> entries = reportPoints(run, nullptr);
        const REPORT_TOOL summary{tool.type, tool.number, tool.diameter};
        g_drillingList->writeOperation(R, summary, entries, n, 0, enabled != 0);
    }
    if (!enabled) return 0;

    operation record{};
    std::int32_t last = createHostDrillOperation(R, record, run.front().depth, tool, kind, mill, multiView);
    if (last == 0) return 0;
    if (made) made->push_back(last);
    if (s.machiningTimeListOn == 1 && kind == 0) g_machiningTime->addOperation(record, reportPoints(run, &record), n, 0);
    writeHostOperation(record);

    const bool onePerHole = s.circleMillPerHole == 1 && kind == kCircleMill;
    for (std::size_t i = 0; i < run.size(); ++i) {
        POINT_LIST& hole = *run[i].hole;
        if (onePerHole) {
            if (i > 0) {
                operation blank{};
                blank.code = 18;
                blank.groupId = record.groupId;
                const std::int32_t id = TpMainOpMgr().GetMainOpList().DatabaseAdd(&blank);
                if (id == 0) break;
                record.id = id;
                record.dbEntity = blank.dbEntity;
                record.geomEntities = 0;
                record.geomPoints = 0;
                last = id;
                if (made) made->push_back(id);
            }
            record.singlePointOn = 1;
            record.singlePointCount = 1;
            std::copy(hole.ptUniv, hole.ptUniv + 3, record.singlePointCentre);
            double diameter = 0;
            std::memcpy(&diameter, record.kindBlock + op_circle_layout::circleDiameter, sizeof diameter);
            record.singlePointValues[0] = diameter;
            record.singlePointValues[1] = record.depth;
            writeHostOperation(record);
        }
        if (kind != kContour) {
            if (attachPoint(record, hole, multiView, run[i].depth)) writeHostOperation(record);
        } else if (attachContour(record, R, hole)) {
            writeHostOperation(record);
        }
        if (multiView && attachSurface(record, hole)) writeHostOperation(record);
    }
    return last;
}
