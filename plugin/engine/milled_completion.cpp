// The milled operations' last values. Each operation's process copy carries the host's parameter blocks;
// what depends on the hole's final shape and on the other operations of the hole is written into them here.
#include "plugin/engine/milled_completion.h"

#include <cmath>
#include <cstdlib>
#include <map>
#include <numbers>
#include <set>
#include <string>
#include <vector>

#include "host/api_operation.h"
#include "platform/ui/message_box.h"
#include "plugin/base/globals.h"
#include "plugin/base/text_fill.h"
#include "plugin/engine/operation_comments.h"
#include "plugin/model/ope_list.h"
#include "plugin/engine/operation_records.h"
#include "plugin/engine/operation_values.h"
#include "plugin/model/process_ope.h"
#include "plugin/model/tree.h"
#include "plugin/model/host_blocks.h"
#include "plugin/model/tab_cols_desc.h"
#include "plugin/base/cycle_names.h"

namespace {

namespace TT = tool_type;
using namespace process_ope;

constexpr int kMsgCaption = 1, kMsgMilledUnread = 122, kMsgContourUnread = 123;   // "ErrorMessages"
constexpr double kLeastAngle = 0.05 * std::numbers::pi / 180;
constexpr std::int16_t kFitted = 2;

// One process of one table, read once per run however many holes use it.
struct PROCESS_DEFS {
    bool read = false;
    std::vector<PROCESS_OPE> defs;
};

class COMPLETION {
public:
    explicit COMPLETION(CTabColsDesc& drillTable) : m_drillTable(drillTable) {}

    void hole(POINT_LIST& hole) {
        for (OPE_LIST* op = hole.opeList; op; op = op->next) {
            const int kind = op->active ? milledKindOf(op->cycle) : kMilledNone;
            if (kind == kMilledNone) continue;
            const PROCESS_DEFS& process = processOf(hole);
            const PROCESS_OPE* def =
                process.read && op->opIndex < process.defs.size() ? &process.defs[op->opIndex] : nullptr;
            if (!def || opeGet(*def, milledKind) == kMilledNone) {
                switchOff(*op, hole, kind);
                continue;
            }
            if (!op->processOpe) op->processOpe = std::make_shared<PROCESS_OPE>(*def);
            complete(*op, hole, kind);
        }
    }

private:
    static int milledKindOf(std::uint32_t cycle) {
        const OP_CYCLE_LIST& cycles = g_globals->cycleNames;
        if (cycle >= static_cast<std::uint32_t>(cycles.count)) return kMilledNone;
        const OP_CYCLE_LIST::ENTRY& entry = cycles.entries[cycle];
        const int kind = entry.number + 1;
        return entry.milled == 1 && kind >= kCircleMill && kind <= kThreadMill ? kind : kMilledNone;
    }

    static std::string tablePath(const POINT_LIST& hole) {
        return tableFilePath(fieldText(hole.tableName));
    }

    const PROCESS_DEFS& processOf(const POINT_LIST& hole) {
        const std::string path = tablePath(hole), name = fieldText(hole.processName);
        auto [it, added] = m_processes.try_emplace(path + '\n' + name);
        if (!added) return it->second;
        CTabColsDesc table;
        std::vector<PROCESS_OPE> defs(kMaxProcessOps);
        if (table.read(path) == 0) {
            const int count = table.readProcess(name, defs.data());
            if (count >= 0) {
                defs.resize(static_cast<std::size_t>(count));
                it->second = {true, std::move(defs)};
            }
        }
        return it->second;
    }

    // The user hears of each table, row and kind once, not of every hole drawn from that row.
    void switchOff(OPE_LIST& op, const POINT_LIST& hole, int kind) {
        op.active = 0;
        const std::string path = tablePath(hole), row = fieldText(hole.rowName);
        if (!m_told.insert(path + '\n' + row + '\n' + std::to_string(kind)).second) return;
        const int line = kind == kContour ? kMsgContourUnread : kMsgMilledUnread;
        (void)plat::messageBox(nullptr, fillText(errorMessage(line), {path, row}), errorMessage(kMsgCaption),
                               plat::MB_OK);
    }

