// The buttons of the general parameters and the check box of the shared library. Sub-dialogs run under
// the plug-in's resources; most are handed copies of their settings and give them back at once, so that
// their changes stay when the general parameters are then cancelled (the command loop writes the settings
// after every run). The selected views and the drilling side are the exceptions: they reach the part only
// through OK.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>

#include "host/api.h"
#include "platform/sys/paths.h"
#include "platform/ui/message_box.h"
#include "plugin/base/file_dialogs.h"
#include "plugin/base/globals.h"
#include "plugin/base/resource_switch.h"
#include "plugin/base/settings.h"
#include "plugin/base/text_fill.h"
#include "plugin/base/tool_types.h"
#include "plugin/base/utilities.h"
#include "plugin/model/work_records.h"
#include "plugin/services/features.h"
#include "plugin/settings/general_parameters.h"
#include "plugin/settings/selected_views.h"
#include "plugin/settings/settings_dialogs.h"
#include "plugin/settings/shared_library.h"

using namespace gp;

namespace {

// The library the user takes instead of `name`, which the folder's libraries `names` do not hold (variant
// 0: the shared folder's, 1: the local ones); whatever the dialog's result its choice stands, "" for none.
std::string otherLibrary(plat::Dialog* parent, int variant, const std::string& name, const std::vector<std::string>& names) {
    CDlgSharedLibNF dlg(variant);
    dlg.library = name;
    dlg.folders = &names;
    (void)doModalInPluginRes(dlg, parent);
    return dlg.choice;
}

}  // namespace

void CGeneralParameters::bindHandlers() {
    on(kTab, plat::Ev::Clicked, [this](plat::Notify& n) {
        showPage(item(kTab).curSel());
        n.result = 0;
    });
    const std::pair<int, void (CGeneralParameters::*)()> buttons[] = {
        {kButtonDefaults, &CGeneralParameters::onResetDefaults},
        {kButtonViewsSort, &CGeneralParameters::onViewsSort},
        {kButtonLevels, &CGeneralParameters::onLevels},
        {kButtonSelectedViews, &CGeneralParameters::onSelectedViews},
        {kButtonSharedData, &CGeneralParameters::onSharedDataMgr},
        {kButtonAdvRecognition, &CGeneralParameters::onAdvFormsRecognize},
        {kButtonColours, &CGeneralParameters::onColors},
        {kButtonDrillingSide, &CGeneralParameters::onDrillingSide},
        {kButtonReadWrite, &CGeneralParameters::onReadWriteOptions},
        {kButtonToolCriteria, &CGeneralParameters::onToolSelCriteria},
        {kButtonChangeLibrary, &CGeneralParameters::onChangeToolLibrary},
        {kButtonEditLibrary, &CGeneralParameters::onEditToolLibrary},
        {kButtonChangeSpot, &CGeneralParameters::chooseSpotDrill},
        {kButtonStrategies, &CGeneralParameters::onAdvancedStrategies},
        {kCheckSharedLibrary, &CGeneralParameters::onSharedLibrary},
        {kRadioCompleteForms, &CGeneralParameters::onFormsMode},
        {kRadioSpotOnly, &CGeneralParameters::onFormsMode},
        {kRadioSpotAndDrill, &CGeneralParameters::onFormsMode},
        {kRadioAdaptAngle, &CGeneralParameters::onDrillAngleMode},
        {kRadioIgnoreAngle, &CGeneralParameters::onDrillAngleMode},
        {kRadioBreakFixed, &CGeneralParameters::onBreakthroughMode},
        {kRadioBreakPercent, &CGeneralParameters::onBreakthroughMode},
        {kCheckSubprograms, &CGeneralParameters::onSubprograms},
        {kCheckTryDrill, &CGeneralParameters::onPartialDrilling},
        {kCheckDrillingSide, &CGeneralParameters::onDrillingSideCheck},
        {kCheckSpotOverride, &CGeneralParameters::onSpotDrillOverride},
        {kRadioSpotByDiameter, &CGeneralParameters::onSpotDrillByDiameter},
        {kRadioSpotFromLibrary, &CGeneralParameters::onSpotDrillFromLibrary},
        {kCheckAllowCentre, &CGeneralParameters::onCentreDrill},
        {kRadioLongThenLong, &CGeneralParameters::onLongToolMode},
        {kRadioLongWhole, &CGeneralParameters::onLongToolMode},
        {kRadioLongWarn, &CGeneralParameters::onLongToolMode},
    };
    for (const auto& [id, handler] : buttons) onCommand(id, [this, h = handler] { (this->*h)(); });
    onCommand(kButtonDrillingList, [this] { onReportFile(true); });
    onCommand(kButtonMachiningTime, [this] { onReportFile(false); });
    const std::pair<int, int> checkedButtons[] = {{kCheckSelectedViews, kButtonSelectedViews},
                                                  {kCheckDrillingList, kButtonDrillingList},
                                                  {kCheckMachiningTime, kButtonMachiningTime},
                                                  {kCheckToolCriteria, kButtonToolCriteria}};
    for (const auto& [check, button] : checkedButtons)
        onCommand(check, [this, c = check, b = button] { enableByCheck(c, b); });
    for (int id : {kRadioReamedAlways, kRadioReamedDeeper, kRadioReamedNever})
        onCommand(id, [this] { onDivide(kRadioReamedNever, kCheckReamedOpposite); });
    for (int id : {kRadioNotReamedAlways, kRadioNotReamedDeeper, kRadioNotReamedNever})
        onCommand(id, [this] { onDivide(kRadioNotReamedNever, kCheckNotReamedOpposite); });
    on(kEditSpotDiameter, plat::Ev::Change, [this](plat::Notify&) { onSpotDiameterChange(); });
    on(kEditSpotPercent, plat::Ev::Change, [this](plat::Notify&) { onSpotDepthPercentChange(); });
    on(kEditSpotDepth, plat::Ev::Change, [this](plat::Notify&) { onSpotDepthChange(); });
    on(kEditFirstToolNumber, plat::Ev::Change, [this](plat::Notify&) { onFirstToolNumberChange(); });
}

