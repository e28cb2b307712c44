// The operation editor as it opens: its handlers, the drill-size and thread tables of the library, the texts
// of its controls, the tool-type, material and cycle lists, and what it shows of the measures associated to
// the row's hole form.
#include <algorithm>
#include <cstdio>

#include "host/api.h"
#include "platform/ui/message_box.h"
#include "plugin/base/globals.h"
#include "plugin/base/tool_types.h"
#include "plugin/configuration/editor_support.h"
#include "plugin/configuration/config_dialogs.h"
#include "plugin/services/configuration.h"
#include "plugin/services/tables.h"

namespace {

constexpr int kMsgCentreDrillRefused = 141;       // "ErrorMessages"
constexpr int kLineReadOnly = 201;                 // "SharedData"
constexpr int kLineStepEnd = 21, kLineStepStart = 22;
constexpr int kThreadStep = 1, kDrillSizeStep = 2;  // the step flags of a row's form

struct LABEL {
    int line, control;
};

// The line of "EditProcessOpeDlg" each control shows.
constexpr LABEL kLabels[] = {
    // general page
    {2, 4142}, {3, 4143}, {4, 4144}, {5, 4061}, {6, 4062}, {7, 4059}, {8, 4145}, {9, 4065}, {10, 4064},
    {11, 4072}, {12, 4146}, {13, 4070}, {14, 4098}, {15, 4069}, {16, 4087}, {17, 4096}, {18, plat::IDOK},
    {19, 4095}, {20, plat::IDCANCEL}, {23, 4147}, {28, 4308}, {29, 4083}, {30, 4267}, {31, 4261}, {32, 4262},
    {33, 4019}, {34, 4020}, {35, 18068}, {36, 18069},
    // circle-mill and contour page
    {100, 18074}, {101, 4310}, {102, 4311}, {104, 4313}, {105, 4339}, {106, 4340}, {107, 4344}, {108, 4029},
    {109, 4319}, {110, 4320}, {111, 4321}, {112, 4035}, {113, 4330}, {114, 4331}, {115, 18041}, {116, 18042},
    {117, 18073}, {123, 4028}, {124, 4322}, {125, 4323}, {126, 4325}, {127, 4326}, {128, 4327}, {129, 4328},
    {130, 4324}, {131, 4314}, {132, 4315}, {141, 18076}, {142, 18078}, {143, 18082}, {146, 18077}, {147, 18079},
    {148, 18086}, {151, 4037}, {152, 4116}, {153, 4117}, {154, 4346}, {155, 4347}, {156, 4381},
    // helix-bore page
    {100, 18094}, {101, 4345}, {102, 4348}, {103, 18095}, {104, 4349}, {105, 4350}, {106, 4351}, {116, 18043},
    {211, 18088}, {212, 18089}, {213, 18092}, {221, 4353}, {222, 4354}, {223, 4355}, {224, 4356}, {225, 18125},
    {226, 4038}, {227, 4357}, {228, 4358}, {229, 4359}, {230, 18127}, {231, 4360}, {232, 18126}, {233, 18128},
    {234, 18129},
    // thread-mill page
    {101, 4361}, {311, 18096}, {312, 18097}, {313, 18100}, {321, 18141}, {322, 18142}, {323, 18143}, {324, 18144},
    {325, 18145}, {326, 18146}, {336, 18130}, {337, 18131}, {338, 18132}, {339, 18133}, {340, 18134}, {341, 18135},
    {351, 18136}, {352, 18137}, {353, 18138}, {354, 18139}, {355, 18140}, {356, 18148}, {360, 18149}, {361, 18150},
    {362, 18151}, {363, 18152}, {364, 18153}, {365, 18154}, {366, 18155}, {367, 18156}, {368, 18157}, {369, 18158},
};

// What a station that only reads the shared library may not change.
constexpr int kReadOnlyControls[] = {
    4083, 4062, 4107, 4111, 4110, 4106, 4105, 4117, 4116, 4362, 4039, 4019, 4344, 4108, 4109,
    4103, 4102, 4104, 4092, 4088, 4315, 4314, 4054, 4053, 4056, 4055, 4050, 4052, 4051, 4044,
    4049, 4024, 4023, 4020, 4041, 18057, 4094, 4031, 4261, 4262, 4060, 4061, 4063, 4059, 4064,
    4069, 4098, 4089, 4070, 4071, 4087, 4065, 4067, 4072, 4040, 4036, 4058, 4068, 4113, 4057,
};
static_assert(std::size(kReadOnlyControls) == 60);

bool readOnlyStation() { return g_globals->sharedDataOn && g_globals->sharedAccessMode == 0; }

}  // namespace

