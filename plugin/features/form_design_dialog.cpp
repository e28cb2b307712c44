// The form design dialog's window: OK, Cancel and the diameter pick button, which hands the pick back to
// the caller.
#include "plugin/features/form_design_dialog.h"

namespace {

void registerTemplateOnce() {
    if (plat::findDialogTemplate(CDlgDesignProp::kTemplate)) return;
    plat::DlgTemplate t{CDlgDesignProp::kTemplate, "", 220, 200, {}, false};
    t.controls.push_back({CDlgDesignProp::kDiameterPick, plat::Ctl::Button, plat::Rect{150, 20, 210, 34}, "..."});
    t.controls.push_back({plat::IDOK, plat::Ctl::DefButton, plat::Rect{40, 178, 95, 192}, "OK"});
    t.controls.push_back({plat::IDCANCEL, plat::Ctl::Button, plat::Rect{125, 178, 180, 192}, "Cancel"});
    plat::registerDialog(std::move(t));
}

}  // namespace

CDlgDesignProp::CDlgDesignProp() : plat::Dialog((registerTemplateOnce(), kTemplate)) {
    onCommand(kDiameterPick, [this] { endDialog(kEndPickDiameter); });
}
