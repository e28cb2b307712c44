// operation_manager mode 10: the host's defaults of a new operation, by code (the values are listed with
// operation_manager in host/api_ops.h).
#include "host/ops/op_defaults.h"

#include <bit>
#include <cstring>
#include <numbers>

namespace host::ops {
namespace {

template <class T>
void put(std::uint8_t* block, std::size_t at, T value) {
    std::memcpy(block + at, &value, sizeof value);
}

struct Lengths {
    double clearance, retract, depth, breakthrough, peck, peckClearance, chipRetract;
    double roughStep, finishStep, radialRough, filterTol, cutTol, leadArc, leadLine;
    double helixPitch, finishPitch, chamferWidth, chamferTip, rampDepth, threadPitch;
};
constexpr Lengths kMetric{50, 5, -10, 1, 2, 0.5, 0.25, 2, 0.5, 2.5, 0.025, 0.01, 2.5, 2, 1, 0.5, 0.5, 0.25, 1, 1.5};
constexpr Lengths kInch{2.0, 0.2, -0.4, 0.04, 0.08, 0.02, 0.01, 0.08, 0.02, 0.1, 0.001, 0.0004, 0.1, 0.08,
                        0.04, 0.02, 0.02, 0.01, 0.04, 1.0 / 16};

constexpr double kQuarterTurn = std::numbers::pi / 2;

void setAxes(double m[3][3]) {
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) m[i][j] = i == j ? 1.0 : 0.0;
}

void common(operation& op, const Lengths& L) {
    op.clearance = L.clearance;
    op.clearanceOn = 1;
    op.retract = L.retract;
    op.retractOn = 1;
    op.topOfStock = 0;
    op.topOfStockOn = 1;
    op.topOfStockIncremental = 0;
    op.depth = L.depth;
    op.tipValue = L.breakthrough;
    setAxes(op.toolPlaneMatrix);
    setAxes(op.constrPlaneMatrix);
    setAxes(op.wcsMatrix);
}

void drillCycle(operation& op, const Lengths& L) {
    switch (op.cycle) {
    case 1:
    case 2:
        op.pecks[0] = L.peck;
        op.pecks[1] = L.peck;
        op.pecks[2] = L.peckClearance;
        op.pecks[3] = op.cycle == 2 ? L.chipRetract : 0.0;
        break;
    case 5: op.dwell = 0.5; break;
    default: break;
    }
}

void milled(operation& op, const Lengths& L, bool lead) {
    op.compensation[op_comp_layout::type] = 1;
    op.compensation[op_comp_layout::side] = 1;
    op.compensation[op_comp_layout::tip] = 1;
    op.compensation[op_comp_layout::roll] = 1;
    op.millOffset = 0;
    put(op.depthCuts, op_depth_cuts_layout::maxRough, L.roughStep);
    put(op.depthCuts, op_depth_cuts_layout::finishStep, L.finishStep);
    op.depthCuts[op_depth_cuts_layout::keepTool] = 1;
    put(op.radialPasses, op_radial_layout::roughCount, std::int16_t{1});
    put(op.radialPasses, op_radial_layout::roughSpacing, L.radialRough);
    put(op.radialPasses, op_radial_layout::finishSpacing, L.finishStep);
    op.radialPasses[op_radial_layout::keepTool] = 1;
    op.extra[op_extra_layout::filterOn] = 1;
    put(op.extra, op_extra_layout::filterTolerance, L.filterTol);
    put(op.extra, op_extra_layout::cutTolerance, L.cutTol);
    if (!lead) return;
    op.leadInOut[op_lead_layout::on] = 1;
    for (std::size_t group : {op_lead_layout::entry, op_lead_layout::exit}) {
        std::uint8_t* g = op.leadInOut + group;
        put(g, op_lead_layout::lineLength, L.leadLine);
        put(g, op_lead_layout::arcRadius, L.leadArc);
        put(g, op_lead_layout::arcSweep, kQuarterTurn);
        g[op_lead_layout::arcOn] = 1;
        put(g, op_lead_layout::radiusPercent, 25.0);
    }
    op.leadInOut[op_lead_layout::entryFirstOnly] = 1;
    op.leadInOut[op_lead_layout::exitLastOnly] = 1;
}

void circleBlock(operation& op, const Lengths& L) {
    std::uint8_t* b = op.kindBlock;
    put(b, op_circle_layout::entrySweep, kQuarterTurn);
    b[op_circle_layout::startAtCentre] = 1;
    put(b, op_circle_layout::helixPitch, L.helixPitch);
    put(b, op_circle_layout::stepoverPercent, 50.0);
}

void contourBlock(operation& op, const Lengths& L) {
    std::uint8_t* b = op.kindBlock;
    put(b, op_contour_layout::mode, std::int16_t{0});
    put(b, op_contour_layout::chamferWidth, L.chamferWidth);
    put(b, op_contour_layout::chamferTip, L.chamferTip);
    put(b, op_contour_layout::rampAngle, 3.0 * std::numbers::pi / 180.0);
    put(b, op_contour_layout::rampDepth, L.rampDepth);
}

void helixBlock(operation& op, const Lengths& L) {
    std::uint8_t* b = op.kindBlock;
    put(b, op_helix_layout::roughPitch, L.helixPitch);
    put(b, op_helix_layout::finishPitch, L.finishPitch);
    b[op_helix_layout::finishOn] = 1;
    put(b, op_helix_layout::entrySweep, kQuarterTurn);
}

void threadBlock(operation& op, const Lengths& L) {
    std::uint8_t* b = op.kindBlock;
    b[op_thread_layout::internal] = 1;   // an inside, right-hand thread: side and hand stay 0
    put(b, op_thread_layout::pitch, L.threadPitch);
    put(b, op_thread_layout::starts, std::int16_t{1});
}

const char* codeName(int code) {
    switch (code) {
    case 2: return "Drill";
    case 28: return "Drill 5-axis";
    case 18: return "Circle mill";
    case 47: return "Hole mill";
    case 1: return "Contour";
    case 106: return "Helix bore";
    case 100: return "Thread mill";
    default: return "";
    }
}

}  // namespace

