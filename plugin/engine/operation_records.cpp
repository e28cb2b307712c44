// Operation records from computed process definitions, and the list moves of a hole's records.
#include "plugin/engine/operation_records.h"

#include <cmath>
#include <cstdio>
#include <numbers>

#include "plugin/base/globals.h"
#include "plugin/engine/engine_state.h"
#include "plugin/engine/operation_comments.h"
#include "plugin/model/ope_list.h"
#include "plugin/engine/operation_values.h"
#include "plugin/model/process_ope.h"
#include "plugin/model/tree.h"

namespace {

namespace C = process_calc;
namespace TT = tool_type;
using namespace process_ope;

constexpr double kBoringBarAngle = 0.03490658503988658;   // 2 degrees
constexpr double kDeg = std::numbers::pi / 180;

double tapThreadDepth(const POINT_LIST& hole, const PROCESS_OPE& d, const OPE_LIST& op) {
    const CIL_DESC& thread = holeCil(hole, opeGet(d, toolDiamCyl));
    double depth = thread.threadDepth;
    if (thread.threadKind != 2) return depth;
    const PRM_SETTINGS& s = g_globals->settings;
    if (op.through) {
        if (s.throughTapAddOn) depth += s.throughTapAddByPitch ? op.pitch * s.throughTapAddPercent / 100 : s.throughTapAddLength;
    } else if (s.blindTapAddOn) {
        depth += s.blindTapAddByPitch ? op.pitch * s.blindTapAddPercent / 100 : s.blindTapAddLength;
    }
    return depth;
}

// The fields of the type table.
void fillByType(OPE_LIST& op, const PROCESS_OPE& d, const POINT_LIST& hole) {
    const std::uint32_t type = opeGet(d, operationType);
    const double halfAngle = opeGet(d, C::calcHalfAngle);
    switch (type) {
    case 13: case 14: case 16: case 18: return;
    default: break;
    }
    // Also on a hole that cannot be reached from its side: whether it is made is the user's answer when
    // the operations are created.
    op.active = 1;
    op.toolType = type;
    op.cycle = opeGet(d, cycle);
    op.view = hole.view;
    op.toolDiam = opeGet(d, C::calcToolDiam);
    op.zSup = opeGet(d, C::calcZSup);
    op.zInf = opeGet(d, C::calcZInf);
    op.through = 0;
    op.flat = 1;
    const auto fromDefinition = [&] {
        op.through = opeGet(d, C::bottomThrough);
        op.flat = opeGet(d, C::bottomFlat);
        op.brkthr = opeGet(d, C::calcBrkthr);
    };
    const auto chamfer = [&] {
        op.toolDiam2 = op.toolDiam;
        op.angleDeg = 2 * halfAngle / kDeg;
        op.angle = 2 * halfAngle;
    };
    switch (type) {
    case TT::userProfile: op.toolLength = opeGet(d, C::calcToolLength); break;
    case TT::centreDrill:
    case TT::spotDrill:
        op.flat = 0;
        op.angle = 2 * halfAngle;
        break;
    case TT::drill:
        fromDefinition();
        op.drillMode = opeGet(d, C::diamSource);
        op.tipTool = opeGet(d, C::bottomTipTool);
        op.angle = 2 * halfAngle;
        break;
    case TT::rightTap:
    case TT::leftTap:
        fromDefinition();
        op.pitch = opeGet(d, C::calcPitch);
        op.threadDepth = tapThreadDepth(hole, d, op);
        op.threadCode = static_cast<std::uint16_t>(holeCil(hole, opeGet(d, toolDiamCyl)).threadCode);
        op.tableValue = opeGet(d, C::calcThreadValue);
        break;
    case TT::reamer:
    case TT::boringBar:
        fromDefinition();
        op.tableValue = opeGet(d, C::calcFitValue);
        if (type == TT::boringBar) op.angle = kBoringBarAngle;
        break;
    case TT::chamferDrill:
        chamfer();
        op.tipDiam = 0;
        break;
    case TT::chamferMill:
        chamfer();
        op.tipDiam = opeGet(d, C::calcCylDiam);
        break;
    case TT::ballMill:
    case TT::toroidalMill: op.cornerRadius = opeGet(d, C::calcCornerRadius); break;
    case TT::edgeRadiusMill:
        op.cornerRadius = opeGet(d, C::calcProfileRadius);
        if (opeGet(d, milledKind) != 1 && opeGet(d, milledKind) != 2) {
            op.zSup -= op.cornerRadius;
            op.zInf -= op.cornerRadius;
        }
        break;
    case TT::conicalMill:
        op.angleDeg = 2 * halfAngle / kDeg;
        op.angle = 2 * halfAngle;
        op.profile[0] = opeGet(d, C::cuttingLength);
        op.profile[1] = opeGet(d, C::profileD1);
        op.profile[2] = opeGet(d, C::profileZ1);
        op.profile[3] = opeGet(d, C::profileD2);
        op.profile[4] = opeGet(d, C::profileZ2);
        break;
    default: break;   // counterbore drill and flat mill: the common fields only
    }
}

// A new record from one definition: the fields of its step 3.3.
OPE_LIST* recordOf(const PROCESS_OPE& d, POINT_LIST& hole, double holeTopZ) {
    OPE_LIST* op = allocOpeList();
    op->point = &hole;
    op->holeTopZ = holeTopZ;
    setFieldText(op->name, opeText(d, opName));
    op->processOpe = std::make_shared<PROCESS_OPE>(d);
    if (opeGet(d, toolDiamAssoc) == 2) setFieldText(op->toolName, opeText(d, toolName));
    if (opeGet(d, lineInt45)) setFieldText(op->altToolName, opeText(d, lineText46));
    if (opeGet(d, lineInt43)) op->altToolNumber = static_cast<std::uint16_t>(opeGet(d, lineInt44));
    const int kind = opeGet(d, milledKind);
    if (kind != 0)
        op->milledDiam = opeGet(d, cylDiamAssoc) ? holeCil(hole, opeGet(d, cylDiamCyl)).D : opeGet(d, cylDiam);
    const int tied = kind >= 1 && kind <= 4 ? tiedIndex(hole, opeGet(d, cylDiamCyl), opeGet(d, cylDiamZPl))
                                            : tiedIndex(hole, opeGet(d, zSupCyl), opeGet(d, zSupZPl));
    const CIL_DESC& c = holeCil(hole, tied);
    op->coneAngle = c.coneAngle;
    op->chamferDiam = c.chamferDiameter;
    op->chamferZ = c.chamferZ;
    op->btmRadius = c.bottomRound;
    if (kind == 2)
        op->milledDiam = c.D + 2 * (holeCil(hole, 0).zTop - c.zBottom) * std::tan(op->coneAngle);
    op->stepCount = static_cast<std::uint16_t>(opeGet(d, lineInt47));
    op->entityId = holeCil(hole, 0).entityId;
    fillByType(*op, d, hole);
    if (kind >= 1 && kind <= 4) op->cycle = static_cast<std::uint32_t>(19 + kind);
    return op;
}

}  // namespace

