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
    } labels[] = {{plat::IDOK, 2}, {plat::IDCANCEL, 3}, {4312, 11}, {4313, 12}, {18074, 13}, {18075, 14}};
    for (const auto& l : labels) item(l.control).setText(texts.getText(l.line));
    texts.clear();
    item(4044).setText(numberText("%.2f", startAngle));
    item(4045).setText(numberText("%.2f", arcSweep));
    item(18074).setCheck(startAtCentre != 0);
    item(18075).setCheck(perpendicularEntry != 0);
    return true;
}

void CDlgCircMillEntryExit::onOK() {
    updateData(true);
    startAngle = textNumber(item(4044).text());
    arcSweep = textNumber(item(4045).text());
    startAtCentre = static_cast<std::uint8_t>(item(18074).check() != 0);
    perpendicularEntry = static_cast<std::uint8_t>(item(18075).check() != 0);
    endDialog(plat::IDOK);
}

// ---- the helical entry dialog ----

namespace {

struct HELICAL_EDIT {
    int control, value;
    const char* const* format;   // the unit's format, read when the dialog opens
};
const char* const kPercentFormat = "%.2f";
const char* const kAngleFormat = "%.3f";
const HELICAL_EDIT kHelicalEdits[] = {
    {4093, CDlgCircMillHelicalEntry::kMinRadius, &g_fmtMedium},
    {4090, CDlgCircMillHelicalEntry::kMinPercent, &kPercentFormat},
    {4097, CDlgCircMillHelicalEntry::kMaxRadius, &g_fmtMedium},
    {4091, CDlgCircMillHelicalEntry::kMaxPercent, &kPercentFormat},
    {4102, CDlgCircMillHelicalEntry::kXYClearance, &g_fmtMedium},
    {4103, CDlgCircMillHelicalEntry::kZClearance, &g_fmtMedium},
    {4104, CDlgCircMillHelicalEntry::kPlungeAngle, &kAngleFormat},
};

}  // namespace

CDlgCircMillHelicalEntry::CDlgCircMillHelicalEntry() : plat::Dialog(kTemplate) {
    struct PAIR {
        int percent, radius;
    };
    for (PAIR p : {PAIR{4090, 4093}, PAIR{4091, 4097}}) {
        on(p.percent, plat::Ev::Change, [this, p](plat::Notify&) { onPercentPair(p.percent, p.radius, true); });
        on(p.radius, plat::Ev::Change, [this, p](plat::Notify&) { onPercentPair(p.radius, p.percent, false); });
    }
}

bool CDlgCircMillHelicalEntry::onInitDialog() {
    (void)texts.load(g_globals->uiTextFile, "CircleMillHelicalEntryDlg", false);
    setWindowText(texts.getText(1));
    const struct {
        int control, line;
    } labels[] = {{plat::IDOK, 2}, {plat::IDCANCEL, 3}, {4332, 11}, {4334, 12}, {4333, 13},
                  {4335, 14},      {4336, 15},          {4337, 16}, {4338, 17}};
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