CDlgEditProcessOpe::CDlgEditProcessOpe(plat::Dialog*) : plat::Dialog(kTemplate) {
    using plat::Ev;
    on(kTab, Ev::Clicked, [this](plat::Notify&) { onTabClick(); });
    on(kTab, Ev::SelChanging, [](plat::Notify& n) { n.result = 0; });
    on(4058, Ev::SelChange, [this](plat::Notify&) { onToolTypeChange(); });
    on(4060, Ev::SelChange, [this](plat::Notify&) { onCycleChange(); });
    on(4066, Ev::SelChange, [this](plat::Notify&) { circleCycleIndex = static_cast<std::int16_t>(item(4066).curSel()); });
    for (int id : {4061, 4062, 4063}) onCommand(id, [this] { onToolDiameterMode(); });
    for (int id : {4065, 4067, 4072}) onCommand(id, [this] { onTopZMode(); });
    for (int id : {4070, 4071, 4073, 4087}) onCommand(id, [this] { onBottomZMode(); });
    for (int kind = 1; kind <= 4; ++kind) {
        const MILLED_DIAMETER_CONTROLS& c = milledDiameterControls(kind);
        for (int id : {c.fixedRadio, c.associatedRadio})
            onCommand(id, [this, kind] { onMilledDiameterMode(kBottomZBlock + kind); });
    }
    onCommand(4029, [this] { onDepthCuts(); });
    onCommand(4035, [this] { onCircleRoughing(); });
    onCommand(4114, [this] { onHelicalEntryCheck(); });
    onCommand(4028, [this] { onRadialCuts(); });
    onCommand(4037, [this] { onContourRoughing(); });
    onCommand(4116, [this] { onLeadIn(); });
    onCommand(4117, [this] { onLeadOut(); });
    onCommand(4362, [this] { toggleOffsetSign(); });
    onCommand(18057, [this] { toggleStockSign(); });
    struct PICK {
        int button, code;
    };
    for (PICK p : {PICK{4095, 504}, PICK{4059, 501}, PICK{4064, 502}, PICK{4069, 503}, PICK{18082, 505},
                   PICK{18086, 515}, PICK{18092, 525}, PICK{18100, 535}})
        onCommand(p.button, [this, p] { endForPick(p.code); });
    onCommand(4344, [this] { onCalculateCuts(); });
    onCommand(18041, [this] { runHelicalEntry(); });
    onCommand(18042, [this] { runCircleEntryExit(); });
    onCommand(18043, [this] { runHelixEntryExit(); });
    onMessage(plat::Msg::Close, [this](plat::MsgArgs&) { onClose(); });
    bindValueHandlers();
}

void CDlgEditProcessOpe::doDataExchange(plat::Ddx& ddx) {
    ddx.text(4068, toolDiameterText);
    ddx.radio(4061, toolDiameterMode);
    ddx.text(4036, topZText);
    ddx.text(4040, bottomZText);
    ddx.radio(4065, topZMode);
    ddx.radio(4070, bottomZMode);
    ddx.text(4094, commentText);
    ddx.check(4098, fromTopZCheck);
    ddx.text(4089, firstDrillText);
    ddx.text(4031, cornerRadiusText);
    ddx.radio(4261, cornerRadiusChoice);
}

