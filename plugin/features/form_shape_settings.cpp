// The form's shape settings: the level a hole's shape is drawn on as a user tool profile, and the help
// points on its axis. A level text that is no number reads as level 0, as the host's own level edits do.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "host/api.h"
#include "plugin/base/globals.h"
#include "plugin/base/resource_switch.h"
#include "plugin/base/text_section.h"
#include "plugin/features/form_shape_settings.h"
#include "plugin/services/features.h"

CDlgUserToolsMgr::CDlgUserToolsMgr() : plat::Dialog(kTemplate), level(main_level) {
    onCommand(kLevelList, [this] {
        std::int32_t chosen = level;
        if (sel_level_dialog(nullptr, 0, 0, &chosen) == 1) item(kLevel).setText(std::to_string(chosen));
    });
}

bool CDlgUserToolsMgr::onInitDialog() {
    CTextSection texts;
    // A missing section is told by the loader; the dialog shows without its texts.
    (void)texts.load(g_globals->uiTextFile, "DlgFormsShapeSettings", true);
    setWindowText(texts.getText(1));
    item(kLevelLabel).setText(texts.getText(11));
    item(kLevelList).setText(texts.getText(12));
    item(kHelpPoints).setText(texts.getText(21));
    item(kLevel).setText(std::to_string(level));
    item(kHelpPoints).setCheck(helpPoints ? 1 : 0);
    return true;
}

void CDlgUserToolsMgr::onOK() {
    // strtol keeps an out-of-range text within long; the level keeps it within its own range.
    const long typed = std::strtol(item(kLevel).text().c_str(), nullptr, 10);
    level = static_cast<std::int32_t>(std::clamp<long>(typed, INT32_MIN, INT32_MAX));
    helpPoints = item(kHelpPoints).check() == 1 ? 1 : 0;
    endDialog(plat::IDOK);
}

bool askFormShapeSettings(std::int32_t& level, std::uint8_t& helpPoints) {
    CDlgUserToolsMgr dlg;
    dlg.level = level;
    dlg.helpPoints = helpPoints;
    if (doModalInPluginRes(dlg) != plat::IDOK) return false;
    level = dlg.level;
    helpPoints = dlg.helpPoints;
    return true;
}