// The defaults go straight into the settings, keeping the tool library and the forms library.
void CGeneralParameters::onResetDefaults() {
    if (plat::messageBox(this, texts_.getMessage(201), errorMessage(1), plat::MB_OKCANCEL) != plat::IDOK) return;
    setDefaultSettings(1);
    loadValues();
}

void CGeneralParameters::onViewsSort() {
    PRM_SETTINGS& s = g_globals->settings;
    CDlgViewsSort dlg;
    dlg.sortMode = s.viewsSortOrder;
    dlg.orientation = s.newViewsOrientation;
    dlg.nameViews = s.nameNewViews;
    if (doModalInPluginRes(dlg, this) != plat::IDOK) return;
    s.viewsSortOrder = dlg.sortMode;
    s.newViewsOrientation = dlg.orientation;
    s.nameNewViews = dlg.nameViews;
}

void CGeneralParameters::onLevels() {
    CDlgLevelsPrm dlg;
    (void)doModalInPluginRes(dlg, this);
}

void CGeneralParameters::onSelectedViews() {
    CDlgOnlySelectedViewsEx dlg;
    dlg.list.copyFrom(selViews);
    if (doModalInPluginRes(dlg, this) == plat::IDOK) selViews.copyFrom(dlg.list);
}

// The drilling list or the machining-time list: a file proposed beside the last one, named after the part.
void CGeneralParameters::onReportFile(bool drillingList) {
    PLUGIN_GLOBALS& g = *g_globals;
    std::string& file = drillingList ? g.settings.drillingListFile : g.settings.machiningTimeFile;
    const plat::PathParts parts = plat::splitPath(file);
    CTextSection section;
    (void)section.load(g.uiTextFile, drillingList ? "DrillingList" : "MachiningTime", false);
    std::string title = g.partName;
    if (!drillingList) title += trimReplaceBlanksStr(section.getText(9), 0);
    const std::string ext = "txt";
    const std::string path = openFileDialog(false, true, parts.drive + parts.dir + title + parts.ext, ext,
                                            section.getText(1) + "|*." + ext + "||");
    if (!path.empty()) file = path;
}

std::string CGeneralParameters::selectedLibrary() {
    const plat::Control& combo = item(kComboLibrary);
    return combo.curSel() >= 0 ? combo.itemText(combo.curSel()) : std::string();
}

void CGeneralParameters::fillLibraryCombo(const std::string& name) {
    const PLUGIN_GLOBALS& g = *g_globals;
    plat::Control& combo = item(kComboLibrary);
    combo.resetContent();
    std::vector<std::string> names;
    (void)listSubFolders(g.sharedDataOn ? g.sharedFormsDir : g.formsDir, name, &names);
    for (const std::string& n : names) combo.addString(n);
    // An empty name selects nothing (the list's prefix search would take the first library).
    if (name.empty() || combo.selectString(name) < 0) combo.setCurSel(-1);
}