    void complete(OPE_LIST& op, const POINT_LIST& hole, int kind) {
        PROCESS_OPE& def = *op.processOpe;
        const double coneHalfRad = op.coneAngle > kLeastAngle ? op.coneAngle : 0;
        const BLOCK_PLACE block = kindBlockPlace(kind);
        switch (kind) {
        case kCircleMill: {
            double finish = op.milledDiam;
            if (op.toolType == TT::toroidalMill) finish += 2 * std::tan(coneHalfRad) * op.cornerRadius;
            def.set<double>(block.at + op_circle_layout::circleDiameter, finish);
            break;
        }
        case kContour: completeContour(op, def, block.at, coneHalfRad); break;
        case kHelixBore: completeHelixBore(op, def, hole, block.at); break;
        default: break;
        }
        if (op.toolType == TT::edgeRadiusMill && coneHalfRad > 0) {
            const std::size_t extra = hostBlock64 + op_depth_cuts_layout::extraDepth;
            def.set<double>(extra, def.get<double>(extra) + std::tan(coneHalfRad) * op.cornerRadius);
        }
        if (opeGet(def, toolDiamAssoc) == 2) setFieldText(op.toolName, opeText(def, toolName));
    }

    // A contour follows the cone's wall; a chamfer mill enters beside the edge (chamferMillEntry).
    static void completeContour(const OPE_LIST& op, PROCESS_OPE& def, std::size_t at, double coneHalfRad) {
        namespace C = op_contour_layout;
        namespace D = op_depth_cuts_layout;
        std::int16_t mode = 0;
        double width = 0, length = 0;
        if (op.toolType == TT::chamferMill) {
            mode = 2;
            width = chamferMillWidth(op);
            // A contour that stops at the chamfer's foot would give a negative entry: measure the chamfer.
            double height = std::fabs(op.zInf - op.chamferZ);
            if (height <= g_tolerances.tolT) height = std::fabs(op.zSup - op.chamferZ);
            length = chamferMillEntry(op, height);
            coneHalfRad = 0;
            def.set<double>(at + C::chamferWidth, width);
            def.set<double>(at + C::chamferTip, length);
        }
        def.set<std::int16_t>(at + C::mode, mode);
        def.bytes[hostBlock64 + D::taperOn] = coneHalfRad > 0 ? 1 : 0;
        def.set<double>(hostBlock64 + D::taperAngle, coneHalfRad);
    }

    // A bore to a fit starts from the fit's pilot: the nominal diameter less twice the allowance of the fit
    // table's row, or of the drill-size table's row when the fit has no table.
    void completeHelixBore(OPE_LIST& op, PROCESS_OPE& def, const POINT_LIST& hole, std::size_t at) {
        const std::size_t start = at + op_helix_layout::boreDiameter;
        def.set<double>(start, op.milledDiam);
        const CIL_DESC& tied = holeCil(hole, tiedIndex(hole, opeGet(def, cylDiamCyl), opeGet(def, cylDiamZPl)));
        if (tied.opeGeo != kFitted) return;
        const double diameter = tied.D;
        CTabColsDesc fitTable;
        CTabColsDesc* table = &fitTable;
        std::vector<std::string> row;
        if (loadNamedTable(fieldText(tied.fitName), &fitTable) == 0) {
            if (fitTable.findNearestRow(2, diameter, 1, row) != 0) (void)fitTable.findNearestRow(1, diameter, 1, row);
        } else {
            // The drill-size table's diameters are its first column (its second is the allowance itself).
            table = &m_drillTable;
            if (!m_drillRowsRead) (void)m_drillTable.readRows();
            m_drillRowsRead = true;
            (void)m_drillTable.findNearestRow(1, diameter, 1, row);
        }
        if (row.empty()) return;
        const int allowance = table->kind4Column > 0 ? table->kind4Column : static_cast<int>(row.size());
        if (static_cast<std::size_t>(allowance) > row.size()) return;
        op.milledDiam = diameter - 2 * std::strtod(row[static_cast<std::size_t>(allowance) - 1].c_str(), nullptr);
        def.set<double>(start, op.milledDiam);
        composeOperationName(op, &def);
    }

    CTabColsDesc& m_drillTable;
    bool m_drillRowsRead = false;
    std::map<std::string, PROCESS_DEFS> m_processes;
    std::set<std::string> m_told;
};

}  // namespace

void completeMilledOperations(VIEW_LIST* tree, CTabColsDesc& drillTable) {
    COMPLETION completion(drillTable);
    for (VIEW_LIST* view = tree; view; view = view->next)
        for (POINT_LIST* hole = view->firstPoint; hole; hole = hole->next)
            if (!hole->chainMember && hole->reprocessed != 0) completion.hole(*hole);
}