bool fillDefaults(operation& op) {
    const int code = op.code, sub = op.subCode;
    const bool drill = (code == 2 || code == 28) && sub == 0;
    const bool known = drill || (code == 18 && sub == 0) || (code == 47 && sub == 1) || (code == 1 && sub == 0) ||
                       (code == 106 && sub == 0) || (code == 100 && sub == 0);
    if (!known) return false;
    const Lengths& L = current_version[7] == 1 ? kMetric : kInch;
    // Only what the caller chose before asking survives: who it is, where it goes, what it says, its cycle.
    operation fresh;
    fresh.id = op.id;
    fresh.code = op.code;
    fresh.subCode = op.subCode;
    fresh.groupId = op.groupId;
    fresh.dbEntity = op.dbEntity;
    fresh.cycle = op.cycle;
    std::memcpy(fresh.comment, op.comment, sizeof fresh.comment);
    common(fresh, L);
    if (drill) {
        drillCycle(fresh, L);
        if (code == 28) {
            const std::int16_t axes[5] = {2, 0, 1, 0, 0};
            std::memcpy(fresh.fiveAxis, axes, sizeof axes);
        }
    } else {
        milled(fresh, L, code == 18 || code == 47 || code == 1);
        if (code == 18) circleBlock(fresh, L);
        if (code == 1) contourBlock(fresh, L);
        if (code == 106) helixBlock(fresh, L);
        if (code == 100) threadBlock(fresh, L);
    }
    if (OpMgrFileNamingRules[268] != 0 && fresh.comment[0] == 0)
        std::strncpy(fresh.comment, codeName(code), sizeof fresh.comment - 1);
    op = fresh;
    return true;
}

}  // namespace host::ops
