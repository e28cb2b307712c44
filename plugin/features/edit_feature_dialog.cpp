// The edit-feature dialog: one mark's copy (or the data of all equal marks) made reamed or tapped, with its
// thread and thread depth. The mark itself is the caller's; deletion and the copy to equal arcs too.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <string>

#include "platform/sys/files.h"
#include "platform/sys/paths.h"
#include "platform/ui/message_box.h"
#include "plugin/base/globals.h"
#include "plugin/base/text_fill.h"
#include "plugin/features/feature_marks.h"
#include "plugin/features/feature_windows.h"
#include "plugin/services/configuration.h"
#include "plugin/services/tables.h"

namespace {

constexpr std::int16_t kThreadTableClass = 2;

}  // namespace

CDlgEditFeature::CDlgEditFeature() : plat::Dialog(kTemplate) {
    onCommand(kReaming, [this] { onKindChanged(); });
    onCommand(kTapping, [this] { onKindChanged(); });
    onCommand(kChange, [this] { onChangeProcess(); });
    onCommand(kCopyToEqualArcs, [this] { endDialog(kResultCopyToEqualArcs); });
    onCommand(kDelete, [this] { onDelete(); });
}

void CDlgEditFeature::doDataExchange(plat::Ddx& ddx) { ddx.radio(kReaming, kindRadio); }

bool CDlgEditFeature::onInitDialog() {
    (void)texts_.load(g_globals->uiTextFile, "DlgEditFeatures", true);
    setWindowText(texts_.getText(1) + " - " + titleSuffix);
    const std::pair<int, int> labels[] = {{plat::IDOK, 2}, {plat::IDCANCEL, 3}, {kDelete, 4}, {kCopyToEqualArcs, 5},
                                          {kReaming, 10}, {kTapping, 11}, {kDiameterLabel, 12}, {kChange, 16},
                                          {kDepthLabel, 17}};
    for (const auto& [id, line] : labels) item(id).setText(texts_.getText(line));
    kindRadio = -1;
    if (mark.isFit) kindRadio = 0;
    if (mark.isTap) kindRadio = 1;
    updateData(false);
    showFeature();
    return true;
}

// Tapping looks the thread up: by its designation (which fills the copy's thread diameter, pitch and kind),
// or, without one, by diameter and pitch.
void CDlgEditFeature::showFeature() {
    std::string diameter, designation, table, depth;
    if (kindRadio == 0 || kindRadio == 1) {
        const bool tapping = kindRadio == 1;
        item(kChange).enable(tapping);
        item(kDepth).enable(tapping);
        if (!tapping) {
            diameter = formatNumber(g_fmtMedium, mark.diameter);
        } else {
            if (mark.threadName[0]) {
                designation.assign(mark.threadName, strnlen(mark.threadName, sizeof mark.threadName));
                double d = 0, p = 0;
                std::int16_t kind = 0;
                if (findThreadRow(designation, mark.threadKind, &d, &p, nullptr, nullptr, &kind, &table)) {
                    mark.tapDiam = d;
                    mark.tapPitch = p;
                    mark.threadKind = kind;
                }
            } else {
                designation = findThreadByDiameterPitch(mark.tapDiam, mark.tapPitch, mark.threadKind, &table,
                                                        nullptr, nullptr);
            }
            depth = formatNumber(g_fmtFine, mark.threadDepth);
        }
    }
    item(kDiameter).setText(diameter);
    item(kDesignation).setText(designation);
    item(kTableName).setText(table);
    item(kDepth).setText(depth);
}

void CDlgEditFeature::onKindChanged() {
    updateData(true);
    showFeature();
}

// The thread chosen in the configuration shows here; the mark takes it only on OK.
void CDlgEditFeature::onChangeProcess() {
    const CONFIG_CHOICE choice = chooseTableRow(kThreadTableClass);
    if (choice.result == plat::IDOK || choice.result == plat::IDCANCEL) return;
    if (choice.row < 0 || choice.rowCells.empty()) return;
    item(kTableName).setText(choice.tableName);
    item(kDesignation).setText(choice.rowCells[0]);
}

void CDlgEditFeature::onOK() {
    updateData(true);
    if (kindRadio == 0) {
        mark.isFit = 1;
        mark.isTap = 0;
    } else if (kindRadio == 1) {
        const std::string table = item(kTableName).text();
        const std::string designation = item(kDesignation).text();
        double d = 0, p = 0;
        std::int16_t kind = 0;
        const bool known = !table.empty() && plat::fileExists(plat::joinPath(g_globals->tablesDir, table + ".tab")) &&
                           findThreadByName(designation, table, &d, &p, nullptr, nullptr, &kind);
        if (!known || designation.size() >= sizeof mark.threadName) {
            plat::messageBox(this, texts_.getText(22), errorMessage(1), plat::MB_OK);
            return;
        }
        mark.isTap = 1;
        mark.isFit = 0;
        mark.threadKind = kind;
        mark.tapDiam = d;
        mark.tapPitch = p;
        std::snprintf(mark.threadName, sizeof mark.threadName, "%s", designation.c_str());
        // Text that is no number gives 0; so does one beyond any number, which the part could not keep.
        const double depth = std::strtod(item(kDepth).text().c_str(), nullptr);
        mark.threadDepth = std::isfinite(depth) ? depth : 0;
    }
    endDialog(plat::IDOK);
}

void CDlgEditFeature::onDelete() {
    const std::string question =
        equalCount > 1 ? fillText(texts_.getText(23), {std::to_string(equalCount)}) : texts_.getText(21);
    if (plat::messageBox(this, question, errorMessage(1), plat::MB_YESNO | plat::MB_ICONWARNING) == plat::IDYES)
        endDialog(kResultDelete);
}
