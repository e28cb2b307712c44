// Applying a table's process to one hole.
#include "plugin/engine/apply_process.h"

#include <cstdio>
#include <numbers>
#include <vector>

#include "platform/ui/message_box.h"
#include "plugin/base/globals.h"
#include "plugin/engine/engine_state.h"
#include "plugin/model/ope_list.h"
#include "plugin/engine/operation_records.h"
#include "plugin/engine/operation_values.h"
#include "plugin/model/process_ope.h"
#include "plugin/model/tab_cols_desc.h"
#include "plugin/model/tree.h"
#include "plugin/base/text_fill.h"
#include "plugin/services/tables.h"

namespace {

namespace TT = tool_type;
using namespace process_ope;

constexpr int kMsgNoDrillTable = 57, kMsgNoProcess = 97, kCaption = 1;
constexpr double kMinConeAngle = 0.000872664626;   // 0.05 degree

void logEntries(const CTabColsDesc& t) {
    std::FILE* log = g_engine->processLog;
    if (!log) return;
    std::fprintf(log, "   Proceso\nDescripcion en %i cilindros\n", static_cast<int>(t.cilEntries.size()));
    int n = 0;
    for (const TAB_CIL_ENTRY& e : t.cilEntries) {
        const CIL_DESC& c = e.cil;
        std::fprintf(log, "     %i: D %.3f zSup %.3f zInf %.3f opeGeo %i%s%s%s%s\n", ++n, c.D, c.zTop, c.zBottom,
                     c.opeGeo, c.topChamfer ? " hasChamfer" : "", c.Flat ? " Flat" : "", c.TipTool ? " TipTool" : "",
                     c.bottomRound > g_tolerances.tol004T ? " BtmRadius" : "");
        std::fflush(log);
    }
}

void automaticChamfer(CTabColsDesc& t, POINT_LIST& hole) {
    if (!t.autoChamferOn || t.cilEntries.empty()) return;
    CIL_DESC& first = t.cilEntries[0].cil;
    if (first.topChamfer) return;
    const double s = t.autoChamferSize;
    const auto chamfer = [s](CIL_DESC& c) {
        c.chamferDiameter = c.D + 2 * s;
        c.chamferZ = c.zTop - s;
        c.chamferAngle = std::numbers::pi / 4;
        c.topChamfer = 1;
    };
    chamfer(first);
    if (hole.descs && hole.descCount > 0) chamfer(hole.descs[0]);
}

void typeRule(PROCESS_OPE& d) {
    const std::uint32_t type = opeGet(d, operationType);
    if (type != TT::reamer && type != TT::boringBar) return;
    switch (g_globals->settings.reamingToolChoice) {
    case 1:
        opeSet(d, operationType, TT::reamer);
        opeSet<std::uint32_t>(d, cycle, 4);
        break;
    case 2:
        opeSet(d, operationType, TT::boringBar);
        opeSet<std::uint32_t>(d, cycle, 6);
        break;
    default: break;
    }
}

bool disabledFor(const CTabColsDesc& t, const PROCESS_OPE& d, const POINT_LIST& hole, int mode) {
    const std::uint32_t type = opeGet(d, operationType);
    const int lastDesc = hole.descCount - 1;
    const int bottom = opeGet(d, zInfCyl);
    const CIL_DESC& top = entryCil(t, opeGet(d, zSupCyl));
    if ((type == TT::reamer || type == TT::boringBar) && entryCil(t, bottom).opeGeo != 2 &&
        !g_globals->settings.forceReaming)
        return true;
    if ((type == TT::chamferMill || type == TT::chamferDrill || type == TT::edgeRadiusMill) &&
        !top.topChamfer && !top.topRound)
        return true;
    if (type == TT::conicalMill &&
        entryCil(t, tiedEntry(t, opeGet(d, zSupCyl), opeGet(d, zSupZPl))).coneAngle < kMinConeAngle)
        return true;
    const bool finishing = type == TT::reamer || type == TT::boringBar || type == TT::rightTap || type == TT::leftTap;
    switch (mode) {
    case kApplySplitTop: return finishing && bottom == lastDesc;
    case kApplySplitBottom:
        return bottom != lastDesc || !(finishing || type == TT::chamferMill || type == TT::chamferDrill);
    default: return false;
    }
}

}  // namespace

void adjustProcessForHole(const CTabColsDesc& table, PROCESS_OPE* defs, int count, const POINT_LIST& hole, int mode) {
    for (int i = 0; i < count; ++i) {
        typeRule(defs[i]);
        if (disabledFor(table, defs[i], hole, mode)) opeSet<std::uint8_t>(defs[i], disabled, 1);
    }
}

int applyProcessToHole(CTabColsDesc* tables, int tableCount, POINT_LIST& hole, int mode) {
    CTabColsDesc* drillTable = nullptr;
    for (int i = 0; i < tableCount && !drillTable; ++i)
        if (tables[i].tableClass == kTableDrillSize) drillTable = &tables[i];
    if (!drillTable) {
        plat::messageBox(nullptr, errorMessage(kMsgNoDrillTable), errorMessage(kCaption), plat::MB_OK);
        return -1;
    }
    drillTable->sortRowsByColumn(1);
    if (hole.tableIndex < 0 || hole.tableIndex >= tableCount) return -1;
    CTabColsDesc& t = tables[hole.tableIndex];
    std::vector<PROCESS_OPE> defs(kMaxProcessOps);
    const std::string processName = fieldText(hole.processName);
    const int count = t.readProcess(processName, defs.data());
    if (count < 0) {
        plat::messageBox(nullptr, fillText(errorMessage(kMsgNoProcess), {t.name, processName}),
                         errorMessage(kCaption), plat::MB_OK);
        return -2;
    }
    std::vector<std::string> cells;
    t.getRow(hole.rowIndex, cells);
    t.buildCilColumns(cells);
    for (std::size_t i = 0; i < t.cilEntries.size(); ++i) {
        TAB_CIL_ENTRY& e = t.cilEntries[i];
        if (hole.descs && static_cast<int>(i) < hole.descCount) e.cil = hole.descs[i];
        e.value1 = e.cil.zBottom;
    }
    logEntries(t);
    automaticChamfer(t, hole);
    adjustProcessForHole(t, defs.data(), count, hole, mode);
    const int values =
        setProcessValues(t, cells, count, defs.data(), hole, g_globals->settings.takeNearestTool);
    if (values != 0) return values;
    if (createProcessFromDef(static_cast<std::int16_t>(count), defs.data(), hole,
                             entryCil(t, 0).zTop) != 0)
        return -1;
    hole.reprocessed = 1;
    return 0;
}

int applyHoleProcess(POINT_LIST& hole, int mode) {
    std::vector<CTabColsDesc> tables;
    int drillIndex = -1;
    const int count = loadAllTables(tables, &drillIndex, 200);
    return applyProcessToHole(tables.data(), count, hole, mode);
}
