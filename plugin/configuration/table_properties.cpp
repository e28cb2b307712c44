// The properties of a table that are not rows: how a chamfer is told at the mouth of a hole, the chamfer to
// make where the geometry has none, the tolerances with which holes are matched to rows, the choice of the
// D value, and a new name for a table that still has the plug-in's provisional one. The dialog shows and
// returns texts; runTableProperties converts them and writes the table only when a value changed.
#include <cmath>
#include <cstdlib>
#include <optional>

#include "platform/sys/paths.h"
#include "platform/ui/message_box.h"
#include "plugin/base/globals.h"
#include "plugin/base/number_text.h"
#include "plugin/base/resource_switch.h"
#include "plugin/base/text_fill.h"
#include "plugin/base/utilities.h"
#include "plugin/configuration/table_dialogs.h"
#include "plugin/services/tables.h"

namespace {

constexpr int kLineCaption = 1, kLineNoPrefix = 36, kLineValuesRefused = 37, kLineBadName = 38;
constexpr int kLineTaken = 41, kLineTakenFree = 42, kLineTakenAsk = 43;
constexpr int kLineReadOnly = 201;   // "SharedData"
constexpr int kTableNameChars = 31;  // what a table reference holds of a name

struct LABEL {
    int control, line;
};
constexpr LABEL kLabels[] = {{4132, 15}, {4149, 16}, {4133, 17}, {4134, 18}, {4135, 19}, {4136, 20},
                             {4038, 22}, {4138, 23}, {plat::IDOK, 28}, {plat::IDCANCEL, 29}, {4153, 30},
                             {4154, 31}, {4155, 32}, {4019, 35}, {18084, 46}, {18085, 47}};
constexpr int kDiameterToleranceControls[] = {4154, CDlgShapeProp::kDiameterTolerance, 4162};
constexpr int kLengthToleranceControls[] = {4155, CDlgShapeProp::kLengthTolerance, 4163};
constexpr int kReadOnlyControls[] = {CDlgShapeProp::kDefiniteD,        CDlgShapeProp::kNearestD,
                                     CDlgShapeProp::kDiameterTolerance, CDlgShapeProp::kLengthTolerance,
                                     CDlgShapeProp::kRename,            CDlgShapeProp::kNewName,
                                     CDlgShapeProp::kMakeChamfer,       CDlgShapeProp::kMaxChamfer,
                                     CDlgShapeProp::kDefaultChamfer,    CDlgShapeProp::kAngleFrom,
                                     CDlgShapeProp::kAngleTo};

constexpr double kDegreesPerRadian = 57.29577951308233, kRadiansPerDegree = 0.017453292519943295;

bool readOnlyStation() { return g_globals->sharedDataOn && g_globals->sharedAccessMode == 0; }

bool hasPrefix(const std::string& name) {
    const std::string& prefix = g_globals->tableNamePrefix;
    return name.size() >= prefix.size() && plat::equalsNoCase(std::string_view(name).substr(0, prefix.size()), prefix);
}

// A name the table's files can take in the tables folder and a table reference can hold whole.
bool usableTableName(const std::string& name) {
    if (name.empty() || name.size() > kTableNameChars || name == "." || name == "..") return false;
    for (unsigned char c : name)
        if (c < 32 || std::string_view("\\/:*?\"<>|").find(static_cast<char>(c)) != std::string_view::npos)
            return false;
    return true;
}

// The one measured column of a hole-form table that offers the choice of the D value.
bool offersDValueChoice(const CTabColsDesc& t) {
    int measured = 0;
    bool fits = false;
    for (int i = 0; i < t.itemCount; ++i) {
        const TAB_DESC_ITEM& item = t.items[static_cast<std::size_t>(i)];
        if (item.kind != kItemCylinder) continue;
        ++measured;
        fits = item.b == 1 && (item.a == 0 || item.a == 2);
    }
    return measured == 1 && fits;
}

bool hasLengthColumn(const CTabColsDesc& t) {
    for (int i = 0; i < t.itemCount; ++i) {
        const TAB_DESC_ITEM& item = t.items[static_cast<std::size_t>(i)];
        if (item.kind == kItemCylinder && item.colId2 != 0) return true;
    }
    return false;
}

}  // namespace

CDlgShapeProp::CDlgShapeProp(plat::Dialog*) : plat::Dialog(kTemplate) {
    onCommand(kRename, [this] { onRenameCheck(); });
    onCommand(kDefiniteD, [this] { onDValueChoice(); });
    onCommand(kNearestD, [this] { onDValueChoice(); });
}

void CDlgShapeProp::doDataExchange(plat::Ddx& ddx) {
    ddx.text(kDefaultChamfer, defaultChamferText);
    ddx.text(kAngleTo, angleToText);
    ddx.text(kAngleFrom, angleFromText);
    ddx.text(kMaxChamfer, maxChamferText);
    ddx.text(kDiameterTolerance, diameterToleranceText);
    ddx.text(kLengthTolerance, lengthToleranceText);
    ddx.check(kMakeChamfer, makeChamfer);
}

