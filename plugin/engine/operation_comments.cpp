// Operation comments, tool-number prefixes and hole explanations.
#include "plugin/engine/operation_comments.h"

#include <cctype>
#include <cmath>
#include <cstdarg>
#include <map>
#include <numbers>
#include <utility>
#include <vector>

#include "plugin/base/globals.h"
#include "plugin/base/text_fill.h"
#include "plugin/base/text_section.h"
#include "plugin/model/ope_list.h"
#include "plugin/model/operation_hole_fields.h"
#include "plugin/engine/operation_values.h"
#include "plugin/engine/table_matching.h"
#include "plugin/model/process_ope.h"
#include "plugin/model/tab_cols_desc.h"
#include "plugin/model/tree.h"
#include "plugin/services/tables.h"

namespace {

namespace C = process_calc;
namespace TT = tool_type;

constexpr double kDeg = std::numbers::pi / 180;

std::string format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
std::string format(const char* fmt, ...) {
    char buffer[512];
    va_list args;
    va_start(args, fmt);
    std::vsnprintf(buffer, sizeof buffer, fmt, args);
    va_end(args);
    return buffer;
}
// A number in a units format (F3 or F2) behind a label.
std::string labelled(const char* label, const char* unitsFormat, double value) {
    return std::string(label) + format(unitsFormat, value);
}
const char* orDefault(const char* text, const char* fallback) { return text[0] ? text : fallback; }

bool isPrefixedNumber(const std::string& comment, const std::string& prefix, std::size_t* length) {
    if (prefix.empty() || comment.compare(0, prefix.size(), prefix) != 0) return false;
    std::size_t i = prefix.size();
    const std::size_t digits = i;
    while (i < comment.size() && std::isdigit(static_cast<unsigned char>(comment[i]))) ++i;
    if (i == digits) return false;
    if (i < comment.size() && comment[i] != ' ') return false;
    *length = i < comment.size() ? i + 1 : i;
    return true;
}

}  // namespace

std::string uiText(const char* section, int id) {
    static std::map<std::pair<std::string, std::string>, CTextSection> loaded;
    const std::string& file = g_globals->uiTextFile;
    auto key = std::make_pair(file, std::string(section));
    auto it = loaded.find(key);
    if (it == loaded.end()) {
        it = loaded.emplace(key, CTextSection{}).first;
        (void)it->second.load(file, section, false);
    }
    return it->second.getText(id);
}

void composeOperationName(OPE_LIST& op, const PROCESS_OPE* def) {
    const char* diamLabel = orDefault(g_txtDiameter, "dia");
    const char* depthLabel = orDefault(g_txtDepth, "depth");
    const char* toolDiamLabel = orDefault(g_txtToolDiameter, "tlDiam");
    const std::string toolName = fieldText(op.toolName);
    const std::string named = "'" + toolName + "'";
    std::string diameter = toolName.empty() ? labelled(diamLabel, g_fmtFine, op.toolDiam) : named;
    std::string depth = labelled(depthLabel, g_fmtMedium, op.zSup - op.zInf);
    std::string type = operationTypeName(op.toolType);
    const std::string cycle = cycleName(op.cycle);
    const int milledKind = def ? opeGet(*def, process_ope::milledKind) : 0;
    std::string comment;
    if (milledKind != 0) {
        const std::string milledDiameter =
            labelled(diamLabel, g_fmtFine, op.milledDiam - 2 * (op.holeTopZ - op.zSup) * std::tan(op.coneAngle));
        if (toolName.empty()) diameter = labelled(toolDiamLabel, g_fmtMedium, op.toolDiam);
        static constexpr int kLines[] = {12, 13, 20, 21};
        if (milledKind >= 1 && milledKind <= 4) type = uiText("OperationTypes", kLines[milledKind - 1]);
        comment = type + " " + milledDiameter + " " + depth + " " + diameter;
    } else if (op.toolType == TT::rightTap || op.toolType == TT::leftTap) {
        double tapDepth = op.zSup - op.zInf;
        if (std::fabs(op.threadDepth) > g_tolerances.tolT) tapDepth = std::fabs(op.threadDepth);
        std::string thread = def ? opeText(*def, C::threadDesignation) : std::string();
        if (thread.empty()) {
            std::string tableName;
            double drilled = 0, safety = 0;
            thread = findThreadByDiameterPitch(op.toolDiam, op.pitch, static_cast<std::int16_t>(op.threadCode),
                                               &tableName, &drilled, &safety);
        }
        comment = type + " " + thread + " " + labelled(depthLabel, g_fmtMedium, tapDepth);
    } else {
        comment = type + " " + cycle + " " + diameter + " " + depth;
        const int source = def ? opeGet(*def, C::diamSource) : op.drillMode;
        if (op.toolType == TT::drill && source != 0) comment += " " + uiText("drillOperationWhy", source);
    }
    if (def && opeGet(*def, C::threadUnknown) == 1) comment += " " + errorMessage(54);
    setFieldText(op.comment, comment);
}

