// The entry of a circle mill or helix bore (start angle, arc sweep, start at the centre, perpendicular entry)
// and the circle mill's helical entry, edited in dialogs of their own on copies that go back on OK.
#include <cstdint>
#include <cstring>

#include "plugin/base/globals.h"
#include "plugin/configuration/editor_dialogs.h"
#include "plugin/configuration/editor_support.h"
#include "plugin/model/host_blocks.h"
#include "plugin/configuration/config_dialogs.h"
#include "plugin/services/configuration.h"

namespace {

using process_ope::circleMillBlock;
using process_ope::helixBoreBlock;

// Where a block keeps the four entry values.
struct ENTRY_PLACES {
    std::size_t startAngle, arcSweep, startAtCentre, perpendicularEntry;
};
constexpr ENTRY_PLACES kCircleEntry{circleMillBlock + circle_fields::startAngle,
                                    circleMillBlock + circle_fields::entrySweep,
                                    circleMillBlock + circle_fields::startAtCentre,
                                    circleMillBlock + circle_fields::perpendicularEntry};
constexpr ENTRY_PLACES kHelixEntry{helixBoreBlock + helix_fields::startAngle, helixBoreBlock + helix_fields::entrySweep,
                                   helixBoreBlock + helix_fields::startAtCentre,
                                   helixBoreBlock + helix_fields::perpendicularEntry};

void runEntryExit(plat::Dialog* owner, PROCESS_OPE& op, const ENTRY_PLACES& at) {
    CDlgCircMillEntryExit dialog;
    dialog.startAngle = op.get<double>(at.startAngle);
    dialog.arcSweep = op.get<double>(at.arcSweep);
    dialog.startAtCentre = op.get<std::uint8_t>(at.startAtCentre);
    dialog.perpendicularEntry = op.get<std::uint8_t>(at.perpendicularEntry);
    if (dialog.doModal(owner) != plat::IDOK) return;
    op.set<double>(at.startAngle, dialog.startAngle);
    op.set<double>(at.arcSweep, dialog.arcSweep);
    op.set<std::uint8_t>(at.startAtCentre, dialog.startAtCentre);
    op.set<std::uint8_t>(at.perpendicularEntry, dialog.perpendicularEntry);
}

constexpr std::size_t kHelicalValues = circleMillBlock + circle_fields::helixMinRadius;

}  // namespace

void CDlgEditProcessOpe::runCircleEntryExit() { runEntryExit(this, operation, kCircleEntry); }
void CDlgEditProcessOpe::runHelixEntryExit() { runEntryExit(this, operation, kHelixEntry); }

void CDlgEditProcessOpe::runHelicalEntry() {
    // The controls go into the state first: the page is written again from it after OK.
    readControls();
    helicalEntry.tool = assoc[kToolDiamBlock];
    for (std::size_t i = 0; i < helicalEntry.values.size(); ++i)
        helicalEntry.values[i] = operation.get<double>(kHelicalValues + 8 * i);
    if (helicalEntry.doModal(this) != plat::IDOK) return;
    for (std::size_t i = 0; i < helicalEntry.values.size(); ++i)
        operation.set<double>(kHelicalValues + 8 * i, helicalEntry.values[i]);
    operation.set<std::uint8_t>(circleMillBlock + circle_fields::helixOn, 1);
    operation.set<std::uint8_t>(circleMillBlock + circle_fields::roughOn, 1);
    fillCompCombos();
    enableByKind();
}

// ---- the entry and exit dialog ----

CDlgCircMillEntryExit::CDlgCircMillEntryExit() : plat::Dialog(kTemplate) {}

bool CDlgCircMillEntryExit::onInitDialog() {
    (void)texts.load(g_globals->uiTextFile, "CircleMillEntryExitDlg", false);
    setWindowText(texts.getText(1));
    const struct {
        int control, line;
    } labels[] = {{plat::IDOK, 2},      {plat::IDCANCEL, 3},       {kStartAngleLabel, 11},
                  {kArcSweepLabel, 12}, {kStartAtCentreCheck, 13}, {kPerpendicularEntryCheck, 14}};
    for (const auto& l : labels) item(l.control).setText(texts.getText(l.line));
    texts.clear();
    item(kStartAngleEdit).setText(numberText("%.2f", startAngle));
    item(kArcSweepEdit).setText(numberText("%.2f", arcSweep));
    item(kStartAtCentreCheck).setCheck(startAtCentre != 0);
    item(kPerpendicularEntryCheck).setCheck(perpendicularEntry != 0);
    return true;
}