// Sharing switched on or off: the library is looked for in the folder now in use, and a missing folder
// or library is settled with the user before the list is filled again.
void CGeneralParameters::onSharedLibrary() {
    PLUGIN_GLOBALS& g = *g_globals;
    std::string name = selectedLibrary();
    if (name.empty()) name = g.libraryName;
    std::vector<std::string> names;
    if (checked(kCheckSharedLibrary)) {
        g.sharedDataOn = 1;
        enable(kButtonSharedData, true);
        const int found = listSubFolders(g.sharedFormsDir, name, &names);
        if (found < 0) {
            onSharedDataMgr();
            name = selectedLibrary();
        } else if (found == 1) {
            name = otherLibrary(this, 0, name, names);
        }
    } else {
        g.sharedDataOn = 0;
        enable(kButtonSharedData, false);
        const int found = listSubFolders(g.formsDir, name, &names);
        if (found < 0) {
            plat::messageBox(this, fillText(errorMessage(61), {g.formsDir}), errorMessage(1), plat::MB_OK);
        } else if (found == 1) {
            name = otherLibrary(this, 1, name, names);
        }
    }
    buildFormsFolders();
    fillLibraryCombo(name);
}

void CGeneralParameters::onSharedDataMgr() {
    PLUGIN_GLOBALS& g = *g_globals;
    CDlgSharedDataMgr dlg;
    dlg.library = selectedLibrary();
    dlg.folder = g.sharedDir;
    dlg.mode = g.sharedAccessMode;
    dlg.setting = g.sharedAccessSetting;
    const int result = doModalInPluginRes(dlg, this);
    // The access mode changed in the dialog has changed the flag files, whatever the dialog ended with.
    g.sharedAccessMode = dlg.mode;
    g.sharedAccessSetting = dlg.setting;
    if (result == plat::IDOK) {
        g.sharedDir = dlg.folder;
        buildFormsFolders();
        fillLibraryCombo(dlg.library);
    } else if (listSubFolders(g.sharedFormsDir, "", nullptr) < 0) {
        // No shared library to work with: sharing goes off.
        g.sharedDataOn = 0;
        item(kCheckSharedLibrary).setCheck(0);
        enable(kButtonSharedData, false);
    }
}

void CGeneralParameters::onAdvFormsRecognize() {
    PRM_SETTINGS& s = g_globals->settings;
    CDlgAdvFormsRecognize dlg;
    dlg.texts = &texts_;
    double* values[] = {&s.minSweepAngle, &s.roundnessTolerance, &s.axisAngleTolerance, &s.openBoundaryTolerance};
    for (std::size_t i = 0; i < dlg.ranges.size(); ++i) dlg.ranges[i].value = *values[i];
    if (doModalInPluginRes(dlg, this) != plat::IDOK) return;
    for (std::size_t i = 0; i < dlg.ranges.size(); ++i) *values[i] = dlg.ranges[i].value;
}

void CGeneralParameters::onColors() {
    PRM_SETTINGS& s = g_globals->settings;
    CDlgColors dlg;
    dlg.arcColor = s.reamArcColour;
    dlg.selColor = s.reamSelectionColour;
    if (doModalInPluginRes(dlg, this) == plat::IDCANCEL) return;
    s.reamArcColour = dlg.arcColor;
    s.reamSelectionColour = dlg.selColor;
    redrawFeatureMarks(g_records->featureMarks);
}

// The sub-dialog's pick ends this dialog too: the caller picks P and opens both again.
void CGeneralParameters::onDrillingSide() {
    if (sideEnabled < 1) return;
    CDlgDrillingSideSettings dlg;
    std::copy(std::begin(sidePoint), std::end(sidePoint), dlg.point);
    dlg.mode = sideMode;
    const int result = dlg.doModal(this);
    if (result == CDlgDrillingSideSettings::kPickPoint) {
        endDialog(kPickPoint);
    } else if (result == plat::IDOK) {
        std::copy(std::begin(dlg.point), std::end(dlg.point), sidePoint);
        sideMode = dlg.mode;
    }
}

void CGeneralParameters::onReadWriteOptions() {
    PRM_SETTINGS& s = g_globals->settings;
    CDlgPrmReadWriteOptions dlg;
    dlg.texts = &texts_;
    dlg.option = s.readWriteMode;
    if (doModalInPluginRes(dlg, this) != plat::IDCANCEL) s.readWriteMode = dlg.option;
}