int setOperationNumberPrefix(OPE_LIST& op, std::int32_t number) {
    if (number < 0) return 0;
    const std::string prefix = orDefault(g_txtOpNumberPrefix, "T");
    const std::string comment = fieldText(op.comment);
    std::size_t old = 0;
    const std::string kept = isPrefixedNumber(comment, prefix, &old) ? comment.substr(old) : comment;
    setFieldText(op.comment, format("%s%02i ", prefix.c_str(), number) + kept);
    return 0;
}

std::string operationWhyText(const POINT_LIST& hole) {
    return getWorkText(hole, hole_field::whyText, hole_field::kWhyTextSize);
}

void buildOperationWhyText(POINT_LIST& hole, const std::string& rowText) {
    CTabColsDesc table;
    const std::string tableName = fieldText(hole.tableName);
    const bool haveTable = !tableName.empty() && table.read(tableFilePath(tableName)) == 0;
    const int tableClass = haveTable ? table.tableClass : 0;
    std::string shownRow = fieldText(hole.rowName);
    if (!rowText.empty() && haveTable && table.readRows() == 0 && table.rowCount > 0 && hole.descs) {
        // The row that fits the hole now, found on a copy: the matching may rewrite a record.
        buildEntriesFromFirstRow(table);
        std::vector<CIL_DESC> descs(hole.descs, hole.descs + hole.descCount);
        const int row = findMeasuresLine(table, descs.data(), static_cast<int>(descs.size()));
        if (row >= 0 && table.columnCount > 0) shownRow = table.cell(row, 0);
    }
    std::string text;
    if (holeGet(hole, hole_field::formState) < 0) {
        text = shownRow;
        if (tableClass != kTableDrillSize) {
            text += " " + rowText;
        } else if (hole.descCount > 0 && hole.descs) {
            const CIL_DESC& first = hole.descs[0];
            text += format(" %s", orDefault(g_txtDiameter, "dia")) +
                    format(g_fmtFine, first.get<double>(cil_desc_layout::D));
            if (first.get<std::int16_t>(cil_desc_layout::opeGeo) == 2) {
                std::string names;
                for (const OPE_LIST* op = hole.opeList; op; op = op->next) {
                    if (op->toolType != TT::reamer && op->toolType != TT::boringBar) continue;
                    if (!names.empty()) names += "/";
                    names += op->toolType == TT::reamer ? "Escariado" : "Mandrinado";
                }
                text += " " + names;
            }
        }
        if (hole.noMeasures == 1) {
            int line = 104;
            if (tableClass == kTableDrillSize) line = 146;
            else if (tableClass == kTableThread) line = 145;
            else if (g_globals->sharedDataOn) line = 105;
            text += uiText("treeProcessDlg", line);
        }
        if (!hole.processName[0]) text += uiText("treeProcessDlg", 144);
    } else {
        text = uiText("treeProcessDlg", 106) + " (";
        const char* degree = orDefault(g_txtDegree, "deg");
        if (hole.outOfWindow)
            text += " " + format("%.1f%s", hole.adaptedWindow[0] / kDeg, degree) +
                    uiText("treeProcessDlg", 141);
        if (hole.tipOutside) {
            text += " " + format("%.1f%s", hole.adaptedWindow[0] / kDeg, degree) +
                    format("%.1f%s", hole.adaptedWindow[3] / kDeg, degree) +
                    uiText("treeProcessDlg", 142) + format("%.1f", hole.adaptedWindow[1]) +
                    uiText("treeProcessDlg", 143);
        }
        text += ")";
    }
    text += format(" - %s", fieldText(hole.processName).c_str());
    if (hole.chainMember || hole.nextEqual) text += uiText("drillOperationWhy", 10);
    if (holeGet(hole, hole_field::furtherMark) && hole.tableIndex < 0) text += uiText("treeProcessDlg", 104);
    if (hole.chamferCheck) text += uiText("treeProcessDlg", 102);
    if (holeGet(hole, hole_field::geometryProblem)) text += uiText("treeProcessDlg", 103);
    if (const int value = hole.notAccessible) {
        text += fillText(uiText("treeProcessDlg", 107), {long{value}});
    }
    setWorkText(hole, hole_field::whyText, hole_field::kWhyTextSize, text);
}