bool CDlgEditProcessOpe::onInitDialog() {
    if (texts.load(g_globals->uiTextFile, "EditProcessOpeDlg", true) != 0) {
        endDialog(plat::IDOK);
        return true;
    }
    if (milledKind >= 1 && milledKind <= 4) cycleIndex = static_cast<std::int16_t>(19 + milledKind);
    plat::Control& tab = item(kTab);
    tab.resetContent();
    tab.insertString(0, "      " + texts.getText(50));
    tab.insertString(1, " ");
    enableToolTips(true);

    // The template lays the pages one over another already; the window goes to the left of the screen.
    buildPages();
    const plat::Rect at = windowRect();
    moveWindow(plat::Rect{10, at.top, 10 + at.width(), at.bottom});
    repaint_graphics();
    showPage(0);

    loadTables();
    std::string caption = texts.getText(1);
    if (readOnlyStation()) {
        CTextSection shared;
        (void)shared.load(g_globals->uiTextFile, "SharedData", false);
        caption += " " + shared.getText(kLineReadOnly);
    }
    setWindowText(caption);
    setLabels();
    fillToolTypeCombo();
    fillMaterialCombo();
    fillCycleCombos();

    commentText = comment;
    item(4112).setText(libraryToolName);
    topZText = numberText(g_fmtMedium, assoc[kTopZBlock].value);
    bottomZText = numberText(g_fmtMedium, assoc[kBottomZBlock].value);
    firstDrillText = numberText("%.1f", firstDrillPercent);
    for (int id : {4101, 4099, 4100, 18083, 18093}) item(id).setText("");
    toolDiameterMode = assoc[kToolDiamBlock].mode;
    topZMode = assoc[kTopZBlock].mode;
    bottomZMode = assoc[kBottomZBlock].mode;
    fromTopZCheck = fromTopZ;
    cornerRadiusText = numberText(g_fmtMedium, cornerRadius);

    normalizeAssocValues();
    showAssociations();
    enableCornerRadius();
    enableBottomZModes();
    fillCompCombos();
    enableByKind();
    if (readOnlyStation()) disableForReadOnly();

    // An operation without a milled kind has the general page alone, whatever page the last one was left on.
    if (milledKind < 1 || milledKind > 4) currentPage = 0;
    tab.setCurSel(currentPage);
    showPage(currentPage);
    return true;
}

void CDlgEditProcessOpe::loadTables() {
    drillSizeTable.clear();
    for (CTabColsDesc& t : threadTables) t.clear();
    threadTableCount = 0;
    // The folder's listing order is one order on every machine (names compared without case).
    CTabColsDesc scan;
    for (const std::string& file : listTableFiles(g_globals->tablesDir)) {
        if (threadTableCount >= static_cast<std::int16_t>(threadTables.size())) break;
        scan.clear();
        if (scan.read(file) != 0) continue;
        CTabColsDesc* into = nullptr;
        if (scan.tableClass == kTableDrillSize)
            into = &drillSizeTable;
        else if (scan.tableClass == kTableThread)
            into = &threadTables[static_cast<std::size_t>(threadTableCount)];
        if (!into) continue;
        into->clear();
        if (into->read(file) != 0 || into->readRows() < 0) {
            into->clear();
            continue;
        }
        if (scan.tableClass == kTableThread) ++threadTableCount;
    }
}

void CDlgEditProcessOpe::setLabels() {
    for (const LABEL& l : kLabels) item(l.control).setText(texts.getText(l.line));
}

void CDlgEditProcessOpe::fillToolTypeCombo() {
    const bool centreDrills = g_globals->settings.allowCenterDrill != 0;
    if (toolType == 1 && !centreDrills) {
        plat::messageBox(this, errorMessage(kMsgCentreDrillRefused), errorMessage(1), plat::MB_OK);
        toolType = 2;
    }
    plat::Control& combo = item(4058);
    combo.resetContent();
    int found = -1;
    for (const TOOL_OP_TYPE* row = g_toolOpTypes; row->type >= 0; ++row) {
        if (row->toolName[0] == '\0' || (row->type == 1 && !centreDrills)) continue;
        const int at = combo.addString(row->toolName);
        combo.setItemData(at, row->type);
        if (row->type == toolType && found < 0) found = at;
    }
    if (found >= 0) toolTypeIndex = found;
    if (toolTypeIndex < 0 || toolTypeIndex >= combo.count()) toolTypeIndex = 0;
    combo.setCurSel(toolTypeIndex);
    if (combo.count() > 0) toolType = static_cast<std::int32_t>(combo.itemData(toolTypeIndex));
}

void CDlgEditProcessOpe::fillMaterialCombo() {
    plat::Control& combo = item(18071);
    combo.resetContent();
    int selected = 0;
    for (const TOOL_MATERIAL& m : g_toolMaterials) {
        const int at = combo.addString(m.name);
        combo.setItemData(at, m.id);
        if (m.id == toolMaterial) selected = at;
    }
    combo.setCurSel(selected);
}

void CDlgEditProcessOpe::fillCycleCombos() {
    const int n = cycles.load("");
    const int m = cycles.getNextNumber();
    plat::Control& all = item(4060);
    all.resetContent();
    for (int i = 0; i < n; ++i) all.addString(cycles.entries[i].name);
    all.setCurSel(cycleIndex);
    // The circle mill itself, then the drill cycles from the eighth on.
    plat::Control& circle = item(4066);
    circle.resetContent();
    if (n - m >= 0 && n - m < n) circle.addString(cycles.entries[n - m].name);
    for (int i = 7; i < n - m; ++i) circle.addString(cycles.entries[i].name);
    circle.setCurSel(circleCycleIndex);
}