void CGeneralParameters::onToolSelCriteria() {
    PRM_SETTINGS& s = g_globals->settings;
    CDlgToolSelCriteria dlg;
    dlg.minToolLength = s.minToolLengthFactor;
    dlg.minFluteLength = s.minFluteLengthFactor;
    dlg.maxToolLength = s.maxToolLengthFactor;
    dlg.lengthKind = s.toolLengthKind;
    dlg.highestHill = s.useHighestHill > 0;
    dlg.fluteCheck = s.checkFluteLength > 0;
    if (doModalInPluginRes(dlg, this) == plat::IDCANCEL) return;
    const std::vector<double> before = decimalSettings();
    s.minToolLengthFactor = dlg.minToolLength;
    s.minFluteLengthFactor = dlg.minFluteLength;
    s.maxToolLengthFactor = dlg.maxToolLength;
    s.toolLengthKind = dlg.lengthKind;
    s.useHighestHill = dlg.highestHill ? 1 : 0;
    s.checkFluteLength = dlg.fluteCheck ? 1 : 0;
    keepValidDecimals(before);
}

void CGeneralParameters::onChangeToolLibrary() {
    std::string ext = tool_suffix;
    if (!ext.empty() && ext.front() == '.') ext.erase(0, 1);
    const std::string path = openFileDialog(true, false, item(kLabelToolLibrary).text(), ext,
                                            texts_.getText(30) + "|*." + ext + "||");
    if (path.empty()) return;
    std::string lower = path;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    g_globals->settings.toolLibraryPath = lower;
    item(kLabelToolLibrary).setText(lower);
}

// The host's tool manager works on its current library: the shown one for the while, then the host's own.
void CGeneralParameters::onEditToolLibrary() {
    if (!g_machineGroup) {
        plat::messageBox(this, errorMessage(148), errorMessage(1), plat::MB_OK);
        return;
    }
    const std::string hostLibrary = ToolLibrary();
    SetToolLibrary(item(kLabelToolLibrary).text().substr(0, 1024).c_str());
    tp_tool tool{};
    (void)tool_manager(&tool, 0, nullptr);
    SetToolLibrary(hostLibrary.c_str());
}

// The spot drills (and centre drills, when allowed) of the tool library are offered in a selection library
// of their own; the last one within T of the wanted diameter is preselected.
void CGeneralParameters::chooseSpotDrill() {
    constexpr std::int16_t kCentreDrill = 1, kSpotDrill = 2;
    const PLUGIN_GLOBALS& g = *g_globals;
    if (!g_machineGroup) {
        plat::messageBox(this, errorMessage(148), errorMessage(1), plat::MB_OK);
        return;
    }
    const std::string selection = plat::joinPath(g.tmpDir, std::string("SpotDrillSel.") + g_toolLibExt);
    (void)writeSpotDrillLibrary(selection);
    const double wanted = typedNumber(item(kEditSpotDiameter).text());
    const bool centreDrills = checked(kCheckAllowCentre);

    tool_node* tools = nullptr;
    (void)list_manager(kListTools, g.settings.toolLibraryPath.c_str(), kListLoad, &tools);
    tp_tool preselected{};
    int preselectedSlot = 0;
    for (tool_node* node = tools; node; node = node->next) {
        const std::int16_t type = node->tool.type;
        if (type != kSpotDrill && !(type == kCentreDrill && centreDrills)) continue;
        tp_tool offered = node->tool;
        const int slot = library_manager(kLibraryAddTool, selection.c_str(), &offered);
        if (std::abs(node->tool.diameter - wanted) < g_tolerances.tolT) {
            preselected = offered;
            preselectedSlot = slot;
        }
    }
    (void)list_manager(kListTools, g.settings.toolLibraryPath.c_str(), kListFree, &tools);

    tp_tool chosen = preselected;
    if (library_manager(kLibraryPickTool, selection.c_str(), &chosen, preselectedSlot) == 0) return;
    item(kLabelSpotName).setText(trimReplaceBlanksStr(std::string_view(chosen.name, strnlen(chosen.name, sizeof chosen.name)), 0));
    item(kEditSpotDiameter).setText(formatValue(g_fmtCoarse, chosen.diameter));
    item(kEditSpotDepth).setText(
        formatValue(g_fmtCoarse, chosen.diameter * typedNumber(item(kEditSpotPercent).text()) / 100));
}

void CGeneralParameters::onAdvancedStrategies() {
    CDlgAdvancedStrategies dlg;
    (void)doModalInPluginRes(dlg, this);
}
