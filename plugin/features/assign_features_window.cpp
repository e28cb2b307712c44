// The reaming and tap features window: the buttons hand their codes to the command loop, the info text tells
// what the selection mask asks and what the filter found. The window itself changes nothing in the part.
#include <cstdlib>
#include <string>

#include "host/api.h"
#include "platform/sys/files.h"
#include "platform/sys/paths.h"
#include "platform/sys/thread_queue.h"
#include "plugin/base/globals.h"
#include "plugin/base/text_fill.h"
#include "plugin/base/utilities.h"
#include "plugin/features/feature_marks.h"
#include "plugin/features/feature_windows.h"
#include "plugin/model/tab_cols_desc.h"

namespace {

constexpr std::int16_t kNamedTablesClass = 3;

struct BUTTON_CODE {
    int control;
    int code;
};
constexpr BUTTON_CODE kButtons[] = {
    {CDlgAssignFeatures::kSeeAll, 2001},    {CDlgAssignFeatures::kAnalyzeDynamic, 2002},
    {CDlgAssignFeatures::kFilter, 2003},    {CDlgAssignFeatures::kUnselect, 2005},
    {CDlgAssignFeatures::kSelectAll, 2006}, {CDlgAssignFeatures::kSelectMultiple, 2007},
    {CDlgAssignFeatures::kSelectTap, 2008},
};

std::string unitText() { return g_globals->metric() ? "mm" : "in"; }

// "<label> <value> <unit> <tolerance>%" of one bound.
std::string boundText(const std::string& label, double value, double tolerance) {
    return label + " " + formatNumber(g_fmtMedium, value) + " " + unitText() + " " +
           formatNumber(g_fmtMedium, tolerance * 100) + "%";
}

}  // namespace

CDlgAssignFeatures::CDlgAssignFeatures() : plat::Dialog(kTemplate) {
    for (const BUTTON_CODE& b : kButtons) onCommand(b.control, [this, code = b.code] { post(code); });
    onCommand(kCancel, [this] { onCancel(); });
    onMessage(plat::Msg::Close, [this](plat::MsgArgs&) { leave(0); });
    on(kDepth, plat::Ev::Change, [this](plat::Notify&) {
        depth = std::strtod(item(kDepth).text().c_str(), nullptr);
        showDepthEcho();
    });
}

void CDlgAssignFeatures::setBuffer(int index, const std::string& text) {
    buffers_[static_cast<std::size_t>(index)] = text.substr(0, kBufferChars);
}

bool CDlgAssignFeatures::onInitDialog() {
    CTextSection texts;
    (void)texts.load(g_globals->uiTextFile, "AssignFeaturesMenu", true);
    reamTitle_ = texts.getText(1);
    tapTitle_ = texts.getText(2);
    const std::pair<int, int> labels[] = {
        {kFrame, 4},      {kFilter, 11},   {kSelectAll, 12}, {kSelectMultiple, 13}, {kUnselect, 14},
        {kSelectTap, 15}, {kSeeAll, 16},   {kAnalyzeDynamic, 17}, {kDepthLabel, 18}, {kTablesFrame, 19},
        {plat::IDOK, 3},  {kCancel, 5},
    };
    for (const auto& [id, line] : labels) item(id).setText(texts.getText(line));

    item(kTables).addString("None");
    item(kTables).setCurSel(0);
    return true;
}

// The tables looked up by name, listed afresh at every showing (the library may have changed since); the
// table chosen before stays chosen while it is there. Read within the command that shows the window, so
// that a damaged table is told with the command's other notices, not when the plug-in starts.
void CDlgAssignFeatures::listTables() {
    plat::Control& tables = item(kTables);
    const std::string chosen = tables.curSel() > 0 ? tables.itemText(tables.curSel()) : std::string();
    tables.resetContent();
    tables.addString("None");
    const std::string& folder = g_globals->tablesDir;
    for (const plat::FileEntry& file : plat::findFiles(folder, "*.tab")) {
        CTabColsDesc table;
        if (table.read(plat::joinPath(folder, file.name)) != 0 || table.tableClass != kNamedTablesClass) continue;
        tables.addString(textBetweenStr(file.name, "{}"));
    }
    const int found = chosen.empty() ? -1 : tables.findStringExact(chosen);
    tables.setCurSel(found > 0 ? found : 0);
}

void CDlgAssignFeatures::activate() {
    listTables();
    for (int id : {kSelectTap, kTables, kTablesFrame}) item(id).show(false);
    if (mode == 0) {
        setWindowText(reamTitle_);
        item(kTables).show(true);
        item(kTablesFrame).show(true);
    } else {
        setWindowText(tapTitle_);
        item(kSelectTap).show(true);
    }
    item(kDepth).setText(formatNumber(g_fmtMedium, depth));
}

void CDlgAssignFeatures::showDepthEcho() {
    item(kDepthEcho).setText(buffer(kDepthText) + formatNumber(g_fmtMedium, depth));
}

void CDlgAssignFeatures::showSelectionInfo(const CDlgSelCylindersMask& mask, const std::string& row,
                                           const CFeatMgrFilter& filter) {
    std::string info = "\n\n";
    if (mode == 0) {
        if (mask.useMinDiameter) {
            info += boundText(buffer(kReamLowerLabel), mask.minDiameter, mask.minTolerance);
            if (mask.useMaxDiameter)
                info += "\n      " + boundText(buffer(kReamUpperLabel), mask.maxDiameter, mask.maxTolerance);
        }
    } else {
        rowName = row.empty() ? buffer(kNoProcess) : row;
        info += fillText(buffer(kTapInfo), {rowName});
        if (mask.useMinDiameter) info += "\n" + boundText(buffer(kTapLowerLabel), mask.minDiameter, mask.minTolerance);
        if (mask.useMaxDiameter) info += "\n " + boundText(buffer(kTapUpperLabel), mask.maxDiameter, mask.maxTolerance);
        item(kDepthEcho).setText(buffer(kDepthText) + formatNumber(g_fmtMedium, filter.depth));
    }
    info += "\n " + buffer(kFoundLabel) + " " + std::to_string(filter.foundCount);
    item(kInfo).setText(info);
}

void CDlgAssignFeatures::post(int code) {
    if (g_commandLoopBusy) {
        plat::postThreadMessage(WM_PLUGIN_COMMAND, static_cast<std::uintptr_t>(code), 0);
        return;
    }
    g_pendingCommand = code;
    post_FT_command("Forantix", "m_main");
}

void CDlgAssignFeatures::leave(std::uint8_t confirmed) {
    doIt = confirmed;
    showWindow(false);
    post(pendingCode);
}

void CDlgAssignFeatures::onOK() {
    plat::Control& tables = item(kTables);
    tableName.clear();
    if (tables.curSel() > 0) tableName = tables.itemText(tables.curSel());
    leave(1);
}

void CDlgAssignFeatures::onCancel() { leave(0); }
