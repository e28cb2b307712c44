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
#include "plugin/engine/operation_values.h"
#include "plugin/engine/table_assignment.h"
#include "plugin/engine/table_matching.h"
#include "plugin/engine/table_measures.h"
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

namespace {
// Texts asked for hole after hole; the work cycle forgets them as each invocation starts, so that a change
// of the file is seen at the next.
std::map<std::pair<std::string, std::string>, CTextSection> g_uiTexts;
}  // namespace

void forgetUiTexts() { g_uiTexts.clear(); }

std::string uiText(const char* section, int id) {
    std::map<std::pair<std::string, std::string>, CTextSection>& loaded = g_uiTexts;
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
    return fieldText(hole.whyText);
}

int holeTableClass(const POINT_LIST& hole) {
    const std::string name = fieldText(hole.tableName);
    CTabColsDesc table;
    return !name.empty() && table.read(tableFilePath(name)) == 0 ? table.tableClass : kTableFormClass;
}

// The form-state word that picks the explanation's first part is the adapted row: negative when the hole's
// form was matched exactly, the row of the adaptable table otherwise (as the process tree's filter of the
// adaptable tables reads it).
HOLE_EXPLANATION explainHole(const POINT_LIST& hole, int tableClass, const std::string& rowText, const char* shownRow) {
    HOLE_EXPLANATION e;
    const std::string table = fieldText(hole.tableName);
    const std::string row = shownRow ? std::string(shownRow) : fieldText(hole.rowName);
    e.head = tableAndRow(table, row);
    std::string& text = e.tail;
    if (hole.adaptedRow < 0) {
        if (tableClass != kTableDrillSize) {
            if (!rowText.empty()) text += " " + rowText;
        } else if (hole.descCount > 0 && hole.descs) {
            const CIL_DESC& first = hole.descs[0];
            text += format(" %s", orDefault(g_txtDiameter, "dia")) +
                    format(g_fmtFine, first.D);
            if (first.opeGeo == 2) {
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
            else if (g_globals->sharedDataOn && g_globals->sharedAccessMode == 0) line = 105;
            // A row that reached no rows file served the run only: the table did not take it.
            else if (addedRowNotStored(hole)) line = 108;
            text += uiText("treeProcessDlg", line);
        }
        if (!hole.processName[0]) text += uiText("treeProcessDlg", 144);
    } else {
        text += uiText("treeProcessDlg", 106);
        // The values and the texts between them are joined by one blank, whatever blanks the texts keep.
        const char* degree = orDefault(g_txtDegree, "deg");
        auto angle = [&](double radians) { return format("%.1f%s", radians / kDeg, degree); };
        auto words = [](int line) {
            const std::string t = uiText("treeProcessDlg", line);
            const std::size_t from = t.find_first_not_of(' '), to = t.find_last_not_of(' ');
            return from == std::string::npos ? std::string() : t.substr(from, to - from + 1);
        };
        std::string why;
        if (hole.outOfWindow) why += " " + angle(hole.adaptedWindow[0]) + " " + words(141);
        if (hole.tipOutside) {
            why += " " + angle(hole.adaptedWindow[0]) + " " + angle(hole.adaptedWindow[3]) + " " + words(142) + " " +
                   format("%.1f", hole.adaptedWindow[1]) + " " + words(143);
        }
        // Nothing outside the table's window: no empty brackets.
        if (!why.empty()) text += " (" + why.substr(1) + ")";
    }
    if (hole.processName[0]) text += format(" - %s", fieldText(hole.processName).c_str());
    if (hole.chainMember || hole.nextEqual) text += uiText("drillOperationWhy", 10);
    if (hole.furtherMark && hole.tableIndex < 0) text += uiText("treeProcessDlg", 104);
    if (hole.chamferCheck) text += uiText("treeProcessDlg", 102);
    if (hole.geometryProblem) text += uiText("treeProcessDlg", 103);
    if (const int value = hole.notAccessible) text += fillText(uiText("treeProcessDlg", 107), {long{value}});
    return e;
}

void buildOperationWhyText(POINT_LIST& hole, const std::string& rowText) {
    CTabColsDesc table;
    const std::string tableName = fieldText(hole.tableName);
    const bool haveTable = !tableName.empty() && table.read(tableFilePath(tableName)) == 0;
    const int tableClass = haveTable ? table.tableClass : kTableFormClass;
    std::string shownRow = fieldText(hole.rowName);
    if (!rowText.empty() && haveTable && table.readRows() > 0 && hole.descs) {
        // The row that fits the hole now, found on a copy: the matching may rewrite a record.
        buildEntriesFromFirstRow(table);
        std::vector<CIL_DESC> descs(hole.descs, hole.descs + hole.descCount);
        const int row = findMeasuresLine(table, descs.data(), static_cast<int>(descs.size()));
        if (row >= 0 && table.columnCount > 0) shownRow = table.cell(row, 0);
    }
    const std::string text = explainHole(hole, tableClass, rowText, shownRow.c_str()).whole();
    setFieldText(hole.whyText, text);
}