bool CDlgShapeProp::dValueChoiceShown() {
    const plat::Control* definite = findItem(kDefiniteD);
    return definite && definite->visible();
}

void CDlgShapeProp::showDiameterTolerance(bool shown) {
    for (int id : kDiameterToleranceControls) item(id).show(shown);
}

void CDlgShapeProp::showLengthTolerance(bool shown) {
    for (int id : kLengthToleranceControls) item(id).show(shown);
}

bool CDlgShapeProp::onInitDialog() {
    // Without its texts the dialog closes as cancelled, so that no empty value reaches the table.
    if (texts_.load(g_globals->uiTextFile, "TablePropDlg", true) != 0 || !table) {
        endDialog(plat::IDCANCEL);
        return true;
    }
    updateData(false);
    CTextSection menu;
    (void)menu.load(g_globals->uiTextFile, "ForantixMenu", false);
    std::string caption = fillText(texts_.getText(kLineCaption), {table->name, menu.getText(g_globals->metric() ? 1 : 2)});
    if (readOnlyStation()) {
        CTextSection shared;
        (void)shared.load(g_globals->uiTextFile, "SharedData", false);
        caption += " " + shared.getText(kLineReadOnly);
    }
    setWindowText(caption);
    for (const LABEL& l : kLabels) item(l.control).setText(texts_.getMessage(l.line));

    item(kDefiniteD).show(false);
    item(kNearestD).show(false);
    showDiameterTolerance(false);
    showLengthTolerance(false);
    item(kNote).show(false);
    bool dValueChoice = false;
    switch (table->tableClass) {
    case kTableDrillSize:
        item(kNote).setText(texts_.getMessage(33));
        item(kNote).show(true);
        break;
    case kTableThread:
        showDiameterTolerance(true);
        item(kNote).setText(texts_.getMessage(34));
        item(kNote).show(true);
        break;
    case kTableNamed:
        showDiameterTolerance(true);
        showLengthTolerance(true);
        dValueChoice = true;
        break;
    default:
        showDiameterTolerance(true);
        showLengthTolerance(true);
        dValueChoice = offersDValueChoice(*table);
        break;
    }
    if (dValueChoice) {
        item(kDefiniteD).show(true);
        item(kNearestD).show(true);
        item(kDefiniteD).setCheck(nearestDValue != 0 ? 0 : 1);
        item(kNearestD).setCheck(nearestDValue != 0 ? 1 : 0);
        onDValueChoice();
    }

    newName.clear();
    item(kNewName).enable(false);
    if (hasPrefix(table->name)) item(kNewName).setText(table->name);
    if (!hasLengthColumn(*table)) showLengthTolerance(false);
    if (readOnlyStation())
        for (int id : kReadOnlyControls) item(id).enable(false);
    return true;
}

void CDlgShapeProp::onDValueChoice() {
    const bool definite = item(kDefiniteD).check() != 0;
    for (int id : kDiameterToleranceControls) item(id).enable(definite);
}

void CDlgShapeProp::onRenameCheck() {
    plat::Control& box = item(kRename);
    if (!hasPrefix(table->name)) {
        plat::messageBox(this, texts_.getMessage(kLineNoPrefix), errorMessage(1), plat::MB_OK);
        box.setCheck(0);
        return;
    }
    plat::Control& edit = item(kNewName);
    edit.enable(box.check() != 0);
    if (box.check() != 0) {
        edit.setEditSel(0, -1);
        edit.setFocus();
    }
}

void CDlgShapeProp::onOK() {
    if (!updateData(true)) return;
    std::string name;
    const bool renaming = hasPrefix(table->name) && item(kRename).check() != 0;
    if (renaming) {
        plat::Control& edit = item(kNewName);
        auto stay = [&edit] {
            edit.setEditSel(0, -1);
            edit.setFocus();
        };
        name = edit.text();
        // A name that the files cannot take, or that a reference would cut, is never confirmed.
        if (!name.empty() && !usableTableName(name)) {
            plat::messageBox(this, texts_.getMessage(kLineBadName), errorMessage(1), plat::MB_OK);
            stay();
            return;
        }
        if (!name.empty() && tableNameExists(name, "") != 0) {
            std::string free;
            for (int n = 1;; ++n) {
                free = fillText("%s_%i", {name, static_cast<long>(n)});
                if (tableNameExists(free, "") == 0) break;
            }
            const std::string text = texts_.getMessage(kLineTaken) + "\n" + name + "\n" + texts_.getMessage(kLineTakenFree) +
                                     "\n" + free + "\n" + texts_.getMessage(kLineTakenAsk);
            if (plat::messageBox(this, text, errorMessage(1), plat::MB_OKCANCEL) != plat::IDOK) {
                newName.clear();
                stay();
                return;
            }
            if (!usableTableName(free)) {
                plat::messageBox(this, texts_.getMessage(kLineBadName), errorMessage(1), plat::MB_OK);
                stay();
                return;
            }
            name = free;
        }
    }
    newName = name;
    // Radios that were not shown leave the table's choice as it was.
    if (dValueChoiceShown()) nearestDValue = item(kNearestD).check() != 0 ? 1 : 0;
    endDialog(plat::IDOK);
}

