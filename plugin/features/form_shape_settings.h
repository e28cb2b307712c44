// The form's shape settings dialog: the level a hole's shape is drawn on as a user tool profile, and the help
// points on its axis.
#pragma once
#include <cstdint>

#include "platform/ui/dialog.h"

// The level a form's shape is drawn on and whether help points go on its axis (form_shape_settings.cpp). The
// caller sets both, runs the dialog and reads them back after OK.
class CDlgUserToolsMgr : public plat::Dialog {
public:
    static constexpr int kTemplate = 18105, kLevel = 18098, kHelpPoints = 18204, kLevelLabel = 18207,
                         kLevelList = 18041;
    CDlgUserToolsMgr();

    std::int32_t level = 0;          // the host's current level until the caller sets it
    std::uint8_t helpPoints = 0;

protected:
    bool onInitDialog() override;
    void onOK() override;
};