void CDlgCircMillEntryExit::onOK() {
    updateData(true);
    startAngle = textNumber(item(kStartAngleEdit).text());
    arcSweep = textNumber(item(kArcSweepEdit).text());
    startAtCentre = static_cast<std::uint8_t>(item(kStartAtCentreCheck).check() != 0);
    perpendicularEntry = static_cast<std::uint8_t>(item(kPerpendicularEntryCheck).check() != 0);
    endDialog(plat::IDOK);
}

// ---- the helical entry dialog ----

namespace {

struct HELICAL_EDIT {
    int control, value;
    const char* const* format;   // the unit's format, read when the dialog opens
};
using Helical = CDlgCircMillHelicalEntry;
const char* const kPercentFormat = "%.2f";
const char* const kAngleFormat = "%.3f";
const HELICAL_EDIT kHelicalEdits[] = {
    {Helical::kMinRadiusEdit, Helical::kMinRadius, &g_fmtMedium},
    {Helical::kMinPercentEdit, Helical::kMinPercent, &kPercentFormat},
    {Helical::kMaxRadiusEdit, Helical::kMaxRadius, &g_fmtMedium},
    {Helical::kMaxPercentEdit, Helical::kMaxPercent, &kPercentFormat},
    {Helical::kXYClearanceEdit, Helical::kXYClearance, &g_fmtMedium},
    {Helical::kZClearanceEdit, Helical::kZClearance, &g_fmtMedium},
    {Helical::kPlungeAngleEdit, Helical::kPlungeAngle, &kAngleFormat},
};

}  // namespace

CDlgCircMillHelicalEntry::CDlgCircMillHelicalEntry() : plat::Dialog(kTemplate) {
    struct PAIR {
        int percent, radius;
    };
    for (PAIR p : {PAIR{kMinPercentEdit, kMinRadiusEdit}, PAIR{kMaxPercentEdit, kMaxRadiusEdit}}) {
        on(p.percent, plat::Ev::Change, [this, p](plat::Notify&) { onPercentPair(p.percent, p.radius, true); });
        on(p.radius, plat::Ev::Change, [this, p](plat::Notify&) { onPercentPair(p.radius, p.percent, false); });
    }
}

bool CDlgCircMillHelicalEntry::onInitDialog() {
    (void)texts.load(g_globals->uiTextFile, "CircleMillHelicalEntryDlg", false);
    setWindowText(texts.getText(1));
    const struct {
        int control, line;
    } labels[] = {{plat::IDOK, 2},         {plat::IDCANCEL, 3},    {kMinRadiusLabel, 11},
                  {kMaxRadiusLabel, 12},   {kMinPercentLabel, 13}, {kMaxPercentLabel, 14},
                  {kXYClearanceLabel, 15}, {kZClearanceLabel, 16}, {kPlungeAngleLabel, 17}};
    for (const auto& l : labels) item(l.control).setText(texts.getText(l.line));
    texts.clear();
    for (const HELICAL_EDIT& e : kHelicalEdits)
        item(e.control).setText(numberText(*e.format, values[static_cast<std::size_t>(e.value)]));
    return true;
}

// A radius and its share of the tool diameter follow each other while the user types into one of them.
void CDlgCircMillHelicalEntry::onPercentPair(int edit, int partner, bool isPercent) {
    if (focusedId() != edit) return;
    const std::string text = percentPartnerText(tool.value, item(edit).text(), isPercent);
    if (!text.empty()) item(partner).setText(text);
}

void CDlgCircMillHelicalEntry::onOK() {
    updateData(true);
    for (const HELICAL_EDIT& e : kHelicalEdits) values[static_cast<std::size_t>(e.value)] = textNumber(item(e.control).text());
    endDialog(plat::IDOK);
}