const TAB_FORM_STEP* CDlgEditProcessOpe::formStep(const ASSOC_VALUE& block) const {
    if (!formTable || block.stepIndex < 0 || block.stepIndex >= formTable->stepCount ||
        static_cast<std::size_t>(block.stepIndex) >= formTable->formSteps.size())
        return nullptr;
    return &formTable->formSteps[static_cast<std::size_t>(block.stepIndex)];
}

std::string CDlgEditProcessOpe::associationText(const ASSOC_VALUE& block) const {
    std::string heading;
    if (formTable) (void)formTable->getColumnInfo(static_cast<std::int16_t>(block.columnId), &heading, nullptr, nullptr, nullptr);
    return heading + " =" + numberText(g_fmtMedium, block.value);
}

void CDlgEditProcessOpe::showAssociations() {
    const ASSOC_VALUE& tool = assoc[kToolDiamBlock];
    if (tool.mode == 1) {
        item(4068).enable(false);
        std::string label = associationText(tool);
        const TAB_FORM_STEP* step = formStep(tool);
        if (step && step->threaded == kThreadStep && (toolType == 4 || toolType == 5)) {
            std::string heading;
            (void)formTable->getColumnInfo(static_cast<std::int16_t>(tool.columnId), &heading, nullptr, nullptr, nullptr);
            label = heading + " =" + findThreadByDiameterPitch(step->threadDiameter, step->threadPitch, -1, nullptr,
                                                              nullptr, nullptr);
        }
        item(4101).setText(label);
    }
    updateToolDiameterText();
    for (int kind = 1; kind <= 4; ++kind) {
        const ASSOC_VALUE& block = assoc[static_cast<std::size_t>(kBottomZBlock + kind)];
        const MILLED_DIAMETER_CONTROLS& c = milledDiameterControls(kind);
        if (block.mode == 1) {
            item(c.edit).enable(false);
            item(c.label).setText(associationText(block));
        }
        item(c.edit).setText(numberText(g_fmtMedium, block.value));
    }
    struct Z_CONTROLS {
        int block, edit, label;
    };
    for (Z_CONTROLS z : {Z_CONTROLS{kTopZBlock, 4036, 4099}, Z_CONTROLS{kBottomZBlock, 4040, 4100}}) {
        const ASSOC_VALUE& block = assoc[static_cast<std::size_t>(z.block)];
        if (block.mode == 0) continue;
        item(z.edit).enable(false);
        std::string heading;
        if (block.columnId != 0 && formTable)
            (void)formTable->getColumnInfo(static_cast<std::int16_t>(block.columnId), &heading, nullptr, nullptr, nullptr);
        item(z.label).setText(block.columnId != 0 ? heading : texts.getText(block.stepEnd ? kLineStepEnd : kLineStepStart));
    }
}

void CDlgEditProcessOpe::updateToolDiameterText() {
    const ASSOC_VALUE& tool = assoc[kToolDiamBlock];
    double diameter = tool.value;
    const TAB_FORM_STEP* step = tool.mode == 1 ? formStep(tool) : nullptr;
    std::vector<std::string> row;
    if (step && step->threaded == kThreadStep && (toolType == 4 || toolType == 5) && threadTableCount > 0) {
        if (threadTables[0].findNearestRow(4, tool.value, 0, row) == 0) diameter = textNumber(row.size() > 1 ? row[1] : "");
    } else if (step && step->threaded == kDrillSizeStep && toolType == 3 && drillSizeTable.rowCount > 0) {
        // The drill leaves the allowance of the drill-size table's row (its allowance column; the last cell
        // of a table without one).
        if (drillSizeTable.findNearestRow(1, tool.value, 1, row) == 0 && !row.empty()) {
            const int column = drillSizeTable.kind4Column > 0 ? drillSizeTable.kind4Column : static_cast<int>(row.size());
            diameter = tool.value - textNumber(row[static_cast<std::size_t>(std::min<int>(column, static_cast<int>(row.size())) - 1)]);
        }
    }
    toolDiameterText = numberText(g_fmtMedium, diameter);
    updateData(false);
}

void CDlgEditProcessOpe::disableForReadOnly() {
    for (int id : kReadOnlyControls) item(id).enable(false);
}