const CIL_DESC& holeCil(const POINT_LIST& hole, int i) {
    static const CIL_DESC zero{};
    return hole.descs && i >= 0 && i < hole.descCount ? hole.descs[i] : zero;
}
int tiedIndex(const POINT_LIST& hole, int cyl, int plane) { return cyl + plane >= hole.descCount ? cyl : cyl + plane; }

OPE_LIST* allocOpeList() { return new OPE_LIST(); }

void appendOperation(POINT_LIST& hole, OPE_LIST* op) {
    OPE_LIST* last = hole.opeList;
    while (last && last->next) last = last->next;
    op->prev = last;
    op->next = nullptr;
    (last ? last->next : hole.opeList) = op;
}

OPE_LIST* insertOperationCopy(OPE_LIST& op) {
    OPE_LIST* copy = new OPE_LIST(op);
    if (op.processOpe) copy->processOpe = std::make_shared<PROCESS_OPE>(*op.processOpe);
    copy->prev = &op;
    copy->next = op.next;
    if (op.next) op.next->prev = copy;
    op.next = copy;
    return copy;
}

void clearOperations(POINT_LIST& hole) {
    freeOpeChain(hole.opeList);
    hole.opeList = nullptr;
    hole.emptyProcess = EMPTY_PROCESS::None;
}

void copyOperationList(const POINT_LIST& source, POINT_LIST& target) {
    clearOperations(target);
    for (const OPE_LIST* op = source.opeList; op; op = op->next) {
        OPE_LIST* copy = new OPE_LIST(*op);
        if (op->processOpe) copy->processOpe = std::make_shared<PROCESS_OPE>(*op->processOpe);
        // The copy belongs to its new hole: a record that named the source would outlive it there.
        copy->point = &target;
        copy->view = target.view;
        appendOperation(target, copy);
    }
}

bool processWithheldOnReadOnlyStation(const POINT_LIST& hole) {
    return g_globals->sharedDataOn && g_globals->sharedAccessMode == 0 && hole.noMeasures;
}

int createProcessFromDef(std::int16_t count, const PROCESS_OPE* defs, POINT_LIST& hole, double holeTopZ) {
    std::FILE* log = g_engine->processLog;
    clearOperations(hole);
    if (processWithheldOnReadOnlyStation(hole)) return 0;
    if (log) std::fprintf(log, "\ncreateProcessFromDef\n");
    bool toolBelowSmallest = false;
    for (int i = 0; i < count; ++i) {
        const PROCESS_OPE& d = defs[i];
        if (opeGet(d, disabled)) {
            if (log) std::fprintf(log, "Op %i Desactivada\n", i + 1);
            continue;
        }
        if (opeGet(d, C::calcToolDiam) < g_tolerances.tolT) {
            if (log) std::fprintf(log, "Op %i Eliminada por diam hta <0\n", i + 1);
            toolBelowSmallest = true;
            continue;
        }
        OPE_LIST* op = recordOf(d, hole, holeTopZ);
        composeOperationName(*op, op->processOpe.get());
        op->opIndex = static_cast<std::uint32_t>(i);
        appendOperation(hole, op);
        if (log)
            std::fprintf(log, "Op %i Tipo hta: %i Zsup %.2f Zinf %.2f through %i brkthr %.2f\n", i + 1,
                         static_cast<int>(op->toolType), op->zSup, op->zInf, op->through, op->brkthr);
    }
    if (log) {
        std::fprintf(log, "    %i Posiciones:\n", hole.chainCount + 1);
        for (const POINT_LIST* p = &hole; p; p = p->nextEqual)
            std::fprintf(log, "    %.3f %.3f %.3f\n", p->ptView[0], p->ptView[1], p->ptView[2]);
    }
    // Nothing made is told in the run's summary by why (run_statistics.cpp).
    if (!hole.opeList)
        hole.emptyProcess = toolBelowSmallest ? EMPTY_PROCESS::ToolBelowSmallest : EMPTY_PROCESS::NoneApplies;
    for (POINT_LIST* p = &hole; p; p = p->nextEqual) p->memberReprocessed = 1;
    return 0;
}