namespace {

struct PROPERTY_VALUES {
    double angleFrom, angleTo, maxChamfer, defaultChamfer, diameterTolerance, lengthTolerance;
};

// The number a text holds whole (blanks around it allowed); nothing for any other text.
std::optional<double> wholeNumber(const std::string& text) {
    const char* begin = text.c_str();
    char* end = nullptr;
    const double value = std::strtod(begin, &end);
    if (end == begin) return std::nullopt;
    while (*end == ' ' || *end == '\t') ++end;
    if (*end != '\0' || !std::isfinite(value)) return std::nullopt;
    return value;
}

}  // namespace

int runTableProperties(CTabColsDesc& table, std::string* newName, bool* written, plat::Dialog* parent) {
    *written = false;
    newName->clear();
    CDlgShapeProp dlg(parent);
    dlg.table = &table;
    dlg.angleFromText = formatNumber(table.chamferAngleA * kDegreesPerRadian, "%.1f");
    dlg.angleToText = formatNumber(table.chamferAngleB * kDegreesPerRadian, "%.1f");
    dlg.maxChamferText = formatNumber(table.maxChamfer);
    dlg.defaultChamferText = formatNumber(table.autoChamferSize);
    dlg.diameterToleranceText = formatNumber(table.diameterTolerance * 100.0, "%.1f");
    dlg.lengthToleranceText = formatNumber(table.lengthTolerance * 100.0, "%.1f");
    dlg.makeChamfer = table.autoChamferOn != 0 ? 1 : 0;
    const std::int16_t shownNearest = table.classValue5 != 0 ? 1 : 0;
    dlg.nearestDValue = shownNearest;
    const std::string shownTexts[6] = {dlg.angleFromText, dlg.angleToText, dlg.maxChamferText,
                                      dlg.defaultChamferText, dlg.diameterToleranceText, dlg.lengthToleranceText};
    PROPERTY_VALUES values{};
    for (;;) {
        if (doModalInPluginRes(dlg, parent) != plat::IDOK) return plat::IDCANCEL;
        // A text left as it was shown keeps the stored value, which the shown text may only round.
        const std::string* typed[6] = {&dlg.angleFromText, &dlg.angleToText, &dlg.maxChamferText,
                                       &dlg.defaultChamferText, &dlg.diameterToleranceText, &dlg.lengthToleranceText};
        const double stored[6] = {table.chamferAngleA, table.chamferAngleB, table.maxChamfer, table.autoChamferSize,
                                  table.diameterTolerance, table.lengthTolerance};
        const double scale[6] = {kRadiansPerDegree, kRadiansPerDegree, 1, 1, 0.01, 0.01};
        double converted[6];
        bool refused = false;
        for (int i = 0; i < 6; ++i) {
            if (*typed[i] == shownTexts[i]) {
                converted[i] = stored[i];
                continue;
            }
            const std::optional<double> v = wholeNumber(*typed[i]);
            refused = refused || !v;
            converted[i] = v ? *v * scale[i] : 0;
        }
        // The table reader refuses a tolerance outside 0 to 1: such a table would be lost.
        for (int i : {4, 5}) refused = refused || converted[i] < 0 || converted[i] > 1;
        if (!refused) {
            values = {converted[0], converted[1], converted[2], converted[3], converted[4], converted[5]};
            break;
        }
        CTextSection texts;
        (void)texts.load(g_globals->uiTextFile, "TablePropDlg", false);
        plat::messageBox(parent, texts.getMessage(kLineValuesRefused), errorMessage(1), plat::MB_OK | plat::MB_ICONWARNING);
    }
    *newName = dlg.newName;
    const std::int16_t makeChamfer = dlg.makeChamfer != 0 ? 1 : 0;
    const std::int16_t classValue5 = dlg.nearestDValue == shownNearest ? table.classValue5 : dlg.nearestDValue;
    const bool changed = values.angleFrom != table.chamferAngleA || values.angleTo != table.chamferAngleB ||
                         values.maxChamfer != table.maxChamfer || values.defaultChamfer != table.autoChamferSize ||
                         values.diameterTolerance != table.diameterTolerance ||
                         values.lengthTolerance != table.lengthTolerance || makeChamfer != table.autoChamferOn ||
                         classValue5 != table.classValue5;
    if (!changed) return plat::IDOK;
    CTabColsDesc before = table;
    table.chamferAngleA = values.angleFrom;
    table.chamferAngleB = values.angleTo;
    table.maxChamfer = values.maxChamfer;
    table.autoChamferSize = values.defaultChamfer;
    table.diameterTolerance = values.diameterTolerance;
    table.lengthTolerance = values.lengthTolerance;
    table.autoChamferOn = makeChamfer;
    table.classValue5 = classValue5;
    if (table.write() != 0) {
        // Told by the writer; the file kept its old values, and so does the table.
        table = std::move(before);
        newName->clear();
        return plat::IDCANCEL;
    }
    *written = true;
    return plat::IDOK;
}
